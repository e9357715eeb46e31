// SPDX-License-Identifier: MIT
// The game finder on real homes: launcher files in the formats Steam, Lutris, Heroic and
// Bottles write, Wine prefixes with registries written by Wine, and decoys beside them.
#include "locations/game_finder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "locations/machine.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::TempTree;
namespace fs = std::filesystem;

const std::string kFixtures = BRAMBLETON_FIXTURES;
const std::string kLegacy = "steamapps/common/The Sims Legacy Collection";

// A user's home folder in a temporary folder, with helpers that lay out what launchers write.
struct Home {
    TempTree tree;

    std::string path(std::string_view relative = {}) const { return tree.path(relative); }

    // A folder holding the game: GameData/Behavior.iff (in another case) and Downloads.
    void game(const std::string& folder) const {
        tree.file(folder + "/gamedata/BEHAVIOR.IFF", 10);
        tree.file(folder + "/Downloads/chair.iff", 100);
    }

    // A Wine prefix with a registry written by Wine (a fixture), its drives and drive_c.
    void prefix(const std::string& folder, const std::string& fixture = "fresh") const {
        tree.folder(folder + "/drive_c/windows");
        tree.link(folder + "/dosdevices/c:", "../drive_c");
        tree.link(folder + "/dosdevices/z:", "/");
        fs::copy_file(kFixtures + "/" + fixture + "/system.min.reg", path(folder + "/system.reg"));
    }

    void manifest(const std::string& library, const std::string& appId = "3314060",
                  const std::string& installDir = "The Sims Legacy Collection",
                  const std::string& steamapps = "steamapps") const {
        tree.text(library + "/" + steamapps + "/appmanifest_" + appId + ".acf",
                  "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appId +
                      "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"The Sims Legacy Collection\"\n"
                      "\t\"StateFlags\"\t\t\"4\"\n\t\"installdir\"\t\t\"" +
                      installDir + "\"\n}\n");
    }

    // libraryfolders.vdf in Steam's current format: numbered blocks holding "path".
    void libraries(const std::string& root, const std::vector<std::string>& folders) const {
        std::string text = "\"libraryfolders\"\n{\n";
        int n = 0;
        for (const auto& folder : folders) {
            text += "\t\"" + std::to_string(n++) + "\"\n\t{\n\t\t\"path\"\t\t\"" + folder +
                    "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"contentid\"\t\t\"7\"\n\t\t\"apps\"\n\t\t{\n"
                    "\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n";
        }
        tree.text(root + "/steamapps/libraryfolders.vdf", text + "}\n");
    }

    GameSearch find(const std::string& winePrefix = ".wine") const {
        HostEnvironment environment;
        environment.home = tree.root();
        environment.winePrefix = tree.path(winePrefix);
        return Machine(environment).findGames();
    }
};

// What a scenario expects of one install found: where it was found and its folder.
struct Expected {
    std::string sourceContains;
    std::string installPath;  // "~/" stands for the home folder
    std::string hostFolder;   // relative to the home folder
};

