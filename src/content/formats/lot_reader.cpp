// SPDX-License-Identifier: MIT
#include "content/formats/lot_reader.h"

#include <algorithm>

#include "content/formats/iff_container.h"

namespace brambleton::content {
namespace {

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

}  // namespace

SavedChunks listSavedChunks(ByteSource& bytes, const std::vector<std::string_view>& types) {
    SavedChunks out;
    out.fault = walkIff(bytes, [&](const IffChunk& chunk) -> std::optional<FormatFault> {
                    if (std::find(types.begin(), types.end(), chunk.type) != types.end()) {
                        out.chunks.push_back(
                            {std::string(chunk.type), chunk.id, chunk.dataAt(), chunk.dataSize()});
                    }
                    if (chunk.type == "OBJD" && chunk.dataSize() >= 32) {
                        unsigned char guid[4];
                        if (bytes.read(chunk.dataAt() + 28, guid, 4) < 4) {
                            throw ReadError("it became shorter while it was being read");
                        }
                        out.guids.push_back(littleEndian32(guid));
                    }
                    return std::nullopt;
                }).fault;
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
