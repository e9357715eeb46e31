// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace brambleton {

// `text` made safe to print on one terminal line. Valid UTF-8 passes through, except what
// could mislead: control characters and bytes that are not valid UTF-8 become visible escapes
// (\n, \t, \xNN, \u0085), the characters that reorder text (right-to-left overrides and
// their kin) become \uXXXX so a name cannot disguise a path, and a backslash becomes \\ so an
// escape is never confused with the characters it stands for.
std::string printable(std::string_view text);

// The end of a printable() text cut to at most `width` bytes, whole characters only, with
// "..." in front when something was cut.
std::string lastPart(std::string_view text, std::size_t width);

}  // namespace brambleton
