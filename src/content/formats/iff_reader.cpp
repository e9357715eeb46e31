// SPDX-License-Identifier: MIT
#include "content/formats/iff_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/ascii.h"

namespace brambleton::content {
namespace {

constexpr std::string_view kSignature = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
// The older header the game still reads (its saves and early objects carry it): all text, its
// last four bytes the end of that text rather than a resource map's offset.
constexpr std::string_view kSignature20 = "IFF FILE 2.0:TYPE FOLLOWED BY SIZE";
constexpr std::size_t kFileHeader = 64;   // the signature's 60 bytes and the map's offset
constexpr std::size_t kChunkHeader = 76;  // type, size, ID, flags, label
constexpr std::size_t kGuidOffset = 28;   // in an OBJD's data
constexpr std::size_t kObjdNeeded = kGuidOffset + 4;
constexpr std::size_t kObjdRead = 140;  // up to the build-mode type
// The game reads a chunk's size as a signed 32-bit number: a larger one is a damaged header,
// not a file that stopped early.
constexpr std::uint32_t kLargestChunk = 0x7fffffff;

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
           p[0];
}

// A chunk's type as text a player can read: its four characters, any that is not printable
// ASCII shown as '?'.
std::string typeText(const unsigned char* p) {
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += (p[i] >= 0x20 && p[i] < 0x7f) ? static_cast<char>(p[i]) : '?';
    return out;
}

std::string number(std::uint64_t n) {
    return std::to_string(n);
}

std::uint16_t littleEndian16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// The fields of an OBJD whose first `length` data bytes are in `data` (zeros past them).
ObjectDefinition definitionOf(std::uint16_t chunkId, const unsigned char* data) {
    ObjectDefinition d;
    d.chunkId = chunkId;
    d.version = littleEndian32(data);
    d.type = littleEndian16(data + 18);
    d.masterId = littleEndian16(data + 20);
    d.subIndex = static_cast<std::int16_t>(littleEndian16(data + 22));
    d.guid = littleEndian32(data + kGuidOffset);
    d.disabled = littleEndian16(data + 32);
    d.price = littleEndian16(data + 36);
    d.roomFlags = littleEndian16(data + 78);
    d.functionFlags = littleEndian16(data + 80);
    d.catalogStrings = littleEndian16(data + 82);
    d.buildModeType = littleEndian16(data + 138);
    return d;
}

bool isResource(std::string_view type) {
    return type == "CTSS" || type == "STR#" || type == "BMP_";
}

IffSummary faulted(IffSummary summary, FormatFault::Kind kind, std::string detail) {
    summary.fault = FormatFault{kind, std::move(detail)};
    return summary;
}

}  // namespace

std::string recogniseForeignBytes(std::string_view start) {
    std::string_view text = start;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty() &&
           (text[0] == ' ' || text[0] == '\t' || text[0] == '\r' || text[0] == '\n')) {
        text.remove_prefix(1);
    }
    if (text.size() >= 2 && text[0] == '<' &&
        (text[1] == '!' || text[1] == '?' ||
         (ascii::lower(text[1]) >= 'a' && ascii::lower(text[1]) <= 'z'))) {
        return "a web page (HTML) saved under this name, not game content: most likely a failed "
               "download";
    }
    struct Magic {
        std::string_view bytes;
        const char* what;
    };
    static const std::array<Magic, 10> kMagic = {{
        {"PK\x03\x04", "a ZIP archive"},
        {"PK\x05\x06", "an empty ZIP archive"},
        {"Rar!\x1a\x07", "a RAR archive"},
        {"7z\xbc\xaf\x27\x1c", "a 7z archive"},
        {"%PDF", "a PDF document"},
        {"\x89PNG", "a PNG picture"},
        {"\xff\xd8\xff", "a JPEG picture"},
        {"GIF8", "a GIF picture"},
        {"MZ", "a Windows program"},
        {"{\\rtf", "a text document (RTF)"},
    }};
    for (const auto& magic : kMagic) {
        if (start.starts_with(magic.bytes)) {
            return std::string(magic.what) +
                   " under a game file's name, which the game cannot read";
        }
    }
    return {};
}

