// SPDX-License-Identifier: MIT
#include "content/catalogue.h"

#include <algorithm>
#include <array>
#include <new>
#include <unordered_map>

#include "common/ascii.h"
#include "common/game_folders.h"
#include "content/file_kinds.h"
#include "content/file_names.h"
#include "content/formats/far_reader.h"
#include "content/formats/iff_reader.h"
#include "content/formats/picture.h"
#include "content/formats/string_table.h"
#include "content/formats/text_codes.h"
#include "content/report_words.h"

namespace fs = std::filesystem;

namespace brambleton::content {

std::string_view kindText(ItemKind kind) {
    switch (kind) {
        case ItemKind::Object:
            return "object";
        case ItemKind::Floor:
            return "floor";
        case ItemKind::Wall:
            return "wall";
        case ItemKind::Skin:
            return "skin";
    }
    return "object";
}

namespace {

// The function flags' names, bit 0 first (the OBJD notes' function sort flags).
constexpr std::array<std::string_view, 8> kFunctions = {"seating",       "surfaces", "appliances",
                                                        "electronics",   "plumbing", "decorative",
                                                        "miscellaneous", "lighting"};

// The object types the game sells: normal objects (4) and portals (8: doors, windows,
// stairs). People (2), food (34), system and helper objects are never in a catalogue.
constexpr std::uint16_t kNormal = 4;
constexpr std::uint16_t kPortal = 8;

std::string_view categoryOf(const ObjectDefinition& d) {
    for (std::size_t bit = 0; bit < kFunctions.size(); ++bit) {
        if (d.functionFlags & (1u << bit)) return kFunctions[bit];
    }
    return d.buildModeType != 0 ? "build" : "";
}

// The chunks a catalogue reads, by type and ID: the first of each, found at once however
// many the file holds.
class Resources {
  public:
    explicit Resources(const IffSummary& summary) {
        for (const auto& place : summary.resources)
            byKey_.emplace(key(place.type, place.id), &place);
    }
    const ChunkPlace* find(std::string_view type, std::uint16_t id) const {
        const auto found = byKey_.find(key(type, id));
        return found == byKey_.end() ? nullptr : found->second;
    }

