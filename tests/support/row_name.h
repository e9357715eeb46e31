// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

namespace brambleton::testing {

// A test name made of a row's `why`: its words run together, each capitalised, anything but
// letters and digits left out ("a half away from zero" becomes "AHalfAwayFromZero").
inline std::string identifier(std::string_view why) {
    std::string out;
    bool capital = true;
    for (const char c : why) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            out.push_back(capital ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                                  : c);
            capital = false;
        } else {
            capital = true;
        }
    }
    return out.empty() ? "Row" : out;
}

// What a table row is called: its `why`, else its `name`, else its `fixture`.
template <typename Row>
std::string_view label(const Row& row) {
    if constexpr (requires { row.why; }) {
        return row.why;
    } else if constexpr (requires { row.name; }) {
        return row.name;
    } else {
        return row.fixture;
    }
}

// Prints a table row by its label instead of its raw bytes, which hold pointers: gtest's
// listing, and the test names CTest takes from it, then read the same from build to build.
// A test file lets gtest find it with `using testing::PrintTo;` beside its rows.
template <typename Row>
requires requires(const Row& row) {
    label(row);
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << label(row);
}

// Names each row of a value-parameterised test by its `why`, so that one failing row can be
// run alone with --gtest_filter.
struct ByWhy {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return identifier(info.param.why);
    }
};

}  // namespace brambleton::testing
