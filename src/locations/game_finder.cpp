// SPDX-License-Identifier: MIT
#include "locations/game_finder.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <system_error>

#include "common/ascii.h"
#include "common/runtime_error.h"
#include "locations/folder_names.h"
#include "locations/key_values.h"
#include "locations/module1.h"
#include "locations/small_file.h"
#include "locations/wine_prefix.h"
#include "locations/wine_registry.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

// Launchers' own files are small; anything larger is not one of them.
constexpr std::size_t kMaxLauncherFile = std::size_t{4} << 20;

std::string withSeparator(std::string path, char separator) {
    if (path.empty() || path.back() != separator) path += separator;
    return path;
}

// The same folder reached by two paths (a link such as ~/.steam/steam, a library listed
// twice) has one key.
std::string folderKey(const fs::path& folder) {
    std::error_code ec;
    const auto canonical = fs::canonical(folder, ec);
    return (ec ? folder.lexically_normal() : canonical).string();
}

// A plain folder name that cannot lead out of the folder it is looked up in.
bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// `text` cut to at most kLongestQuote bytes on a character boundary, "..." marking the cut.
constexpr std::size_t kLongestQuote = 1024;
std::string shortened(std::string text) {
    if (text.size() <= kLongestQuote) return text;
    std::size_t end = kLongestQuote - 3;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text + "...";
}

class Finder {
  public:
    explicit Finder(const FolderMap& folderMap) : separator_(folderMap.separator()) {}

    GameSearch result;

    // A note quotes what it found (a registry value, a launcher's path) shortened, so a
    // hostile file cannot make the report huge.
    void note(std::string place, std::string outcome) {
        result.notes.push_back({shortened(std::move(place)), shortened(std::move(outcome))});
    }

    // Lists `install` unless its folder is already listed; `place` is noted either way.
    void add(GameInstall install) {
        const std::string place = install.source;
        if (!seen_.insert(folderKey(install.hostFolder)).second) {
            note(place, "the game at " + install.hostFolder + ", already listed");
            return;
        }
        note(place, "the game at " + install.hostFolder);
        result.installs.push_back(std::move(install));
    }

    // Lists a folder found by looking, when it holds the game.
    void addIfGame(std::string source, const fs::path& folder, std::string installPath,
                   fs::path prefix = {}, GameInstall::Origin origin = GameInstall::Origin::Looked) {
        if (!holdsGame(folder)) {
            note(std::move(source), folder.string() + " holds no GameData\\Behavior.iff");
            return;
        }
        add({std::move(source), std::move(installPath), folder.string(), std::move(prefix),
             origin});
    }

    // A host folder outside any prefix, shown as a host path.
    void addHostFolder(std::string source, const fs::path& folder,
                       GameInstall::Origin origin = GameInstall::Origin::Looked) {
        fs::path shown = folder;
        shown.make_preferred();
        addIfGame(std::move(source), folder, withSeparator(shown.string(), separator_), {}, origin);
    }

    // Whether a folder was seen already (a Steam library, a prefix).
    bool firstVisit(const fs::path& folder) { return visited_.insert(folderKey(folder)).second; }

  private:
    char separator_;
    std::set<std::string> seen_;
    std::set<std::string> visited_;
};

// A registry value as GetInstallPath gives it: "\" appended when it lacks one, nothing for
// an empty value.
std::string asInstallPath(std::string value) {
    if (value.empty()) return value;
    if (value.back() != '\\') value += '\\';
    return value;
}

