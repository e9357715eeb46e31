#include "locations/module1.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace brambleton {

std::int32_t deliverValue(const std::vector<std::uint8_t>& bytes, void* data, std::uint32_t& size) {
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (data != nullptr) {
        if (size < needed) {
            size = needed;
            return kRegMoreData;
        }
        if (needed != 0) std::memcpy(data, bytes.data(), needed);
    }
    size = needed;
    return kRegSuccess;
}

}  // namespace brambleton

namespace brambleton::Module1 {

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
        std::string buffer(size, '\0');
        if (registry.queryValue(key, valueName, type, buffer.data(), size) != kRegSuccess) {
            return {};
        }
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        const auto nul = buffer.find('\0');
        return nul == std::string::npos ? buffer : buffer.substr(0, nul);
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
