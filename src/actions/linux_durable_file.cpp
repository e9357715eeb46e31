// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "actions/durable_file.h"
#include "common/runtime_error.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

DurableLog::DurableLog(const fs::path& path) : path_(path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw RuntimeError(kPermissionDenied, "The journal " + path.string() +
                                                  " cannot be opened: " + std::strerror(errno));
    }
    handle_ = fd;
}

DurableLog::~DurableLog() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

void DurableLog::append(const std::string& text, bool flush) {
    const int fd = static_cast<int>(handle_);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t got = ::write(fd, text.data() + written, text.size() - written);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            throw RuntimeError(
                kDeviceUnavailable,
                "The journal " + path_.string() + " cannot be written: " + std::strerror(errno));
        }
        written += static_cast<std::size_t>(got);
    }
    if (flush && ::fdatasync(fd) != 0) {
        throw RuntimeError(kDeviceUnavailable, "The journal " + path_.string() +
                                                   " cannot be flushed: " + std::strerror(errno));
    }
}

std::string DurableLog::readAll() const {
    std::string text;
    std::string buffer(std::size_t{64} * 1024, '\0');
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(static_cast<int>(handle_), buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer.data(), static_cast<std::size_t>(got));
        at += got;
    }
    return text;
}

FolderLock::FolderLock(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    handle_ = fd;
    held_ = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

FolderLock::~FolderLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

namespace {

fs::path dataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return fs::path(home) / ".local" / "share";
    return {};
}

}  // namespace

fs::path dataFolder() {
    const auto home = dataHome();
    return home.empty() ? home : home / "brambleton";
}

fs::path trashDataHome() {
    return dataHome();
}

}  // namespace brambleton::actions
