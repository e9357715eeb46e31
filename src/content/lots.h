// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/folder_walk.h"
#include "content/formats/byte_source.h"
#include "counting/folder_source.h"

namespace brambleton::content {

// One content file lots may use: an object file (loose, or an archive: the file on disk, not
// its entry), a floor, a wall or a roof.
struct LotContent {
    std::uint32_t place = 0;  // its folder, in LotsReport::folders
    std::string name;         // its name there (short: 200,000 of them stay small)
    std::uint8_t folder = 0;  // its row in kGameFolders
    // Whether what the lots use could be known of it: an object file that reads whole and
    // defines objects. A file without object definitions (a library of code other objects
    // share) or one that could not be read is never said to be unused.
    bool known = true;
    std::uint32_t lots = 0;  // the lots that use it
};

// Something a lot uses that neither the content nor the game's own files provide.
struct MissingThing {
    std::string_view kind;            // "object", "floor", "wall", "roof"
    std::optional<std::uint32_t> id;  // objects: the object ID
    std::string name;                 // as the lot names it, UTF-8
};

struct SavedLot {
    std::string file;   // host path of its House##.iff
    std::string saves;  // the UserData folder it lies in
    int house = 0;      // from the file's name
    std::optional<std::string> name;
    std::optional<std::string> family;
    std::vector<std::uint32_t> uses;  // indexes into LotsReport::content, sorted
    std::vector<MissingThing> missing;
    // What the lot uses that was found nowhere while some file or folder that might hold it
    // could not be read: neither missing nor there, as far as can be known.
    std::vector<MissingThing> unknown;
};

struct LotsReport {
    std::string install;
    std::vector<std::string> saves;  // the UserData folders read
    std::vector<LotContent> content;
    std::vector<std::string> folders;  // the folders content lies in, host paths
    char separator = '/';
    std::vector<SavedLot> lots;
    // Whether "used by no lot" can be said: every lot was read whole. When one could not be,
    // what it uses is unknown, and no content is said to be unused.
    bool unusedKnown = true;
    // Whether the game's own objects were found; when not, no object is said to be missing,
    // since every one of the game's own would seem to be.
    bool gameObjectsFound = false;
    // Whether every file and folder that could provide what lots use was read; when not,
    // what is found nowhere is unknown (SavedLot::unknown) rather than missing.
    bool providersRead = true;
    std::int64_t lotsUnreadable = 0;
    std::int64_t filesUnreadable = 0;
    std::int64_t foldersUnreadable = 0;
    bool cancelled = false;

    // The content no lot uses, as far as that can be known (see unusedKnown, LotContent::known).
    std::vector<std::uint32_t> unused() const;
    // The host path of content file `index`.
    std::string path(std::uint32_t index) const {
        const auto& file = content[index];
        return folders[file.place] + separator + file.name;
    }
};

struct LotsOptions {
    std::uint8_t language = 1;  // for lot and family names (text_codes.h)
};

// Reads which saved lots use which content: the object IDs of every object file, tiles
// included, in the content folders, in the rest of the install folder but its UserData*
// folders (the game's own: GameData\Objects, ExpansionPack*, ExpansionShared, Deluxe) and in
// each save folder's Characters; the floors and walls inside every archive (the game keeps
// its own in GameData\Floors\Floors.far and GameData\Walls\Walls.far) and the roofs inside
// the roofs folder's; then each save folder's lots
// (Houses\House##.iff: their objects, floors, walls and roof), lot names (the *Desc.iff files
// beside them) and families (Neighborhood.iff). A file that cannot be read is said through
// the hooks' message and counted. Reads and never writes.
LotsReport scanLots(const std::filesystem::path& installFolder,
                    const std::vector<std::filesystem::path>& saveFolders, FolderSource& source,
                    const ScanHooks& hooks, const LotsOptions& options = {});

// What one lot file names: its object table's entries, floors, walls and roof.
struct LotUses {
    struct Object {
        std::uint32_t id;
        std::uint32_t clonedFrom;
        bool person;
        std::string name;  // UTF-8
    };
    std::vector<Object> objects;
    std::vector<std::string> floors;  // UTF-8, as stored
    std::vector<std::string> walls;
    std::string roof;
    std::vector<std::uint32_t> defined;  // object IDs the lot file defines itself
};
// Reads one lot file's bytes into `out`. Returns false, with `why` set (one sentence), when
// it does not read whole.
bool readLot(ByteSource& bytes, LotUses& out, std::string& why);

// The lots of the UserData folders `saveFolders`, each with its name and family and what it
// names, read or not. Lots, lot names and families that cannot be read are said through the
// hooks' message; only the lots are among `lots`.
struct ReadSavedLot {
    SavedLot lot;  // uses and missing left empty
    LotUses uses;
    bool read = false;
};
struct SavedLots {
    std::vector<std::string> folders;
    std::vector<ReadSavedLot> lots;
    std::int64_t filesUnreadable = 0;  // lot names and families
    std::int64_t foldersUnreadable = 0;
    // Whether every lot of the folders could be listed and read: when not, what the lots use
    // is not known whole.
    bool complete = true;
};
SavedLots readSavedLots(const std::vector<std::filesystem::path>& saveFolders,
                        std::uint8_t language, const ScanHooks& hooks);

}  // namespace brambleton::content
