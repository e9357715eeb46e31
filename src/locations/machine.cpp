// SPDX-License-Identifier: MIT
// What a Machine does the same way on every platform; the platform's own parts are in
// linux_machine.cpp and win32_machine.cpp.
#include "locations/machine.h"

#include "locations/settings_file.h"

namespace fs = std::filesystem;

namespace brambleton {

GameSearch Machine::findGames() const {
    return brambleton::findGames(*registry_, *folderMap_, registryPrefix(), searchPlaces());
}

GameSearch Machine::findRegisteredGames() const {
    // Only the settings file: the launchers' places (Lutris's files, every prefix) are the
    // full search's.
    SearchPlaces places;
    if (auto chosen = settings::chosenFolder(settingsFile()))
        places.chosenFolders.push_back(*chosen);
    return brambleton::findGames(*registry_, *folderMap_, registryPrefix(), places);
}

SearchPlaces Machine::searchPlaces() const {
    SearchPlaces places;
    places.home = environment_.home;
    if (auto chosen = settings::chosenFolder(settingsFile()))
        places.chosenFolders.push_back(*chosen);
    addLauncherPlaces(places);
    return places;
}

fs::path Machine::settingsFile() const {
    if (!environment_.configFolder.empty()) return settings::file(environment_);
    HostEnvironment withConfig = environment_;
    withConfig.configFolder = environment_.home / ".config";
    return settings::file(withConfig);
}

}  // namespace brambleton
