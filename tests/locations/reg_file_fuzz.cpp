// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as a prefix's system.reg must neither crash, nor leak, nor read
// out of bounds, through the same calls the install-folder lookup makes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "locations/reg_file.h"
#include "locations/wine_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brambleton;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    regfile::architecture(text);
    if (auto values = WineRegistry::lookUp(text, "Software\\Maxis\\The Sims")) {
        for (const auto& value : *values) regfile::utf16ToUtf8(value.name);
    }
    regfile::utf8ToUtf16(text.substr(0, 256));
    return 0;
}
