// SPDX-License-Identifier: MIT
// The catalogue's readers on bytes built here: string tables in every format the notes
// describe, text in each of the game's code pages through the platform's converter, BMP
// headers true and false, and objects cut at every byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/catalogue.h"
#include "content/formats/picture.h"
#include "content/formats/string_table.h"
#include "content/formats/text_codes.h"
#include "content/report_words.h"
#include "row_name.h"
#include "sims_files.h"

namespace brambleton::content {
namespace {

using namespace std::string_literals;
using testing::iffChunk;
using testing::iffFile;
using testing::objdData;

StringTable table(const std::string& data) {
    MemoryBytes bytes(data);
    return readStringTable(bytes, {"CTSS", 1, 0, data.size()});
}

struct TableCase {
    const char* why;
    std::string data;
    std::vector<std::pair<int, std::vector<std::string>>> sets;  // language, strings
    bool whole;
};

const TableCase kTables[] = {
    {"code 0: a count, then Pascal strings",
     "\0\0\2\0\5Kiosk\4Food"s,
     {{1, {"Kiosk", "Food"}}},
     true},
    {"code 0 and nothing more: no strings", "\0\0"s, {}, true},
    {"code -1: strings ending in a zero byte",
     "\xff\xff\2\0Kiosk\0Food\0"s,
     {{1, {"Kiosk", "Food"}}},
     true},
    {"code -2: each string with a comment", "\xfe\xff\1\0Kiosk\0note\0"s, {{1, {"Kiosk"}}}, true},
    {"code -3: a language byte each, 0 meaning US English",
     "\xfd\xff\3\0\0Kiosk\0\0\3Kiosque\0\0\x0f\x94\x84\x93\x58\0\0"s,
     {{1, {"Kiosk"}}, {3, {"Kiosque"}}, {15, {"\x94\x84\x93\x58"}}},
     true},
    {"code -3 with a language the notes do not know, left out", "\xfd\xff\1\0\x63x\0\0"s, {}, true},
    {"code -4: language sets, lengths in 7-bit groups",
     "\xfc\xff\2\1\0\0\5Kiosk\0\1\0\2\7Kiosque\0"s,
     {{1, {"Kiosk"}}, {3, {"Kiosque"}}},
     true},
    {"the oldest form: the count big-endian in the code", "\0\1\5Kiosk"s, {{1, {"Kiosk"}}}, true},
    {"a Pascal string longer than the table", "\0\0\1\0\x50Kiosk"s, {}, false},
    {"a string without its zero byte", "\xff\xff\1\0Kiosk"s, {}, false},
    {"a count of more strings than there are", "\xff\xff\x10\0Kiosk\0"s, {{1, {"Kiosk"}}}, false},
    {"a 7-bit length that never ends", "\xfc\xff\1\1\0\0\xff\xff\xff\xff\xff\xff"s, {}, false},
    {"a code no format has", "\x80\x80"s, {}, false},
};

void PrintTo(const TableCase& c, std::ostream* os) {
    *os << c.why;
}

class StringTables : public ::testing::TestWithParam<TableCase> {};

TEST_P(StringTables, ReadAsTheNotesDescribe) {
    const auto& c = GetParam();
    const auto read = table(c.data);
    EXPECT_EQ(!read.fault, c.whole) << (read.fault ? faultText(*read.fault) : "");
    std::vector<std::pair<int, std::vector<std::string>>> got;
    for (const auto& set : read.sets) {
        if (!set.strings.empty()) got.emplace_back(set.language, set.strings);
    }
    EXPECT_EQ(got, c.sets);
}

INSTANTIATE_TEST_SUITE_P(Formats, StringTables, ::testing::ValuesIn(kTables), testing::ByWhy());

TEST(StringTables, CutAtEveryByteNeverReadPastTheirEnd) {
    const std::string data = "\xfd\xff\3\0\0Kiosk\0\0\3Kiosque\0c\0\x0f\x94\x84\x93\x58\0\0"s;
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        const auto read = table(data.substr(0, cut));
        EXPECT_TRUE(read.fault) << "cut at " << cut;
    }
}

TEST(StringTables, ThePlayersLanguageElseEnglishElseTheFirst) {
    const auto read = table("\xfd\xff\2\0\3Kiosque\0\0\4Imbiss\0\0"s);
    EXPECT_EQ(stringsIn(read, 4)->strings[0], "Imbiss");
    EXPECT_EQ(stringsIn(read, 15)->strings[0], "Kiosque");  // no Japanese, no English
    const auto withEnglish = table("\xfd\xff\2\0\3Kiosque\0\0\1Kiosk\0\0"s);
    EXPECT_EQ(stringsIn(withEnglish, 15)->strings[0], "Kiosk");
    EXPECT_EQ(stringsIn(table("\0\0"s), 1), nullptr);
}

struct TextCase {
    const char* why;
    std::uint8_t language;
    std::string bytes;
    std::string utf8;
};

const TextCase kTexts[] = {
    {"French in Windows-1252", 3, "Caf\xe9 \x80", "Caf\xc3\xa9 \xe2\x82\xac"},
    {"Russian in Windows-1251", 13, "\xcf\xf0\xe8", "\xd0\x9f\xd1\x80\xd0\xb8"},
    {"Hebrew in Windows-1255", 12, "\xf9\xec", "\xd7\xa9\xd7\x9c"},
    {"Japanese in cp932", 15, "\x94\x84\x93\x58", "\xe5\xa3\xb2\xe5\xba\x97"},
    {"Polish in Windows-1250", 16, "\xb3\xf3\x64\x9f", "\xc5\x82\xc3\xb3\x64\xc5\xba"},
    {"Simplified Chinese in GBK", 17, "\xd6\xd0\xce\xc4", "\xe4\xb8\xad\xe6\x96\x87"},
    {"Traditional Chinese in Big5", 18, "\xa4\xa4\xa4\xe5", "\xe4\xb8\xad\xe6\x96\x87"},
    {"Thai in cp874", 19, "\xca\xc7\xd1\xca", "\xe0\xb8\xaa\xe0\xb8\xa7\xe0\xb8\xb1\xe0\xb8\xaa"},
    {"Korean in cp949", 20, "\xc7\xd1\xb1\xb9", "\xed\x95\x9c\xea\xb5\xad"},
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.why;
}

class CodePages : public ::testing::TestWithParam<TextCase> {};

TEST_P(CodePages, ConvertThroughThePlatform) {
    EXPECT_EQ(textToUtf8(GetParam().bytes, GetParam().language), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Languages, CodePages, ::testing::ValuesIn(kTexts), testing::ByWhy());

TEST(CodePages, BytesThatAreNoCharacterNeverPassThrough) {
    // A lead byte of cp932 with nothing after it, and one before a byte no character takes.
    const std::string cutShort = textToUtf8("ab\x81"s, 15);
    const std::string badTrail = textToUtf8("\x81\x20z"s, 15);
    EXPECT_EQ(cutShort.find('\x81'), std::string::npos);
    EXPECT_EQ(cutShort.substr(0, 2), "ab");
    EXPECT_EQ(badTrail.find('\x81'), std::string::npos);
    EXPECT_EQ(badTrail.back(), 'z');
#ifndef _WIN32
    EXPECT_EQ(textToUtf8("ab\x81"s, 15), "ab\xef\xbf\xbd");
#endif
}

TEST(Languages, OfTheDesktopsLocale) {
    const std::pair<const char*, int> cases[] = {
        {"fr_FR.UTF-8", 3},
        {"en_GB", 2},
        {"en_US.UTF-8", 1},
        {"pt-BR", 14},
        {"zh_TW.UTF-8", 18},
        {"zh_CN", 17},
        {"ja_JP.eucJP", 15},
        {"nb_NO", 10},
        {"ko", 20},
        {"xx_YY", 1},
        {"", 1},
        {"de_DE@euro", 4},
    };
    for (const auto& [locale, code] : cases) {
        EXPECT_EQ(languageOfLocale(locale), code) << locale;
    }
}

TEST(Pictures, HeadersSayTheSizeAndDepthWithoutDecoding) {
    std::string bmp = "BM"s + std::string(12, '\0') + "\x28\0\0\0"s + "\x60\xea\0\0"s +
                      "\x60\xea\0\0"s + "\1\0\x08\0"s + std::string(4, '\0');
    const auto facts = readBmpFacts(bmp);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->width, 60000u);  // a 60,000 x 60,000 header is only read, never decoded
    EXPECT_EQ(facts->height, 60000u);
    EXPECT_EQ(facts->bitsPerPixel, 8u);
    EXPECT_FALSE(readBmpFacts("<html><body>404</body></html>"));
    EXPECT_FALSE(readBmpFacts(bmp.substr(0, 20)));
    bmp[18] = '\xff';
    bmp[19] = bmp[20] = bmp[21] = '\xff';  // a negative width
    EXPECT_FALSE(readBmpFacts(bmp));
}

TEST(ObjectItems, AnObjectCutAtEveryByteGivesNoItemAndSaysWhy) {
    const std::string object =
        iffFile({iffChunk("OBJD", 128, objdData(0x11)), iffChunk("CTSS", 0, "\xff\xff\1\0Chair\0"s),
                 iffChunk("BMP_", 0, "BM")});
    MemoryBytes whole(object);
    ASSERT_EQ(objectItems(whole, "chair.iff", {}, 1).size(), 1u);
    for (std::size_t cut = 1; cut < object.size(); ++cut) {
        const std::string part = object.substr(0, cut);
        MemoryBytes bytes(part);
        std::optional<FormatFault> fault;
        EXPECT_TRUE(objectItems(bytes, "chair.iff", {}, 1, &fault).empty()) << cut;
        EXPECT_TRUE(fault) << cut;
    }
}

}  // namespace
}  // namespace brambleton::content
