// SPDX-License-Identifier: MIT
// The saved lots' readers on lot files built here as the game writes them: both object-table
// versions, names with and without their pad byte, floors, walls and a roof, the older IFF 2.0
// header, and lots cut at every byte or lying about their counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/formats/lot_reader.h"
#include "content/lots.h"
#include "row_name.h"
#include "sims_files.h"

namespace brambleton::content {
namespace {

using namespace std::string_literals;
using testing::houseFile;
using testing::LotEntry;

struct LotCase {
    const char* why;
    std::string bytes;
    std::vector<std::uint32_t> ids;
    std::vector<std::string> names;
    std::vector<std::string> floors;
    std::vector<std::string> walls;
    std::string roof;
};

// A three-tile sofa listed by its tiles, one tile unnamed as the game leaves them, a Sim.
const std::vector<LotEntry> kObjects = {
    {0x1001, "sofa"}, {0x1002, ""}, {0x1003, "sofa tile"}, {0x2000, "Bob", 2}};

const LotCase kLots[] = {
    {"version 2, names odd and even with pad bytes that are not 0",
     houseFile(kObjects, {"marble.flr"}, {"brick"}, "slate"),
     {0x1001, 0x1002, 0x1003, 0x2000},
     {"sofa", "", "sofa tile", "Bob"},
     {"marble.flr"},
     {"brick"},
     "slate"},
    {"version 3 carries what each object was cloned from",
     houseFile({{0x55, "lamp"}, {0xabcdef, "lamp copy", 4, 0x55}}, {}, {}, "", 3),
     {0x55, 0xabcdef},
     {"lamp", "lamp copy"},
     {},
     {},
     ""},
    {"the older IFF 2.0 header, all text",
     houseFile(kObjects, {"a", "bb", "ccc"}, {}, "", 2, true),
     {0x1001, 0x1002, 0x1003, 0x2000},
     {"sofa", "", "sofa tile", "Bob"},
     {"a", "bb", "ccc"},
     {},
     ""},
};

class LotFiles : public ::testing::TestWithParam<LotCase> {};

TEST_P(LotFiles, ReadWhole) {
    const auto& row = GetParam();
    MemoryBytes bytes(row.bytes);
    LotUses uses;
    std::string why;
    ASSERT_TRUE(readLot(bytes, uses, why)) << why;
    std::vector<std::uint32_t> ids;
    std::vector<std::string> names;
    for (const auto& o : uses.objects) {
        ids.push_back(o.id);
        names.push_back(o.name);
    }
    EXPECT_EQ(ids, row.ids);
    EXPECT_EQ(names, row.names);
    EXPECT_EQ(uses.floors, row.floors);
    EXPECT_EQ(uses.walls, row.walls);
    EXPECT_EQ(uses.roof, row.roof);
    EXPECT_EQ(uses.objects.back().person, row.ids.back() == 0x2000);
    if (row.ids.size() == 2) {
        EXPECT_EQ(uses.objects[1].clonedFrom, 0x55U);
    }
}

INSTANTIATE_TEST_SUITE_P(Lots, LotFiles, ::testing::ValuesIn(kLots), testing::ByWhy());

// A lot cut anywhere never reads as whole: the game would have written more of it. (An IFF
// 2.0 lot has no map to say where it ends, so a cut between its chunks cannot show.)
TEST(LotFiles, CutAtEveryByteNeverReadsWhole) {
    const std::string lot = houseFile(kObjects, {"marble.flr"}, {"brick"}, "slate", 3);
    for (std::size_t size = 0; size < lot.size(); ++size) {
        MemoryBytes bytes(std::string_view(lot).substr(0, size));
        LotUses uses;
        std::string why;
        ASSERT_FALSE(readLot(bytes, uses, why)) << "cut at " << size;
        ASSERT_FALSE(why.empty());
    }
}

struct TableCase {
    const char* why;
    std::string data;
    bool reads;
};

const TableCase kTables[] = {
    {"a version the notes do not know",
     testing::littleEndian(0) + testing::littleEndian(7) + "tjbo" + testing::littleEndian(0),
     false},
    {"an entry whose name never ends", testing::objtData({{0x10, "chair"}}).substr(0, 12 + 16 + 3),
     false},
    {"the table ends with the data, not a zero ID",
     testing::objtData({{0x10, "chair"}}).substr(0, 12 + 16 + 6), true},
    {"a version 3 entry without its cloned-from ID",
     testing::objtData({{0x10, "chair"}}, 3).substr(0, 12 + 16 + 6 + 2), false},
};

TEST(LotFiles, ObjectTablesThatLie) {
    for (const auto& row : kTables) {
        EXPECT_EQ(readObjectTable(row.data).has_value(), row.reads) << row.why;
    }
    // Counts of floors and family members larger than the chunk can hold.
    std::string floors = testing::tileNamesData({"a"}, 1, "mRLF");
    floors.replace(12, 4, testing::littleEndian(0xffffffff));
    EXPECT_FALSE(readTileNames(floors, 1));
    std::string family = testing::littleEndian(0) + testing::littleEndian(9) + "IMAF" +
                         std::string(24, '\0') + testing::littleEndian(0x40000000) +
                         testing::littleEndian(1);
    EXPECT_FALSE(readFamily(family));
    family.replace(36, 4, testing::littleEndian(1));
    ASSERT_TRUE(readFamily(family));
    EXPECT_EQ(readFamily(family)->members, std::vector<std::uint32_t>{1});
    // A house record with no room for its fields; one whose roof name runs to the end.
    EXPECT_FALSE(readRoofName(std::string(37, '\0')));
    EXPECT_EQ(readRoofName(std::string(38, '\0') + "tile"), "tile");
}

}  // namespace
}  // namespace brambleton::content
