// SPDX-License-Identifier: MIT
#include "app/terminal_text.h"

#include <gtest/gtest.h>

#include "row_name.h"

namespace brambleton {
namespace {

using testing::PrintTo;

struct PrintableCase {
    const char* why;
    std::string text;
    std::string shown;
};

const PrintableCase kPrintableCases[] = {
    {"plain UTF-8 passes", "Caf\xC3\xA9 chair.iff", "Caf\xC3\xA9 chair.iff"},
    {"a newline cannot break the line", "a\nb", "a\\x0ab"},
    {"a tab is shown by its code", "a\tb", "a\\x09b"},
    {"a right-to-left override is shown escaped", "fdp.\xE2\x80\xAEiff", "fdp.\\u202eiff"},
    {"an isolate is shown escaped",
     "a\xE2\x81\xA6"
     "b",
     "a\\u2066b"},
    {"a C1 control is shown escaped",
     "a\xC2\x9B"
     "b",
     "a\\u009bb"},
    {"a byte that is not UTF-8", "a\xFF", "a\\xff"},
    {"an escape sequence for the terminal", "\x1B[2J", "\\x1b[2J"},
    {"a backslash before a letter stays single", "Soccer\\tablesoccer.far",
     "Soccer\\tablesoccer.far"},
    {"a backslash before an escaped character", "a\\\n", "a\\\\x0a"},
    {"a backslash before hex digits", "a\\x41", "a\\x5cx41"},
    {"a Windows path keeps its backslashes", "C:\\Program Files\\Maxis\\users\\",
     "C:\\Program Files\\Maxis\\users\\"},
};

class Printable : public ::testing::TestWithParam<PrintableCase> {};

TEST_P(Printable, EscapesWhatCouldMislead) {
    EXPECT_EQ(printable(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, Printable, ::testing::ValuesIn(kPrintableCases), testing::ByWhy());

TEST(LastPart, CutsOnCharacterBoundaries) {
    // 30 two-byte characters: a cut at an odd byte count would split one.
    std::string text;
    for (int i = 0; i < 30; ++i) text += "\xC3\xA9";
    const std::string cut = lastPart(text, 20);
    EXPECT_LE(cut.size(), 20u);
    EXPECT_EQ(cut, "..." + text.substr(text.size() - 16));
    EXPECT_EQ(lastPart("short", 20), "short");
}

}  // namespace
}  // namespace brambleton
