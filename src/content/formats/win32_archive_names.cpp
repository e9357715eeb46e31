// SPDX-License-Identifier: MIT
// Compiled by the Windows build only: archives opened by their wide path, names decoded by
// libarchive.
#include "common/win32_text.h"
#include "content/formats/archive_platform.h"
#include "content/formats/archive_reader.h"

namespace brambleton::content {

int openArchiveFile(archive* reader, const std::filesystem::path& path) {
    return archive_read_open_filename_w(reader, path.c_str(), 1 << 16);
}

std::string archiveEntryName(archive_entry* entry) {
    // libarchive decodes a name without its UTF-8 flag in the desktop's OEM code page, as
    // Windows' own zip folders do.
    if (const wchar_t* wide = archive_entry_pathname_w(entry)) return win32::fromWide(wide);
    const char* raw = archive_entry_pathname(entry);
    if (!raw) return {};
    return validUtf8(raw) ? std::string(raw) : decodeCp437(raw);
}

}  // namespace brambleton::content
