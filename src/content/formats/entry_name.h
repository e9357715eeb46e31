// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace brambleton::content {

// An archive entry's name as a player is shown it: as stored, but with each separator, "%"
// and ".." written as "%2F", "%5C", "%25" and "%2E%2E", so that no name reads as a path that
// leaves its archive ("../../GameData/Behavior.iff" shows as
// "%2E%2E%2F%2E%2E%2FGameData%2FBehavior.iff"). Every other character is kept, to be escaped
// as the place it is shown in requires.
inline std::string entryText(std::string_view entry) {
    std::string out;
    out.reserve(entry.size());
    for (std::size_t i = 0; i < entry.size(); ++i) {
        const char c = entry[i];
        if (c == '/') {
            out += "%2F";
        } else if (c == '\\') {
            out += "%5C";
        } else if (c == '%') {
            out += "%25";
        } else if (c == '.' && i + 1 < entry.size() && entry[i + 1] == '.') {
            out += "%2E%2E";
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace brambleton::content
