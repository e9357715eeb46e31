// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/formats/byte_source.h"

namespace brambleton::content {

// One object definition (OBJD chunk) as the catalogue needs it. Offsets into the chunk's
// data, after its 76-byte header, from the public format notes (FreeSO's OBJD reader's field
// order, the SimsWiki OBJD table, IFFSnooper's pages): a version (4 bytes), then 16-bit
// little-endian fields, the object ID taking two. A field past the end of a short (older)
// definition reads as 0.
struct ObjectDefinition {
    std::uint16_t chunkId = 0;
    std::uint32_t version = 0;         // at 0
    std::uint16_t type = 0;            // at 18: 2 a person, 4 a normal object, 34 food, ...
    std::uint16_t masterId = 0;        // at 20: shared by the tiles of a multi-tile object
    std::int16_t subIndex = -1;        // at 22: -1 for the master, else the tile's number
    std::uint32_t guid = 0;            // at 28
    std::uint16_t disabled = 0;        // at 32
    std::uint16_t price = 0;           // at 36
    std::uint16_t roomFlags = 0;       // at 78
    std::uint16_t functionFlags = 0;   // at 80: bit 0 seating ... bit 7 lighting
    std::uint16_t catalogStrings = 0;  // at 82: the ID of the CTSS chunk with its name
    std::uint16_t buildModeType = 0;   // at 138: non-zero for a build-mode object
    std::string label;                 // the chunk's label, up to its first zero byte

    // A master definition: the object itself rather than one of its tiles. A single-tile
    // object has master ID 0; the master of a multi-tile one has sub-index -1.
    bool master() const { return masterId == 0 || subIndex == -1; }
};

// Where a chunk's data lies in the file: of the chunks the catalogue reads (CTSS, STR#,
// BMP_).
struct ChunkPlace {
    std::string type;  // four characters
    std::uint16_t id = 0;
    std::uint64_t offset = 0;  // of its data, past the header
    std::uint64_t size = 0;    // of its data
};

// What the game needs from an IFF file (an object, floor or wall).
struct IffSummary {
    std::vector<std::uint32_t> guids;  // the object ID of each OBJD chunk, in file order
    // With definitions asked for: every OBJD whole, and where the CTSS, STR# and BMP_ chunks
    // lie, in file order.
    std::vector<ObjectDefinition> definitions;
    std::vector<ChunkPlace> resources;
    std::size_t chunks = 0;            // chunks read before a fault, or all of them
    std::optional<FormatFault> fault;  // none when the file reads as IFF to its end
};

// Reads the IFF file in `bytes` (iff_container.h) and of each OBJD chunk the object ID; the
// data of every other chunk is skipped. Each offset and length is checked against the size
// before it is used. An OBJD's data is little-endian, with the object ID in the 4 bytes at
// offset 28. With `definitions`, also reads each OBJD's fields and notes where the CTSS, STR#
// and BMP_ chunks lie (for the catalogue). Throws ReadError when the bytes cannot be read.
IffSummary readIff(ByteSource& bytes, bool definitions = false);

// The data of the chunk at `place`, when it is at most `largest` bytes and lies inside
// `bytes`; none otherwise. Throws ReadError when the bytes cannot be read.
std::optional<std::string> readChunkBytes(ByteSource& bytes, const ChunkPlace& place,
                                          std::uint64_t largest);

}  // namespace brambleton::content
