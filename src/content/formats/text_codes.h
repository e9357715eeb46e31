// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brambleton::content {

// The game's languages, as string tables number them (the Sims technical aspects' notes,
// "Language code"): 1 US English, 2 UK English, 3 French, 4 German, 5 Italian, 6 Spanish,
// 7 Dutch, 8 Danish, 9 Swedish, 10 Norwegian, 11 Finnish, 12 Hebrew, 13 Russian,
// 14 Portuguese, 15 Japanese, 16 Polish, 17 Simplified Chinese, 18 Traditional Chinese,
// 19 Thai, 20 Korean.
inline constexpr std::uint8_t kUsEnglish = 1;

// The Windows code page a language's strings are written in: 1252 for the Western languages,
// 1255 Hebrew, 1251 Russian, 932 Japanese, 1250 Polish, 936 Simplified Chinese (GBK),
// 950 Traditional Chinese (Big5), 874 Thai, 949 Korean. 1252 for a code outside 1 to 20.
unsigned codePageOf(std::uint8_t language) noexcept;

// The game's language for a locale's name ("fr_FR.UTF-8", "pt-BR", "zh_TW", "en_GB", or a
// list such as "fr_CA:fr:en", of which the first counts): the language part, and for
// English and Chinese the country; US English when it is none of the game's.
std::uint8_t languageOfLocale(std::string_view locale) noexcept;

// The game's language for the desktop's, worked out in this one place for the windows and
// the counter alike: on Linux from the locale's variables as gettext reads them (LANGUAGE,
// LC_ALL, LC_MESSAGES, LANG), on Windows from the user's locale.
std::uint8_t desktopLanguage();

// `bytes` in the code page of `language`, as UTF-8, converted by the platform (iconv,
// MultiByteToWideChar): bytes that do not convert become U+FFFD. Where the platform lacks
// the code page, ASCII stays and every other byte becomes U+FFFD.
std::string textToUtf8(std::string_view bytes, std::uint8_t language);

}  // namespace brambleton::content
