// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "temp_tree.h"

namespace brambleton::testing {

// Deeper than the walk goes: links relative to each parent have no length limit.
const int TempTree::kDeepestTree = 5000;

namespace {

// Removes everything below the open folder `fd` by names relative to it, so trees deeper
// than the longest path go too.
void removeBelow(int fd) {
    DIR* dir = fdopendir(dup(fd));
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (unlinkat(fd, name.c_str(), 0) == 0) continue;
        const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (child < 0) continue;
        removeBelow(child);
        close(child);
        unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    closedir(dir);
}

}  // namespace

TempTree::~TempTree() {
    const int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        removeBelow(fd);
        close(fd);
    }
    rmdir(root_.c_str());
}

void TempTree::deepFolder(std::string_view name, int levels, std::string_view leaf) const {
    int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    const std::string n(name);
    for (int i = 0; i < levels && fd >= 0; ++i) {
        mkdirat(fd, n.c_str(), 0755);
        const int next = openat(fd, n.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    if (fd < 0) throw std::runtime_error("cannot build a deep tree");
    close(openat(fd, std::string(leaf).c_str(), O_WRONLY | O_CREAT, 0644));
    close(fd);
}

}  // namespace brambleton::testing
