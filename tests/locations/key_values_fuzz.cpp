// SPDX-License-Identifier: MIT
// libFuzzer target: Valve KeyValues text from launchers' files must never crash the reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "locations/key_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto parsed = brambleton::keyvalues::parse(text)) {
        // Walk what was read, as the finder does.
        if (const auto* block = parsed->find("libraryfolders")) {
            for (const auto& entry : block->children) (void)entry.text("path");
        }
        if (const auto* app = parsed->find("AppState")) (void)app->text("installdir");
    }
    return 0;
}
