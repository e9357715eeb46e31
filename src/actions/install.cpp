// SPDX-License-Identifier: MIT
#include "actions/install.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <set>

#include "actions/file_system.h"
#include "actions/hash.h"
#include "common/ascii.h"
#include "common/game_folders.h"
#include "content/catalogue.h"
#include "content/content_check.h"
#include "content/folder_walk.h"
#include "content/formats/far_reader.h"
#include "content/formats/text_codes.h"
#include "content/lots.h"
#include "counting/folder_source.h"

namespace brambleton::actions {

namespace fs = std::filesystem;
using content::ArchiveEntry;
using content::NameFault;

namespace {

constexpr std::string_view kInto = " \xC2\xBB ";

std::uint64_t hashOf(std::string_view bytes) {
    ContentHash hash;
    hash.add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return hash.value();
}

std::string nameText(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string lastPart(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

std::string extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : ascii::toLower(name.substr(dot + 1));
}

bool oneOf(std::string_view ext, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), ext) != list.end();
}

// A name with a number after `prefix` and nothing but ".iff" after it: House01.iff.
bool numbered(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() + 4 ||
        !ascii::equalNoCase(name.substr(0, prefix.size()), prefix) ||
        !ascii::equalNoCase(name.substr(name.size() - 4), ".iff")) {
        return false;
    }
    const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the name is a leftover of the system the download was packed on.
bool leftover(std::string_view name) {
    std::size_t begin = 0;
    while (begin <= name.size()) {
        std::size_t end = name.find_first_of("/\\", begin);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(begin, end - begin);
        if (ascii::equalNoCase(part, "__MACOSX") || part.substr(0, 2) == "._" ||
            ascii::equalNoCase(part, ".DS_Store") || ascii::equalNoCase(part, "Thumbs.db") ||
            ascii::equalNoCase(part, "desktop.ini")) {
            return true;
        }
        begin = end + 1;
    }
    return false;
}

// A BMP's width and height, from its header.
std::optional<std::pair<std::int32_t, std::int32_t>> bmpSize(std::string_view bytes) {
    if (bytes.size() < 26 || bytes.substr(0, 2) != "BM") return std::nullopt;
    const auto at = [&](std::size_t i) {
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k)
            v |= std::uint32_t(static_cast<unsigned char>(bytes[i + k])) << (8 * k);
        return static_cast<std::int32_t>(v);
    };
    return std::make_pair(at(18), at(22));
}

// The game's folder for a row of kGameFolders, as the game finds it, or as it would be made.
fs::path folderFor(const std::string& install, std::size_t row) {
    std::vector<fs::path> twins;
    if (auto found = content::gameFolderIn(hostPath(install), kGameFolders[row], twins))
        return *found;
    fs::path path = hostPath(install);
    for (const auto part : kGameFolders[row].folder) {
        if (!part.empty()) path /= std::string(part);
    }
    return path;
}

// Where one kind goes, and what a player calls it.
struct Kind {
    std::optional<std::size_t> row;  // kGameFolders' row it goes in; none: not installed
    bool ownFolder = false;          // in a folder named after the download (objects)
    InstallVerdict verdict = InstallVerdict::kInstall;
    std::string what;
};

// The object IDs and names of an object file's bytes, loose or a FAR archive's entries.
std::vector<std::pair<std::uint32_t, std::string>> objectsIn(std::string_view bytes, bool far) {
    std::vector<std::pair<std::uint32_t, std::string>> out;
    const auto add = [&](content::ByteSource& source) {
        try {
            for (auto& item : content::objectItems(source, {}, {}, content::desktopLanguage())) {
                if (item.guid != 0) out.emplace_back(item.guid, item.name.value_or(""));
            }
        } catch (const content::ReadError&) {
        }
    };
    content::MemoryBytes whole(bytes);
    if (!far) {
        add(whole);
        return out;
    }
    try {
        content::readFar(whole, [&](const content::FarEntry& entry) {
            if (extensionOf(entry.name) != "iff") return;
            content::PartBytes part(whole, entry.offset, entry.size);
            add(part);
        });
    } catch (const content::ReadError&) {
    }
    return out;
}

