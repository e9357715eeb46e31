// SPDX-License-Identifier: MIT
// The readers of launchers' files: Valve's KeyValues and the small-file read beneath them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "locations/key_values.h"
#include "locations/launchers/launcher.h"
#include "locations/launchers/lutris_file.h"
#include "locations/small_file.h"
#include "row_name.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::PrintTo;

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

struct LutrisCase {
    const char* why;
    std::string text;
    std::string prefix;   // read from `game: prefix:`
    std::string problem;  // or why not
};

const LutrisCase kLutrisCases[] = {
    {"as lutris writes it",
     "game:\n  exe: drive_c/Sims.exe\n  prefix: ~/Games/the-sims\nsystem: {}\nwine:\n"
     "  version: lutris-7.2\n",
     "~/Games/the-sims", ""},
    {"quoted with spaces", "game:\n  prefix: '/home/x/My Games/it''s'\n", "/home/x/My Games/it's",
     ""},
    {"a long value folded onto two lines",
     "game:\n  prefix: /home/x/a very long folder name that PyYAML\n    wraps at eighty\n",
     "/home/x/a very long folder name that PyYAML wraps at eighty", ""},
    {"flow style", "game: {prefix: /p, exe: x}\n", "/p", ""},
    {"prefix of another section", "wine:\n  prefix: /not\ngame:\n  exe: x\n", "", ""},
    {"prefix nested deeper", "game:\n  script:\n    prefix: /not\n", "", ""},
    {"game is a list", "game:\n- prefix: /not\n", "", ""},
    {"prefix is a map", "game:\n  prefix:\n    a: b\n", "", ""},
    {"malformed", "game: [prefix: {{{", "", "is not valid YAML"},
    {"deep flow nesting", std::string(50000, '[') + "x", "",
     "nests deeper than a Lutris file does"},
    {"deep indentation",
     [] {
         std::string t;
         for (int i = 0; i < 40; ++i) t += std::string(static_cast<std::size_t>(i), ' ') + "a:\n";
         return t;
     }(),
     "", "nests deeper than a Lutris file does"},
    {"empty", "", "", ""},
};

class LutrisFile : public ::testing::TestWithParam<LutrisCase> {};

TEST_P(LutrisFile, ReadsTheGamesPrefix) {
    const auto game = launchers::readLutrisGame(GetParam().text);
    EXPECT_EQ(game.prefix, GetParam().prefix);
    EXPECT_EQ(game.problem, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(Texts, LutrisFile, ::testing::ValuesIn(kLutrisCases), testing::ByWhy());

struct JsonFieldsCase {
    const char* why;
    std::string text;
    std::string fields;  // each object's wanted fields "k=v" joined by ",", objects by ";"
    bool parses = true;
};

const JsonFieldsCase kJsonFieldsCases[] = {
    {"an Epic manifest", R"({"DisplayName": "Sims", "InstallLocation": "C:/S", "x": [1]})",
     "DisplayName=Sims,InstallLocation=C:/S"},
    {"legendary's list of objects",
     R"({"A": {"title": "a", "install_path": "/a"}, "B": {"install_path": 7}, "C": {"title": "c"}})",
     "install_path=/a,title=a;title=c"},
    {"deeper objects are passed over", R"({"A": {"B": {"title": "deep"}}, "C": [{"title": "x"}]})",
     ""},
    {"a key's value that is not a string", R"({"title": {"title": "inner"}})", "title=inner"},
    {"an array at the top", R"([{"title": "a"}])", "", false},
    {"cut short", R"({"title": "a")", "", false},
    {"deep nesting costs no document", std::string(100000, '[') + std::string(100000, ']'), "",
     false},
    {"deep nesting inside an object",
     "{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + ", \"title\": \"t\"}",
     "title=t"},
};

class JsonFields : public ::testing::TestWithParam<JsonFieldsCase> {};

TEST_P(JsonFields, ReadsTheWantedStringsOfTheTopTwoLevels) {
    const auto objects = launchers::jsonFields(
        GetParam().text, {"title", "install_path", "DisplayName", "InstallLocation"});
    ASSERT_EQ(objects.has_value(), GetParam().parses);
    if (!objects) return;
    std::string got;
    for (const auto& object : *objects) {
        if (!got.empty()) got += ";";
        std::string one;
        for (const auto& [key, value] : object) one += (one.empty() ? "" : ",") + key + "=" + value;
        got += one;
    }
    EXPECT_EQ(got, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Texts, JsonFields, ::testing::ValuesIn(kJsonFieldsCases),
                         testing::ByWhy());

}  // namespace
}  // namespace brambleton
