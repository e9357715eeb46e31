#include "app/terminal_text.h"

#include <cstdio>

#include "common/utf8.h"

namespace brambleton {
namespace {

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is not one.
std::size_t utf8Length(std::string_view s) {
    char32_t ignored;
    return utf8Sequence(s, 0, ignored);
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
