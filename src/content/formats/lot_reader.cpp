// SPDX-License-Identifier: MIT
#include "content/formats/lot_reader.h"

#include <algorithm>

namespace brambleton::content {
namespace {

constexpr std::string_view kSignature25 = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
constexpr std::string_view kSignature20 = "IFF FILE 2.0:TYPE FOLLOWED BY SIZE";
constexpr std::size_t kFileHeader = 64;
constexpr std::size_t kChunkHeader = 76;
constexpr std::uint32_t kLargestChunk = 0x7fffffff;

std::uint32_t big32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// Reads little-endian numbers and zero-ended strings off the front of a chunk's data; once a
// read runs past the end, every later one fails too.
class Cursor {
  public:
    explicit Cursor(std::string_view data) : data_(data) {}

    bool skip(std::size_t n) {
        if (!ok_ || data_.size() - at_ < n) return ok_ = false;
        at_ += n;
        return true;
    }
    std::uint32_t number(std::size_t bytes) {
        if (!ok_ || data_.size() - at_ < bytes) {
            ok_ = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (std::size_t i = bytes; i-- > 0;) {
            value = (value << 8) | static_cast<unsigned char>(data_[at_ + i]);
        }
        at_ += bytes;
        return value;
    }
    std::string_view tag() {
        if (!skip(4)) return {};
        return data_.substr(at_ - 4, 4);
    }
    // A string ending in a zero byte; with `toEnd`, the data's end ends it too.
    std::optional<std::string> text(bool toEnd = false) {
        if (!ok_) return std::nullopt;
        const auto zero = data_.find('\0', at_);
        if (zero == std::string_view::npos && !toEnd) {
            ok_ = false;
            return std::nullopt;
        }
        const std::size_t end = zero == std::string_view::npos ? data_.size() : zero;
        std::string out(data_.substr(at_, end - at_));
        at_ = zero == std::string_view::npos ? end : end + 1;
        return out;
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == data_.size(); }
    std::size_t left() const { return data_.size() - at_; }

  private:
    std::string_view data_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// A name as the game stores it in these tables: zero-ended, then a pad byte when its length
// is even, so that what follows starts on a 2-byte boundary.
std::optional<std::string> paddedName(Cursor& in) {
    auto name = in.text();
    if (!name || (name->size() % 2 == 0 && !in.skip(1))) return std::nullopt;
    return name;
}

// The chunk whose header is at `at`, added to `out` when it is of `types`: its length, or
// none with `out.fault` set when its header lies.
std::optional<std::uint32_t> savedChunk(ByteSource& bytes, std::uint64_t at, std::uint64_t size,
                                        const std::vector<std::string_view>& types,
                                        SavedChunks& out) {
    unsigned char chunk[kChunkHeader];
    if (size - at < kChunkHeader) {
        out.fault = FormatFault{
            FormatFault::kTruncated,
            "It is cut short, inside a chunk's header at byte " + std::to_string(at) + "."};
        return std::nullopt;
    }
    if (bytes.read(at, chunk, sizeof chunk) < sizeof chunk) {
        throw ReadError("it became shorter while it was being read");
    }
    const std::uint32_t length = big32(chunk + 4);
    if (length < kChunkHeader || length > kLargestChunk || length > size - at) {
        out.fault =
            FormatFault{length > size - at && length <= kLargestChunk ? FormatFault::kTruncated
                                                                      : FormatFault::kDamaged,
                        "Its chunk at byte " + std::to_string(at) + " gives a size of " +
                            std::to_string(length) + " bytes, which " +
                            (length < kChunkHeader ? "is less than its own header."
                                                   : "runs past the file's end.")};
        return std::nullopt;
    }
    const std::string_view type(reinterpret_cast<const char*>(chunk), 4);
    const auto id = static_cast<std::uint16_t>((chunk[8] << 8) | chunk[9]);
    if (std::find(types.begin(), types.end(), type) != types.end()) {
        out.chunks.push_back({std::string(type), id, at + kChunkHeader, length - kChunkHeader});
    }
    if (type == "OBJD" && length - kChunkHeader >= 32) {
        unsigned char guid[4];
        if (bytes.read(at + kChunkHeader + 28, guid, 4) < 4) {
            throw ReadError("it became shorter while it was being read");
        }
        out.guids.push_back(std::uint32_t{guid[0]} | (std::uint32_t{guid[1]} << 8) |
                            (std::uint32_t{guid[2]} << 16) | (std::uint32_t{guid[3]} << 24));
    }
    return length;
}

}  // namespace

SavedChunks listSavedChunks(ByteSource& bytes, const std::vector<std::string_view>& types) {
    SavedChunks out;
    const std::uint64_t size = bytes.size();
    unsigned char header[kFileHeader] = {};
    const std::size_t got = bytes.read(0, header, sizeof header);
    const std::string_view start(reinterpret_cast<const char*>(header), got);
    if (got < kFileHeader ||
        (!start.starts_with(kSignature25) && !start.starts_with(kSignature20))) {
        const bool cut = got < kFileHeader && (kSignature25.starts_with(start.substr(0, 34)) ||
                                               kSignature20.starts_with(start.substr(0, 34)));
        out.fault =
            cut ? FormatFault{FormatFault::kTruncated, "It is cut short, inside its header."}
                : FormatFault{FormatFault::kNotThisFormat,
                              "It is not an IFF file: it does not begin with the IFF "
                              "signature."};
        return out;
    }
    for (std::uint64_t at = kFileHeader; at < size;) {
        const auto length = savedChunk(bytes, at, size, types, out);
        if (!length) return out;
        at += *length;
    }
    // An IFF 2.5 file names its resource map's place: one past the end was cut at a chunk's
    // edge. (IFF 2.0 has no such offset, and a cut there can only show inside a chunk.)
    const std::uint32_t map = start.starts_with(kSignature25) ? big32(header + 60) : 0;
    if (map != 0 && (map < kFileHeader || map >= size || size - map < kChunkHeader)) {
        out.fault = FormatFault{map >= size ? FormatFault::kTruncated : FormatFault::kPastEnd,
                                "Its header puts the resource map at byte " + std::to_string(map) +
                                    ", past what the file holds."};
    }
    return out;
}

std::optional<std::string> savedChunkData(ByteSource& bytes, const ChunkPlace& place) {
    return readChunkBytes(bytes, place, kLargestSavedChunk);
}

std::optional<std::vector<LotObject>> readObjectTable(std::string_view data) {
    Cursor in(data);
    in.number(4);
    const std::uint32_t version = in.number(4);
    const std::string_view tag = in.tag();
    if (!in.ok() || (version != 2 && version != 3) || (tag != "tjbo" && tag != "objt")) {
        return std::nullopt;
    }
    std::vector<LotObject> out;
    while (!in.atEnd()) {
        LotObject object;
        object.id = in.number(4);
        if (!in.ok()) return std::nullopt;
        if (object.id == 0) break;
        in.skip(8);
        object.type = static_cast<std::uint16_t>(in.number(2));
        object.kind = static_cast<std::uint16_t>(in.number(2));
        auto name = paddedName(in);
        if (!name) return std::nullopt;
        object.name = std::move(*name);
        if (version == 3) object.clonedFrom = in.number(4);
        if (!in.ok()) return std::nullopt;
        out.push_back(std::move(object));
    }
    return out;
}

std::optional<std::vector<std::string>> readTileNames(std::string_view data,
                                                      std::uint16_t chunkId) {
    Cursor in(data);
    in.skip(12);
    const std::uint32_t count = in.number(4);
    // Each entry takes at least 11 bytes: a count larger than the data can hold lies.
    if (!in.ok() || count > in.left() / 11) return std::nullopt;
    std::vector<std::string> names;
    names.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto name = paddedName(in);
        if (!name || !in.skip(4 + 1 + 5 + std::size_t{2} * chunkId)) return std::nullopt;
        names.push_back(std::move(*name));
    }
    return names;
}

std::optional<std::string> readRoofName(std::string_view data) {
    Cursor in(data);
    if (!in.skip(38)) return std::nullopt;
    return in.text(true);
}

std::optional<Family> readFamily(std::string_view data) {
    Cursor in(data);
    in.skip(8);
    const std::string_view tag = in.tag();
    if (tag != "IMAF" && tag != "FAMI") return std::nullopt;
    Family family;
    family.house = static_cast<std::int32_t>(in.number(4));
    family.number = static_cast<std::int32_t>(in.number(4));
    in.skip(16);
    const std::uint32_t count = in.number(4);
    if (!in.ok() || count > in.left() / 4) return std::nullopt;
    family.members.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) family.members.push_back(in.number(4));
    return family;
}

}  // namespace brambleton::content
