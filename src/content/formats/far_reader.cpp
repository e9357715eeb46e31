// SPDX-License-Identifier: MIT
#include "content/formats/far_reader.h"

#include <string_view>

#include "content/formats/iff_container.h"

namespace brambleton::content {
namespace {

constexpr std::string_view kSignature = "FAR!byAZ";
constexpr std::size_t kHeader = 16;
constexpr std::size_t kEntryFixed = 16;  // the two sizes, the offset, the name's length
// The least an entry takes in the table: the game finds a file by its name, so every entry
// has one of at least a byte.
constexpr std::size_t kEntryLeast = kEntryFixed + 1;
// Longer names than this are a damaged table, not a file the game would look for.
constexpr std::uint32_t kLongestName = 1024;

using Code = FormatFault::Code;

FormatFault fault(FormatFault::Kind kind, Code code, std::uint64_t size) {
    FormatFault out;
    out.kind = kind;
    out.code = code;
    out.format = FormatFault::Format::kFar;
    out.size = size;
    return out;
}

FormatFault entryFault(FormatFault::Kind kind, Code code, std::uint64_t size, std::uint32_t index) {
    FormatFault out = fault(kind, code, size);
    out.item = index + 1;
    return out;
}

const char* const kShrank =
    "it became shorter while it was being read: something changed it during the check";

// Reads the table of contents' entry at `at` (entry `index`, from 0) into `file`, moving
// `at` past it; the fault when the entry cannot be one.
std::optional<FormatFault> readEntry(WindowedBytes& manifest, std::uint64_t size, std::uint64_t& at,
                                     std::uint32_t index, FarEntry& file) {
    unsigned char fixed[kEntryFixed];
    if (size - at < kEntryFixed) {
        return entryFault(FormatFault::kTruncated, Code::kEntryCut, size, index);
    }
    if (manifest.read(at, fixed, sizeof fixed) < sizeof fixed) {
        throw ReadError(kShrank);
    }
    at += kEntryFixed;
    const std::uint32_t length = littleEndian32(fixed);
    const std::uint32_t stored = littleEndian32(fixed + 4);
    const std::uint32_t offset = littleEndian32(fixed + 8);
    const std::uint32_t nameLength = littleEndian32(fixed + 12);
    if (nameLength > kLongestName) {
        auto out = entryFault(FormatFault::kDamaged, Code::kEntryNameLength, size, index);
        out.number = nameLength;
        return out;
    }
    if (nameLength == 0) {
        return entryFault(FormatFault::kDamaged, Code::kEntryNoName, size, index);
    }
    if (nameLength > size - at) {
        return entryFault(FormatFault::kTruncated, Code::kEntryNameCut, size, index);
    }
    file = {std::string(nameLength, '\0'), offset, length};
    if (manifest.read(at, file.name.data(), nameLength) < nameLength) {
        throw ReadError(kShrank);
    }
    at += nameLength;
    if (stored != length) {
        auto out = entryFault(FormatFault::kDamaged, Code::kEntryCompressed, size, index);
        out.name = file.name;
        return out;
    }
    if (offset > size || length > size - offset) {
        auto out = entryFault(FormatFault::kPastEnd, Code::kEntryPastEnd, size, index);
        out.name = file.name;
        out.at = offset;
        out.number = std::uint64_t{offset} + length;
        return out;
    }
    return std::nullopt;
}

}  // namespace

std::optional<FormatFault> readFar(ByteSource& bytes,
                                   const std::function<void(const FarEntry&)>& entry) {
    const std::uint64_t size = bytes.size();
    if (size == 0) return fault(FormatFault::kTruncated, Code::kEmpty, 0);
    unsigned char header[kHeader] = {};
    const std::size_t got = bytes.read(0, header, sizeof header);
    const std::string_view start(reinterpret_cast<const char*>(header), got);
    if (!start.starts_with(kSignature)) {
        return signatureFault(start, size, FormatFault::Format::kFar);
    }
    if (got < kHeader) {
        auto out = fault(FormatFault::kTruncated, Code::kHeaderCut, size);
        out.number = kHeader;
        return out;
    }
    const std::uint32_t version = littleEndian32(header + 8);
    if (version != 1) {
        auto out = fault(FormatFault::kDamaged, Code::kFarVersion, size);
        out.number = version;
        return out;
    }
    const std::uint32_t table = littleEndian32(header + 12);
    if (table < kHeader || table > size || size - table < 4) {
        auto out = fault(FormatFault::kPastEnd, Code::kTableAt, size);
        out.at = table;
        return out;
    }
    WindowedBytes manifest(bytes);
    unsigned char word[4];
    if (manifest.read(table, word, 4) < 4) throw ReadError(kShrank);
    const std::uint32_t count = littleEndian32(word);
    std::uint64_t at = table + 4;
    if (count > (size - at) / kEntryLeast) {
        auto out = fault(FormatFault::kPastEnd, Code::kTableCount, size);
        out.number = count;
        return out;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        FarEntry file{};
        if (auto problem = readEntry(manifest, size, at, i, file)) return problem;
        entry(file);
    }
    return std::nullopt;
}

}  // namespace brambleton::content
