// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brambleton::content {

struct SizedFile {
    std::string path;
    std::int64_t size;
};

// Groups of byte-identical files among `files`, each group sorted by path, groups in the order
// of their first path. As duplicate finders do: files are compared by size first, then by a
// hash of their first 4 KiB, then of their whole content, then byte by byte; a file whose size
// is unique is never opened. Empty files are left out. A file that cannot be read is left
// out of every group. `bytesRead` grows by what was read. `cancelled` is asked between files.
std::vector<std::vector<std::string>> findDuplicates(const std::vector<SizedFile>& files,
                                                     std::uint64_t& bytesRead,
                                                     const std::function<bool()>& cancelled = {});

}  // namespace brambleton::content
