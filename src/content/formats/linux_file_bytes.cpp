// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "content/formats/byte_source.h"

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
            if (n < 0) {
                throw ReadError("Cannot read " + path_ + ": " +
                                (errno == ESPIPE ? "not a regular file" : std::strerror(errno)));
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        read_ += got;
        return got;
    }

    std::uint64_t bytesRead() const override { return read_; }

    std::optional<FileIdentity> identity() const override { return identity_; }
    void setIdentity(FileIdentity identity) { identity_ = identity; }

  private:
    int fd_;
    std::uint64_t size_;
    std::string path_;
    std::uint64_t read_ = 0;
    std::optional<FileIdentity> identity_;
};

// A thread's last folder, held open so that its files open by name.
struct LastFolder {
    std::string path;
    int fd = -1;
    LastFolder() = default;
    LastFolder(const LastFolder&) = delete;
    LastFolder& operator=(const LastFolder&) = delete;
    ~LastFolder() {
        if (fd >= 0) ::close(fd);
    }
};

thread_local LastFolder lastFolder;

// Without blocking: a pipe given a content file's name must not hang the check.
constexpr int kFileFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

std::unique_ptr<ByteSource> wrap(int fd, const std::string& path,
                                 std::optional<std::uint64_t> size) {
    if (fd < 0) throw ReadError("Cannot open " + path + ": " + std::strerror(errno));
    std::optional<FileIdentity> identity;
    if (!size) {
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
        size = static_cast<std::uint64_t>(st.st_size);
        identity = FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                                static_cast<std::uint64_t>(st.st_ino)};
    }
    try {
        auto bytes = std::make_unique<FileBytes>(fd, *size, path);
        if (identity) bytes->setIdentity(*identity);
        return bytes;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

}  // namespace

std::optional<std::uint64_t> diskBlocksRead() noexcept {
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(usage.ru_inblock);
}

void yieldToForeground() noexcept {
    // On Linux a nice value is the thread's own; raising it needs no privilege.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

std::unique_ptr<ByteSource> openFileBytes(const std::string& path,
                                          std::optional<std::uint64_t> size) {
    return wrap(::open(path.c_str(), kFileFlags), path, size);
}

std::unique_ptr<ByteSource> openFileIn(const std::string& folder, char separator,
                                       const std::string& name, std::uint64_t size) {
    const std::string path = folder + separator + name;
    if (lastFolder.path != folder) {
        if (lastFolder.fd >= 0) ::close(lastFolder.fd);
        lastFolder.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_PATH);
        lastFolder.path = folder;
    }
    // A folder that cannot be held open: by its whole path, which then says why.
    const int fd = lastFolder.fd >= 0 ? ::openat(lastFolder.fd, name.c_str(), kFileFlags)
                                      : ::open(path.c_str(), kFileFlags);
    return wrap(fd, path, size);
}

// The thread is detached and shares the queue with its owner, so that an owner going away
// never waits on a read stuck on a hung disk.
struct FileWarmer::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::string> paths;
    bool stopped = false;
};

namespace {

// Files queued and not yet advised, past which new ones are dropped: the reader is then
// far behind and the cache holds plenty ahead of it.
constexpr std::size_t kWarmedAhead = 512;

void adviseWillRead(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const auto length = std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size),
                                                    FileWarmer::kWarmedBytes);
        (void)::posix_fadvise(fd, 0, static_cast<off_t>(length), POSIX_FADV_WILLNEED);
    }
    ::close(fd);
}

}  // namespace

FileWarmer::FileWarmer() : state_(std::make_shared<State>()) {
    try {
        std::thread([state = state_] {
            std::unique_lock lock(state->mutex);
            for (;;) {
                state->wake.wait(lock, [&] { return state->stopped || !state->paths.empty(); });
                if (state->stopped) return;
                const std::string path = std::move(state->paths.front());
                state->paths.pop_front();
                lock.unlock();
                adviseWillRead(path);
                lock.lock();
            }
        }).detach();
    } catch (const std::system_error&) {
        state_->stopped = true;  // no thread: the reader reads as it would without
    }
}

FileWarmer::~FileWarmer() {
    const std::lock_guard lock(state_->mutex);
    state_->stopped = true;
    state_->paths.clear();
    state_->wake.notify_all();
}

void FileWarmer::warm(const std::string& folder, char separator,
                      const std::vector<std::string>& names) {
    const std::lock_guard lock(state_->mutex);
    if (state_->stopped) return;
    for (const auto& name : names) {
        if (state_->paths.size() >= kWarmedAhead) break;
        state_->paths.push_back(folder + separator + name);
    }
    state_->wake.notify_one();
}

}  // namespace brambleton::content
