// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace brambleton {

// The totals of one count. The caller owns it and zeroes it before the count; the counter
// returns `files` and adds into `folders` and `bytes`.
struct CountResult {
    std::int32_t files = 0;
    std::int32_t folders = 0;
    double bytes = 0;
};

// The user's separators, as the caller's locale gives them. An empty thousands separator
// means no grouping.
struct NumberSeparators {
    std::string thousands = ",";
    std::string decimal = ".";
};

// `value` rounded (halves away from zero) to `decimals` places (0 to 9), with digits grouped
// in threes: "#,##0" for 0 decimals, "#,##0.0" for 1. Always at least one digit before the
// decimal separator. A value that is not finite shows as 0.
std::string formatNumber(double value, int decimals, const NumberSeparators& separators);

// The five texts a count shows.
struct CountText {
    std::string files;      // "#,##0"
    std::string folders;    // "#,##0"
    std::string bytes;      // "#,##0"
    std::string kilobytes;  // bytes / 1024, "#,##0.0"
    std::string megabytes;  // bytes / 1024^2, "#,##0.0"
    bool operator==(const CountText&) const = default;
};

// The texts of a count. A cancelled count shows zeros whatever its totals held.
CountText Summarise(const CountResult& result, bool cancelled, const NumberSeparators& separators);

}  // namespace brambleton