namespace {

// Why bytes that do not begin with the IFF signature are not this file's format.
std::string signatureFault(std::string_view start, std::uint64_t size, const std::string& it,
                           FormatFault::Kind& kind) {
    kind = FormatFault::kNotThisFormat;
    if (kSignature.starts_with(start)) {
        kind = FormatFault::kTruncated;
        return "This " + it + " is cut short: it ends at byte " + number(size) +
               ", inside its header. Most likely the download stopped early.";
    }
    if (start.starts_with("FAR!byAZ")) {
        return "This " + it + " is a FAR archive, not an IFF file: rename it to end in .far.";
    }
    const std::string foreign = recogniseForeignBytes(start);
    return foreign.empty() ? "This " + it +
                                 " is not an IFF file: it does not begin with the IFF "
                                 "signature. It is damaged or not for this game."
                           : "This " + it + " is " + foreign + ".";
}

// Reads the chunk header at `at` and, for an object definition, the object's ID into
// `summary`; the chunk's length, or the fault that ends the reading.
std::optional<std::uint32_t> readChunk(ByteSource& bytes, std::uint64_t at, std::uint64_t size,
                                       const std::string& it, bool definitions,
                                       IffSummary& summary) {
    const std::string which = "chunk " + number(summary.chunks + 1);
    if (size - at < kChunkHeader) {
        summary.fault = FormatFault{FormatFault::kTruncated,
                                    "This " + it + " is cut short: it ends at byte " +
                                        number(size) + ", inside the header of its " + which +
                                        ". Most likely the download stopped early."};
        return std::nullopt;
    }
    unsigned char chunk[kChunkHeader];
    if (bytes.read(at, chunk, sizeof chunk) < sizeof chunk) {
        throw ReadError(
            "it became shorter while it was being read: something changed it "
            "during the check");
    }
    const std::uint32_t length = bigEndian32(chunk + 4);
    const std::string type = typeText(chunk);
    if (length < kChunkHeader) {
        summary.fault = FormatFault{FormatFault::kDamaged,
                                    "This " + it + " is damaged: its " + which + " (" + type +
                                        ") at byte " + number(at) + " gives a size of " +
                                        number(length) + " bytes, less than its own header."};
        return std::nullopt;
    }
    if (length > kLargestChunk) {
        summary.fault = FormatFault{FormatFault::kDamaged,
                                    "This " + it + " is damaged: its " + which + " (" + type +
                                        ") at byte " + number(at) + " gives a size of " +
                                        number(length) + " bytes, more than any chunk can hold."};
        return std::nullopt;
    }
    if (length > size - at) {
        summary.fault =
            FormatFault{FormatFault::kTruncated,
                        "This " + it + " is cut short: its " + which + " (" + type +
                            ") runs to byte " + number(at + length) + ", past its end at byte " +
                            number(size) + ". Most likely the download stopped early."};
        return std::nullopt;
    }
    const std::string_view kind(reinterpret_cast<const char*>(chunk), 4);
    const auto chunkId = static_cast<std::uint16_t>((chunk[8] << 8) | chunk[9]);
    if (definitions && isResource(kind)) {
        summary.resources.push_back(
            {std::string(kind), chunkId, at + kChunkHeader, length - kChunkHeader});
    }
    if (kind != "OBJD") return length;
    if (length - kChunkHeader < kObjdNeeded) {
        summary.fault = FormatFault{FormatFault::kDamaged,
                                    "This " + it + " is damaged: its object definition (" + which +
                                        ") is " + number(length - kChunkHeader) +
                                        " bytes, too short to hold the object's ID."};
        return std::nullopt;
    }
    unsigned char data[kObjdRead] = {};
    const std::size_t wanted =
        definitions ? std::min<std::size_t>(kObjdRead, length - kChunkHeader) : kObjdNeeded;
    if (bytes.read(at + kChunkHeader, data, wanted) < wanted) {
        throw ReadError(
            "it became shorter while it was being read: something changed it "
            "during the check");
    }
    summary.guids.push_back(littleEndian32(data + kGuidOffset));
    if (definitions) {
        summary.definitions.push_back(definitionOf(chunkId, data));
        const auto* label = reinterpret_cast<const char*>(chunk + 12);
        summary.definitions.back().label.assign(label, strnlen(label, 64));
    }
    return length;
}

}  // namespace

std::optional<std::string> readChunkBytes(ByteSource& bytes, const ChunkPlace& place,
                                          std::uint64_t largest) {
    if (place.size > largest || place.offset > bytes.size() ||
        bytes.size() - place.offset < place.size) {
        return std::nullopt;
    }
    std::string data(static_cast<std::size_t>(place.size), '\0');
    if (bytes.read(place.offset, data.data(), data.size()) < data.size()) {
        throw ReadError("it became shorter while it was being read");
    }
    return data;
}

IffSummary readIff(ByteSource& bytes, std::string_view what, bool definitions) {
    IffSummary summary;
    const std::uint64_t size = bytes.size();
    const std::string it(what);
    if (size == 0) {
        return faulted(summary, FormatFault::kTruncated, "This " + it + " is empty (0 bytes).");
    }
    unsigned char header[kFileHeader] = {};
    const std::size_t got = bytes.read(0, header, sizeof header);
    const std::string_view start(reinterpret_cast<const char*>(header), got);
    const bool older = start.starts_with(kSignature20);
    if (!start.starts_with(kSignature) && !older) {
        FormatFault::Kind kind{};
        std::string detail = signatureFault(start, size, it, kind);
        return faulted(summary, kind, std::move(detail));
    }
    if (got < kFileHeader) {
        return faulted(summary, FormatFault::kTruncated,
                       "This " + it + " is cut short: it ends at byte " + number(size) +
                           ", inside its 64-byte header. Most likely the download stopped early.");
    }
    // The resource map's offset is checked once the chunks are read: in a file cut short,
    // the chunk the file ends in says so more plainly.
    const std::uint32_t map = older ? 0 : bigEndian32(header + 60);
    for (std::uint64_t at = kFileHeader; at < size;) {
        const auto length = readChunk(bytes, at, size, it, definitions, summary);
        if (!length) return summary;
        ++summary.chunks;
        at += *length;
    }
    if (map != 0 && (map < kFileHeader || map > size || size - map < kChunkHeader)) {
        std::string where = map < kFileHeader ? "inside the header itself"
                            : map >= size     ? "past its end at byte " + number(size)
                                              : "too close to its end at byte " + number(size) +
                                                " for the map's 76-byte header";
        return faulted(summary, FormatFault::kPastEnd,
                       "This " + it + " is damaged: its header puts the resource map at byte " +
                           number(map) + ", " + where + ".");
    }
    return summary;
}

}  // namespace brambleton::content
