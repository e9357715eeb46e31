// SPDX-License-Identifier: MIT
// Wine prefixes, whoever keeps them: the player's own (~/.wine*), Proton's in each Steam
// library, Lutris's (named in its per-game files), Bottles', PlayOnLinux's and CrossOver's.
// Heroic's are queued by its own family. Every prefix is searched the same way.
#include <algorithm>
#include <system_error>

#include "common/ascii.h"
#include "common/runtime_error.h"
#include "locations/folder_names.h"
#include "locations/launchers/launcher.h"
#include "locations/launchers/lutris_file.h"
#include "locations/small_file.h"
#include "locations/wine_prefix.h"
#include "locations/wine_registry.h"

namespace fs = std::filesystem;

namespace brambleton::launchers {
namespace {

// The folders below a prefix's drive_c where the game installs itself.
std::vector<fs::path> knownInstallFolders(const fs::path& driveC) {
    std::vector<fs::path> found;
    for (const auto& programFiles : folder_names::startingWith(driveC, "Program Files")) {
        const fs::path base = driveC / programFiles;
        if (const auto maxis = folder_names::child(base, "Maxis")) {
            for (const auto& name : folder_names::startingWith(*maxis, "The Sims")) {
                found.push_back(*maxis / name);
            }
        }
        if (const auto ea = folder_names::child(base, "EA Games")) {
            if (auto game = folder_names::child(*ea, "The Sims Legacy")) found.push_back(*game);
        }
        fs::path at = base;
        bool all = true;
        for (const char* name : {"Steam", "steamapps", "common", "The Sims Legacy Collection"}) {
            const auto next = folder_names::child(at, name);
            if (!next) {
                all = false;
                break;
            }
            at = *next;
        }
        if (all) found.push_back(at);
    }
    return found;
}

// Whether a registry file's text has a key block whose path names Maxis, case ignored. Most
// prefixes belong to other games; looking only at the block headers ("[Software\\...] N")
// spares them the key lookups, which read the whole text several times.
bool mentionsMaxis(std::string_view text) {
    for (auto open = text.find('['); open != std::string_view::npos;
         open = text.find('[', open + 1)) {
        if (open != 0 && text[open - 1] != '\n') continue;
        const auto end = std::min(text.find('\n', open), text.size());
        const std::string_view header = text.substr(open, end - open);
        for (std::size_t i = 0; i + 5 <= header.size(); ++i) {
            if (ascii::lower(header[i]) == 'm' &&
                ascii::equalNoCase(header.substr(i, 5), "maxis")) {
                return true;
            }
        }
    }
    return false;
}

// The prefix's registry values, each listed when it names a folder holding the game.
void searchPrefixRegistry(const std::string& place, const fs::path& prefix, std::string text,
                          SearchLog& log) {
    // The registry takes the text over, so the file is held once, not twice.
    auto registry = WineRegistry::fromText(std::move(text), prefix / "system.reg");
    const WinePrefix wine(prefix);
    for (const auto& [value, installPath, tooLong] : registeredPaths(registry)) {
        const std::string source = place + ", its registry's " + value;
        if (tooLong) {
            log.note(source, longerThanAnyPathNote());
            continue;
        }
        if (installPath.empty()) {
            log.note(source, "no usable value");
            continue;
        }
        try {
            log.addIfGame(source, wine.toHostPath(installPath), installPath, prefix);
        } catch (const RuntimeError& e) {
            log.note(source, e.description());
        }
    }
}

// Lutris's per-game files, each naming the game's prefix.
void queueLutrisPrefixes(const fs::path& games, const fs::path& home, SearchLog& log) {
    if (const std::string problem = folderProblem(games); !problem.empty()) {
        log.note("Lutris's games in " + games.string(), problem);
        return;
    }
    for (const auto& name : folder_names::startingWith(games, "")) {
        if (name.size() <= 4 ||
            !ascii::equalNoCase(std::string_view(name).substr(name.size() - 4), ".yml")) {
            continue;
        }
        const fs::path file = games / name;
        const auto read = readSmallFile(file, kMaxLutrisFile);
        if (read.problem != FileProblem::None) {
            log.note(file.string(), describeProblem(read));
            continue;
        }
        const LutrisGame game = readLutrisGame(read.text);
        if (!game.problem.empty()) {
            log.note(file.string(), game.problem);
        } else if (game.prefix.empty()) {
            log.note(file.string(), "names no Wine prefix");
        } else {
            log.prefixes.push_back(
                {PrefixRank::Lutris, "Lutris (" + name + ")", expandHome(game.prefix, home)});
        }
    }
}

void queuePlace(const PrefixPlace& place, SearchLog& log) {
    if (!place.folderOfPrefixes) {
        log.prefixes.push_back({place.rank, place.label, place.path});
        return;
    }
    if (const std::string problem = folderProblem(place.path); !problem.empty()) {
        log.note(place.label + " " + place.path.string(), problem);
        return;
    }
    for (const auto& name : folder_names::startingWith(place.path, place.startingWith)) {
        log.prefixes.push_back({place.rank, place.label, place.path / name});
    }
}

class WinePrefixes final : public Launcher {
  public:
    void addLinuxPlaces(const HostEnvironment& environment, SearchPlaces& places) const override {
        const fs::path& home = environment.home;
        const fs::path flatpak = home / ".var/app";
        auto& prefixes = places.prefixes;
        if (!environment.winePrefix.empty()) {
            prefixes.push_back({PrefixRank::Wine, "Wine", environment.winePrefix, false, ""});
        }
        prefixes.push_back({PrefixRank::Wine, "Wine", home, true, ".wine"});
        places.steamPrefixes = true;
        for (const auto& games : {home / ".local/share/lutris/games", home / ".config/lutris/games",
                                  flatpak / "net.lutris.Lutris/data/lutris/games"}) {
            places.lutrisGameFolders.push_back(games);
        }
        for (const auto& bottles : {home / ".local/share/bottles/bottles",
                                    flatpak / "com.usebottles.bottles/data/bottles/bottles"}) {
            prefixes.push_back({PrefixRank::Bottles, "Bottles", bottles, true, ""});
        }
        prefixes.push_back(
            {PrefixRank::PlayOnLinux, "PlayOnLinux", home / ".PlayOnLinux/wineprefix", true, ""});
        prefixes.push_back({PrefixRank::CrossOver, "CrossOver", home / ".cxoffice", true, ""});
    }

