// SPDX-License-Identifier: MIT
// brambleton-count: the counting engine without a window, for players' scripts, for tests
// and for benchmarks.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "actions/change_words.h"
#include "actions/changes.h"
#include "actions/install.h"
#include "actions/plan.h"
#include "app/terminal.h"
#include "app/terminal_text.h"
#include "common/runtime_error.h"
#include "common/version.h"
#include "content/catalogue.h"
#include "content/content_check.h"
#include "content/formats/text_codes.h"
#include "content/lots.h"
#include "content/lots_report.h"
#include "content/report_files.h"
#include "counting/count_summary.h"
#include "counting/file_counter.h"
#include "counting/file_pattern.h"
#include "locations/content_category.h"
#include "locations/folder_map.h"
#include "locations/machine.h"
#include "locations/module1.h"
#include "locations/registry.h"
#include "locations/save_folders.h"

namespace {

using namespace brambleton;
namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFolderFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnwritten = 3;
constexpr int kExitProblems = 4;
constexpr int kExitGameRunning = 5;
constexpr int kExitClash = 6;
constexpr int kExitDownloadUnreadable = 3;
constexpr int kExitCancelled = 130;

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void onInterrupt(int) {
    gInterrupted = 1;
}

const char* const kUsage =
    "usage: brambleton-count [--json] [--sequential] FOLDER [PATTERN]\n"
    "       brambleton-count [--json] [--sequential] [--game N] --category NAME\n"
    "       brambleton-count [--verbose] [--game N] --where\n"
    "       brambleton-count [--json] [--game N] [--quick] [--report FILE] --check\n"
    "       brambleton-count [--json] [--game N] --catalog\n"
    "       brambleton-count [--json] [--game N] [--saves FOLDER] --lots\n"
    "       brambleton-count [--json] [--game N] [--dry-run] --fix\n"
    "       brambleton-count [--json] [--game N] [--dry-run] --install ARCHIVE|FOLDER...\n"
    "       brambleton-count [--json] --undo | --history\n"
    "\n"
    "Counts the files in FOLDER and every folder below it whose names match PATTERN, the\n"
    "folders below FOLDER, and the files' bytes. PATTERN (default \"*.*\", every file) is\n"
    "one or more entries separated by \";\", case ignored: \"*.IFF\" takes the names whose\n"
    "text after the last dot is IFF (chair.iff, not chair.iff.bak); any other entry takes\n"
    "whole names, \"*\" standing for any characters and \"?\" for one (\"Caf*.iff\").\n"
    "Links to folders are not followed; a link to a file counts as that file. A folder\n"
    "more than 4,096 levels below FOLDER is reported and not entered.\n"
    "\n"
    "  --category NAME  count one of the game's content categories (objects, floors,\n"
    "                   walls, skins, roofs) in the first copy of the game found\n"
    "  --where          list every copy of the game found (the folder chosen in\n"
    "                   Brambleton's window; the registry's SIMS_DATA and\n"
    "                   InstallPath, on Linux of $WINEPREFIX else ~/.wine; Steam libraries;\n"
    "                   the EA app, Epic and Heroic; every launcher's Wine prefix), then\n"
    "                   the install folder and each category's folder of the one used\n"
    "  --check          check what the game loads in the first copy found: each area's\n"
    "                   files, bytes and largest folders, and the problems that keep\n"
    "                   content from showing up (packed archives, skins in sub-folders,\n"
    "                   content in the wrong folder, renamed leftovers, empty files,\n"
    "                   files that are not what their names say, duplicates, objects\n"
    "                   sharing an object ID, skins missing their mesh, skin textures\n"
    "                   deeper than 8 bits, mesh lists named otherwise inside), with\n"
    "                   the objects inside .far archives counted. Reads only; changes\n"
    "                   nothing\n"
    "  --quick          with --check, look at names and sizes only, not inside the files\n"
    "  --catalog        list what the first copy of the game has from its players: every\n"
    "                   object (loose or inside .far archives), floor, wall and skin, with\n"
    "                   its name, price and category as the game's catalogue shows them,\n"
    "                   in the desktop's language where the file has it. Reads only\n"
    "  --lots           which saved lots of the first copy found use each content file,\n"
    "                   what no lot uses, and what each lot misses. Reads the saves only\n"
    "  --saves FOLDER   with --lots, the saves in FOLDER (a UserData folder or the folder\n"
    "                   holding them)\n"
    "  --fix            put right what --check finds that can be put right safely: content\n"
    "                   in the wrong folder or a sub-folder the game does not read moved\n"
    "                   where the game loads it, extra copies, empty files and files the\n"
    "                   game cannot read moved to the desktop's trash, mesh lists renamed.\n"
    "                   Never replaces a file, never copies across drives, never touches\n"
    "                   the game's own files, changes nothing while the game runs, and\n"
    "                   journals every step first (in $XDG_DATA_HOME/brambleton)\n"
    "  --install        install downloads (.zip, .rar, .7z, .tar, a self-extracting .exe,\n"
    "                   which is read and never run, or a folder): each file where the game\n"
    "                   reads its kind, objects in Downloads\\<the download's name>. A file\n"
    "                   of the same name is never overwritten; a clash (that, or an object\n"
    "                   ID already taken) installs nothing. One change: --undo takes it back\n"
    "  --dry-run        with --fix or --install, print the plan and change nothing\n"
    "  --undo           take back the last change, step by step in reverse; a file\n"
    "                   changed since, or whose old place is taken, is left and named\n"
    "  --history        list the changes made, newest first\n"
    "  --report FILE    with --check, also write the report as Content > Check my content\n"
    "                   saves it: JSON when FILE ends in .json, else a web page; paths from\n"
    "                   the game's folder, and the home folder written ~\n"
    "  --game N         use the Nth copy of --where's list instead of the first\n"
    "  --verbose        with --where, also every place looked at and why it did not count\n"
    "  --json           print the raw numbers as one JSON object (not with --where)\n"
    "  --sequential     read one folder at a time, without background readers warming the\n"
    "                   caches ahead of the count; for spinning disks, where reading in\n"
    "                   parallel can be slower (same totals either way)\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "Exit status: 0 every folder was read, 1 some folder could not be read (the totals\n"
    "are still printed) or the game was not found, 2 bad usage, 3 the output could not\n"
    "be written (the report's file included), 4 --check found problems or --lots found\n"
    "a lot that misses content (having read everything; else 1), 5 the game is running\n"
    "(--fix and --undo change nothing), 6 --install's plan has a clash (nothing installed),\n"
    "130 cancelled with Ctrl-C. --fix and --undo exit 1 when a step could not be done: the\n"
    "others stand, and each is named. --install exits 3 when a download could not be read.\n";

struct Options {
    bool json = false;
    bool where = false;
    bool check = false;
    bool catalog = false;
    bool lots = false;
    bool quick = false;
    bool verbose = false;
    bool sequential = false;
    bool fix = false;
    bool install = false;
    std::vector<std::string> sources;
    bool dryRun = false;
    bool undo = false;
    bool history = false;
    std::size_t game = 0;  // 1-based; 0 for the first
    std::string category;
    std::string report;  // --report's file
    std::string saves;   // --saves's folder
    std::string folder;
    std::string pattern = "*.*";
};

int usageError(const std::string& what) {
    std::fprintf(stderr, "brambleton-count: %s\n\n%s", printable(what).c_str(), kUsage);
    return kExitUsage;
}

// The options that take no value, and the field each one sets.
constexpr std::pair<const char*, bool Options::*> kSwitches[] = {
    {"--json", &Options::json},       {"--where", &Options::where},
    {"--check", &Options::check},     {"--catalog", &Options::catalog},
    {"--lots", &Options::lots},       {"--quick", &Options::quick},
    {"--verbose", &Options::verbose}, {"--sequential", &Options::sequential},
    {"--fix", &Options::fix},         {"--dry-run", &Options::dryRun},
    {"--undo", &Options::undo},       {"--history", &Options::history},
    {"--install", &Options::install},
};

// Reads the value of --game or --category from argv[i + 1], moving `i` past it. An error
// exit when the value is missing, given twice or not one of the allowed.
std::optional<int> parseValue(const std::string& option, int argc, char** argv, int& i,
                              Options& options) {
    if (option == "--report") {
        if (!options.report.empty()) return usageError("--report is given twice");
        if (i + 1 >= argc || argv[i + 1][0] == '\0') return usageError("--report needs a file");
        options.report = argv[++i];
        return std::nullopt;
    }
    if (option == "--saves") {
        if (!options.saves.empty()) return usageError("--saves is given twice");
        if (i + 1 >= argc || argv[i + 1][0] == '\0') return usageError("--saves needs a folder");
        options.saves = argv[++i];
        return std::nullopt;
    }
    if (option == "--game") {
        if (options.game) return usageError("--game is given twice");
        if (i + 1 >= argc) return usageError("--game needs a number");
        const std::string n = argv[++i];
        if (n.empty() || n.size() > 4 || n.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(n) == 0) {
            return usageError("--game takes a number from --where's list, not \"" + n + "\"");
        }
        options.game = std::stoul(n);
        return std::nullopt;
    }
    if (!options.category.empty()) return usageError("--category is given twice");
    if (i + 1 >= argc) return usageError("--category needs a name");
    options.category = argv[++i];
    if (!findCategory(options.category)) {
        return usageError("no category \"" + options.category +
                          "\" (objects, floors, walls, skins, roofs)");
    }
    return std::nullopt;
}

// The options that go together with --fix, --undo and --history.
std::optional<int> changeModeOptions(const Options& options) {
    if (options.dryRun && !options.fix && !options.install) {
        return usageError("--dry-run goes with --fix or --install");
    }
    if ((options.fix || options.undo || options.history) &&
        (options.verbose || options.sequential || options.quick || !options.report.empty() ||
         !options.saves.empty())) {
        return usageError(
            "--fix takes only --json, --game and --dry-run; --undo and --history only --json");
    }
    if ((options.undo || options.history) && options.game) {
        return usageError("--undo and --history take only --json");
    }
    return std::nullopt;
}

// The options that go together with --where, --check or --category.
std::optional<int> checkModeOptions(const Options& options, bool positional) {
    if (options.where + options.check + options.catalog + options.lots + !options.category.empty() +
            options.fix + options.undo + options.history >
        1) {
        return usageError(
            "--where, --check, --catalog, --lots, --category, --fix, --undo and --history go "
            "alone");
    }
    if (positional) {
        return usageError(
            "a folder goes without --where, --check, --catalog, --lots, --category, "
            "--fix, --undo or --history");
    }
    if (auto exit = changeModeOptions(options)) return exit;
    if (options.lots &&
        (options.verbose || options.sequential || options.quick || !options.report.empty())) {
        return usageError("--lots takes only --json, --game and --saves");
    }
    if (!options.saves.empty() && !options.lots) return usageError("--saves goes with --lots");
    if (options.catalog &&
        (options.verbose || options.sequential || options.quick || !options.report.empty())) {
        return usageError("--catalog takes only --json and --game");
    }
    if (options.check && (options.verbose || options.sequential)) {
        return usageError("--check takes only --json, --game, --quick and --report");
    }
    if (options.quick && !options.check) return usageError("--quick goes with --check");
    if (!options.report.empty() && !options.check) return usageError("--report goes with --check");
    if (options.verbose && !options.where) return usageError("--verbose goes with --where");
    if (options.json && options.where) return usageError("--where prints text only, not --json");
    if (options.sequential && options.where) {
        return usageError("--sequential goes with a count, not --where");
    }
    return std::nullopt;
}

// The options and arguments of a count of a folder.
std::optional<int> checkCountOptions(Options& options, const std::vector<std::string>& positional) {
    if (options.quick) return usageError("--quick goes with --check");
    if (!options.report.empty()) return usageError("--report goes with --check");
    if (options.game || options.verbose) {
        return usageError("--game and --verbose go with --where, --check or --category");
    }
    if (positional.empty()) return usageError("no folder given");
    if (positional.size() > 2) return usageError("too many arguments");
    if (positional[0].empty()) return usageError("the folder name is empty");
    options.folder = positional[0];
    if (positional.size() == 2) {
        if (!FilePattern(positional[1]).hasEntries()) {
            return usageError("the pattern \"" + positional[1] +
                              "\" names no extension (such as \"*.IFF\" or \"*.*\")");
        }
        options.pattern = positional[1];
    }
    return std::nullopt;
}

// The options and downloads of --install.
std::optional<int> installOptions(Options& options, const std::vector<std::string>& positional) {
    if (options.where || options.check || options.catalog || options.lots ||
        !options.category.empty() || options.fix || options.undo || options.history ||
        options.verbose || options.sequential || options.quick || !options.report.empty() ||
        !options.saves.empty()) {
        return usageError("--install takes only --json, --game and --dry-run");
    }
    if (positional.empty()) return usageError("--install needs an archive or a folder");
    for (const auto& source : positional) {
        if (source.empty()) return usageError("a download's name is empty");
        std::error_code ec;
        const auto absolute = fs::absolute(actions::hostPath(source), ec);
        if (ec || !fs::exists(absolute, ec))
            return usageError("no file or folder \"" + source + "\"");
        options.sources.push_back(actions::hostText(absolute.lexically_normal()));
    }
    return std::nullopt;
}

// Fills `options` from the command line. An exit status when the program should stop now
// (after --help, or on bad usage), nothing when it should go on.
std::optional<int> parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            // In one write, so that a reader that stops early ("--help | head") cannot
            // close the pipe between two of them.
            std::setvbuf(stdout, nullptr, _IOFBF, std::strlen(kUsage) + 1);
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (arg == "--version") {
            std::printf("brambleton-count %s\n", kVersion);
            return kExitOk;
        }
        const auto* sw = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                      [&](const auto& s) { return arg == s.first; });
        if (sw != std::end(kSwitches)) {
            options.*(sw->second) = true;
        } else if (arg == "--game" || arg == "--category" || arg == "--report" ||
                   arg == "--saves") {
            if (auto exit = parseValue(arg, argc, argv, i, options)) return exit;
        } else {
            return usageError("unknown option " + arg);
        }
    }
    if (options.install) return installOptions(options, positional);
    if (options.where || options.check || options.catalog || options.lots ||
        !options.category.empty() || options.fix || options.undo || options.history ||
        options.dryRun) {
        return checkModeOptions(options, !positional.empty());
    }
    return checkCountOptions(options, positional);
}