  private:
    static std::uint64_t key(std::string_view type, std::uint16_t id) {
        std::uint64_t k = 0;
        for (std::size_t i = 0; i < 4; ++i)
            k = (k << 8) | static_cast<unsigned char>(i < type.size() ? type[i] : 0);
        return (k << 16) | id;
    }
    std::unordered_map<std::uint64_t, const ChunkPlace*> byKey_;
};

// Text as a catalogue shows it: its lines ended by LF alone, and without the line ends and
// spaces its makers' tools leave at its end.
std::string trimmedEnd(std::string text) {
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

// Reads an IFF file with its definitions; a fault found in an archive's entry (`inEntry`)
// says so.
IffSummary readDefinitions(ByteSource& bytes, bool inEntry) {
    IffSummary summary = readIff(bytes, true);
    if (summary.fault) summary.fault->inEntry = inEntry;
    return summary;
}

// Strings `first`, `first + 1`, ... of a string table in the language asked for, as UTF-8.
std::vector<std::optional<std::string>> stringsOf(ByteSource& bytes, const ChunkPlace* place,
                                                  std::uint8_t language, std::size_t count) {
    std::vector<std::optional<std::string>> out(count);
    if (!place) return out;
    const auto table = readStringTable(bytes, *place);
    const StringSet* set = stringsIn(table, language);
    if (!set) return out;
    for (std::size_t i = 0; i < count && i < set->strings.size(); ++i) {
        out[i] = trimmedEnd(textToUtf8(set->strings[i], set->language));
    }
    return out;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> pictureSize(ByteSource& bytes,
                                                                   const ChunkPlace* place) {
    if (!place || place->offset > bytes.size() || bytes.size() - place->offset < place->size) {
        return std::nullopt;
    }
    char start[64] = {};
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof start, place->size));
    const auto got = bytes.read(place->offset, start, wanted);
    const auto facts = readBmpFacts(std::string_view(start, got));
    if (!facts) return std::nullopt;
    return std::make_pair(facts->width, facts->height);
}

// The tiles of each multi-tile object, by its master ID, counted once for the whole file.
std::unordered_map<std::uint16_t, std::size_t> tilesByMaster(const IffSummary& summary) {
    std::unordered_map<std::uint16_t, std::size_t> out;
    for (const auto& d : summary.definitions) {
        if (d.masterId != 0 && d.subIndex >= 0) ++out[d.masterId];
    }
    return out;
}

std::uint16_t tilesOf(const std::unordered_map<std::uint16_t, std::size_t>& tiles,
                      const ObjectDefinition& master) {
    if (master.masterId == 0) return 1;
    const auto found = tiles.find(master.masterId);
    const std::size_t count = found == tiles.end() ? 0 : found->second;
    return static_cast<std::uint16_t>(std::clamp<std::size_t>(count, 1, 0xffff));
}

// A string table's price as the game writes it in floors' and walls' strings: decimal text.
std::optional<std::uint32_t> priceText(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->size() > 9) return std::nullopt;
    std::uint32_t price = 0;
    for (const char c : *text) {
        if (c < '0' || c > '9') return std::nullopt;
        price = price * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return price;
}

// The file name of a skin's mesh list, after the skin makers' convention (the SimEnhancer
// guide's standard naming convention, The Sims Wiki's "Skin" page): a kind letter, a
// three-character ID, gender, age, for bodies the build, then "_" and the skin's own name.
struct SkinName {
    std::string_view part, gender, age, build;
};

// What the kind letter of a skin's file name says it is (the SimEnhancer guide, The Sims
// Wiki): B everyday bodies, C heads, F formal, L pajamas, S swimwear, W winterwear.
std::string_view partOf(char letter) {
    static constexpr std::array<std::pair<char, std::string_view>, 6> kParts = {{
        {'b', "body"},
        {'c', "head"},
        {'f', "formal"},
        {'l', "pajamas"},
        {'s', "swimwear"},
        {'w', "winterwear"},
    }};
    for (const auto& [found, part] : kParts) {
        if (found == letter) return part;
    }
    return {};
}

std::string_view buildOf(std::string_view rest) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kBuilds = {{
        {"fat", "fat"},
        {"fit", "fit"},
        {"skn", "skinny"},
        {"chd", "child"},
    }};
    for (const auto& [found, build] : kBuilds) {
        if (rest.starts_with(found)) return build;
    }
    return {};
}

SkinName skinName(std::string_view base) {
    SkinName out;
    const std::string name = ascii::toLower(base);
    if (name.size() < 6) return out;
    out.part = partOf(name[0]);
    if (out.part.empty()) return out;
    out.gender = name[4] == 'f'   ? "female"
                 : name[4] == 'm' ? "male"
                 : name[4] == 'u' ? "unisex"
                                  : "";
    out.age = name[5] == 'a' ? "adult" : name[5] == 'c' ? "child" : "";
    out.build = buildOf(std::string_view(name).substr(6));
    return out;
}

// The .bmp files of one folder, by their lower-case names.
using Bitmaps = std::unordered_multimap<std::string, std::string>;

// The textures of a skin's mesh list named `base`: the .bmp files of its folder named as it is
// with a skin tone (lgt, med, drk) before the "_" and the skin's own name.
std::vector<std::string> texturesOf(std::string_view base, const Bitmaps& bitmaps) {
    std::vector<std::string> out;
    const std::string name = ascii::toLower(base);
    const auto cut = name.find('_');
    if (cut == std::string::npos) return out;
    for (const std::string_view tone : {"lgt", "med", "drk"}) {
        const std::string wanted =
            name.substr(0, cut) + std::string(tone) + name.substr(cut) + ".bmp";
        std::vector<std::string> found;
        const auto [from, to] = bitmaps.equal_range(wanted);
        for (auto it = from; it != to; ++it) found.push_back(it->second);
        std::sort(found.begin(), found.end());
        out.insert(out.end(), found.begin(), found.end());
    }
    return out;
}

}  // namespace

