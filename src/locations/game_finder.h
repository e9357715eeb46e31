// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
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
    std::vector<GameInstall> installs;  // in the order below, each folder once
    std::vector<SearchNote> notes;      // every place looked at, in the order looked
    // Copies found by looking whose folder an earlier step (the chosen folder, the
    // registry) had listed already: kept, so that a copy stays listed when that step no
    // longer names it.
    std::vector<GameInstall> alsoLooked;
    std::vector<std::string> steamRoots;  // the Steam installations found
    std::size_t steamLibraries = 0;       // Steam libraries looked in
    std::size_t prefixes = 0;             // Wine prefixes looked in
};

// A folder or file the finder reads, with what it is for messages.
struct LabelledPath {
    std::string label;
    std::filesystem::path path;
};

// The order in which Wine prefixes are searched, whichever launcher keeps them: the player's
// own Wine prefixes first, since a copy there is the one they set up by hand; then Steam's
// Proton prefixes; then the other launchers'.
enum class PrefixRank { Wine, Proton, Lutris, Bottles, Heroic, PlayOnLinux, CrossOver };

// A Wine prefix to search, or a folder of them.
struct PrefixPlace {
    PrefixRank rank = PrefixRank::Wine;
    std::string label;  // "Wine", "Bottles": the start of every note about it
    std::filesystem::path path;
    // When set, each sub-folder of `path` whose name starts with `startingWith` (without
    // regard to case; "" for every sub-folder) is a prefix; otherwise `path` is one.
    bool folderOfPrefixes = false;
    std::string startingWith;
};

// Where the platform keeps what the finder reads. Made by Machine::searchPlaces(), each
// launcher family adding its own; tests build their own.
struct SearchPlaces {
    // Folders the player chose in Brambleton's window: listed first, when they hold the game.
    std::vector<std::filesystem::path> chosenFolders;
    // The user's home, for "~" in launchers' files.
    std::filesystem::path home;

    // Steam: its roots; each one's steamapps/libraryfolders.vdf lists the other libraries.
    std::vector<std::filesystem::path> steamRoots;

    // The EA app and Epic: folders that are the game when they hold it (the EA app's
    // default), folders of the Epic launcher's *.item manifests.
    std::vector<LabelledPath> fixedFolders;
    std::vector<std::filesystem::path> epicManifestFolders;
    // Heroic's configuration folders: legendaryConfig/legendary/installed.json lists its Epic
    // games, GamesConfig/*.json names each game's prefix.
    std::vector<std::filesystem::path> heroicFolders;

    // Wine prefixes, and folders of them, that the launchers keep.
    std::vector<PrefixPlace> prefixes;
    // Folders of Lutris's per-game *.yml files, each naming a prefix.
    std::vector<std::filesystem::path> lutrisGameFolders;
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
//  5. every Wine prefix (a folder holding system.reg and drive_c), in PrefixRank order and
//     else in the order found: its registry's SIMS_DATA then InstallPath, then the known
//     install folders below drive_c.
// Steps 3 to 5 are the launcher families' (locations/launchers/).
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
// category choice, the launchers only when the player asks. Every copy `full` found by
// looking stays listed, also one that was listed as chosen there and is chosen no more.
GameSearch withFreshRegistry(const GameSearch& fresh, const GameSearch& full);

// A few lines for a player whose game was not found: where the search looked and what it
// found there, one place a line, each line starting with two spaces.
std::string describeSearch(const Registry& registry, const SearchPlaces& places,
                           const GameSearch& search);

// Whether `folder` holds GameData\Behavior.iff, names matched without regard to case.
bool holdsGame(const std::filesystem::path& folder);

// The copy of the game in `folder` or below it, the nearest first: a folder the player picked
// that is not the game's own, such as a Steam installation or library, a Wine prefix or a
// folder of games. Looks at most `levels` folders deep and at `most` folders in all, never
// through a link to a folder; nothing when it finds none.
std::optional<std::filesystem::path> findGameBelow(const std::filesystem::path& folder,
                                                   int levels = 5, std::size_t most = 5000);

}  // namespace brambleton
