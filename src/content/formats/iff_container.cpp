// SPDX-License-Identifier: MIT
#include "content/formats/iff_container.h"

#include <array>
#include <cstring>

#include "common/ascii.h"

namespace brambleton::content {
namespace {

constexpr std::string_view kSignature25 = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
constexpr std::string_view kSignature20 = "IFF FILE 2.0:TYPE FOLLOWED BY SIZE";
constexpr std::string_view kFarSignature = "FAR!byAZ";

FormatFault fault(FormatFault::Kind kind, FormatFault::Code code, std::uint64_t size) {
    FormatFault out;
    out.kind = kind;
    out.code = code;
    out.size = size;
    return out;
}

// The fault of the chunk header `chunk` (its first 8 bytes read) at `at`, or none when its
// length fits the file.
std::optional<FormatFault> lengthFault(const unsigned char* chunk, std::uint64_t at,
                                       std::uint64_t size, std::uint32_t number) {
    const std::uint32_t length = bigEndian32(chunk + 4);
    FormatFault out;
    if (length < kIffChunkHeader) {
        out = fault(FormatFault::kDamaged, FormatFault::Code::kChunkSmall, size);
    } else if (length > kIffLargestChunk) {
        out = fault(FormatFault::kDamaged, FormatFault::Code::kChunkLarge, size);
    } else if (length > size - at) {
        out = fault(FormatFault::kTruncated, FormatFault::Code::kChunkPastEnd, size);
    } else {
        return std::nullopt;
    }
    out.item = number;
    out.at = at;
    out.number = out.code == FormatFault::Code::kChunkPastEnd ? at + length : length;
    out.name.assign(reinterpret_cast<const char*>(chunk), 4);
    return out;
}

}  // namespace

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
           p[0];
}

std::uint16_t littleEndian16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::optional<FormatFault::ForeignBytes> recogniseForeignBytes(std::string_view start) {
    std::string_view text = start;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty() &&
           (text[0] == ' ' || text[0] == '\t' || text[0] == '\r' || text[0] == '\n')) {
        text.remove_prefix(1);
    }
    if (text.size() >= 2 && text[0] == '<' &&
        (text[1] == '!' || text[1] == '?' ||
         (ascii::lower(text[1]) >= 'a' && ascii::lower(text[1]) <= 'z'))) {
        return FormatFault::kWebPage;
    }
    struct Magic {
        std::string_view bytes;
        FormatFault::ForeignBytes what;
    };
    static const std::array<Magic, 10> kMagic = {{
        {"PK\x03\x04", FormatFault::kZip},
        {"PK\x05\x06", FormatFault::kEmptyZip},
        {"Rar!\x1a\x07", FormatFault::kRar},
        {"7z\xbc\xaf\x27\x1c", FormatFault::k7z},
        {"%PDF", FormatFault::kPdf},
        {"\x89PNG", FormatFault::kPng},
        {"\xff\xd8\xff", FormatFault::kJpeg},
        {"GIF8", FormatFault::kGif},
        {"MZ", FormatFault::kProgram},
        {"{\\rtf", FormatFault::kRtf},
    }};
    for (const auto& magic : kMagic) {
        if (start.starts_with(magic.bytes)) return magic.what;
    }
    return std::nullopt;
}

FormatFault signatureFault(std::string_view start, std::uint64_t size, FormatFault::Format format) {
    const bool iff = format == FormatFault::Format::kIff;
    FormatFault out = fault(FormatFault::kNotThisFormat, FormatFault::Code::kNoSignature, size);
    out.format = format;
    const bool ownCut = iff ? kSignature25.starts_with(start) || kSignature20.starts_with(start)
                            : kFarSignature.starts_with(start);
    if (ownCut) {
        out.kind = FormatFault::kTruncated;
        out.code = FormatFault::Code::kHeaderCut;
    } else if (iff && start.starts_with(kFarSignature)) {
        out.code = FormatFault::Code::kIsFar;
    } else if (!iff && start.starts_with("IFF FILE")) {
        out.code = FormatFault::Code::kIsIff;
    } else if (const auto foreign = recogniseForeignBytes(start)) {
        out.code = FormatFault::Code::kOtherBytes;
        out.number = *foreign;
    }
    return out;
}

IffWalk walkIff(ByteSource& bytes,
                const std::function<std::optional<FormatFault>(const IffChunk&)>& visit) {
    IffWalk walk;
    const std::uint64_t size = bytes.size();
    if (size == 0) {
        walk.fault = fault(FormatFault::kTruncated, FormatFault::Code::kEmpty, 0);
        return walk;
    }
    unsigned char header[kIffFileHeader] = {};
    const std::size_t got = bytes.read(0, header, sizeof header);
    const std::string_view start(reinterpret_cast<const char*>(header), got);
    const bool older = start.starts_with(kSignature20);
    if (!start.starts_with(kSignature25) && !older) {
        walk.fault = signatureFault(start, size, FormatFault::Format::kIff);
        return walk;
    }
    if (got < kIffFileHeader) {
        walk.fault = fault(FormatFault::kTruncated, FormatFault::Code::kHeaderCut, size);
        walk.fault->number = kIffFileHeader;
        return walk;
    }
    for (std::uint64_t at = kIffFileHeader; at < size;) {
        const std::uint32_t number = walk.chunks + 1;
        if (size - at < kIffChunkHeader) {
            walk.fault = fault(FormatFault::kTruncated, FormatFault::Code::kChunkHeaderCut, size);
            walk.fault->item = number;
            walk.fault->at = at;
            return walk;
        }
        unsigned char chunk[kIffChunkHeader];
        if (bytes.read(at, chunk, sizeof chunk) < sizeof chunk) {
            throw ReadError(
                "it became shorter while it was being read: something changed it during the "
                "check");
        }
        if (auto bad = lengthFault(chunk, at, size, number)) {
            walk.fault = std::move(bad);
            return walk;
        }
        const auto* label = reinterpret_cast<const char*>(chunk + 12);
        IffChunk found;
        found.type = std::string_view(reinterpret_cast<const char*>(chunk), 4);
        found.id = static_cast<std::uint16_t>((chunk[8] << 8) | chunk[9]);
        found.label = std::string_view(label, strnlen(label, 64));
        found.at = at;
        found.length = bigEndian32(chunk + 4);
        found.number = number;
        if (auto stop = visit(found)) {
            walk.fault = std::move(stop);
            return walk;
        }
        ++walk.chunks;
        at += found.length;
    }
    const std::uint32_t map = older ? 0 : bigEndian32(header + 60);
    if (map != 0 && (map < kIffFileHeader || map > size || size - map < kIffChunkHeader)) {
        walk.fault = fault(FormatFault::kPastEnd, FormatFault::Code::kMapAt, size);
        walk.fault->at = map;
    }
    return walk;
}

}  // namespace brambleton::content
