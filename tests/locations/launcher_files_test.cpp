// SPDX-License-Identifier: MIT
// The readers of launchers' files: Valve's KeyValues and the small-file read beneath them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "locations/key_values.h"
#include "locations/small_file.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::TempTree;

struct KeyValuesCase {
    const char* name;
    std::string text;
    bool parses;
    const char* block;  // a top-level block to look into, when it parses
    const char* key;
    const char* value;  // that key's text
};

const KeyValuesCase kKeyValuesCases[] = {
    {"AppManifest",
     "\"AppState\"\n{\n\t\"appid\"\t\t\"3314060\"\n\t\"installdir\"\t\t\"The Sims\"\n}\n", true,
     "AppState", "installdir", "The Sims"},
    {"KeysWithoutRegardToCase", "\"AppState\" { \"appID\" \"3314060\" }", true, "appstate", "APPID",
     "3314060"},
    {"EscapesInQuotedText", "\"x\" { \"path\" \"D:\\\\Steam \\\"Library\\\"\" }", true, "x", "path",
     "D:\\Steam \"Library\""},
    {"BareWordsCommentsAndConditions",
     "// a comment\nx // trailing\n{\n  key value [$WIN32]\n  \"other\" \"y\"\n}\n", true, "x",
     "key", "value"},
    {"NestedBlocks", "\"a\" { \"0\" { \"path\" \"/p\" \"apps\" { \"1\" \"2\" } } }", true, "a", "0",
     ""},
    {"EmptyText", "", true, nullptr, nullptr, nullptr},
    {"UnbalancedOpen", "\"a\" { \"b\" \"c\"", false, nullptr, nullptr, nullptr},
    {"UnbalancedClose", "\"a\" \"b\" }", false, nullptr, nullptr, nullptr},
    {"UnterminatedString", "\"a\" { \"b\" \"c }", false, nullptr, nullptr, nullptr},
    {"KeyWithoutValue", "\"a\" { \"b\" }", false, nullptr, nullptr, nullptr},
    {"BinaryFile", std::string("\"a\" {\0\x01\x02 }", 10), false, nullptr, nullptr, nullptr},
    {"NestedTooDeep",
     [] {
         std::string t;
         for (int i = 0; i < 100; ++i) t += "\"k\" { ";
         for (int i = 0; i < 100; ++i) t += "} ";
         return t;
     }(),
     false, nullptr, nullptr, nullptr},
    {"UnclosedCondition", "\"a\" \"b\" [$WIN32", false, nullptr, nullptr, nullptr},
};

void PrintTo(const KeyValuesCase& c, std::ostream* out) {
    *out << c.name;
}

class KeyValues : public ::testing::TestWithParam<KeyValuesCase> {};

TEST_P(KeyValues, ParsesOrRefuses) {
    const auto& c = GetParam();
    const auto parsed = keyvalues::parse(c.text);
    ASSERT_EQ(parsed.has_value(), c.parses);
    if (!parsed || !c.block) return;
    const auto* block = parsed->find(c.block);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->text(c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(Texts, KeyValues, ::testing::ValuesIn(kKeyValuesCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SmallFileCase {
    const char* name;
    std::function<void(const TempTree&)> make;  // makes "target"
    FileProblem problem;
};

const SmallFileCase kSmallFileCases[] = {
    {"RegularFile", [](const TempTree& t) { t.text("target", "hello"); }, FileProblem::None},
    {"Missing", [](const TempTree&) {}, FileProblem::Missing},
    {"Folder", [](const TempTree& t) { t.folder("target"); }, FileProblem::NotAFile},
    {"FifoNeverBlocks", [](const TempTree& t) { ::mkfifo(t.path("target").c_str(), 0600); },
     FileProblem::NotAFile},
    {"LargerThanTheLimit", [](const TempTree& t) { t.file("target", 4097); },
     FileProblem::TooLarge},
    {"LinkToAFile",
     [](const TempTree& t) {
         t.text("real", "hello");
         t.link("target", "real");
     },
     FileProblem::None},
};

void PrintTo(const SmallFileCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadSmallFile : public ::testing::TestWithParam<SmallFileCase> {};

TEST_P(ReadSmallFile, ReadsOnlyARegularFileWithinTheLimit) {
    TempTree tree;
    GetParam().make(tree);
    const auto read = readSmallFile(tree.path("target"), 4096);
    EXPECT_EQ(read.problem, GetParam().problem);
    EXPECT_EQ(read.text, GetParam().problem == FileProblem::None ? "hello" : "");
}

INSTANTIATE_TEST_SUITE_P(Files, ReadSmallFile, ::testing::ValuesIn(kSmallFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brambleton
