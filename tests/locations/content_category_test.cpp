// SPDX-License-Identifier: MIT
#include "locations/content_category.h"

#include <gtest/gtest.h>

#include "row_name.h"

namespace brambleton {
namespace {

using testing::PrintTo;

struct LocationCase {
    const char* why;
    const char* caption;
    std::string installPath;
    CategoryLocation expected;
};

const LocationCase kLocationCases[] = {
    {"floors below an install folder",
     "Floors",
     "D:\\Games\\Sims\\",
     {"D:", "D:\\Games\\Sims\\GameData\\Floors", "*.FLR"}},
    {"objects keep their trailing backslash",
     "Objects",
     "C:\\Sims\\",
     {"C:", "C:\\Sims\\Downloads\\", "*.IFF"}},
    {"skins keep every entry",
     "Skins",
     "C:\\Sims\\",
     {"C:", "C:\\Sims\\GameData\\Skins", "*.skn;*.bmp;*.cmx"}},
    {"walls", "Walls", "C:\\S\\", {"C:", "C:\\S\\GameData\\Walls", "*.WLL"}},
    {"roofs", "Roofs", "C:\\S\\", {"C:", "C:\\S\\GameData\\Roofs", "*.bmp"}},
    {"not found gives a drive that is not one",
     "Objects",
     "Not Found",
     {"No", "Not FoundDownloads\\", "*.IFF"}},
    {"a drive of non-ASCII characters stays whole",
     "Objects",
     "\u00c9:\\",
     {"\u00c9:", "\u00c9:\\Downloads\\", "*.IFF"}},
};

class CategoryLocation
    : public ::testing::TestWithParam<std::decay_t<decltype(kLocationCases[0])>> {};

TEST_P(CategoryLocation, LocationFromInstallFolder) {
    const auto& c = GetParam();
    const auto* category = findCategory(c.caption);
    ASSERT_NE(category, nullptr) << c.why;
    const auto got = locateCategory(*category, c.installPath);
    EXPECT_EQ(got.drive, c.expected.drive) << c.why;
    EXPECT_EQ(got.folderPath, c.expected.folderPath) << c.why;
    EXPECT_EQ(got.pattern, c.expected.pattern) << c.why;
}

INSTANTIATE_TEST_SUITE_P(Installs, CategoryLocation, ::testing::ValuesIn(kLocationCases),
                         testing::ByWhy());

TEST(ContentCategory, FoundByCaptionInAnyCase) {
    EXPECT_EQ(findCategory("FLOORS"), &kContentCategories[1]);
    EXPECT_EQ(findCategory("roofs"), &kContentCategories[4]);
    EXPECT_EQ(findCategory("Option1"), nullptr);
    EXPECT_EQ(findCategory(""), nullptr);
    EXPECT_EQ(kContentCategories[0].caption, "Objects") << "Objects comes first";
}

}  // namespace
}  // namespace brambleton
