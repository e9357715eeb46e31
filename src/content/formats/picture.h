// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "content/formats/byte_source.h"
#include "content/formats/iff_reader.h"

namespace brambleton::content {

// What a Windows BMP's headers say of it; its pixels are never read here (a window decodes
// a picture with its toolkit's image reader).
struct BmpFacts {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerPixel = 0;  // 8 for 256 colours from a palette
    std::uint32_t compression = 0;   // 0 none, 1 8-bit run-length, ...
};

// The facts of the BMP whose first bytes are `start` (at least 30 of them for a full answer):
// "BM", the file's size (4 bytes), 4 reserved, the pixels' offset (4), then the info header:
// its size (4), and in the Windows form (40 bytes or more) the width and height (4 each,
// signed; a negative height is a picture stored top down), planes (2), bits per pixel (2)
// and compression (4); in the OS/2 form (12 bytes) width and height of 2 bytes each, planes
// and bits per pixel. Little-endian. None when the bytes are not a BMP's headers.
std::optional<BmpFacts> readBmpFacts(std::string_view start);

// The largest catalogue picture handed out: the game's are a few kilobytes.
inline constexpr std::uint64_t kLargestPicture = 1 << 20;

// The bytes of the BMP_ chunk at `place`, at most kLargestPicture; none when it is larger or
// lies past the end. Throws ReadError when the bytes cannot be read.
std::optional<std::string> readPictureBytes(ByteSource& bytes, const ChunkPlace& place);

// The BMP `bmp` as a PNG with the same pixels, for a page that is to show it where no image
// toolkit is at hand (the headless counter). Takes the forms catalogue pictures come in:
// uncompressed, 1, 4 or 8 bits from a palette (a PNG with that palette) or 24 or 32 bits
// (RGB; a 32-bit BMP's fourth byte is not alpha). The PNG's image data is stored, not
// compressed: a catalogue picture is a few kilobytes. Empty for any other form, a picture
// larger than 1024 x 1024, or pixels that lie past the end of `bmp`.
std::string bmpAsPng(std::string_view bmp);

}  // namespace brambleton::content
