// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "content/formats/byte_source.h"

namespace brambleton::content {

// The IFF container every one of the game's IFF files uses (objects, floors, walls, saved
// lots and neighbourhoods), from the public format notes: a 60-byte signature beginning
// "IFF FILE 2.5:TYPE FOLLOWED BY SIZE", the resource map's offset (4 bytes, big-endian; 0
// when there is none), then chunks to the end. The older "IFF FILE 2.0:..." header, which the
// game reads too, is all text: its last four bytes end the signature, and it has no map.
// Each chunk is a 76-byte header (type, 4 characters; size, 4 bytes big-endian, header
// included; ID, 2; flags, 2; label, 64) and its data.
inline constexpr std::size_t kIffFileHeader = 64;
inline constexpr std::size_t kIffChunkHeader = 76;
// The game reads a chunk's size as a signed 32-bit number: a larger one is a damaged header,
// not a file that stopped early.
inline constexpr std::uint32_t kIffLargestChunk = 0x7fffffff;

// One chunk's header, as walkIff() found it; its views last for the visit only.
struct IffChunk {
    std::string_view type;  // its four bytes as stored
    std::uint16_t id = 0;
    std::string_view label;    // up to its first zero byte
    std::uint64_t at = 0;      // the header's offset
    std::uint32_t length = 0;  // header included
    std::uint32_t number = 0;  // its place in the file, from 1

    std::uint64_t dataAt() const { return at + kIffChunkHeader; }
    std::uint32_t dataSize() const { return length - kIffChunkHeader; }
};

// What a walk read: the chunks it visited, and the fault that ended it, if any (the chunks
// visited before a fault are kept by the visitor).
struct IffWalk {
    std::uint32_t chunks = 0;
    std::optional<FormatFault> fault;
};

// Walks the chunks of the IFF file in `bytes`, calling `visit` with each header once it has
// been checked against the file's size; a fault `visit` returns ends the walk with it. Reads
// only the file's header and the chunks' headers. Checks the resource map's offset of an IFF
// 2.5 file once the chunks are read: in a file cut short, the chunk it ends in says so more
// plainly. Throws ReadError when the bytes cannot be read.
IffWalk walkIff(ByteSource& bytes,
                const std::function<std::optional<FormatFault>(const IffChunk&)>& visit);

// The fault of a file whose first bytes `start` (of `size` in all) do not begin with the
// signature of `format` (IFF or FAR): cut inside it, the other of the two, a kind of file the
// game never reads, or no signature at all.
FormatFault signatureFault(std::string_view start, std::uint64_t size, FormatFault::Format format);

// What `start` (a file's first bytes) is when it is none of the game's formats: a web page, a
// ZIP, RAR or 7z archive, ...; none when the bytes say nothing clear.
std::optional<FormatFault::ForeignBytes> recogniseForeignBytes(std::string_view start);

std::uint32_t bigEndian32(const unsigned char* p);
std::uint32_t littleEndian32(const unsigned char* p);
std::uint16_t littleEndian16(const unsigned char* p);

}  // namespace brambleton::content
