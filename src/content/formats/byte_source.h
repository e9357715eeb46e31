// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace brambleton::content {

// A file that could not be read (as opposed to one whose bytes are not what its name says).
class ReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Why a file's bytes are not the format its name says.
struct FormatFault {
    enum Kind {
        kNotThisFormat,  // other bytes altogether: a web page, a ZIP archive, ...
        kTruncated,      // the file ends inside something it has begun
        kPastEnd,        // an offset or a length points past the file's end
        kDamaged,        // a field the game cannot take
    };
    Kind kind;
    std::string detail;  // one plain sentence for a player
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

}  // namespace brambleton::content
