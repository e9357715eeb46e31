// SPDX-License-Identifier: MIT
#include "content/formats/text_codes.h"

#include <array>

#include "common/ascii.h"

namespace brambleton::content {

unsigned codePageOf(std::uint8_t language) noexcept {
    static constexpr std::array<unsigned, 21> kCodePages = {
        1252,                                                  // 0: unused
        1252, 1252, 1252, 1252, 1252, 1252, 1252, 1252, 1252,  // 1-9: Western
        1252, 1252,                                            // 10 Norwegian, 11 Finnish
        1255, 1251, 1252, 932,  1250, 936,  950,  874,  949,   // 12-20
    };
    return language < kCodePages.size() ? kCodePages[language] : 1252;
}

std::uint8_t languageOfLocale(std::string_view locale) noexcept {
    // GNU's LANGUAGE lists several, "fr_CA:fr:en": the first is the one wanted.
    locale = locale.substr(0, locale.find(':'));
    const auto cut = locale.find_first_of("_-.@");
    const std::string language = ascii::toLower(locale.substr(0, cut));
    std::string country;
    if (cut != std::string_view::npos && (locale[cut] == '_' || locale[cut] == '-')) {
        const auto rest = locale.substr(cut + 1);
        country = ascii::toLower(rest.substr(0, rest.find_first_of(".@")));
    }
    struct Name {
        std::string_view language;
        std::uint8_t code;
    };
    static constexpr std::array<Name, 20> kNames = {{
        {"fr", 3},  {"de", 4},  {"it", 5},  {"es", 6},  {"nl", 7},  {"da", 8},  {"sv", 9},
        {"nb", 10}, {"nn", 10}, {"no", 10}, {"fi", 11}, {"he", 12}, {"iw", 12}, {"ru", 13},
        {"pt", 14}, {"ja", 15}, {"pl", 16}, {"th", 19}, {"ko", 20}, {"en", 1},
    }};
    if (language == "en") return country == "gb" || country == "uk" ? 2 : 1;
    if (language == "zh") {
        return country == "tw" || country == "hk" || country == "mo" || country == "hant" ? 18 : 17;
    }
    for (const auto& name : kNames) {
        if (name.language == language) return name.code;
    }
    return kUsEnglish;
}

}  // namespace brambleton::content