NumberSeparators localeSeparators() {
    NumberSeparators separators;
    const lconv* conv = std::localeconv();
    separators.thousands = conv->thousands_sep ? conv->thousands_sep : "";
    separators.decimal = (conv->decimal_point && *conv->decimal_point) ? conv->decimal_point : ".";
    return separators;
}

// Progress on standard error while a count runs on a terminal: at most ten updates a second,
// the line cleared when the count ends.
class ProgressLine {
  public:
    explicit ProgressLine(bool enabled) : enabled_(enabled) {}
    ~ProgressLine() { clear(); }

    void folderEntered(const std::string& path) {
        ++folders_;
        if (!enabled_) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        const std::string shown = lastPart(printable(path), 60);
        std::fprintf(stderr, "\r\033[K%lld folders  %s", folders_, shown.c_str());
        std::fflush(stderr);
        shown_ = true;
    }

    void clear() {
        if (!shown_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }

  private:
    bool enabled_;
    bool shown_ = false;
    long long folders_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

// A number for machines: digits and a "." whatever the user's locale, `decimals` places.
std::string machineNumber(double value, int decimals) {
    char buf[64];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, end.ptr);
}

void printTotals(const CountResult& totals, bool cancelled, bool json, long long errors) {
    if (json) {
        const CountResult shown = cancelled ? CountResult{} : totals;
        std::printf(
            "{\"files\":%d,\"folders\":%d,\"bytes\":%s,\"kilobytes\":%s,\"megabytes\":%s,"
            "\"cancelled\":%s,\"errors\":%lld}\n",
            shown.files, shown.folders, machineNumber(shown.bytes, 0).c_str(),
            machineNumber(shown.bytes / 1024, 6).c_str(),
            machineNumber(shown.bytes / 1048576, 6).c_str(), cancelled ? "true" : "false", errors);
        return;
    }
    // The user's own separators, in the window's order: folders above files.
    const auto text = Summarise(totals, cancelled, localeSeparators());
    std::printf("%-13s %s\n", "Folders", text.folders.c_str());
    std::printf("%-13s %s\n", "Files", text.files.c_str());
    std::printf("%-13s %s\n", "Total Bytes", text.bytes.c_str());
    std::printf("%-13s %s\n", "Total KBytes", text.kilobytes.c_str());
    std::printf("%-13s %s\n", "Total MBytes", text.megabytes.c_str());
}

// Everything printed reaches standard output, or the exit status says it did not.
int finished(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    const int err = errno;
    std::fprintf(stderr, "brambleton-count: the output could not be written: %s\n",
                 std::strerror(err ? err : EIO));
    return kExitUnwritten;
}

std::string notFoundText(const Machine& machine, const GameSearch& search) {
    return "The Sims was not found. Brambleton looked at:\n" +
           describeSearch(machine.registry(), machine.searchPlaces(), search) +
           "Count its folder with: brambleton-count FOLDER PATTERN" +
           (machine.environment().winePrefix.empty()
                ? std::string()
                : ", or set WINEPREFIX to the game's Wine prefix");
}

// The copy --game names (the first without it), or an exit status after saying why not.
std::variant<GameInstall, int> chooseGame(const Machine& machine, const GameSearch& search,
                                          std::size_t game) {
    if (search.installs.empty()) {
        // One line at a time, so that the lines stay lines and each is made safe to show.
        const std::string text = notFoundText(machine, search);
        const char* lead = "brambleton-count: ";
        for (std::size_t at = 0; at < text.size();) {
            const auto end = std::min(text.find('\n', at), text.size());
            std::fprintf(stderr, "%s%s\n", lead, printable(text.substr(at, end - at)).c_str());
            lead = "";
            at = end + 1;
        }
        return kExitFolderFailed;
    }
    if (game > search.installs.size()) {
        std::fprintf(stderr, "brambleton-count: --game %zu, but only %zu copies were found\n", game,
                     search.installs.size());
        return kExitUsage;
    }
    return search.installs[game ? game - 1 : 0];
}

int where(const Options& options) {
    const Machine machine(HostEnvironment::fromProcess());
    const auto search = machine.findGames();
    std::size_t n = 0;
    for (const auto& install : search.installs) {
        std::printf("Game %-9zu %s\n", ++n, printable(install.source).c_str());
        std::printf("    InstallPath  %s\n", printable(install.installPath).c_str());
        std::printf("    Folder       %s\n", install.hostFolder.empty()
                                                 ? "(does not exist)"
                                                 : printable(install.hostFolder).c_str());
    }
    if (options.verbose) {
        std::printf("Looked at\n");
        for (const auto& note : search.notes) {
            std::printf("    %s: %s\n", printable(note.place).c_str(),
                        printable(note.outcome).c_str());
        }
    }
    const auto chosen = chooseGame(machine, search, options.game);
    if (const int* status = std::get_if<int>(&chosen)) return *status;
    const auto& install = std::get<GameInstall>(chosen);
    const auto folderMap = machine.folderMapFor(install);
    std::printf("Registry       %s, HKEY_LOCAL_MACHINE\\%s, value %s\n",
                printable(machine.registry().describe()).c_str(), Module1::kSimsKey,
                Module1::kSimsValue);
    std::printf("InstallPath    %s\n", printable(install.installPath).c_str());
    for (const auto& category : kContentCategories) {
        const auto location = locateCategory(category, install.installPath);
        std::string host;
        try {
            host = folderMap->toHostPath(location.folderPath);
        } catch (const RuntimeError& e) {
            host = "missing: " + e.description();
        }
        std::printf("%-14s %s  %s\n    -> %s\n", std::string(category.caption).c_str(),
                    printable(location.folderPath).c_str(), location.pattern.c_str(),
                    printable(host).c_str());
    }
    return kExitOk;
}

int run(const Options& options) {
    std::signal(SIGINT, onInterrupt);

    ProgressLine progress(standardErrorIsTerminal());
    long long errors = 0;
    CFileCounter* counterRef = nullptr;
    CounterHooks hooks;
    hooks.yield = [&] {
        if (gInterrupted) counterRef->Cancel(true);
        progress.folderEntered(counterRef->currentFolderPath());
    };
    hooks.message = [&](const std::string& text) {
        ++errors;
        progress.clear();
        std::fprintf(stderr, "%s\n", printable(text).c_str());
    };
    CFileCounter counter(std::move(hooks));
    counter.setReadsAhead(!options.sequential);
    counterRef = &counter;

    CountResult totals;
    std::string path = options.folder;
    totals.files = counter.ContarArchivos(path, options.pattern, totals.folders, totals.bytes);
    progress.clear();

    const bool cancelled = counter.Cancel();
    if (cancelled) {
        counter.Cancel(false);
        std::fprintf(stderr, "Action Canceled by User\n");
    }
    printTotals(totals, cancelled, options.json, errors);
    if (cancelled) return kExitCancelled;
    return errors ? kExitFolderFailed : kExitOk;
}

// The check's report as text: each area, then the problems grouped by kind.
void printReport(const content::ContentReport& report, const NumberSeparators& separators) {
    const auto number = [&](std::int64_t n) {
        return formatNumber(static_cast<double>(n), 0, separators);
    };
    std::printf("Game folder  %s\n\n", printable(report.install).c_str());
    for (const auto& area : report.areas) {
        if (!area.folder) {
            std::printf("%-14s no folder %s\n", area.name.c_str(), area.place.c_str());
            continue;
        }
        std::printf(
            "%-14s files %s, %s MB in %s\n", area.name.c_str(), number(area.files).c_str(),
            formatNumber(static_cast<double>(area.bytes) / 1048576.0, 1, separators).c_str(),
            printable(*area.folder).c_str());
        if (area.area == Area::kObjects) {
            std::printf("    %s\n", content::objectsSentence(area, separators).c_str());
        }
        for (const auto& folder : area.largest) {
            std::printf(
                "    %12s MB  %s\n",
                formatNumber(static_cast<double>(folder.bytes) / 1048576.0, 1, separators).c_str(),
                printable(folder.folder).c_str());
        }
    }
    std::optional<content::ProblemKind> kind;
    for (const auto& problem : report.problems) {
        if (problem.kind != kind) {
            kind = problem.kind;
            std::printf("\n%s (%s)\n", content::describeKind(problem.kind).c_str(),
                        content::kindName(problem.kind).c_str());
        }
        std::printf("  %s\n      %s\n",
                    printable(content::placeText(problem.path, problem.entry)).c_str(),
                    printable(content::sentenceOf(problem, report.install)).c_str());
        for (const auto& member : problem.more) {
            std::printf("      - %s\n",
                        printable(content::placeText(member.path, member.entry)).c_str());
        }
        const auto unlisted = problem.moreCount - static_cast<std::int64_t>(problem.more.size());
        if (unlisted > 0) {
            std::printf("      - %s\n", content::moreText(unlisted, separators).c_str());
        }
        if (gInterrupted) return;
    }
    std::printf("\n");
    for (const auto& line : content::readingTexts(report, separators)) {
        std::printf("%s\n", line.c_str());
    }
    std::printf("%s", content::problemsText(report, separators).c_str());
    for (const auto& unread : content::unreadableTexts(report, separators)) {
        std::printf(", %s", unread.c_str());
    }
    std::printf("\n");
}

// The copy of the game --check, --catalog and --lots read, with a folder on this machine; an
// exit status, after saying why, when there is none.
std::variant<GameInstall, int> gameToScan(const Machine& machine, const Options& options) {
    auto chosen = chooseGame(machine, machine.findGames(), options.game);
    if (const int* status = std::get_if<int>(&chosen)) return *status;
    const auto& install = std::get<GameInstall>(chosen);
    if (install.hostFolder.empty()) {
        std::fprintf(stderr, "brambleton-count: the game's folder %s does not exist\n",
                     printable(install.installPath).c_str());
        return kExitFolderFailed;
    }
    return chosen;
}

fs::path hostPath(const std::string& path) {
    return {std::u8string(path.begin(), path.end())};
}

// The UserData folders of `install`: `chosen` when given, else where that copy keeps them.
std::vector<fs::path> saveFoldersOf(const Machine& machine, const GameInstall& install,
                                    const std::string& chosen) {
    SavesPlaces places;
    places.chosen = hostPath(chosen);
    places.install = hostPath(install.hostFolder);
    places.prefix = install.prefix;
    places.profile = machine.environment().home;
    std::vector<fs::path> saves;
    for (const auto& folder : findSaveFolders(places)) saves.push_back(folder.folder);
    return saves;
}

// The host folder of that copy.
std::variant<int, std::string> folderToScan(const Machine& machine, const Options& options) {
    const auto found = gameToScan(machine, options);
    if (const int* status = std::get_if<int>(&found)) return *status;
    return std::get<GameInstall>(found).hostFolder;
}

// A scan's hooks on a terminal: progress on `progress`'s line, Ctrl-C to stop, and each
// message on standard error, a line each.
content::ScanHooks terminalHooks(ProgressLine& progress) {
    content::ScanHooks hooks;
    hooks.progress = [&progress](const std::string& where) { progress.folderEntered(where); };
    hooks.cancelled = [] { return gInterrupted != 0; };
    hooks.message = [&progress](const std::string& text) {
        progress.clear();
        std::fprintf(stderr, "%s\n", printable(text).c_str());
    };
    return hooks;
}

// Checks `install` with progress on the terminal; `quick` looks at names and sizes only.
content::ContentReport checkGame(const Machine& machine, const GameInstall& install, bool quick) {
    ProgressLine progress(standardErrorIsTerminal());
    const content::CheckHooks hooks = terminalHooks(progress);
    const auto source = makePlatformFolderSource();
    content::CheckOptions checkOptions;
    checkOptions.lookInside = !quick;
    checkOptions.language = content::desktopLanguage();
    // Duplicates and conflicts of object IDs say which copies the saved lots use.
    if (!quick) checkOptions.saves = saveFoldersOf(machine, install, {});
    auto report = content::checkInstall(install.hostFolder, *source, hooks, checkOptions);
    progress.clear();
    return report;
}

int check(const Options& options) {
    std::signal(SIGINT, onInterrupt);
    const Machine machine(HostEnvironment::fromProcess());
    const auto found = gameToScan(machine, options);
    if (const int* status = std::get_if<int>(&found)) return *status;
    const auto report = checkGame(machine, std::get<GameInstall>(found), options.quick);
    // Ctrl-C is heard in every phase: the walk, the readers, the duplicate finder, and
    // while the report is made and written.
    const auto cancelledNow = [&report] {
        if (!report.cancelled && !gInterrupted) return false;
        std::fprintf(stderr, "Action Canceled by User\n");
        return true;
    };
    if (cancelledNow()) return kExitCancelled;
    if (options.json) {
        content::writeJson(report, [](std::string_view text) {
            if (!gInterrupted) std::fwrite(text.data(), 1, text.size(), stdout);
        });
        if (cancelledNow()) return kExitCancelled;
    } else {
        printReport(report, localeSeparators());
        if (cancelledNow()) return kExitCancelled;
    }
    if (!options.report.empty()) {
        const std::string failed =
            content::saveShared(report, options.report, machine.environment().home.string(),
                                localeSeparators(), [] { return gInterrupted != 0; });
        if (cancelledNow()) return kExitCancelled;
        if (!failed.empty()) {
            std::fprintf(stderr, "brambleton-count: %s\n", printable(failed).c_str());
            return kExitUnwritten;
        }
    }
    if (!report.problems.empty()) return kExitProblems;
    return report.foldersUnreadable || report.filesUnreadable ? kExitFolderFailed : kExitOk;
}

int catalog(const Options& options) {
    std::signal(SIGINT, onInterrupt);
    const Machine machine(HostEnvironment::fromProcess());
    const auto found = folderToScan(machine, options);
    if (const int* status = std::get_if<int>(&found)) return *status;
    const std::string& folder = std::get<std::string>(found);
    ProgressLine progress(standardErrorIsTerminal() && !options.json);
    const content::ScanHooks hooks = terminalHooks(progress);
    const auto source = makePlatformFolderSource();
    const auto separators = localeSeparators();
    std::size_t items = 0;
    if (options.json) {
        std::printf("{\"install\":%s,\"items\":[", content::jsonString(folder).c_str());
    }
    // Each item is printed as it is read: a catalogue of 200,000 items is never held.
    const auto scan = content::scanCatalogue(
        folder, *source, hooks, {content::desktopLanguage()}, [&](content::CatalogueItem&& item) {
            if (gInterrupted) return;
            if (options.json) {
                std::printf("%s%s", items ? "," : "", content::itemJson(item, folder).c_str());
            } else {
                progress.clear();
                std::printf("%s\n", printable(content::itemText(item, folder, separators)).c_str());
            }
            ++items;
        });
    progress.clear();
    if (scan.cancelled || gInterrupted) {
        std::fprintf(stderr, "Action Canceled by User\n");
        return kExitCancelled;
    }
    if (options.json) {
        std::printf("],\"files_unreadable\":%lld,\"folders_unreadable\":%lld}\n",
                    static_cast<long long>(scan.filesUnreadable),
                    static_cast<long long>(scan.foldersUnreadable));
    }
    return scan.foldersUnreadable || scan.filesUnreadable ? kExitFolderFailed : kExitOk;
}

int lots(const Options& options) {
    std::signal(SIGINT, onInterrupt);
    const Machine machine(HostEnvironment::fromProcess());
    const auto found = gameToScan(machine, options);
    if (const int* status = std::get_if<int>(&found)) return *status;
    const auto& install = std::get<GameInstall>(found);
    const auto saves = saveFoldersOf(machine, install, options.saves);
    if (saves.empty()) {
        std::fprintf(stderr,
                     options.saves.empty()
                         ? "brambleton-count: no saved games found for %s (looked in its "
                           "UserData folders and the Legacy Collection's Saved Games); name "
                           "them with --saves FOLDER\n"
                         : "brambleton-count: no saved games in %s\n",
                     printable(options.saves.empty() ? install.hostFolder : options.saves).c_str());
        return kExitFolderFailed;
    }
    ProgressLine progress(standardErrorIsTerminal());
    const content::ScanHooks hooks = terminalHooks(progress);
    const auto source = makePlatformFolderSource();
    const auto report = content::scanLots(hostPath(install.hostFolder), saves, *source, hooks,
                                          {content::desktopLanguage()});
    progress.clear();
    if (report.cancelled || gInterrupted) {
        std::fprintf(stderr, "Action Canceled by User\n");
        return kExitCancelled;
    }
    if (options.json) {
        content::writeLotsJson(report, [](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stdout);
        });
    } else {
        for (const auto& line : content::lotsText(report, localeSeparators())) {
            std::printf("%s\n", printable(line).c_str());
        }
    }
    // Something unread wins: "missing" is only said in full when everything needed was read.
    if (report.lotsUnreadable || report.filesUnreadable || report.foldersUnreadable ||
        !report.unusedKnown || !report.providersRead) {
        return kExitFolderFailed;
    }
    return content::missesContent(report) ? kExitProblems : kExitOk;
}

