// SPDX-License-Identifier: MIT
#include "content/lots.h"

#include <algorithm>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "common/ascii.h"
#include "common/game_folders.h"
#include "content/file_kinds.h"
#include "content/file_names.h"
#include "content/formats/lot_reader.h"
#include "content/formats/string_table.h"
#include "content/formats/text_codes.h"
#include "content/inspection.h"
#include "content/report_words.h"

namespace fs = std::filesystem;

namespace brambleton::content {
namespace {

constexpr std::int64_t kOwn = -1;  // a file of the game's own, not content

std::string hostPath(const fs::path& path) {
    const auto u8 = path.u8string();
    return {u8.begin(), u8.end()};
}

fs::path fromHost(const std::string& path) {
    return {std::u8string(path.begin(), path.end())};
}

// The number in a lot's file name, "House07.iff" giving 7; none for any other name.
std::optional<int> houseNumber(const std::string& name) {
    const std::string lower = ascii::toLower(name);
    if (!lower.starts_with("house") || !lower.ends_with(".iff")) return std::nullopt;
    const std::string digits = lower.substr(5, lower.size() - 9);
    if (digits.empty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoi(digits);
}

// The names a floor, wall or roof file answers to: its name and its name without the
// extension, lower case, as lots name them.
std::vector<std::string> namesOf(const std::string& file) {
    const std::string lower = ascii::toLower(file);
    std::vector<std::string> out{lower};
    const auto dot = lower.rfind('.');
    if (dot != std::string::npos && dot > 0) out.push_back(lower.substr(0, dot));
    return out;
}

// One name of a folder, and whether it is a file (a link to one included) that can be read.
struct Listed {
    std::string name;
    bool file;
    bool operator<(const Listed& other) const { return name < other.name; }
};

// The names of one folder (sorted), or none when it cannot be listed.
std::optional<std::vector<Listed>> namesIn(const fs::path& folder) {
    std::error_code ec;
    std::vector<Listed> out;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return std::nullopt;
        std::error_code typeError;
        out.push_back({hostPath(it->path().filename()), it->is_regular_file(typeError)});
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Whether `folder` can be listed.
bool listable(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    return !ec;
}

std::optional<fs::path> childOf(const fs::path& folder, std::string_view name) {
    std::vector<fs::path> twins;
    return childNoCase(folder, name, twins);
}

// The file of `folder` named `name` without regard to case, the exact name first.
std::optional<fs::path> fileNamed(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    const fs::path exact = folder / fromHost(std::string(name));
    if (fs::is_regular_file(exact, ec)) return exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (ascii::equalNoCase(hostPath(it->path().filename()), name) &&
            it->is_regular_file(typeError)) {
            return it->path();
        }
    }
    return std::nullopt;
}

// Reads the file at `path` through `read`; false, with the reason said through `failed`,
// when it cannot be read.
template <typename Read, typename Failed>
bool readSaved(const fs::path& path, Read&& read, Failed&& failed) {
    const std::string host = hostPath(path);
    try {
        const auto bytes = openFileBytes(host);
        std::string why;
        if (read(*bytes, why)) return true;
        failed(host + ": " + why);
    } catch (const ReadError& e) {
        failed("Cannot read " + host + ": " + e.what());
    } catch (const std::bad_alloc&) {
        failed("Cannot read " + host + ": not enough memory");
    }
    return false;
}

// String 0 of the string table at `place`, in `language` where it has it.
std::optional<std::string> firstString(ByteSource& bytes, const ChunkPlace& place,
                                       std::uint8_t language) {
    const auto table = readStringTable(bytes, place);
    const StringSet* set = stringsIn(table, language);
    if (!set || set->strings.empty() || set->strings[0].empty()) return std::nullopt;
    return textToUtf8(set->strings[0], set->language);
}

// Reads the lots of save folders, with their names and families.
class SavesReader {
  public:
    SavesReader(std::uint8_t language, const ScanHooks& hooks)
        : language_(language), hooks_(hooks) {}

    void readSaves(const fs::path& folder) {
        out_.folders.push_back(hostPath(folder));
        if (hooks_.progress) hooks_.progress(hostPath(folder));
        if (!listable(folder)) {
            unlisted(folder);
            return;
        }
        const auto houses = childOf(folder, "Houses");
        if (!houses) return;
        const auto listed = namesIn(*houses);
        if (!listed) {
            unlisted(*houses);
            return;
        }
        std::vector<std::string> files;
        for (const auto& entry : *listed) {
            if (entry.file) files.push_back(entry.name);
        }
        const auto names = lotNames(*houses, files);
        const auto families = familyNames(folder);
        for (const auto& entry : *listed) {
            if (hooks_.cancelled && hooks_.cancelled()) return;
            const auto house = houseNumber(entry.name);
            if (!house) continue;
            const fs::path path = *houses / fromHost(entry.name);
            SavedLot lot;
            lot.file = hostPath(path);
            lot.saves = hostPath(folder);
            lot.house = *house;
            if (const auto found = names.find(*house); found != names.end())
                lot.name = found->second;
            if (const auto found = families.find(*house); found != families.end())
                lot.family = found->second;
            ReadSavedLot read;
            const auto failed = [this](const std::string& why) {
                if (hooks_.message) hooks_.message(why);
            };
            if (!entry.file) {
                // A folder, a pipe or a dangling link where a lot should be: never opened (a
                // pipe would wait for ever), and what the lot uses is unknown.
                failed("Cannot read " + lot.file + ": it is not a file");
            } else {
                read.read = readSaved(
                    path,
                    [&](ByteSource& bytes, std::string& why) {
                        return readLot(bytes, read.uses, why);
                    },
                    failed);
            }
            if (!read.read) out_.complete = false;
            read.lot = std::move(lot);
            out_.lots.push_back(std::move(read));
        }
    }

    // A folder of saves that cannot be listed: its lots are unknown.
    void unlisted(const fs::path& folder) {
        ++out_.foldersUnreadable;
        out_.complete = false;
        if (hooks_.message) hooks_.message("Cannot read the folder " + hostPath(folder));
    }

    // Each lot's name by its number, from the *Desc.iff files beside the lots:
    // NeighborhoodDesc.iff first, then the others in name order. String table 2000 + N names
    // lot N.
    std::unordered_map<int, std::string> lotNames(const fs::path& houses,
                                                  const std::vector<std::string>& files) {
        std::vector<std::string> descriptions;
        for (const auto& name : files) {
            if (ascii::toLower(name).ends_with("desc.iff")) descriptions.push_back(name);
        }
        std::stable_partition(descriptions.begin(), descriptions.end(), [](const std::string& n) {
            return ascii::equalNoCase(n, "NeighborhoodDesc.iff");
        });
        std::unordered_map<int, std::string> out;
        for (const auto& name : descriptions) {
            readSaved(
                houses / fromHost(name),
                [&](ByteSource& bytes, std::string& why) {
                    const auto chunks = listSavedChunks(bytes, {"STR#"});
                    for (const auto& place : chunks.chunks) {
                        const int house = place.id - 2000;
                        if (house < 0 || out.count(house) != 0) continue;
                        if (auto text = firstString(bytes, place, language_))
                            out.emplace(house, std::move(*text));
                    }
                    if (chunks.fault) why = faultText(*chunks.fault);
                    return !chunks.fault;
                },
                [this](const std::string& why) { said(why); });
        }
        return out;
    }

    // Each family's name by the number of the house it lives in, from Neighborhood.iff's FAMI
    // chunks and the FAMs chunk of the same ID.
    std::unordered_map<int, std::string> familyNames(const fs::path& saves) {
        std::unordered_map<int, std::string> out;
        const auto file = fileNamed(saves, "Neighborhood.iff");
        if (!file) return out;
        readSaved(
            *file,
            [&](ByteSource& bytes, std::string& why) {
                const auto chunks = listSavedChunks(bytes, {"FAMI", "FAMs"});
                familiesIn(bytes, chunks.chunks, out);
                if (chunks.fault) why = faultText(*chunks.fault);
                return !chunks.fault;
            },
            [this](const std::string& why) { said(why); });
        return out;
    }

    void familiesIn(ByteSource& bytes, const std::vector<ChunkPlace>& chunks,
                    std::unordered_map<int, std::string>& out) const {
        // The first FAMs chunk of each ID, so that each family finds its names at once.
        std::unordered_map<std::uint16_t, const ChunkPlace*> namesById;
        for (const auto& place : chunks) {
            if (place.type == "FAMs") namesById.emplace(place.id, &place);
        }
        for (const auto& place : chunks) {
            if (place.type != "FAMI") continue;
            const auto names = namesById.find(place.id);
            if (names == namesById.end()) continue;
            const auto data = savedChunkData(bytes, place);
            const auto family = data ? readFamily(*data) : std::nullopt;
            if (!family || family->house <= 0 || out.count(family->house) != 0) continue;
            if (auto text = firstString(bytes, *names->second, language_)) {
                out.emplace(family->house, std::move(*text));
            }
        }
    }

    void said(const std::string& why) {
        ++out_.filesUnreadable;
        if (hooks_.message) hooks_.message(why);
    }

    SavedLots out_;

  private:
    std::uint8_t language_;
    const ScanHooks& hooks_;
};

class LotScanner final : public FolderVisitor {
  public:
    LotScanner(FolderSource& source, const ScanHooks& hooks, const LotsOptions& options)
        : source_(source),
          hooks_(hooks),
          options_(options),
          walk_(source, hooks),
          inspector_(readersWithin(16)) {}

    LotsReport scan(const fs::path& install, const std::vector<fs::path>& saveFolders) {
        report_.install = hostPath(install);
        report_.separator = source_.separator();
        indexContent(install);
        indexOwn(install, saveFolders);
        const auto findings = inspector_.finish(
            [this] {
                if (hooks_.progress) hooks_.progress("inside the files");
            },
            [this] { return walk_.cancelled(); });
        report_.cancelled = walk_.cancelled();
        if (report_.cancelled) return std::move(report_);
        takeFindings(findings);
        if (walk_.foldersUnreadable() > 0) report_.providersRead = false;
        auto saves = readSavedLots(saveFolders, options_.language, hooks_);
        report_.saves = std::move(saves.folders);
        report_.filesUnreadable += saves.filesUnreadable;
        report_.foldersUnreadable += saves.foldersUnreadable;
        if (!saves.complete) report_.unusedKnown = false;
        for (auto& read : saves.lots) {
            if (!read.read) {
                ++report_.lotsUnreadable;
                report_.unusedKnown = false;
                continue;
            }
            resolve(read.uses, read.lot);
            report_.lots.push_back(std::move(read.lot));
        }
        report_.cancelled = walk_.cancelled();
        report_.foldersUnreadable += walk_.foldersUnreadable();
        return std::move(report_);
    }

    std::int64_t visit(const WalkedFolder& folder) override {
        if (!readsSubfolders_ && folder.depth > 0) return 0;
        if (row_ < 0 && inContentFolder(folder.path)) return 0;
        std::shared_ptr<const std::string> shared;
        for (const auto& file : folder.files) {
            const std::string ext = extensions(file.name).first;
            // The game keeps its own floors, walls and roofs in an archive of their folder.
            const bool heldArchive =
                row_ >= 0 && ext == "far" &&
                kGameFolders[static_cast<std::size_t>(row_)].area != Area::kObjects;
            if (row_ >= 0 && !heldArchive) {
                addContent(folder.path, file, ext, shared);
            } else if (heldArchive || ext == "iff" || ext == "far") {
                queue(folder.path, file, ext, kOwn, shared);
            } else if (ext == "flr" || ext == "wll" || ext == "bmp") {
                for (auto& name : namesOf(file.name)) ownNamed(ext).insert(name);
            }
        }
        return 0;
    }

  private:
    void indexContent(const fs::path& install) {
        for (std::size_t row = 0; row < kGameFolders.size() && !walk_.cancelled(); ++row) {
            const auto& game = kGameFolders[row];
            std::vector<fs::path> twins;
            const auto folder = gameFolderIn(install, game, twins);
            if (!folder) continue;
            contentFolders_.push_back(hostPath(*folder));
            if (game.area == Area::kSkins) continue;
            row_ = static_cast<int>(row);
            readsSubfolders_ = game.readsSubfolders;
            walk_.walk(hostPath(*folder), *this);
        }
    }

    // The game's own objects, floors and walls, and the Sims of each save folder. The game's
    // own are every object file and archive below the install folder outside the content
    // folders and the save folders: GameData\Objects, ExpansionPack*, ExpansionShared and
    // Deluxe hold them in the editions the public notes describe, and an edition that keeps
    // them elsewhere is read too, so that no object of the game's own is called missing.
    void indexOwn(const fs::path& install, const std::vector<fs::path>& saveFolders) {
        row_ = -1;
        readsSubfolders_ = true;
        std::vector<fs::path> folders;
        std::error_code ec;
        for (fs::directory_iterator it(install, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            std::error_code typeError;
            const std::string name = ascii::toLower(hostPath(it->path().filename()));
            if (it->is_directory(typeError) && name != "downloads" &&
                !name.starts_with("userdata")) {
                folders.push_back(it->path());
            }
        }
        std::sort(folders.begin(), folders.end());
        for (const auto& folder : folders) {
            if (!walk_.cancelled()) walk_.walk(hostPath(folder), *this);
        }
        const std::size_t ownFiles = tasks_.size();
        readsSubfolders_ = false;
        for (const auto& saves : saveFolders) {
            if (const auto characters = childOf(saves, "Characters")) {
                if (!walk_.cancelled()) walk_.walk(hostPath(*characters), *this);
            }
        }
        ownObjectFiles_ = ownFiles;
    }

    // Whether `path` is one of the content folders or lies below one.
    bool inContentFolder(const std::string& path) const {
        return std::any_of(
            contentFolders_.begin(), contentFolders_.end(), [&](const std::string& c) {
                return path.size() >= c.size() && path.compare(0, c.size(), c) == 0 &&
                       (path.size() == c.size() || path[c.size()] == source_.separator());
            });
    }

    void addContent(const std::string& folder, const FolderListing::File& file,
                    const std::string& ext, std::shared_ptr<const std::string>& shared) {
        const auto& game = kGameFolders[static_cast<std::size_t>(row_)];
        if (std::find(game.extensions.begin(), game.extensions.end(), ext) == game.extensions.end())
            return;
        const auto index = static_cast<std::uint32_t>(report_.content.size());
        LotContent content;
        if (report_.folders.empty() || report_.folders.back() != folder) {
            report_.folders.push_back(folder);
        }
        content.place = static_cast<std::uint32_t>(report_.folders.size() - 1);
        content.name = file.name;
        content.folder = static_cast<std::uint8_t>(row_);
        if (ext == "iff" || ext == "far") {
            content.known = false;  // until its objects are read
            report_.content.push_back(std::move(content));
            if (file.size > 0) queue(folder, file, ext, index, shared);
            return;
        }
        report_.content.push_back(std::move(content));
        auto& names = game.area == Area::kFloors  ? floors_
                      : game.area == Area::kWalls ? walls_
                                                  : roofs_;
        for (auto& name : namesOf(file.name)) names[name].push_back(index);
    }

    // The names of the game's own floors, walls or roofs, by a file's or entry's extension.
    std::unordered_set<std::string>& ownNamed(std::string_view ext) {
        return ext == "flr" ? ownFloors_ : ext == "wll" ? ownWalls_ : ownRoofs_;
    }

    // The host path of a file of the game's own that was queued as task `task`.
    std::string ownPath(std::uint32_t task) const { return taskPaths_[task]; }

    void queue(const std::string& folder, const FolderListing::File& file, const std::string& ext,
               std::int64_t target, std::shared_ptr<const std::string>& shared) {
        if (!shared) shared = std::make_shared<const std::string>(folder);
        const auto task = static_cast<std::uint32_t>(tasks_.size());
        tasks_.push_back(target);
        taskRows_.push_back(row_);
        taskPaths_.push_back(target == kOwn ? folder + source_.separator() + file.name
                                            : std::string());
        inspector_.add({shared, file.name, source_.separator(),
                        isType(ext, ContentType::kArchive) ? FileKind::kArchive : FileKind::kObject,
                        task, static_cast<std::uint64_t>(file.size)});
    }

    void takeFindings(const Findings& findings) {
        report_.filesUnreadable += static_cast<std::int64_t>(findings.unreadableCount);
        for (const auto& why : findings.unreadable) {
            if (hooks_.message) hooks_.message(why);
        }
        // A file that could not be read may hold what a lot uses: nothing is then missing,
        // only unknown.
        if (findings.unreadableCount > 0) report_.providersRead = false;
        takeHeldEntries(findings);
        std::vector<bool> bad(tasks_.size(), false);
        for (const auto& b : findings.bad) {
            bad[b.file] = true;
            const std::int64_t target = tasks_[b.file];
            if (target == kOwn) {
                // The game reads its own files whole; where they do not read here, this
                // reader does not know them, and what they hold is unknown.
                report_.providersRead = false;
                ++report_.filesUnreadable;
                if (hooks_.message) {
                    hooks_.message(placeText(ownPath(b.file), b.entry) + ": " + faultText(b.fault));
                }
                continue;
            }
            // A broken content file is said by the check; here it only stays out of "unused".
            ++report_.filesUnreadable;
            if (hooks_.message) {
                hooks_.message(
                    placeText(report_.path(static_cast<std::uint32_t>(target)), b.entry) + ": " +
                    faultText(b.fault));
            }
        }
        guids_.reserve(findings.guids.size());
        for (const auto& [guid, object] : findings.guids) {
            const std::uint32_t task = findings.objects[object].file;
            const std::int64_t target = tasks_[task];
            guids_.emplace_back(guid, target);
            if (target == kOwn) {
                report_.gameObjectsFound = report_.gameObjectsFound || task < ownObjectFiles_;
            } else if (!bad[task]) {
                report_.content[static_cast<std::size_t>(target)].known = true;
            }
        }
        std::sort(guids_.begin(), guids_.end());
    }

    // The floors and walls inside every archive, and the roofs inside those of the roofs
    // folder (a picture elsewhere in an archive of the game's own is taken as a roof too: a
    // lot's roof is then never missed wrongly).
    void takeHeldEntries(const Findings& findings) {
        for (const auto& held : findings.heldEntries) {
            const std::string name = lastPart(held.name);
            const std::string ext = extensions(name).first;
            const std::int64_t target = tasks_[held.file];
            const int row = taskRows_[held.file];
            const bool roofsFolder =
                row >= 0 && kGameFolders[static_cast<std::size_t>(row)].area == Area::kRoofs;
            if (ext == "bmp" && target == kOwn) {
                for (auto& n : namesOf(name)) ownRoofs_.insert(n);
                if (roofsFolder) roofsKnown_ = true;
            } else if ((ext == "flr" || ext == "wll") && target == kOwn) {
                for (auto& n : namesOf(name)) ownNamed(ext).insert(n);
            } else if (ext == "flr" || ext == "wll") {
                auto& index = ext == "flr" ? floors_ : walls_;
                for (auto& n : namesOf(name))
                    index[n].push_back(static_cast<std::uint32_t>(target));
            }
        }
    }

    // Whether the object ID is provided, adding the content files that provide it to `uses`.
    bool provide(std::uint32_t id, std::vector<std::uint32_t>& uses) const {
        const auto [from, to] =
            std::equal_range(guids_.begin(), guids_.end(), std::make_pair(id, kOwn - 1),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = from; it != to; ++it) {
            if (it->second != kOwn) uses.push_back(static_cast<std::uint32_t>(it->second));
        }
        return from != to;
    }

    // What one lot uses, found among the content or the game's own, or else missing (or
    // unknown, when something that might provide it could not be read). An object is known by
    // its own ID alone. A version 3 table also says what each object was cloned from, but
    // that is its maker's history, not a use: the game's own objects carry the IDs of Maxis'
    // downloads they were cloned from (Magic Town's stairs name StairSweeping.far's, the
    // Carni-Brite lights FenceParty.far's), downloads no expansion needs, since the game
    // loads those objects without them. So a clone's source is never said to be used, and
    // never stands in for an object that is gone.
    void resolve(const LotUses& uses, SavedLot& lot) {
        const auto lacking = [&](MissingThing thing) {
            (report_.providersRead ? lot.missing : lot.unknown).push_back(std::move(thing));
        };
        std::unordered_set<std::uint32_t> defined(uses.defined.begin(), uses.defined.end());
        std::unordered_set<std::uint32_t> missingIds;
        for (const auto& object : uses.objects) {
            const bool found = provide(object.id, lot.uses) || defined.count(object.id) != 0;
            if (found || object.person || !report_.gameObjectsFound) continue;
            if (missingIds.insert(object.id).second) lacking({"object", object.id, object.name});
        }
        const auto byName = [&](const std::vector<std::string>& names, const NameIndex& content,
                                const std::unordered_set<std::string>& own, std::string_view kind) {
            std::unordered_set<std::string> said;
            for (const auto& name : names) {
                const std::string lower = ascii::toLower(name);
                if (const auto found = content.find(lower); found != content.end()) {
                    lot.uses.insert(lot.uses.end(), found->second.begin(), found->second.end());
                } else if (own.count(lower) == 0 && said.insert(lower).second) {
                    lacking({kind, std::nullopt, name});
                }
            }
        };
        byName(uses.floors, floors_, ownFloors_, "floor");
        byName(uses.walls, walls_, ownWalls_, "wall");
        // A roof is said to be missing only where the game's own roofs were read from the
        // roofs folder's archive: elsewhere the game's own are not known, and nothing can be
        // said.
        if (!uses.roof.empty()) {
            if (roofsKnown_) {
                byName({uses.roof}, roofs_, ownRoofs_, "roof");
            } else if (const auto found = roofs_.find(ascii::toLower(uses.roof));
                       found != roofs_.end()) {
                lot.uses.insert(lot.uses.end(), found->second.begin(), found->second.end());
            }
        }
        std::sort(lot.uses.begin(), lot.uses.end());
        lot.uses.erase(std::unique(lot.uses.begin(), lot.uses.end()), lot.uses.end());
        for (const auto index : lot.uses) ++report_.content[index].lots;
    }

    using NameIndex = std::unordered_map<std::string, std::vector<std::uint32_t>>;

    FolderSource& source_;
    const ScanHooks& hooks_;
    const LotsOptions& options_;
    FolderWalk walk_;
    Inspector inspector_;
    LotsReport report_;
    int row_ = 0;  // the content folder walked, or -1 for the game's own
    bool readsSubfolders_ = true;
    std::vector<std::int64_t> tasks_;     // each file queued: its content index, or kOwn
    std::vector<int> taskRows_;           // and the content folder it lies in, or -1
    std::vector<std::string> taskPaths_;  // and, for the game's own, its path
    std::vector<std::string> contentFolders_;
    std::size_t ownObjectFiles_ = 0;
    std::vector<std::pair<std::uint32_t, std::int64_t>> guids_;
    NameIndex floors_;
    NameIndex walls_;
    NameIndex roofs_;
    std::unordered_set<std::string> ownFloors_;
    std::unordered_set<std::string> ownWalls_;
    std::unordered_set<std::string> ownRoofs_;
    bool roofsKnown_ = false;  // the roofs folder's archive of the game's own roofs was read
};

}  // namespace

SavedLots readSavedLots(const std::vector<fs::path>& saveFolders, std::uint8_t language,
                        const ScanHooks& hooks) {
    SavesReader reader(language, hooks);
    for (const auto& folder : saveFolders) {
        if (hooks.cancelled && hooks.cancelled()) break;
        reader.readSaves(folder);
    }
    return std::move(reader.out_);
}

std::vector<std::uint32_t> LotsReport::unused() const {
    std::vector<std::uint32_t> out;
    if (!unusedKnown || cancelled) return out;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i].known && content[i].lots == 0) out.push_back(static_cast<std::uint32_t>(i));
    }
    return out;
}

