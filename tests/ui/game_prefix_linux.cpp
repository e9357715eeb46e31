// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
// The game in a real Wine prefix: a registry written by Wine, dosdevices/ links, and the game's
// folders in another case than the registry writes them.
#include <filesystem>

#include "game_prefix.h"

namespace brambleton::testing {

GamePrefix::GamePrefix(const std::string& fixture) {
    const std::string game = "drive_c/program files (x86)/maxis/THE SIMS/";
    tree.build(
        "d home\n"
        "l dosdevices/c: -> ../drive_c\n"
        "l dosdevices/z: -> /\n"
        "f " +
        game +
        "Downloads/chair.iff 1048576\n"
        "f " +
        game +
        "Downloads/Sets/sofa.IFF 524288\n"
        "f " +
        game +
        "Downloads/Sets/readme.txt 10\n"
        "f " +
        game +
        "GameData/Floors/oak.flr 100\n"
        "f " +
        game +
        "GameData/Walls/brick.wll 200\n"
        "f " +
        game +
        "GameData/Skins/body.skn 1\n"
        "f " +
        game +
        "GameData/Skins/face.bmp 2\n"
        "f " +
        game +
        "GameData/Skins/mesh.cmx 4\n"
        "f " +
        game + "GameData/Roofs/slate.bmp 300\n");
    useFixture(fixture);
}

GamePrefix::~GamePrefix() = default;

HostEnvironment GamePrefix::environment() const {
    HostEnvironment environment;
    environment.home = tree.path("home");
    environment.winePrefix = tree.path();
    // What the window remembers (the copy in use, a chosen folder) stays in this home.
    environment.configFolder = tree.path("home/.config");
    return environment;
}

void GamePrefix::useFixture(const std::string& fixture) const {
    std::filesystem::copy_file(std::string(BRAMBLETON_FIXTURES) + "/" + fixture,
                               tree.path("system.reg"),
                               std::filesystem::copy_options::overwrite_existing);
}

QString GamePrefix::game(const QString& below) const {
    const QString root =
        QString::fromStdString(tree.path("drive_c/program files (x86)/maxis/THE SIMS"));
    return below.isEmpty() ? root : root + "/" + below;
}

}  // namespace brambleton::testing
