// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brambleton {

// A file-list pattern such as "*.IFF", "*.*", "Caf*.iff" or "*.skn;*.bmp;*.cmx": entries
// separated by ";", spaces around each ignored. A name matches the pattern when it matches any
// one entry, case ignored (ASCII letters; other bytes compare as they are):
//  - "*.*" and "*" match every name, with or without a dot;
//  - "*.EXT", where EXT holds no "*", "?" or ".", matches by extension: the text after the
//    name's last "." equals EXT, and a name without "." compares whole ("IFF" is an object,
//    "chair.iff.bak" is not);
//  - any other entry matches the whole name, "*" standing for any run of characters and "?"
//    for exactly one (one UTF-8 character, not one byte).
// A pattern with no entry ("", " ", ";") matches every name. The window's file list and the
// counter both read patterns through this class, so a folder's list shows what Count counts.
class FilePattern {
  public:
    explicit FilePattern(std::string_view pattern);

    bool matches(std::string_view fileName) const noexcept;
    bool matchesEverything() const noexcept { return matchesEverything_; }
    // Whether the pattern has an entry at all: "", " " and ";" have none.
    bool hasEntries() const noexcept { return hasEntries_; }

  private:
    std::vector<std::string> upperExtensions_;  // the "*.EXT" entries' EXT, upper case
    std::vector<std::string> upperWildcards_;   // the other entries, upper case
    bool matchesEverything_ = false;
    bool hasEntries_ = false;
};

// The extension text of a name: the characters after its last "."; the whole name when it
// has no "."; empty when it ends in ".".
std::string_view extensionText(std::string_view name) noexcept;

// Whether `name` matches `upperWildcard` as a whole: "*" any run of characters, "?" exactly
// one UTF-8 character, every other byte itself with ASCII case ignored. `upperWildcard` is in
// upper case already.
bool wildcardMatches(std::string_view upperWildcard, std::string_view name) noexcept;

}  // namespace brambleton
