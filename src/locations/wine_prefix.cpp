#include "locations/wine_prefix.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "common/runtime_error.h"
#include "locations/reg_file.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

bool isDriveLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char upper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool isFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// The entry of `folder` whose name equals `name` without regard to case; the exact name wins.
std::optional<std::string> findEntry(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder / name, ec))) return name;
    const auto wanted = regfile::utf8ToUtf16(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (regfile::equalNames(regfile::utf8ToUtf16(candidate), wanted)) return candidate;
    }
    return std::nullopt;
}

}  // namespace

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
    const std::string original(windowsPath);
    if (!windowsPath.empty() && windowsPath[0] == '/') {
        if (!isFolder(fs::path(original))) {
            throw RuntimeError(kPathNotFound, "Path not found: " + original);
        }
        return original;
    }
    if (windowsPath.size() < 2 || !isDriveLetter(windowsPath[0]) || windowsPath[1] != ':') {
        throw RuntimeError(kPathNotFound, "Path not found: " + original + " (no drive letter)");
    }
    const fs::path base = driveRoot(windowsPath);

    std::vector<std::string> names;
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const auto cut = rest.find_first_of("\\/");
        const std::string name(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!names.empty()) names.pop_back();
            continue;
        }
        names.push_back(name);
    }

    fs::path host = base;
    for (const auto& name : names) {
        const auto entry = findEntry(host, name);
        if (!entry || !isFolder(host / *entry)) {
            throw RuntimeError(kPathNotFound, "Path not found: " + original + " (no folder \"" +
                                                  name + "\" in " + host.string() + ")");
        }
        host /= *entry;
    }
    return host.string();
}

}  // namespace brambleton
