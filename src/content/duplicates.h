// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brambleton::content {

struct SizedFile {
    std::string path;
    std::int64_t size;  // as the listing gave it: no more than this is ever read
    // Files are compared only with files of the same key. The caller puts in it what makes
    // two files interchangeable for the game: the folders loaded for one purpose, and where
    // the game asks for a file by its name, the name.
    std::string key;
};

struct DuplicateSearch {
    // Sets of separate files with the same bytes, each sorted by path, sets in order of their
    // first path. Two names of one file (a link and its target, hard links) are one file:
    // only the first of them by path stands in a set.
    std::vector<std::vector<std::string>> groups;
    // One sentence for each file that could not be read (it is left out of every set).
    std::vector<std::string> unreadable;
    std::uint64_t bytesRead = 0;  // bytes read from the files, counting a re-read again
    std::uint64_t filesRead = 0;  // files opened: those whose size some other file shares
    bool cancelled = false;
};

// Finds the files among `files` that have the same bytes and key, as duplicate finders do:
// by size first, then by a hash of their first 4 KiB, then of the rest, then byte by byte; a
// file whose size and key no other file shares is never opened, and empty files are left
// out. Each file is opened without blocking and only as a regular file, and read no further
// than its listed size; one that has changed size since it was listed is unreadable.
// `cancelled` is asked between files and every 64 KiB while reading; a cancelled search
// returns no sets.
DuplicateSearch findDuplicates(const std::vector<SizedFile>& files,
                               const std::function<bool()>& cancelled = {});

}  // namespace brambleton::content
