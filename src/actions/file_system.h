// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brambleton::actions {

// A host path kept as UTF-8 text (as the content layer keeps them) as a path, and back.
inline std::filesystem::path hostPath(const std::string& text) {
    return {std::u8string(text.begin(), text.end())};
}
inline std::string hostText(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return {text.begin(), text.end()};
}

// What the write layer needs to know of a path before it acts on it. Links are not followed:
// a link is seen as a link.
struct PathFacts {
    bool exists = false;
    bool link = false;
    bool folder = false;
    std::uint64_t device = 0;  // the filesystem (volume) it lies on
    std::uint64_t file = 0;    // the file on that filesystem: two names with the same are one
    std::uint64_t size = 0;    // a file's bytes; 0 for a folder
};

PathFacts pathFacts(const std::filesystem::path& path);

// The filesystem a path that may not exist yet would be on: that of its nearest existing
// folder.
std::uint64_t deviceFor(const std::filesystem::path& path);

// How a move went.
enum class MoveOutcome : std::uint8_t {
    kDone,
    kTaken,            // something lies at the destination; nothing was replaced
    kOtherFileSystem,  // the destination is on another filesystem; nothing was copied
    kMissing,          // the source is gone
    kFailed,           // another error, in `why`
};

struct MoveResult {
    MoveOutcome outcome = MoveOutcome::kDone;
    std::string why;  // the system's words, for kFailed
};

// Renames `from` to `to`, never replacing what lies at `to` and never copying: a move that
// cannot be one rename within one filesystem is not done. Where the filesystem has no
// rename that refuses to replace, a file is linked at `to` and then unlinked at `from`; a
// folder is then not moved.
MoveResult moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the folder `path` whose parent exists. False, with the system's words in `why`, when
// it cannot; false with an empty `why` when something already lies there.
bool makeFolder(const std::filesystem::path& path, std::string& why);

// Removes the folder `path` when it is empty, and only then.
bool removeEmptyFolder(const std::filesystem::path& path);

// Creates `path` with `text`, failing when anything lies there already. A file it made but
// could not write whole it removes again; what lay there before it never touches.
bool createNew(const std::filesystem::path& path, const std::string& text, std::string& why);

// Writes `bytes` as a new file at `to`, never replacing what lies there: the bytes are
// written under no name where the filesystem can (Linux's O_TMPFILE), else under `part`, a
// name of the program's own beside it, and take the name `to` only once whole. A crash
// leaves nothing at `to`, and at most a copy at `part`.
MoveResult writeNew(const std::filesystem::path& to, const std::filesystem::path& part,
                    const std::string& bytes);

// Removes a file the write layer itself wrote (a trash record), never a player's.
bool removeOwnRecord(const std::filesystem::path& path);

// A hash of a file's bytes, to know a file again; nullopt when it cannot be read.
std::optional<std::uint64_t> fileHash(const std::filesystem::path& path);

// The names in a folder, in no order; empty when it cannot be read.
std::vector<std::string> folderNames(const std::filesystem::path& path);

}  // namespace brambleton::actions
