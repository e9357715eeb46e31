// SPDX-License-Identifier: MIT
#include "locations/content_category.h"

#include <algorithm>

#include "common/ascii.h"

namespace brambleton {
namespace {

// Byte length of the first `count` characters of UTF-8 text.
std::size_t leadingCharacters(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size() && seen < count; ++seen) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return at;
}

}  // namespace

CategoryLocation locateCategory(const ContentCategory& category, const std::string& installPath) {
    std::string folder(category.folder);
    if (!installPath.empty() && installPath.front() == '/') {
        // A copy outside any Wine prefix (Steam's on Linux) is a host folder on the drive "/",
        // and its folders are joined with the host's separator.
        std::replace(folder.begin(), folder.end(), '\\', '/');
        return {"/", installPath + folder, std::string(category.pattern)};
    }
    return {
        installPath.substr(0, leadingCharacters(installPath, 2)),
        installPath + folder,
        std::string(category.pattern),
    };
}

const ContentCategory* findCategory(std::string_view caption) noexcept {
    for (const auto& category : kContentCategories) {
        if (ascii::equalNoCase(category.caption, caption)) return &category;
    }
    return nullptr;
}

}  // namespace brambleton
