#pragma once

#include <string>
#include <string_view>

namespace brambleton {

// `text` made safe to print on one terminal line: valid UTF-8 passes through; control
// characters and bytes that are not valid UTF-8 become visible escapes (\n, \t, \xNN), so a
// file name can neither break a line nor send terminal commands.
std::string printable(std::string_view text);

// `text` as a JSON string literal, quotes included. Bytes that are not valid UTF-8 become
// U+FFFD so the output stays valid JSON.
std::string jsonString(std::string_view text);

}  // namespace brambleton
