// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "content/formats/byte_source.h"

namespace brambleton::content {

// What the game needs from an IFF file (an object, floor or wall).
struct IffSummary {
    std::vector<std::uint32_t> guids;  // the object ID of each OBJD chunk, in file order
    std::size_t chunks = 0;            // chunks read before a fault, or all of them
    std::optional<FormatFault> fault;  // none when the file reads as IFF to its end
};

// Reads the header and the chunk headers of the IFF file in `bytes`, and of each OBJD chunk
// the object ID; the data of every other chunk is skipped. Each offset and length is checked
// against the size before it is used. `what` names the file in the fault's sentence ("file",
// "archive entry"). Throws ReadError when the bytes cannot be read.
//
// The format: a 60-byte signature beginning "IFF FILE 2.5:TYPE FOLLOWED BY SIZE", the
// resource map's offset (4 bytes, big-endian; 0 when there is none), then chunks to the end,
// each a 76-byte header (type, 4 characters; size, 4 bytes big-endian, header included;
// ID, 2; flags, 2; label, 64) and its data. An OBJD's data is little-endian, with the object
// ID in the 4 bytes at offset 28.
IffSummary readIff(ByteSource& bytes, std::string_view what = "file");

// A sentence saying what `start` (a file's first bytes) is when it is none of the game's
// formats: a web page, a ZIP, RAR or 7z archive. Empty when the bytes say nothing clear.
std::string recogniseForeignBytes(std::string_view start);

}  // namespace brambleton::content
