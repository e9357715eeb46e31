// SPDX-License-Identifier: MIT
#include "content/formats/archive_reader.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

#include "common/ascii.h"
#include "content/formats/archive_platform.h"
#include "content/formats/text_codes.h"

namespace brambleton::content {

namespace {

// CP437's upper half, as Unicode.
constexpr std::array<char16_t, 128> kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool endsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           ascii::equalNoCase(text.substr(text.size() - end.size()), end);
}

// The number written in the digits of `name` just before `end`, and where they begin; none
// when there are none.
std::optional<std::pair<unsigned, std::size_t>> numberBefore(std::string_view name,
                                                             std::size_t end) {
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(name[begin - 1])) != 0) --begin;
    if (begin == end || end - begin > 4) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = begin; i < end; ++i) value = value * 10 + unsigned(name[i] - '0');
    return std::make_pair(value, begin);
}

// A RAR 5 header's variable-length number at `at`, advancing it; none when cut short.
std::optional<std::uint64_t> rarNumber(std::string_view head, std::size_t& at) {
    std::uint64_t value = 0;
    for (unsigned shift = 0; at < head.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(head[at++]);
        value |= std::uint64_t(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return value;
    }
    return std::nullopt;
}

// The volume a RAR's main header says the file is: 1 for the first, 0 for a later one whose
// number it does not say; none when it is no volume of a set.
std::optional<unsigned> rarVolume(std::string_view head) {
    // Whole signatures, their NULs included.
    constexpr std::string_view kRar4("Rar!\x1a\x07\x00", 7);
    constexpr std::string_view kRar5("Rar!\x1a\x07\x01\x00", 8);
    if (head.substr(0, kRar5.size()) == kRar5) {
        std::size_t at = kRar5.size() + 4;  // past the header's CRC
        const auto size = rarNumber(head, at);
        const auto type = rarNumber(head, at);
        const auto flags = rarNumber(head, at);
        if (!size || !type || *type != 1 || !flags) return std::nullopt;
        if ((*flags & 1) != 0 && !rarNumber(head, at)) return std::nullopt;
        if ((*flags & 2) != 0 && !rarNumber(head, at)) return std::nullopt;
        const auto archiveFlags = rarNumber(head, at);
        if (!archiveFlags || (*archiveFlags & 1) == 0) return std::nullopt;
        if ((*archiveFlags & 2) == 0) return 1U;
        const auto number = rarNumber(head, at);
        return number ? unsigned(*number + 1) : 0U;
    }
    if (head.substr(0, kRar4.size()) == kRar4 && head.size() >= kRar4.size() + 5 &&
        static_cast<unsigned char>(head[kRar4.size() + 2]) == 0x73) {
        const unsigned flags = static_cast<unsigned char>(head[kRar4.size() + 3]) |
                               (static_cast<unsigned char>(head[kRar4.size() + 4]) << 8);
        if ((flags & 0x0001) == 0) return std::nullopt;
        return (flags & 0x0100) != 0 ? 1U : 0U;
    }
    return std::nullopt;
}

}  // namespace

std::string decodeCp437(std::string_view raw) {
    std::string out;
    out.reserve(raw.size() * 2);
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(out, byte < 0x80 ? char32_t(byte) : char32_t(kCp437[byte - 0x80]));
    }
    return out;
}

namespace {

// The fault of one part of a name, between its slashes.
NameFault partFault(std::string_view part) {
    if (part == "..") return NameFault::kClimbs;
    for (const char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return NameFault::kControl;
        if (std::string_view(":<>|?*\"").find(c) != std::string_view::npos)
            return NameFault::kReserved;
    }
    if (part.back() == '.' || part.back() == ' ') return NameFault::kTrailing;
    // Windows keeps these names for devices, whatever ending follows them.
    const std::string_view stem = part.substr(0, part.find('.'));
    static constexpr std::array<std::string_view, 6> kDevices = {"con", "prn",    "aux",
                                                                 "nul", "conin$", "conout$"};
    const auto device = [&](std::string_view name) { return ascii::equalNoCase(stem, name); };
    if (std::any_of(kDevices.begin(), kDevices.end(), device)) return NameFault::kReserved;
    const bool numbered =
        stem.size() == 4 && std::isdigit(static_cast<unsigned char>(stem[3])) != 0;
    if (numbered && (ascii::equalNoCase(stem.substr(0, 3), "com") ||
                     ascii::equalNoCase(stem.substr(0, 3), "lpt"))) {
        return NameFault::kReserved;
    }
    return NameFault::kNone;
}

}  // namespace

std::string decodeLegacyName(std::string_view raw, std::uint8_t language) {
    const bool drawing = std::any_of(raw.begin(), raw.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0xB0 && byte <= 0xDF;
    });
    return drawing ? textToUtf8(raw, language) : decodeCp437(raw);
}

