// SPDX-License-Identifier: MIT
// Built on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "content/byte_source.h"

namespace brambleton::content {
namespace {

class FileBytes final : public ByteSource {
  public:
    FileBytes(int fd, std::uint64_t size, std::string path)
        : fd_(fd), size_(size), path_(std::move(path)) {}
    ~FileBytes() override { ::close(fd_); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t size() const override { return size_; }

    std::size_t read(std::uint64_t offset, void* out, std::size_t length) override {
        std::size_t got = 0;
        while (got < length) {
            const ssize_t n = ::pread(fd_, static_cast<char*>(out) + got, length - got,
                                      static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw ReadError("Cannot read " + path_ + ": " + std::strerror(errno));
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        read_ += got;
        return got;
    }

    std::uint64_t bytesRead() const override { return read_; }

  private:
    int fd_;
    std::uint64_t size_;
    std::string path_;
    std::uint64_t read_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> openFileBytes(const std::string& path) {
    // Without blocking: a pipe given a content file's name must not hang the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw ReadError("Cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        throw ReadError("Cannot read " + path + ": " + std::strerror(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ReadError("Cannot read " + path + ": not a regular file");
    }
    try {
        return std::make_unique<FileBytes>(fd, static_cast<std::uint64_t>(st.st_size), path);
    } catch (...) {
        ::close(fd);
        throw;
    }
}

}  // namespace brambleton::content
