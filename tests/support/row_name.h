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

// Names each row of a value-parameterised test by its `why`, so that one failing row can be
// run alone with --gtest_filter.
struct ByWhy {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return identifier(info.param.why);
    }
};

}  // namespace brambleton::testing