void printPlan(const actions::Plan& plan) {
    const auto counts = actions::countSteps(plan);
    for (const auto& step : plan.steps) {
        const std::string text = actions::stepText(step, plan.install);
        if (step.refusal == actions::Refusal::kNone) {
            std::printf("  %s\n", printable(text).c_str());
        } else {
            std::printf("  Not done: %s (%s)\n", printable(text).c_str(),
                        std::string(actions::refusalText(step.refusal)).c_str());
        }
    }
    std::printf("%zu %s to do, %zu to the trash, %zu not done.\n", counts.steps,
                counts.steps == 1 ? "step" : "steps", counts.trashed,
                plan.steps.size() - counts.steps);
}

// What a change did, each step done or not and why; as JSON with `json`.
void printOutcome(const actions::ChangeOutcome& outcome, const std::string& install, bool json) {
    if (json) {
        std::fputs(actions::outcomeJson(outcome, install).c_str(), stdout);
        return;
    }
    for (const auto& s : outcome.steps) {
        const std::string text = actions::stepText(s.step, install);
        std::printf(s.done ? "  Done: %s\n" : "  Not done: %s (%s)\n", printable(text).c_str(),
                    printable(s.why).c_str());
    }
    std::printf("%s\n",
                printable(actions::outcomeText(outcome, "brambleton-count --undo")).c_str());
}

