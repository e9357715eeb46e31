// SPDX-License-Identifier: MIT
#include "content/formats/string_table.h"

#include <string_view>

namespace brambleton::content {
namespace {

// The bytes of a table, read front to back; every read is checked against what is left.
class Cursor {
  public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool empty() const { return at_ >= bytes_.size(); }

    std::optional<std::uint8_t> byte() {
        if (at_ >= bytes_.size()) return std::nullopt;
        return static_cast<std::uint8_t>(bytes_[at_++]);
    }
    std::optional<std::uint16_t> little16() {
        if (at_ > bytes_.size() || bytes_.size() - at_ < 2) return std::nullopt;
        const auto value =
            static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes_[at_]) |
                                       static_cast<std::uint8_t>(bytes_[at_ + 1]) << 8);
        at_ += 2;
        return value;
    }
    std::optional<std::string> counted(std::size_t length) {
        if (length > bytes_.size() - at_) return std::nullopt;
        std::string out(bytes_.substr(at_, length));
        at_ += length;
        return out;
    }
    std::optional<std::string> pascal() {
        const auto length = byte();
        if (!length) return std::nullopt;
        return counted(*length);
    }
    // Up to the next zero byte, which is passed over.
    std::optional<std::string> terminated() {
        const auto end = bytes_.find('\0', at_);
        if (end == std::string_view::npos) return std::nullopt;
        std::string out(bytes_.substr(at_, end - at_));
        at_ = end + 1;
        return out;
    }
    // A length in 7-bit groups, lowest first, each but the last with its top bit set.
    std::optional<std::string> sevenBitCounted() {
        std::size_t length = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const auto b = byte();
            if (!b) return std::nullopt;
            length |= static_cast<std::size_t>(*b & 0x7f) << shift;
            if ((*b & 0x80) == 0) return counted(length);
        }
        return std::nullopt;
    }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

StringSet& setFor(StringTable& table, std::uint8_t language) {
    for (auto& set : table.sets) {
        if (set.language == language) return set;
    }
    table.sets.push_back({language, {}});
    return table.sets.back();
}

// Each reader returns false where the bytes end or lie; what it read stays.
bool readSingle(Cursor& in, StringTable& table, std::size_t count, bool pascal) {
    auto& set = setFor(table, 1);
    for (std::size_t i = 0; i < count; ++i) {
        auto text = pascal ? in.pascal() : in.terminated();
        if (!text) return false;
        set.strings.push_back(std::move(*text));
    }
    return true;
}

bool readPairs(Cursor& in, StringTable& table, std::size_t count, bool withLanguage) {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t language = 1;
        if (withLanguage) {
            const auto code = in.byte();
            if (!code) return false;
            language = *code == 0 ? 1 : *code;
        }
        auto text = in.terminated();
        if (!text || !in.terminated()) return false;
        // The notes know twenty languages; a string of another is left out.
        if (language <= 20) setFor(table, language).strings.push_back(std::move(*text));
    }
    return true;
}

bool readLanguageSets(Cursor& in, StringTable& table) {
    const auto sets = in.byte();
    if (!sets) return false;
    for (unsigned s = 0; s < *sets; ++s) {
        const auto count = in.little16();
        if (!count) return false;
        for (unsigned i = 0; i < *count; ++i) {
            const auto code = in.byte();
            auto text = code ? in.sevenBitCounted() : std::nullopt;
            if (!text || !in.sevenBitCounted()) return false;
            const unsigned language = *code + 1u;
            if (language <= 20) {
                setFor(table, static_cast<std::uint8_t>(language))
                    .strings.push_back(std::move(*text));
            }
        }
    }
    return true;
}

}  // namespace

StringTable readStringTable(ByteSource& bytes, const ChunkPlace& place) {
    StringTable table;
    const auto fault = [&](FormatFault::Kind kind, FormatFault::Code code) {
        FormatFault out;
        out.kind = kind;
        out.code = code;
        out.format = FormatFault::Format::kStringTable;
        out.size = bytes.size();
        out.name = place.type;
        out.item = place.id;
        table.fault = std::move(out);
        return table;
    };
    if (place.size > kLargestStringTable) {
        return fault(FormatFault::kDamaged, FormatFault::Code::kTableLarge);
    }
    if (place.offset > bytes.size() || bytes.size() - place.offset < place.size) {
        return fault(FormatFault::kPastEnd, FormatFault::Code::kTablePastEnd);
    }
    std::string data(static_cast<std::size_t>(place.size), '\0');
    if (bytes.read(place.offset, data.data(), data.size()) < data.size()) {
        throw ReadError("it became shorter while it was being read");
    }
    Cursor in(data);
    const auto code = in.little16();
    if (!code) return fault(FormatFault::kTruncated, FormatFault::Code::kTableNoString);
    const auto format = static_cast<std::int16_t>(*code);
    bool whole = true;
    if (format == -4) {
        whole = readLanguageSets(in, table);
    } else if (format < 0 && format >= -3) {
        const auto count = in.little16();
        whole = count && (format == -1   ? readSingle(in, table, *count, false)
                          : format == -2 ? readPairs(in, table, *count, false)
                                         : readPairs(in, table, *count, true));
    } else if (format == 0) {
        // Some tables the game writes stop after the code: they hold no strings.
        if (in.empty()) return table;
        const auto count = in.little16();
        whole = count && readSingle(in, table, *count, true);
    } else if (format > 0) {
        const auto count = static_cast<std::size_t>(((*code & 0xff) << 8) | (*code >> 8));
        whole = readSingle(in, table, count, true);
    } else {
        return fault(FormatFault::kDamaged, FormatFault::Code::kTableUnknown);
    }
    if (!whole) return fault(FormatFault::kTruncated, FormatFault::Code::kTableStringCut);
    return table;
}

const StringSet* stringsIn(const StringTable& table, std::uint8_t language) {
    const StringSet* english = nullptr;
    const StringSet* first = nullptr;
    for (const auto& set : table.sets) {
        if (set.strings.empty()) continue;
        if (set.language == language) return &set;
        if (set.language == 1 && !english) english = &set;
        if (!first) first = &set;
    }
    return english ? english : first;
}

}  // namespace brambleton::content
