// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brambleton {

// A file-list pattern such as "*.IFF", "*.*" or "*.skn;*.bmp;*.cmx", read the way the counter
// reads it: only the text after an entry's last "." matters, compared without regard to case,
// and "*.*" is the only entry with a wildcard meaning (it matches every name). A name matches
// the pattern when it matches any one of its ";"-separated entries.
class FilePattern {
  public:
    explicit FilePattern(std::string_view pattern);

    bool matches(std::string_view fileName) const noexcept;
    bool matchesEverything() const noexcept { return matchesEverything_; }
    // Whether the pattern has an entry at all: "", " " and ";" have none.
    bool hasEntries() const noexcept { return hasEntries_; }

  private:
    std::vector<std::string> upperExtensions_;
    bool matchesEverything_ = false;
    bool hasEntries_ = false;
};

// The extension text of a name: the characters after its last "."; the whole name when it
// has no "."; empty when it ends in ".".
std::string_view extensionText(std::string_view name) noexcept;

}  // namespace brambleton
