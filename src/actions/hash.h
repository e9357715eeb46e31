// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace brambleton::actions {

// A 64-bit FNV-1a hash of bytes given in any pieces: enough to know a file again after a
// move, not to guard against anyone making two files alike on purpose.
class ContentHash {
  public:
    void add(const unsigned char* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            value_ = (value_ ^ bytes[i]) * 0x100000001b3ULL;
        }
    }
    std::uint64_t value() const { return value_; }

  private:
    std::uint64_t value_ = 0xcbf29ce484222325ULL;
};

}  // namespace brambleton::actions
