// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "content/formats/byte_source.h"
#include "content/formats/iff_reader.h"

namespace brambleton::content {

// The strings of one language in a string table, as stored: bytes in that language's code
// page (see text_codes.h), not UTF-8.
struct StringSet {
    std::uint8_t language = 1;  // 1 US English ... 20 Korean
    std::vector<std::string> strings;
};

// A string table (STR#, CTSS): its language sets in the order the chunk gives them.
struct StringTable {
    std::vector<StringSet> sets;
    std::optional<FormatFault> fault;  // the table's bytes end or lie; what was read is kept
};

// The largest string table read: a catalogue's strings in twenty languages take a few
// kilobytes; a larger chunk is not read.
inline constexpr std::uint64_t kLargestStringTable = 1 << 20;

// Reads the string table whose data lies at `place` in `bytes`. The formats, from the public
// notes (the Sims technical aspects' string table page, the Niotso wiki's STR# page, FreeSO's
// STR reader), by the first two bytes read as a little-endian code:
//    0  a 16-bit count, then Pascal strings (a length byte, then the bytes)
//   -1  a count, then strings ending in a zero byte
//   -2  a count, then pairs of such strings (the string, a comment)
//   -3  a count, then for each a language byte (0 meaning 1) and a pair of such strings
//   -4  a count of language sets, then for each a 16-bit count and for each string a
//       language byte (one less than the code) and two strings each led by a length in
//       7-bit groups
//  any other non-negative code: that many Pascal strings (the notes' oldest format, whose
// count is the code read big-endian).
// Counts are little-endian. Every length is checked against the bytes left.
StringTable readStringTable(ByteSource& bytes, const ChunkPlace& place);

// The strings of `table` in `language` where it has them, else in US English, else the
// first set that has any; null when there are none.
const StringSet* stringsIn(const StringTable& table, std::uint8_t language);

}  // namespace brambleton::content
