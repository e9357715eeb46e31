// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/runtime_error.h"
#include "counting/folder_source.h"

namespace brambleton {
namespace {

RuntimeError folderError(int err, const std::string& path) {
    switch (err) {
        case ENOENT:
            return RuntimeError(kPathNotFound, "Path not found: " + path);
        case ENOTDIR:
            return RuntimeError(kPathNotFound, "Path not found: " + path + " is not a folder");
        case ELOOP:
            return RuntimeError(kPathNotFound,
                                "Path not found: " + path + " (too many levels of links)");
        case ENAMETOOLONG:
            return RuntimeError(kPathNotFound, "Path not found: " + path + " (name too long)");
        case EACCES:
        case EPERM:
            return RuntimeError(kPermissionDenied, "Permission denied: " + path);
        case EIO:
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return RuntimeError(kDeviceUnavailable,
                                "Device unavailable: " + path + " (" + std::strerror(err) + ")");
        default:
            return RuntimeError(kInvalidProcedureCall,
                                std::string(std::strerror(err)) + ": " + path);
    }
}

// A deep tree holds one descriptor per level; when the soft limit is reached, move it up to
// the hard limit once rather than fail the folder.
bool raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return false;
    limit.rlim_cur = limit.rlim_max;
    return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

class PosixFolderSource final : public FolderSource {
  public:
    PosixFolderSource() : buffer_(std::size_t{64} * 1024) {}
    ~PosixFolderSource() override { closeFrom(0); }

    PosixFolderSource(const PosixFolderSource&) = delete;
    PosixFolderSource& operator=(const PosixFolderSource&) = delete;

    void open(std::size_t depth, const std::string& name, const std::string& path) override {
        closeFrom(depth);
        const int fd = openFolder(depth, name, path);
        if (fd < 0) throw folderError(errno, path);
        fds_.push_back(fd);
    }

    void read(const std::string& path, const FilePattern& pattern, FolderListing& out) override {
        readEntries(fds_.back(), path, pattern, out);
    }

    char separator() const noexcept override { return '/'; }

    void release() noexcept override { closeFrom(0); }

  private:
    int openFolder(std::size_t depth, const std::string& name, const std::string& path) {
        for (int attempt = 0;; ++attempt) {
            int fd;
            if (depth == 0) {
                // The start folder is the user's choice: follow links to reach it.
                fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            } else if (depth > fds_.size()) {
                fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            } else {
                // Below the start folder links are never followed, so a link that replaced a
                // folder after the listing fails here instead of leading elsewhere.
                fd = ::openat(fds_[depth - 1], name.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            }
            if (fd >= 0 || errno != EMFILE || attempt > 0 || !raiseDescriptorLimit()) return fd;
        }
    }

    void closeFrom(std::size_t depth) {
        while (fds_.size() > depth) {
            ::close(fds_.back());
            fds_.pop_back();
        }
    }

    void readEntries(int fd, const std::string& path, const FilePattern& pattern,
                     FolderListing& out) {
        for (;;) {
            const ssize_t got = ::getdents64(fd, buffer_.data(), buffer_.size());
            if (got == 0) return;
            if (got < 0) {
                if (errno == EINTR) continue;
                throw folderError(errno, path);
            }
            for (ssize_t at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer_.data() + at);
                at += entry->d_reclen;
                addEntry(fd, entry->d_name, entry->d_type, path, pattern, out);
            }
        }
    }

    void addEntry(int fd, const char* name, unsigned char type, const std::string& path,
                  const FilePattern& pattern, FolderListing& out) {
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) return;

        struct stat st {};
        bool haveStat = false;
        if (type == DT_UNKNOWN) {
            if (!statEntry(fd, name, path, AT_SYMLINK_NOFOLLOW, st)) return;
            haveStat = true;
            type = S_ISDIR(st.st_mode)   ? DT_DIR
                   : S_ISREG(st.st_mode) ? DT_REG
                   : S_ISLNK(st.st_mode) ? DT_LNK
                                         : DT_UNKNOWN;
        }

        if (type == DT_DIR) {
            out.subfolders.emplace_back(name);
            return;
        }
        if ((type != DT_REG && type != DT_LNK) || !pattern.matches(name)) return;

        if (type == DT_LNK) {
            // A link counts as what it points to: a file by its size, a folder or a dangling
            // link as nothing.
            if (::fstatat(fd, name, &st, 0) != 0) return;
        } else if (!haveStat && !statEntry(fd, name, path, AT_SYMLINK_NOFOLLOW, st)) {
            return;
        }
        if (S_ISREG(st.st_mode)) {
            out.addFile(st.st_size, path, name, static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino), type == DT_LNK);
        }
    }

    // fstatat of one entry of the folder open as `fd`. False when the entry was removed after
    // the listing (not there to count); throws for any other failure.
    static bool statEntry(int fd, const char* name, const std::string& path, int flags,
                          struct stat& st) {
        if (::fstatat(fd, name, &st, flags) == 0) return true;
        if (errno == ENOENT) return false;
        throw folderError(errno, path + "/" + name);
    }

    std::vector<int> fds_;
    std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<FolderSource> makePlatformFolderSource() {
    return std::make_unique<PosixFolderSource>();
}

}  // namespace brambleton
