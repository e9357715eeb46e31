// SPDX-License-Identifier: MIT
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "common/utf8.h"

namespace brambleton::content {

// Opens the archive at `path` for `reader`, as the platform names files.
int openArchiveFile(archive* reader, const std::filesystem::path& path);

// An entry's name as UTF-8, however the archive stored it.
std::string archiveEntryName(archive_entry* entry);

inline bool validUtf8(std::string_view text) {
    char32_t cp = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8Sequence(text, at, cp);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

}  // namespace brambleton::content
