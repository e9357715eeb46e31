// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "common/ascii.h"
#include "common/game_folders.h"

namespace brambleton::content {

// The name's last extension and the one before it, lower case: "chair.iff.bak" gives
// ("bak", "iff"); "chair" gives ("", "").
inline std::pair<std::string, std::string> extensions(std::string_view name) {
    const auto last = name.rfind('.');
    if (last == std::string_view::npos || last == 0) return {};
    std::string ext = ascii::toLower(name.substr(last + 1));
    const auto before = name.rfind('.', last - 1);
    std::string previous;
    if (before != std::string_view::npos && before + 1 < last) {
        previous = ascii::toLower(name.substr(before + 1, last - before - 1));
    }
    return {ext, previous};
}

// The last part of a path, or of an archive entry's name: the name a player knows it by.
inline std::string lastPart(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// A name a file can take in its own folder: no separators, no characters Windows refuses,
// not "." or "..", not empty, not long.
inline bool plainFileName(std::string_view name) {
    return !name.empty() && name.size() <= 200 && name != "." && name != ".." &&
           name.find_first_of("/\\:*?\"<>|") == std::string_view::npos &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// `path` from the folder `base`, without the folders above it: unchanged when it is not
// below `base`. A folder may be written with its separator at the end ("C:\\Games\\Sims\\").
inline std::string pathBelow(const std::string& path, std::string_view base) {
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.remove_suffix(1);
    if (path.size() > base.size() + 1 && path.compare(0, base.size(), base) == 0 &&
        (path[base.size()] == '/' || path[base.size()] == '\\')) {
        return path.substr(base.size() + 1);
    }
    return path;
}

// A game folder as players write it: "GameData\Skins".
inline std::string folderText(const GameFolder& folder) {
    std::string out(folder.folder[0]);
    if (!folder.folder[1].empty()) out += "\\" + std::string(folder.folder[1]);
    return out;
}

}  // namespace brambleton::content
