// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brambleton {

struct HostEnvironment;

// What the player chose in Brambleton's window is kept in one INI file, which the window
// writes through Qt's QSettings and the headless counter reads here without Qt.
namespace settings {

// The keys, in the "game" group.
inline constexpr const char* kGroup = "game";
inline constexpr const char* kChosenFolder = "chosen";  // the folder chosen from the Game menu
inline constexpr const char* kCopies = "copies";        // the copies the player chose among
inline constexpr const char* kInUse = "inUse";          // the copy chosen among them
inline constexpr const char* kSavesFolder = "saves";    // the saves folder chosen in My lots

// The file: brambleton/brambleton.ini in the environment's configuration folder
// (~/.config on Linux, %APPDATA% on Windows).
std::filesystem::path file(const HostEnvironment& environment);

// The text value of `key` in `group` of an INI file's `text` as QSettings writes a string:
// quoted where it holds ",", ";" or edge spaces, "\" escapes, a leading "@" doubled. Nothing
// when the key is missing or holds a list or another type.
std::optional<std::string> readString(std::string_view text, std::string_view group,
                                      std::string_view key);

// The folder chosen from the Game menu, read from `settingsFile`; nothing when there is none
// or the file cannot be read.
std::optional<std::filesystem::path> chosenFolder(const std::filesystem::path& settingsFile);

}  // namespace settings
}  // namespace brambleton
