// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brambleton::content {

// A file that could not be read (as opposed to one whose bytes are not what its name says).
class ReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Why a file's bytes are not the format its name says, as facts: a code and the numbers and
// names it needs. The words a player reads are made from it in one place (faultText in
// content/report_words.h), so a reader never writes a sentence.
struct FormatFault {
    enum Kind {
        kNotThisFormat,  // other bytes altogether: a web page, a ZIP archive, ...
        kTruncated,      // the file ends inside something it has begun
        kPastEnd,        // an offset or a length points past the file's end
        kDamaged,        // a field the game cannot take
    };
    // The format the reader expected.
    enum class Format : std::uint8_t { kIff, kFar, kStringTable };
    // What was found. `size` is the file's size wherever a code speaks of its end.
    enum class Code : std::uint8_t {
        kEmpty,            // 0 bytes
        kHeaderCut,        // ends inside its header; `number`: the header's length, 0 unsaid
        kNoSignature,      // does not begin with the format's signature
        kOtherBytes,       // another kind of file altogether: `number` is a ForeignBytes
        kIsFar,            // a FAR archive under another name
        kIsIff,            // an IFF file under another name
        kFarVersion,       // `number`: the version
        kTableAt,          // the table of contents at `at`: inside the header or past the end
        kTableCount,       // `number` files listed, more than fit
        kEntryCut,         // ends inside the entry for file `item` of the table
        kEntryNameLength,  // file `item`'s name said to be `number` bytes long
        kEntryNoName,      // file `item` has no name
        kEntryNameCut,     // ends inside file `item`'s name
        kEntryCompressed,  // the entry `name` is stored compressed
        kEntryPastEnd,     // the entry `name` at bytes `at` to `number`, past the end
        kChunkHeaderCut,   // ends inside the header of chunk `item`
        kChunkSmall,       // chunk `item` (`name`, at `at`) is `number` bytes, less than its header
        kChunkLarge,       // ... more than any chunk can hold
        kChunkPastEnd,     // chunk `item` (`name`) runs to byte `number`, past the end
        kDefinitionShort,  // the object definition, chunk `item`, is `number` bytes
        kMapAt,            // the resource map at `at`: inside the header, past or near the end
        kTableLarge,       // the string table `name` `item` is larger than any the game writes
        kTablePastEnd,     // ... lies past the end of the file
        kTableNoString,    // ... ends before its first string
        kTableUnknown,     // ... is in no format the notes know
        kTableStringCut,   // ... ends inside a string
    };
    // What a file's first bytes are when they are none of the game's formats.
    enum ForeignBytes : std::uint8_t {
        kWebPage,
        kZip,
        kEmptyZip,
        kRar,
        k7z,
        kPdf,
        kPng,
        kJpeg,
        kGif,
        kProgram,
        kRtf,
    };

