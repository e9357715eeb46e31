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

namespace {

// The processes of the system but this one.
std::vector<long> otherProcesses() {
    std::vector<long> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return pids;
    const long self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && pid != self) pids.push_back(pid);
    }
    ::closedir(proc);
    return pids;
}

// What the process at `base` (/proc/PID) is: the game's program (its name, as the player
// knows it), or not; and whether it is a Windows program. Wine and Proton name a process
// after its .exe, and its command line holds the Windows path of the program, with either
// slash.
std::optional<std::string> gameProgram(const std::string& base, bool& windows) {
    std::string comm = readSmall(base + "/comm");
    while (!comm.empty() && comm.back() == '\n') comm.pop_back();
    const std::string cmdline = readSmall(base + "/cmdline");
    const std::string first = cmdline.substr(0, cmdline.find('\0'));
    if (isGameProgram(comm) || isGameProgram(first)) {
        return comm.empty() ? std::string(lastPart(first)) : comm;
    }
    windows = ascii::toLower(comm).ends_with(".exe") || ascii::toLower(first).ends_with(".exe");
    return std::nullopt;
}

// Whether the process at `base` works in the folder `top` or holds a file of it open.
std::optional<std::string> usesFolder(const std::string& base, const std::string& top) {
    if (inside(linkTarget(base + "/cwd"), top)) return "working in the game's folder";
    DIR* fds = ::opendir((base + "/fd").c_str());
    if (!fds) return std::nullopt;
    bool holds = false;
    while (const dirent* fd = ::readdir(fds)) {
        if (fd->d_name[0] != '.' && inside(linkTarget(base + "/fd/" + fd->d_name), top)) {
            holds = true;
            break;
        }
    }
    ::closedir(fds);
    if (holds) return "using the game's files";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> GameWatch::running() {
    std::unordered_map<long, bool> now;
    for (const long pid : otherProcesses()) {
        const std::string base = "/proc/" + std::to_string(pid);
        const auto known = seen_->windowsProgram.find(pid);
        bool windows = known != seen_->windowsProgram.end() && known->second;
        if (known == seen_->windowsProgram.end()) {
            if (auto name = gameProgram(base, windows)) {
                return *name + ", process " + std::to_string(pid);
            }
        }
        now[pid] = windows;
        if (!windows) continue;
        if (auto what = usesFolder(base, seen_->top)) {
            return "a Windows program " + *what + ", process " + std::to_string(pid);
        }
    }
    seen_->windowsProgram = std::move(now);
    return std::nullopt;
}

}  // namespace brambleton::actions
