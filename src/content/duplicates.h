// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brambleton::content {

// A content file: its folder in a table of folders (each path kept once), its name, its size.
struct SizedFile {
    std::uint32_t folder;  // its folder's number in the folder table
    std::string name;
    std::int64_t size;  // as the listing gave it: no more than this is ever read; 0 leaves it out
    // Files are compared only with files of the same purpose (the folders the game loads for
    // one use) and, where the game asks for a file by its name, of the same name, case
    // ignored.
    std::uint8_t purpose;
    bool byName;
};

struct DuplicateSearch {
    // Sets of separate files with the same bytes, by their numbers in the list given, each
    // sorted by path, sets in order of their first path. Two names of one file (a link and
    // its target, hard links) are one file: only the first of them by path stands in a set.
    std::vector<std::vector<std::uint32_t>> groups;
    // One sentence for each file that could not be read (it is left out of every set).
    std::vector<std::string> unreadable;
    std::uint64_t bytesRead = 0;  // bytes read from the files, counting a re-read again
    std::uint64_t filesRead = 0;  // files opened: those whose size some other file shares
    bool cancelled = false;
};

// Finds the files among `files` (in folders `folders`, joined to a name by `separator`) that
// have the same bytes and key, as duplicate finders do: by size first, then by a hash of their
// first 4 KiB, then of the rest, then byte by byte; a file whose size and key no other file
// shares is never opened, and empty files are left out. Each file is opened without blocking
// and only as a regular file, and read no further than its listed size; one that has changed
// size since it was listed is unreadable. `cancelled` is asked between files and every 64 KiB
// while reading; a cancelled search returns no sets.
DuplicateSearch findDuplicates(const std::vector<SizedFile>& files,
                               const std::vector<std::string>& folders, char separator,
                               const std::function<bool()>& cancelled = {});

}  // namespace brambleton::content