namespace {

// Reads one chunk of a lot, `data` of the chunk at `place`, into `out`; false, with `why`
// set, when it does not read whole.
bool readLotChunk(const ChunkPlace& place, const std::string& data, LotUses& out,
                  std::string& why) {
    if (place.type == "objt") {
        const auto objects = readObjectTable(data);
        if (!objects) {
            why = "Its table of objects (objt) is damaged or of a version not known.";
            return false;
        }
        for (const auto& o : *objects) {
            out.objects.push_back(
                {o.id, o.clonedFrom, o.kind == 2, textToUtf8(o.name, kUsEnglish)});
        }
        return true;
    }
    if (place.type == "FLRm" || place.type == "WALm") {
        const auto names = readTileNames(data, place.id);
        if (!names) {
            why = "Its list of " + std::string(place.type == "FLRm" ? "floors" : "walls") + " (" +
                  place.type + ") is damaged.";
            return false;
        }
        auto& list = place.type == "FLRm" ? out.floors : out.walls;
        for (const auto& n : *names) list.push_back(textToUtf8(n, kUsEnglish));
        return true;
    }
    if (place.id != 0) return true;  // the house record is HOUS #0
    const auto roof = readRoofName(data);
    if (!roof) {
        why = "Its house record (HOUS) is damaged.";
        return false;
    }
    out.roof = textToUtf8(*roof, kUsEnglish);
    return true;
}

}  // namespace

bool readLot(ByteSource& bytes, LotUses& out, std::string& why) {
    const auto chunks = listSavedChunks(bytes, {"objt", "FLRm", "WALm", "HOUS"});
    if (chunks.fault) {
        why = faultText(*chunks.fault);
        return false;
    }
    out.defined = chunks.guids;
    for (const auto& place : chunks.chunks) {
        const auto data = savedChunkData(bytes, place);
        if (!data) {
            why = "Its " + place.type + " chunk is larger than any lot's.";
            return false;
        }
        if (!readLotChunk(place, *data, out, why)) return false;
    }
    return true;
}

LotsReport scanLots(const fs::path& installFolder, const std::vector<fs::path>& saveFolders,
                    FolderSource& source, const ScanHooks& hooks, const LotsOptions& options) {
    LotScanner scanner(source, hooks, options);
    return scanner.scan(installFolder, saveFolders);
}

}  // namespace brambleton::content
