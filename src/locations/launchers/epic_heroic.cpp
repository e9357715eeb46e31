// SPDX-License-Identifier: MIT
// The EA app's default folder, the Epic launcher's manifests, and Heroic (which installs
// Epic's games on Linux): its list of installed games and the prefix it keeps for each.
#include "common/ascii.h"
#include "locations/folder_names.h"
#include "locations/launchers/launcher.h"
#include "locations/small_file.h"

namespace fs = std::filesystem;

namespace brambleton::launchers {
namespace {

// Heroic's files are small; a larger one is not Heroic's.
constexpr std::size_t kMaxHeroicConfig = std::size_t{1} << 20;

// The objects of a JSON file holding `keys`; nothing, with a note, when the file cannot be
// read or is not a JSON object. A missing file is noted only when `noteMissing`.
std::vector<std::map<std::string, std::string>> readJsonFields(const fs::path& file,
                                                               const std::vector<std::string>& keys,
                                                               std::size_t limit, SearchLog& log,
                                                               bool noteMissing = false) {
    const auto read = readSmallFile(file, limit);
    if (read.problem != FileProblem::None) {
        if (read.problem != FileProblem::Missing || noteMissing) {
            log.note(file.string(), describeProblem(read));
        }
        return {};
    }
    auto objects = jsonFields(read.text, keys);
    if (!objects) {
        log.note(file.string(), "is not a JSON object");
        return {};
    }
    return std::move(*objects);
}

// The files of `folder` whose names end in `suffix` (without regard to case), sorted.
std::vector<std::string> namesEndingIn(const fs::path& folder, std::string_view suffix) {
    std::vector<std::string> found;
    for (auto& name : folder_names::startingWith(folder, "")) {
        if (name.size() > suffix.size() &&
            ascii::equalNoCase(std::string_view(name).substr(name.size() - suffix.size()),
                               suffix)) {
            found.push_back(std::move(name));
        }
    }
    return found;
}

std::string field(const std::map<std::string, std::string>& object, const std::string& key) {
    const auto at = object.find(key);
    return at == object.end() ? std::string() : at->second;
}

class EpicAndHeroic final : public Launcher {
  public:
    void addLinuxPlaces(const HostEnvironment& environment, SearchPlaces& places) const override {
        const fs::path& home = environment.home;
        places.heroicFolders.push_back(home / ".config/heroic");
        places.heroicFolders.push_back(home / ".var/app/com.heroicgameslauncher.hgl/config/heroic");
        places.prefixes.push_back(
            {PrefixRank::Heroic, "Heroic", home / "Games/Heroic/Prefixes", true, ""});
        places.prefixes.push_back(
            {PrefixRank::Heroic, "Heroic", home / "Games/Heroic/Prefixes/default", true, ""});
    }

    void addWindowsPlaces(const HostEnvironment& environment, Registry&,
                          SearchPlaces& places) const override {
        for (const auto& programs : environment.programFolders) {
            places.fixedFolders.push_back(
                {"EA app default folder", programs / "EA Games" / "The Sims Legacy"});
        }
        places.epicManifestFolders.push_back(environment.programData / "Epic" /
                                             "EpicGamesLauncher" / "Data" / "Manifests");
    }

    void find(const SearchPlaces& places, SearchLog& log) const override {
        for (const auto& folder : places.fixedFolders) {
            const std::string place = folder.label + " " + folder.path.string();
            if (folder_names::isFolder(folder.path)) {
                log.addHostFolder(place, folder.path);
            } else {
                log.note(place, "does not exist");
            }
        }
        for (const auto& manifests : places.epicManifestFolders) findInEpic(manifests, log);
        for (const auto& heroic : places.heroicFolders) findInHeroic(heroic, places.home, log);
    }

    void describe(const SearchPlaces& places, const GameSearch&, std::string& out) const override {
        if (!places.fixedFolders.empty() || !places.epicManifestFolders.empty()) {
            out += "  the EA app's and Epic's folders: the game is not there\n";
        }
        bool heroic = false;
        for (const auto& folder : places.heroicFolders) {
            const fs::path list = installedList(folder);
            std::error_code ec;
            if (!fs::exists(list, ec)) continue;
            heroic = true;
            out +=
                "  Heroic's installed games, " + list.string() + ": the game is not among them\n";
        }
        if (!heroic && !places.heroicFolders.empty()) out += "  Heroic: not installed\n";
    }

  private:
    static fs::path installedList(const fs::path& heroic) {
        return heroic / "legendaryConfig/legendary/installed.json";
    }

    static void findInEpic(const fs::path& manifests, SearchLog& log) {
        const std::string problem = folderProblem(manifests);
        const auto items = namesEndingIn(manifests, ".item");
        if (items.empty())
            log.note("Epic manifests in " + manifests.string(), problem.empty() ? "none" : problem);
        for (const auto& name : items) {
            for (const auto& object : readJsonFields(
                     manifests / name, {"InstallLocation", "DisplayName"}, kMaxLauncherFile, log)) {
                const std::string folder = field(object, "InstallLocation");
                if (folder.empty()) continue;
                log.addHostFolder(
                    "Epic manifest " + name + " (" + field(object, "DisplayName") + ")", folder);
            }
        }
    }

    static void findInHeroic(const fs::path& heroic, const fs::path& home, SearchLog& log) {
        const fs::path list = installedList(heroic);
        for (const auto& object :
             readJsonFields(list, {"install_path", "title"}, kMaxLauncherFile, log)) {
            const std::string folder = field(object, "install_path");
            if (folder.empty()) continue;
            log.addHostFolder("Heroic " + list.string() + " (" + field(object, "title") + ")",
                              folder);
        }
        // Each game's settings name the prefix Heroic made for it.
        const fs::path games = heroic / "GamesConfig";
        if (const std::string problem = folderProblem(games); !problem.empty()) {
            log.note("Heroic's game settings in " + games.string(), problem);
        }
        for (const auto& name : namesEndingIn(games, ".json")) {
            for (const auto& object :
                 readJsonFields(games / name, {"winePrefix"}, kMaxHeroicConfig, log, true)) {
                const std::string prefix = field(object, "winePrefix");
                if (prefix.empty()) continue;
                log.prefixes.push_back(
                    {PrefixRank::Heroic, "Heroic (" + name + ")", expandHome(prefix, home)});
            }
        }
    }
};

}  // namespace

const Launcher& epicAndHeroic() {
    static const EpicAndHeroic family;
    return family;
}

}  // namespace brambleton::launchers
