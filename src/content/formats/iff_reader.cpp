// SPDX-License-Identifier: MIT
#include "content/formats/iff_reader.h"

#include <algorithm>

#include "content/formats/iff_container.h"

namespace brambleton::content {
namespace {

constexpr std::size_t kGuidOffset = 28;  // in an OBJD's data
constexpr std::size_t kObjdNeeded = kGuidOffset + 4;
constexpr std::size_t kObjdRead = 140;  // up to the build-mode type

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

// Reads the object definition `chunk`: its object ID, and with `definitions` its fields, into
// `summary`; the fault when it is too short to hold an ID.
std::optional<FormatFault> readDefinition(ByteSource& bytes, const IffChunk& chunk,
                                          bool definitions, IffSummary& summary) {
    if (chunk.dataSize() < kObjdNeeded) {
        FormatFault fault;
        fault.kind = FormatFault::kDamaged;
        fault.code = FormatFault::Code::kDefinitionShort;
        fault.size = bytes.size();
        fault.item = chunk.number;
        fault.number = chunk.dataSize();
        return fault;
    }
    unsigned char data[kObjdRead] = {};
    const std::size_t wanted =
        definitions ? std::min<std::size_t>(kObjdRead, chunk.dataSize()) : kObjdNeeded;
    if (bytes.read(chunk.dataAt(), data, wanted) < wanted) {
        throw ReadError(
            "it became shorter while it was being read: something changed it "
            "during the check");
    }
    summary.guids.push_back(littleEndian32(data + kGuidOffset));
    if (definitions) {
        summary.definitions.push_back(definitionOf(chunk.id, data));
        summary.definitions.back().label.assign(chunk.label);
    }
    return std::nullopt;
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

IffSummary readIff(ByteSource& bytes, bool definitions) {
    IffSummary summary;
    const auto walk = walkIff(bytes, [&](const IffChunk& chunk) -> std::optional<FormatFault> {
        if (definitions && isResource(chunk.type)) {
            summary.resources.push_back(
                {std::string(chunk.type), chunk.id, chunk.dataAt(), chunk.dataSize()});
        }
        if (chunk.type != "OBJD") return std::nullopt;
        return readDefinition(bytes, chunk, definitions, summary);
    });
    summary.chunks = walk.chunks;
    summary.fault = walk.fault;
    return summary;
}

}  // namespace brambleton::content
