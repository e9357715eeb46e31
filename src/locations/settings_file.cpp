// SPDX-License-Identifier: MIT
#include "locations/settings_file.h"

#include "common/ascii.h"
#include "locations/machine.h"
#include "locations/small_file.h"

namespace fs = std::filesystem;

namespace brambleton::settings {
namespace {

// A settings file is a few lines; anything larger is not ours.
constexpr std::size_t kMaxSettingsFile = std::size_t{1} << 20;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        if (code > 0xFFFF) code = 0xFFFD;
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Undoes QSettings' escaping of one value: quoted runs, "\" escapes and "\x" hex codes. An
// unquoted "," makes the value a list, which is not a text.
std::optional<std::string> unescape(std::string_view raw) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            return std::nullopt;
        } else if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[++i];
            switch (e) {
                case 'a':
                    out += '\a';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'v':
                    out += '\v';
                    break;
                case '0':
                    out += '\0';
                    break;
                case 'x': {
                    unsigned long code = 0;
                    int digits = 0;
                    while (i + 1 < raw.size() && hexDigit(raw[i + 1]) >= 0 && digits < 4) {
                        code = code * 16 + static_cast<unsigned long>(hexDigit(raw[++i]));
                        ++digits;
                    }
                    appendUtf8(out, code);
                    break;
                }
                default:
                    out += e;  // "\\", "\"", "\;" and the like stand for themselves
            }
        } else if (c == ';' && !quoted) {
            break;  // a comment
        } else {
            out += c;
        }
    }
    if (out.starts_with("@@")) return out.substr(1);
    if (out.starts_with('@')) return std::nullopt;  // another type: @ByteArray(...), @Variant(...)
    return out;
}

}  // namespace

fs::path file(const HostEnvironment& environment) {
    return environment.configFolder / "brambleton" / "brambleton.ini";
}

std::optional<std::string> readString(std::string_view text, std::string_view group,
                                      std::string_view key) {
    bool inGroup = false;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = std::min(text.find('\n', at), text.size());
        const auto line = trim(text.substr(at, end - at));
        at = end + 1;
        if (line.starts_with('[') && line.ends_with(']')) {
            inGroup = ascii::equalNoCase(trim(line.substr(1, line.size() - 2)), group);
            continue;
        }
        const auto equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos) continue;
        if (trim(line.substr(0, equals)) != key) continue;
        return unescape(trim(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<fs::path> chosenFolder(const fs::path& settingsFile) {
    const auto read = readSmallFile(settingsFile, kMaxSettingsFile);
    if (read.problem != FileProblem::None) return std::nullopt;
    auto value = readString(read.text, kGroup, kChosenFolder);
    if (!value || value->empty()) return std::nullopt;
    return fs::path(std::u8string(value->begin(), value->end()));
}

}  // namespace brambleton::settings
