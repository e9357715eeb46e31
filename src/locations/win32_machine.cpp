// SPDX-License-Identifier: MIT
#include <cstdlib>
#include <optional>

#include "locations/machine.h"
#include "locations/module1.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

std::optional<fs::path> environmentFolder(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return fs::path(value);
}

}  // namespace

HostEnvironment HostEnvironment::fromProcess() {
    HostEnvironment environment;
    environment.home = environmentFolder("USERPROFILE").value_or("C:\\");
    for (const char* name : {"ProgramFiles(x86)", "ProgramFiles", "ProgramW6432"}) {
        const auto folder = environmentFolder(name);
        if (!folder) continue;
        bool known = false;
        for (const auto& f : environment.programFolders) known = known || f == *folder;
        if (!known) environment.programFolders.push_back(*folder);
    }
    environment.programData = environmentFolder("ProgramData").value_or("C:\\ProgramData");
    return environment;
}

Machine::Machine(HostEnvironment environment)
    : environment_(std::move(environment)),
      registry_(makePlatformRegistry()),
      folderMap_(makePlatformFolderMap()) {}

std::shared_ptr<const FolderMap> Machine::folderMapFor(const GameInstall&) const {
    return folderMap_;
}

GameSearch Machine::findGames() const {
    return brambleton::findGames(*registry_, *folderMap_, {}, searchPlaces());
}

SearchPlaces Machine::searchPlaces() const {
    SearchPlaces places;
    const std::string steamPath =
        Module1::ReadRegistryValue(*registry_, kCurrentUser, "Software\\Valve\\Steam", "SteamPath");
    if (!steamPath.empty()) places.steamRoots.push_back(fs::path(steamPath).make_preferred());
    for (const auto& programs : environment_.programFolders) {
        places.steamRoots.push_back(programs / "Steam");
        places.fixedFolders.push_back(
            {"EA app default folder", programs / "EA Games" / "The Sims Legacy"});
    }
    places.epicManifestFolders.push_back(environment_.programData / "Epic" / "EpicGamesLauncher" /
                                         "Data" / "Manifests");
    return places;
}

}  // namespace brambleton