struct Scenario {
    const char* name;
    std::function<void(const Home&)> make;
    std::vector<Expected> expected;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

std::string expand(const Home& home, const std::string& text) {
    return text.rfind("~/", 0) == 0 ? home.path(text.substr(2)) : text;
}

const Scenario kScenarios[] = {
    {"SteamCurrentFormatSecondLibrary",
     [](const Home& h) {
         h.libraries(".local/share/Steam", {h.path(".local/share/Steam"), h.path("games/lib2")});
         h.manifest("games/lib2", "3314060", "The Sims Legacy Collection", "SteamApps");
         h.game("games/lib2/SteamApps/common/The Sims Legacy Collection");
     },
     {{"Steam library", "~/games/lib2/SteamApps/common/The Sims Legacy Collection/",
       "games/lib2/SteamApps/common/The Sims Legacy Collection"}}},
    {"SteamOldFlatFormat",
     [](const Home& h) {
         h.tree.text(".steam/debian-installation/steamapps/libraryfolders.vdf",
                     "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n"
                     "\t\"ContentStatsID\"\t\t\"-1\"\n\t\"1\"\t\t\"" +
                         h.path("old") + "\"\n}\n");
         h.manifest("old");
         h.game("old/" + kLegacy);
     },
     {{"Steam library", "~/old/" + kLegacy + "/", "old/" + kLegacy}}},
    {"FlatpakSteamWithUpperCaseAppId",
     [](const Home& h) {
         const std::string root = ".var/app/com.valvesoftware.Steam/.local/share/Steam";
         h.tree.text(root + "/steamapps/appmanifest_3314060.acf",
                     "\"AppState\" { \"appID\" \"3314060\" \"installdir\" \"Legacy\" }");
         h.game(root + "/steamapps/common/Legacy");
     },
     {{"Steam library",
       "~/.var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/common/Legacy/",
       ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/common/Legacy"}}},
    {"ProtonPrefixWithoutTheKeyIsPassedOver",
     [](const Home& h) {
         h.manifest(".local/share/Steam");
         h.game(".local/share/Steam/" + kLegacy);
         h.prefix(".local/share/Steam/steamapps/compatdata/3314060/pfx");
     },
     {{"Steam library", "~/.local/share/Steam/" + kLegacy + "/", ".local/share/Steam/" + kLegacy}}},
    {"BottlesDiscInstallBySimsData",
     [](const Home& h) {
         h.prefix(".local/share/bottles/bottles/Sims", "a_sz_32bit");
         h.game(".local/share/bottles/bottles/Sims/drive_c/Program Files (x86)/Maxis/The Sims");
     },
     {{"Bottles", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".local/share/bottles/bottles/Sims/drive_c/Program Files (x86)/Maxis/The Sims"}}},
    {"LutrisDiscInstallInAKnownFolder",
     [](const Home& h) {
         h.tree.text(".config/lutris/games/the-sims-1700000000.yml",
                     "game:\n  exe: drive_c/Program Files/Maxis/The Sims/Sims.exe\n"
                     "  prefix: ~/Games/the-sims\nsystem: {}\nwine:\n  version: lutris-7.2\n");
         h.prefix("Games/the-sims");
         h.game("Games/the-sims/drive_c/program files/maxis/The Sims Complete Collection");
     },
     {{"Lutris (the-sims-1700000000.yml)",
       "C:\\program files\\maxis\\The Sims Complete Collection\\",
       "Games/the-sims/drive_c/program files/maxis/The Sims Complete Collection"}}},
    {"InstallPathOnlyRegistry",
     [](const Home& h) {
         h.prefix(".wine", "r_install_path_only");
         h.game(".wine/drive_c/Program Files (x86)/Maxis/The Sims");
     },
     {{"InstallPath in", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".wine/drive_c/Program Files (x86)/Maxis/The Sims"}}},
    {"HeroicInstalledGame",
     [](const Home& h) {
         h.tree.text(".config/heroic/legendaryConfig/legendary/installed.json",
                     "{\"Sims\": {\"app_name\": \"Sims\", \"title\": \"The Sims Legacy\","
                     " \"install_path\": \"" +
                         h.path("Games/Heroic/The Sims Legacy") +
                         "\", \"platform\": \"Windows\"}, \"Other\": {\"install_path\": 7}}");
         h.game("Games/Heroic/The Sims Legacy");
     },
     {{"Heroic", "~/Games/Heroic/The Sims Legacy/", "Games/Heroic/The Sims Legacy"}}},
    {"HeroicGameConfigPrefix",
     [](const Home& h) {
         h.tree.text(".config/heroic/GamesConfig/Sims.json",
                     "{\"Sims\": {\"winePrefix\": \"~/Games/Heroic/Prefixes/default/Sims\","
                     " \"wineVersion\": {\"type\": \"proton\"}}, \"version\": \"v0\"}");
         h.prefix("Games/Heroic/Prefixes/default/Sims", "a_sz_32bit");
         h.game("Games/Heroic/Prefixes/default/Sims/drive_c/Program Files (x86)/Maxis/The Sims");
     },
     {{"Heroic (Sims.json)", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       "Games/Heroic/Prefixes/default/Sims/drive_c/Program Files (x86)/Maxis/The Sims"}}},
    {"RegistryComesBeforeSteam",
     [](const Home& h) {
         h.prefix(".wine", "a_sz_32bit");
         h.tree.folder(".wine/drive_c/Program Files (x86)/Maxis/The Sims/Downloads");
         h.manifest(".local/share/Steam");
         h.game(".local/share/Steam/" + kLegacy);
     },
     {{"SIMS_DATA in", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".wine/drive_c/Program Files (x86)/Maxis/The Sims"},
      {"Steam library", "~/.local/share/Steam/" + kLegacy + "/", ".local/share/Steam/" + kLegacy}}},
    {"PlayersOwnPrefixBeforeProtonBeforeBottles",
     [](const Home& h) {
         // Found in the opposite order: Bottles' folder, then Steam, then ~/.wine-sims.
         const std::string inPrefix = "/drive_c/Program Files (x86)/Maxis/The Sims";
         for (const std::string prefix :
              {".local/share/bottles/bottles/Sims", ".local/share/Steam/steamapps/compatdata/9/pfx",
               ".wine-sims"}) {
             h.prefix(prefix, "a_sz_32bit");
             h.game(prefix + inPrefix);
         }
     },
     {{"Wine", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".wine-sims/drive_c/Program Files (x86)/Maxis/The Sims"},
      {"Proton prefix", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".local/share/Steam/steamapps/compatdata/9/pfx/drive_c/Program Files (x86)/Maxis/The Sims"},
      {"Bottles", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".local/share/bottles/bottles/Sims/drive_c/Program Files (x86)/Maxis/The Sims"}}},
    {"TheSameFolderThroughALinkIsListedOnce",
     [](const Home& h) {
         h.manifest(".local/share/Steam");
         h.game(".local/share/Steam/" + kLegacy);
         h.tree.link(".steam/steam", "../.local/share/Steam");
         h.libraries(".local/share/Steam", {h.path(".steam/steam")});
     },
     {{"Steam library", "~/.local/share/Steam/" + kLegacy + "/", ".local/share/Steam/" + kLegacy}}},
    {"DecoysAreNeverTaken",
     [](const Home& h) {
         // The Sims 2's manifest, a leftover Legacy folder, another game's prefix and a
         // registry value naming a folder without the game.
         h.manifest(".local/share/Steam", "3314070", "The Sims 2 Legacy Collection");
         h.game(".local/share/Steam/steamapps/common/The Sims 2 Legacy Collection");
         h.manifest("lib", "3314060");
         h.tree.folder("lib/" + kLegacy + "/Downloads");
         h.libraries(".local/share/Steam", {h.path("lib")});
         h.prefix(".local/share/bottles/bottles/Witcher", "a_sz_32bit");
         h.tree.folder(
             ".local/share/bottles/bottles/Witcher/drive_c/Program Files (x86)/Maxis/The Sims");
         h.prefix(".PlayOnLinux/wineprefix/Other");
         h.game(".PlayOnLinux/wineprefix/Other/drive_c/Program Files/Other Game");
     },
     {}},
    {"MalformedLauncherFilesAreMissingEntries",
     [](const Home& h) {
         h.tree.text(".local/share/Steam/steamapps/libraryfolders.vdf",
                     "\"libraryfolders\"\n{\n\"0\"{");
         h.tree.text(".local/share/Steam/steamapps/appmanifest_3314060.acf",
                     std::string("\"AppState\"\0{\x01\x02", 14));
         h.tree.text(".steam/debian-installation/steamapps/appmanifest_3314060.acf",
                     "\"AppState\" { \"installdir\" \"../../../..\" }");
         h.tree.text(".config/heroic/legendaryConfig/legendary/installed.json", "{\"a\": [1, 2");
         h.tree.text(".config/heroic/GamesConfig/x.json", std::string(100000, '['));
         h.tree.text(".config/lutris/games/a.yml", "game: [prefix: {{{");
         h.tree.text(".config/lutris/games/b.yml", std::string(50000, '[') + "x");
         h.tree.text(".local/share/lutris/games/c.yml", "game: just a line\n");
         h.tree.file(".var/app/com.valvesoftware.Steam/data/Steam/steamapps/libraryfolders.vdf",
                     std::uintmax_t{64} << 20);
         ::mkfifo(
             h.path("snap/steam/common/.local/share/Steam/steamapps/libraryfolders.vdf").c_str(),
             0600);
         // One good install among them is still found.
         h.prefix(".cxoffice/Sims", "a_sz_32bit");
         h.game(".cxoffice/Sims/drive_c/Program Files (x86)/Maxis/The Sims");
     },
     {{"CrossOver", "C:\\Program Files (x86)\\Maxis\\The Sims\\",
       ".cxoffice/Sims/drive_c/Program Files (x86)/Maxis/The Sims"}}},
};

class FindGames : public ::testing::TestWithParam<Scenario> {};

TEST_P(FindGames, ListsEveryCopyInOrder) {
    const Scenario& scenario = GetParam();
    Home home;
    home.tree.folder(".local/share");
    home.tree.folder("snap/steam/common/.local/share/Steam/steamapps");
    scenario.make(home);
    const auto found = home.find();
    ASSERT_EQ(found.installs.size(), scenario.expected.size()) << [&] {
        std::string all;
        for (const auto& i : found.installs) all += i.source + " | " + i.hostFolder + "\n";
        return all;
    }();
    for (std::size_t i = 0; i < found.installs.size(); ++i) {
        const auto& got = found.installs[i];
        const auto& want = scenario.expected[i];
        EXPECT_NE(got.source.find(want.sourceContains), std::string::npos) << got.source;
        EXPECT_EQ(got.installPath, expand(home, want.installPath));
        EXPECT_EQ(fs::path(got.hostFolder), fs::path(home.path(want.hostFolder)));
    }
}

INSTANTIATE_TEST_SUITE_P(Homes, FindGames, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindGames, AnInstallInAPrefixIsBrowsedThroughThatPrefix) {
    Home home;
    home.prefix(".local/share/bottles/bottles/Sims", "a_sz_32bit");
    home.game(".local/share/bottles/bottles/Sims/drive_c/Program Files (x86)/Maxis/The Sims");
    HostEnvironment environment{home.tree.root(), home.path(".wine"), {}, {}, {}, {}};
    const Machine machine(environment);
    const auto found = machine.findGames();
    ASSERT_EQ(found.installs.size(), 1u);
    const auto map = machine.folderMapFor(found.installs[0]);
    EXPECT_EQ(map->drives(), (std::vector<std::string>{"C:", "Z:", "/"}));
    EXPECT_EQ(fs::path(map->toHostPath("C:\\Program Files (x86)\\Maxis\\The Sims\\Downloads\\")),
              fs::path(home.path(
                  ".local/share/bottles/bottles/Sims/drive_c/Program Files (x86)/Maxis/The Sims/"
                  "Downloads")));
}

// The folder the player chose in the window comes first, as the window and --where show it.
TEST(FindGames, TheChosenFolderComesFirst) {
    struct Case {
        const char* why;
        std::string chosen;  // relative to the home folder
        std::size_t installs;
        std::string firstInstallPath;  // "~/" stands for the home folder
        bool inPrefix;
    };
    const std::string bottle = ".local/share/bottles/bottles/Sims";
    const Case cases[] = {
        {"a folder outside any prefix", "Games/Sims", 2, "~/Games/Sims/", false},
        {"a folder inside a prefix's drive_c", bottle + "/drive_c/Games/Sims", 2,
         "C:\\Games\\Sims\\", true},
        {"the Steam copy itself, listed once", ".local/share/Steam/" + kLegacy, 1,
         "~/.local/share/Steam/" + kLegacy + "/", false},
        {"a folder without the game", "Downloads", 1, "~/.local/share/Steam/" + kLegacy + "/",
         false},
        {"a folder that is gone", "Gone", 1, "~/.local/share/Steam/" + kLegacy + "/", false},
    };
    for (const auto& c : cases) {
        Home home;
        home.prefix(".wine");
        home.prefix(bottle);
        home.manifest(".local/share/Steam");
        home.game(".local/share/Steam/" + kLegacy);
        home.game("Games/Sims");
        home.game(bottle + "/drive_c/Games/Sims");
        home.tree.folder("Downloads");
        HostEnvironment environment;
        environment.home = home.tree.root();
        environment.winePrefix = home.path(".wine");
        const Machine machine(environment);
        home.tree.text(".config/brambleton/brambleton.ini",
                       "[game]\nchosen=" + home.path(c.chosen) + "\n");
        const auto search = machine.findGames();
        ASSERT_FALSE(search.installs.empty()) << c.why;
        std::string want = c.firstInstallPath;
        if (want.starts_with("~/")) want = home.path(want.substr(2));
        EXPECT_EQ(search.installs[0].installPath, want) << c.why;
        EXPECT_EQ(search.installs[0].prefix.empty(), !c.inPrefix) << c.why;
        // The quick search of the chosen folder and the registry finds it too.
        const auto quick = machine.findRegisteredGames();
        const bool chosen = search.installs[0].origin == GameInstall::Origin::Chosen;
        EXPECT_EQ(!quick.installs.empty() && quick.installs[0].installPath == want, chosen)
            << c.why;
        EXPECT_EQ(search.installs.size(), c.installs) << c.why;
        EXPECT_EQ(chosen, search.installs[0].source == kChosenSource) << c.why;
        EXPECT_EQ(chosen, c.installs == 2 || c.chosen.find("Steam") != std::string::npos) << c.why;
    }
}

// A category choice reads the chosen folder and the registry afresh and keeps what the
// launchers' search found: a SIMS_DATA set since then shows, the Steam copy stays.
TEST(FindGames, AFreshRegistryKeepsTheLaunchersCopies) {
    Home home;
    home.prefix(".wine");
    home.manifest(".local/share/Steam");
    home.game(".local/share/Steam/" + kLegacy);
    HostEnvironment environment;
    environment.home = home.tree.root();
    environment.winePrefix = home.path(".wine");
    const Machine machine(environment);
    const auto full = machine.findGames();
    ASSERT_EQ(full.installs.size(), 1u);

    fs::copy_file(kFixtures + "/a_sz_32bit/system.min.reg", home.path(".wine/system.reg"),
                  fs::copy_options::overwrite_existing);
    home.game(".wine/drive_c/Program Files (x86)/Maxis/The Sims");
    const auto merged = withFreshRegistry(machine.findRegisteredGames(), full);
    ASSERT_EQ(merged.installs.size(), 2u);
    EXPECT_EQ(merged.installs[0].origin, GameInstall::Origin::Registry);
    EXPECT_EQ(merged.installs[1].hostFolder, full.installs[0].hostFolder);

    fs::remove(home.path(".wine/system.reg"));
    EXPECT_EQ(withFreshRegistry(machine.findRegisteredGames(), full).installs.size(), 1u);

    // The Steam copy chosen as the game folder, the program started again (a full search
    // lists it as chosen), then another folder chosen: the Steam copy stays listed.
    const std::string steam = full.installs[0].hostFolder;
    home.tree.text(".config/brambleton/brambleton.ini", "[game]\nchosen=" + steam + "\n");
    const auto restarted = machine.findGames();
    ASSERT_EQ(restarted.installs.size(), 1u);
    EXPECT_EQ(restarted.installs[0].origin, GameInstall::Origin::Chosen);
    home.game("Games/Another Sims");
    home.tree.text(".config/brambleton/brambleton.ini",
                   "[game]\nchosen=" + home.path("Games/Another Sims") + "\n");
    const auto other = withFreshRegistry(machine.findRegisteredGames(), restarted);
    ASSERT_EQ(other.installs.size(), 2u);
    EXPECT_EQ(other.installs[0].hostFolder, home.path("Games/Another Sims"));
    EXPECT_EQ(other.installs[1].hostFolder, steam);
    EXPECT_NE(other.installs[1].source.find("Steam"), std::string::npos);
}

TEST(FindGames, AStaleSimsDataIsKeptOnlyWhenNothingElseIsFound) {
    Home home;
    home.prefix(".wine", "a_sz_32bit");  // names a folder that does not exist
    auto found = home.find();
    ASSERT_EQ(found.installs.size(), 1u);
    EXPECT_EQ(found.installs[0].installPath, "C:\\Program Files (x86)\\Maxis\\The Sims\\");
    EXPECT_EQ(found.installs[0].hostFolder, "");

    home.manifest(".local/share/Steam");
    home.game(".local/share/Steam/" + kLegacy);
    found = home.find();
    ASSERT_EQ(found.installs.size(), 1u);
    EXPECT_NE(found.installs[0].source.find("Steam"), std::string::npos);
}

TEST(FindGames, EpicManifestsAndFixedFolders) {
    // The Windows places, read through the same finder with folders of a temporary tree.
    Home home;
    home.prefix(".wine");
    home.game("EA Games/The Sims Legacy");
    home.game("Epic/TheSimsLegacy");
    home.tree.text("Manifests/A1B2.item",
                   "{\"FormatVersion\": 0, \"DisplayName\": \"The Sims Legacy Collection\","
                   " \"InstallLocation\": \"" +
                       home.path("Epic/TheSimsLegacy") + "\"}");
    home.tree.text("Manifests/C3.item", "{\"DisplayName\": \"Fortnite\", \"InstallLocation\": \"" +
                                            home.path("Epic") + "\"}");
    home.tree.text("Manifests/D4.item", "not json");
    SearchPlaces places;
    places.fixedFolders.push_back({"EA app default folder", home.path("EA Games/The Sims Legacy")});
    places.epicManifestFolders.emplace_back(home.path("Manifests"));
    HostEnvironment environment{home.tree.root(), home.path(".wine"), {}, {}, {}, {}};
    const Machine machine(environment);
    const auto found = findGames(machine.registry(), machine.folderMap(), {}, places);
    ASSERT_EQ(found.installs.size(), 2u);
    EXPECT_EQ(found.installs[0].installPath, home.path("EA Games/The Sims Legacy") + "/");
    EXPECT_NE(found.installs[1].source.find("The Sims Legacy Collection"), std::string::npos);
    EXPECT_EQ(found.installs[1].installPath, home.path("Epic/TheSimsLegacy") + "/");
}

}  // namespace
}  // namespace brambleton

namespace brambleton {
namespace {

// What "not found" says of the prefix's registry file, for each way it can fail to be one.
struct RegistryFileCase {
    const char* why;
    std::function<void(const Home&)> make;
    std::string says;
};

TEST(FindGames, NotFoundSaysWhatIsWrongWithTheRegistryFile) {
    const std::string reg = ".wine/system.reg";
    const RegistryFileCase cases[] = {
        {"no prefix at all", [](const Home&) {}, "system.reg does not exist"},
        {"a folder in its place", [&](const Home& h) { h.tree.folder(reg); },
         "system.reg is not a regular file"},
        {"a FIFO in its place",
         [&](const Home& h) {
             h.tree.folder(".wine");
             ::mkfifo(h.path(reg).c_str(), 0600);
         },
         "system.reg is not a regular file"},
        {"saved as UTF-16", [&](const Home& h) { h.tree.text(reg, "\xff\xfeW\0I\0N\0E\0"); },
         "system.reg is UTF-16 text"},
        {"another file", [&](const Home& h) { h.tree.text(reg, "[HKEY_LOCAL_MACHINE]\n"); },
         "system.reg is not a Wine registry file"},
        {"a value longer than any path",
         [&](const Home& h) {
             h.tree.text(reg,
                         "WINE REGISTRY Version 2\n\n#arch=win32\n\n"
                         "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\" +
                             std::string(1 << 20, 'a') + "\"\n");
         },
         "SIMS_DATA is longer than any Windows path"},
        {"a prefix without the game", [](const Home& h) { h.prefix(".wine"); },
         "SIMS_DATA and InstallPath under HKEY_LOCAL_MACHINE\\Software\\Maxis\\The Sims in "},
    };
    for (const auto& c : cases) {
        Home home;
        c.make(home);
        HostEnvironment environment;
        environment.home = home.tree.root();
        environment.winePrefix = home.path(".wine");
        const Machine machine(environment);
        const auto search = machine.findGames();
        EXPECT_TRUE(search.installs.empty()) << c.why;
        const auto said = describeSearch(machine.registry(), machine.searchPlaces(), search);
        EXPECT_NE(said.find(c.says), std::string::npos) << c.why << ":\n" << said;
        // Every place with what was found there.
        for (std::size_t at = 0; at < said.size();) {
            const auto end = said.find('\n', at);
            EXPECT_NE(said.substr(at, end - at).find(": "), std::string::npos)
                << c.why << ": a line without its result:\n"
                << said;
            at = end + 1;
        }
    }
}

// A folder the player picks that holds the game somewhere below: the nearest copy is found,
// within the levels looked at, and never through a link.
TEST(FindGameBelow, FindsTheNearestCopyInTheFolderPicked) {
    struct Row {
        const char* why;
        const char* game;    // below the tree's root; empty: none
        const char* picked;  // the folder picked, below the root
        bool found;
    };
    const Row rows[] = {
        {"the game's own folder", "The Sims", "The Sims", true},
        {"a Steam installation", ".local/share/Steam/steamapps/common/The Sims Legacy Collection",
         ".local/share/Steam", true},
        {"a Wine prefix", "pfx/drive_c/Program Files (x86)/Maxis/The Sims", "pfx", true},
        {"a folder of games", "Games/the-sims/drive_c/Program Files/Maxis/The Sims", "Games", true},
        {"deeper than it looks", "a/b/c/d/e/f/The Sims", "a", false},
        {"a folder without the game", "", "Games", false},
    };
    for (const auto& row : rows) {
        testing::TempTree tree;
        tree.folder("Games/empty");
        if (*row.game) tree.file(std::string(row.game) + "/GameData/Behavior.iff", 10);
        tree.folder(row.picked);
        const auto found = findGameBelow(tree.path(row.picked));
        EXPECT_EQ(found.has_value(), row.found) << row.why;
        if (found && row.found) {
            EXPECT_EQ(*found, fs::path(tree.path(row.game))) << row.why;
        }
    }
    testing::TempTree tree;
    if (tree.canLink()) {
        tree.file("elsewhere/The Sims/GameData/Behavior.iff", 10);
        tree.link("picked/link", tree.path("elsewhere"));
        EXPECT_FALSE(findGameBelow(tree.path("picked"))) << "a link was followed";
    }
}

}  // namespace
}  // namespace brambleton
