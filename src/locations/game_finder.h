// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "locations/folder_map.h"
#include "locations/registry.h"

namespace brambleton {

// The Sims Legacy Collection's Steam app id.
inline constexpr const char* kLegacyAppId = "3314060";
// The value that hand-made registry fixes add beside (or instead of) SIMS_DATA.
inline constexpr const char* kInstallPathValue = "InstallPath";

// One copy of the game on this machine.
struct GameInstall {
    // Where it was found, for messages and --where: "SIMS_DATA in /home/x/.wine/system.reg",
    // "Steam library /mnt/games/SteamLibrary".
    std::string source;
    // The install folder as the window shows it, ending in its separator: a Windows path
    // ("C:\Program Files\Maxis\The Sims\") for a copy inside a Wine prefix or on Windows, a
    // host path ("/home/x/.local/share/Steam/steamapps/common/The Sims Legacy Collection/")
    // for a copy outside any prefix.
    std::string installPath;
    // The install folder on this machine. Empty only for the fallback below.
    std::string hostFolder;
    // The Wine prefix whose drives browse it; empty when it lies outside any prefix, and on
    // Windows.
    std::filesystem::path prefix;
    // How it was found: chosen by the player, read from the registry, or found by looking.
    enum class Origin { Chosen, Registry, Looked };
    Origin origin = Origin::Looked;
};

// One place the finder looked and why it found nothing there, for --where --verbose.
struct SearchNote {
    std::string place;
    std::string outcome;
};

struct GameSearch {
    std::vector<GameInstall> installs;    // in the order below, each folder once
    std::vector<SearchNote> notes;        // every place looked at, in the order looked
    std::vector<std::string> steamRoots;  // the Steam installations found
    std::size_t steamLibraries = 0;       // Steam libraries looked in
    std::size_t prefixes = 0;             // Wine prefixes looked in
};

// A folder or file the finder reads, with what it is for messages.
struct LabelledPath {
    std::string label;
    std::filesystem::path path;
};

// Where the platform keeps what the finder reads. Made by searchPlaces() from the machine;
// tests build their own.
struct SearchPlaces {
    // Folders the player chose in Brambleton's window: listed first, when they hold the game.
    std::vector<std::filesystem::path> chosenFolders;
    // Steam's roots; each one's steamapps/libraryfolders.vdf lists the other libraries.
    std::vector<std::filesystem::path> steamRoots;
    // Folders that are the game when they hold it (the EA app's default).
    std::vector<LabelledPath> fixedFolders;
    // Folders of the Epic launcher's *.item manifests.
    std::vector<std::filesystem::path> epicManifestFolders;
    // Heroic's lists of installed Epic games (legendary's installed.json).
    std::vector<std::filesystem::path> heroicInstalledLists;
    // Wine prefixes the launchers keep, in the order to search them.
    std::vector<LabelledPath> prefixes;
    // Whether each Steam library's compatdata/*/pfx is a prefix to search too (Proton).
    bool steamPrefixes = false;
};

// The source of a copy the player chose in Brambleton's window.
inline constexpr const char* kChosenSource = "chosen in Brambleton";

// Finds every copy of the game, in this order:
//  0. the folders the player chose (a folder inside a Wine prefix's drive_c is shown as a C:
//     path and browsed with that prefix's drives);
//  1. GetInstallPath on `registry` (SIMS_DATA), its folder through `folderMap`;
//  2. the same key's InstallPath value in that registry;
//  3. every Steam library of every Steam root whose appmanifest_3314060.acf names an
//     installdir under steamapps/common;
//  4. the fixed folders, the Epic manifests and Heroic's installed games;
//  5. every Wine prefix (a folder holding system.reg and drive_c): its registry's SIMS_DATA
//     then InstallPath, then the known install folders below drive_c.
// A folder found by steps 0 and 3 to 5 counts only when it holds GameData\Behavior.iff (any case).
// The same folder found twice is listed once, where it was found first. When nothing is
// found but step 1 gave a value, that value is the one install, with no host folder, so that
// a message can say which folder is missing. Reads everything afresh; launcher files that
// are missing, malformed, binary or huge are passed over, never fatal. `registryPrefix` is
// the Wine prefix `registry` belongs to (empty on Windows).
GameSearch findGames(Registry& registry, const FolderMap& folderMap,
                     const std::filesystem::path& registryPrefix, const SearchPlaces& places);

// `full`, an earlier search, with its steps 0 to 2 replaced by `fresh`, a search of those
// steps alone made now: the chosen folders and the registry are read afresh at every
// category choice, the launchers only when the player asks.
GameSearch withFreshRegistry(const GameSearch& fresh, const GameSearch& full);

// A few lines for a player whose game was not found: where the search looked and what it
// found there, one place a line, each line starting with two spaces.
std::string describeSearch(const Registry& registry, const SearchPlaces& places,
                           const GameSearch& search);

// Whether `folder` holds GameData\Behavior.iff, names matched without regard to case.
bool holdsGame(const std::filesystem::path& folder);

}  // namespace brambleton
