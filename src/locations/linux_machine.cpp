// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <yaml-cpp/yaml.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "locations/folder_names.h"
#include "locations/machine.h"
#include "locations/settings_file.h"
#include "locations/small_file.h"
#include "locations/wine_prefix.h"
#include "locations/wine_registry.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

constexpr std::size_t kMaxConfigFile = std::size_t{1} << 20;

// "~/x" as the launchers write it.
fs::path expandHome(const std::string& path, const fs::path& home) {
    if (path == "~") return home;
    if (path.rfind("~/", 0) == 0) return home / path.substr(2);
    return path;
}

// The files of `folder` whose names end in `suffix`, sorted.
std::vector<fs::path> filesEndingIn(const fs::path& folder, std::string_view suffix) {
    std::vector<fs::path> found;
    for (const auto& name : folder_names::startingWith(folder, "")) {
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            found.push_back(folder / name);
        }
    }
    return found;
}

void addChildren(std::vector<LabelledPath>& out, const std::string& label, const fs::path& folder,
                 std::string_view start = "") {
    for (const auto& name : folder_names::startingWith(folder, start)) {
        out.push_back({label, folder / name});
    }
}

// Lutris's per-game file: the prefix is `game: prefix:`.
std::optional<fs::path> lutrisPrefix(const fs::path& file, const fs::path& home) {
    const auto read = readSmallFile(file, kMaxConfigFile);
    if (read.problem != FileProblem::None) return std::nullopt;
    try {
        const YAML::Node root = YAML::Load(read.text);
        if (!root.IsMap()) return std::nullopt;
        const YAML::Node game = root["game"];
        if (!game || !game.IsMap()) return std::nullopt;
        const YAML::Node prefix = game["prefix"];
        if (!prefix || !prefix.IsScalar()) return std::nullopt;
        const auto text = prefix.as<std::string>();
        if (text.empty()) return std::nullopt;
        return expandHome(text, home);
    } catch (...) {
        // yaml-cpp reports malformed text, and nesting past its limit, by throwing.
        return std::nullopt;
    }
}

// Heroic's per-game file: `{ "<app>": { "winePrefix": "..." } }`.
std::vector<fs::path> heroicPrefixes(const fs::path& file, const fs::path& home) {
    std::vector<fs::path> found;
    const auto read = readSmallFile(file, kMaxConfigFile);
    if (read.problem != FileProblem::None) return found;
    const auto json = nlohmann::json::parse(read.text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return found;
    for (const auto& [name, game] : json.items()) {
        if (!game.is_object()) continue;
        const auto prefix = game.find("winePrefix");
        if (prefix != game.end() && prefix->is_string() && !prefix->get<std::string>().empty()) {
            found.push_back(expandHome(prefix->get<std::string>(), home));
        }
    }
    return found;
}

}  // namespace

HostEnvironment HostEnvironment::fromProcess() {
    HostEnvironment environment;
    const char* home = std::getenv("HOME");
    environment.home = home && *home ? home : "/";
    environment.winePrefix = WinePrefix::fromEnvironment().root();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // The XDG rule: a relative value is ignored.
    if (config && *config == '/') environment.configFolder = config;
    return environment;
}

Machine::Machine(HostEnvironment environment)
    : environment_(std::move(environment)),
      registry_(std::make_shared<WineRegistry>(environment_.winePrefix / "system.reg")),
      folderMap_(makeWineFolderMap(environment_.winePrefix)) {}

std::shared_ptr<const FolderMap> Machine::folderMapFor(const GameInstall& install) const {
    if (install.prefix.empty() || install.prefix == environment_.winePrefix) return folderMap_;
    return makeWineFolderMap(install.prefix);
}

GameSearch Machine::findGames() const {
    return brambleton::findGames(*registry_, *folderMap_, environment_.winePrefix, searchPlaces());
}

GameSearch Machine::findRegisteredGames() const {
    // Only the settings file: the launchers' places (Lutris's files, every prefix) are the
    // full search's.
    SearchPlaces places;
    if (auto chosen = settings::chosenFolder(settingsFile()))
        places.chosenFolders.push_back(*chosen);
    return brambleton::findGames(*registry_, *folderMap_, environment_.winePrefix, places);
}

SearchPlaces Machine::searchPlaces() const {
    const fs::path& home = environment_.home;
    const fs::path flatpak = home / ".var/app";
    SearchPlaces places;
    if (auto chosen = settings::chosenFolder(settingsFile()))
        places.chosenFolders.push_back(*chosen);
    places.steamRoots = {
        home / ".local/share/Steam",
        home / ".steam/steam",
        home / ".steam/debian-installation",
        flatpak / "com.valvesoftware.Steam/.local/share/Steam",
        flatpak / "com.valvesoftware.Steam/data/Steam",
        home / "snap/steam/common/.local/share/Steam",
    };
    const fs::path heroicFlatpak = flatpak / "com.heroicgameslauncher.hgl/config/heroic";
    for (const auto& heroic : {home / ".config/heroic", heroicFlatpak}) {
        places.heroicInstalledLists.push_back(heroic / "legendaryConfig/legendary/installed.json");
    }

    auto& prefixes = places.prefixes;
    if (!environment_.winePrefix.empty()) prefixes.push_back({"Wine", environment_.winePrefix});
    addChildren(prefixes, "Wine", home, ".wine");
    places.steamPrefixes = true;  // each library's compatdata, inserted here by the finder
    for (const auto& games : {home / ".local/share/lutris/games", home / ".config/lutris/games",
                              flatpak / "net.lutris.Lutris/data/lutris/games"}) {
        for (const auto& file : filesEndingIn(games, ".yml")) {
            if (auto prefix = lutrisPrefix(file, home)) {
                prefixes.push_back({"Lutris (" + file.filename().string() + ")", *prefix});
            }
        }
    }
    addChildren(prefixes, "Bottles", home / ".local/share/bottles/bottles");
    addChildren(prefixes, "Bottles", flatpak / "com.usebottles.bottles/data/bottles/bottles");
    for (const auto& heroic : {home / ".config/heroic", heroicFlatpak}) {
        for (const auto& file : filesEndingIn(heroic / "GamesConfig", ".json")) {
            for (auto& prefix : heroicPrefixes(file, home)) {
                prefixes.push_back({"Heroic (" + file.filename().string() + ")", prefix});
            }
        }
    }
    addChildren(prefixes, "Heroic", home / "Games/Heroic/Prefixes");
    addChildren(prefixes, "Heroic", home / "Games/Heroic/Prefixes/default");
    addChildren(prefixes, "PlayOnLinux", home / ".PlayOnLinux/wineprefix");
    addChildren(prefixes, "CrossOver", home / ".cxoffice");
    return places;
}

fs::path Machine::settingsFile() const {
    if (!environment_.configFolder.empty()) return settings::file(environment_);
    HostEnvironment withConfig = environment_;
    withConfig.configFolder = environment_.home / ".config";
    return settings::file(withConfig);
}

}  // namespace brambleton
