// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/file_kinds.h"
#include "content/formats/byte_source.h"

namespace brambleton::content {

// What a file is read as.

// One file to read: `name` in `folder`, joined by `separator`. `file` is the caller's number
// for it, which findings refer to. Files of one folder share its path.
struct InspectTask {
    std::shared_ptr<const std::string> folder;
    std::string name;
    char separator;
    FileKind kind;
    std::uint32_t file;
    std::uint64_t size;  // as the listing gave it

    std::string path() const { return *folder + separator + name; }
};

// What the readers found in the files they were given, in no particular order.
struct Findings {
    // An object (a loose .iff, or an .iff inside an archive), by the file it lies in and,
    // inside an archive, its entry's number in `entryNames`.
    struct Object {
        std::uint32_t file;
        std::uint32_t entry;  // kNoEntry for a loose file
    };
    static constexpr std::uint32_t kNoEntry = 0xffffffffu;
    std::vector<Object> objects;
    std::vector<std::string> entryNames;
    // Each object ID with the object (its number in `objects`) that defines it.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> guids;

    // A file that is not its format, or the first broken entry of an archive, with the
    // names of the next ones (at most kMembersListed) and how many more there are in all.
    struct Bad {
        std::uint32_t file;
        std::string entry;  // empty: the file itself
        FormatFault fault;
        std::vector<std::string> moreEntries = {};
        std::uint64_t moreCount = 0;
    };
    std::vector<Bad> bad;

    struct Archive {
        std::uint32_t file;
        std::uint32_t objects;  // its .iff entries
        std::uint32_t entries;  // all its entries
    };
    std::vector<Archive> archives;

    // The floors, walls, pictures and skin meshes inside archives (entries ending .flr, .wll,
    // .bmp, .skn and .bmf), by their names as stored: what an archive holds besides objects.
    struct Entry {
        std::uint32_t file;
        std::string name;
    };
    std::vector<Entry> heldEntries;

    // A skin's mesh (.skn) and the texture it names, without an extension, as stored.
    struct MeshTexture {
        std::uint32_t file;
        std::string texture;
    };
    std::vector<MeshTexture> meshTextures;

    struct Meshes {
        std::uint32_t file;
        std::vector<std::string> names;
        std::vector<std::string> suits;  // the names the file gives itself
    };
    std::vector<Meshes> meshLists;

    // A skin's texture that is a BMP of more than 8 bits a pixel.
    struct Texture {
        std::uint32_t file;
        std::uint16_t bitsPerPixel;
    };
    std::vector<Texture> deepTextures;

    // Files that could not be read, whatever found in them dropped: how many, and why, one
    // sentence each (a sentence may be missing when even it could not be kept in memory).
    std::uint64_t unreadableCount = 0;
    std::vector<std::string> unreadable;
    std::vector<std::uint32_t> unreadableFiles;  // their numbers, where they could be kept
    std::uint64_t filesRead = 0;
    std::uint64_t bytesRead = 0;

    void add(Findings&& other);
};

// Thrown out of a file's reading when the scan is stopped inside it.
struct ReadingStopped {};

// Reads one file into `out`: `bytes` as a file of `kind`, numbered `file` in the findings.
// Throws ReadError when the bytes cannot be read, and ReadingStopped when `stop` (if given)
// turns true inside an archive: a table of a million entries is left within a moment.
void inspectBytes(ByteSource& bytes, FileKind kind, std::uint32_t file, Findings& out,
                  const std::atomic<bool>* stop = nullptr);

// Opens and reads one file into `out`; one that cannot be read, or whose reading runs out of
// memory, adds nothing but its place among the unreadable. One stopped inside adds nothing.
void inspect(const InspectTask& task, Findings& out, const std::atomic<bool>* stop = nullptr);

// Readers inside the files that the process's descriptors allow, at most `wanted`: each holds
// up to two (its folder and a file); none when they are short, and the walk reads the files
// itself.
unsigned readersWithin(unsigned wanted);

// Readers that take files as the walk finds them, so that the reading runs alongside the walk
// and keeps the disk busy while the walk waits on folders.
class Inspector {
  public:
    // `threads` readers (0: every file is read on the caller's thread, in add()).
    explicit Inspector(unsigned threads);
    ~Inspector();
    Inspector(const Inspector&) = delete;
    Inspector& operator=(const Inspector&) = delete;

    // Queues one file. When the readers fall very far behind, the caller reads it itself, so
    // the queue stays within bounds.
    void add(InspectTask task);

    // Waits until every file queued has been read, running `yield` every 50 ms meanwhile;
    // stops early, between files, when `cancelled` says so (a reader stuck in a read on a
    // hung disk is then left to finish alone). Returns what was found.
    Findings finish(const std::function<void()>& yield, const std::function<bool()>& cancelled);

    struct State;

  private:
    std::shared_ptr<State> state_;
    Findings inline_;
};

}  // namespace brambleton::content
