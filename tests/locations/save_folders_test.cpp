// SPDX-License-Identifier: MIT
// Where a copy's saves are found, each place in a real folder tree: the disc editions'
// UserData folders, the Legacy Collection's Saved Games on Windows, under Proton and in
// another Wine prefix, and a folder the player names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "locations/save_folders.h"
#include "row_name.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

const std::string kLegacy = "Saved Games/Electronic Arts/The Sims 25/";
const std::string kProton =
    "lib/steamapps/compatdata/3314060/pfx/drive_c/users/steamuser/" + kLegacy;

struct SavesCase {
    const char* why;
    std::string tree;  // TempTree::build lines
    // Relative to the tree: the install, the prefix, the profile, the chosen folder.
    std::string install, prefix, profile, chosen;
    std::vector<std::string> found;
};

const SavesCase kCases[] = {
    {"a disc edition's UserData folders, in their numbers' order, any case",
     "d game/UserData10/Houses\nd game/userdata/Houses\nd game/UserData2\nd game/UserDataOld\n"
     "f game/UserData3",
     "game",
     "",
     "",
     "",
     {"game/userdata", "game/UserData2", "game/UserData10"}},
    {"the Legacy Collection on Windows: the profile's Saved Games",
     "d game\nd profile/" + kLegacy + "UserData/Houses\nd profile/" + kLegacy + "UserData2",
     "game",
     "",
     "profile",
     "",
     {"profile/" + kLegacy + "UserData", "profile/" + kLegacy + "UserData2"}},
    {"under Proton: the game's prefix in the library that holds it",
     "d lib/steamapps/common/The Sims Legacy Collection\nd " + kProton + "UserData",
     "lib/steamapps/common/The Sims Legacy Collection/",
     "",
     "",
     "",
     {kProton + "UserData"}},
    {"in another Wine prefix: each user's profile but Public",
     "d pfx/drive_c/Games/Sims/UserData\nd pfx/drive_c/users/ann/" + kLegacy +
         "UserData\nd pfx/drive_c/users/Public/" + kLegacy + "UserData",
     "pfx/drive_c/Games/Sims",
     "pfx",
     "",
     "",
     {"pfx/drive_c/Games/Sims/UserData", "pfx/drive_c/users/ann/" + kLegacy + "UserData"}},
    {"a chosen UserData folder, alone",
     "d game/UserData\nd backup/UserData5/Houses",
     "game",
     "",
     "",
     "backup/UserData5",
     {"backup/UserData5"}},
    {"a chosen folder of saves under another name",
     "d game/UserData\nd backup/old/Houses",
     "game",
     "",
     "",
     "backup/old",
     {"backup/old"}},
    {"a chosen folder holding UserData folders",
     "d game/UserData\nd backup/UserData2",
     "game",
     "",
     "",
     "backup",
     {"backup/UserData2"}},
    {"a chosen folder without saves finds none, whatever the install has",
     "d game/UserData\nd empty",
     "game",
     "",
     "",
     "empty",
     {}},
};

class SaveFolders : public ::testing::TestWithParam<SavesCase> {};

TEST_P(SaveFolders, FoundWhereTheGameKeepsThem) {
    const auto& row = GetParam();
    testing::TempTree tree;
    tree.build(row.tree);
    const auto at = [&](const std::string& relative) {
        return relative.empty() ? std::filesystem::path() : tree.root() / relative;
    };
    SavesPlaces places{at(row.chosen), at(row.install), at(row.prefix), at(row.profile)};
    std::vector<std::string> found;
    for (const auto& folder : findSaveFolders(places)) {
        found.push_back(folder.folder.lexically_relative(tree.root()).generic_string());
    }
    EXPECT_EQ(found, row.found);
}

INSTANTIATE_TEST_SUITE_P(Places, SaveFolders, ::testing::ValuesIn(kCases), testing::ByWhy());

}  // namespace
}  // namespace brambleton
