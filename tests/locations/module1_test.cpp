// SPDX-License-Identifier: MIT
#include "locations/module1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "locations/wine_registry.h"
#include "row_name.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::PrintTo;

namespace fs = std::filesystem;
using testing::TempTree;

const std::string kFixtures = BRAMBLETON_FIXTURES;
const std::string P = "C:\\Program Files (x86)\\Maxis\\The Sims";

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string installPathOf(const fs::path& systemReg) {
    WineRegistry registry(systemReg);
    return Module1::GetInstallPath(registry);
}

struct FixtureCase {
    const char* fixture;
    std::string installPath;
};

const FixtureCase kFixtureCases[] = {
    {"fresh/system.reg", "Not Found"},
    {"fresh/system.min.reg", "Not Found"},
    {"a_sz_32bit/system.reg", P + "\\"},
    {"a_sz_32bit/system.min.reg", P + "\\"},
    {"b_sz_64bit_only/system.min.reg", P + "\\"},
    {"c_sz_trailing_backslash/system.min.reg", P + "\\"},
    {"d_sz_trailing_slash/system.min.reg", P + "/\\"},
    {"e_sz_empty/system.min.reg", "Not Found"},
    {"e2_sz_zero_length/system.min.reg", "Not Found"},
    {"f_sz_embedded_nul/system.min.reg", P + "\\"},
    {"g_expand_sz/system.min.reg", "Not Found"},
    {"g2_expand_sz_envvar/system.min.reg", "Not Found"},
    {"h_dword/system.min.reg", "Not Found"},
    {"i_binary_3930/system.min.reg", "12345\\"},
    {"j_binary_ffff/system.min.reg", "-1\\"},
    {"k_binary_empty/system.min.reg", "0\\"},
    {"l_binary_07/system.min.reg", "7\\"},
    {"m_binary_010203/system.min.reg", "513\\"},
    {"n1_sz_non_ascii/system.min.reg", "D:\\Juegos\\Los Sims \u2013 Edici\u00f3n Deluxe\\"},
    {"n2_sz_quotes_backslashes/system.min.reg", "\\\\SERVER\\Share\\Maxis\\\"The Sims\"\\\\"},
    {"o_key_without_value/system.min.reg", "Not Found"},
    {"p_multi_sz/system.min.reg", "Not Found"},
    {"q_both_views/system.reg", P + "\\"},
    {"q_both_views/system.min.reg", P + "\\"},
    {"win32_skeleton/system.reg", "Not Found"},
};

class WineFixture : public ::testing::TestWithParam<std::decay_t<decltype(kFixtureCases[0])>> {};

TEST_P(WineFixture, EveryWineFixture) {
    const auto& c = GetParam();
    EXPECT_EQ(installPathOf(kFixtures + "/" + c.fixture), c.installPath) << c.fixture;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WineFixture, ::testing::ValuesIn(kFixtureCases),
                         [](const auto& info) { return testing::identifier(info.param.fixture); });

const std::string kHeader64 =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n";
const std::string kHeader32 =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n\n";

struct TextCase {
    const char* why;
    std::string text;
    std::string installPath;
};

