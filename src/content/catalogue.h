// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/folder_walk.h"
#include "content/formats/byte_source.h"
#include "counting/folder_source.h"

namespace brambleton::content {

enum class ItemKind : std::uint8_t { Object, Floor, Wall, Skin };

// "object", "floor", "wall", "skin".
std::string_view kindText(ItemKind kind);

// One thing a player knows by name: an object (a master object definition, loose or inside
// an archive), a floor, a wall or a skin (a mesh list with the textures found for it).
struct CatalogueItem {
    ItemKind kind = ItemKind::Object;
    std::string path;         // the file, a host path; for an entry of an archive, the archive
    std::string entry;        // the entry inside the archive at `path`, as stored; empty otherwise
    std::uint8_t folder = 0;  // the game's folder it lies in (its row in kGameFolders)
    // An item of the game's own: one inside an archive of a folder of floors, walls, skins or
    // roofs, where the game keeps its own (GameData\Floors\Floors.far).
    bool gameOwn = false;
    std::int64_t size = 0;  // the file's or the entry's bytes
    // Catalogue strings, as UTF-8 in the language asked for where the file has it.
    std::optional<std::string> name;
    std::optional<std::string> description;
    std::optional<std::uint32_t> price;
    // Objects: the function flag's name ("seating" ... "lighting"), "build" for a build-mode
    // object, empty for neither; "floor", "wall", "skin" for the rest.
    std::string_view category;
    bool inCatalog = false;   // the game sells it in Buy or Build mode
    std::uint32_t guid = 0;   // objects: the master's object ID
    std::uint16_t tiles = 0;  // objects: its tiles, 1 for a single-tile object
    // The catalogue picture's size, when the object has one that reads as a BMP.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> thumbnail;
    // Skins, from the file name: "body", "head", "formal", "pajamas", "swimwear",
    // "winterwear" and the like; "female", "male" or "unisex"; "adult" or "child"; "fat",
    // "fit", "skinny" or empty; and the textures found for it, by file name.
    std::string_view part;
    std::string_view gender;
    std::string_view age;
    std::string_view build;
    std::vector<std::string> textures;
};

struct CatalogueOptions {
    std::uint8_t language = 1;  // the game's language code (text_codes.h) to show
};

struct CatalogueScan {
    std::int64_t foldersUnreadable = 0;
    std::int64_t filesUnreadable = 0;
    bool cancelled = false;
};

// Reads every object file (loose .iff and the .iff entries of .far archives), floor, wall and
// skin mesh list in the game's folders below `installFolder`, and hands each item to `found`
// as it is read (so a catalogue of 200,000 items need never be held whole). Reads only the
// chunk headers, the object definitions, the catalogue strings and the headers of the
// catalogue pictures. A file that cannot be read is said through the hooks' message and
// counted. Reads and never writes.
CatalogueScan scanCatalogue(const std::filesystem::path& installFolder, FolderSource& source,
                            const ScanHooks& hooks, const CatalogueOptions& options,
                            const std::function<void(CatalogueItem&&)>& found);

// Hands the items of one object file's bytes to `found` one at a time, as they are read, until
// it answers false (then returns false): `path` and `entry` say where it lies. A file that is
// not a whole IFF file gives none, and its fault goes to `fault` when given. Names and
// descriptions come without the line ends their makers' tools leave at their end.
bool forEachObjectItem(ByteSource& bytes, const std::string& path, const std::string& entry,
                       std::uint8_t language, std::optional<FormatFault>* fault,
                       const std::function<bool(CatalogueItem&&)>& found);

// The items of one object file's bytes, as forEachObjectItem gives them.
std::vector<CatalogueItem> objectItems(ByteSource& bytes, const std::string& path,
                                       const std::string& entry, std::uint8_t language,
                                       std::optional<FormatFault>* fault = nullptr);

// What is asked of one object in a file: the entry it lies in (empty for the file itself) and
// its object ID (any object when none is given).
struct ObjectAsked {
    std::string entry;
    std::optional<std::uint32_t> guid;
};
// Its catalogue name (the first master definition's with that ID, in the language asked for)
// and the label of the first definition with its ID; empty where there is none.
struct ObjectNames {
    std::string name;
    std::string label;
};
// The names of each object asked for in the file at `path`, in the order asked, reading the
// file and each archive entry once however many are asked: a conflict of two archives of
// 10,000 objects each reads each archive once, not once for each object. All empty when the
// file cannot be read.
std::vector<ObjectNames> objectNamesIn(const std::string& path,
                                       const std::vector<ObjectAsked>& asked,
                                       std::uint8_t language);

// The object IDs of every object definition (tiles too) in the object file or .far archive at
// `path`, as far as it reads.
std::vector<std::uint32_t> objectIdsIn(const std::string& path);

// The catalogue picture (a BMP's bytes, at most 1 MiB) of the object with the object ID
// `guid` (the first object when none is given) in the file at `path`, or in its archive
// entry `entry`; none when it has none or cannot be read.
std::optional<std::string> objectPictureIn(const std::string& path, const std::string& entry,
                                           std::optional<std::uint32_t> guid);

// The catalogue picture (as objectPictureIn) of the object with the object ID `guid` in an
// object file's bytes.
std::optional<std::string> objectPictureInBytes(ByteSource& bytes, std::uint32_t guid);

// The catalogue picture of an item: the bytes of the BMP_ chunk the object's catalogue
// strings ID names, at most 1 MiB; none when it has none. Reads the file again.
std::optional<std::string> catalogueThumbnail(const CatalogueItem& item);

}  // namespace brambleton::content
