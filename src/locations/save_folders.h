// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brambleton {

// Where to look for a copy's saved games.
struct SavesPlaces {
    // A folder the player named (--saves, or chosen in the window): a UserData* folder, or a
    // folder holding them. When set, it is the only place looked at.
    std::filesystem::path chosen;
    // The copy's install folder on this machine.
    std::filesystem::path install;
    // The Wine prefix the copy lies in; empty when none (a Steam library, Windows).
    std::filesystem::path prefix;
    // The user's home on Windows (the profile); on Linux, the home too, where a profile's
    // "Saved Games" is never found.
    std::filesystem::path profile;
};

// One UserData* folder found, with where it was found ("the install folder", "Proton
// prefix /…/compatdata/3314060/pfx").
struct SaveFolder {
    std::filesystem::path folder;
    std::string where;
};

// The UserData folders that hold a copy's saves (its neighbourhood file and its Houses), in
// this order, each folder once:
//  - `chosen` alone when given: itself when it is a UserData* folder or holds Houses or
//    Neighborhood.iff, else each UserData* folder in it;
//  - the disc editions' UserData, UserData2, ... in the install folder;
//  - the Legacy Collection's "Saved Games\Electronic Arts\The Sims 25\UserData*" in the
//    profile: on Windows the user's own; in a Wine prefix every user's below drive_c\users;
//    for a copy in a Steam library, the user "steamuser" of Proton's prefix for the game
//    (steamapps/compatdata/3314060/pfx in that library).
// Names are matched without regard to case, as the game's file system does. UserData*
// folders are "UserData" followed by nothing or by a number, sorted by that number.
std::vector<SaveFolder> findSaveFolders(const SavesPlaces& places);

// Whether `name` is a UserData folder's ("UserData", "userdata2", ...).
bool isUserDataName(const std::string& name);

}  // namespace brambleton
