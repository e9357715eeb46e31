// SPDX-License-Identifier: MIT
#include "content/formats/picture.h"

#include <cstdlib>
#include <limits>

namespace brambleton::content {
namespace {

std::uint32_t little(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

}  // namespace

std::optional<BmpFacts> readBmpFacts(std::string_view start) {
    if (start.size() < 26 || !start.starts_with("BM")) return std::nullopt;
    const std::uint32_t infoSize = little(start, 14, 4);
    BmpFacts facts;
    if (infoSize == 12) {
        facts.width = little(start, 18, 2);
        facts.height = little(start, 20, 2);
        facts.bitsPerPixel = static_cast<std::uint16_t>(little(start, 24, 2));
        return facts;
    }
    if (infoSize < 40 || start.size() < 34) return std::nullopt;
    const auto width = static_cast<std::int32_t>(little(start, 18, 4));
    const auto height = static_cast<std::int32_t>(little(start, 22, 4));
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    facts.width = static_cast<std::uint32_t>(width);
    facts.height = static_cast<std::uint32_t>(std::abs(height));
    facts.bitsPerPixel = static_cast<std::uint16_t>(little(start, 28, 2));
    facts.compression = little(start, 30, 4);
    return facts;
}

std::optional<std::string> readPictureBytes(ByteSource& bytes, const ChunkPlace& place) {
    if (place.size > kLargestPicture || place.offset > bytes.size() ||
        bytes.size() - place.offset < place.size) {
        return std::nullopt;
    }
    std::string data(static_cast<std::size_t>(place.size), '\0');
    if (bytes.read(place.offset, data.data(), data.size()) < data.size()) {
        throw ReadError("it became shorter while it was being read");
    }
    return data;
}

}  // namespace brambleton::content
