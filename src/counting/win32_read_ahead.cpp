// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include "counting/read_ahead.h"

namespace brambleton {

const char* const kReaderName = "read-ahead";

int descriptorsToSpare() noexcept {
    return 1 << 20;  // handles have no per-process limit worth the name
}

// Windows keeps the plain walk.
std::unique_ptr<ReadAhead> startReadAhead(const std::string&, const FilePattern&) noexcept {
    return nullptr;
}

}  // namespace brambleton