bool forEachObjectItem(ByteSource& bytes, const std::string& path, const std::string& entry,
                       std::uint8_t language, std::optional<FormatFault>* fault,
                       const std::function<bool(CatalogueItem&&)>& found) {
    WindowedBytes windowed(bytes);
    const IffSummary summary = readDefinitions(windowed, !entry.empty());
    if (summary.fault) {
        if (fault) *fault = summary.fault;
        return true;
    }
    const Resources resources(summary);
    const auto tiles = tilesByMaster(summary);
    for (const auto& d : summary.definitions) {
        if (!d.master()) continue;
        CatalogueItem item;
        item.path = path;
        item.entry = entry;
        item.size = static_cast<std::int64_t>(bytes.size());
        item.guid = d.guid;
        item.tiles = tilesOf(tiles, d);
        item.price = d.price;
        item.category = categoryOf(d);
        item.inCatalog = (d.functionFlags & 0xff || d.buildModeType != 0) && d.disabled == 0 &&
                         (d.type == kNormal || d.type == kPortal);
        auto strings = stringsOf(windowed, resources.find("CTSS", d.catalogStrings), language, 2);
        item.name = std::move(strings[0]);
        item.description = std::move(strings[1]);
        item.thumbnail = pictureSize(windowed, resources.find("BMP_", d.catalogStrings));
        if (!found(std::move(item))) return false;
    }
    return true;
}

std::vector<CatalogueItem> objectItems(ByteSource& bytes, const std::string& path,
                                       const std::string& entry, std::uint8_t language,
                                       std::optional<FormatFault>* fault) {
    std::vector<CatalogueItem> items;
    forEachObjectItem(bytes, path, entry, language, fault, [&items](CatalogueItem&& item) {
        items.push_back(std::move(item));
        return true;
    });
    return items;
}

namespace {

class Cataloguer final : public FolderVisitor {
  public:
    Cataloguer(FolderSource& source, const ScanHooks& hooks, const CatalogueOptions& options,
               const std::function<void(CatalogueItem&&)>& found)
        : source_(source), hooks_(hooks), options_(options), found_(found), walk_(source, hooks) {}

    CatalogueScan scan(const fs::path& install) {
        for (std::size_t row = 0; row < kGameFolders.size(); ++row) {
            if (walk_.cancelled()) break;
            std::vector<fs::path> twins;
            const auto folder = gameFolderIn(install, kGameFolders[row], twins);
            if (!folder) continue;
            row_ = static_cast<std::uint8_t>(row);
            const auto u8 = folder->u8string();
            walk_.walk(std::string(u8.begin(), u8.end()), *this);
        }
        return {walk_.foldersUnreadable(), unreadable_, walk_.cancelled()};
    }

    std::int64_t visit(const WalkedFolder& folder) override {
        const GameFolder& game = kGameFolders[row_];
        if (!game.readsSubfolders && folder.depth > 0) return 0;
        Bitmaps bitmaps;
        if (game.area == Area::kSkins) {
            for (const auto& file : folder.files) {
                if (extensions(file.name).first == "bmp")
                    bitmaps.emplace(ascii::toLower(file.name), file.name);
            }
        }
        // An archive is read wherever it lies: the game keeps its own floors and walls in
        // archives of their folders.
        const auto wanted = [&game](const FolderListing::File& file, const std::string& ext) {
            return file.size > 0 &&
                   (ext == "far" || std::find(game.extensions.begin(), game.extensions.end(),
                                              ext) != game.extensions.end());
        };
        // Read one after another, the files come from a cold disk faster when the system
        // reads the next ones meanwhile; from the cache, asking costs more than it gains.
        // Every kProbeEvery-th folder is read without asking, and whether this thread then
        // waited on the disk decides for the folders up to the next.
        const bool probe = foldersSeen_++ % kProbeEvery == 0;
        const auto blocksBefore = probe ? diskBlocksRead() : std::nullopt;
        if (!probe && warming_) {
            std::vector<std::string> ahead;
            for (const auto& file : folder.files) {
                if (wanted(file, extensions(file.name).first)) ahead.push_back(file.name);
            }
            warmer_.warm(folder.path, source_.separator(), ahead);
        }
        for (const auto& file : folder.files) {
            if (walk_.cancelled()) break;
            const std::string ext = extensions(file.name).first;
            if (wanted(file, ext)) readFile(folder.path, file, ext, bitmaps);
        }
        if (probe) {
            const auto blocksAfter = diskBlocksRead();
            warming_ = !blocksBefore || !blocksAfter || *blocksAfter > *blocksBefore;
        }
        return 0;
    }

