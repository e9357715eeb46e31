// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/formats/byte_source.h"
#include "content/formats/iff_reader.h"

namespace brambleton::content {

// The chunks of a saved game's IFF file (a lot, a neighbourhood, its descriptions) that the
// lots' reader asks for, and the object IDs of any object definitions it holds.
struct SavedChunks {
    std::vector<ChunkPlace> chunks;  // of the types asked for, in file order
    std::vector<std::uint32_t> guids;
    std::optional<FormatFault> fault;  // what was read before it is kept
};

// Lists the chunks of `bytes` whose types are in `types`, walking the file as every IFF
// reader does (iff_container.h): both headers the game writes saves with, every chunk's header
// checked against the size, a map that would lie past the end a fault.
SavedChunks listSavedChunks(ByteSource& bytes, const std::vector<std::string_view>& types);

// The largest chunk of a saved game that is read whole: a lot's object table of a few
// thousand objects takes some tens of kilobytes.
inline constexpr std::uint64_t kLargestSavedChunk = std::uint64_t{16} << 20;

// The data of the chunk at `place`; none when it is larger than kLargestSavedChunk or lies
// past the end. Throws ReadError when the bytes cannot be read.
std::optional<std::string> savedChunkData(ByteSource& bytes, const ChunkPlace& place);

// One entry of a lot's object table.
struct LotObject {
    std::uint32_t id = 0;    // the object ID of the definition, a tile's for a multi-tile object
    std::uint16_t type = 0;  // the game's number for this object on the lot
    std::uint16_t kind = 0;  // the definition's object type: 2 a person
    std::string name;        // as stored: the game's code page, not UTF-8
    std::uint32_t clonedFrom = 0;  // version 3: the object it was cloned from; else 0
};

// The objects a lot holds, from its `objt` chunk's data. The layout, from the public notes
// (FreeSO's OBJT reader): 4 bytes 0, a version (2 or 3), the tag "tjbo", then entries until
// an object ID of 0 or the data's end. An entry: the object ID (4 bytes), four 16-bit
// numbers of unknown use, the type number (2), the object's kind (2), the name ending in a
// zero byte, one pad byte when the name's length is even (its value not always 0, so never
// checked), and in version 3 the ID of the object it was cloned from (4). Little-endian.
// None when the data does not hold such a table whole.
std::optional<std::vector<LotObject>> readObjectTable(std::string_view data);

// The file names (as stored, lower case in the game's files) of the floors (FLRm) or walls
// (WALm) a lot uses beyond the game's built-in ones. The layout, from FreeSO's WALm reader:
// 4 bytes 0, a version, a tag, a count (4), then per entry the name ending in a zero byte, a
// pad byte when its length is even, a number (4), an ID (1) and 5 more bytes, 2 more for each
// step of the chunk's ID (`chunkId`). None when the data does not hold them whole.
std::optional<std::vector<std::string>> readTileNames(std::string_view data, std::uint16_t chunkId);

// The name of a lot's roof, from its HOUS #0 chunk's data: after 4 bytes 0, a version, the
// tag, four 4-byte and three 2-byte numbers and an object ID (38 bytes in all, from FreeSO's
// HOUS reader), the name, ending in a zero byte or the data's end. Empty when it has none;
// none when the data is shorter than the fields before it.
std::optional<std::string> readRoofName(std::string_view data);

// A family of a neighbourhood, from a FAMI chunk's data: 4 bytes, a version, the tag "IMAF",
// then 4-byte numbers: the house it lives in, the family's number, budget, worth, friends, one
// of unknown use, the count of members, and each member's object ID (FreeSO's FAMI reader).
struct Family {
    std::int32_t house = 0;
    std::int32_t number = 0;
    std::vector<std::uint32_t> members;
};
std::optional<Family> readFamily(std::string_view data);

}  // namespace brambleton::content
