// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "content/formats/byte_source.h"

namespace brambleton::content {

// Reads the meshes a text CMX file names: the skin name of each skin of each suit, which is
// the name of a mesh file (name.skn, or name.bmf in binary form) without its extension. Reads
// at most the first 1 MiB (skin files are a few hundred bytes). A file that is not a CMX the
// game uses for skins (one holding skeletons, or not text in this form) names no meshes: what
// was read before the part that is not understood is kept. Throws ReadError when the bytes
// cannot be read.
//
// The form: lines; those starting "//" are comments. "version 300"; the number of skeletons
// (0 in a skin's file); the number of suits; then each suit: its name, its type, a number,
// its number of skins, and each skin as four lines: the bone, the skin's (mesh's) name, its
// censor flags, a number; a suit may end with its number of props.
std::vector<std::string> readCmxMeshes(ByteSource& bytes);

// What a skin's mesh list says of itself and names: its suits' names (a skin's file names
// its one suit as the file is named) and the meshes, read as readCmxMeshes reads them.
struct CmxSummary {
    std::vector<std::string> suits;
    std::vector<std::string> meshes;
};
CmxSummary readCmx(ByteSource& bytes);

}  // namespace brambleton::content