  private:
    void readFile(const std::string& folder, const FolderListing::File& file,
                  const std::string& ext, const Bitmaps& bitmaps) {
        const std::string path = folder + source_.separator() + file.name;
        const FileType* type = typeOf(ext);
        if (!type) return;
        if (type->type == ContentType::kMeshList) {
            addSkin(path, file, bitmaps);
            return;
        }
        const auto read = type->reader;
        if (read != FileKind::kObject && read != FileKind::kArchive && read != FileKind::kTileSet) {
            return;
        }
        try {
            const auto bytes = openFileIn(folder, source_.separator(), file.name,
                                          static_cast<std::uint64_t>(file.size));
            if (read == FileKind::kObject) {
                std::optional<FormatFault> fault;
                forEachObjectItem(*bytes, path, {}, options_.language, &fault, adder());
                if (fault) failed(path + ": " + faultText(*fault));
            } else if (read == FileKind::kArchive) {
                readArchive(*bytes, path);
            } else {
                addTiles(*bytes, path, {}, file.size,
                         type->type == ContentType::kFloor ? ItemKind::Floor : ItemKind::Wall);
            }
        } catch (const ReadError& e) {
            failed("Cannot read " + path + ": " + e.what());
        } catch (const std::bad_alloc&) {
            failed("Cannot read " + path + ": not enough memory");
        } catch (const Stopped&) {
            // The scan was cancelled inside the file; the walk says so.
        }
    }

    // Thrown out of a file's reading when the scan is cancelled inside it.
    struct Stopped {};

    // Hands each item on, and stops the file's reading within a moment of a cancel.
    std::function<bool(CatalogueItem&&)> adder() {
        return [this](CatalogueItem&& item) {
            add(std::move(item));
            return !stopping();
        };
    }

    // Whether the scan has been cancelled, asked every so many items or entries: often enough
    // that a file of a million objects is left within a second.
    bool stopping() { return ++sinceAsked_ % 256 == 0 && walk_.cancelled(); }

    // An archive: its objects where objects are loaded, and its floors and walls wherever it
    // lies; those of an archive in a folder of floors, walls, skins or roofs are the game's own.
    void readArchive(ByteSource& archive, const std::string& path) {
        const bool objects = kGameFolders[row_].area == Area::kObjects;
        const auto fault = readFar(archive, [&](const FarEntry& entry) {
            if (stopping()) throw Stopped{};
            const std::string ext = extensions(lastPart(entry.name)).first;
            PartBytes part(archive, entry.offset, entry.size);
            if (ext == "flr" || ext == "wll") {
                addTiles(part, path, entry.name, static_cast<std::int64_t>(entry.size),
                         ext == "flr" ? ItemKind::Floor : ItemKind::Wall);
                return;
            }
            if (ext != "iff" || !objects) return;
            std::optional<FormatFault> broken;
            if (!forEachObjectItem(part, path, entry.name, options_.language, &broken, adder()))
                throw Stopped{};
            if (broken) failed(placeText(path, entry.name) + ": " + faultText(*broken));
        });
        if (fault) failed(path + ": " + faultText(*fault));
    }