// Opens the journal, first taking back what a crash cut short; nullopt (with why said)
// when it cannot be opened.
std::unique_ptr<actions::Changes> openChanges() {
    std::unique_ptr<actions::Changes> changes;
    try {
        changes = std::make_unique<actions::Changes>();
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "brambleton-count: %s\n", printable(e.description()).c_str());
        return nullptr;
    }
    for (const auto& undone : changes->recover()) {
        if (undone.game) continue;
        std::fprintf(
            stderr,
            "brambleton-count: the change \"%s\" was cut short; its steps were taken back\n",
            printable(undone.label).c_str());
    }
    return changes;
}

// A change's hooks on a terminal: Ctrl-C stops it before its next step, and the bytes of
// files installed come from `bytes`.
actions::ChangeHooks terminalChangeHooks(actions::DownloadBytes& bytes) {
    actions::ChangeHooks hooks;
    hooks.cancelled = [] { return gInterrupted != 0; };
    hooks.contents = [&bytes](const actions::Step& step, std::string& why) {
        return bytes.contents(step, why);
    };
    return hooks;
}

int fix(const Options& options) {
    std::signal(SIGINT, onInterrupt);
    const Machine machine(HostEnvironment::fromProcess());
    const auto found = gameToScan(machine, options);
    if (const int* status = std::get_if<int>(&found)) return *status;
    const auto report = checkGame(machine, std::get<GameInstall>(found), false);
    if (report.cancelled || gInterrupted) {
        std::fprintf(stderr, "Action Canceled by User\n");
        return kExitCancelled;
    }
    auto plan = actions::planFixes(report);
    // Archives left packed are installed, then moved to the trash, in the same change.
    std::vector<std::string> left;
    if (std::any_of(report.problems.begin(), report.problems.end(),
                    [](const auto& p) { return p.kind == content::ProblemKind::PackedArchive; })) {
        actions::addPackedInstalls(
            report,
            actions::readInstalled(report.install,
                                   saveFoldersOf(machine, std::get<GameInstall>(found), {})),
            plan, left);
    }
    for (const auto& why : left)
        std::fprintf(stderr, "brambleton-count: %s\n", printable(why).c_str());
    if (options.dryRun) {
        if (options.json) {
            std::fputs(actions::planJson(plan).c_str(), stdout);
        } else {
            printPlan(plan);
        }
        if (auto game = actions::GameWatch(actions::hostPath(plan.install)).running()) {
            std::fprintf(stderr,
                         "The game is running (%s): nothing can be changed until it ends.\n",
                         printable(*game).c_str());
        }
        return kExitOk;
    }
    auto changes = openChanges();
    if (!changes) return kExitFolderFailed;
    actions::DownloadBytes bytes;
    const actions::ChangeHooks hooks = terminalChangeHooks(bytes);
    const auto outcome = changes->carryOut(plan, actions::changeLabel(plan), hooks);
    printOutcome(outcome, plan.install, options.json);
    if (outcome.game) {
        std::fprintf(stderr, "The game is running (%s): %s\n", printable(*outcome.game).c_str(),
                     outcome.doneCount() ? "the steps after it started were not done."
                                         : "nothing was changed.");
        return kExitGameRunning;
    }
    if (outcome.cancelled) return kExitCancelled;
    return outcome.complete() ? kExitOk : kExitFolderFailed;
}

