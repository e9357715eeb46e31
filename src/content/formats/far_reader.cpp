// SPDX-License-Identifier: MIT
#include "content/formats/far_reader.h"

#include <string_view>

#include "content/formats/entry_name.h"
#include "content/formats/iff_reader.h"

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

std::uint32_t littleEndian32(const unsigned char* p) {
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
           p[0];
}

std::string number(std::uint64_t n) {
    return std::to_string(n);
}

FormatFault fault(FormatFault::Kind kind, std::string detail) {
    return {kind, std::move(detail)};
}

const char* const kCutShort = " Most likely the download stopped early.";
const char* const kShrank =
    "it became shorter while it was being read: something changed it during the check";

// Why bytes that do not begin with the FAR signature are not an archive.
FormatFault signatureFault(std::string_view start, std::uint64_t size) {
    if (kSignature.starts_with(start)) {
        return fault(FormatFault::kTruncated, "This archive is cut short: it ends at byte " +
                                                  number(size) + ", inside its header." +
                                                  kCutShort);
    }
    if (start.starts_with("IFF FILE")) {
        return fault(FormatFault::kNotThisFormat,
                     "This archive is an IFF file, not a FAR archive: rename it to end in "
                     ".iff.");
    }
    const std::string foreign = recogniseForeignBytes(start);
    return fault(FormatFault::kNotThisFormat,
                 foreign.empty() ? "This archive is not a FAR archive: it does not begin "
                                   "with the FAR signature. It is damaged or not for this "
                                   "game."
                                 : "This archive is " + foreign + ".");
}

// Reads the table of contents' entry at `at` (entry `index`, from 0) into `file`, moving
// `at` past it; the fault when the entry cannot be one.
std::optional<FormatFault> readEntry(WindowedBytes& manifest, std::uint64_t size, std::uint64_t& at,
                                     std::uint32_t index, FarEntry& file) {
    const std::string which = "file " + number(index + 1) + " of its table of contents";
    unsigned char fixed[kEntryFixed];
    if (size - at < kEntryFixed) {
        return fault(FormatFault::kTruncated, "This archive is cut short: it ends at byte " +
                                                  number(size) + ", inside the entry for " + which +
                                                  "." + kCutShort);
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
        return fault(FormatFault::kDamaged, "This archive is damaged: the name of " + which +
                                                " is said to be " + number(nameLength) +
                                                " bytes long.");
    }
    if (nameLength == 0) {
        return fault(FormatFault::kDamaged, "This archive is damaged: " + which +
                                                " has no name, so the game cannot "
                                                "find it.");
    }
    if (nameLength > size - at) {
        return fault(FormatFault::kTruncated, "This archive is cut short: it ends at byte " +
                                                  number(size) + ", inside the name of " + which +
                                                  "." + kCutShort);
    }
    file = {std::string(nameLength, '\0'), offset, length};
    if (manifest.read(at, file.name.data(), nameLength) < nameLength) {
        throw ReadError(kShrank);
    }
    at += nameLength;
    const std::string named = "\"" + entryText(file.name) + "\"";
    if (stored != length) {
        return fault(FormatFault::kDamaged,
                     "This archive stores " + named + " compressed, which the game cannot read.");
    }
    if (offset > size || length > size - offset) {
        return fault(FormatFault::kPastEnd, "This archive's table of contents puts " + named +
                                                " at bytes " + number(offset) + " to " +
                                                number(std::uint64_t{offset} + length) +
                                                ", past its end at byte " + number(size) +
                                                ": the archive is most likely cut short.");
    }
    return std::nullopt;
}

}  // namespace

std::optional<FormatFault> readFar(ByteSource& bytes,
                                   const std::function<void(const FarEntry&)>& entry) {
    const std::uint64_t size = bytes.size();
    if (size == 0) return fault(FormatFault::kTruncated, "This archive is empty (0 bytes).");
    unsigned char header[kHeader] = {};
    const std::size_t got = bytes.read(0, header, sizeof header);
    const std::string_view start(reinterpret_cast<const char*>(header), got);
    if (!start.starts_with(kSignature)) return signatureFault(start, size);
    if (got < kHeader) {
        return fault(FormatFault::kTruncated, "This archive is cut short: it ends at byte " +
                                                  number(size) + ", inside its 16-byte header." +
                                                  kCutShort);
    }
    const std::uint32_t version = littleEndian32(header + 8);
    if (version != 1) {
        return fault(FormatFault::kDamaged, "This archive is FAR version " + number(version) +
                                                ", which this game does not read (it reads "
                                                "version 1).");
    }
    const std::uint32_t table = littleEndian32(header + 12);
    if (table < kHeader || table > size || size - table < 4) {
        return fault(FormatFault::kPastEnd,
                     "This archive's header puts its table of contents at byte " + number(table) +
                         ", " +
                         (table < kHeader ? "inside the header itself."
                                          : "past its end at byte " + number(size) +
                                                ": the archive is most likely cut short."));
    }
    WindowedBytes manifest(bytes);
    unsigned char word[4];
    if (manifest.read(table, word, 4) < 4) throw ReadError(kShrank);
    const std::uint32_t count = littleEndian32(word);
    std::uint64_t at = table + 4;
    if (count > (size - at) / kEntryLeast) {
        return fault(FormatFault::kPastEnd,
                     "This archive's table of contents lists " + number(count) +
                         " files, more than fit before its end at byte " + number(size) +
                         ": the archive is most likely cut short.");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        FarEntry file{};
        if (auto problem = readEntry(manifest, size, at, i, file)) return problem;
        entry(file);
    }
    return std::nullopt;
}

}  // namespace brambleton::content