    // A floor or a wall, a file or an archive's `entry`: its name, price and description in
    // string table 0.
    void addTiles(ByteSource& bytes, const std::string& path, const std::string& entry,
                  std::int64_t size, ItemKind kind) {
        WindowedBytes windowed(bytes);
        const IffSummary summary = readDefinitions(windowed, !entry.empty());
        if (summary.fault) {
            failed(placeText(path, entry) + ": " + faultText(*summary.fault));
            return;
        }
        const ChunkPlace* strings = Resources(summary).find("STR#", 0);
        if (!strings) {
            const auto first = std::find_if(summary.resources.begin(), summary.resources.end(),
                                            [](const ChunkPlace& p) { return p.type == "STR#"; });
            if (first != summary.resources.end()) strings = &*first;
        }
        auto text = stringsOf(windowed, strings, options_.language, 3);
        CatalogueItem item;
        item.kind = kind;
        item.path = path;
        item.entry = entry;
        item.gameOwn = !entry.empty() && kGameFolders[row_].area != Area::kObjects;
        item.size = size;
        item.category = kindText(kind);
        item.inCatalog = true;
        item.name = std::move(text[0]);
        item.price = priceText(text[1]);
        item.description = std::move(text[2]);
        add(std::move(item));
    }

    void addSkin(const std::string& path, const FolderListing::File& file, const Bitmaps& bitmaps) {
        const std::string base = file.name.substr(0, file.name.size() - 4);
        const SkinName name = skinName(base);
        CatalogueItem item;
        item.kind = ItemKind::Skin;
        item.path = path;
        item.size = file.size;
        item.category = "skin";
        item.inCatalog = !name.part.empty();
        item.name = base;
        item.part = name.part;
        item.gender = name.gender;
        item.age = name.age;
        item.build = name.build;
        item.textures = texturesOf(base, bitmaps);
        add(std::move(item));
    }

    void add(CatalogueItem&& item) {
        item.folder = row_;
        found_(std::move(item));
    }

    void failed(const std::string& why) {
        ++unreadable_;
        if (hooks_.message) hooks_.message(why);
    }

    FolderSource& source_;
    const ScanHooks& hooks_;
    const CatalogueOptions& options_;
    const std::function<void(CatalogueItem&&)>& found_;
    FolderWalk walk_;
    FileWarmer warmer_;
    static constexpr std::size_t kProbeEvery = 16;
    std::size_t foldersSeen_ = 0;
    bool warming_ = true;
    std::uint8_t row_ = 0;
    std::int64_t unreadable_ = 0;
    std::uint32_t sinceAsked_ = 0;
};

}  // namespace

CatalogueScan scanCatalogue(const fs::path& installFolder, FolderSource& source,
                            const ScanHooks& hooks, const CatalogueOptions& options,
                            const std::function<void(CatalogueItem&&)>& found) {
    Cataloguer cataloguer(source, hooks, options, found);
    return cataloguer.scan(installFolder);
}

namespace {

// Runs `read` on the bytes of the file at `path`, or of its archive entry `entry`.
void readObjectFile(const std::string& path, const std::string& entry,
                    const std::function<void(ByteSource&)>& read) {
    const auto file = openFileBytes(path);
    if (entry.empty()) {
        read(*file);
        return;
    }
    bool done = false;
    readFar(*file, [&](const FarEntry& found) {
        if (done || found.name != entry) return;
        done = true;
        PartBytes part(*file, found.offset, found.size);
        read(part);
    });
}

}  // namespace

namespace {

// Names the objects asked for (`wanted`, their places in `asked` and `out`) in one object
// file's bytes.
void nameObjects(ByteSource& bytes, const std::vector<ObjectAsked>& asked,
                 const std::vector<std::size_t>& wanted, std::uint8_t language,
                 std::vector<ObjectNames>& out) {
    WindowedBytes windowed(bytes);
    const IffSummary summary = readIff(windowed, true);
    const Resources resources(summary);
    for (const auto i : wanted) {
        const auto& guid = asked[i].guid;
        const ObjectDefinition* master = nullptr;
        const ObjectDefinition* labelled = nullptr;  // the first with the ID
        for (const auto& d : summary.definitions) {
            if (guid && d.guid != *guid) continue;
            if (!labelled) labelled = &d;
            if (!master && d.master()) master = &d;
            if (master) break;
        }
        if (labelled && guid) out[i].label = labelled->label;
        if (!master) continue;
        auto strings =
            stringsOf(windowed, resources.find("CTSS", master->catalogStrings), language, 1);
        if (strings[0]) out[i].name = std::move(*strings[0]);
    }
}

}  // namespace