// The libraries a Steam root's libraryfolders.vdf lists: numbered blocks holding "path" in
// the current format, numbered plain entries in the old one.
std::vector<fs::path> steamLibraries(const fs::path& steamapps, Finder& finder) {
    std::vector<fs::path> libraries;
    const auto file = folder_names::child(steamapps, "libraryfolders.vdf");
    if (!file) return libraries;
    const auto read = readSmallFile(*file, kMaxLauncherFile);
    if (read.problem != FileProblem::None) {
        finder.note(file->string(), describeProblem(read.problem));
        return libraries;
    }
    const auto parsed = keyvalues::parse(read.text);
    if (!parsed || parsed->children.empty() || !parsed->children.front().block) {
        finder.note(file->string(), "is not a library list");
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

// The game in one Steam library, through its appmanifest_3314060.acf.
void searchSteamLibrary(const fs::path& library, Finder& finder,
                        std::vector<LabelledPath>& protonPrefixes) {
    const std::string place = "Steam library " + library.string();
    const auto steamapps = folder_names::child(library, "steamapps");
    if (!steamapps || !folder_names::isFolder(*steamapps)) {
        finder.note(place, "has no steamapps folder");
        return;
    }
    if (const auto compat = folder_names::child(*steamapps, "compatdata")) {
        for (const auto& app : folder_names::startingWith(*compat, "")) {
            protonPrefixes.push_back({"Proton prefix", *compat / app / "pfx"});
        }
    }
    const std::string manifestName = std::string("appmanifest_") + kLegacyAppId + ".acf";
    const auto manifest = folder_names::child(*steamapps, manifestName);
    if (!manifest) {
        finder.note(place, "has no " + manifestName);
        return;
    }
    const auto read = readSmallFile(*manifest, kMaxLauncherFile);
    const auto parsed = read.problem == FileProblem::None ? keyvalues::parse(read.text)
                                                          : std::optional<keyvalues::Node>{};
    if (!parsed || parsed->children.empty() || !parsed->children.front().block) {
        finder.note(manifest->string(), read.problem == FileProblem::None
                                            ? "is not an app manifest"
                                            : describeProblem(read.problem));
        return;
    }
    const auto& app = parsed->children.front();
    const std::string appId = app.text("appid");
    if (!appId.empty() && appId != kLegacyAppId) {
        finder.note(manifest->string(), "is the manifest of app " + appId);
        return;
    }
    const std::string installDir = app.text("installdir");
    if (!isPlainName(installDir)) {
        finder.note(manifest->string(), "names no usable installdir");
        return;
    }
    const auto common = folder_names::child(*steamapps, "common");
    const auto game = common ? folder_names::child(*common, installDir) : std::nullopt;
    if (!game) {
        finder.note(place, "has no folder common/" + installDir);
        return;
    }
    finder.addHostFolder(place, *game);
}

// Every value of a JSON file's objects named `key`, with the object's `labelKey` beside it.
// Epic's manifests are one object; legendary's installed.json is an object of objects.
std::vector<std::pair<std::string, std::string>> jsonFolders(const fs::path& file,
                                                             const std::string& key,
                                                             const std::string& labelKey,
                                                             Finder& finder) {
    std::vector<std::pair<std::string, std::string>> found;
    const auto read = readSmallFile(file, kMaxLauncherFile);
    if (read.problem != FileProblem::None) {
        if (read.problem != FileProblem::Missing) {
            finder.note(file.string(), describeProblem(read.problem));
        }
        return found;
    }
    const auto json = nlohmann::json::parse(read.text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        finder.note(file.string(), "is not a JSON object");
        return found;
    }
    auto take = [&](const nlohmann::json& object) {
        const auto at = object.find(key);
        if (at == object.end() || !at->is_string()) return;
        std::string label;
        if (const auto l = object.find(labelKey); l != object.end() && l->is_string()) {
            label = l->get<std::string>();
        }
        found.emplace_back(label, at->get<std::string>());
    };
    take(json);
    for (const auto& [name, value] : json.items()) {
        if (value.is_object()) take(value);
    }
    return found;
}

// The Windows path of a folder below a prefix's drive_c, as the window shows it.
std::string driveCPath(const fs::path& driveC, const fs::path& folder) {
    std::string out = "C:\\";
    for (const auto& name : folder.lexically_relative(driveC)) {
        out += name.string();
        out += '\\';
    }
    return out;
}

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

// Step 5 for one prefix: its registry, then the known folders.
void searchPrefix(const LabelledPath& prefix, Finder& finder) {
    const std::string place = prefix.label + " " + prefix.path.string();
    std::error_code ec;
    const auto driveC = prefix.path / "drive_c";
    if (!fs::is_regular_file(prefix.path / "system.reg", ec) || !folder_names::isFolder(driveC)) {
        finder.note(place, "is not a Wine prefix (no system.reg and drive_c)");
        return;
    }
    if (!finder.firstVisit(prefix.path)) return;
    ++finder.result.prefixes;
    const auto read = readSmallFile(prefix.path / "system.reg", WineRegistry::kMaxFileSize);
    if (read.problem != FileProblem::None) {
        finder.note(place, std::string("its system.reg ") + describeProblem(read.problem));
    } else if (!mentionsMaxis(read.text)) {
        finder.note(place, "its registry has no Maxis key");
    } else {
        auto registry = WineRegistry::fromText(read.text, prefix.path / "system.reg");
        const WinePrefix wine(prefix.path);
        for (const char* value : {Module1::kSimsValue, kInstallPathValue}) {
            const std::string source = place + ", its registry's " + value;
            const std::string installPath = asInstallPath(
                Module1::ReadRegistryValue(registry, kLocalMachine, Module1::kSimsKey, value));
            if (installPath.empty()) {
                finder.note(source, "no usable value");
                continue;
            }
            try {
                finder.addIfGame(source, wine.toHostPath(installPath), installPath, prefix.path);
            } catch (const RuntimeError& e) {
                finder.note(source, e.description());
            }
        }
    }
    const auto known = knownInstallFolders(driveC);
    if (known.empty()) finder.note(place, "has none of the game's usual install folders");
    for (const auto& folder : known) {
        finder.addIfGame(place + ", " + folder.lexically_relative(driveC).generic_string(), folder,
                         driveCPath(driveC, folder), prefix.path);
    }
}

// Step 0 for one folder: inside a prefix's drive_c it is shown as a C: path and browsed with
// that prefix's drives, elsewhere as a host path.
void addChosenFolder(const fs::path& folder, Finder& finder) {
    const std::string place = std::string(kChosenSource) + ", " + folder.string();
    if (!folder_names::isFolder(folder)) {
        finder.note(place, "does not exist");
        return;
    }
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        std::error_code ec;
        if (ascii::equalNoCase(at.filename().string(), "drive_c") &&
            fs::is_regular_file(at.parent_path() / "system.reg", ec)) {
            finder.addIfGame(kChosenSource, folder, driveCPath(at, folder), at.parent_path(),
                             GameInstall::Origin::Chosen);
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
        if (install.origin != GameInstall::Origin::Looked) continue;
        if (listed.insert(folderKey(install.hostFolder)).second) merged.installs.push_back(install);
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

    if (search.steamRoots.empty()) {
        out += "  Steam: not installed in its usual places\n";
    } else {
        out += "  Steam: " + std::to_string(search.steamLibraries) +
               (search.steamLibraries == 1 ? " library of" : " libraries of");
        for (const auto& root : search.steamRoots) out += " " + root;
        out += ": the Legacy Collection (app " + std::string(kLegacyAppId) +
               ") is not installed there\n";
    }
    if (!places.fixedFolders.empty() || !places.epicManifestFolders.empty()) {
        out += "  the EA app's and Epic's folders: the game is not there\n";
    }
    bool heroic = false;
    for (const auto& list : places.heroicInstalledLists) {
        std::error_code ec;
        if (!fs::exists(list, ec)) continue;
        heroic = true;
        out += "  Heroic's installed games, " + list.string() + ": the game is not among them\n";
    }
    if (!heroic && !places.heroicInstalledLists.empty()) out += "  Heroic: not installed\n";
    if (!places.prefixes.empty() || places.steamPrefixes) {
        const std::string launchers =
            " of Wine, Proton, Lutris, Bottles, Heroic, PlayOnLinux and CrossOver";
        out += search.prefixes == 0
                   ? "  Wine prefixes" + launchers + ": none found\n"
                   : "  " + std::to_string(search.prefixes) +
                         (search.prefixes == 1 ? " Wine prefix" : " Wine prefixes") + launchers +
                         ": none holds the game\n";
    }
    return out;
}

bool holdsGame(const fs::path& folder) {
    const auto gameData = folder_names::child(folder, "GameData");
    if (!gameData) return false;
    const auto behavior = folder_names::child(*gameData, "Behavior.iff");
    std::error_code ec;
    return behavior && fs::is_regular_file(*behavior, ec);
}

GameSearch findGames(Registry& registry, const FolderMap& folderMap, const fs::path& registryPrefix,
                     const SearchPlaces& places) {
    Finder finder(folderMap);
    const std::string registryName = registry.describe();

    // 0. The folders the player chose.
    for (const auto& folder : places.chosenFolders) addChosenFolder(folder, finder);

    // 1. SIMS_DATA, through GetInstallPath: the value the game's own installer writes.
    std::optional<GameInstall> fallback;
    const std::string simsData = Module1::GetInstallPath(registry);
    const std::string simsSource = std::string(Module1::kSimsValue) + " in " + registryName;
    if (simsData == Module1::kNotFound) {
        const std::string problem = registry.readProblem();
        finder.note(simsSource, problem.empty() ? "no usable value under HKEY_LOCAL_MACHINE\\" +
                                                      std::string(Module1::kSimsKey)
                                                : "the file " + problem);
    } else {
        GameInstall install{
            simsSource, simsData, {}, registryPrefix, GameInstall::Origin::Registry};
        try {
            install.hostFolder = folderMap.toHostPath(simsData);
            finder.add(install);
        } catch (const RuntimeError& e) {
            finder.note(simsSource, e.description());
            fallback = install;
        }
    }

    // 2. The value hand-made fixes write.
    const std::string installPathSource = std::string(kInstallPathValue) + " in " + registryName;
    const std::string installPath = asInstallPath(
        Module1::ReadRegistryValue(registry, kLocalMachine, Module1::kSimsKey, kInstallPathValue));
    if (installPath.empty()) {
        finder.note(installPathSource, "no usable value");
    } else {
        try {
            finder.add({installPathSource, installPath, folderMap.toHostPath(installPath),
                        registryPrefix, GameInstall::Origin::Registry});
        } catch (const RuntimeError& e) {
            finder.note(installPathSource, e.description());
        }
    }

    // 3. Steam.
    std::vector<LabelledPath> protonPrefixes;
    for (const auto& root : places.steamRoots) {
        const auto steamapps = folder_names::child(root, "steamapps");
        if (!steamapps || !folder_names::isFolder(*steamapps)) {
            finder.note("Steam " + root.string(), "is not installed there");
            continue;
        }
        finder.result.steamRoots.push_back(root.string());
        std::vector<fs::path> libraries{root};
        for (auto& library : steamLibraries(*steamapps, finder)) libraries.push_back(library);
        for (const auto& library : libraries) {
            if (!finder.firstVisit(library)) continue;
            ++finder.result.steamLibraries;
            searchSteamLibrary(library, finder, protonPrefixes);
        }
    }

    // 4. The EA app and Epic.
    for (const auto& folder : places.fixedFolders) {
        if (folder_names::isFolder(folder.path)) {
            finder.addHostFolder(folder.label + " " + folder.path.string(), folder.path);
        } else {
            finder.note(folder.label + " " + folder.path.string(), "does not exist");
        }
    }
    for (const auto& manifests : places.epicManifestFolders) {
        const auto items = folder_names::startingWith(manifests, "");
        if (items.empty()) finder.note("Epic manifests in " + manifests.string(), "none");
        for (const auto& name : items) {
            if (name.size() < 5 || !ascii::equalNoCase(name.substr(name.size() - 5), ".item")) {
                continue;
            }
            for (const auto& [label, folder] :
                 jsonFolders(manifests / name, "InstallLocation", "DisplayName", finder)) {
                finder.addHostFolder("Epic manifest " + name + " (" + label + ")", folder);
            }
        }
    }
    for (const auto& list : places.heroicInstalledLists) {
        for (const auto& [label, folder] : jsonFolders(list, "install_path", "title", finder)) {
            finder.addHostFolder("Heroic " + list.string() + " (" + label + ")", folder);
        }
    }

    // 5. Every prefix the launchers keep, Proton's after the plain Wine ones.
    std::vector<LabelledPath> prefixes = places.prefixes;
    if (places.steamPrefixes) {
        const auto wineEnd = std::find_if(prefixes.begin(), prefixes.end(),
                                          [](const LabelledPath& p) { return p.label != "Wine"; });
        prefixes.insert(wineEnd, protonPrefixes.begin(), protonPrefixes.end());
    }
    for (const auto& prefix : prefixes) searchPrefix(prefix, finder);

    if (finder.result.installs.empty() && fallback) finder.result.installs.push_back(*fallback);
    return std::move(finder.result);
}

}  // namespace brambleton
