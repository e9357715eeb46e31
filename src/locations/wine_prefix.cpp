// SPDX-License-Identifier: MIT
#include "locations/wine_prefix.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "common/ascii.h"
#include "common/runtime_error.h"
#include "locations/folder_map.h"
#include "locations/folder_names.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

bool isDriveLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

using ascii::lower;
using ascii::upper;
using folder_names::isFolder;

// The names of a path, "." dropped and ".." taken lexically, never above the start.
std::vector<std::string> pathNames(std::string_view rest, std::string_view separators) {
    std::vector<std::string> names;
    while (!rest.empty()) {
        const auto cut = rest.find_first_of(separators);
        const std::string name(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!names.empty()) names.pop_back();
            continue;
        }
        names.push_back(name);
    }
    return names;
}

// `base` followed folder by folder by `names`, each matched without regard to case.
std::string walkNames(const fs::path& base, const std::vector<std::string>& names,
                      const std::string& asGiven) {
    fs::path host = base;
    for (const auto& name : names) {
        const auto entry = folder_names::find(host, name);
        if (!entry || !isFolder(host / *entry)) {
            throw RuntimeError(kPathNotFound, "Path not found: " + asGiven + " (no folder \"" +
                                                  name + "\" in " + host.string() + ")");
        }
        host /= *entry;
    }
    return host.string();
}

class WineFolderMap final : public FolderMap {
  public:
    explicit WineFolderMap(fs::path prefix) : prefix_(std::move(prefix)) {}

    std::vector<std::string> drives() const override {
        auto found = prefix_.drives();
        found.emplace_back("/");
        return found;
    }
    std::string driveRoot(std::string_view drive) const override {
        if (drive == "/") return "/";
        return prefix_.driveRoot(drive).string();
    }
    std::string toHostPath(std::string_view windowsPath) const override {
        return prefix_.toHostPath(windowsPath);
    }
    char separator() const noexcept override { return '/'; }

  private:
    WinePrefix prefix_;
};

}  // namespace

std::unique_ptr<FolderMap> makeWineFolderMap(fs::path prefix) {
    return std::make_unique<WineFolderMap>(std::move(prefix));
}

WinePrefix::WinePrefix(fs::path root) : root_(std::move(root)) {}

WinePrefix WinePrefix::fromEnvironment() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return WinePrefix(prefix);
    const char* home = std::getenv("HOME");
    return WinePrefix(fs::path(home && *home ? home : "/") / ".wine");
}

std::vector<std::string> WinePrefix::drives() const {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(root_ / "dosdevices", ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == 2 && isDriveLetter(name[0]) && name[1] == ':') {
            found.push_back(std::string(1, upper(name[0])) + ":");
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

fs::path WinePrefix::driveRoot(std::string_view drive) const {
    if (drive.size() >= 2 && isDriveLetter(drive[0]) && drive[1] == ':') {
        for (const char letter : {lower(drive[0]), upper(drive[0])}) {
            const fs::path link = root_ / "dosdevices" / (std::string(1, letter) + ":");
            if (isFolder(link)) {
                std::error_code ec;
                const auto resolved = fs::canonical(link, ec);
                return ec ? link : resolved;
            }
        }
    }
    throw RuntimeError(kDeviceUnavailable,
                       "Device unavailable: " + std::string(drive.substr(0, 2)) +
                           " is not a drive of the Wine prefix " + root_.string());
}

std::string WinePrefix::toHostPath(std::string_view windowsPath) const {
    std::string asGiven(windowsPath);
    if (!windowsPath.empty() && windowsPath[0] == '/') {
        // A host folder, such as a Steam library's game: its names are matched without
        // regard to case too, since the game's own folder names vary in case.
        if (isFolder(fs::path(asGiven))) return asGiven;
        return walkNames("/", pathNames(windowsPath, "/"), asGiven);
    }
    if (windowsPath.size() < 2 || !isDriveLetter(windowsPath[0]) || windowsPath[1] != ':') {
        throw RuntimeError(kPathNotFound, "Path not found: " + asGiven + " (no drive letter)");
    }
    const fs::path base = driveRoot(windowsPath);

    return walkNames(base, pathNames(windowsPath.substr(2), "\\/"), asGiven);
}

}  // namespace brambleton
