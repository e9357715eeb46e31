// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace brambleton {

// `text` made safe to print on one terminal line. Valid UTF-8 passes through, except what
// could mislead: control characters and bytes that are not valid UTF-8 become visible escapes
// (\x0a for a newline, \x09 for a tab, \u0085), the characters that reorder text (right-to-left
// overrides and their kin) become \uXXXX so a name cannot disguise a path. Only those two
// escapes exist, so a backslash stays single (a path can be copied as printed), except before
// what would read as one of them ("\x41" in a name), where it becomes \x5c.
std::string printable(std::string_view text);

// The end of a printable() text cut to at most `width` bytes, whole characters only, with
// "..." in front when something was cut.
std::string lastPart(std::string_view text, std::size_t width);

}  // namespace brambleton
