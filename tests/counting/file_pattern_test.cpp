// SPDX-License-Identifier: MIT
#include "counting/file_pattern.h"

#include <gtest/gtest.h>

#include "common/ascii.h"
#include "row_name.h"

namespace brambleton {
namespace {

using testing::PrintTo;

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
    {"question mark stands for one character", "*.I?F", "chair.IFF", true},
    {"question mark needs a character", "*.I?F", "chair.IF", false},
    {"question mark takes a whole UTF-8 character", "Caf?.iff", "Caf\xC3\xA9.iff", true},
    {"question mark is not two characters", "Caf?.iff", "Cafe\xC3\xA9.iff", false},
    {"a star inside the name", "Caf*.iff", "Cafe Table.IFF", true},
    {"a star inside the name keeps the extension", "Caf*.iff", "Cafe.far", false},
    {"a star inside the name keeps the start", "Caf*.iff", "chair.iff", false},
    {"a lone star takes every name", "*", "readme", true},
    {"a lone star takes a dotted name", "*", "a.b.c", true},
    {"a whole name without wildcards", "Behavior.iff", "BEHAVIOR.IFF", true},
    {"a whole name is not a part of one", "ehavior.iff", "Behavior.iff", false},
    {"an entry without wildcards is not an extension", "iff", "chair.iff", false},
    {"two extensions as a wildcard", "*.iff.bak", "chair.IFF.bak", true},
    {"a wildcard entry is matched to the end", "*.b?k", "chair.bak.iff", false},
    {"backtracking over repeated text", "*a*b", "aaaaaaaaab", true},
    {"no match after backtracking", "*a*b", "aaaaaaaaac", false},
    {"a longer extension is not a prefix match", "*.IF", "chair.IFF", false},
    {"first of several entries", "*.skn;*.bmp;*.cmx", "body.skn", true},
    {"middle of several entries", "*.skn;*.bmp;*.cmx", "body.BMP", true},
    {"last of several entries", "*.skn;*.bmp;*.cmx", "body.cmx", true},
    {"none of several entries", "*.skn;*.bmp;*.cmx", "body.iff", false},
    {"spaces around entries", "*.skn ; *.bmp", "a.bmp", true},
    {"star dot star among entries", "*.skn;*.*", "anything", true},
    {"empty pattern takes every name", "", "chair.iff", true},
    {"a pattern of separators takes every name", " ; ", "readme", true},
    {"a star dot entry takes names ending in a dot", "*.", "chair.", true},
    {"a star dot entry takes no ordinary name", "*.", "chair.iff", false},
    {"non-ASCII extension compared byte for byte", "*.\xC3\xA9", "x.\xC3\xA9", true},
};

class PatternMatch : public ::testing::TestWithParam<std::decay_t<decltype(kMatchCases[0])>> {};

TEST_P(PatternMatch, MatchesAsTheFileListShows) {
    const auto& c = GetParam();
    EXPECT_EQ(FilePattern(c.pattern).matches(c.name), c.matches)
        << c.why << ": pattern \"" << c.pattern << "\", name \"" << c.name << "\"";
}

INSTANTIATE_TEST_SUITE_P(Names, PatternMatch, ::testing::ValuesIn(kMatchCases), testing::ByWhy());

// Whether `name` matched `pattern` when only the text after the last dot mattered.
bool extensionRule(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") return true;
    for (std::size_t start = 0;;) {
        const auto end = pattern.find(';', start);
        const auto entry = pattern.substr(start, end - start);
        if (ascii::equalNoCase(extensionText(entry), extensionText(name))) return true;
        if (end == std::string_view::npos) return false;
        start = end + 1;
    }
}

// Every name of one to four parts drawn from letters, dots and the category extensions.
std::vector<std::string> everyShortName() {
    const std::string parts[] = {"",    ".",   "IFF", "iff", "flr", "WLL",
                                 "skn", "bmp", "cmx", "x",   "bak", ".."};
    std::vector<std::string> names;
    for (const auto& a : parts)
        for (const auto& b : parts)
            for (const auto& c : parts)
                for (const auto& d : parts) {
                    const std::string name = a + b + c + d;
                    if (!name.empty()) names.push_back(name);
                }
    return names;
}

// The category patterns and "*.*" count exactly the files they counted when only the text
// after the last dot mattered: checked on every name of up to four parts.
TEST(PatternMatch, CategoryPatternsKeepTheExtensionRule) {
    const auto names = everyShortName();
    for (const char* pattern : {"*.IFF", "*.FLR", "*.WLL", "*.skn;*.bmp;*.cmx", "*.bmp", "*.*"}) {
        const FilePattern compiled(pattern);
        for (const auto& name : names) {
            ASSERT_EQ(compiled.matches(name), extensionRule(pattern, name))
                << "pattern \"" << pattern << "\", name \"" << name << "\"";
        }
    }
}

}  // namespace
}  // namespace brambleton
