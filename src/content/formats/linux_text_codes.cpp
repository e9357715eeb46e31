// SPDX-License-Identifier: MIT
// Compiled by the Linux build only: text in the game's code pages through iconv.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "content/formats/text_codes.h"

namespace brambleton::content {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::string asciiOnly(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
        } else {
            out += kReplacement;
        }
    }
    return out;
}

}  // namespace

std::string textToUtf8(std::string_view bytes, std::uint8_t language) {
    const std::string from = "CP" + std::to_string(codePageOf(language));
    iconv_t convert = iconv_open("UTF-8", from.c_str());
    // iconv_open's failure is (iconv_t)-1, as POSIX gives it.
    if (convert == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
        return asciiOnly(bytes);
    }
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = iconv(convert, &in, &left, &to, &room);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // A byte that is no character of the code page, or a character cut off at the end.
        out += kReplacement;
        ++in;
        --left;
    }
    // A code page such as Windows-1255 holds back a last letter that a mark could still
    // join: it is let out here.
    char* to = buffer;
    std::size_t room = sizeof buffer;
    iconv(convert, nullptr, nullptr, &to, &room);
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    iconv_close(convert);
    return out;
}

std::uint8_t desktopLanguage() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value && std::string_view(value) != "C" &&
            std::string_view(value) != "POSIX") {
            return languageOfLocale(value);
        }
    }
    return kUsEnglish;
}

}  // namespace brambleton::content
