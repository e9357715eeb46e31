// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (MinGW-w64); run under Wine.
// The game finder's Windows places, against the system registry and file system under Wine:
// Steam's root from HKEY_CURRENT_USER\Software\Valve\Steam, the EA app's default folder and
// an Epic manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ascii.h"
#include "locations/machine.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::TempTree;

void setSteamPath(const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Valve\\Steam", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(key, "SteamPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1)),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

void game(const TempTree& tree, const std::string& folder) {
    tree.file(folder + "/GameData/Behavior.iff", 10);
    tree.folder(folder + "/Downloads");
}

TEST(Win32GameFinder, SteamFromTheRegistryThenTheEaAppThenEpic) {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maxis\\The Sims", view, 0);
    }
    TempTree tree;
    tree.text("Steam/steamapps/appmanifest_3314060.acf",
              "\"AppState\"\n{\n\t\"appid\"\t\t\"3314060\"\n"
              "\t\"installdir\"\t\t\"The Sims Legacy Collection\"\n}\n");
    game(tree, "Steam/steamapps/common/The Sims Legacy Collection");
    game(tree, "Program Files/EA Games/The Sims Legacy");
    game(tree, "Epic Games/TheSimsLegacy");
    std::string epic = tree.path("Epic Games/TheSimsLegacy");
    std::string escaped;
    for (const char c : epic) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    tree.text("ProgramData/Epic/EpicGamesLauncher/Data/Manifests/0A1B.item",
              "{\"DisplayName\": \"The Sims Legacy Collection\", \"InstallLocation\": \"" +
                  escaped + "\"}");
    // Steam writes its path with forward slashes and in lower case.
    std::string steam = tree.path("Steam");
    for (auto& c : steam) c = c == '\\' ? '/' : static_cast<char>(std::tolower(c));
    setSteamPath(steam);

    HostEnvironment environment = HostEnvironment::fromProcess();
    environment.programFolders = {tree.root() / "Program Files"};
    environment.programData = tree.root() / "ProgramData";
    const auto found = Machine(environment).findGames();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Valve\\Steam");

    ASSERT_EQ(found.installs.size(), 3u);
    EXPECT_NE(found.installs[0].source.find("Steam library"), std::string::npos);
    // Steam's own spelling of its root stands; the names below it are the folders' own.
    EXPECT_TRUE(
        ascii::equalNoCase(found.installs[0].installPath,
                           tree.path("Steam/steamapps/common/The Sims Legacy Collection") + "\\"))
        << found.installs[0].installPath;
    EXPECT_NE(found.installs[1].source.find("EA app"), std::string::npos);
    EXPECT_EQ(found.installs[1].installPath,
              tree.path("Program Files/EA Games/The Sims Legacy") + "\\");
    EXPECT_NE(found.installs[2].source.find("Epic manifest 0A1B.item"), std::string::npos);
    EXPECT_EQ(found.installs[2].installPath, epic + "\\");
}

}  // namespace
}  // namespace brambleton
