// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/ascii.h"

namespace brambleton::content {

// How the readers read a file (inspection.h): which reader, and what it keeps.
enum class FileKind : std::uint8_t {
    kObject,    // .iff: an object, whose OBJD chunks give its IDs
    kTileSet,   // .flr, .wll: IFF too, read for faults only
    kArchive,   // .far: its table, and each IFF entry's chunk headers in place
    kMeshList,  // .cmx: the meshes it names
    kTexture,   // .bmp in a skins folder: its header
    kMesh,      // .skn: the texture it names
};

// What a content file is.
enum class ContentType : std::uint8_t {
    kObject,
    kFloor,
    kWall,
    kArchive,    // the game's FAR archive
    kMeshList,   // .cmx
    kMesh,       // .skn, .bmf
    kAnimation,  // .bcf, .cfp
    kPicture,    // .bmp: a skin's texture, a roof
    kPacked,     // .zip, .rar, .7z: packed downloads the game cannot read
};

// One ending the game's files (or the downloads they come in) take.
struct FileType {
    std::string_view extension;  // lower case, without the dot
    ContentType type;
    // The first bytes of a sound file of the type; empty where the format has none.
    std::string_view magic;
    // How the readers read it; none where nothing reads inside it.
    std::optional<FileKind> reader;
    // The fuzzer that reads it (tests/content), whose seeds and samples lie in
    // tests/samples/<fuzzer>; empty where none does.
    std::string_view fuzzer;
};

// Every ending a scan knows, each once. A scan asks typeOf() what a file is and which reader
// reads it; the fuzzers' seeds are written for each ending a fuzzer reads.
inline constexpr std::array<FileType, 13> kFileTypes = {{
    {"iff", ContentType::kObject, "IFF FILE 2.", FileKind::kObject, "iff"},
    {"flr", ContentType::kFloor, "IFF FILE 2.", FileKind::kTileSet, "iff"},
    {"wll", ContentType::kWall, "IFF FILE 2.", FileKind::kTileSet, "iff"},
    {"far", ContentType::kArchive, "FAR!byAZ", FileKind::kArchive, "far"},
    {"cmx", ContentType::kMeshList, "", FileKind::kMeshList, "cmx"},
    {"skn", ContentType::kMesh, "", FileKind::kMesh, ""},
    {"bmf", ContentType::kMesh, "", std::nullopt, ""},
    {"bcf", ContentType::kAnimation, "", std::nullopt, ""},
    {"cfp", ContentType::kAnimation, "", std::nullopt, ""},
    {"bmp", ContentType::kPicture, "BM", FileKind::kTexture, ""},
    {"zip", ContentType::kPacked, "PK\x03\x04", std::nullopt, ""},
    {"rar", ContentType::kPacked, "Rar!\x1a\x07", std::nullopt, ""},
    {"7z", ContentType::kPacked, "7z\xbc\xaf\x27\x1c", std::nullopt, ""},
}};

// The type of a file whose last ending is `extension` (any case); none for an ending no scan
// knows.
constexpr const FileType* typeOf(std::string_view extension) {
    for (const auto& type : kFileTypes) {
        if (ascii::equalNoCase(type.extension, extension)) return &type;
    }
    return nullptr;
}

// Whether a file of `extension` is of `type`.
constexpr bool isType(std::string_view extension, ContentType type) {
    const FileType* found = typeOf(extension);
    return found && found->type == type;
}

}  // namespace brambleton::content
