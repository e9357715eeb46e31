// SPDX-License-Identifier: MIT
#include "counting/count_summary.h"

#include <cmath>
#include <cstdio>

namespace brambleton {

std::string formatNumber(double value, int decimals, const NumberSeparators& separators) {
    if (!std::isfinite(value)) value = 0;
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;

    // Round on the scaled value so that a half goes away from zero, as a user expects, rather
    // than to even as printf would for values exact in binary.
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(std::fabs(value) * scale);
    const bool negative = value < 0 && rounded != 0;

    char digits[400];
    std::snprintf(digits, sizeof digits, "%.0f", rounded);
    std::string all(digits);
    if (all.size() <= static_cast<std::size_t>(decimals)) {
        all.insert(0, static_cast<std::size_t>(decimals) + 1 - all.size(), '0');
    }
    const std::string whole = all.substr(0, all.size() - static_cast<std::size_t>(decimals));
    const std::string fraction = all.substr(whole.size());

    std::string out;
    if (negative) out.push_back('-');
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i != 0 && (whole.size() - i) % 3 == 0) out += separators.thousands;
        out.push_back(whole[i]);
    }
    if (decimals > 0) {
        out += separators.decimal;
        out += fraction;
    }
    return out;
}

CountText Summarise(const CountResult& result, bool cancelled, const NumberSeparators& separators) {
    const CountResult shown = cancelled ? CountResult{} : result;
    return {
        formatNumber(shown.files, 0, separators),
        formatNumber(shown.folders, 0, separators),
        formatNumber(shown.bytes, 0, separators),
        formatNumber(shown.bytes / 1024, 1, separators),
        formatNumber(shown.bytes / 1048576, 1, separators),
    };
}

}  // namespace brambleton
