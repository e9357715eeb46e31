// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <map>
#include <utility>

#include "actions/trash.h"

namespace brambleton::actions {
namespace fs = std::filesystem;
namespace {

// A path as a .trashinfo writes it: every byte but the unreserved ones and "/" as %XX.
std::string escapedPath(const std::string& path) {
    std::string out;
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", u);
            out += hex;
        }
    }
    return out;
}

// Makes `folder` and its parents as the trash wants them: readable by the user alone.
bool ensureFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    if (!ensureFolder(folder.parent_path())) return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// The top of the mounted filesystem `path` lies on.
fs::path mountTop(const fs::path& path, std::uint64_t device) {
    fs::path top = path;
    for (fs::path p = path.parent_path(); !p.empty(); p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0 || st.st_dev != device) break;
        top = p;
        if (p == p.parent_path()) break;
    }
    return top;
}

// The trash of the volume whose top is `top`: its shared .Trash/$uid when the volume has a
// shared trash as desktops make it (a real folder, sticky), else .Trash-$uid.
fs::path volumeTrash(const fs::path& top) {
    const std::string uid = std::to_string(::getuid());
    struct stat st {};
    const fs::path shared = top / ".Trash";
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
        return shared / uid;
    }
    return top / (".Trash-" + uid);
}

}  // namespace

std::optional<TrashSlot> findTrashSlot(const fs::path& path, const TrashHome& home,
                                       std::string& why) {
    const PathFacts facts = pathFacts(path);
    if (!facts.exists) {
        why = "it is no longer there";
        return std::nullopt;
    }
    // The trash found for each filesystem, kept while its folders are there: a change of
    // thousands of files asks once.
    static thread_local std::map<std::pair<fs::path, std::uint64_t>, fs::path> found;
    const auto key = std::make_pair(home.dataHome, facts.device);
    auto known = found.find(key);
    if (known != found.end() && !pathFacts(known->second / "files").folder) {
        found.erase(known);
        known = found.end();
    }
    fs::path trash;
    if (known != found.end()) {
        trash = known->second;
    } else {
        trash = home.dataHome / "Trash";
        if (home.dataHome.empty() || deviceFor(trash) != facts.device) {
            trash = volumeTrash(mountTop(path, facts.device));
        }
        if (!ensureFolder(trash / "files") || !ensureFolder(trash / "info") ||
            deviceFor(trash / "files") != facts.device) {
            why = "no trash on its drive can take it without copying";
            return std::nullopt;
        }
        found[key] = trash;
    }
    const std::string name = path.filename().string();
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string ending = stem.size() == name.size() ? std::string() : name.substr(dot);
    for (int n = 1; n < 100000; ++n) {
        const std::string candidate = n == 1 ? name : stem + "." + std::to_string(n) + ending;
        TrashSlot slot{trash / "files" / candidate, trash / "info" / (candidate + ".trashinfo")};
        if (!pathFacts(slot.file).exists && !pathFacts(slot.record).exists) return slot;
    }
    why = "the trash has no free name for it";
    return std::nullopt;
}

bool writeTrashRecord(const fs::path& path, const TrashSlot& slot, std::string& why) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::array<char, 32> date{};
    std::strftime(date.data(), date.size(), "%Y-%m-%dT%H:%M:%S", &local);
    const std::string record = "[Trash Info]\nPath=" + escapedPath(fs::absolute(path).string()) +
                               "\nDeletionDate=" + date.data() + "\n";
    return createNew(slot.record, record, why);
}

MoveResult moveIntoTrash(const fs::path& path, const TrashSlot& slot) {
    return moveNoReplace(path, slot.file);
}

std::optional<fs::path> locateInTrash(const TrashSlot& slot, const fs::path&) {
    if (!pathFacts(slot.file).exists) return std::nullopt;
    return slot.file;
}

void dropTrashRecord(const TrashSlot& slot, const fs::path&) {
    if (!pathFacts(slot.file).exists) removeOwnRecord(slot.record);
}

}  // namespace brambleton::actions
