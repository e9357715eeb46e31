// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

namespace brambleton::content {

// One place below the install folder from which the game loads custom content.
struct Area {
    std::string_view name;                       // as reports and --check --json name it
    std::array<std::string_view, 2> folder;      // the folder below the install folder
    std::array<std::string_view, 6> extensions;  // lower case, without the dot; empty = none
    bool readsSubfolders;                        // whether the game looks below the folder
};

// What the game loads, and from where. The Legacy Collection uses the same folders below its
// install folder as the disc editions. Sources: the players' install guides for the Legacy
// Collection and the disc editions (the Legacy Collection mod guide's installing and
// file-reference pages, the Sims Wiki's custom-content guide):
//  - objects: Downloads takes .iff and .far at any depth; GameData\UserObjects takes .iff;
//  - floors and walls: GameData\Floors (.flr) and GameData\Walls (.wll); the guides disagree
//    on sub-folders, so they are read and nothing is reported about them;
//  - skins: GameData\Skins and, for the clothes Sims buy on community lots (Hot Date's
//    clothing racks and after), ExpansionShared\SkinsBuy take textures (.bmp), meshes (.skn,
//    .bmf) and animations and mesh lists (.cmx, .bcf, .cfp), in the folder itself only;
//  - roofs: GameData\Roofs takes .bmp in the folder itself only: the game's roof panel lists
//    that one folder, and the Legacy Collection guide says roofs go straight into
//    GameData\Roofs.
inline constexpr std::array<Area, 7> kAreas = {{
    {"objects", {"Downloads", ""}, {"iff", "far", "", "", "", ""}, true},
    {"objects", {"GameData", "UserObjects"}, {"iff", "", "", "", "", ""}, true},
    {"floors", {"GameData", "Floors"}, {"flr", "", "", "", "", ""}, true},
    {"walls", {"GameData", "Walls"}, {"wll", "", "", "", "", ""}, true},
    {"skins", {"GameData", "Skins"}, {"bmp", "skn", "cmx", "bmf", "bcf", "cfp"}, false},
    {"buyable skins",
     {"ExpansionShared", "SkinsBuy"},
     {"bmp", "skn", "cmx", "bmf", "bcf", "cfp"},
     false},
    {"roofs", {"GameData", "Roofs"}, {"bmp", "", "", "", "", ""}, false},
}};

// The extensions of packed archives, which the game cannot read.
inline constexpr std::array<std::string_view, 3> kArchiveExtensions = {"zip", "rar", "7z"};

// Skin meshes and animations, which only the skin folders load.
inline constexpr std::array<std::string_view, 5> kSkinMeshExtensions = {"skn", "cmx", "bmf", "bcf",
                                                                        "cfp"};

}  // namespace brambleton::content
