// SPDX-License-Identifier: MIT
#pragma once

// Builds the game's file formats byte by byte, as the game's tools write them, for tests and
// fuzzing seeds.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brambleton::testing {

inline std::string bigEndian(std::uint32_t n, int bytes = 4) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((n >> (8 * i)) & 0xff);
    return out;
}

inline std::string littleEndian(std::uint32_t n, int bytes = 4) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((n >> (8 * i)) & 0xff);
    return out;
}

// One IFF chunk: its 76-byte header (type, size with the header, ID, flags, label) and data.
inline std::string iffChunk(std::string_view type, std::uint16_t id, std::string_view data,
                            std::string_view label = "") {
    std::string label64(label.substr(0, 64));
    label64.resize(64, '\0');
    return std::string(type) + bigEndian(static_cast<std::uint32_t>(76 + data.size())) +
           bigEndian(id, 2) + bigEndian(0x10, 2) + label64 + std::string(data);
}

// An OBJD chunk's data: 16-bit little-endian fields, the object ID at byte 28, as version 138
// writes it (the game's own are about 220 bytes).
inline std::string objdData(std::uint32_t guid, std::uint16_t subIndex = 0xffff) {
    std::string data = littleEndian(138);  // version
    data += littleEndian(1, 2);            // stack size
    data += littleEndian(100, 2);          // base graphic
    data += littleEndian(1, 2);            // graphics
    data += littleEndian(4096, 2);         // main behaviour
    data += littleEndian(0, 2);            // gardening behaviour
    data += littleEndian(0, 2);            // tree table
    data += littleEndian(0, 2);            // interaction group
    data += littleEndian(4, 2);            // type: a buyable object
    data += littleEndian(0, 2);            // master ID
    data += littleEndian(subIndex, 2);     // sub index
    data += littleEndian(0, 2);            // wash hands behaviour
    data += littleEndian(0, 2);            // animation table
    data += littleEndian(guid);            // the object ID, at byte 28
    data.resize(220, '\0');
    return data;
}

// An IFF file of `chunks`, with a resource map as its last chunk (as most objects have), so
// that cutting the file anywhere leaves the map's offset pointing past the end.
inline std::string iffFile(const std::vector<std::string>& chunks, bool withMap = true) {
    using namespace std::string_view_literals;
    std::string signature("IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1"sv);
    signature.resize(60, '\0');
    std::string body;
    for (const auto& c : chunks) body += c;
    const std::uint32_t map = withMap ? static_cast<std::uint32_t>(64 + body.size()) : 0;
    if (withMap) body += iffChunk("rsmp", 0, std::string(20, '\0'));
    return signature + bigEndian(map) + body;
}

// An object: its OBJD chunks (one per tile), a behaviour, strings and a sprite of `spriteBytes`.
inline std::string objectFile(const std::vector<std::uint32_t>& guids,
                              std::size_t spriteBytes = 3000) {
    std::vector<std::string> chunks;
    chunks.reserve(guids.size() + 3);
    std::uint16_t id = 128;
    for (const auto guid : guids) chunks.push_back(iffChunk("OBJD", id++, objdData(guid), "tile"));
    chunks.push_back(iffChunk("BHAV", 4096, std::string(120, '\x01'), "main"));
    chunks.push_back(iffChunk("CTSS", 2000, std::string(60, 'a'), "catalog"));
    chunks.push_back(iffChunk("SPR2", 256, std::string(spriteBytes, '\x7f'), "sprite"));
    return iffFile(chunks);
}

// A FAR archive (version 1a) of `entries` (name, bytes), its table of contents at the end.
inline std::string farFile(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string data;
    std::string table = littleEndian(static_cast<std::uint32_t>(entries.size()));
    for (const auto& [name, bytes] : entries) {
        const auto size = static_cast<std::uint32_t>(bytes.size());
        table += littleEndian(size) + littleEndian(size) +
                 littleEndian(static_cast<std::uint32_t>(16 + data.size())) +
                 littleEndian(static_cast<std::uint32_t>(name.size())) + name;
        data += bytes;
    }
    return "FAR!byAZ" + littleEndian(1) +
           littleEndian(static_cast<std::uint32_t>(16 + data.size())) + data + table;
}

