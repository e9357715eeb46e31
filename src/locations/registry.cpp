// SPDX-License-Identifier: MIT
#include "locations/registry.h"

#include <cstring>

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
