// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "common/runtime_error.h"
#include "counting/file_pattern.h"

namespace brambleton {

// What one folder holds, as far as a count needs it.
struct FolderListing {
    // Names of the folder's own sub-folders (not links to folders), in the order the file
    // system gives them.
    std::vector<std::string> subfolders;
    // Files whose name matches the pattern, and the sum of their apparent sizes. A link to a
    // file counts as that file; a dangling link, or a file that vanished between listing and
    // sizing, counts as nothing.
    std::int64_t matchingFiles = 0;
    std::int64_t matchingBytes = 0;

    // One matching file, kept only when the reader asks for them (keepFiles): a check of the
    // game's content looks at every name; a count needs only the totals.
    struct File {
        std::string name;
        std::int64_t size;
        // Which file it is, where the listing learns it for free (device and inode on
        // Linux), so that one file reached by two names (a link and its target, two hard
        // links) is known as one; both zero where the platform's listing does not say.
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool link = false;  // the name is a symbolic link to the file
    };
    bool keepFiles = false;
    std::vector<File> files;

    // Adds one matching file of `size` bytes. A sum past what 64 bits hold (sparse files can
    // claim up to 2^63 - 1 bytes each) is the folder's overflow error, never a wrapped number.
    void addFile(std::int64_t size, const std::string& folderPath, const char* name = nullptr,
                 std::uint64_t device = 0, std::uint64_t inode = 0, bool link = false) {
        if (size < 0 || size > std::numeric_limits<std::int64_t>::max() - matchingBytes) {
            throw RuntimeError(kOverflow,
                               "Overflow adding up the sizes of the files in " + folderPath);
        }
        ++matchingFiles;
        matchingBytes += size;
        if (keepFiles && name) files.push_back({name, size, device, inode, link});
    }
};

// Reads folders for a depth-first walk, one folder in two steps: open it, then read it. The
// walk opens the start folder at depth 0, then each sub-folder of the folder it last read at
// depth d-1 at depth d, and reads a folder only after it has had the chance to stop (a
// cancelled walk opens its next folder and reads nothing more). A source may keep the
// folders along the current descent open so that a child is opened relative to its parent:
// that keeps a deep tree from outgrowing the platform's path length. Nothing is cached from
// one listing to the next; every call reads the file system afresh.
class FolderSource {
  public:
    virtual ~FolderSource() = default;

    // Opens the folder `name` of the folder read last at `depth - 1` (at depth 0, `name` is
    // the start folder's path, opened as given, links and all), and makes it the folder that
    // read() reads. `path` is the folder's full path, for messages and for sources that open
    // by path. Throws RuntimeError naming `path` when the folder cannot be opened.
    virtual void open(std::size_t depth, const std::string& name, const std::string& path) = 0;

    // Reads the folder opened last, whose full path is `path`, into `out` (which the caller
    // passes empty). Throws RuntimeError naming the folder or entry that cannot be read;
    // nothing of a failed folder is reported.
    virtual void read(const std::string& path, const FilePattern& pattern, FolderListing& out) = 0;

    // The separator that joins a folder's path and a sub-folder's name.
    virtual char separator() const noexcept = 0;

    // Closes the folders kept open along the last descent, once the walk is over, so that
    // they do not hold descriptors while later work (reading the files) needs them.
    virtual void release() noexcept {}
};

// The folder source of the platform the program was built for.
std::unique_ptr<FolderSource> makePlatformFolderSource();

}  // namespace brambleton
