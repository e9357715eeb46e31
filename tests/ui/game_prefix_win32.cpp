// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
// The game as the Windows build meets it: SIMS_DATA written into the registry's 32-bit view
// with RegSetValueExA (in the throwaway Wine prefix the Windows leg runs in), and the game's
// folders on its C: drive.
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "game_prefix.h"

namespace brambleton::testing {
namespace {

constexpr const char* kKey = "Software\\Maxis\\The Sims";
const std::string kGame = "C:\\Program Files (x86)\\Maxis\\The Sims";
const std::string kMaxis = "C:\\Program Files (x86)\\Maxis";

void removeKey() {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
    }
}

void setSimsData(const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        std::abort();
    }
    RegSetValueExA(key, "SIMS_DATA", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void file(const std::string& relative, std::uintmax_t size) {
    const std::filesystem::path path = kGame + "\\" + relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).close();
    std::filesystem::resize_file(path, size);
}

}  // namespace

GamePrefix::GamePrefix(const std::string& fixture) {
    std::filesystem::remove_all(kMaxis);
    file("Downloads\\chair.iff", 1048576);
    file("Downloads\\Sets\\sofa.IFF", 524288);
    file("Downloads\\Sets\\readme.txt", 10);
    file("GameData\\Floors\\oak.flr", 100);
    file("GameData\\Walls\\brick.wll", 200);
    file("GameData\\Skins\\body.skn", 1);
    file("GameData\\Skins\\face.bmp", 2);
    file("GameData\\Skins\\mesh.cmx", 4);
    file("GameData\\Roofs\\slate.bmp", 300);
    tree.folder("home");
    useFixture(fixture);
}

HostEnvironment GamePrefix::environment() const {
    HostEnvironment environment = HostEnvironment::fromProcess();
    environment.home = tree.path("home");
    // What the window remembers (the copy in use, a chosen folder) stays in this home.
    environment.configFolder = tree.path("home\\AppData\\Roaming");
    // And what it journals of the changes it makes.
    environment.dataFolder = tree.path("home\\AppData\\Local");
    return environment;
}

GamePrefix::~GamePrefix() {
    removeKey();
    std::error_code ignored;
    std::filesystem::remove_all(kMaxis, ignored);
}

// The fixtures are Wine registry files; here each stands for the registry state it holds:
// "fresh" for a registry without the game, any other for the game at its usual folder.
void GamePrefix::useFixture(const std::string& fixture) const {
    removeKey();
    if (fixture.rfind("fresh", 0) != 0) setSimsData(kGame);
}

QString GamePrefix::game(const QString& below) const {
    const QString root = QString::fromStdString(kGame).replace('\\', '/');
    return below.isEmpty() ? root : root + "/" + below;
}

}  // namespace brambleton::testing
