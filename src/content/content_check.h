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

// What following a problem's advice does to a file or folder. `None` where the player must
// choose, or where nothing the program can do puts it right.
enum class Action : std::uint8_t { None, Move, Trash, Rename, Install };

// A problem's advice as facts, which a player reads and the program can carry out. Moves and
// renames never replace a file: where `to` is taken, the action is refused.
struct Advice {
    Action action = Action::None;
    std::string from;  // host path: the file or folder it acts on
    // Host path: where it goes. The folder a move puts it in (for a folder: what it holds)
    // or an install unpacks it in; the new path of a rename; for `None`, the one way out the
    // advice names, where it names one. Empty for a trash.
    std::string to;
};

// The stable name of an action: "none", "move", "trash", "rename", "install".
std::string_view actionName(Action action);

// What each kind is: its stable name (scripts, the JSON and the window key on it) and the
// action its advice takes, with why that action never loses what the game or a saved lot
// needs. Its words live with the other words (report_words.h).
//
// No two pieces of advice, followed in any order, remove what the game needs; the note on
// each kind says why its own cannot.
struct KindFacts {
    ProblemKind kind = ProblemKind::PackedArchive;
    std::string_view name;
    Action action = Action::None;
};

inline constexpr std::array<KindFacts, 12> kKinds = {{
    // Install (unpack where it lies, then trash the archive): the game cannot read a packed
    // archive at all, so nothing it loads goes; once unpacked, each file is checked as any
    // other.
    {ProblemKind::PackedArchive, "packed-archive", Action::Install},
    // None: the folder and the one the game reads differ only in case, and which of their
    // files the player wants is a choice. `to` names the folder the game reads.
    {ProblemKind::UnreadFolder, "unread-folder", Action::None},
    // Move, the sub-folder's content up into the folder the game reads: the game loads
    // nothing below it where it lies, and a move never replaces a file already there.
    {ProblemKind::UnreadSubfolder, "unread-subfolder", Action::Move},
    // Move to the folder that loads the file's kind: where it lies it is not loaded, so
    // moving it loses nothing. A skin's texture is flagged with its meshes, so a skin moved
    // as told takes its texture along.
    {ProblemKind::Misplaced, "misplaced", Action::Move},
    // None: renamed so that the game ignores it, it may be an old copy or content switched
    // off on purpose; which is the player's choice. `to` names the name it would load under.
    {ProblemKind::IgnoredName, "ignored-name", Action::None},
    // Trash: an empty file holds nothing the game can read; a fresh download replaces it.
    {ProblemKind::EmptyFile, "empty-file", Action::Trash},
    // Rename where the bytes are the game's other format (an archive named as an object):
    // the game reads neither name's content now. Trash where the file is another kind of file
    // altogether (a web page) or ends inside what it began: the game can read none of it.
    // None for an entry of an archive (the archive's other content would go with it), for a
    // packed archive under a game file's name (it holds what the player wants), and where a
    // field lies (the game may read the file anyway): the rule is not sure enough to act on.
    {ProblemKind::BadFile, "bad-file", Action::Trash},
    // Trash the copy: duplicates are compared only among files loaded for the same purpose,
    // and where the game finds a file by its name, only files of the same name; one file
    // reached by two names is never its own duplicate. The copy kept serves every use the
    // trashed one had, saved lots' included.
    {ProblemKind::Duplicate, "duplicate", Action::Trash},
    // None: which object the player keeps is theirs to choose, and an object inside an
    // archive goes only with the whole archive.
    {ProblemKind::GuidConflict, "guid-conflict", Action::None},
    // None: the mesh is to be added from the download it came with, which the program does
    // not have.
    {ProblemKind::MissingMesh, "missing-mesh", Action::None},
    // None: saving a texture again takes a picture editor.
    {ProblemKind::SkinTexture, "skin-texture", Action::None},
    // Rename to the name inside it, only when that name is plain and no file of it lies in
    // its folder: nothing the game reads is replaced, and the file is read by no one now.
    // None where the name is taken (a leftover copy) or is no name a file can have.
    {ProblemKind::MeshListName, "mesh-list-name", Action::Rename},
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
    std::string name;  // its stable name: "objects", "floors", ... (common/game_folders.h)
    Area area = Area::kObjects;
    std::uint8_t row = 0;               // its row in kGameFolders
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
    // What to do about it (see kKinds for why each action is safe).
    Advice advice;
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

// The stable name of a problem kind.
std::string kindName(ProblemKind kind);

// The folder of the game (its row in kGameFolders) a misplaced file belongs in.
std::size_t destinationOf(const Problem& problem);

}  // namespace brambleton::content
