// SPDX-License-Identifier: MIT
#include "locations/reg_file.h"

#include <algorithm>

#include "common/utf8.h"
#include "locations/registry.h"

namespace brambleton::regfile {
namespace {

constexpr std::string_view kMagic = "WINE REGISTRY Version 2";

char16_t fold(char16_t c) noexcept {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    return c;
}

int hexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one UTF-8 sequence at `at`, moving past it; an invalid byte gives U+FFFD.
char32_t nextCodePoint(std::string_view s, std::size_t& at) {
    char32_t cp;
    const std::size_t length = utf8Sequence(s, at, cp);
    at += length ? length : 1;
    return length ? cp : 0xFFFD;
}

// A cursor over one logical piece of the file. Every read checks the end.
struct Cursor {
    std::string_view s;
    std::size_t at = 0;

    bool done() const noexcept { return at >= s.size(); }
    char peek() const noexcept { return done() ? '\0' : s[at]; }
    bool take(char c) noexcept {
        if (peek() != c || done()) return false;
        ++at;
        return true;
    }
    bool take(std::string_view word) noexcept {
        if (s.substr(at, word.size()) != word) return false;
        at += word.size();
        return true;
    }
};

enum class TextEnd { Closed, Malformed, Stopped };

// The value of the escape after a backslash, which the cursor has passed: a control letter,
// up to four hex digits after "x", up to three octal digits, or any other character standing
// for itself ("\\", "\"", "\[", "\]"). Nothing for a line end, the input's end, or an "x"
// without digits.
std::optional<char32_t> decodeEscape(Cursor& c) {
    if (c.done()) return std::nullopt;
    const char e = c.s[c.at++];
    constexpr std::string_view kLetters = "abtnvfre";
    constexpr char32_t kControls[] = {u'\a', u'\b', u'\t', u'\n', u'\v', u'\f', u'\r', u'\x1b'};
    if (const auto letter = kLetters.find(e); letter != std::string_view::npos) {
        return kControls[letter];
    }
    if (e == '\n') return std::nullopt;
    if (e == 'x') {
        char32_t value = 0;
        int digits = 0;
        while (digits < 4 && !c.done() && hexDigit(c.s[c.at]) >= 0) {
            value = value * 16 + static_cast<char32_t>(hexDigit(c.s[c.at++]));
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        return value;
    }
    if (e >= '0' && e <= '7') {
        auto value = static_cast<char32_t>(e - '0');
        for (int digits = 1; digits < 3 && !c.done() && c.s[c.at] >= '0' && c.s[c.at] <= '7';
             ++digits) {
            value = value * 8 + static_cast<char32_t>(c.s[c.at++] - '0');
        }
        return value;
    }
    --c.at;
    return nextCodePoint(c.s, c.at);
}

// Decodes escaped text up to the unescaped `close` character, which is consumed, handing each
// UTF-16 code unit to `sink`; a sink that returns false stops the decoding there. Malformed
// on a line end or the end of the input before the close.
template <typename Sink>
TextEnd decodeText(Cursor& c, char close, Sink&& sink) {
    std::u16string units;
    auto emit = [&](char32_t cp) {
        units.clear();
        appendCodePoint(units, cp);
        for (const char16_t u : units) {
            if (!sink(u)) return false;
        }
        return true;
    };
    while (!c.done()) {
        const char ch = c.s[c.at];
        if (ch == close) {
            ++c.at;
            return TextEnd::Closed;
        }
        if (ch == '\n') return TextEnd::Malformed;
        if (ch != '\\') {
            if (!emit(nextCodePoint(c.s, c.at))) return TextEnd::Stopped;
            continue;
        }
        ++c.at;
        const auto value = decodeEscape(c);
        if (!value) return TextEnd::Malformed;
        // Escapes name UTF-16 code units, surrogate halves included: pass them through as
        // they are so a pair written as two escapes joins again.
        if (*value <= 0xFFFF) {
            if (!sink(static_cast<char16_t>(*value))) return TextEnd::Stopped;
        } else if (!emit(*value)) {
            return TextEnd::Stopped;
        }
    }
    return TextEnd::Malformed;
}

// Text longer than this many UTF-16 units is kept only up to one unit past it: no value the
// program reads (a folder path, a name) is longer than Windows allows a path, and a value of
// many megabytes must cost neither the memory nor the time of converting it whole.
constexpr std::size_t kLongestText = 32767;

std::optional<std::u16string> parseText(Cursor& c, char close) {
    std::u16string out;
    if (decodeText(c, close, [&](char16_t u) {
            if (out.size() <= kLongestText) out.push_back(u);
            return true;
        }) != TextEnd::Closed) {
        return std::nullopt;
    }
    return out;
}

// Whether the escaped text before `close` decodes to `name`, case ignored. Stops at the first
// unit that differs, so most keys of a large file are rejected after a few characters.
bool textEquals(Cursor& c, char close, std::u16string_view name) {
    std::size_t i = 0;
    const auto end = decodeText(c, close, [&](char16_t u) {
        if (i >= name.size() || fold(u) != fold(name[i])) return false;
        ++i;
        return true;
    });
    return end == TextEnd::Closed && i == name.size();
}

void appendUtf16Le(std::vector<std::uint8_t>& data, std::u16string_view text) {
    for (const char16_t u : text) {
        data.push_back(static_cast<std::uint8_t>(u & 0xFF));
        data.push_back(static_cast<std::uint8_t>(u >> 8));
    }
}

bool atLineEnd(const Cursor& c) noexcept {
    return c.done() || c.peek() == '\n' || c.peek() == '\r';
}

// One byte as two hex digits.
std::optional<std::uint8_t> parseHexByte(Cursor& c) {
    const int hi = c.done() ? -1 : hexDigit(c.peek());
    if (hi < 0) return std::nullopt;
    ++c.at;
    const int lo = c.done() ? -1 : hexDigit(c.peek());
    if (lo < 0) return std::nullopt;
    ++c.at;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

// Comma-separated hex bytes; a "\" after a comma continues on the next line.
std::optional<std::vector<std::uint8_t>> parseHexBytes(Cursor& c) {
    std::vector<std::uint8_t> bytes;
    if (atLineEnd(c)) return bytes;
    for (;;) {
        const auto byte = parseHexByte(c);
        if (!byte) return std::nullopt;
        bytes.push_back(*byte);
        if (!c.take(',')) {
            if (atLineEnd(c)) return bytes;
            return std::nullopt;
        }
        // A comma is always followed by another byte, after a line continuation or not;
        // a comma at the end is a value cut short.
        if (c.take('\\')) {
            c.take('\r');
            if (!c.take('\n')) return std::nullopt;
            while (c.peek() == ' ' || c.peek() == '\t') ++c.at;
        }
        if (c.done() || hexDigit(c.peek()) < 0) return std::nullopt;
    }
}

std::optional<std::uint32_t> parseTypeNumber(Cursor& c) {
    std::uint32_t n = 0;
    int digits = 0;
    while (!c.done() && hexDigit(c.peek()) >= 0 && digits < 8) {
        n = n * 16 + static_cast<std::uint32_t>(hexDigit(c.s[c.at++]));
        ++digits;
    }
    if (digits == 0 || !c.take("):")) return std::nullopt;
    return n;
}

// The data after "dword:": eight hex digits, stored little-endian.
std::optional<std::vector<std::uint8_t>> parseDword(Cursor& c) {
    std::uint32_t n = 0;
    for (int i = 0; i < 8; ++i) {
        const int d = c.done() ? -1 : hexDigit(c.peek());
        if (d < 0) return std::nullopt;
        ++c.at;
        n = n * 16 + static_cast<std::uint32_t>(d);
    }
    std::vector<std::uint8_t> data(4);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(n >> (8 * i));
    return data;
}

// The data after "hex": ":" for binary or "(TYPE):" for another type, then the bytes.
bool parseHexValue(Cursor& c, Value& v) {
    v.type = kRegBinary;
    if (c.take('(')) {
        const auto type = parseTypeNumber(c);
        if (!type) return false;
        v.type = *type;
    } else if (!c.take(':')) {
        return false;
    }
    auto bytes = parseHexBytes(c);
    if (!bytes) return false;
    v.data = std::move(*bytes);
    return true;
}

// The data after an opening quote, stored as UTF-16 with its terminating NUL.
bool parseTextValue(Cursor& c, std::uint32_t type, Value& v) {
    auto text = parseText(c, '"');
    if (!text) return false;
    v.type = type;
    appendUtf16Le(v.data, *text);
    appendUtf16Le(v.data, std::u16string_view(u"\0", 1));
    return true;
}

// One value line (with its continuation lines); the cursor ends at the line end.
std::optional<Value> parseValue(Cursor& c) {
    Value v;
    if (c.take('"')) {
        auto name = parseText(c, '"');
        if (!name) return std::nullopt;
        v.name = std::move(*name);
    } else if (!c.take('@')) {  // "@" is the default value: empty name
        return std::nullopt;
    }
    if (!c.take('=')) return std::nullopt;

    bool parsed = false;
    if (c.take('"')) {
        parsed = parseTextValue(c, kRegSz, v);
    } else if (c.take("str(")) {
        const auto type = parseTypeNumber(c);
        parsed = type && c.take('"') && parseTextValue(c, *type, v);
    } else if (c.take("dword:")) {
        auto data = parseDword(c);
        if (data) {
            v.type = kRegDword;
            v.data = std::move(*data);
        }
        parsed = data.has_value();
    } else if (c.take("hex")) {
        parsed = parseHexValue(c, v);
    }
    if (!parsed) return std::nullopt;
    return v;
}

std::size_t lineEnd(std::string_view text, std::size_t from) noexcept {
    const auto end = text.find('\n', from);
    return end == std::string_view::npos ? text.size() : end;
}

}  // namespace

bool isRegistryFile(std::string_view text) noexcept {
    return text.substr(0, kMagic.size()) == kMagic;
}

Arch architecture(std::string_view text) noexcept {
    if (!isRegistryFile(text)) return Arch::Unknown;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = lineEnd(text, at);
        const auto line = text.substr(at, end - at);
        if (!line.empty() && line[0] == '[') break;  // the header is over
        if (line.substr(0, 6) == "#arch=") {
            const auto arch = line.substr(6);
            if (arch.substr(0, 5) == "win64") return Arch::Win64;
            if (arch.substr(0, 5) == "win32") return Arch::Win32;
        }
        at = end + 1;
    }
    return Arch::Unknown;
}

bool equalNames(std::u16string_view a, std::u16string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::optional<std::vector<Value>> findKey(std::string_view text, std::u16string_view keyPath) {
    if (!isRegistryFile(text)) return std::nullopt;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = lineEnd(text, at);
        if (text[at] != '[') {
            at = end + 1;
            continue;
        }
        Cursor header{text.substr(0, end), at + 1};
        at = end + 1;
        if (!textEquals(header, ']', keyPath)) continue;

        // The key's block: its lines up to the next empty line or key header.
        std::vector<Value> values;
        while (at < text.size() && text[at] != '\n' && text[at] != '[') {
            Cursor line{text, at};
            if (text[at] != '#') {
                if (auto value = parseValue(line)) values.push_back(std::move(*value));
            }
            // A value that failed may have stopped inside a continued hex line; go on from
            // the end of the physical line where it stopped.
            at = lineEnd(text, std::max(line.at, at)) + 1;
        }
        return values;
    }
    return std::nullopt;
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    for (std::size_t at = 0; at < text.size();) appendCodePoint(out, nextCodePoint(text, at));
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace brambleton::regfile
