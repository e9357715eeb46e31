// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Valve's text KeyValues, the format of Steam's libraryfolders.vdf and appmanifest_*.acf:
//
//     "AppState"
//     {
//         "appid"      "3314060"
//         "installdir" "The Sims Legacy Collection"
//     }
//
// Keys and values are quoted (with \\ \" \n \t escapes) or bare words; "//" starts a comment;
// a "[$WIN32]"-style condition after an entry is skipped.
namespace brambleton::keyvalues {

struct Node {
    std::string key;
    std::string value;           // a plain entry's text; empty for a block
    std::vector<Node> children;  // a block's entries, in file order
    bool block = false;

    // The first entry whose key equals `name` without regard to ASCII case; null when none.
    const Node* find(std::string_view name) const noexcept;
    // That entry's text when it is a plain entry; empty otherwise.
    std::string text(std::string_view name) const;
};

// The file's top-level entries as the children of one unnamed block, or nothing when the
// text is malformed: an unbalanced brace, an unterminated string, a key without a value,
// blocks nested deeper than 64, or a NUL byte (a binary file). Never reads out of bounds.
std::optional<Node> parse(std::string_view text);

}  // namespace brambleton::keyvalues