    Kind kind = kDamaged;
    Code code = Code::kEmpty;
    Format format = Format::kIff;
    std::uint64_t size = 0;
    std::uint64_t at = 0;
    std::uint64_t number = 0;
    std::uint32_t item = 0;  // a chunk's or a table entry's number, from 1; a table's ID
    std::string name;        // a chunk's type, an entry's name as stored, a table's type
    // Set when the bytes read were an entry of an archive (with its name, as stored, where
    // the reader's caller gave it).
    bool inEntry = false;
    std::string entry;
};
// Which file a source reads: two names of one file (a link and its target, hard links) give
// the same identity.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
    bool operator<(const FileIdentity& other) const {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

// Bytes that the format readers read at chosen offsets: a file, part of one (an entry of an
// archive, read in place), or memory. The readers check every offset against size() before
// they read, so a source never has to guess.
class ByteSource {
  public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t size() const = 0;

    // Reads `length` bytes at `offset` into `out`; returns how many it read, fewer only at
    // the end. Throws ReadError when the bytes cannot be read.
    virtual std::size_t read(std::uint64_t offset, void* out, std::size_t length) = 0;

    // Bytes read so far, through this source and the parts taken from it.
    virtual std::uint64_t bytesRead() const = 0;

    // The file read, when the source is a whole file opened without a size given.
    virtual std::optional<FileIdentity> identity() const { return std::nullopt; }
};

// Bytes in memory (tests and the fuzzers).
class MemoryBytes final : public ByteSource {
  public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t read(std::uint64_t offset, void* out, std::size_t length) override;
    std::uint64_t bytesRead() const override { return read_; }

  private:
    std::string_view bytes_;
    std::uint64_t read_ = 0;
};

// `length` bytes of `whole` from `offset`, as a source of their own: an archive's entry. The
// caller checks that the part lies inside `whole`.
class PartBytes final : public ByteSource {
  public:
    PartBytes(ByteSource& whole, std::uint64_t offset, std::uint64_t length)
        : whole_(whole), offset_(offset), length_(length) {}
    std::uint64_t size() const override { return length_; }
    std::size_t read(std::uint64_t offset, void* out, std::size_t length) override;
    std::uint64_t bytesRead() const override { return whole_.bytesRead(); }

  private:
    ByteSource& whole_;
    std::uint64_t offset_;
    std::uint64_t length_;
};

// Reads through a small window, so that headers lying close together (a file's many small
// chunks) cost one read of the file, not one each, while large chunk data between headers is
// skipped. The window is one page of the file, the unit the system reads anyway, or, after a
// jump over a large chunk's data, a few hundred bytes.
class WindowedBytes final : public ByteSource {
  public:
    explicit WindowedBytes(ByteSource& inner) : inner_(inner) {}
    std::uint64_t size() const override { return inner_.size(); }
    std::size_t read(std::uint64_t offset, void* out, std::size_t length) override;
    std::uint64_t bytesRead() const override { return inner_.bytesRead(); }

    static constexpr std::size_t kWindow = 4096;
    static constexpr std::size_t kSmallWindow = 512;

  private:
    ByteSource& inner_;
    char window_[kWindow];
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

// Blocks the calling thread has had read from a disk so far (a read the cache could not
// serve); nothing where the platform does not count them.
std::optional<std::uint64_t> diskBlocksRead() noexcept;

// Lowers the calling thread's priority a little, so that readers in the background take
// the processor time the walk leaves, and the walk is not slowed by them.
void yieldToForeground() noexcept;

// Opens the file at `path` (UTF-8) for reading, without blocking (a pipe put in a file's
// place is refused, never waited on); throws ReadError naming why it cannot. Without `size`
// the file is asked for its size and identity, and one that is not a regular file is
// refused at once. With `size` (as a listing just gave it) the file is not asked again; a
// file that is not a regular one then fails at its first read.
std::unique_ptr<ByteSource> openFileBytes(const std::string& path,
                                          std::optional<std::uint64_t> size = std::nullopt);

// As openFileBytes(folder + separator + name, size), for many files of one folder in a row:
// where the platform allows, each thread keeps its last folder open and opens the files in
// it by name, so the folder's path is not looked up again for every file.
std::unique_ptr<ByteSource> openFileIn(const std::string& folder, char separator,
                                       const std::string& name, std::uint64_t size);

// Asks the system, from a thread of its own, to start reading the files it is given into its
// cache, so that a reader going through them one after another finds them there: on a cold
// disk several reads are then in flight while the reader waits on one. Only regular files
// are touched (never a link, a pipe or a device), only their first `kWarmedBytes`, and
// nothing is read into the program. Where the platform has no such advice, it does nothing.
// Stops, dropping what is still queued, when destroyed.
class FileWarmer {
  public:
    static constexpr std::uint64_t kWarmedBytes = std::uint64_t{1} << 20;

    FileWarmer();
    ~FileWarmer();
    FileWarmer(const FileWarmer&) = delete;
    FileWarmer& operator=(const FileWarmer&) = delete;

    // Queues the files named `names` in `folder` (joined by `separator`). A queue already
    // far ahead of the reader drops what it is given.
    void warm(const std::string& folder, char separator, const std::vector<std::string>& names);

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace brambleton::content
