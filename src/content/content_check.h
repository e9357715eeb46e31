// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/folder_walk.h"
#include "content/formats/byte_source.h"
#include "content/formats/entry_name.h"
#include "counting/folder_source.h"

namespace brambleton::content {

// The problem kinds, in the order reports list them.
//
// No two pieces of advice, followed in any order, remove what the game needs:
//  - packed-archive (unpack, then remove the archive) and ignored-name (rename, or remove an
//    old copy) are about files the game cannot load at all: removing them loses nothing
//    the game has; and once unpacked or renamed, a file is checked as any other.
//  - unread-folder and unread-subfolder only say what the game does not read, and at most
//    to move content up into the folder it reads; they never say to remove anything.
//  - misplaced says to move a file to where the game loads its kind: a file in the wrong
//    folder is not loaded where it lies, so moving it loses nothing. A skin's texture is
//    flagged with its meshes, so a skin moved as told takes its texture along.
//  - empty-file and bad-file are about files the game cannot read: a fresh download
//    replaces them, and no advice removes a file that reads.
//  - duplicate compares only files loaded for the same purpose (the two objects folders
//    together, each other area alone), and where the game finds a file by its name, only
//    files of the same name; one file reached by two names (a link and its target, hard
//    links) is one file and never its own duplicate. So the copy that stays serves every
//    use the removed one had.
//  - guid-conflict leaves out every copy that duplicate already told to remove, so the two
//    never point at each other's kept file; it tells to remove only loose objects, never
//    an archive (whose other objects would go with it), and nothing when the objects share
//    one archive.
//  - missing-mesh says to add a mesh or remove the mesh list that cannot show: adding is
//    safe, and a copied mesh is not a duplicate of the one it was copied from, since each
//    skins folder is compared alone.
//  - skin-texture says to save a texture again as an 8-bit BMP: it changes no name, and the
//    game shows the texture as it is now as white, so nothing it shows is lost.
//  - mesh-list-name says to rename a mesh list the game ignores to the name inside it, and
//    only when no file of that name is in its folder: nothing the game reads is replaced, and
//    the file itself is read by no one now. Where the name is taken it says only that the
//    file is ignored.
enum class ProblemKind : std::uint8_t {
    PackedArchive,
    UnreadFolder,
    UnreadSubfolder,
    Misplaced,
    IgnoredName,
    EmptyFile,
    BadFile,
    Duplicate,
    GuidConflict,
    MissingMesh,
    SkinTexture,
    MeshListName,
};

// What each kind is called and says in general: its stable name (scripts, the JSON and the
// window key on it), its heading in reports, and what a player does about it.
struct KindFacts {
    ProblemKind kind = ProblemKind::PackedArchive;
    std::string_view name;
    std::string_view heading;
    std::string_view whatToDo;
};

inline constexpr std::array<KindFacts, 12> kKinds = {{
    {ProblemKind::PackedArchive, "packed-archive",
     "Content still packed in archives, which the game cannot read",
     "Unpack each archive where it is, then remove the archive."},
    {ProblemKind::UnreadFolder, "unread-folder",
     "Folders the game never reads, named like one it reads",
     "Nothing in them shows up in the game; what you want there belongs in the folder it reads."},
    {ProblemKind::UnreadSubfolder, "unread-subfolder",
     "Content in sub-folders, where the game does not look",
     "Move the files you want in the game up into the folder above."},
    {ProblemKind::Misplaced, "misplaced", "Content in a folder that does not load its kind",
     "Move each file to the folder that loads its kind."},
    {ProblemKind::IgnoredName, "ignored-name", "Content renamed so that the game ignores it",
     "Rename it back if you want it, or remove the old copy."},
    {ProblemKind::EmptyFile, "empty-file", "Empty files, most likely broken downloads",
     "Download each again."},
    {ProblemKind::BadFile, "bad-file",
     "Files that are not what their names say: broken or mislabelled downloads",
     "Download each again, or rename it as its sentence says."},
    {ProblemKind::Duplicate, "duplicate", "The same file more than once",
     "Keep the copy named and remove the other."},
    {ProblemKind::GuidConflict, "guid-conflict",
     "Objects sharing one object ID, of which the game shows only one",
     "Keep the one you want; never remove an archive for one object."},
    {ProblemKind::MissingMesh, "missing-mesh",
     "Skins whose mesh is missing, which show blank or crash the game",
     "Add the mesh from the same download, or remove the mesh list."},
    {ProblemKind::SkinTexture, "skin-texture", "Skin textures the game shows white",
     "Save each again as an 8-bit (256-colour) BMP."},
    {ProblemKind::MeshListName, "mesh-list-name",
     "Mesh lists named otherwise inside, which the game ignores",
     "Rename each as its sentence says; where the name is taken, it is a leftover copy."},
}};

// The facts of `kind`.
constexpr const KindFacts& factsOf(ProblemKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

// The kinds by the names code has always used.
inline constexpr ProblemKind kPackedArchive = ProblemKind::PackedArchive;
inline constexpr ProblemKind kUnreadFolder = ProblemKind::UnreadFolder;
inline constexpr ProblemKind kUnreadSubfolder = ProblemKind::UnreadSubfolder;
inline constexpr ProblemKind kMisplaced = ProblemKind::Misplaced;
inline constexpr ProblemKind kIgnoredName = ProblemKind::IgnoredName;
inline constexpr ProblemKind kEmptyFile = ProblemKind::EmptyFile;
inline constexpr ProblemKind kBadFile = ProblemKind::BadFile;
inline constexpr ProblemKind kDuplicate = ProblemKind::Duplicate;
inline constexpr ProblemKind kGuidConflict = ProblemKind::GuidConflict;
inline constexpr ProblemKind kMissingMesh = ProblemKind::MissingMesh;
inline constexpr ProblemKind kSkinTexture = ProblemKind::SkinTexture;
inline constexpr ProblemKind kMeshListName = ProblemKind::MeshListName;

struct FolderBytes {
    std::string folder;  // host path
    std::int64_t bytes;  // the area's content at any depth below it
};

// What one area of the game's folders holds that the game loads.
struct AreaReport {
    std::string name;                   // "objects", "floors", ... (common/game_folders.h)
    std::string place;                  // its folder below the install: "GameData\\Skins"
    std::optional<std::string> folder;  // host path; none when the folder does not exist
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    std::vector<FolderBytes> largest;  // its ten largest sub-folders, largest first
    // Objects areas only: loose .iff files and .iff files inside .far archives; of them, those
    // inside archives; and the archives holding any.
    std::int64_t objects = 0;
    std::int64_t objectsInArchives = 0;
    std::int64_t archives = 0;
};

// A file, or an entry inside an archive. An entry's name is kept apart from the archive's
// path and never joined to it: a name such as "../../GameData/Behavior.iff" must not read
// as a path that leaves the archive.
struct Place {
    std::string path;   // a host path
    std::string entry;  // inside the archive at `path`, as stored; empty for the file itself
};

// How many members of a grouped problem are listed; the rest are counted.
inline constexpr std::size_t kMembersListed = 100;

// One problem, as facts: its kind, the places it is about, and what its sentence needs
// besides them. The words a player reads are made from these (report_words.h).
struct Problem {
    ProblemKind kind = ProblemKind::PackedArchive;
    // The file or folder it is about, a host path; for an entry inside an archive, the
    // archive's path, with the entry's name in `entry`.
    std::string path;
    std::string entry;
    // For a duplicate: the copy kept (the first by path). For a conflict of object IDs: the
    // object kept (see guid-conflict in content_check.cpp), inside an archive when
    // `sameAsEntry` is set. For an unread folder: the folder the game reads instead.
    std::string sameAs;
    std::string sameAsEntry;
    // For a duplicate or a conflict of object IDs: the catalogue names (UTF-8) of the object
    // at `path` (and `entry`) and of the one kept; for a broken object inside an archive, its
    // name where the chunks before the break give it. Empty where the file has none.
    std::string name;
    std::string sameAsName;
    // For a duplicate or a conflict of object IDs: the saved lots that use what it is about
    // (as lotLabel writes them), and, for a conflict, which of the two they hold, where the
    // names the lots give the object tell.
    std::vector<std::string> usedByLots;
    enum class LotsHold : std::uint8_t { Unknown, This, SameAs };
    LotsHold lotsHold = LotsHold::Unknown;
    // For a missing mesh: the name the mesh list gives; for a mesh list named otherwise
    // inside: the name inside it.
    std::string mesh;
    FormatFault fault;                  // for a bad file: what its reader found
    std::optional<std::uint32_t> guid;  // for a conflict of object IDs: the ID
    // The game's folder (its row in kGameFolders) the problem was found in.
    std::uint8_t folder = 0;
    // For a conflict of object IDs: every object sharing the ID lies in one archive; some
    // object lies inside an archive.
    bool inOneArchive = false;
    bool inAnArchive = false;
    // For a missing mesh of SkinsBuy: the mesh is in GameData\Skins. For a mesh list named
    // otherwise inside: a file of the name inside it is in its folder.
    bool meshInSkins = false;
    bool nameTaken = false;
    std::uint16_t bitsPerPixel = 0;  // for a skin's texture: its bits a pixel
    // A grouped problem (objects sharing one ID, an archive with many broken entries): the
    // members past the one named above, the first kMembersListed of them, and how many there
    // are in all.
    std::vector<Place> more;
    std::int64_t moreCount = 0;
};

struct ContentReport {
    std::string install;  // the host folder checked
    std::vector<AreaReport> areas;
    std::vector<Problem> problems;  // grouped by kind, in the order above, then by path
    std::int64_t foldersUnreadable = 0;
    std::int64_t filesUnreadable = 0;  // content files whose bytes could not be read
    // The duplicate finder's reading: files opened (those whose size another file shares)
    // and the bytes read from them, a byte read twice counting twice.
    std::uint64_t filesCompared = 0;
    std::uint64_t bytesCompared = 0;
    // Reading inside the files for their formats: files read and the bytes read from them.
    std::uint64_t filesInspected = 0;
    std::uint64_t bytesInspected = 0;
    bool cancelled = false;
};

struct CheckOptions {
    // Whether to read inside the files (formats, object IDs, meshes); without it the check
    // looks at names and sizes only.
    bool lookInside = true;
    // Readers that read inside the files alongside the walk; 0 reads them on the walk's
    // thread. On a cold cache each reader waits on the disk most of the time, and a file's
    // headers lie on several pages: enough readers keep a deep queue of reads in flight
    // (measured on a virtual disk: 4 readers took twice as long as 16; 64 gained little
    // more). On a warm cache only two of them work (see Inspector).
    unsigned readers = 16;
    // The game's language (text_codes.h) in which objects are named.
    std::uint8_t language = 1;
    // The UserData folders whose saved lots are read to say which copies they use.
    std::vector<std::filesystem::path> saves;
};

// What the check needs from its caller: progress, whether to stop, and a message per folder
// or file that cannot be read.
using CheckHooks = ScanHooks;

// Checks one install of the game: one walk over every area's folder through `source`, with
// the count's rules (links to folders not followed, an unreadable folder reported and
// skipped, at most 4,096 levels), with the content files' insides read alongside it, then
// the duplicate finder over the content found. Reads and never writes. A cancelled check
// returns what it had, with `cancelled` set.
ContentReport checkInstall(const std::filesystem::path& installFolder, FolderSource& source,
                           const CheckHooks& hooks = {}, const CheckOptions& options = {});

// The heading of a problem kind in reports, and its stable name.
std::string describeKind(ProblemKind kind);
std::string kindName(ProblemKind kind);

}  // namespace brambleton::content
