// SPDX-License-Identifier: MIT
#include "counting/file_pattern.h"

#include <gtest/gtest.h>

#include "row_name.h"

namespace brambleton {
namespace {

struct MatchCase {
    const char* why;
    const char* pattern;
    const char* name;
    bool matches;
};

const MatchCase kMatchCases[] = {
    {"same extension", "*.IFF", "chair.IFF", true},
    {"case is ignored", "*.IFF", "chair.iff", true},
    {"only the last extension counts", "*.IFF", "chair.iff.bak", false},
    {"backup name ending in the extension", "*.IFF", "chair.bak.iff", true},
    {"a name without a dot compares whole", "*.IFF", "IFF", true},
    {"a name without a dot and another text", "*.IFF", "readme", false},
    {"a name ending in a dot has no extension", "*.IFF", "chair.", false},
    {"star dot star takes every name", "*.*", "readme", true},
    {"star dot star takes a dotted name", "*.*", "a.b.c", true},
    {"spaces around an entry are ignored", " *.* ", "readme", true},
    {"other wildcards mean nothing", "*.I?F", "chair.IFF", false},
    {"question mark taken as text", "*.I?F", "x.i?f", true},
    {"a longer extension is not a prefix match", "*.IF", "chair.IFF", false},
    {"first of several entries", "*.skn;*.bmp;*.cmx", "body.skn", true},
    {"middle of several entries", "*.skn;*.bmp;*.cmx", "body.BMP", true},
    {"last of several entries", "*.skn;*.bmp;*.cmx", "body.cmx", true},
    {"none of several entries", "*.skn;*.bmp;*.cmx", "body.iff", false},
    {"spaces around entries", "*.skn ; *.bmp", "a.bmp", true},
    {"star dot star among entries", "*.skn;*.*", "anything", true},
    {"empty pattern takes names ending in a dot", "", "chair.", true},
    {"empty pattern takes no ordinary name", "", "chair.iff", false},
    {"non-ASCII extension compared byte for byte", "*.\xC3\xA9", "x.\xC3\xA9", true},
};

class PatternMatch : public ::testing::TestWithParam<std::decay_t<decltype(kMatchCases[0])>> {};

TEST_P(PatternMatch, MatchesByTheExtensionRule) {
    const auto& c = GetParam();
    EXPECT_EQ(FilePattern(c.pattern).matches(c.name), c.matches)
        << c.why << ": pattern \"" << c.pattern << "\", name \"" << c.name << "\"";
}

INSTANTIATE_TEST_SUITE_P(Names, PatternMatch, ::testing::ValuesIn(kMatchCases), testing::ByWhy());

}  // namespace
}  // namespace brambleton
