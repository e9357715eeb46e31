// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "locations/game_finder.h"
#include "locations/machine.h"
#include "locations/registry.h"

// The launcher families the game finder asks, one file each: where a family keeps its files
// on each platform, how it finds the game in them, and how it says what it found.
namespace brambleton::launchers {

// A Wine prefix waiting to be searched, with the rank that orders it among the others.
struct QueuedPrefix {
    PrefixRank rank;
    std::string label;
    std::filesystem::path path;
};

// What one search has found so far. Every install is listed once, by its folder's real path;
// every place looked at leaves a note; prefixes are queued here and searched last, in rank
// order, whichever family found them.
class SearchLog {
  public:
    explicit SearchLog(char separator) : separator_(separator) {}

    GameSearch result;
    std::vector<QueuedPrefix> prefixes;
    // Every Steam library looked in, for the families that keep folders inside them.
    std::vector<std::filesystem::path> steamLibraries;

    // A note quotes what it found (a registry value, a launcher's path) shortened, so a
    // hostile file cannot make the report huge.
    void note(std::string place, std::string outcome);
    // Lists `install` unless its folder is already listed; `place` is noted either way.
    void add(GameInstall install);
    // Lists a folder found by looking, when it holds the game.
    void addIfGame(std::string source, const std::filesystem::path& folder, std::string installPath,
                   std::filesystem::path prefix = {},
                   GameInstall::Origin origin = GameInstall::Origin::Looked);
    // A host folder outside any prefix, shown as a host path.
    void addHostFolder(std::string source, const std::filesystem::path& folder,
                       GameInstall::Origin origin = GameInstall::Origin::Looked);
    // Whether a folder (a Steam library, a prefix) is seen here for the first time.
    bool firstVisit(const std::filesystem::path& folder);

  private:
    char separator_;
    std::set<std::string> seen_;
    std::set<std::string> visited_;
};

// One family of launchers.
class Launcher {
  public:
    virtual ~Launcher() = default;
    // Adds where the family keeps its files on a Linux desktop of `environment`'s user.
    virtual void addLinuxPlaces(const HostEnvironment& environment, SearchPlaces& places) const;
    // Adds where it keeps them on Windows; `registry` is the system's.
    virtual void addWindowsPlaces(const HostEnvironment& environment, Registry& registry,
                                  SearchPlaces& places) const;
    // Finds the family's copies of the game in `places`, noting every place it looks at, and
    // queues the prefixes it keeps.
    virtual void find(const SearchPlaces& places, SearchLog& log) const = 0;
    // The family's lines of describeSearch: where it looked, what it found, each line
    // starting with two spaces and ending in a newline.
    virtual void describe(const SearchPlaces& places, const GameSearch& search,
                          std::string& out) const = 0;
};

// The families, one file each.
const Launcher& steam();          // launchers/steam.cpp
const Launcher& epicAndHeroic();  // launchers/epic_heroic.cpp, with the EA app's folder
const Launcher& winePrefixes();   // launchers/wine_prefixes.cpp: Wine, Proton, Lutris, Bottles,
                                  // PlayOnLinux, CrossOver

// The families in the order the finder asks them: Steam, the EA app with Epic and Heroic,
// then the Wine prefixes of every launcher.
std::span<const Launcher* const> all();

// Searches one Wine prefix: its registry's values, then the known install folders.
void searchPrefix(const QueuedPrefix& prefix, SearchLog& log);

// The install folders a registry names: SIMS_DATA, the value the game's installer writes,
// then InstallPath, the one hand-made fixes write; each as GetInstallPath gives it ("\"
// appended), empty when not set or unusable.
struct RegisteredPath {
    const char* value;
    std::string installPath;
    // The value is text longer than any Windows path (kMaxPathUnits), refused unread.
    bool longerThanAnyPath = false;
};
std::vector<RegisteredPath> registeredPaths(Registry& registry);

// What a search says of a value whose text is longer than any Windows path.
std::string longerThanAnyPathNote();

// The Windows path of a folder below a prefix's drive_c, as the window shows it.
std::string driveCPath(const std::filesystem::path& driveC, const std::filesystem::path& folder);

// "~/x" as the launchers write it, under `home`.
std::filesystem::path expandHome(const std::string& path, const std::filesystem::path& home);

// A plain folder name that cannot lead out of the folder it is looked up in.
bool isPlainName(std::string_view name);

// Why `folder` could not be listed ("cannot be read: Permission denied"), empty when it can.
std::string folderProblem(const std::filesystem::path& folder);

// The string fields named `keys` of the top-level JSON object in `text` and of each object
// directly inside it, one map per object holding any; the objects in text order. Read as a
// stream, without building the document, so a file of any shape costs memory only for what
// it holds under those keys. The inner objects come in text order, the top one last.
// Nothing when the text is not a JSON object.
std::optional<std::vector<std::map<std::string, std::string>>> jsonFields(
    std::string_view text, const std::vector<std::string>& keys);

// Launchers' own files are small; anything larger is not one of them.
inline constexpr std::size_t kMaxLauncherFile = std::size_t{4} << 20;

}  // namespace brambleton::launchers
