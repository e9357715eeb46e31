// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/game_folders.h"

namespace brambleton {

// The five categories, in the order the window offers them (the order of the game's folders
// that a category shows); the first is chosen at start-up.
inline constexpr auto kContentCategories = [] {
    std::array<ContentCategory, categoryCount()> categories{};
    std::size_t next = 0;
    for (const auto& folder : kGameFolders) {
        if (!folder.category.caption.empty()) categories[next++] = folder.category;
    }
    return categories;
}();
static_assert(kContentCategories.size() == 5);

// Where a category's lists point for a given install folder.
struct CategoryLocation {
    std::string drive;       // the install folder's first two characters, such as "C:"
    std::string folderPath;  // the install folder followed directly by the category's folder
    std::string pattern;
};

// For an install folder that is a host path ("/home/..."), the drive is "/" and the category's
// folder is joined with "/" in place of "\".
CategoryLocation locateCategory(const ContentCategory& category, const std::string& installPath);

// The category whose caption is `caption`, case ignored; null when there is none.
const ContentCategory* findCategory(std::string_view caption) noexcept;

}  // namespace brambleton
