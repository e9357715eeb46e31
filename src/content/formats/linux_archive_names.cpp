// SPDX-License-Identifier: MIT
// Compiled by the Linux build only: archives opened by their path as bytes, names without a
// UTF-8 flag read as UTF-8 when they are, else as CP437 or the desktop's code page.
#include "content/formats/archive_platform.h"
#include "content/formats/archive_reader.h"
#include "content/formats/text_codes.h"

namespace brambleton::content {

int openArchiveFile(archive* reader, const std::filesystem::path& path) {
    return archive_read_open_filename(reader, path.c_str(), 1 << 16);
}

std::string archiveEntryName(archive_entry* entry) {
    if (const char* utf8 = archive_entry_pathname_utf8(entry); utf8 && validUtf8(utf8)) return utf8;
    // A name without its UTF-8 flag comes as its bytes: UTF-8 when they are, else CP437 or
    // the desktop's code page.
    const char* raw = archive_entry_pathname(entry);
    if (!raw) return {};
    return validUtf8(raw) ? std::string(raw) : decodeLegacyName(raw, desktopLanguage());
}

}  // namespace brambleton::content
