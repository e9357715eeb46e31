// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambleton::launchers {

// Lutris's per-game files are small; a larger one is not Lutris's.
inline constexpr std::size_t kMaxLutrisFile = std::size_t{1} << 20;

// What a Lutris per-game file says of its Wine prefix.
struct LutrisGame {
    std::string prefix;   // `game: prefix:`, as written ("~/Games/the-sims"); may be empty
    std::string problem;  // why the text was not read ("is not valid YAML"); empty when read
};

// Reads `game: prefix:` from the YAML text of a Lutris per-game file. Text nested deeper
// than any Lutris file is refused before it is parsed, and the parse keeps no document, so
// any text costs a small multiple of its size at most.
LutrisGame readLutrisGame(std::string_view text);

}  // namespace brambleton::launchers