// A skin's mesh list naming `meshes`, each on its bone, as the game's skin files are written.
inline std::string cmxFile(std::string_view suit, const std::vector<std::string>& meshes) {
    std::string out = "// Character File. Copyright 1997, Maxis Inc.\r\nversion 300\r\n0\r\n1\r\n";
    out += std::string(suit) + "\r\n0\r\n0\r\n" + std::to_string(meshes.size()) + "\r\n";
    for (const auto& mesh : meshes) out += "PELVIS\r\n" + mesh + "\r\n0\r\n0\r\n";
    return out + "0\r\n";
}

// A Windows BMP of `side` x `side` pixels, 8 bits from a palette of 256 colours, all of them
// the palette's colour 0 (`blue`, `green`, `red`).
inline std::string bmpFile(std::uint32_t side, unsigned char blue = 0, unsigned char green = 0,
                           unsigned char red = 255) {
    const std::uint32_t row = (side + 3) / 4 * 4;
    const std::uint32_t offset = 14 + 40 + 256 * 4;
    std::string out = "BM" + littleEndian(offset + row * side) + littleEndian(0) +
                      littleEndian(offset) + littleEndian(40) + littleEndian(side) +
                      littleEndian(side) + littleEndian(1, 2) + littleEndian(8, 2) +
                      littleEndian(0) + littleEndian(row * side) + littleEndian(2835) +
                      littleEndian(2835) + littleEndian(256) + littleEndian(0);
    out += std::string{static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red),
                       '\0'};
    out += std::string(std::size_t{255} * 4, '\0') + std::string(std::size_t{row} * side, '\0');
    return out;
}

// A BMP of `width` x `height` pixels in the form given: `bits` per pixel (up to 8 from a
// palette of `colours` entries, 0 for all of them), rows stored top down with `topDown`, the
// 12-byte OS/2 header with `os2`. Pixels and palette make a pattern in which neighbours differ.
struct BmpForm {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits = 8;
    bool topDown = false;
    bool os2 = false;
    std::uint32_t colours = 0;
};
inline std::string bmpFile(const BmpForm& form) {
    const std::uint32_t entries =
        form.bits <= 8 ? (form.colours != 0 ? form.colours : 1U << form.bits) : 0;
    const std::uint32_t entrySize = form.os2 ? 3 : 4;
    const std::uint32_t infoSize = form.os2 ? 12 : 40;
    const auto width = static_cast<std::uint32_t>(form.width);
    const auto height = static_cast<std::uint32_t>(form.height);
    const std::uint32_t row = (width * form.bits + 31) / 32 * 4;
    const std::uint32_t offset = 14 + infoSize + entries * entrySize;
    std::string out = "BM" + littleEndian(offset + row * height) + littleEndian(0) +
                      littleEndian(offset) + littleEndian(infoSize);
    if (form.os2) {
        out += littleEndian(width, 2) + littleEndian(height, 2) + littleEndian(1, 2) +
               littleEndian(form.bits, 2);
    } else {
        out += littleEndian(width) +
               littleEndian(static_cast<std::uint32_t>(form.topDown ? -form.height : form.height)) +
               littleEndian(1, 2) + littleEndian(form.bits, 2) + littleEndian(0) +
               littleEndian(row * height) + littleEndian(2835) + littleEndian(2835) +
               littleEndian(form.colours) + littleEndian(0);
    }
    for (std::uint32_t i = 0; i < entries; ++i) {
        out += static_cast<char>(i * 7);
        out += static_cast<char>(255 - i);
        out += static_cast<char>(i * 13 + 5);
        if (!form.os2) out += '\0';
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < row; ++x) {
            std::uint32_t value = x * 37 + y * 11 + 3;
            // Indexes stay inside the palette, so every reader agrees on each pixel's colour.
            if (form.bits <= 8 && form.colours != 0) {
                value = 0;
                for (std::uint32_t k = 0; k < 8U / form.bits; ++k)
                    value = (value << form.bits) | ((x + y + k) % form.colours);
            }
            out += static_cast<char>(value);
        }
    }
    return out;
}