// The catalogue picture of the object `guid` in an object file's bytes, loose or inside a
// FAR archive's entries.
std::optional<std::string> pictureIn(std::string_view bytes, bool far, std::uint32_t guid) {
    content::MemoryBytes whole(bytes);
    if (!far) return content::objectPictureInBytes(whole, guid);
    std::optional<std::string> out;
    try {
        content::readFar(whole, [&](const content::FarEntry& entry) {
            if (out || extensionOf(entry.name) != "iff") return;
            content::PartBytes part(whole, entry.offset, entry.size);
            out = content::objectPictureInBytes(part, guid);
        });
    } catch (const content::ReadError&) {
    }
    return out;
}

class Planner {
  public:
    Planner(const std::string& install, const Installed& installed)
        : install_(install), installed_(installed) {}

    void plan(const std::string& source, const content::ArchiveLimits& limits, InstallPlan& out) {
        const fs::path path = hostPath(source);
        stem_ = hostText(path.stem());
        std::vector<Pending> files;
        if (fs::is_directory(path)) {
            stem_ = hostText(path.filename());
            readFolder(path, files);
        } else {
            content::ArchiveCursor cursor(path, limits);
            ArchiveEntry entry;
            std::string bytes;
            while (cursor.next(entry, bytes)) {
                if (entry.folder && entry.fault == NameFault::kNone) continue;
                files.push_back({entry, std::move(bytes)});
            }
            if (cursor.failure()) {
                out.unreadable.push_back({source, *cursor.failure()});
                return;
            }
        }
        // Skins' textures are known by the meshes beside them in the download.
        skins_ = std::any_of(files.begin(), files.end(), [](const Pending& p) {
            return oneOf(extensionOf(p.entry.name), {"skn", "cmx", "bmf"});
        });
        for (auto& pending : files) out.items.push_back(item(source, pending));
    }

  private:
    struct Pending {
        ArchiveEntry entry;
        std::string bytes;
    };

