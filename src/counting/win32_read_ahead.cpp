// SPDX-License-Identifier: MIT
#include "counting/read_ahead.h"

namespace brambleton {

const char* const kReaderName = "read-ahead";

// Windows keeps the plain walk.
std::unique_ptr<ReadAhead> startReadAhead(const std::string&, const FilePattern&) noexcept {
    return nullptr;
}

}  // namespace brambleton
