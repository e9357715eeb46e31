// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "counting/folder_source.h"

namespace brambleton::content {

// The problem kinds. The names are stable: scripts and the window key on them.
inline constexpr const char* kPackedArchive = "packed-archive";
inline constexpr const char* kUnreadSubfolder = "unread-subfolder";
inline constexpr const char* kMisplaced = "misplaced";
inline constexpr const char* kIgnoredName = "ignored-name";
inline constexpr const char* kEmptyFile = "empty-file";
inline constexpr const char* kDuplicate = "duplicate";

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
};

struct Problem {
    std::string kind;    // one of the kinds above
    std::string path;    // the file or folder it is about, a host path
    std::string detail;  // one plain sentence for a player
    std::string sameAs;  // for a duplicate: the copy kept (the first by path)
};

struct ContentReport {
    std::string install;  // the host folder checked
    std::vector<AreaReport> areas;
    std::vector<Problem> problems;  // grouped by kind, in the order above, then by path
    std::int64_t foldersUnreadable = 0;
    std::uint64_t bytesCompared = 0;  // bytes the duplicate finder read
    bool cancelled = false;
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
// skipped, at most 4,096 levels), then the duplicate finder over the content found. Reads
// and never writes. A cancelled check returns what it had, with `cancelled` set.
ContentReport checkInstall(const std::filesystem::path& installFolder, FolderSource& source,
                           const CheckHooks& hooks = {});

// The sentence that explains a problem kind in general, for reports' headings.
std::string describeKind(const std::string& kind);

}  // namespace brambleton::content
