// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brambleton {

// One kind of downloaded content the main window offers: where the game keeps it below its
// install folder and which files it is.
struct ContentCategory {
    std::string_view caption;  // its option button's caption
    std::string_view pattern;  // file-list pattern, ";"-separated entries
    std::string_view folder;   // appended to the install folder as it stands
};

// What a folder of the game loads.
enum class Area : std::uint8_t { kObjects, kFloors, kWalls, kSkins, kRoofs };

// One folder below the install folder from which the game loads custom content, and what
// it loads there. The main window's five categories and the content check's areas both
// come from the table below.
struct GameFolder {
    Area area;
    std::string_view key;                    // its stable name in --check --json and for scripts
    std::string_view label;                  // its name in a window, as a player reads it
    std::array<std::string_view, 2> folder;  // the folder below the install folder
    std::array<std::string_view, 6> extensions;  // lower case, without the dot; empty = none
    bool readsSubfolders;                        // whether the game looks below the folder
    // The main window's category that shows this folder; all empty for a folder no
    // category shows.
    ContentCategory category;
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
// The categories' patterns are the ones the program has always offered: Skins lists the
// textures, meshes and mesh lists a player handles, not every ending the game loads.
// clang-format off
inline constexpr std::array<GameFolder, 7> kGameFolders = {{
    {Area::kObjects, "objects", "Objects", {"Downloads", ""}, {"iff", "far", "", "", "", ""}, true,
     {"Objects", "*.IFF", "Downloads\\"}},
    {Area::kObjects, "objects", "Objects", {"GameData", "UserObjects"}, {"iff", "", "", "", "", ""},
     true, {}},
    {Area::kFloors, "floors", "Floors", {"GameData", "Floors"}, {"flr", "", "", "", "", ""}, true,
     {"Floors", "*.FLR", "GameData\\Floors"}},
    {Area::kWalls, "walls", "Walls", {"GameData", "Walls"}, {"wll", "", "", "", "", ""}, true,
     {"Walls", "*.WLL", "GameData\\Walls"}},
    {Area::kSkins, "skins", "Skins", {"GameData", "Skins"}, {"bmp", "skn", "cmx", "bmf", "bcf", "cfp"},
     false, {"Skins", "*.skn;*.bmp;*.cmx", "GameData\\Skins"}},
    {Area::kSkins, "buyable skins", "Buyable skins", {"ExpansionShared", "SkinsBuy"},
     {"bmp", "skn", "cmx", "bmf", "bcf", "cfp"}, false, {}},
    {Area::kRoofs, "roofs", "Roofs", {"GameData", "Roofs"}, {"bmp", "", "", "", "", ""}, false,
     {"Roofs", "*.bmp", "GameData\\Roofs"}},
}};
// clang-format on

// The rows of kGameFolders.
inline constexpr std::size_t kDownloadsRow = 0;
inline constexpr std::size_t kUserObjectsRow = 1;
inline constexpr std::size_t kFloorsRow = 2;
inline constexpr std::size_t kWallsRow = 3;
inline constexpr std::size_t kSkinsRow = 4;
inline constexpr std::size_t kSkinsBuyRow = 5;
inline constexpr std::size_t kRoofsRow = 6;

// How many folders a category shows.
constexpr std::size_t categoryCount() {
    std::size_t count = 0;
    for (const auto& folder : kGameFolders) count += folder.category.caption.empty() ? 0 : 1;
    return count;
}

// Skin meshes and animations, which only the skin folders load.
inline constexpr std::array<std::string_view, 5> kSkinMeshExtensions = {"skn", "cmx", "bmf", "bcf",
                                                                        "cfp"};

}  // namespace brambleton
