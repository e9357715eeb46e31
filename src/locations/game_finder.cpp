// SPDX-License-Identifier: MIT
#include "locations/game_finder.h"

#include <algorithm>
#include <deque>
#include <set>
#include <system_error>

#include "common/ascii.h"
#include "common/runtime_error.h"
#include "locations/folder_names.h"
#include "locations/launchers/launcher.h"
#include "locations/module1.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

using launchers::SearchLog;

// The same folder reached by two paths has one key (a link, a library listed twice).
std::string folderKey(const fs::path& folder) {
    std::error_code ec;
    const auto canonical = fs::canonical(folder, ec);
    return (ec ? folder.lexically_normal() : canonical).string();
}

// Step 0 for one folder: inside a prefix's drive_c it is shown as a C: path and browsed with
// that prefix's drives, elsewhere as a host path.
void addChosenFolder(const fs::path& folder, SearchLog& finder) {
    const std::string place = std::string(kChosenSource) + ", " + folder.string();
    if (!folder_names::isFolder(folder)) {
        finder.note(place, "does not exist");
        return;
    }
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        std::error_code ec;
        if (ascii::equalNoCase(at.filename().string(), "drive_c") &&
            fs::is_regular_file(at.parent_path() / "system.reg", ec)) {
            finder.addIfGame(kChosenSource, folder, launchers::driveCPath(at, folder),
                             at.parent_path(), GameInstall::Origin::Chosen);
            return;
        }
    }
    finder.addHostFolder(kChosenSource, folder, GameInstall::Origin::Chosen);
}

}  // namespace

GameSearch withFreshRegistry(const GameSearch& fresh, const GameSearch& full) {
    GameSearch merged = full;
    merged.installs = fresh.installs;
    std::set<std::string> listed;
    for (const auto& install : fresh.installs) listed.insert(folderKey(install.hostFolder));
    for (const auto& install : full.installs) {
        const GameInstall* looked = &install;
        if (install.origin != GameInstall::Origin::Looked) {
            // Listed by an earlier step in `full`: the copy the launchers' search found
            // there, if it found one, in the same place of the list.
            const auto key = folderKey(install.hostFolder);
            const auto also =
                std::find_if(full.alsoLooked.begin(), full.alsoLooked.end(),
                             [&](const GameInstall& a) { return folderKey(a.hostFolder) == key; });
            looked = also == full.alsoLooked.end() ? nullptr : &*also;
        }
        if (looked && listed.insert(folderKey(looked->hostFolder)).second) {
            merged.installs.push_back(*looked);
        }
    }
    return merged;
}

std::string describeSearch(const Registry& registry, const SearchPlaces& places,
                           const GameSearch& search) {
    std::string out;
    for (const auto& folder : places.chosenFolders) {
        out += "  the folder " + std::string(kChosenSource) + ", " + folder.string() + ": " +
               (!folder_names::isFolder(folder) ? "does not exist"
                : holdsGame(folder)             ? "holds the game"
                                                : "holds no GameData\\Behavior.iff") +
               "\n";
    }

    const std::string problem = registry.readProblem();
    if (problem.empty()) {
        // What steps 1 and 2 noted of their values, in a few words.
        std::string found;
        for (const char* value : {Module1::kSimsValue, kInstallPathValue}) {
            const std::string source = std::string(value) + " in " + registry.describe();
            for (const auto& note : search.notes) {
                if (note.place != source || note.outcome.starts_with("no usable value")) continue;
                found += (found.empty() ? "" : "; ") + std::string(value) + " " + note.outcome;
            }
        }
        out += "  the registry: " + std::string(Module1::kSimsValue) + " and " + kInstallPathValue +
               " under HKEY_LOCAL_MACHINE\\" + Module1::kSimsKey + " in " + registry.describe() +
               ": " + (found.empty() ? "neither is set" : found) + "\n";
    } else {
        out += "  the registry: " + registry.describe() + " " + problem + "\n";
    }

    for (const auto* family : launchers::all()) family->describe(places, search, out);
    return out;
}

bool holdsGame(const fs::path& folder) {
    const auto gameData = folder_names::child(folder, "GameData");
    if (!gameData) return false;
    const auto behavior = folder_names::child(*gameData, "Behavior.iff");
    std::error_code ec;
    return behavior && fs::is_regular_file(*behavior, ec);
}

std::optional<fs::path> findGameBelow(const fs::path& folder, int levels, std::size_t most) {
    // Breadth first, so the copy nearest the folder picked is the one found.
    std::deque<std::pair<fs::path, int>> queue{{folder, 0}};
    std::size_t looked = 0;
    while (!queue.empty() && looked < most) {
        auto [at, depth] = std::move(queue.front());
        queue.pop_front();
        ++looked;
        if (holdsGame(at)) return at;
        if (depth >= levels) continue;
        std::vector<fs::path> children;
        std::error_code ec;
        for (fs::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code kind;
            if (it->is_directory(kind) && !it->is_symlink(kind)) children.push_back(it->path());
        }
        std::sort(children.begin(), children.end());
        for (auto& child : children) queue.emplace_back(std::move(child), depth + 1);
    }
    return std::nullopt;
}

GameSearch findGames(Registry& registry, const FolderMap& folderMap, const fs::path& registryPrefix,
                     const SearchPlaces& places) {
    SearchLog finder(folderMap.separator());
    const std::string registryName = registry.describe();

    // 0. The folders the player chose.
    for (const auto& folder : places.chosenFolders) addChosenFolder(folder, finder);

    // 1. SIMS_DATA, the value the game's own installer writes (GetInstallPath's), then 2.
    // InstallPath, the one hand-made fixes write. SIMS_DATA naming no folder here is kept as
    // the fallback, so that a message can say which folder is missing.
    std::optional<GameInstall> fallback;
    for (const auto& [value, installPath, tooLong] : launchers::registeredPaths(registry)) {
        const std::string source = std::string(value) + " in " + registryName;
        const bool simsData = value == std::string_view(Module1::kSimsValue);
        if (tooLong) {
            finder.note(source, launchers::longerThanAnyPathNote());
            continue;
        }
        if (installPath.empty()) {
            const std::string problem = registry.readProblem();
            finder.note(source, !simsData         ? "no usable value"
                                : problem.empty() ? "no usable value under HKEY_LOCAL_MACHINE\\" +
                                                        std::string(Module1::kSimsKey)
                                                  : "the file " + problem);
            continue;
        }
        GameInstall install{source, installPath, {}, registryPrefix, GameInstall::Origin::Registry};
        try {
            install.hostFolder = folderMap.toHostPath(installPath);
            finder.add(install);
        } catch (const RuntimeError& e) {
            finder.note(source, e.description());
            if (simsData) fallback = install;
        }
    }

    // 3 and 4: the launchers' own lists; 5: the prefixes they keep, in rank order.
    for (const auto* family : launchers::all()) family->find(places, finder);
    std::stable_sort(finder.prefixes.begin(), finder.prefixes.end(),
                     [](const auto& a, const auto& b) { return a.rank < b.rank; });
    for (const auto& prefix : finder.prefixes) launchers::searchPrefix(prefix, finder);

    if (finder.result.installs.empty() && fallback) finder.result.installs.push_back(*fallback);
    return std::move(finder.result);
}

}  // namespace brambleton