// Prints an install's plan (as JSON with --dry-run --json) and why it cannot go ahead; an
// exit status when it cannot: a download unreadable, or a clash.
std::optional<int> printInstallPlan(const actions::InstallPlan& plan, const Options& options) {
    if (options.json && options.dryRun) {
        std::fputs(actions::installJson(plan).c_str(), stdout);
    } else if (!options.json) {
        for (const auto& item : plan.items) {
            std::printf("  %s\n", printable(actions::installItemText(item, plan.install)).c_str());
        }
    }
    for (const auto& failed : plan.unreadable) {
        std::fprintf(stderr, "brambleton-count: %s %s\n", printable(failed.source).c_str(),
                     printable(actions::failureText(failed.failure)).c_str());
    }
    if (!plan.unreadable.empty()) return kExitDownloadUnreadable;
    if (const std::size_t clashes = plan.count(actions::InstallVerdict::kClash)) {
        std::fprintf(stderr, "brambleton-count: %zu %s in the way: nothing was installed\n",
                     clashes, clashes == 1 ? "file has something" : "files have something");
        return kExitClash;
    }
    return std::nullopt;
}

// Prints what an install did, and its exit status.
int printInstallOutcome(const actions::ChangeOutcome& outcome, const std::string& folder,
                        bool json) {
    if (json) {
        printOutcome(outcome, folder, true);
    } else {
        for (const auto& s : outcome.steps) {
            if (!s.done) {
                std::printf("  Not installed: %s (%s)\n", printable(s.step.entry).c_str(),
                            printable(s.why).c_str());
            }
        }
        std::printf("%s\n", printable(actions::installOutcomeText(outcome, folder,
                                                                  "brambleton-count --undo"))
                                .c_str());
    }
    if (outcome.game) {
        std::fprintf(stderr, "The game is running (%s): nothing more was installed.\n",
                     printable(*outcome.game).c_str());
        return kExitGameRunning;
    }
    if (outcome.cancelled) return kExitCancelled;
    return outcome.complete() ? kExitOk : kExitFolderFailed;
}