    static void readFolder(const fs::path& folder, std::vector<Pending>& out) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            Pending pending;
            pending.entry.name = hostText(it->path().lexically_relative(folder).generic_u8string());
            if (!it->is_symlink() && it->is_directory()) continue;
            if (!it->is_symlink() && it->is_regular_file()) {
                std::ifstream in(it->path(), std::ios::binary);
                pending.bytes.assign(std::istreambuf_iterator<char>(in), {});
                pending.entry.file = true;
            } else {
                pending.entry.fault = NameFault::kLink;  // a link, a device, a pipe
            }
            pending.entry.size = pending.bytes.size();
            out.push_back(std::move(pending));
        }
        // In the order of their names, as an archive lists its entries: the same folder gives
        // the same plan on every system.
        std::sort(out.begin(), out.end(),
                  [](const Pending& a, const Pending& b) { return a.entry.name < b.entry.name; });
    }

    Kind kindOf(const Pending& pending) const {
        const std::string& name = pending.entry.name;
        const std::string file = lastPart(name);
        const std::string ext = extensionOf(file);
        const std::string_view bytes = pending.bytes;
        if (numbered(file, "House")) {
            return {std::nullopt, false, InstallVerdict::kSkip,
                    "a house: not installed; a player puts it in UserData\\Houses"};
        }
        if (numbered(file, "User")) {
            return {std::nullopt, false, InstallVerdict::kSkip,
                    "a Sim or family: not installed; a player puts it in UserData\\Characters"};
        }
        if (ext == "iff") {
            if (bytes.substr(0, 11) != "IFF FILE 2.") {
                return {std::nullopt, false, InstallVerdict::kRefuse,
                        "it is not an IFF file, as its name says"};
            }
            return {kDownloadsRow, true, InstallVerdict::kInstall, "an object"};
        }
        if (ext == "far") {
            if (bytes.substr(0, 8) != "FAR!byAZ") {
                return {std::nullopt, false, InstallVerdict::kRefuse,
                        "it is not a FAR archive, as its name says"};
            }
            return {kDownloadsRow, true, InstallVerdict::kInstall, "an archive of objects"};
        }
        if (ext == "flr") return {kFloorsRow, false, InstallVerdict::kInstall, "a floor"};
        if (ext == "wll") return {kWallsRow, false, InstallVerdict::kInstall, "a wall"};
        if (oneOf(ext, {"cmx", "skn", "bmf", "bcf", "cfp"})) {
            return {kSkinsRow, false, InstallVerdict::kInstall, "a skin's mesh or mesh list"};
        }
        if (ext == "bmp") {
            if (skins_) return {kSkinsRow, false, InstallVerdict::kInstall, "a skin's texture"};
            const auto size = bmpSize(bytes);
            if (size && size->first == 32 && (size->second == 32 || size->second == -32)) {
                return {kRoofsRow, false, InstallVerdict::kInstall, "a roof"};
            }
            return {std::nullopt, false, InstallVerdict::kSkip, "a picture the game does not load"};
        }
        if (oneOf(ext, {"txt", "rtf", "doc", "docx", "pdf", "htm", "html", "url", "nfo", "md"})) {
            return {std::nullopt, false, InstallVerdict::kSkip, "a read-me: not installed"};
        }
        if (oneOf(ext, {"jpg", "jpeg", "png", "gif", "webp"})) {
            return {std::nullopt, false, InstallVerdict::kSkip,
                    "a picture of the content: not installed"};
        }
        return {std::nullopt, false, InstallVerdict::kSkip, "not a kind of file the game loads"};
    }

    InstallItem item(const std::string& source, const Pending& pending) {
        InstallItem item;
        item.source = source;
        item.entry = pending.entry.shown();
        item.size = pending.bytes.size();
        const auto& entry = pending.entry;
        if (entry.fault != NameFault::kNone) {
            item.verdict = InstallVerdict::kRefuse;
            item.why = std::string(nameFaultText(entry.fault));
            return item;
        }
        if (entry.failure) {
            item.verdict = InstallVerdict::kRefuse;
            item.why = "the archive inside " + failureText(*entry.failure);
            return item;
        }
        if (leftover(entry.name)) {
            item.why = "a leftover of the computer it was packed on: not installed";
            return item;
        }
        if (content::isArchiveName(entry.name) && extensionOf(entry.name) != "exe") {
            item.why = "an archive inside: its files are listed after it";
            return item;
        }
        const Kind kind = kindOf(pending);
        item.verdict = kind.verdict;
        item.why = kind.what;
        if (!kind.row) return item;
        item.hash = hashOf(pending.bytes);
        auto known = folders_.find(*kind.row);
        if (known == folders_.end())
            known = folders_.emplace(*kind.row, folderFor(install_, *kind.row)).first;
        fs::path folder = known->second;
        if (kind.ownFolder) folder /= hostPath(stem_);
        item.to = hostText(folder / hostPath(lastPart(entry.name)));
        placeIt(item);
        if (item.verdict == InstallVerdict::kInstall && kind.row == kDownloadsRow) {
            objectClashes(item, pending);
        }
        return item;
    }

    // Checks the file's place: free, taken by the same bytes, or taken by other bytes.
    void placeIt(InstallItem& item) {
        const fs::path to = hostPath(item.to);
        const std::string key = ascii::toLower(item.to);
        if (auto planned = planned_.find(key); planned != planned_.end()) {
            if (planned->second == item.hash) {
                item.verdict = InstallVerdict::kSkip;
                item.why = "the same file is already in the download";
            } else {
                item.verdict = InstallVerdict::kClash;
                item.why = "another file of the downloads goes to the same name";
            }
            return;
        }
        planned_.emplace(key, item.hash);
        const auto& names = namesIn(to.parent_path());
        if (const auto name = names.find(ascii::toLower(hostText(to.filename())));
            name != names.end()) {
            const fs::path there = to.parent_path() / hostPath(name->second);
            const PathFacts facts = pathFacts(there);
            if (!facts.folder && !facts.link && facts.size == item.size &&
                fileHash(there) == item.hash) {
                item.verdict = InstallVerdict::kSkip;
                item.why = "already installed: the same bytes are there";
            } else {
                item.verdict = InstallVerdict::kClash;
                item.why =
                    "a different file of this name is already there; it is never overwritten";
            }
            return;
        }
        // The same bytes under another name or in another folder: installed already.
        const auto [first, last] = installed_.files.equal_range(item.size);
        for (auto it = first; it != last; ++it) {
            if (fileHash(hostPath(it->second)) == item.hash) {
                item.verdict = InstallVerdict::kSkip;
                item.why = "already installed: the same bytes are at " + below(it->second);
                return;
            }
        }
    }

    // The names in `folder`, by their lower-case forms; read once per folder.
    const std::map<std::string, std::string>& namesIn(const fs::path& folder) {
        auto found = names_.find(folder);
        if (found == names_.end()) {
            std::map<std::string, std::string> names;
            for (auto& name : folderNames(folder))
                names.emplace(ascii::toLower(name), std::move(name));
            found = names_.emplace(folder, std::move(names)).first;
        }
        return found->second;
    }

    void objectClashes(InstallItem& item, const Pending& pending) {
        const bool far = extensionOf(pending.entry.name) == "far";
        for (auto& [guid, name] : objectsIn(pending.bytes, far)) {
            item.guids.push_back(guid);
            if (auto used = installed_.lots.find(guid); used != installed_.lots.end()) {
                for (const auto& lot : used->second) {
                    if (std::find(item.lots.begin(), item.lots.end(), lot) == item.lots.end())
                        item.lots.push_back(lot);
                }
            }
            const auto found = installed_.objects.find(guid);
            if (found == installed_.objects.end()) continue;
            const auto& other = found->second;
            ObjectClash clash{guid,
                              name.empty() ? lastPart(pending.entry.name) : name,
                              other.name,
                              other.path,
                              other.gameOwn,
                              pictureIn(pending.bytes, far, guid),
                              content::objectPictureIn(other.file, other.entry, guid)};
            item.clashes.push_back(std::move(clash));
        }
        if (item.clashes.empty()) {
            // Not a clash: the lots miss the object now, and get it back.
            if (!item.lots.empty()) item.why += ", which saved lots place: " + lotsText(item.lots);
            return;
        }
        item.verdict = InstallVerdict::kClash;
        const auto& first = item.clashes.front();
        std::array<char, 16> id{};
        std::snprintf(id.data(), id.size(), "0x%08X", first.guid);
        item.why =
            "its object " + first.name + " has the object ID " + id.data() + " of " +
            (first.gameOwn ? "the game's own " : "the installed ") + first.otherName + " (" +
            below(first.otherPath) + ")" +
            (item.clashes.size() > 1 ? " and " + std::to_string(item.clashes.size() - 1) + " more"
                                     : std::string());
        if (!item.lots.empty()) item.why += "; saved lots place it: " + lotsText(item.lots);
    }

    // The first few lots' names, and how many more.
    static std::string lotsText(const std::vector<std::string>& lots) {
        constexpr std::size_t kNamed = 3;
        std::string out;
        for (std::size_t i = 0; i < lots.size() && i < kNamed; ++i)
            out += (i ? ", " : "") + lots[i];
        if (lots.size() > kNamed) out += " and " + std::to_string(lots.size() - kNamed) + " more";
        return out;
    }

    std::string below(const std::string& path) const {
        if (path.size() > install_.size() && path.compare(0, install_.size(), install_) == 0) {
            std::size_t at = install_.size();
            while (at < path.size() && (path[at] == '/' || path[at] == '\\')) ++at;
            return path.substr(at);
        }
        return path;
    }

    const std::string& install_;
    const Installed& installed_;
    std::string stem_;
    bool skins_ = false;
    std::map<std::string, std::uint64_t> planned_;
    std::map<std::size_t, fs::path> folders_;  // the game's folders, found once
    std::map<fs::path, std::map<std::string, std::string>> names_;
};

}  // namespace

