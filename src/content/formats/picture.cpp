// SPDX-License-Identifier: MIT
#include "content/formats/picture.h"

#include <array>
#include <cstdlib>
#include <limits>

namespace brambleton::content {
namespace {

std::uint32_t little(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

void putBig(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// CRC-32 as PNG's chunks carry it (ISO 3309, the polynomial reflected).
std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFU;
    for (const char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFU;
}

void putChunk(std::string& out, std::string_view type, std::string_view data) {
    putBig(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out += type;
    out += data;
    putBig(out, crc32(std::string_view(out).substr(start)));
}

// `raw` in a zlib stream of stored deflate blocks (RFC 1950, RFC 1951 section 3.2.4).
std::string storedZlib(std::string_view raw) {
    std::string out("\x78\x01", 2);
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const char c : raw) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    std::size_t at = 0;
    do {
        const std::size_t size = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + size == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(size & 0xFF);
        out += static_cast<char>(size >> 8);
        out += static_cast<char>(~size & 0xFF);
        out += static_cast<char>((~size >> 8) & 0xFF);
        out += raw.substr(at, size);
        at += size;
    } while (at < raw.size());
    putBig(out, (b << 16) | a);
    return out;
}

// The palette of a BMP of `bits` per pixel (at most 8) as PNG's PLTE holds it, an RGB
// triple for each of the 2^bits indexes; none when it lies past the pixels at `pixelsAt`.
std::optional<std::string> pngPalette(std::string_view bmp, std::uint16_t bits, bool os2,
                                      std::size_t pixelsAt) {
    const std::size_t entries = std::size_t{1} << bits;
    const std::size_t entrySize = os2 ? 3 : 4;
    const std::size_t paletteAt = 14 + std::size_t{little(bmp, 14, 4)};
    std::size_t given = entries;
    if (!os2 && bmp.size() >= 50 && little(bmp, 46, 4) != 0) given = little(bmp, 46, 4);
    given = std::min(given, entries);
    if (paletteAt > pixelsAt || (pixelsAt - paletteAt) / entrySize < given) return std::nullopt;
    // Every index a row may hold has a colour, black where the BMP gives none, so no
    // reader refuses an index past the palette's end.
    std::string palette(entries * 3, '\0');
    for (std::size_t i = 0; i < given; ++i) {
        const std::size_t at = paletteAt + i * entrySize;
        palette[i * 3] = bmp[at + 2];
        palette[i * 3 + 1] = bmp[at + 1];
        palette[i * 3 + 2] = bmp[at];
    }
    return palette;
}

constexpr std::uint32_t kLargestSide = 1024;

}  // namespace

std::optional<BmpFacts> readBmpFacts(std::string_view start) {
    if (start.size() < 26 || !start.starts_with("BM")) return std::nullopt;
    const std::uint32_t infoSize = little(start, 14, 4);
    BmpFacts facts;
    if (infoSize == 12) {
        facts.width = little(start, 18, 2);
        facts.height = little(start, 20, 2);
        facts.bitsPerPixel = static_cast<std::uint16_t>(little(start, 24, 2));
        return facts;
    }
    if (infoSize < 40 || start.size() < 34) return std::nullopt;
    const auto width = static_cast<std::int32_t>(little(start, 18, 4));
    const auto height = static_cast<std::int32_t>(little(start, 22, 4));
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    facts.width = static_cast<std::uint32_t>(width);
    facts.height = static_cast<std::uint32_t>(std::abs(height));
    facts.bitsPerPixel = static_cast<std::uint16_t>(little(start, 28, 2));
    facts.compression = little(start, 30, 4);
    return facts;
}

std::optional<std::string> readPictureBytes(ByteSource& bytes, const ChunkPlace& place) {
    return readChunkBytes(bytes, place, kLargestPicture);
}

std::string bmpAsPng(std::string_view bmp) {
    const auto facts = readBmpFacts(bmp);
    if (!facts || facts->compression != 0 || facts->width == 0 || facts->height == 0 ||
        facts->width > kLargestSide || facts->height > kLargestSide) {
        return {};
    }
    const std::uint16_t bits = facts->bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return {};
    const std::uint32_t infoSize = little(bmp, 14, 4);
    const bool os2 = infoSize == 12;
    const bool topDown = !os2 && static_cast<std::int32_t>(little(bmp, 22, 4)) < 0;
    const std::size_t pixelsAt = little(bmp, 10, 4);
    const std::size_t width = facts->width;
    const std::size_t height = facts->height;
    const std::size_t stored = (width * bits + 31) / 32 * 4;  // each BMP row fills 4-byte words
    const std::size_t used = (width * bits + 7) / 8;
    if (pixelsAt > bmp.size() || (bmp.size() - pixelsAt) / stored < height) return {};

    std::string palette;
    if (bits <= 8) {
        const auto read = pngPalette(bmp, bits, os2, pixelsAt);
        if (!read) return {};
        palette = *read;
    }

    const std::size_t outRow = bits <= 8 ? used : width * 3;
    std::string raw;
    raw.reserve(height * (outRow + 1));
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t row = topDown ? y : height - 1 - y;
        const std::string_view in = bmp.substr(pixelsAt + row * stored, used);
        raw += '\0';  // no filter
        if (bits <= 8) {
            raw += in;
            continue;
        }
        const std::size_t step = bits / 8;
        for (std::size_t x = 0; x < width; ++x) {
            raw += in[x * step + 2];
            raw += in[x * step + 1];
            raw += in[x * step];
        }
    }

    std::string header;
    putBig(header, static_cast<std::uint32_t>(width));
    putBig(header, static_cast<std::uint32_t>(height));
    header += static_cast<char>(bits <= 8 ? bits : 8);  // bit depth
    header += static_cast<char>(bits <= 8 ? 3 : 2);     // colour type: palette or RGB
    header.append(3, '\0');                             // deflate, adaptive filters, no interlace
    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    if (!palette.empty()) putChunk(png, "PLTE", palette);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", {});
    return png;
}

}  // namespace brambleton::content
