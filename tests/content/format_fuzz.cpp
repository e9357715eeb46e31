// SPDX-License-Identifier: MIT
// libFuzzer targets for the readers of the game's formats, which read whatever a download
// left on the player's disk: any bytes must read safely, within bounds, and in memory no
// read may come up short (each reader checks an offset against the size before it reads).
// Built once per format, chosen by BRAMBLETON_FUZZ_KIND.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "content/formats/cmx_reader.h"
#include "content/inspection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brambleton::content;
    MemoryBytes bytes(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        if (BRAMBLETON_FUZZ_KIND == FileKind::kMeshList) {
            for (const auto& mesh : readCmxMeshes(bytes)) {
                if (mesh.empty()) std::abort();
            }
            // The texture a mesh's text names, read from the same kind of text.
            Findings meshes;
            inspectBytes(bytes, FileKind::kMesh, 0, meshes);
            for (const auto& named : meshes.meshTextures) {
                for (const char c : named.texture) {
                    if (static_cast<unsigned char>(c) < 0x20) std::abort();
                }
            }
            return 0;
        }
        Findings found;
        inspectBytes(bytes, BRAMBLETON_FUZZ_KIND, 0, found);
        for (const auto& [guid, object] : found.guids) {
            if (object >= found.objects.size()) std::abort();
        }
        if (found.objects.size() > size) std::abort();
    } catch (const ReadError&) {
        std::abort();  // a read past the end that no check stopped
    }
    return 0;
}