// An object for sale: its OBJD with `price` (at byte 36), the function flags `functions` (at
// 80) and catalogue strings ID 1 (at 82), a CTSS 1 holding `name` and `description` in US
// English, and, unless `bmp` is empty, the BMP_ 1 `bmp` (the game's are 74 by 37: two views
// side by side).
inline std::string catalogueObjectPictured(std::uint32_t guid, std::string_view name,
                                           std::string_view description, std::uint16_t price,
                                           std::uint16_t functions, const std::string& bmp) {
    std::string objd = objdData(guid);
    objd.replace(36, 2, littleEndian(price, 2));
    objd.replace(80, 2, littleEndian(functions, 2));
    objd.replace(82, 2, littleEndian(1, 2));
    std::string strings = "\xff\xff" + littleEndian(2, 2) + std::string(name) + '\0' +
                          std::string(description) + '\0';
    std::vector<std::string> chunks = {iffChunk("OBJD", 128, objd), iffChunk("CTSS", 1, strings)};
    if (!bmp.empty()) chunks.push_back(iffChunk("BMP_", 1, bmp));
    return iffFile(chunks);
}

// catalogueObjectPictured with, for a `pictureSide`, a BMP_ of that many pixels square.
inline std::string catalogueObject(std::uint32_t guid, std::string_view name,
                                   std::string_view description, std::uint16_t price,
                                   std::uint16_t functions, std::uint32_t pictureSide = 0) {
    return catalogueObjectPictured(guid, name, description, price, functions,
                                   pictureSide ? bmpFile(pictureSide) : std::string());
}

// A name as save tables store it: zero-ended, then a pad byte (not always 0) when its length
// is even.
inline std::string paddedName(std::string_view name) {
    return std::string(name) + '\0' + (name.size() % 2 == 0 ? "\x5a" : "");
}

// One object a lot holds: kind 2 is a person; `clonedFrom` is written in version 3 only.
struct LotEntry {
    std::uint32_t id;
    std::string name;
    std::uint16_t kind = 4;
    std::uint32_t clonedFrom = 0;
};

// A lot's objt data.
inline std::string objtData(const std::vector<LotEntry>& objects, std::uint32_t version = 2) {
    std::string out = littleEndian(0) + littleEndian(version) + "tjbo";
    std::uint16_t number = 0;
    for (const auto& o : objects) {
        out += littleEndian(o.id) + littleEndian(1, 2) + littleEndian(0, 2) + littleEndian(7, 2) +
               littleEndian(0, 2) + littleEndian(++number, 2) + littleEndian(o.kind, 2) +
               paddedName(o.name);
        if (version >= 3) out += littleEndian(o.clonedFrom);
    }
    return out + littleEndian(0);
}

// FLRm or WALm data of chunk ID `id`: the file names a lot uses.
inline std::string tileNamesData(const std::vector<std::string>& names, std::uint16_t id,
                                 std::string_view tag) {
    std::string out = littleEndian(0) + littleEndian(id) + std::string(tag) +
                      littleEndian(static_cast<std::uint32_t>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        out += paddedName(names[i]) + littleEndian(1) + static_cast<char>(i + 1) +
               std::string(5 + std::size_t{2} * id, '\0');
    }
    return out;
}

// A lot file (UserData/Houses/HouseNN.iff) of `objects`, floors, walls and a roof, among
// other chunks of the kind lots hold; with `oldHeader`, IFF 2.0's all-text header.
inline std::string houseFile(const std::vector<LotEntry>& objects,
                             const std::vector<std::string>& floors = {},
                             const std::vector<std::string>& walls = {}, std::string_view roof = {},
                             std::uint32_t version = 2, bool oldHeader = false) {
    const std::string hous = littleEndian(0) + littleEndian(0x6c) + "SUOH" + std::string(22, '\1') +
                             littleEndian(0x1234) + std::string(roof) + '\0';
    std::vector<std::string> chunks = {iffChunk("SIMI", 1, std::string(200, '\0')),
                                       iffChunk("HOUS", 0, hous),
                                       iffChunk("objt", 0, objtData(objects, version)),
                                       iffChunk("ARRY", 1, std::string(600, '\0'))};
    if (!floors.empty()) chunks.push_back(iffChunk("FLRm", 1, tileNamesData(floors, 1, "mRLF")));
    if (!walls.empty()) chunks.push_back(iffChunk("WALm", 1, tileNamesData(walls, 1, "mLAW")));
    if (!oldHeader) return iffFile(chunks);
    std::string out("IFF FILE 2.0:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1996\0", 64);
    for (const auto& c : chunks) out += c;
    return out;
}

}  // namespace brambleton::testing
