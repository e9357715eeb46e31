// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (MinGW-w64); run under Wine.
// The install-folder lookup against the system registry, with Wine's own advapi32 as the
// peer: each case writes the key with the registry calls in a view, then reads it back.
#include <windows.h>

#include <gtest/gtest.h>

#include "row_name.h"

#include <string>
#include <vector>

#include "locations/module1.h"
#include "locations/registry.h"

namespace brambleton {
namespace {

constexpr const char* kKey = "Software\\Maxis\\The Sims";

struct Write {
    REGSAM view;  // KEY_WOW64_32KEY: the 32-bit view; KEY_WOW64_64KEY: the plain one
    DWORD type;
    std::vector<BYTE> data;
    bool wide = false;  // written with the wide call
    const char* name = "SIMS_DATA";
};

std::vector<BYTE> text(const std::string& s, bool withNul = true) {
    std::vector<BYTE> out(s.begin(), s.end());
    if (withNul) out.push_back(0);
    return out;
}

std::vector<BYTE> wideText(const std::wstring& s) {
    const auto* p = reinterpret_cast<const BYTE*>(s.c_str());
    return {p, p + (s.size() + 1) * sizeof(wchar_t)};
}

void removeKey() {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
    }
}

void write(const Write& w) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | w.view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LONG status = w.wide ? RegSetValueExW(key, L"SIMS_DATA", 0, w.type, w.data.data(),
                                                static_cast<DWORD>(w.data.size()))
                               : RegSetValueExA(key, w.name, 0, w.type, w.data.data(),
                                                static_cast<DWORD>(w.data.size()));
    ASSERT_EQ(status, ERROR_SUCCESS);
    RegCloseKey(key);
}

const std::string P = "C:\\Program Files (x86)\\Maxis\\The Sims";

struct Case {
    const char* why;
    std::vector<Write> writes;
    std::string installPath;
};

const Case kCases[] = {
    {"no key", {}, "Not Found"},
    {"REG_SZ in the 32-bit view", {{KEY_WOW64_32KEY, REG_SZ, text(P)}}, P + "\\"},
    {"REG_SZ in the plain view only", {{KEY_WOW64_64KEY, REG_SZ, text(P)}}, P + "\\"},
    {"both views: the 32-bit one wins",
     {{KEY_WOW64_32KEY, REG_SZ, text(P)}, {KEY_WOW64_64KEY, REG_SZ, text("C:\\Other")}},
     P + "\\"},
    {"a trailing backslash", {{KEY_WOW64_32KEY, REG_SZ, text(P + "\\")}}, P + "\\"},
    {"a trailing slash", {{KEY_WOW64_32KEY, REG_SZ, text(P + "/")}}, P + "/\\"},
    {"empty text", {{KEY_WOW64_32KEY, REG_SZ, text("")}}, "Not Found"},
    {"no bytes at all", {{KEY_WOW64_32KEY, REG_SZ, {}}}, "Not Found"},
    {"text after a NUL", {{KEY_WOW64_32KEY, REG_SZ, text(P + std::string("\0junk", 5))}}, P + "\\"},
    {"REG_EXPAND_SZ", {{KEY_WOW64_32KEY, REG_EXPAND_SZ, text(P)}}, "Not Found"},
    {"REG_DWORD", {{KEY_WOW64_32KEY, REG_DWORD, {0x39, 0x30, 0, 0}}}, "Not Found"},
    {"REG_MULTI_SZ",
     {{KEY_WOW64_32KEY, REG_MULTI_SZ, text(P + std::string("\0D:\\x\0", 6))}},
     "Not Found"},
    {"REG_BINARY 39 30", {{KEY_WOW64_32KEY, REG_BINARY, {0x39, 0x30}}}, "12345\\"},
    {"REG_BINARY ff ff", {{KEY_WOW64_32KEY, REG_BINARY, {0xff, 0xff}}}, "-1\\"},
    {"REG_BINARY of no bytes", {{KEY_WOW64_32KEY, REG_BINARY, {}}}, "0\\"},
    {"REG_BINARY of one byte", {{KEY_WOW64_32KEY, REG_BINARY, {0x07}}}, "7\\"},
    {"REG_BINARY of three bytes", {{KEY_WOW64_32KEY, REG_BINARY, {1, 2, 3}}}, "513\\"},
    {"a value with a longer name is not the value",
     {{KEY_WOW64_32KEY, REG_SZ, text("C:\\Old"), false, "SIMS_DATA_OLD"}},
     "Not Found"},
    {"text the code page cannot hold",
     {{KEY_WOW64_32KEY, REG_SZ,
       wideText(L"D:\\Juegos\\Los Sims \u2013 Edici\u00f3n \u30b2\u30fc\u30e0"), true}},
     "D:\\Juegos\\Los Sims \u2013 Edici\u00f3n \u30b2\u30fc\u30e0\\"},
};

class Win32RegistryValue : public ::testing::TestWithParam<std::decay_t<decltype(kCases[0])>> {};

TEST_P(Win32RegistryValue, GetInstallPathReadsWhatTheRegistryHolds) {
    const auto& c = GetParam();
    removeKey();
    for (const auto& w : c.writes) write(w);
    const auto registry = makePlatformRegistry();
    EXPECT_EQ(Module1::GetInstallPath(*registry), c.installPath) << c.why;
    removeKey();
}

INSTANTIATE_TEST_SUITE_P(Values, Win32RegistryValue, ::testing::ValuesIn(kCases), testing::ByWhy());

}  // namespace
}  // namespace brambleton
