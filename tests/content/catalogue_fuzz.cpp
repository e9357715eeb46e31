// SPDX-License-Identifier: MIT
// libFuzzer target for the catalogue's readers: any bytes read as an object (its definitions,
// catalogue strings in every language and picture headers), as a string table and as a BMP
// header must read safely and within bounds, converting text through the platform; any
// bytes turned from a BMP into a PNG must give a PNG or nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "content/catalogue.h"
#include "content/formats/picture.h"
#include "content/formats/string_table.h"
#include "content/formats/text_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brambleton::content;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        MemoryBytes object(text);
        for (const auto& item : objectItems(object, "fuzz.iff", {}, 15)) {
            if (item.tiles == 0) std::abort();
        }
        MemoryBytes strings(text);
        const auto table = readStringTable(strings, {"STR#", 0, 0, size});
        for (const auto& set : table.sets) {
            for (const auto& s : set.strings) (void)textToUtf8(s, set.language);
        }
        (void)readBmpFacts(text);
        const std::string png = bmpAsPng(text);
        if (!png.empty() && !png.starts_with("\x89PNG")) std::abort();
    } catch (const ReadError&) {
        std::abort();  // a read past the end that no check stopped
    }
    return 0;
}
