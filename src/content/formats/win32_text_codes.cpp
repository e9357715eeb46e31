// SPDX-License-Identifier: MIT
// Compiled by the Windows build only: text in the game's code pages through
// MultiByteToWideChar.
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/win32_text.h"
#include "content/formats/text_codes.h"

namespace brambleton::content {

std::string textToUtf8(std::string_view bytes, std::uint8_t language) {
    if (bytes.empty()) return {};
    const UINT codePage = codePageOf(language);
    const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 24));
    // Without MB_ERR_INVALID_CHARS, bytes that are no character become U+FFFD (or the code
    // page's default character, which is then shown as it is).
    const int wide = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (wide <= 0) {
        std::string out;
        for (const char c : bytes) {
            out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        }
        return out;
    }
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), wide);
    return win32::fromWide(text);
}

std::uint8_t desktopLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) <= 0) return kUsEnglish;
    return languageOfLocale(win32::fromWide(name));
}

}  // namespace brambleton::content