std::string_view verdictName(InstallVerdict verdict) {
    constexpr std::array<std::string_view, 4> kNames = {"install", "skip", "clash", "refuse"};
    return kNames[static_cast<std::size_t>(verdict)];
}

bool InstallPlan::hasClash() const {
    return count(InstallVerdict::kClash) > 0;
}

std::size_t InstallPlan::count(InstallVerdict verdict) const {
    return static_cast<std::size_t>(std::count_if(
        items.begin(), items.end(), [&](const auto& item) { return item.verdict == verdict; }));
}

namespace {

// The saved lots of `saves` that place each object, by their names.
void addLots(const std::vector<fs::path>& saves, const content::ScanHooks& hooks, Installed& out) {
    const auto lots = content::readSavedLots(saves, content::desktopLanguage(), hooks);
    for (const auto& lot : lots.lots) {
        std::string name = "Lot " + std::to_string(lot.lot.house);
        if (lot.lot.name) name += " (" + *lot.lot.name + ")";
        for (const auto& object : lot.uses.objects) {
            auto& names = out.lots[object.id];
            if (names.empty() || names.back() != name) names.push_back(name);
        }
    }
}

}  // namespace

Installed readInstalled(const std::string& install, const std::vector<fs::path>& saves,
                        const std::function<bool()>& cancelled) {
    Installed out;
    const auto source = makePlatformFolderSource();
    content::ScanHooks hooks;
    hooks.cancelled = cancelled;
    std::set<std::string> seen;  // files already kept: one file holds many objects
    const auto scan = content::scanCatalogue(
        hostPath(install), *source, hooks, {content::desktopLanguage()},
        [&](content::CatalogueItem&& item) {
            if (seen.insert(item.path).second) {
                // An item inside an archive has its entry's size; the archive, its own.
                const std::uint64_t size = item.entry.empty()
                                               ? std::uint64_t(std::max<std::int64_t>(item.size, 0))
                                               : pathFacts(hostPath(item.path)).size;
                if (size > 0) out.files.emplace(size, item.path);
            }
            if (item.kind != content::ItemKind::Object || item.guid == 0) return;
            Installed::Object object{
                item.name.value_or(lastPart(item.entry.empty() ? item.path : item.entry)),
                item.entry.empty() ? item.path : item.path + std::string(kInto) + item.entry,
                item.path, item.entry, item.gameOwn};
            out.objects.emplace(item.guid, std::move(object));
        });
    out.unreadable = scan.filesUnreadable;
    if (!saves.empty() && !(cancelled && cancelled())) addLots(saves, hooks, out);
    return out;
}

