// SPDX-License-Identifier: MIT
// Steam: its roots, the libraries each root's libraryfolders.vdf lists, and in each library
// the Legacy Collection's app manifest.
#include <algorithm>

#include "locations/folder_names.h"
#include "locations/key_values.h"
#include "locations/launchers/launcher.h"
#include "locations/module1.h"
#include "locations/small_file.h"

namespace fs = std::filesystem;

namespace brambleton::launchers {
namespace {

// The libraries a Steam root's libraryfolders.vdf lists: numbered blocks holding "path" in
// the current format, numbered plain entries in the old one.
std::vector<fs::path> listedLibraries(const fs::path& steamapps, SearchLog& log) {
    std::vector<fs::path> libraries;
    const auto file = folder_names::child(steamapps, "libraryfolders.vdf");
    if (!file) return libraries;
    const auto read = readSmallFile(*file, kMaxLauncherFile);
    if (read.problem != FileProblem::None) {
        log.note(file->string(), describeProblem(read));
        return libraries;
    }
    const auto parsed = keyvalues::parse(read.text);
    if (!parsed || parsed->children.empty() || !parsed->children.front().block) {
        log.note(file->string(), "is not a library list");
        return libraries;
    }
    for (const auto& entry : parsed->children.front().children) {
        const bool numbered =
            !entry.key.empty() && std::all_of(entry.key.begin(), entry.key.end(),
                                              [](char c) { return c >= '0' && c <= '9'; });
        if (!numbered) continue;
        const std::string path = entry.block ? entry.text("path") : entry.value;
        if (!path.empty()) libraries.emplace_back(path);
    }
    return libraries;
}

// The installdir an app manifest names, when it is the Legacy Collection's and usable.
std::optional<std::string> manifestInstallDir(const fs::path& manifest, SearchLog& log) {
    const auto read = readSmallFile(manifest, kMaxLauncherFile);
    if (read.problem != FileProblem::None) {
        log.note(manifest.string(), describeProblem(read));
        return std::nullopt;
    }
    const auto parsed = keyvalues::parse(read.text);
    if (!parsed || parsed->children.empty() || !parsed->children.front().block) {
        log.note(manifest.string(), "is not an app manifest");
        return std::nullopt;
    }
    const auto& app = parsed->children.front();
    const std::string appId = app.text("appid");
    if (!appId.empty() && appId != kLegacyAppId) {
        log.note(manifest.string(), "is the manifest of app " + appId);
        return std::nullopt;
    }
    std::string installDir = app.text("installdir");
    if (!isPlainName(installDir)) {
        log.note(manifest.string(), "names no usable installdir");
        return std::nullopt;
    }
    return installDir;
}

// The game in one Steam library, through its appmanifest_3314060.acf.
void searchLibrary(const fs::path& library, SearchLog& log) {
    const std::string place = "Steam library " + library.string();
    const auto steamapps = folder_names::child(library, "steamapps");
    if (!steamapps || !folder_names::isFolder(*steamapps)) {
        const std::string problem = folderProblem(library);
        log.note(place, problem.empty() ? "has no steamapps folder" : problem);
        return;
    }
    const std::string manifestName = std::string("appmanifest_") + kLegacyAppId + ".acf";
    const auto manifest = folder_names::child(*steamapps, manifestName);
    if (!manifest) {
        const std::string problem = folderProblem(*steamapps);
        log.note(place, problem.empty() ? "has no " + manifestName : "its steamapps " + problem);
        return;
    }
    const auto installDir = manifestInstallDir(*manifest, log);
    if (!installDir) return;
    const auto common = folder_names::child(*steamapps, "common");
    const auto game = common ? folder_names::child(*common, *installDir) : std::nullopt;
    if (!game) {
        log.note(place, "has no folder common/" + *installDir);
        return;
    }
    log.addHostFolder(place, *game);
}

class Steam final : public Launcher {
  public:
    void addLinuxPlaces(const HostEnvironment& environment, SearchPlaces& places) const override {
        const fs::path& home = environment.home;
        const fs::path flatpak = home / ".var/app/com.valvesoftware.Steam";
        for (const auto& root :
             {home / ".local/share/Steam", home / ".steam/steam",
              home / ".steam/debian-installation", flatpak / ".local/share/Steam",
              flatpak / "data/Steam", home / "snap/steam/common/.local/share/Steam"}) {
            places.steamRoots.push_back(root);
        }
    }

    void addWindowsPlaces(const HostEnvironment& environment, Registry& registry,
                          SearchPlaces& places) const override {
        const std::string steamPath = Module1::ReadRegistryValue(
            registry, kCurrentUser, "Software\\Valve\\Steam", "SteamPath");
        if (!steamPath.empty()) places.steamRoots.push_back(fs::path(steamPath).make_preferred());
        for (const auto& programs : environment.programFolders) {
            places.steamRoots.push_back(programs / "Steam");
        }
    }

    void find(const SearchPlaces& places, SearchLog& log) const override {
        for (const auto& root : places.steamRoots) {
            const auto steamapps = folder_names::child(root, "steamapps");
            if (!steamapps || !folder_names::isFolder(*steamapps)) {
                const std::string problem = folderProblem(root);
                log.note("Steam " + root.string(),
                         problem.empty() ? "is not installed there" : problem);
                continue;
            }
            log.result.steamRoots.push_back(root.string());
            std::vector<fs::path> libraries{root};
            for (auto& library : listedLibraries(*steamapps, log)) libraries.push_back(library);
            for (const auto& library : libraries) {
                if (!log.firstVisit(library)) continue;
                ++log.result.steamLibraries;
                log.steamLibraries.push_back(library);
                searchLibrary(library, log);
            }
        }
    }

    void describe(const SearchPlaces&, const GameSearch& search, std::string& out) const override {
        if (search.steamRoots.empty()) {
            out += "  Steam: not installed in its usual places\n";
            return;
        }
        // One installation a line: paths run together on one line read as one path.
        out += "  Steam: " + std::to_string(search.steamLibraries) +
               (search.steamLibraries == 1 ? " library" : " libraries") +
               " looked in: the Legacy Collection (app " + std::string(kLegacyAppId) +
               ") is not installed in any\n";
        for (const auto& root : search.steamRoots) {
            out += "  Steam at " + root + ": the Legacy Collection is not in its libraries\n";
        }
    }
};

}  // namespace

const Launcher& steam() {
    static const Steam family;
    return family;
}

}  // namespace brambleton::launchers
