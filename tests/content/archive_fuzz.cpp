// SPDX-License-Identifier: MIT
// libFuzzer target for the downloads' reader: any bytes read as an archive (and the archives
// inside it) through the same entry lister the install uses must read safely, within its
// limits, and never hand over a refused name as a file to write.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "content/formats/archive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brambleton::content;
    ArchiveLimits limits;
    limits.entries = 1000;
    limits.bytes = 16ULL << 20;
    limits.entryBytes = 4ULL << 20;
    limits.time = std::chrono::seconds(5);
    ArchiveCursor cursor(std::string(reinterpret_cast<const char*>(data), size), limits);
    ArchiveEntry entry;
    std::string bytes;
    std::uint64_t total = 0;
    while (cursor.next(entry, bytes)) {
        if (entry.fault != nameFault(entry.name) && entry.fault != NameFault::kLink) std::abort();
        if (entry.fault != NameFault::kNone && !bytes.empty()) std::abort();  // never written
        total += bytes.size();
        if (bytes.size() > limits.entryBytes || total > limits.bytes) std::abort();
        (void)entry.shown();
    }
    return 0;
}
