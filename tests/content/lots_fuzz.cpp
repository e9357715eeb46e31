// SPDX-License-Identifier: MIT
// libFuzzer target for the saved games' readers: any bytes read as a lot file (its object
// table, floors, walls and roof), as a neighbourhood's families and as each chunk's data alone
// must read safely and within bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/formats/lot_reader.h"
#include "content/formats/string_table.h"
#include "content/lots.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brambleton::content;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        MemoryBytes lot(text);
        LotUses uses;
        std::string why;
        if (!readLot(lot, uses, why) && why.empty()) std::abort();  // a failure says why
        MemoryBytes neighbourhood(text);
        for (const auto& place : listSavedChunks(neighbourhood, {"FAMI", "FAMs", "STR#"}).chunks) {
            if (place.type == "FAMI") {
                if (const auto bytes = savedChunkData(neighbourhood, place))
                    (void)readFamily(*bytes);
            } else {
                (void)readStringTable(neighbourhood, place);
            }
        }
        (void)readObjectTable(text);
        (void)readTileNames(text, static_cast<std::uint16_t>(size % 4));
        (void)readRoofName(text);
        (void)readFamily(text);
    } catch (const ReadError&) {
        std::abort();  // a read past the end that no check stopped
    }
    return 0;
}