int install(const Options& options) {
    std::signal(SIGINT, onInterrupt);
    const Machine machine(HostEnvironment::fromProcess());
    const auto found = gameToScan(machine, options);
    if (const int* status = std::get_if<int>(&found)) return *status;
    const std::string folder = std::get<GameInstall>(found).hostFolder;
    const auto installed =
        actions::readInstalled(folder, saveFoldersOf(machine, std::get<GameInstall>(found), {}),
                               [] { return gInterrupted != 0; });
    if (gInterrupted) return kExitCancelled;
    const auto plan = actions::planInstall(folder, options.sources, installed);
    if (auto exit = printInstallPlan(plan, options)) return *exit;
    const auto steps = actions::installSteps(plan);
    if (options.dryRun || steps.steps.empty()) {
        if (!options.json) {
            std::printf("%zu %s to install, nothing changed.\n", steps.steps.size(),
                        steps.steps.size() == 1 ? "file" : "files");
        }
        return kExitOk;
    }
    auto changes = openChanges();
    if (!changes) return kExitFolderFailed;
    actions::DownloadBytes bytes;
    const actions::ChangeHooks hooks = terminalChangeHooks(bytes);
    return printInstallOutcome(changes->carryOut(steps, actions::installLabel(plan), hooks), folder,
                               options.json);
}

