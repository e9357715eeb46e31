// SPDX-License-Identifier: MIT
#include "content/content_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <system_error>
#include <unordered_set>

#include "common/ascii.h"
#include "common/runtime_error.h"
#include "content/content_areas.h"
#include "content/duplicates.h"
#include "content/inspection.h"
#include "counting/read_ahead.h"

namespace fs = std::filesystem;

namespace brambleton::content {
namespace {

// As the count: a folder deeper than this below an area's folder is reported, not entered.
constexpr std::size_t kMaxDepth = 4096;
constexpr std::size_t kLargestShown = 10;

std::string utf8(const fs::path& path) {
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

// The child of `folder` named `name` without regard to case, as the game (and Wine) find it.
std::optional<fs::path> childNoCase(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    if (fs::is_directory(folder / fs::path(std::u8string(name.begin(), name.end())), ec)) {
        return folder / fs::path(std::u8string(name.begin(), name.end()));
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (ascii::equalNoCase(utf8(it->path().filename()), name) && it->is_directory(ec) &&
            !it->is_symlink(ec)) {
            return it->path();
        }
    }
    return std::nullopt;
}

template <std::size_t N>
bool among(const std::array<std::string_view, N>& list, std::string_view ext) {
    return !ext.empty() && std::find(list.begin(), list.end(), ext) != list.end();
}

bool anyAreaLoads(std::string_view ext) {
    return std::any_of(kAreas.begin(), kAreas.end(),
                       [&](const Area& a) { return among(a.extensions, ext); });
}

// The name's last extension and the one before it, lower case: "chair.iff.bak" gives
// ("bak", "iff"); "chair" gives ("", "").
std::pair<std::string, std::string> extensions(std::string_view name) {
    const auto last = name.rfind('.');
    if (last == std::string_view::npos || last == 0) return {};
    std::string ext = ascii::toLower(name.substr(last + 1));
    const auto before = name.rfind('.', last - 1);
    std::string previous;
    if (before != std::string_view::npos && before + 1 < last) {
        previous = ascii::toLower(name.substr(before + 1, last - before - 1));
    }
    return {ext, previous};
}

std::string areaFolderText(const Area& area) {
    std::string out(area.folder[0]);
    if (!area.folder[1].empty()) out += "\\" + std::string(area.folder[1]);
    return out;
}

// The last part of a path, or of an archive entry's name: the name a player knows it by.
std::string lastPart(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string hexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", id);
    return text;
}

std::size_t areaNamed(std::string_view name) {
    return static_cast<std::size_t>(
        std::find_if(kAreas.begin(), kAreas.end(), [&](const Area& a) { return a.name == name; }) -
        kAreas.begin());
}

// Readers inside the files that the process's descriptors allow: each holds up to two
// (its folder and a file); none when they are short, and the walk reads the files itself.
unsigned readersWithin(unsigned wanted) {
    const int spare = descriptorsToSpare();
    return spare < 4 ? 0u : std::min(wanted, static_cast<unsigned>(spare / 2));
}

class Checker {
  public:
    Checker(FolderSource& source, const CheckHooks& hooks, const CheckOptions& options)
        : source_(source),
          hooks_(hooks),
          lookInside_(options.lookInside),
          inspector_(options.lookInside ? readersWithin(options.readers) : 0) {}

    ContentReport report;

    void checkArea(std::size_t index, const fs::path& install) {
        const Area& area = kAreas[index];
        areaIndex_ = static_cast<std::uint8_t>(index);
        AreaReport out;
        out.name = std::string(area.name);
        out.place = areaFolderText(area);
        std::optional<fs::path> folder = install;
        for (const auto& part : area.folder) {
            if (!folder || part.empty()) continue;
            folder = childNoCase(*folder, part);
        }
        if (folder) {
            out.folder = utf8(*folder);
            folderSizes_.clear();
            // Readers ahead of the walk, as for a count: on a cold cache they keep several
            // reads in flight while the walk waits on one.
            const auto readers = startReadAhead(*out.folder, everything_);
            visit(area, out, 0, *out.folder, *out.folder, {});
            std::sort(folderSizes_.begin(), folderSizes_.end(),
                      [](const FolderBytes& a, const FolderBytes& b) {
                          return a.bytes != b.bytes ? a.bytes > b.bytes : a.folder < b.folder;
                      });
            if (folderSizes_.size() > kLargestShown) folderSizes_.resize(kLargestShown);
            out.largest = folderSizes_;
        }
        report.areas.push_back(std::move(out));
    }

    void findDuplicateContent() {
        if (cancelled()) return;
        const auto groups = findDuplicates(content_, report.bytesCompared, hooks_.cancelled);
        for (const auto& group : groups) {
            for (std::size_t i = 1; i < group.size(); ++i) {
                report.problems.push_back(
                    {kDuplicate,
                     group[i],
                     "This file is the same, byte for byte, as " + group[0] +
                         ": the game loads it twice. Keep one copy and remove the other.",
                     group[0],
                     {},
                     {},
                     {}});
                duplicateCopies_.insert(group[i]);
            }
        }
    }

    // Waits for the readers, then reports what they found inside the files.
    void reportInsides() {
        auto findings = inspector_.finish(hooks_.yield, [this] { return cancelled(); });
        if (cancelled() || !lookInside_) return;
        report.bytesInspected = findings.bytesRead;
        report.filesUnreadable = static_cast<std::int64_t>(findings.unreadable.size());
        for (const auto& why : findings.unreadable) {
            if (hooks_.message) hooks_.message(why);
        }
        for (const auto& archive : findings.archives) {
            auto& area = report.areas[contentArea_[archive.file]];
            area.objects += archive.objects;
            area.objectsInArchives += archive.objects;
            ++area.archives;
        }
        for (auto& bad : findings.bad) {
            Problem p{kBadFile, content_[bad.file].path, std::move(bad.fault.detail), {}, {}, {},
                      {}};
            if (!bad.entry.empty()) {
                p.archive = p.path;
                p.path += "/" + bad.entry;
            }
            report.problems.push_back(std::move(p));
        }
        reportGuidConflicts(findings);
        reportMissingMeshes(findings);
    }

    bool cancelled() {
        if (!report.cancelled && hooks_.cancelled && hooks_.cancelled()) report.cancelled = true;
        return report.cancelled;
    }

  private:
    // Queues a content file whose inside the check reads.
    void queueInside(const Area& area, std::size_t depth, const std::string& folder,
                     const std::string& name, const std::string& ext, std::uint32_t file) {
        if (!lookInside_) return;
        FileKind kind;
        if (ext == "iff") {
            kind = FileKind::kObject;
        } else if (ext == "far") {
            kind = FileKind::kArchive;
        } else if (ext == "flr" || ext == "wll") {
            kind = FileKind::kTileSet;
        } else if (ext == "cmx" && depth == 0 && !area.readsSubfolders) {
            kind = FileKind::kMeshList;
        } else {
            return;
        }
        if (!folderShared_ || *folderShared_ != folder) {
            folderShared_ = std::make_shared<const std::string>(folder);
        }
        inspector_.add({folderShared_, name, source_.separator(), kind, file,
                        static_cast<std::uint64_t>(content_[file].size)});
    }

    std::string objectPath(const Findings& findings, std::uint32_t object) const {
        const auto& o = findings.objects[object];
        std::string path = content_[o.file].path;
        if (o.entry != Findings::kNoEntry) path += "/" + findings.entryNames[o.entry];
        return path;
    }

    // Two objects with one ID: the game shows one of them. Each object after the first by
    // path is reported once for each object it clashes with. A second copy of a file is left
    // out: the duplicate finder has reported it already.
    void reportGuidConflicts(const Findings& findings) {
        auto guids = findings.guids;
        std::erase_if(guids, [&](const auto& entry) {
            return duplicateCopies_.count(content_[findings.objects[entry.second].file].path) > 0;
        });
        std::sort(guids.begin(), guids.end());
        std::set<std::pair<std::string, std::string>> reported;
        for (std::size_t first = 0; first < guids.size();) {
            std::size_t end = first + 1;
            while (end < guids.size() && guids[end].first == guids[first].first) ++end;
            if (end - first > 1) {
                std::vector<std::string> paths;
                for (std::size_t i = first; i < end; ++i) {
                    paths.push_back(objectPath(findings, guids[i].second));
                }
                std::vector<std::size_t> order(paths.size());
                for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
                std::sort(order.begin(), order.end(),
                          [&](std::size_t a, std::size_t b) { return paths[a] < paths[b]; });
                const std::string& kept = paths[order[0]];
                for (std::size_t k = 1; k < order.size(); ++k) {
                    const std::string& path = paths[order[k]];
                    if (!reported.insert({path, kept}).second) continue;
                    const auto& object = findings.objects[guids[first + order[k]].second];
                    Problem p{kGuidConflict,
                              path,
                              lastPart(path) + " has the same object ID (" +
                                  hexId(guids[first].first) + ") as " + lastPart(kept) + " in " +
                                  kept +
                                  ": the game shows only one of them. Keep the one you want "
                                  "and remove the other.",
                              kept,
                              {},
                              guids[first].first,
                              {}};
                    if (object.entry != Findings::kNoEntry) p.archive = content_[object.file].path;
                    report.problems.push_back(std::move(p));
                }
            }
            first = end;
        }
    }

    // A mesh list naming a mesh whose file is not in its folder: the game looks for a skin's
    // meshes beside its mesh list, and a skin sold in Create-a-Sim needs them in SkinsBuy.
    void reportMissingMeshes(const Findings& findings) {
        static const std::size_t skins = areaNamed("skins");
        for (const auto& list : findings.meshLists) {
            const auto area = contentArea_[list.file];
            std::set<std::string> seen;
            for (const auto& mesh : list.names) {
                const std::string key = ascii::toLower(mesh);
                if (!seen.insert(key).second) continue;
                const auto has = [&](std::size_t in) {
                    const auto found = meshFiles_.find(in);
                    return found != meshFiles_.end() &&
                           (found->second.count(key + ".skn") || found->second.count(key + ".bmf"));
                };
                if (has(area)) continue;
                const std::string folder = areaFolderText(kAreas[area]);
                std::string detail =
                    area != skins && has(skins)
                        ? "This mesh list names the mesh " + mesh +
                              ", which is in GameData\\Skins, but a skin sold in Create-a-Sim "
                              "needs its mesh in " +
                              folder + " too: copy " + mesh + ".skn there."
                        : "This mesh list names the mesh " + mesh + ", but neither " + mesh +
                              ".skn nor " + mesh + ".bmf is in " + folder +
                              ": the Sim shows blank or the game crashes. Add the mesh from the "
                              "same download, or remove this .cmx.";
                report.problems.push_back(
                    {kMissingMesh, content_[list.file].path, std::move(detail), {}, mesh, {}, {}});
            }
        }
    }

    // One folder of an area at `depth` (0: the area's own folder), and everything below it;
    // returns the bytes of the area's content there. `top` is the area's sub-folder this
    // folder lies in, empty for the area's own folder.
    std::int64_t visit(const Area& area, AreaReport& out, std::size_t depth,
                       const std::string& name, const std::string& path, const std::string& top) {
        try {
            source_.open(depth, name, path);
        } catch (const RuntimeError& e) {
            failed(e.description());
            return 0;
        }
        if (hooks_.yield) hooks_.yield();
        if (cancelled()) return 0;
        FolderListing listing;
        listing.keepFiles = true;
        try {
            source_.read(path, everything_, listing);
        } catch (const RuntimeError& e) {
            failed(e.description());
            return 0;
        }
        std::sort(listing.files.begin(), listing.files.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        std::int64_t bytes = 0;
        const std::string separator(1, source_.separator());
        for (const auto& file : listing.files) {
            bytes += classify(area, out, depth, path, path + separator + file.name, file.name,
                              file.size, top);
        }
        // Sub-folders in the file system's order, the order the readers ahead take; the
        // report is sorted afterwards.
        if (depth >= kMaxDepth && !listing.subfolders.empty()) {
            failed("More than " + std::to_string(kMaxDepth) + " levels below " + *out.folder +
                   ": " + path + " is not entered");
            listing.subfolders.clear();
        }
        for (const auto& sub : listing.subfolders) {
            if (cancelled()) break;
            const std::string subPath = path + separator + sub;
            bytes += visit(area, out, depth + 1, sub, subPath, depth == 0 ? subPath : top);
        }
        if (depth > 0 && bytes > 0) folderSizes_.push_back({path, bytes});
        return bytes;
    }

    // Looks at one file; returns the bytes it adds to the area's content.
    std::int64_t classify(const Area& area, AreaReport& out, std::size_t depth,
                          const std::string& folder, const std::string& path,
                          const std::string& name, std::int64_t size, const std::string& top) {
        const auto [ext, previous] = extensions(name);
        if (among(kArchiveExtensions, ext)) {
            problem(kPackedArchive, path,
                    "The game cannot read ." + ext +
                        " archives. Unpack it here, then remove the archive.");
            return 0;
        }
        if (anyAreaLoads(previous) && !anyAreaLoads(ext)) {
            problem(kIgnoredName, path,
                    "The name ends in ." + ext + " after ." + previous +
                        ", so the game ignores it. Rename it to end in ." + previous +
                        ", or remove it if it is an old copy.");
            return 0;
        }
        if (among(area.extensions, ext)) {
            if (!area.readsSubfolders && depth > 0) {
                if (unreadReported_.insert(top).second) {
                    problem(kUnreadSubfolder, top,
                            "The game does not look inside sub-folders of " + areaFolderText(area) +
                                ": move the skin files in this folder up "
                                "into " +
                                areaFolderText(area) + ".");
                }
                return 0;
            }
            ++out.files;
            out.bytes += size;
            if (area.name == "objects" && ext == "iff") ++out.objects;
            if (size == 0) {
                problem(kEmptyFile, path,
                        "This file is empty (0 bytes), most likely a broken download: download "
                        "it again.");
            } else {
                const auto file = static_cast<std::uint32_t>(content_.size());
                content_.push_back({path, size});
                contentArea_.push_back(areaIndex_);
                queueInside(area, depth, folder, name, ext, file);
            }
            if (ext == "skn" || ext == "bmf") meshFiles_[areaIndex_].insert(ascii::toLower(name));
            return size;
        }
        reportMisplaced(area, path, ext);
        return 0;
    }

    // A file that belongs in another area's folder: the sentence that says where.
    void reportMisplaced(const Area& area, const std::string& path, const std::string& ext) {
        if (area.name == "objects" && area.folder[0] == "Downloads" &&
            among(kSkinMeshExtensions, ext)) {
            problem(kMisplaced, path,
                    "Skin meshes and animations belong in GameData\\Skins; the game does not "
                    "load them from Downloads.");
        } else if (area.name != "objects" && (ext == "iff" || ext == "far")) {
            problem(kMisplaced, path,
                    "Objects belong in Downloads; the game does not load them from " +
                        areaFolderText(area) + ".");
        } else if (area.name == "walls" && ext == "flr") {
            problem(kMisplaced, path,
                    "Floors belong in GameData\\Floors; the game does not load them from "
                    "GameData\\Walls.");
        } else if (area.name == "floors" && ext == "wll") {
            problem(kMisplaced, path,
                    "Walls belong in GameData\\Walls; the game does not load them from "
                    "GameData\\Floors.");
        }
    }

    void problem(const char* kind, std::string path, std::string detail) {
        report.problems.push_back({kind, std::move(path), std::move(detail), {}, {}, {}, {}});
    }

    void failed(const std::string& description) {
        ++report.foldersUnreadable;
        if (hooks_.message) hooks_.message(description);
    }

    FolderSource& source_;
    const CheckHooks& hooks_;
    const bool lookInside_;
    Inspector inspector_;
    const FilePattern everything_{"*"};
    std::uint8_t areaIndex_ = 0;
    std::shared_ptr<const std::string> folderShared_;  // the folder whose files are queued
    std::vector<SizedFile> content_;
    std::vector<std::uint8_t> contentArea_;  // each content file's area, by its index
    std::unordered_set<std::string> duplicateCopies_;
    std::map<std::size_t, std::set<std::string>>
        meshFiles_;  // by area: mesh file names, lower case
    std::vector<FolderBytes> folderSizes_;
    std::set<std::string> unreadReported_;
};

}  // namespace

ContentReport checkInstall(const fs::path& installFolder, FolderSource& source,
                           const CheckHooks& hooks, const CheckOptions& options) {
    Checker checker(source, hooks, options);
    checker.report.install = utf8(installFolder);
    for (std::size_t area = 0; area < kAreas.size(); ++area) {
        if (checker.cancelled()) break;
        checker.checkArea(area, installFolder);
    }
    // The duplicate finder runs while the readers finish inside the files.
    checker.findDuplicateContent();
    checker.reportInsides();
    auto& problems = checker.report.problems;
    const std::vector<std::string> order = {kPackedArchive, kUnreadSubfolder, kMisplaced,
                                            kIgnoredName,   kEmptyFile,       kBadFile,
                                            kDuplicate,     kGuidConflict,    kMissingMesh};
    std::stable_sort(problems.begin(), problems.end(), [&](const Problem& a, const Problem& b) {
        const auto ka = std::find(order.begin(), order.end(), a.kind);
        const auto kb = std::find(order.begin(), order.end(), b.kind);
        return ka != kb ? ka < kb : a.path < b.path;
    });
    return std::move(checker.report);
}

std::string describeKind(const std::string& kind) {
    if (kind == kPackedArchive)
        return "Content still packed in archives, which the game cannot read";
    if (kind == kUnreadSubfolder) return "Skins in sub-folders, where the game does not look";
    if (kind == kMisplaced) return "Content in a folder that does not load its kind";
    if (kind == kIgnoredName) return "Content renamed so that the game ignores it";
    if (kind == kEmptyFile) return "Empty files, most likely broken downloads";
    if (kind == kBadFile)
        return "Files that are not what their names say: broken or mislabelled downloads";
    if (kind == kDuplicate) return "The same file more than once";
    if (kind == kGuidConflict)
        return "Objects sharing one object ID, of which the game shows only one";
    if (kind == kMissingMesh)
        return "Skins whose mesh is missing, which show blank or crash the game";
    return kind;
}

}  // namespace brambleton::content