std::vector<ObjectNames> objectNamesIn(const std::string& path,
                                       const std::vector<ObjectAsked>& asked,
                                       std::uint8_t language) {
    std::vector<ObjectNames> out(asked.size());
    std::unordered_map<std::string, std::vector<std::size_t>> byEntry;
    for (std::size_t i = 0; i < asked.size(); ++i) byEntry[asked[i].entry].push_back(i);
    const auto name = [&](ByteSource& bytes, const std::vector<std::size_t>& wanted) {
        nameObjects(bytes, asked, wanted, language, out);
    };
    try {
        const auto file = openFileBytes(path);
        if (const auto loose = byEntry.find(std::string()); loose != byEntry.end()) {
            name(*file, loose->second);
            byEntry.erase(loose);
        }
        if (byEntry.empty()) return out;
        readFar(*file, [&](const FarEntry& found) {
            const auto wanted = byEntry.find(found.name);
            if (wanted == byEntry.end()) return;
            PartBytes part(*file, found.offset, found.size);
            name(part, wanted->second);
            byEntry.erase(wanted);  // the first entry of a name, as objectNameIn reads it
        });
    } catch (const ReadError&) {
        return std::vector<ObjectNames>(asked.size());
    } catch (const std::bad_alloc&) {
        return std::vector<ObjectNames>(asked.size());
    }
    return out;
}

std::vector<std::uint32_t> objectIdsIn(const std::string& path) {
    std::vector<std::uint32_t> ids;
    try {
        const auto file = openFileBytes(path);
        const auto add = [&](ByteSource& bytes) {
            WindowedBytes windowed(bytes);
            const auto summary = readIff(windowed);
            ids.insert(ids.end(), summary.guids.begin(), summary.guids.end());
        };
        if (extensions(path).first != "far") {
            add(*file);
            return ids;
        }
        readFar(*file, [&](const FarEntry& entry) {
            if (extensions(lastPart(entry.name)).first != "iff") return;
            PartBytes part(*file, entry.offset, entry.size);
            add(part);
        });
    } catch (const ReadError&) {
        return ids;
    } catch (const std::bad_alloc&) {
        return ids;
    }
    return ids;
}

std::optional<std::string> objectPictureIn(const std::string& path, const std::string& entry,
                                           std::optional<std::uint32_t> guid) {
    std::optional<std::string> out;
    try {
        readObjectFile(path, entry, [&](ByteSource& bytes) {
            WindowedBytes windowed(bytes);
            const auto summary = readIff(windowed, true);
            for (const auto& d : summary.definitions) {
                if (!d.master() || (guid && d.guid != *guid)) continue;
                if (const auto* place = Resources(summary).find("BMP_", d.catalogStrings)) {
                    out = readPictureBytes(windowed, *place);
                }
                return;
            }
        });
    } catch (const ReadError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> objectPictureInBytes(ByteSource& bytes, std::uint32_t guid) {
    try {
        WindowedBytes windowed(bytes);
        const auto summary = readIff(windowed, true);
        for (const auto& d : summary.definitions) {
            if (!d.master() || d.guid != guid) continue;
            if (const auto* place = Resources(summary).find("BMP_", d.catalogStrings)) {
                return readPictureBytes(windowed, *place);
            }
            return std::nullopt;
        }
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    return std::nullopt;
}

std::optional<std::string> catalogueThumbnail(const CatalogueItem& item) {
    if (item.kind != ItemKind::Object) return std::nullopt;
    return objectPictureIn(item.path, item.entry, item.guid);
}

}  // namespace brambleton::content