int undo(const Options& options) {
    auto changes = openChanges();
    if (!changes) return kExitFolderFailed;
    const auto outcome = changes->undo();
    if (options.json) {
        std::fputs(actions::undoJson(outcome).c_str(), stdout);
    } else if (outcome.nothing) {
        std::printf("There is no change to undo.\n");
    } else if (!outcome.game) {
        std::printf("Undo %s\n", printable(outcome.label).c_str());
        for (const auto& step : outcome.steps) {
            if (!step.kept.empty()) {
                std::printf("  Left where it is: %s (%s)\n",
                            printable(actions::journalStepText(step, outcome.install)).c_str(),
                            printable(step.kept).c_str());
            }
        }
        std::printf("%s\n", outcome.complete() ? "Every step was taken back."
                                               : "The steps not named were taken back.");
    }
    if (outcome.game) {
        std::fprintf(stderr, "The game is running (%s): nothing was taken back.\n",
                     printable(*outcome.game).c_str());
        return kExitGameRunning;
    }
    return outcome.complete() ? kExitOk : kExitFolderFailed;
}

int history(const Options& options) {
    auto changes = openChanges();
    if (!changes) return kExitFolderFailed;
    const auto list = changes->history();
    if (options.json) {
        std::fputs(actions::historyJson(list).c_str(), stdout);
        return kExitOk;
    }
    if (list.empty()) std::printf("No change has been made.\n");
    for (const auto& change : list) {
        std::printf("%s  %s  [%s]\n", printable(change.id).c_str(),
                    printable(actions::changeTitle(change)).c_str(),
                    actions::stateName(change).c_str());
        for (const auto& step : change.steps) {
            std::printf("    %s%s\n",
                        printable(actions::journalStepText(step, change.install)).c_str(),
                        step.kept.empty() ? "" : (" Left: " + printable(step.kept)).c_str());
        }
    }
    return kExitOk;
}