InstallPlan planInstall(const std::string& install, const std::vector<std::string>& sources,
                        const Installed& installed, const content::ArchiveLimits& limits) {
    InstallPlan out;
    out.install = install;
    Planner planner(install, installed);
    for (const auto& source : sources) planner.plan(source, limits, out);
    return out;
}

Plan installSteps(const InstallPlan& plan) {
    Plan out;
    out.install = plan.install;
    for (const auto& item : plan.items) {
        if (item.verdict != InstallVerdict::kInstall) continue;
        Step step;
        step.action = StepAction::kWrite;
        step.from = item.source;
        step.entry = item.entry;
        step.to = item.to;
        step.kind = content::ProblemKind::PackedArchive;
        step.size = item.size;
        step.hash = item.hash;
        out.steps.push_back(std::move(step));
    }
    return out;
}

void addPackedInstalls(const content::ContentReport& report, const Installed& installed, Plan& plan,
                       std::vector<std::string>& left) {
    for (const auto& problem : report.problems) {
        if (problem.kind != content::ProblemKind::PackedArchive || !problem.entry.empty()) continue;
        const auto one = planInstall(report.install, {problem.path}, installed);
        if (!one.unreadable.empty()) {
            left.push_back(nameText(problem.path) + " " +
                           failureText(one.unreadable.front().failure));
            continue;
        }
        if (one.hasClash()) {
            left.push_back(nameText(problem.path) + " is not installed: " +
                           std::to_string(one.count(InstallVerdict::kClash)) +
                           " of its files clash with what is installed (brambleton-count "
                           "--install --dry-run names them)");
            continue;
        }
        auto steps = installSteps(one);
        for (auto& step : steps.steps) plan.steps.push_back(std::move(step));
        Step trash;
        trash.action = StepAction::kTrash;
        trash.from = problem.path;
        trash.kind = content::ProblemKind::PackedArchive;
        trash.refusal =
            playersOwn(report.install, problem.path) ? Refusal::kNone : Refusal::kGameOwn;
        plan.steps.push_back(std::move(trash));
    }
}

