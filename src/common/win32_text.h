// SPDX-License-Identifier: MIT
// Included by the Windows build only (MinGW-w64).
#pragma once

// Text conversions at the Win32 boundary: the program's UTF-8, the system's UTF-16 and its
// ANSI code page. Windows only.

#include <string>
#include <string_view>

namespace brambleton::win32 {

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

// `utf8` in the ANSI code page; false when the code page cannot hold every character.
bool toAnsi(std::string_view utf8, std::string& ansi);
std::string fromAnsi(std::string_view ansi);

// A path the wide calls take at any length: past MAX_PATH it needs the "\\?\" form, which
// takes backslashes only and no relative parts.
std::wstring longPath(std::string_view utf8);

}  // namespace brambleton::win32
