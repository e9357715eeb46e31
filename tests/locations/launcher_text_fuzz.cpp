// SPDX-License-Identifier: MIT
// libFuzzer target: Lutris's YAML and Heroic's and Epic's JSON, as launchers' files hold
// them, must never crash their readers, and a prefix read must be text the file held.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "locations/launchers/launcher.h"
#include "locations/launchers/lutris_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto game = brambleton::launchers::readLutrisGame(text);
    if (!game.problem.empty() && !game.prefix.empty()) std::abort();
    if (const auto objects =
            brambleton::launchers::jsonFields(text, {"install_path", "title", "winePrefix"})) {
        for (const auto& object : *objects) {
            if (object.empty() || object.size() > 3) std::abort();
        }
    }
    return 0;
}