const TextCase kTextCases[] = {
    {"an empty file", "", "Not Found"},
    {"only the header", kHeader64, "Not Found"},
    {"not a registry file", "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\G\"\n",
     "Not Found"},
    {"names in other case",
     kHeader64 + "[SOFTWARE\\\\WOW6432NODE\\\\MAXIS\\\\THE SIMS] 1\n\"sims_data\"=\"C:\\\\G\"\n",
     "C:\\G\\"},
    {"a value with a longer name is not the value",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA_OLD\"=\"C:\\\\Old\"\n",
     "Not Found"},
    {"a key with a longer name is not the key",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims Decoy] 1\n\"SIMS_DATA\"=\"C:\\\\D\"\n",
     "Not Found"},
    {"a sub-key of the key is not the key",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims\\\\Sub] 1\n\"SIMS_DATA\"=\"C:\\\\S\"\n",
     "Not Found"},
    {"a value in the next block is not the key's",
     kHeader64 +
         "[Software\\\\Maxis\\\\The Sims] 1\n#time=1\n\n[Other] 1\n\"SIMS_DATA\"=\"C:\\\\O\"\n",
     "Not Found"},
    {"the 32-bit key without the value falls back to the plain view",
     kHeader64 +
         "[Software\\\\Wow6432Node\\\\Maxis\\\\The Sims] 1\n\"Installed\"=dword:00000001\n\n"
         "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\Plain\"\n",
     "C:\\Plain\\"},
    {"a 32-bit prefix has no Wow6432Node view",
     kHeader32 + "[Software\\\\Wow6432Node\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\W\"\n\n"
                 "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\Thirty-two\"\n",
     "C:\\Thirty-two\\"},
    {"hex text across continuation lines",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=hex(1):43,00,3a,00,\\\n  5c,00,"
                 "47,00,00,00\n",
     "C:\\G\\"},
    {"the longest path Windows takes is a value",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\" +
         std::string(32764, 'a') + "\"\n",
     "C:\\" + std::string(32764, 'a') + "\\"},
    {"one unit longer is no value",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\" +
         std::string(32765, 'a') + "\"\n",
     "Not Found"},
    {"a megabyte is no value",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"" + std::string(1 << 20, 'a') +
         "\"\n",
     "Not Found"},
    {"a REG_SZ with no NUL keeps all its text",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=hex(1):43,00,3a,00\n", "C:\\"},
    {"octal and hex escapes, shortest and padded",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"A\\x00e9\\x41g\\101\\0012\"\n",
     "A\u00e9Ag"
     "A\x01"
     "2\\"},
    {"a backslash before x is not an escape",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\xact\"\n", "C:\\xact\\"},
    {"a string cut short is no value",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\Pro", "Not Found"},
    {"hex cut short after a comma is no value",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=hex:39,", "Not Found"},
    {"a surrogate pair becomes one character",
     kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"\\xd83c\\xdfae\"\n",
     "\U0001F3AE\\"},
};

class HandWrittenRegistry : public ::testing::TestWithParam<std::decay_t<decltype(kTextCases[0])>> {
};

TEST_P(HandWrittenRegistry, HandWrittenFiles) {
    const auto& c = GetParam();
    TempTree tree;
    tree.text("system.reg", c.text);
    EXPECT_EQ(installPathOf(tree.path("system.reg")), c.installPath) << c.why;
}

INSTANTIATE_TEST_SUITE_P(Files, HandWrittenRegistry, ::testing::ValuesIn(kTextCases),
                         testing::ByWhy());

TEST(GetInstallPath, MissingFileIsNotFound) {
    TempTree tree;
    EXPECT_EQ(installPathOf(tree.path("system.reg")), "Not Found");
    EXPECT_EQ(installPathOf(tree.path()), "Not Found") << "a folder in the file's place";
}

TEST(GetInstallPath, EveryTruncationGivesTheValueOrNothing) {
    const std::string whole = readText(kFixtures + "/a_sz_32bit/system.min.reg");
    TempTree tree;
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        tree.text("system.reg", whole.substr(0, n));
        const auto got = installPathOf(tree.path("system.reg"));
        if (got != "Not Found") {
            ASSERT_EQ(got, P + "\\") << "cut at " << n;
        }
    }
}

TEST(GetInstallPath, ReadsTheFileAfreshEveryCall) {
    TempTree tree;
    WineRegistry registry(tree.path("system.reg"));
    EXPECT_EQ(Module1::GetInstallPath(registry), "Not Found");
    tree.text("system.reg",
              kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\One\"\n");
    EXPECT_EQ(Module1::GetInstallPath(registry), "C:\\One\\");
    tree.text("system.reg",
              kHeader64 + "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\Two\"\n");
    EXPECT_EQ(Module1::GetInstallPath(registry), "C:\\Two\\");
}

}  // namespace
}  // namespace brambleton
