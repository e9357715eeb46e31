// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "locations/small_file.h"

namespace brambleton {

namespace {

// Reads the open file to its end, into `out.text` when it holds at most `limit` bytes. Reads
// to the end rather than trusting the size `fstat` gave: a file that grows while it is read
// is still cut at the limit, one that shrinks is read as it now is.
void readToEnd(int fd, std::size_t expected, std::size_t limit, SmallFile& out) {
    std::string text(expected + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == text.size()) {
            if (text.size() > limit) break;
            text.resize(text.size() * 2);
        }
        const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.problem = FileProblem::Unreadable;
            out.systemReason = std::generic_category().message(errno);
            return;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    if (used > limit) {
        out.problem = FileProblem::TooLarge;
        return;
    }
    text.resize(used);
    out.text = std::move(text);
}

}  // namespace

SmallFile readSmallFile(const std::filesystem::path& file, std::size_t limit) {
    SmallFile out;
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        out.problem = (errno == ENOENT || errno == ENOTDIR) ? FileProblem::Missing
                      : errno == EISDIR                     ? FileProblem::NotAFile
                                                            : FileProblem::Unreadable;
        out.systemReason = std::generic_category().message(errno);
        return out;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        out.problem = FileProblem::Unreadable;
        out.systemReason = std::generic_category().message(errno);
    } else if (!S_ISREG(info.st_mode)) {
        out.problem = FileProblem::NotAFile;
    } else if (static_cast<unsigned long long>(info.st_size) > limit) {
        out.problem = FileProblem::TooLarge;
    } else {
        readToEnd(fd, static_cast<std::size_t>(info.st_size), limit, out);
    }
    ::close(fd);
    return out;
}

}  // namespace brambleton
