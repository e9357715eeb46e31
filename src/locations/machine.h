// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "locations/folder_map.h"
#include "locations/game_finder.h"
#include "locations/registry.h"

namespace brambleton {

// What the program reads of the user's session: handed in, so that tests can point it at a
// temporary home instead of changing the process's environment.
struct HostEnvironment {
    std::filesystem::path home;        // the user's home folder
    std::filesystem::path winePrefix;  // the prefix of WINEPREFIX, else ~/.wine (not on Windows)
    // Windows: %ProgramFiles%, %ProgramFiles(x86)% and %ProgramData%, where present.
    std::vector<std::filesystem::path> programFolders;
    std::filesystem::path programData;
    // Where the user's programs keep their settings: $XDG_CONFIG_HOME, else ~/.config; on
    // Windows %APPDATA%. Empty means home/.config.
    std::filesystem::path configFolder;
    // Where the user's programs keep their data: $XDG_DATA_HOME, else ~/.local/share (which
    // holds the desktop's trash); on Windows %LOCALAPPDATA%. Empty means home/.local/share.
    std::filesystem::path dataFolder;

    // The running process's: HOME, WINEPREFIX, XDG_CONFIG_HOME, XDG_DATA_HOME; on Windows
    // the profile, the program folders, APPDATA and LOCALAPPDATA.
    static HostEnvironment fromProcess();
};

// The registry, the folder map and where the launchers keep their files, for one
// environment: everything the window and the counter read, as one bundle.
class Machine {
  public:
    explicit Machine(HostEnvironment environment);

    const HostEnvironment& environment() const noexcept { return environment_; }

    // The registry GetInstallPath reads: the system's on Windows, else the Wine prefix's.
    Registry& registry() const { return *registry_; }
    // The drives and paths of that registry's prefix (on Windows, the system's).
    const FolderMap& folderMap() const { return *folderMap_; }
    // The drives and paths to browse `install` with: its own prefix's when it lies in one,
    // else folderMap().
    std::shared_ptr<const FolderMap> folderMapFor(const GameInstall& install) const;
    std::shared_ptr<const FolderMap> defaultFolderMap() const { return folderMap_; }

    // Where this platform's launchers keep their files, and the folder the player chose in
    // Brambleton's window.
    SearchPlaces searchPlaces() const;
    // Every copy of the game, found afresh.
    GameSearch findGames() const;
    // Only the copies that cost no search: the folder the player chose and the registry's.
    // About a millisecond; merged with an earlier findGames() by withFreshRegistry().
    GameSearch findRegisteredGames() const;
    // The file that keeps what the player chose in the window.
    std::filesystem::path settingsFile() const;

  private:
    // The Wine prefix the registry belongs to; empty on Windows.
    std::filesystem::path registryPrefix() const;
    // Each launcher family's places on this platform.
    void addLauncherPlaces(SearchPlaces& places) const;

    HostEnvironment environment_;
    std::shared_ptr<Registry> registry_;
    std::shared_ptr<const FolderMap> folderMap_;
};

}  // namespace brambleton
