// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "content/formats/byte_source.h"

namespace brambleton::content {

// One file inside a FAR archive, as its table of contents lists it.
struct FarEntry {
    std::string name;  // as stored: bytes, most often ASCII
    std::uint64_t offset;
    std::uint64_t size;
};

// Reads the table of contents of the FAR archive in `bytes` and hands each entry, in the
// table's order, to `entry` (so a table of a million entries costs no memory). Checks every
// offset and length against the archive's size first: an entry lying past the end, or
// stored compressed (which the game cannot read), is the archive's fault, and reading stops
// there. Returns the fault, or none. Throws ReadError when the bytes cannot be read.
//
// The format (version 1a, little-endian): "FAR!byAZ", a version (4 bytes, 1), the table's
// offset (4); at that offset the number of entries (4), then for each its size (4), its size
// again (4; a different second size means compressed), its data's offset (4), its name's
// length (4) and its name.
std::optional<FormatFault> readFar(ByteSource& bytes,
                                   const std::function<void(const FarEntry&)>& entry);

}  // namespace brambleton::content