int countFromCommandLine(int argc, char** argv) {
    if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_ALL, "C");
    reportClosedPipesAsErrors();
    Options options;
    if (const auto exitCode = parse(argc, argv, options)) return finished(*exitCode);
    if (options.where) return finished(where(options));
    if (options.check) return finished(check(options));
    if (options.catalog) return finished(catalog(options));
    if (options.lots) return finished(lots(options));
    if (options.fix) return finished(fix(options));
    if (options.install) return finished(install(options));
    if (options.undo) return finished(undo(options));
    if (options.history) return finished(history(options));
    if (!options.category.empty()) {
        const Machine machine(HostEnvironment::fromProcess());
        const auto chosen = chooseGame(machine, machine.findGames(), options.game);
        if (const int* status = std::get_if<int>(&chosen)) return *status;
        const auto& install = std::get<GameInstall>(chosen);
        const auto location = locateCategory(*findCategory(options.category), install.installPath);
        try {
            options.folder = machine.folderMapFor(install)->toHostPath(location.folderPath);
        } catch (const RuntimeError& e) {
            std::fprintf(stderr, "brambleton-count: %s\n", printable(e.description()).c_str());
            return kExitFolderFailed;
        }
        options.pattern = location.pattern;
    }
    return finished(run(options));
}
}  // namespace

int main(int argc, char** argv) {
    try {
        return countFromCommandLine(argc, argv);
    } catch (const std::exception& e) {
        // Nothing the counter reads should get here; if something does, say so and fail
        // rather than abort.
        std::fprintf(stderr, "brambleton-count: %s\n", printable(e.what()).c_str());
        return kExitFolderFailed;
    }
}