    void find(const SearchPlaces& places, SearchLog& log) const override {
        for (const auto& place : places.prefixes) queuePlace(place, log);
        if (places.steamPrefixes) {
            for (const auto& library : log.steamLibraries) {
                const auto steamapps = folder_names::child(library, "steamapps");
                const auto compat =
                    steamapps ? folder_names::child(*steamapps, "compatdata") : std::nullopt;
                if (!compat) continue;
                for (const auto& app : folder_names::startingWith(*compat, "")) {
                    log.prefixes.push_back(
                        {PrefixRank::Proton, "Proton prefix", *compat / app / "pfx"});
                }
            }
        }
        for (const auto& games : places.lutrisGameFolders)
            queueLutrisPrefixes(games, places.home, log);
    }

    void describe(const SearchPlaces& places, const GameSearch& search,
                  std::string& out) const override {
        if (places.prefixes.empty() && !places.steamPrefixes && places.lutrisGameFolders.empty()) {
            return;
        }
        const std::string launchers =
            " of Wine, Proton, Lutris, Bottles, Heroic, PlayOnLinux and CrossOver";
        out += search.prefixes == 0
                   ? "  Wine prefixes" + launchers + ": none found\n"
                   : "  " + std::to_string(search.prefixes) +
                         (search.prefixes == 1 ? " Wine prefix" : " Wine prefixes") + launchers +
                         ": none holds the game\n";
    }
};

}  // namespace

const Launcher& winePrefixes() {
    static const WinePrefixes family;
    return family;
}

void searchPrefix(const QueuedPrefix& prefix, SearchLog& log) {
    const std::string place = prefix.label + " " + prefix.path.string();
    std::error_code ec;
    const auto driveC = prefix.path / "drive_c";
    if (!fs::is_regular_file(prefix.path / "system.reg", ec) || !folder_names::isFolder(driveC)) {
        const std::string problem = folderProblem(prefix.path);
        log.note(place,
                 problem.empty() ? "is not a Wine prefix (no system.reg and drive_c)" : problem);
        return;
    }
    if (!log.firstVisit(prefix.path)) return;
    ++log.result.prefixes;
    auto read = readSmallFile(prefix.path / "system.reg", WineRegistry::kMaxFileSize);
    if (read.problem != FileProblem::None) {
        log.note(place, "its system.reg " + describeProblem(read));
    } else if (!mentionsMaxis(read.text)) {
        log.note(place, "its registry has no Maxis key");
    } else {
        searchPrefixRegistry(place, prefix.path, std::move(read.text), log);
    }
    const auto known = knownInstallFolders(driveC);
    if (known.empty()) log.note(place, "has none of the game's usual install folders");
    for (const auto& folder : known) {
        log.addIfGame(place + ", " + folder.lexically_relative(driveC).generic_string(), folder,
                      driveCPath(driveC, folder), prefix.path);
    }
}

}  // namespace brambleton::launchers
