// SPDX-License-Identifier: MIT
#include "content/content_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <system_error>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "common/ascii.h"
#include "common/game_folders.h"
#include "common/runtime_error.h"
#include "content/catalogue.h"
#include "content/duplicates.h"
#include "content/file_kinds.h"
#include "content/file_names.h"
#include "content/folder_walk.h"
#include "content/inspection.h"
#include "content/lots.h"
#include "content/lots_report.h"
#include "counting/read_ahead.h"

namespace fs = std::filesystem;

namespace brambleton::content {
namespace {

constexpr const auto& kAreas = kGameFolders;

constexpr std::size_t kLargestShown = 10;

std::string utf8(const fs::path& path) {
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

template <std::size_t N>
bool among(const std::array<std::string_view, N>& list, std::string_view ext) {
    return !ext.empty() && std::find(list.begin(), list.end(), ext) != list.end();
}

bool anyAreaLoads(std::string_view ext) {
    return std::any_of(kAreas.begin(), kAreas.end(),
                       [&](const GameFolder& a) { return among(a.extensions, ext); });
}

bool isSkins(const GameFolder& area) {
    return area.area == Area::kSkins;
}

// Which folders the game loads for one use: the two objects areas together, each other area
// alone.
std::uint8_t purposeOf(std::size_t area) {
    return kAreas[area].area == Area::kObjects ? 0 : static_cast<std::uint8_t>(area);
}

// Where the game asks for a file by its name (floors, walls and roofs that saved lots name,
// skin files that mesh lists name), two files of the same bytes under two names are each
// needed under its own; only objects are known by what is inside them (their object IDs).
bool knownByName(std::size_t area) {
    return kAreas[area].area != Area::kObjects;
}

Problem makeProblem(ProblemKind kind, std::string path, std::size_t folder) {
    Problem p;
    p.kind = kind;
    p.path = std::move(path);
    p.folder = static_cast<std::uint8_t>(folder);
    return p;
}

bool aboutLots(const Problem& p) {
    return p.kind == ProblemKind::GuidConflict || p.kind == ProblemKind::Duplicate;
}

// The object IDs and the lower-case floor and wall names saved lots use, each with the lots
// (their numbers in SavedLots::lots) and, for objects, the names the lots give them.
struct LotIndex {
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> byId;
    std::unordered_map<std::uint32_t, std::unordered_set<std::string>> objectNames;
    std::unordered_map<std::string, std::vector<std::size_t>> byName;

    explicit LotIndex(const SavedLots& lots) {
        for (std::size_t i = 0; i < lots.lots.size(); ++i) {
            const auto& uses = lots.lots[i].uses;
            // By each object's own ID only: what it was cloned from is not a use (lots.cpp).
            for (const auto& o : uses.objects) {
                if (o.id == 0) continue;
                byId[o.id].push_back(i);
                objectNames[o.id].insert(ascii::toLower(o.name));
            }
            for (const auto* names : {&uses.floors, &uses.walls}) {
                for (const auto& name : *names) byName[ascii::toLower(name)].push_back(i);
            }
        }
    }

    // The lots that use what `p` is about: its object ID, the objects of its file, or its
    // floor's or wall's name; sorted, each once.
    std::vector<std::size_t> using_(
        const Problem& p,
        const std::unordered_map<std::string, std::vector<std::uint32_t>>& duplicateIds) const {
        std::vector<std::size_t> out;
        const auto add = [&](const auto& index, const auto& key) {
            if (const auto found = index.find(key); found != index.end())
                out.insert(out.end(), found->second.begin(), found->second.end());
        };
        const std::string ext = extensions(p.path).first;
        if (p.kind == ProblemKind::GuidConflict && p.guid) {
            add(byId, *p.guid);
        } else if (ext == "iff" || ext == "far") {
            const auto known = duplicateIds.find(p.path);
            for (const auto id : known != duplicateIds.end() ? known->second : objectIdsIn(p.path))
                add(byId, id);
        } else {
            const std::string name = ascii::toLower(lastPart(p.path));
            add(byName, name);
            add(byName, name.substr(0, name.rfind('.')));
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }
};

class Checker final : private FolderVisitor {
  public:
    Checker(FolderSource& source, const CheckHooks& hooks, const CheckOptions& options)
        : source_(source),
          hooks_(hooks),
          walk_(source, hooks),
          lookInside_(options.lookInside),
          language_(options.language),
          inspector_(options.lookInside ? readersWithin(options.readers) : 0) {}

    ContentReport report;

    void checkArea(std::size_t index, const fs::path& install) {
        const GameFolder& area = kAreas[index];
        areaIndex_ = static_cast<std::uint8_t>(index);
        AreaReport out;
        out.name = std::string(area.key);
        out.area = area.area;
        out.row = static_cast<std::uint8_t>(index);
        out.place = folderText(area);
        std::optional<fs::path> folder = install;
        for (const auto& part : area.folder) {
            if (!folder || part.empty()) continue;
            std::vector<fs::path> twins;
            folder = childNoCase(*folder, part, twins);
            for (const auto& twin : twins) reportTwin(twin, *folder);
        }
        if (folder) {
            out.folder = utf8(*folder);
            folderSizes_.clear();
            area_ = &area;
            out_ = &out;
            walk_.walk(*out.folder, *this);
            out_ = nullptr;
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
        findSameFiles();
        auto search = findDuplicates(content_, folders_, source_.separator(), hooks_.cancelled);
        report.filesCompared = search.filesRead;
        report.bytesCompared = search.bytesRead;
        if (search.cancelled) {
            report.cancelled = true;
            return;
        }
        report.filesUnreadable += static_cast<std::int64_t>(search.unreadable.size());
        for (const auto& why : search.unreadable) {
            if (hooks_.message) hooks_.message(why);
        }
        for (const auto& group : search.groups) {
            // The copy kept is one that a link reaches, where there is one: the advice never
            // leaves a link dangling while a copy of its file stays.
            const auto linked = std::find_if(group.begin(), group.end(), [&](std::uint32_t i) {
                return reachedTwice_.count(i) > 0;
            });
            const std::uint32_t kept = linked != group.end() ? *linked : group[0];
            const std::string keptPath = contentPath(kept);
            for (const auto i : group) {
                if (i == kept || reachedTwice_.count(i)) continue;
                duplicateCopies_.insert(i);
                auto p = makeProblem(kDuplicate, contentPath(i), contentArea_[i]);
                p.sameAs = keptPath;
                report.problems.push_back(std::move(p));
            }
        }
    }

    // Waits for the readers, then reports what they found inside the files.
    void reportInsides() {
        const auto waiting = [this] {
            if (hooks_.progress) hooks_.progress("inside the files");
        };
        auto findings = inspector_.finish(waiting, [this] { return cancelled(); });
        if (cancelled() || !lookInside_) return;
        report.filesInspected = findings.filesRead;
        report.bytesInspected = findings.bytesRead;
        report.filesUnreadable += static_cast<std::int64_t>(findings.unreadableCount);
        for (const auto& why : findings.unreadable) {
            if (hooks_.message) hooks_.message(why);
        }
        for (const auto& archive : findings.archives) {
            if (heldArchives_.count(archive.file)) {
                if (archive.objects == archive.entries) {
                    report.problems.push_back(makeProblem(kMisplaced, contentPath(archive.file),
                                                          contentArea_[archive.file]));
                }
                continue;
            }
            auto& area = report.areas[contentArea_[archive.file]];
            area.objects += archive.objects;
            area.objectsInArchives += archive.objects;
            ++area.archives;
        }
        for (auto& bad : findings.bad) {
            if (!heldArchives_.count(bad.file)) reportBad(std::move(bad));
        }
        for (const auto& held : findings.heldEntries) {
            const std::string ext = extensions(held.name).first;
            if (heldArchives_.count(held.file) && (ext == "skn" || ext == "bmf"))
                meshFiles_[contentArea_[held.file]].insert(ascii::toLower(lastPart(held.name)));
        }
        reportTextures(findings);
        reportGuidConflicts(findings);
        reportMissingMeshes(findings);
        reportMeshListNames(findings);
        for (const auto& texture : findings.deepTextures) {
            auto p =
                makeProblem(kSkinTexture, contentPath(texture.file), contentArea_[texture.file]);
            p.bitsPerPixel = texture.bitsPerPixel;
            report.problems.push_back(std::move(p));
        }
    }

    // The catalogue names of the objects that duplicates, conflicts of object IDs and broken
    // entries of archives are about, read again from those files alone (the duplicate finder
    // has just read them), each file once for all the problems about it, and for conflicts
    // the labels their definitions give them.
    void nameObjects() {
        struct Asked {
            std::size_t problem;
            bool sameAs;  // the name of `sameAs` rather than of `path`
        };
        std::map<std::string, std::pair<std::vector<ObjectAsked>, std::vector<Asked>>> byFile;
        const auto ask = [&](const std::string& path, const std::string& entry,
                             std::optional<std::uint32_t> guid, std::size_t problem, bool sameAs) {
            auto& [asked, whose] = byFile[path];
            asked.push_back({entry, guid});
            whose.push_back({problem, sameAs});
        };
        for (std::size_t i = 0; i < report.problems.size(); ++i) {
            const auto& p = report.problems[i];
            if (p.kind == kDuplicate && extensions(p.path).first == "iff") {
                ask(p.path, {}, std::nullopt, i, false);
            } else if (p.kind == kBadFile && !p.entry.empty() &&
                       extensions(p.entry).first == "iff") {
                ask(p.path, p.entry, std::nullopt, i, false);
            } else if (p.kind == kGuidConflict) {
                ask(p.path, p.entry, p.guid, i, false);
                ask(p.sameAs, p.sameAsEntry, p.guid, i, true);
            }
        }
        labels_.assign(report.problems.size(), {});
        for (const auto& [path, request] : byFile) {
            if (cancelled()) return;
            const auto& [asked, whose] = request;
            const auto names = objectNamesIn(path, asked, language_);
            for (std::size_t k = 0; k < names.size(); ++k) {
                auto& p = report.problems[whose[k].problem];
                auto& label = labels_[whose[k].problem];
                if (whose[k].sameAs) {
                    p.sameAsName = names[k].name;
                    label.second = names[k].label;
                } else {
                    p.name = names[k].name;
                    label.first = names[k].label;
                    if (p.kind == kDuplicate) p.sameAsName = p.name;  // the same bytes
                }
            }
        }
    }

    // Says, for each duplicate and conflict of object IDs, which saved lots in `saves` use
    // what it is about, and for a conflict which of the two objects they hold where the name
    // each lot gives it is the label of one of them only. The lots are read only when there
    // is such a problem.
    void noteLots(const std::vector<fs::path>& saves, const ScanHooks& hooks) {
        if (saves.empty() ||
            std::none_of(report.problems.begin(), report.problems.end(), aboutLots))
            return;
        const SavedLots lots = readSavedLots(saves, language_, hooks);
        const LotIndex index(lots);
        for (auto& p : report.problems) {
            if (cancelled()) return;
            if (!aboutLots(p)) continue;
            for (const auto i : index.using_(p, duplicateIds_))
                p.usedByLots.push_back(lotLabel(lots.lots[i].lot));
            if (p.kind == kGuidConflict && p.guid && !p.usedByLots.empty()) {
                const std::size_t at = static_cast<std::size_t>(&p - report.problems.data());
                if (at < labels_.size())
                    p.lotsHold = whichHeld(labels_[at], index.objectNames.at(*p.guid));
            }
        }
    }

    bool cancelled() {
        if (!report.cancelled && walk_.cancelled()) report.cancelled = true;
        return report.cancelled;
    }

    std::int64_t foldersUnreadable() const noexcept { return walk_.foldersUnreadable(); }

    // What to do about `p`, as kKinds says for its kind.
    Advice adviceFor(const Problem& p) const {
        Advice advice{factsOf(p.kind).action, p.path, {}};
        switch (p.kind) {
            case kPackedArchive:
                advice.to = parentOf(p.path);
                break;
            case kUnreadFolder:
                advice.to = p.sameAs;
                break;
            case kUnreadSubfolder:
                advice.to = areaFolder(p.folder);
                break;
            case kMisplaced:
                advice.to = areaFolder(destinationOf(p));
                break;
            case kIgnoredName:
                advice.to = p.path.substr(0, p.path.rfind('.'));
                break;
            case kBadFile:
                adviseBadFile(p, advice);
                break;
            case kMeshListName:
                if (p.nameTaken || !plainFileName(p.mesh)) {
                    advice.action = Action::None;
                } else {
                    advice.to = parentOf(p.path) + source_.separator() + p.mesh + ".cmx";
                }
                break;
            default:
                break;
        }
        return advice;
    }

    // A bad file's advice: see bad-file in kKinds.
    void adviseBadFile(const Problem& p, Advice& advice) const {
        using Code = FormatFault::Code;
        const auto& fault = p.fault;
        const bool mislabelled = fault.code == Code::kIsFar || fault.code == Code::kIsIff;
        const bool nothingToRead =
            fault.code == Code::kEmpty || fault.kind == FormatFault::kTruncated ||
            (fault.code == Code::kOtherBytes && fault.number == FormatFault::kWebPage);
        if (!p.entry.empty() || !(mislabelled || nothingToRead)) {
            advice.action = Action::None;
        } else if (mislabelled) {
            advice.action = Action::Rename;
            advice.to = p.path.substr(0, p.path.rfind('.')) +
                        (fault.code == Code::kIsFar ? ".far" : ".iff");
        }
    }

    // The folder `path` lies in: the host path before its last separator.
    std::string parentOf(const std::string& path) const {
        const auto cut = source_.separator() == '/' ? path.rfind('/') : path.find_last_of("/\\");
        return cut == std::string::npos ? std::string() : path.substr(0, cut);
    }

    // The host folder of the game's folder `index`: as the walk found it, or where it would
    // be made when it does not exist.
    std::string areaFolder(std::size_t index) const {
        if (index < report.areas.size() && report.areas[index].folder) {
            return *report.areas[index].folder;
        }
        std::string out = report.install;
        for (const auto part : kAreas[index].folder) {
            if (!part.empty()) out += source_.separator() + std::string(part);
        }
        return out;
    }

  private:
    // Which of a conflict's two objects the lots hold: the one whose label is among the names
    // the lots give the object ID, when the other's is not.
    static Problem::LotsHold whichHeld(const std::pair<std::string, std::string>& labels,
                                       const std::unordered_set<std::string>& names) {
        if (names.empty()) return Problem::LotsHold::Unknown;
        const std::string here = ascii::toLower(labels.first);
        const std::string there = ascii::toLower(labels.second);
        const bool holdsHere = !here.empty() && names.count(here) != 0;
        const bool holdsThere = !there.empty() && names.count(there) != 0;
        if (holdsHere == holdsThere) return Problem::LotsHold::Unknown;
        return holdsHere ? Problem::LotsHold::This : Problem::LotsHold::SameAs;
    }

    // A folder whose name differs only in case from the one the game reads.
    void reportTwin(const fs::path& twin, const fs::path& read) {
        const std::string path = utf8(twin);
        if (!twinsReported_.insert(path).second) return;
        auto p = makeProblem(kUnreadFolder, path, areaIndex_);
        p.sameAs = utf8(read);
        report.problems.push_back(std::move(p));
    }

    void reportBad(Findings::Bad bad) {
        auto p = makeProblem(kBadFile, contentPath(bad.file), contentArea_[bad.file]);
        p.fault = std::move(bad.fault);
        p.entry = std::move(bad.entry);
        if (bad.moreCount > 0) {
            for (auto& name : bad.moreEntries) p.more.push_back({p.path, std::move(name)});
            p.moreCount = static_cast<std::int64_t>(bad.moreCount);
        }
        report.problems.push_back(std::move(p));
    }

    // Queues a content file whose inside the check reads.
    void queueInside(const GameFolder& area, std::size_t depth, const std::string& name,
                     const std::string& ext, std::uint32_t file) {
        const FileType* type = typeOf(ext);
        if (!lookInside_ || !type || !type->reader) return;
        const FileKind kind = *type->reader;
        // Mesh lists where the game reads them, textures in a skins folder itself; a mesh is
        // read only beside skins in Downloads (readAside).
        if ((kind == FileKind::kMeshList && (depth > 0 || area.readsSubfolders)) ||
            (kind == FileKind::kTexture && (depth > 0 || !isSkins(area))) ||
            kind == FileKind::kMesh) {
            return;
        }
        inspector_.add({folderShared_, name, source_.separator(), kind, file,
                        static_cast<std::uint64_t>(content_[file].size)});
    }

    std::string contentPath(std::uint32_t file) const {
        const auto& f = content_[file];
        return folders_[f.folder] + source_.separator() + f.name;
    }

    // The files found under more than one name for one purpose (a link and its target, two
    // hard links): the game reads them twice, but each is one file, never its own duplicate
    // or conflict. Each is known by a name that is not a link where it has one, so that no
    // advice names a link's target as the copy to remove; the other names are left out of
    // the comparison and of the object IDs.
    void findSameFiles() {
        std::sort(identities_.begin(), identities_.end());
        for (std::size_t first = 0; first < identities_.size();) {
            std::size_t end = first + 1;
            while (end < identities_.size() && identities_[end].sameFileAs(identities_[first])) {
                ++end;
            }
            if (end - first > 1) {
                std::uint32_t known = identities_[first].file;
                for (std::size_t i = first; i < end; ++i) {
                    if (!contentIsLink_[identities_[i].file]) {
                        known = identities_[i].file;
                        break;
                    }
                }
                reachedTwice_.insert(known);
                for (std::size_t i = first; i < end; ++i) {
                    const auto file = identities_[i].file;
                    if (file == known) continue;
                    otherNames_.insert(file);
                    content_[file].size = 0;  // left out of the comparison
                }
            }
            first = end;
        }
        identities_ = {};
    }

    Place placeOf(const Findings& findings, std::uint32_t object) const {
        const auto& o = findings.objects[object];
        return {contentPath(o.file),
                o.entry == Findings::kNoEntry ? std::string() : findings.entryNames[o.entry]};
    }

    // Objects with one ID: the game shows one of them. One problem for each ID, naming the
    // object kept (the first by place), the next one, and the rest as members. A second copy
    // of a file is left out (the duplicate finder has reported it), and so is a second name
    // of one file.
    void reportGuidConflicts(const Findings& findings) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> guids;
        guids.reserve(findings.guids.size());
        for (const auto& entry : findings.guids) {
            const auto file = findings.objects[entry.second].file;
            if (heldArchives_.count(file)) continue;  // not loaded as objects where it lies
            if (duplicateCopies_.count(file)) {
                // Kept for saying which saved lots use a duplicate, without reading it again.
                duplicateIds_[contentPath(file)].push_back(entry.first);
            } else if (!otherNames_.count(file)) {
                guids.push_back(entry);
            }
        }
        const auto less = [&](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first < b.first;
            const auto& x = findings.objects[a.second];
            const auto& y = findings.objects[b.second];
            if (x.file != y.file) return contentPath(x.file) < contentPath(y.file);
            if (x.entry == y.entry) return false;
            if (x.entry == Findings::kNoEntry || y.entry == Findings::kNoEntry) {
                return x.entry == Findings::kNoEntry;
            }
            return findings.entryNames[x.entry] < findings.entryNames[y.entry];
        };
        std::sort(guids.begin(), guids.end(), less);
        for (std::size_t first = 0; first < guids.size();) {
            if (cancelled()) return;
            std::size_t end = first + 1;
            while (end < guids.size() && guids[end].first == guids[first].first) ++end;
            if (end - first > 1) reportOneId(findings, guids, first, end);
            first = end;
        }
    }

    void reportOneId(const Findings& findings,
                     const std::vector<std::pair<std::uint32_t, std::uint32_t>>& guids,
                     std::size_t first, std::size_t end) {
        const std::uint32_t id = guids[first].first;
        const auto count = end - first;
        const auto& keptObject = findings.objects[guids[first].second];
        bool anyInArchive = false;
        bool oneArchive = true;
        for (std::size_t i = first; i < end; ++i) {
            const auto& o = findings.objects[guids[i].second];
            anyInArchive = anyInArchive || o.entry != Findings::kNoEntry;
            oneArchive = oneArchive && o.entry != Findings::kNoEntry && o.file == keptObject.file;
        }
        const Place kept = placeOf(findings, guids[first].second);
        const Place named = placeOf(findings, guids[first + 1].second);
        Problem p = makeProblem(kGuidConflict, named.path, contentArea_[keptObject.file]);
        p.entry = named.entry;
        p.inOneArchive = oneArchive;
        p.inAnArchive = anyInArchive;
        p.sameAs = kept.path;
        p.sameAsEntry = kept.entry;
        p.guid = id;
        for (std::size_t i = first + 2; i < end && p.more.size() < kMembersListed; ++i) {
            p.more.push_back(placeOf(findings, guids[i].second));
        }
        p.moreCount = static_cast<std::int64_t>(count - 2);
        report.problems.push_back(std::move(p));
    }

    // A mesh list naming a mesh whose file is not in its folder: the game looks for a skin's
    // meshes beside its mesh list, and a skin in SkinsBuy needs them in SkinsBuy.
    void reportMissingMeshes(const Findings& findings) {
        constexpr std::size_t skins = kSkinsRow;
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
                auto p = makeProblem(kMissingMesh, contentPath(list.file), area);
                p.mesh = mesh;
                p.meshInSkins = area != skins && has(skins);
                report.problems.push_back(std::move(p));
            }
        }
    }

    // A mesh list whose name inside is none of its file's: the game ignores it.
    void reportMeshListNames(const Findings& findings) {
        for (const auto& list : findings.meshLists) {
            if (list.suits.empty()) continue;
            const std::string& file = content_[list.file].name;
            const std::string base = file.substr(0, file.size() - 4);
            if (std::any_of(list.suits.begin(), list.suits.end(), [&](const std::string& suit) {
                    return ascii::equalNoCase(suit, base);
                })) {
                continue;
            }
            auto p = makeProblem(kMeshListName, contentPath(list.file), contentArea_[list.file]);
            p.mesh = list.suits.front();
            const auto area = meshListFiles_.find(contentArea_[list.file]);
            p.nameTaken = area != meshListFiles_.end() &&
                          area->second.count(ascii::toLower(p.mesh) + ".cmx") > 0;
            report.problems.push_back(std::move(p));
        }
    }

    // One folder of the area being walked: its files classified; returns the bytes of the
    // area's content among them.
    std::int64_t visit(const WalkedFolder& folder) override {
        const GameFolder& area = *area_;
        // A skin's meshes in Downloads take its textures along when they move.
        const bool skinHere =
            areaIndex_ == kDownloadsRow &&
            std::any_of(folder.files.begin(), folder.files.end(), [](const auto& file) {
                return among(kSkinMeshExtensions, extensions(file.name).first);
            });
        std::int64_t bytes = 0;
        const std::string separator(1, source_.separator());
        for (const auto& file : folder.files) {
            bytes += classify(area, *out_, {folder.depth, folder.path, folder.top, skinHere}, file,
                              folder.path + separator + file.name);
        }
        return bytes;
    }

    void leave(const std::string& path, std::size_t depth, std::int64_t bytes) override {
        if (depth > 0 && bytes > 0) folderSizes_.push_back({path, bytes});
    }

    // Where a file lies in its area's walk.
    struct Where {
        std::size_t depth;
        const std::string& folder;
        const std::string& top;
        bool skinHere;  // skin meshes lie in the same folder of Downloads
    };

    // Looks at one file; returns the bytes it adds to the area's content.
    std::int64_t classify(const GameFolder& area, AreaReport& out, const Where& where,
                          const FolderListing::File& file, const std::string& path) {
        const auto [ext, previous] = extensions(file.name);
        if (isType(ext, ContentType::kPacked)) {
            problem(kPackedArchive, path);
            return 0;
        }
        if (anyAreaLoads(previous) && !anyAreaLoads(ext)) {
            problem(kIgnoredName, path);
            return 0;
        }
        if (!among(area.extensions, ext)) {
            if (ext == "far" && area.area != Area::kObjects) {
                judgeHeldArchive(where.folder, file);
            } else if (ext == "bmp" && where.skinHere) {
                textureCandidates_.push_back({where.folder, file.name, areaIndex_});
            } else {
                if (ext == "skn" && where.skinHere) readAside(where.folder, file, FileKind::kMesh);
                reportMisplaced(area, path, ext);
            }
            return 0;
        }
        if (!area.readsSubfolders && where.depth > 0) {
            if (unreadReported_.insert(where.top).second) problem(kUnreadSubfolder, where.top);
            return 0;
        }
        ++out.files;
        out.bytes += file.size;
        if (area.area == Area::kObjects && ext == "iff") ++out.objects;
        if (file.size == 0) {
            problem(kEmptyFile, path);
        } else {
            addContent(area, where, file, ext);
        }
        if (ext == "skn" || ext == "bmf") meshFiles_[areaIndex_].insert(ascii::toLower(file.name));
        if (ext == "cmx") meshListFiles_[areaIndex_].insert(ascii::toLower(file.name));
        return file.size;
    }

    // Numbers a file of the area being walked, in `folder`, as the duplicate finder (with
    // `size`; 0 leaves it out) and the readers know it.
    std::uint32_t recordFile(const std::string& folder, const FolderListing::File& file,
                             std::int64_t size) {
        if (!folderShared_ || *folderShared_ != folder) {
            folderShared_ = std::make_shared<const std::string>(folder);
            folders_.push_back(folder);
        }
        const auto index = static_cast<std::uint32_t>(content_.size());
        content_.push_back({static_cast<std::uint32_t>(folders_.size() - 1), file.name, size,
                            purposeOf(areaIndex_), knownByName(areaIndex_)});
        contentArea_.push_back(areaIndex_);
        contentIsLink_.push_back(file.link);
        return index;
    }

    // A content file the duplicate finder compares and, by its kind, the readers read.
    void addContent(const GameFolder& area, const Where& where, const FolderListing::File& file,
                    const std::string& ext) {
        const auto index = recordFile(where.folder, file, file.size);
        if (file.device != 0 || file.inode != 0) {
            identities_.push_back({file.device, file.inode, purposeOf(areaIndex_), index});
        }
        queueInside(area, where.depth, file.name, ext, index);
    }

    // An archive in a folder of floors, walls, skins or roofs: the game keeps its own there
    // (GameData\\Floors\\Floors.far and its kin), so it is judged by what it holds once it has
    // been read: misplaced when it holds objects and nothing else, never named otherwise.
    // Without reading inside, nothing is said of it.
    void judgeHeldArchive(const std::string& folder, const FolderListing::File& file) {
        if (const auto index = readAside(folder, file, FileKind::kArchive))
            heldArchives_.insert(*index);
    }

    // Queues a file that is not content of its folder to be read for what it tells about
    // others; it is kept out of the counts and the duplicate finder. Its number, or none when
    // the check does not read inside the files.
    std::optional<std::uint32_t> readAside(const std::string& folder,
                                           const FolderListing::File& file, FileKind kind) {
        if (!lookInside_ || file.size == 0) return std::nullopt;
        const auto index = recordFile(folder, file, 0);  // size 0: never compared
        inspector_.add({folderShared_, file.name, source_.separator(), kind, index,
                        static_cast<std::uint64_t>(file.size)});
        return index;
    }

    // Pictures beside skins in Downloads: misplaced when a mesh in their folder names one as
    // its texture; a picture no mesh names (a readme's, a preview) is left alone.
    void reportTextures(const Findings& findings) {
        std::set<std::pair<std::string, std::string>> named;  // folder, lower-case texture
        for (const auto& mesh : findings.meshTextures) {
            const auto& f = content_[mesh.file];
            named.emplace(folders_[f.folder], ascii::toLower(mesh.texture));
        }
        for (const auto& picture : textureCandidates_) {
            const std::string lower = ascii::toLower(picture.name);
            const std::string base = lower.substr(0, lower.rfind('.'));
            if (named.count({picture.folder, base}) || named.count({picture.folder, lower})) {
                report.problems.push_back(makeProblem(
                    kMisplaced, picture.folder + source_.separator() + picture.name, picture.area));
            }
        }
    }

    // A file that belongs in another area's folder (report_words.cpp says which).
    void reportMisplaced(const GameFolder& area, const std::string& path, const std::string& ext) {
        const bool objects = area.area == Area::kObjects;
        if ((areaIndex_ == kDownloadsRow && among(kSkinMeshExtensions, ext)) ||
            (!objects && ext == "iff") || (area.area == Area::kWalls && ext == "flr") ||
            (area.area == Area::kFloors && ext == "wll")) {
            problem(kMisplaced, path);
        }
    }

    void problem(ProblemKind kind, std::string path) {
        report.problems.push_back(makeProblem(kind, std::move(path), areaIndex_));
    }

    // Which file a content file is, by its listing: files of one purpose with the same
    // device and inode are one file.
    struct Identity {
        std::uint64_t device;
        std::uint64_t inode;
        std::uint8_t purpose;
        std::uint32_t file;
        bool sameFileAs(const Identity& other) const {
            return device == other.device && inode == other.inode && purpose == other.purpose;
        }
        bool operator<(const Identity& other) const {
            return std::tie(device, inode, purpose, file) <
                   std::tie(other.device, other.inode, other.purpose, other.file);
        }
    };

    FolderSource& source_;
    const CheckHooks& hooks_;
    FolderWalk walk_;
    const bool lookInside_;
    const std::uint8_t language_;
    const GameFolder* area_ = nullptr;  // the area being walked
    AreaReport* out_ = nullptr;         // and its report
    Inspector inspector_;
    std::uint8_t areaIndex_ = 0;
    std::shared_ptr<const std::string> folderShared_;  // the folder whose files are queued
    std::vector<std::string> folders_;                 // each folder holding content files, once
    std::vector<SizedFile> content_;
    std::vector<std::uint8_t> contentArea_;  // each content file's area, by its index
    std::vector<bool> contentIsLink_;        // whether it was listed as a link
    std::vector<Identity> identities_;       // until the walk is over
    std::unordered_set<std::uint32_t> duplicateCopies_;
    std::unordered_set<std::uint32_t> heldArchives_;  // archives in folders of other kinds
    // For each problem, the labels of the object at its path and at its sameAs (conflicts).
    std::vector<std::pair<std::string, std::string>> labels_;
    struct Picture {
        std::string folder;
        std::string name;
        std::uint8_t area;
    };
    std::vector<Picture> textureCandidates_;  // pictures beside skins in Downloads
    std::unordered_map<std::string, std::vector<std::uint32_t>> duplicateIds_;
    std::unordered_set<std::uint32_t> reachedTwice_;  // files found under more than one name
    std::unordered_set<std::uint32_t> otherNames_;    // the names besides the one each is known by
    std::map<std::size_t, std::set<std::string>>
        meshFiles_;  // by area: mesh file names, lower case
    std::map<std::size_t, std::set<std::string>> meshListFiles_;  // by area, lower case
    std::vector<FolderBytes> folderSizes_;
    std::set<std::string> unreadReported_;
    std::set<std::string> twinsReported_;
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
    if (options.lookInside) checker.nameObjects();
    if (options.lookInside) checker.noteLots(options.saves, hooks);
    checker.report.foldersUnreadable = checker.foldersUnreadable();
    auto& problems = checker.report.problems;
    std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        return a.path != b.path ? a.path < b.path : a.entry < b.entry;
    });
    for (auto& problem : problems) problem.advice = checker.adviceFor(problem);
    return std::move(checker.report);
}

std::string_view actionName(Action action) {
    constexpr std::array<std::string_view, 5> kNames = {"none", "move", "trash", "rename",
                                                        "install"};
    return kNames[static_cast<std::size_t>(action)];
}

std::size_t destinationOf(const Problem& p) {
    const std::string ext = extensions(lastPart(p.path)).first;
    if (ext == "bmp" ||
        (kAreas[p.folder].area == Area::kObjects && among(kSkinMeshExtensions, ext))) {
        return kSkinsRow;
    }
    if (ext == "flr") return kFloorsRow;
    if (ext == "wll") return kWallsRow;
    return kDownloadsRow;
}

std::string kindName(ProblemKind kind) {
    return std::string(factsOf(kind).name);
}

}  // namespace brambleton::content