NameFault nameFault(std::string_view name) {
    if (name.empty()) return NameFault::kEmpty;
    if (name.front() == '/' || name.front() == '\\') return NameFault::kAbsolute;
    if (name.size() >= 2 && name[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(name[0])) != 0) {
        return NameFault::kDrive;
    }
    bool anyPart = false;
    for (std::size_t begin = 0; begin <= name.size();) {
        std::size_t end = name.find_first_of("/\\", begin);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty() || part == ".") continue;
        if (const NameFault fault = partFault(part); fault != NameFault::kNone) return fault;
        anyPart = true;
    }
    return anyPart ? NameFault::kNone : NameFault::kEmpty;
}

bool isArchiveName(std::string_view name) {
    static constexpr std::array<std::string_view, 10> kEndings = {
        ".zip", ".rar", ".7z", ".tar", ".tgz", ".tar.gz", ".tbz2", ".tar.bz2", ".tar.xz", ".exe"};
    for (const auto ending : kEndings) {
        if (endsWithNoCase(name, ending)) return true;
    }
    return false;
}

std::string ArchiveEntry::shown() const {
    std::string out;
    for (const auto& archive : within) out += archive + " \xC2\xBB ";
    return out + name;
}

std::optional<ArchiveFailure> splitPart(const std::filesystem::path& path, std::string_view head) {
    const auto u8 = path.filename().u8string();
    const std::string name(u8.begin(), u8.end());
    std::optional<unsigned> part;
    if (endsWithNoCase(name, ".rar")) {
        const std::size_t end = name.size() - 4;
        const auto number = numberBefore(name, end);
        if (number && number->second >= 5 &&
            ascii::equalNoCase(std::string_view(name).substr(number->second - 5, 5), ".part")) {
            part = number->first;
        }
    } else if (name.size() > 4 && name[name.size() - 4] == '.' &&
               (std::tolower(static_cast<unsigned char>(name[name.size() - 3])) == 'r' ||
                std::tolower(static_cast<unsigned char>(name[name.size() - 3])) == 'z') &&
               std::isdigit(static_cast<unsigned char>(name[name.size() - 2])) != 0 &&
               std::isdigit(static_cast<unsigned char>(name[name.size() - 1])) != 0) {
        // ".r00" is a RAR set's second part, after ".rar"; ".z01" a zip's first, before ".zip".
        const unsigned number =
            unsigned(name[name.size() - 2] - '0') * 10 + unsigned(name.back() - '0');
        const bool rar = std::tolower(static_cast<unsigned char>(name[name.size() - 3])) == 'r';
        part = rar ? number + 2 : number;
    } else if (name.size() > 4 && name[name.size() - 4] == '.' &&
               (endsWithNoCase(std::string_view(name).substr(0, name.size() - 4), ".7z") ||
                endsWithNoCase(std::string_view(name).substr(0, name.size() - 4), ".zip"))) {
        if (const auto number = numberBefore(name, name.size())) part = number->first;
    }
    if (!part) {
        const auto volume = rarVolume(head);
        if (!volume) return std::nullopt;
        part = *volume;
    }
    return ArchiveFailure{ArchiveTrouble::kSplit, *part, {}};
}

// One archive being read: the outer file, or an archive inside it held in memory.
struct ArchiveCursor::Level {
    archive* reader = nullptr;
    std::string bytes;  // an inner archive's bytes, which libarchive reads in place
    std::vector<std::string> within;
    ~Level() {
        if (reader) archive_read_free(reader);
    }
};

namespace {

archive* newReader() {
    archive* reader = archive_read_new();
    archive_read_support_format_zip(reader);
    archive_read_support_format_rar(reader);
    archive_read_support_format_rar5(reader);
    archive_read_support_format_7zip(reader);
    archive_read_support_format_tar(reader);
    archive_read_support_filter_gzip(reader);
    archive_read_support_filter_bzip2(reader);
    archive_read_support_filter_xz(reader);
    return reader;
}

std::string readerWords(archive* reader) {
    const char* words = archive_error_string(reader);
    return words ? words : "the archive's format is not one the program reads";
}

}  // namespace

ArchiveCursor::ArchiveCursor(const std::filesystem::path& file, const ArchiveLimits& limits)
    : limits_(limits), started_(std::chrono::steady_clock::now()) {
    std::string head(64, '\0');
    {
        std::ifstream in(file, std::ios::binary);
        in.read(head.data(), std::streamsize(head.size()));
        head.resize(std::size_t(in.gcount()));
        if (!in && !in.eof()) {
            fail({ArchiveTrouble::kUnreadable, 0, "it could not be opened"});
            return;
        }
    }
    if (auto split = splitPart(file, head)) {
        fail(std::move(*split));
        return;
    }
    auto level = std::make_unique<Level>();
    level->reader = newReader();
    const int opened = openArchiveFile(level->reader, file);
    if (opened != ARCHIVE_OK) {
        fail({ArchiveTrouble::kUnreadable, 0, readerWords(level->reader)});
        return;
    }
    levels_.push_back(std::move(level));
}

