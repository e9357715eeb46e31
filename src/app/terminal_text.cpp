#include "app/terminal_text.h"

#include <cstdio>

namespace brambleton {
namespace {

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is not one.
std::size_t utf8Length(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t len;
    unsigned min;
    unsigned cp;
    if (b0 < 0x80) return 1;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else
        return 0;
    if (s.size() < len) return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

std::string hexEscape(unsigned char b, const char* form) {
    char buf[8];
    std::snprintf(buf, sizeof buf, form, b);
    return buf;
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto b = static_cast<unsigned char>(text[0]);
        const std::size_t len = utf8Length(text);
        if (len == 0) {
            out += hexEscape(b, "\\x%02x");
            text.remove_prefix(1);
            continue;
        }
        if (b == '\n')
            out += "\\n";
        else if (b == '\t')
            out += "\\t";
        else if (b == '\r')
            out += "\\r";
        else if (b < 0x20 || b == 0x7F)
            out += hexEscape(b, "\\x%02x");
        else if (len == 2 && b == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            out += "\\u00" + hexEscape(static_cast<unsigned char>(text[1]), "%02x");  // C1 control
        } else
            out.append(text.substr(0, len));
        text.remove_prefix(len);
    }
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const auto b = static_cast<unsigned char>(text[0]);
        const std::size_t len = utf8Length(text);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        if (b == '"')
            out += "\\\"";
        else if (b == '\\')
            out += "\\\\";
        else if (b < 0x20)
            out += "\\u00" + hexEscape(b, "%02x");
        else
            out.append(text.substr(0, len));
        text.remove_prefix(len);
    }
    return out + "\"";
}

}  // namespace brambleton