DownloadBytes::DownloadBytes(content::ArchiveLimits limits) : limits_(limits) {}
DownloadBytes::~DownloadBytes() = default;

std::optional<std::string> DownloadBytes::contents(const Step& step, std::string& why) {
    const fs::path path = hostPath(step.from);
    if (step.from != folderSource_.first) folderSource_ = {step.from, fs::is_directory(path)};
    if (folderSource_.second) {
        std::ifstream in(path / hostPath(step.entry), std::ios::binary);
        if (!in) {
            why = "it could not be read from " + step.from;
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The steps come in the order the archive holds them: it is read once, from the start
    // again only when a step asks for an entry it has passed.
    for (int pass = 0; pass < 2; ++pass) {
        if (!cursor_ || source_ != step.from) {
            cursor_ = std::make_unique<content::ArchiveCursor>(path, limits_);
            source_ = step.from;
        }
        ArchiveEntry entry;
        std::string bytes;
        while (cursor_->next(entry, bytes)) {
            if (entry.file && entry.shown() == step.entry) return bytes;
        }
        if (cursor_->failure()) {
            why = lastPart(step.from) + " " + failureText(*cursor_->failure());
            cursor_.reset();
            return std::nullopt;
        }
        cursor_.reset();
    }
    why = "it is no longer in " + step.from;
    return std::nullopt;
}

std::string failureText(const content::ArchiveFailure& failure) {
    switch (failure.trouble) {
        case content::ArchiveTrouble::kPassword:
            return "is protected by a password";
        case content::ArchiveTrouble::kSplit:
            return failure.part > 0
                       ? "is part " + std::to_string(failure.part) + " of a split archive"
                       : "is part of a split archive";
        case content::ArchiveTrouble::kTooLarge:
            return "is refused whole: " + failure.detail;
        default:
            return "could not be read" + (failure.detail.empty() ? "" : ": " + failure.detail);
    }
}

std::string_view nameFaultText(NameFault fault) {
    switch (fault) {
        case NameFault::kEmpty:
            return "it has no name";
        case NameFault::kAbsolute:
            return "its name begins at a root folder, outside the game";
        case NameFault::kDrive:
            return "its name names a drive, outside the game";
        case NameFault::kClimbs:
            return "its name climbs out of its folder (\"..\")";
        case NameFault::kControl:
            return "its name holds a control character";
        case NameFault::kReserved:
            return "its name is one Windows keeps for itself, or holds a character it refuses";
        case NameFault::kTrailing:
            return "its name ends in a dot or a space, which Windows drops";
        case NameFault::kLink:
            return "it is a link or a special file: only plain files are installed";
        default:
            return "";
    }
}

}  // namespace brambleton::actions
