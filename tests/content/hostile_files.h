// SPDX-License-Identifier: MIT
// Files of the game's formats that a reader must refuse, built byte by byte, each named by
// what is wrong with it: the readers' tests check what each reads as, and the fuzzers start
// from them (format_seeds writes each as a named file).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "content/formats/byte_source.h"
#include "sims_files.h"

namespace brambleton::content {

using brambleton::testing::bigEndian;
using brambleton::testing::cmxFile;
using brambleton::testing::farFile;
using brambleton::testing::iffChunk;
using brambleton::testing::iffFile;
using brambleton::testing::littleEndian;
using brambleton::testing::objectFile;
using std::string_literals::operator""s;
using Kind = FormatFault::Kind;

// An object with a sprite of `sprite` bytes between its chunk headers.
inline std::string object(std::uint32_t guid, std::size_t sprite = 3000) {
    return objectFile({guid}, sprite);
}

struct FaultCase {
    const char* why;
    std::string bytes;
    Kind kind;
    const char* says;  // words the sentence holds
};

inline std::string withChunkSize(std::string file, std::size_t chunkAt, std::uint32_t size) {
    file.replace(chunkAt + 4, 4, bigEndian(size));
    return file;
}

inline const FaultCase kIffFaults[] = {
    {"empty", "", Kind::kTruncated, "empty"},
    {"a web page saved as an object", "<!DOCTYPE html><html><body>404 Not Found</body></html>",
     Kind::kNotThisFormat, "web page"},
    {"a web page with a byte order mark", "\xEF\xBB\xBF\r\n<html>", Kind::kNotThisFormat,
     "web page"},
    {"a zip", "PK\x03\x04\x14\x00\x00\x00"s, Kind::kNotThisFormat, "ZIP"},
    {"an archive named as an object", farFile({{"a.iff", object(1)}}), Kind::kNotThisFormat,
     "rename it to end in .far"},
    {"text", "hello, this is not an object at all, just some text", Kind::kNotThisFormat,
     "signature"},
    {"a chunk smaller than its header", withChunkSize(object(1), 64, 75), Kind::kDamaged,
     "less than its own header"},
    {"a chunk running past the end", withChunkSize(object(1), 64, 1u << 30), Kind::kTruncated,
     "past its end"},
    {"a chunk size no chunk can have is damage, not a download cut short",
     withChunkSize(object(1), 64, 0xffffffffu), Kind::kDamaged, "more than any chunk"},
    {"a map too close to the end for its header",
     [] {
         auto f = object(1);
         return f.replace(60, 4, bigEndian(static_cast<std::uint32_t>(f.size() - 40)));
     }(),
     Kind::kPastEnd, "too close to its end"},
    {"a map past the end",
     [] {
         auto f = object(1);
         return f.replace(60, 4, bigEndian(0x7fffffff));
     }(),
     Kind::kPastEnd, "resource map"},
    {"a map inside the header",
     [] {
         auto f = object(1);
         return f.replace(60, 4, bigEndian(8));
     }(),
     Kind::kPastEnd, "inside the header"},
    {"an object definition too short for an ID", iffFile({iffChunk("OBJD", 1, "short")}),
     Kind::kDamaged, "too short"},
};

inline std::string farWith(std::size_t at, const std::string& bytes) {
    std::string file = farFile({{"a.iff", object(1)}});
    return file.replace(at, bytes.size(), bytes);
}

// The table of the one-entry archive farWith() changes starts after the header and the entry.
inline const std::size_t kTable = 16 + object(1).size();

inline const FaultCase kFarFaults[] = {
    {"a zip renamed", "PK\x03\x04\x14\x00\x08\x00\x08\x00"s, Kind::kNotThisFormat, "ZIP"},
    {"a rar renamed", "Rar!\x1a\x07\x01\x00"s, Kind::kNotThisFormat, "RAR"},
    {"an object renamed", object(1), Kind::kNotThisFormat, "rename it to end in .iff"},
    {"version 3", farWith(8, littleEndian(3)), Kind::kDamaged, "version 3"},
    {"a table past the end", farWith(12, littleEndian(1u << 30)), Kind::kPastEnd,
     "table of contents"},
    {"more entries than fit", farWith(kTable, littleEndian(100000)), Kind::kPastEnd, "lists"},
    {"a compressed entry", farWith(kTable + 4, littleEndian(10)), Kind::kDamaged, "compressed"},
    {"an entry past the end", farWith(kTable + 12, littleEndian(1u << 30)), Kind::kPastEnd,
     "past its end"},
    {"a name too long", farWith(kTable + 16, littleEndian(1u << 20)), Kind::kDamaged, "name"},
    {"an entry without a name", farWith(kTable + 16, littleEndian(0)), Kind::kDamaged,
     "has no name"},
};

struct CmxCase {
    const char* why;
    std::string text;
    std::vector<std::string> meshes;
};

inline const CmxCase kCmx[] = {
    {"a body",
     cmxFile("b001fafit_x", {"xskin-b001fafit_x-PELVIS-BODY"}),
     {"xskin-b001fafit_x-PELVIS-BODY"}},
    {"a body with an accessory",
     cmxFile("b504fafit_aurra", {"xskin-b504fafit_aurra-PELVIS-BODY", "xskin-b504-SPINE2-GUN"}),
     {"xskin-b504fafit_aurra-PELVIS-BODY", "xskin-b504-SPINE2-GUN"}},
    {"two suits, each ending with its props",
     "version "
     "300\n0\n2\nsuitA\n0\n0\n1\nPELVIS\nmeshA\n0\n0\n0\nsuitB\n0\n0\n1\nHEAD\nmeshB\n0\n0\n0\n",
     {"meshA", "meshB"}},
    {"a skeleton's file", "version 300\n1\nadult\n2\nROOT\nNULL\n0\n", {}},
    {"not a mesh list", "<html>no</html>", {}},
    {"cut inside a skin",
     "version 300\n0\n1\nsuit\n0\n0\n2\nPELVIS\nmeshA\n0\n0\nHEAD\n",
     {"meshA"}},
    {"a count too large", "version 300\n0\n99999999\nsuit\n", {}},
    {"empty", "", {}},
};

// Test names read as what is wrong.
inline void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.why;
}
inline void PrintTo(const CmxCase& c, std::ostream* os) {
    *os << c.why;
}

}  // namespace brambleton::content
