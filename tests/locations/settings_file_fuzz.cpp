// SPDX-License-Identifier: MIT
// libFuzzer target: the settings file is the player's to edit, so any text must read safely.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "locations/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    namespace settings = brambleton::settings;
    (void)settings::readString(text, settings::kGroup, settings::kChosenFolder);
    (void)settings::readString(text, settings::kGroup, settings::kInUse);
    return 0;
}
