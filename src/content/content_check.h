// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/formats/entry_name.h"
#include "counting/folder_source.h"

namespace brambleton::content {

// The problem kinds. The names are stable: scripts and the window key on them.
inline constexpr const char* kPackedArchive = "packed-archive";
inline constexpr const char* kUnreadFolder = "unread-folder";
inline constexpr const char* kUnreadSubfolder = "unread-subfolder";
inline constexpr const char* kMisplaced = "misplaced";
inline constexpr const char* kIgnoredName = "ignored-name";
inline constexpr const char* kEmptyFile = "empty-file";
inline constexpr const char* kBadFile = "bad-file";
inline constexpr const char* kDuplicate = "duplicate";
inline constexpr const char* kGuidConflict = "guid-conflict";
inline constexpr const char* kMissingMesh = "missing-mesh";

struct FolderBytes {
    std::string folder;  // host path
    std::int64_t bytes;  // the area's content at any depth below it
};

// What one area of the game's folders holds that the game loads.
struct AreaReport {
    std::string name;                   // "objects", "floors", ... (content_areas.h)
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

struct Problem {
    std::string kind;  // one of the kinds above
    // The file or folder it is about, a host path; for an entry inside an archive, the
    // archive's path, with the entry's name in `entry`.
    std::string path;
    std::string detail;  // one plain sentence for a player
    // For a duplicate: the copy kept (the first by path). For a conflict of object IDs: the
    // object kept (see guid-conflict in content_check.cpp), inside an archive when
    // `sameAsEntry` is set.
    std::string sameAs;
    std::string mesh;                   // for a missing mesh: the name the mesh list gives
    std::optional<std::uint32_t> guid;  // for a conflict of object IDs: the ID
    std::string archive;                // for a file inside an archive: the archive's host path
    std::string entry;                  // for a file inside an archive: its name there
    std::string sameAsEntry;
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
};

// What the check needs from its caller: as for a count, a yield at every folder (the window
// lets a Cancel click through), whether to stop, and a message per folder that cannot be read.
struct CheckHooks {
    std::function<void()> yield;
    std::function<bool()> cancelled;
    std::function<void(const std::string&)> message;
};

// Checks one install of the game: one walk over every area's folder through `source`, with
// the count's rules (links to folders not followed, an unreadable folder reported and
// skipped, at most 4,096 levels), with the content files' insides read alongside it, then
// the duplicate finder over the content found. Reads and never writes. A cancelled check
// returns what it had, with `cancelled` set.
ContentReport checkInstall(const std::filesystem::path& installFolder, FolderSource& source,
                           const CheckHooks& hooks = {}, const CheckOptions& options = {});

// The sentence that explains a problem kind in general, for reports' headings.
std::string describeKind(const std::string& kind);

// Where a problem lies, as reports show it: the path, and for an entry inside an archive,
// " » " and the entry's name shown with entryText.
std::string placeText(const std::string& path, const std::string& entry);

}  // namespace brambleton::content
