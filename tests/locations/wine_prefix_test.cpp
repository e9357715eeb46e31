// SPDX-License-Identifier: MIT
#include "locations/wine_prefix.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "row_name.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::PrintTo;

using testing::TempTree;

// A prefix as Wine lays it out: drive links in dosdevices/, the C: drive in drive_c/.
void makePrefix(const TempTree& tree) {
    tree.build(
        "d drive_c/Program Files (x86)/maxis/THE SIMS/GameData/floors\n"
        "d drive_c/Program Files (x86)/maxis/THE SIMS/Downloads\n"
        "f drive_c/Program Files (x86)/maxis/THE SIMS/GameData/Walls 1\n"
        "d elsewhere\n"
        "l dosdevices/c: -> ../drive_c\n"
        "l dosdevices/z: -> /\n"
        "l dosdevices/d:: -> /dev/null\n"
        "l dosdevices/com1 -> /dev/ttyS0\n"
        "l dosdevices/e: -> ../elsewhere\n"
        "l dosdevices/q: -> ../gone\n");
}

TEST(WinePrefix, DrivesAreTheOneLetterLinks) {
    TempTree tree;
    makePrefix(tree);
    EXPECT_EQ(WinePrefix(tree.root()).drives(), (std::vector<std::string>{"C:", "E:", "Q:", "Z:"}));
    EXPECT_TRUE(WinePrefix(tree.path("none")).drives().empty());
}

struct PathCase {
    const char* why;
    const char* windowsPath;
    const char* hostRelative;  // below the tree; null when an error is expected
    int error;
};

const PathCase kPathCases[] = {
    {"names matched without regard to case",
     "C:\\Program Files (x86)\\Maxis\\The Sims\\GameData\\Floors",
     "drive_c/Program Files (x86)/maxis/THE SIMS/GameData/floors", 0},
    {"a trailing backslash", "c:\\PROGRAM FILES (X86)\\MAXIS\\the sims\\downloads\\",
     "drive_c/Program Files (x86)/maxis/THE SIMS/Downloads", 0},
    {"forward slashes and dots", "C:/Program Files (x86)/./maxis/x/../The Sims",
     "drive_c/Program Files (x86)/maxis/THE SIMS", 0},
    {"the drive alone", "C:", "drive_c", 0},
    {"another drive", "E:\\", "elsewhere", 0},
    {"a missing folder", "C:\\Program Files (x86)\\Maxis\\The Sims\\GameData\\Skins", nullptr, 76},
    {"a file is not a folder", "C:\\Program Files (x86)\\Maxis\\The Sims\\GameData\\Walls", nullptr,
     76},
    {"a drive the prefix lacks", "K:\\Games", nullptr, 68},
    {"a drive whose link leads nowhere", "Q:\\", nullptr, 68},
    {"a raw device is not a drive", "D:\\", nullptr, 68},
    {"no drive at all", "Not FoundDownloads\\", nullptr, 76},
    {"an empty path", "", nullptr, 76},
};

class HostPath : public ::testing::TestWithParam<std::decay_t<decltype(kPathCases[0])>> {};

TEST_P(HostPath, WindowsPathsBecomeHostPaths) {
    const auto& c = GetParam();
    TempTree tree;
    makePrefix(tree);
    const WinePrefix prefix(tree.root());
    try {
        const auto host = prefix.toHostPath(c.windowsPath);
        EXPECT_EQ(c.error, 0) << c.why << ": got " << host;
        if (c.hostRelative) {
            EXPECT_EQ(host, tree.path(c.hostRelative)) << c.why;
        }
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), c.error) << c.why << ": " << e.what();
        EXPECT_NE(e.description().find(std::string(c.windowsPath).substr(0, 2)), std::string::npos)
            << c.why << ": the message names the path: " << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, HostPath, ::testing::ValuesIn(kPathCases), testing::ByWhy());

TEST(WinePrefix, HostPathsAreCheckedAsTheyStand) {
    TempTree tree;
    makePrefix(tree);
    const WinePrefix prefix(tree.root());
    EXPECT_EQ(prefix.toHostPath(tree.path("elsewhere")), tree.path("elsewhere"));
    EXPECT_THROW(prefix.toHostPath(tree.path("nothing")), RuntimeError);
}

}  // namespace
}  // namespace brambleton
