// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "actions/file_system.h"
#include "actions/hash.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

PathFacts pathFacts(const fs::path& path) {
    struct stat st {};
    PathFacts facts;
    if (::lstat(path.c_str(), &st) != 0) return facts;
    facts.exists = true;
    facts.link = S_ISLNK(st.st_mode);
    facts.folder = S_ISDIR(st.st_mode);
    facts.device = st.st_dev;
    facts.file = st.st_ino;
    facts.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    return facts;
}

std::uint64_t deviceFor(const fs::path& path) {
    for (fs::path p = path; !p.empty(); p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0) return st.st_dev;
        if (p == p.parent_path()) break;
    }
    return 0;
}

namespace {

MoveResult failed(int err) {
    switch (err) {
        case EEXIST:
        case ENOTEMPTY:
            return {MoveOutcome::kTaken, {}};
        case EXDEV:
            return {MoveOutcome::kOtherFileSystem, {}};
        case ENOENT:
            return {MoveOutcome::kMissing, {}};
        default:
            return {MoveOutcome::kFailed, std::strerror(err)};
    }
}

}  // namespace

MoveResult moveNoReplace(const fs::path& from, const fs::path& to) {
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) ==
        0) {
        return {};
    }
    const int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) return failed(err);
    // A filesystem without a rename that refuses to replace (some network and FUSE ones):
    // a second name for a file, made only where none is, and then the first one taken away.
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) return failed(errno);
    if (S_ISDIR(st.st_mode))
        return {MoveOutcome::kFailed, "this filesystem cannot move a folder safely"};
    if (::link(from.c_str(), to.c_str()) != 0) return failed(errno);
    if (::unlink(from.c_str()) != 0) return failed(errno);
    return {};
}

bool makeFolder(const fs::path& path, std::string& why) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    why = errno == EEXIST ? std::string() : std::string(std::strerror(errno));
    return false;
}

bool removeEmptyFolder(const fs::path& path) {
    return ::rmdir(path.c_str()) == 0;
}

namespace {

// Writes all of `text` to `fd`; a write may take fewer bytes than asked (a signal, a large
// file), and the rest follows. Empty when whole, else why not.
std::string writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    errno = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return errno != 0 ? std::strerror(errno) : "the disk took no more";
        done += static_cast<std::size_t>(wrote);
    }
    return {};
}

// Creates `path` with `text` and `mode`; a file it made but could not write whole it removes.
bool createWith(const fs::path& path, const std::string& text, mode_t mode, std::string& why) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    why = writeAll(fd, text);
    ::close(fd);
    if (!why.empty()) ::unlink(path.c_str());
    return why.empty();
}

}  // namespace

bool createNew(const fs::path& path, const std::string& text, std::string& why) {
    return createWith(path, text, 0600, why);
}

MoveResult writeNew(const fs::path& to, const fs::path& part, const std::string& bytes) {
    // A file with no name yet, which a crash takes away with it; linked at `to` when whole,
    // and a link never replaces. Read as content by the game: readable as the player's files.
    const int fd = ::open(to.parent_path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        std::string why = writeAll(fd, bytes);
        if (!why.empty()) {
            ::close(fd);
            return {MoveOutcome::kFailed, why};
        }
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const int linked =
            ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW);
        const int err = errno;
        ::close(fd);
        if (linked == 0) return {};
        if (err == EEXIST) return {MoveOutcome::kTaken, {}};
        // No /proc to link through: the named way below.
    }
    std::string why;
    if (!createWith(part, bytes, 0644, why)) return {MoveOutcome::kFailed, why};
    MoveResult moved = moveNoReplace(part, to);
    if (moved.outcome != MoveOutcome::kDone) ::unlink(part.c_str());
    return moved;
}

bool removeOwnRecord(const fs::path& path) {
    return ::unlink(path.c_str()) == 0;
}

std::optional<std::uint64_t> fileHash(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    ContentHash hash;
    std::array<unsigned char, std::size_t{64} * 1024> buffer{};
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        hash.add(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return hash.value();
}

}  // namespace brambleton::actions
