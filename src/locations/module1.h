// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

#include "locations/registry.h"

// The game's install folder, from the registry.
namespace brambleton::Module1 {

inline constexpr const char* kSimsKey = "Software\\Maxis\\The Sims";
inline constexpr const char* kSimsValue = "SIMS_DATA";
inline constexpr const char* kNotFound = "Not Found";
// The longest path Windows takes, in UTF-16 units; a longer text value is not a folder.
inline constexpr std::size_t kMaxPathUnits = 32767;

// The install folder with a trailing "\" appended when it lacks one (a trailing "/" is not a
// separator), or exactly "Not Found" when the registry yields nothing usable. Never empty.
// Reads the registry afresh on every call. Registry failures never throw.
std::string GetInstallPath(Registry& registry);

// Opens `subKey` below `root`, reads `valueName` with QueryRegistryValue and closes the key,
// even when the open failed. The value's text, or the empty text.
std::string ReadRegistryValue(Registry& registry, RegistryHandle root, const std::string& subKey,
                              const std::string& valueName);

// Value `valueName` of an open key as text: a REG_SZ up to its first NUL (all of it when it
// holds none), empty when that is longer than kMaxPathUnits; a REG_BINARY as the decimal text of
// its first two bytes read as a little-endian signed 16-bit number ("0" for no bytes, the byte's
// value for one). Empty for a missing value, a failed read or any other type.
std::string QueryRegistryValue(Registry& registry, RegistryHandle key,
                               const std::string& valueName);

}  // namespace brambleton::Module1
