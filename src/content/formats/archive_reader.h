// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct archive_entry;

namespace brambleton::content {

// What one reading of a download may take before it is refused whole: an archive that
// unpacks to more is more likely a trap than content.
struct ArchiveLimits {
    std::uint64_t entries = 200'000;
    std::uint64_t bytes = 8ULL << 30;       // unpacked, all entries together
    std::uint64_t entryBytes = 1ULL << 30;  // one entry, which is held in memory whole
    std::chrono::seconds time{600};
    unsigned depth = 3;  // archives inside archives
};

// Why an archive cannot be installed from, as facts; the words are made in one place.
enum class ArchiveTrouble : std::uint8_t {
    kPassword,    // an entry is encrypted
    kSplit,       // one part of a multi-volume archive; `part` is its number when known
    kUnreadable,  // not an archive the readers know, or damaged; `detail` has the reader's words
    kTooLarge,    // past the limits; `detail` says which
};
struct ArchiveFailure {
    ArchiveTrouble trouble = ArchiveTrouble::kUnreadable;
    unsigned part = 0;
    std::string detail;
};

// Why an entry's name is refused before anything is written.
enum class NameFault : std::uint8_t {
    kNone,
    kEmpty,     // no name, or only separators
    kAbsolute,  // begins at a root: "/x", "\x", "\\server\x"
    kDrive,     // a drive letter: "C:x"
    kClimbs,    // a ".." part, with either slash
    kControl,   // NUL or another control character
    kReserved,  // a name Windows keeps for devices (CON, NUL, COM1...), or ":" "<" ">" "|" "?" "*"
                // "\""
    kTrailing,  // a part ending in a dot or a space, which Windows drops
    kLink,      // a link of any kind, or another special entry
};

// The fault in an entry's name (UTF-8, either slash), kNone when it may be written.
NameFault nameFault(std::string_view name);

// A name stored without its UTF-8 flag, as CP437 (the code page zip tools have written names
// in since DOS), as UTF-8.
std::string decodeCp437(std::string_view raw);

// A name stored without its UTF-8 flag, as UTF-8: CP437, unless it holds CP437's line-drawing
// and block characters, which nobody types in a name: then it was written in another code
// page, taken to be that of the game's `language` (the desktop's).
std::string decodeLegacyName(std::string_view raw, std::uint8_t language);

// Whether a file of this name is read as an archive (.zip, .rar, .7z, .tar and its compressed
// forms, and .exe, read as the archive a self-extracting one carries).
bool isArchiveName(std::string_view name);

// One entry of an archive, or of an archive inside it.
struct ArchiveEntry {
    std::string name;  // decoded, as stored ("/" or "\" kept)
    std::vector<std::string>
        within;         // the archives inside the outer one it lies in, outermost first
    bool file = false;  // a regular file, whose bytes are given
    bool folder = false;
    std::uint64_t size = 0;
    NameFault fault = NameFault::kNone;
    // Set on an archive inside the archive that could not be opened; its entries are not given.
    std::optional<ArchiveFailure> failure;
    // The entry as a player reads it: the archives within, then the name, joined by " » ".
    std::string shown() const;
};

// Reads an archive entry by entry, through libarchive's zip, RAR (v4 and v5), 7z and tar
// readers only, opening each archive inside it the same way. Never writes: libarchive's disk
// writer is not used. A file that is a split archive's part is known by its name and headers
// before it is read.
class ArchiveCursor {
  public:
    ArchiveCursor(const std::filesystem::path& file, const ArchiveLimits& limits);
    // An archive in memory (nested archives, the fuzzers).
    ArchiveCursor(std::string bytes, const ArchiveLimits& limits);
    ~ArchiveCursor();
    ArchiveCursor(const ArchiveCursor&) = delete;
    ArchiveCursor& operator=(const ArchiveCursor&) = delete;

    // The next entry, with a regular file's bytes in `bytes` (empty for the rest, and for a
    // file whose name is refused). False at the end, or when the archive failed (failure()).
    bool next(ArchiveEntry& entry, std::string& bytes);
    // Why the archive could not be read whole; none when it was.
    const std::optional<ArchiveFailure>& failure() const { return failure_; }

  private:
    struct Level;
    bool fail(ArchiveFailure failure);
    // Whether the entry `header` stays within the limits and is not encrypted; else fails.
    bool checked(archive_entry* header);
    // Reads the entry's bytes whole into `bytes`, within the limits; else fails.
    bool readData(Level& level, archive_entry* header, const ArchiveEntry& entry,
                  std::string& bytes);
    std::optional<ArchiveFailure> open(Level& level, unsigned depth) const;
    std::vector<std::unique_ptr<Level>> levels_;
    ArchiveLimits limits_;
    std::chrono::steady_clock::time_point started_;
    std::uint64_t entries_ = 0;
    std::uint64_t bytes_ = 0;
    std::optional<ArchiveFailure> failure_;
};

// The part of a split archive the file at `path` is, judged by its name (".part2.rar",
// ".r00", ".7z.002", ".z01") and a RAR's headers; none when it is a whole archive or the
// first part of a set whose first part names itself like a whole one.
std::optional<ArchiveFailure> splitPart(const std::filesystem::path& path, std::string_view head);

}  // namespace brambleton::content
