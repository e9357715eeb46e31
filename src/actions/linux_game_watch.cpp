// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "actions/game_watch.h"
#include "common/ascii.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameProgram = "sims.exe";

std::string readSmall(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string text(4096, '\0');
    const ssize_t got = ::read(fd, text.data(), text.size());
    ::close(fd);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::string linkTarget(const std::string& path) {
    std::string target(4096, '\0');
    const ssize_t got = ::readlink(path.c_str(), target.data(), target.size());
    target.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return target;
}

// The last part of a path written with either slash.
std::string_view lastPart(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool isGameProgram(std::string_view path) {
    return ascii::toLower(std::string(lastPart(path))) == kGameProgram;
}

// Whether `path` is the folder `top` or lies below it.
bool inside(const std::string& path, const std::string& top) {
    return path.size() >= top.size() && path.compare(0, top.size(), top) == 0 &&
           (path.size() == top.size() || path[top.size()] == '/' || top.back() == '/');
}

}  // namespace

// What was learnt of each process: whether it is a Windows program, to be looked at again.
struct GameWatch::Seen {
    std::unordered_map<long, bool> windowsProgram;
    std::string top;  // the install folder, links resolved, as /proc shows paths
};

GameWatch::GameWatch(fs::path installFolder)
    : install_(std::move(installFolder)), seen_(std::make_unique<Seen>()) {
    std::error_code ec;
    const auto canonical = fs::weakly_canonical(install_, ec);
    seen_->top = (ec ? install_ : canonical).string();
}

GameWatch::~GameWatch() = default;

std::optional<std::string> GameWatch::running() {
    DIR* proc = ::opendir("/proc");
    if (!proc) return std::nullopt;
    const long self = ::getpid();
    std::vector<long> pids;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && pid != self) pids.push_back(pid);
    }
    ::closedir(proc);
    std::unordered_map<long, bool> now;
    for (const long pid : pids) {
        const std::string base = "/proc/" + std::to_string(pid);
        const auto known = seen_->windowsProgram.find(pid);
        bool windows = known != seen_->windowsProgram.end() && known->second;
        if (known == seen_->windowsProgram.end()) {
            // Wine and Proton name a process after its .exe; its command line holds the
            // Windows path of the program, with either slash.
            std::string comm = readSmall(base + "/comm");
            while (!comm.empty() && comm.back() == '\n') comm.pop_back();
            const std::string cmdline = readSmall(base + "/cmdline");
            const std::string first = cmdline.substr(0, cmdline.find('\0'));
            if (isGameProgram(comm) || isGameProgram(first)) {
                return (comm.empty() ? std::string(lastPart(first)) : comm) + ", process " +
                       std::to_string(pid);
            }
            windows =
                ascii::toLower(comm).ends_with(".exe") || ascii::toLower(first).ends_with(".exe");
        }
        now[pid] = windows;
        if (!windows) continue;
        // A Windows program working in the game's folder or holding a file of it open.
        if (inside(linkTarget(base + "/cwd"), seen_->top)) {
            return "a Windows program working in the game's folder, process " + std::to_string(pid);
        }
        if (DIR* fds = ::opendir((base + "/fd").c_str())) {
            bool holds = false;
            while (const dirent* fd = ::readdir(fds)) {
                if (fd->d_name[0] == '.') continue;
                if (inside(linkTarget(base + "/fd/" + fd->d_name), seen_->top)) holds = true;
                if (holds) break;
            }
            ::closedir(fds);
            if (holds) {
                return "a Windows program using the game's files, process " + std::to_string(pid);
            }
        }
    }
    seen_->windowsProgram = std::move(now);
    return std::nullopt;
}

}  // namespace brambleton::actions
