// SPDX-License-Identifier: MIT
#include "locations/folder_names.h"

#include <algorithm>
#include <system_error>

#include "locations/reg_file.h"

namespace fs = std::filesystem;

namespace brambleton::folder_names {

std::optional<std::string> find(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    const std::string wanted(name);
    if (fs::exists(fs::symlink_status(folder / wanted, ec))) return wanted;
    const auto wanted16 = regfile::utf8ToUtf16(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (regfile::equalNames(regfile::utf8ToUtf16(candidate), wanted16)) return candidate;
    }
    return std::nullopt;
}

std::optional<fs::path> child(const fs::path& folder, std::string_view name) {
    if (auto found = find(folder, name)) return folder / *found;
    return std::nullopt;
}

std::vector<std::string> startingWith(const fs::path& folder, std::string_view start) {
    std::vector<std::string> found;
    const auto start16 = regfile::utf8ToUtf16(start);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        const auto name16 = regfile::utf8ToUtf16(name);
        if (name16.size() >= start16.size() &&
            regfile::equalNames(std::u16string_view(name16).substr(0, start16.size()), start16)) {
            found.push_back(std::move(name));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool isFolder(const fs::path& path) noexcept {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace brambleton::folder_names
