// SPDX-License-Identifier: MIT
#include "content/formats/byte_source.h"

#include <algorithm>
#include <cstring>

namespace brambleton::content {

std::size_t MemoryBytes::read(std::uint64_t offset, void* out, std::size_t length) {
    if (offset >= bytes_.size()) return 0;
    const std::size_t got = std::min<std::uint64_t>(length, bytes_.size() - offset);
    std::memcpy(out, bytes_.data() + offset, got);
    read_ += got;
    return got;
}

std::size_t PartBytes::read(std::uint64_t offset, void* out, std::size_t length) {
    if (offset >= length_) return 0;
    return whole_.read(offset_ + offset, out, std::min<std::uint64_t>(length, length_ - offset));
}

std::size_t WindowedBytes::read(std::uint64_t offset, void* out, std::size_t length) {
    const std::uint64_t size = inner_.size();
    if (offset >= size) return 0;
    length = std::min<std::uint64_t>(length, size - offset);
    const bool inWindow = offset >= start_ && offset - start_ + length <= filled_;
    if (!inWindow) {
        if (length > kWindow) return inner_.read(offset, out, length);
        // Close after the last window, the headers are likely dense (small chunks): a page.
        // Far past it, after a large chunk's data, most often one header stands alone: a
        // few hundred bytes, so that skipped data is not copied.
        const bool near = filled_ > 0 && offset >= start_ && offset - start_ < 2 * kWindow;
        std::uint64_t start = offset;
        std::size_t want = std::max(length, kSmallWindow);
        if (near || filled_ == 0) {
            start = offset - offset % kWindow;
            if (offset + length > start + kWindow) start = offset;
            want = kWindow;
        }
        filled_ = 0;
        start_ = start;
        filled_ = inner_.read(start, window_, std::min<std::uint64_t>(want, size - start));
        if (offset - start_ + length > filled_) {
            // The file ended before its size said (it shrank while being read).
            const std::size_t got = filled_ > offset - start_ ? filled_ - (offset - start_) : 0;
            std::memcpy(out, window_ + (offset - start_), got);
            return got;
        }
    }
    std::memcpy(out, window_ + (offset - start_), length);
    return length;
}

}  // namespace brambleton::content