ArchiveCursor::ArchiveCursor(std::string bytes, const ArchiveLimits& limits)
    : limits_(limits), started_(std::chrono::steady_clock::now()) {
    auto level = std::make_unique<Level>();
    level->bytes = std::move(bytes);
    if (auto failed = open(*level, 0)) {
        fail(std::move(*failed));
    } else {
        levels_.push_back(std::move(level));
    }
}

ArchiveCursor::~ArchiveCursor() = default;

bool ArchiveCursor::fail(ArchiveFailure failure) {
    failure_ = std::move(failure);
    levels_.clear();
    return false;
}

std::optional<ArchiveFailure> ArchiveCursor::open(Level& level, unsigned depth) const {
    if (depth > limits_.depth) {
        return ArchiveFailure{ArchiveTrouble::kTooLarge, 0,
                              "archives nested more deeply than " + std::to_string(limits_.depth)};
    }
    level.reader = newReader();
    if (archive_read_open_memory(level.reader, level.bytes.data(), level.bytes.size()) !=
        ARCHIVE_OK) {
        return ArchiveFailure{ArchiveTrouble::kUnreadable, 0, readerWords(level.reader)};
    }
    return std::nullopt;
}

bool ArchiveCursor::checked(archive_entry* header) {
    if (++entries_ > limits_.entries) {
        return fail({ArchiveTrouble::kTooLarge, 0,
                     "more than " + std::to_string(limits_.entries) + " entries"});
    }
    if (std::chrono::steady_clock::now() - started_ > limits_.time) {
        return fail({ArchiveTrouble::kTooLarge, 0,
                     "reading took longer than " + std::to_string(limits_.time.count()) + " s"});
    }
    if (archive_entry_is_encrypted(header) != 0) return fail({ArchiveTrouble::kPassword, 0, {}});
    return true;
}

bool ArchiveCursor::readData(Level& level, archive_entry* header, const ArchiveEntry& entry,
                             std::string& bytes) {
    if (entry.size > limits_.entryBytes || bytes_ + entry.size > limits_.bytes) {
        return fail({ArchiveTrouble::kTooLarge, 0, "it unpacks to more than the limit"});
    }
    bytes.reserve(std::size_t(entry.size));
    std::array<char, std::size_t{1} << 16> buffer{};
    for (;;) {
        const la_ssize_t got = archive_read_data(level.reader, buffer.data(), buffer.size());
        if (got == 0) return true;
        if (got < 0) {
            if (archive_entry_is_encrypted(header) != 0)
                return fail({ArchiveTrouble::kPassword, 0, {}});
            return fail(
                {ArchiveTrouble::kUnreadable, 0, entry.shown() + ": " + readerWords(level.reader)});
        }
        bytes.append(buffer.data(), std::size_t(got));
        bytes_ += std::uint64_t(got);
        if (bytes.size() > limits_.entryBytes || bytes_ > limits_.bytes) {
            return fail({ArchiveTrouble::kTooLarge, 0, "it unpacks to more than the limit"});
        }
    }
}

bool ArchiveCursor::next(ArchiveEntry& entry, std::string& bytes) {
    while (!levels_.empty()) {
        Level& level = *levels_.back();
        archive_entry* header = nullptr;
        const int status = archive_read_next_header(level.reader, &header);
        if (status == ARCHIVE_EOF) {
            levels_.pop_back();
            continue;
        }
        if (status < ARCHIVE_WARN)
            return fail({ArchiveTrouble::kUnreadable, 0, readerWords(level.reader)});
        if (!checked(header)) return false;
        entry = {};
        bytes.clear();
        entry.name = archiveEntryName(header);
        entry.within = level.within;
        const auto type = archive_entry_filetype(header);
        entry.folder = type == AE_IFDIR;
        entry.file = type == AE_IFREG && archive_entry_hardlink(header) == nullptr &&
                     archive_entry_symlink(header) == nullptr;
        if (archive_entry_size_is_set(header) != 0) {
            entry.size =
                static_cast<std::uint64_t>(std::max<la_int64_t>(archive_entry_size(header), 0));
        }
        entry.fault = nameFault(entry.name);
        if (!entry.file && !entry.folder && entry.fault == NameFault::kNone)
            entry.fault = NameFault::kLink;
        if (!entry.file || entry.fault != NameFault::kNone) return true;
        if (!readData(level, header, entry, bytes)) return false;
        entry.size = bytes.size();
        if (isArchiveName(entry.name) && !endsWithNoCase(entry.name, ".exe")) {
            // An archive inside: given itself, then its entries, read from memory. The outer
            // archive reads on when only the inner one cannot be opened.
            auto inner = std::make_unique<Level>();
            inner->bytes = bytes;
            inner->within = level.within;
            inner->within.push_back(entry.name);
            entry.failure = open(*inner, unsigned(levels_.size()));
            if (!entry.failure) levels_.push_back(std::move(inner));
        }
        return true;
    }
    return false;
}

}  // namespace brambleton::content
