// SPDX-License-Identifier: MIT
#include "locations/module1.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace brambleton::Module1 {
namespace {

// UTF-16 units of UTF-8 text: one for each character, two for one past U+FFFF.
std::size_t utf16Units(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) ++units;  // a character starts here
        if (b >= 0xF0) ++units;           // and needs a surrogate pair
    }
    return units;
}

}  // namespace

std::string GetInstallPath(Registry& registry) {
    std::string text = ReadRegistryValue(registry, kLocalMachine, kSimsKey, kSimsValue);
    if (text.empty()) return kNotFound;
    if (text.back() == '\\') return text;
    return text + "\\";
}

std::string ReadRegistryValue(Registry& registry, RegistryHandle root, const std::string& subKey,
                              const std::string& valueName) {
    RegistryHandle handle = 0;
    registry.openKey(root, subKey, handle);
    std::string text = QueryRegistryValue(registry, handle, valueName);
    registry.closeKey(handle);
    return text;
}

std::string QueryRegistryValue(Registry& registry, RegistryHandle key,
                               const std::string& valueName) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (registry.queryValue(key, valueName, type, nullptr, size) != kRegSuccess) return {};

    if (type == kRegSz) {
        // No folder path is longer than Windows allows; a longer value is not one, and is
        // refused before it is read (at most 3 bytes a unit, and the NUL).
        if (size > kMaxPathUnits * 3 + 1) return {};
        std::string buffer(size, '\0');
        if (registry.queryValue(key, valueName, type, buffer.data(), size) != kRegSuccess) {
            return {};
        }
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        const auto nul = buffer.find('\0');
        if (nul != std::string::npos) buffer.resize(nul);
        if (utf16Units(buffer) > kMaxPathUnits) return {};
        return buffer;
    }
    if (type == kRegBinary) {
        // Read through a buffer of the value's own size, so a longer value is never written
        // past the number's storage; the number is its first two bytes.
        std::vector<unsigned char> buffer(size);
        if (registry.queryValue(key, valueName, type, buffer.data(), size) != kRegSuccess) {
            return {};
        }
        std::uint16_t bits = 0;
        if (size >= 1 && !buffer.empty()) bits = buffer[0];
        if (size >= 2 && buffer.size() >= 2) bits |= static_cast<std::uint16_t>(buffer[1] << 8);
        return std::to_string(static_cast<std::int16_t>(bits));
    }
    return {};
}

}  // namespace brambleton::Module1
