// SPDX-License-Identifier: MIT
#include "counting/file_pattern.h"

#include <algorithm>

#include "common/ascii.h"

namespace brambleton {
namespace {

std::string_view trim(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string_view extensionText(std::string_view name) noexcept {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

FilePattern::FilePattern(std::string_view pattern) {
    std::vector<std::string_view> entries;
    for (std::size_t start = 0;;) {
        const auto end = pattern.find(';', start);
        const auto entry = trim(pattern.substr(start, end - start));
        if (!entry.empty()) entries.push_back(entry);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    hasEntries_ = !entries.empty();
    // An empty pattern still follows the extension rule: its extension text is empty.
    if (entries.empty()) entries.emplace_back();

    for (const auto entry : entries) {
        if (entry == "*.*") matchesEverything_ = true;
        std::string ext(extensionText(entry));
        std::transform(ext.begin(), ext.end(), ext.begin(), ascii::upper);
        if (std::find(upperExtensions_.begin(), upperExtensions_.end(), ext) ==
            upperExtensions_.end()) {
            upperExtensions_.push_back(std::move(ext));
        }
    }
}

bool FilePattern::matches(std::string_view fileName) const noexcept {
    if (matchesEverything_) return true;
    const auto ext = extensionText(fileName);
    for (const auto& wanted : upperExtensions_) {
        if (wanted.size() != ext.size()) continue;
        if (std::equal(ext.begin(), ext.end(), wanted.begin(),
                       [](char a, char b) { return ascii::upper(a) == b; })) {
            return true;
        }
    }
    return false;
}

}  // namespace brambleton
