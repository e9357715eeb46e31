// SPDX-License-Identifier: MIT
#include "counting/count_summary.h"

#include <gtest/gtest.h>

#include <limits>

#include "row_name.h"

namespace brambleton {
namespace {

using testing::PrintTo;

const NumberSeparators kEnglish{",", "."};
const NumberSeparators kGerman{".", ","};
const NumberSeparators kNoGrouping{"", "."};

struct FormatCase {
    const char* why;
    double value;
    int decimals;
    NumberSeparators separators;
    const char* text;
};

const FormatCase kFormatCases[] = {
    {"zero shows one digit", 0, 0, kEnglish, "0"},
    {"zero with a decimal", 0, 1, kEnglish, "0.0"},
    {"below a thousand, no separator", 999, 0, kEnglish, "999"},
    {"a thousand", 1000, 0, kEnglish, "1,000"},
    {"millions grouped in threes", 1234567, 0, kEnglish, "1,234,567"},
    {"the user's separators", 1234567.25, 1, kGerman, "1.234.567,3"},
    {"no thousands separator", 1234567, 0, kNoGrouping, "1234567"},
    {"just under one rounds up", 1023.0 / 1024, 1, kEnglish, "1.0"},
    {"a half away from zero", 0.25, 1, kEnglish, "0.3"},
    {"a whole number rounds", 2.5, 0, kEnglish, "3"},
    {"rounding carries into a new group", 999999.96, 1, kEnglish, "1,000,000.0"},
    {"beyond 32 bits", 5368709120.0, 0, kEnglish, "5,368,709,120"},
    {"negative", -1234.5, 1, kEnglish, "-1,234.5"},
    {"negative that rounds to zero", -0.01, 1, kEnglish, "0.0"},
    {"not a number", std::numeric_limits<double>::quiet_NaN(), 1, kEnglish, "0.0"},
};

class FormatNumber : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumber, PicturesWithGroupingAndRounding) {
    const auto& c = GetParam();
    EXPECT_EQ(formatNumber(c.value, c.decimals, c.separators), c.text) << c.why;
}

INSTANTIATE_TEST_SUITE_P(Values, FormatNumber, ::testing::ValuesIn(kFormatCases), testing::ByWhy());

struct SummaryCase {
    const char* why;
    CountResult result;
    bool cancelled;
    CountText text;
};

const SummaryCase kSummaryCases[] = {
    {"empty folder", {0, 0, 0}, false, {"0", "0", "0", "0.0", "0.0"}},
    {"one and a half kilobytes", {1, 0, 1536}, false, {"1", "0", "1,536", "1.5", "0.0"}},
    {"one megabyte", {3, 2, 1048576}, false, {"3", "2", "1,048,576", "1,024.0", "1.0"}},
    {"one and a half megabytes", {9, 4, 1572864}, false, {"9", "4", "1,572,864", "1,536.0", "1.5"}},
    {"a million files", {1234567, 12, 0}, false, {"1,234,567", "12", "0", "0.0", "0.0"}},
    {"cancelled shows zeros", {5, 7, 123456}, true, {"0", "0", "0", "0.0", "0.0"}},
};

class Summarise : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(Summarise, FiveTexts) {
    const auto& c = GetParam();
    EXPECT_EQ(brambleton::Summarise(c.result, c.cancelled, kEnglish), c.text) << c.why;
}

INSTANTIATE_TEST_SUITE_P(Counts, Summarise, ::testing::ValuesIn(kSummaryCases), testing::ByWhy());

}  // namespace
}  // namespace brambleton
