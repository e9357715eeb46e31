// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the text registry files that Wine keeps in a prefix (system.reg, user.reg).
namespace brambleton::regfile {

struct Value {
    std::u16string name;             // empty for the default value "@"
    std::uint32_t type = 0;          // REG_SZ, REG_BINARY, ...
    std::vector<std::uint8_t> data;  // as stored: text types are UTF-16LE with their NUL
};

enum class Arch { Unknown, Win32, Win64 };

// Whether `text` begins like a Wine registry file ("WINE REGISTRY Version 2").
bool isRegistryFile(std::string_view text) noexcept;

// The prefix's architecture from the "#arch=" header line; Unknown when there is none.
Arch architecture(std::string_view text) noexcept;

// The values of the key `keyPath` ("Software\Maxis\The Sims": names separated by one "\",
// compared without regard to case), or nothing when the file holds no block for exactly that
// key or is not a registry file. Only the key's own block is decoded. A value line that is
// malformed or cut short is left out; nothing in `text` can make this read out of bounds.
std::optional<std::vector<Value>> findKey(std::string_view text, std::u16string_view keyPath);

// Text in the registry's UTF-16 and the program's UTF-8. Unpaired surrogates and invalid
// bytes become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Case-insensitive equality as the registry compares names (ASCII and Latin-1 letters).
bool equalNames(std::u16string_view a, std::u16string_view b) noexcept;

}  // namespace brambleton::regfile
