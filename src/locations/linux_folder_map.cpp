// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include "locations/folder_map.h"
#include "locations/wine_prefix.h"

namespace brambleton {

std::unique_ptr<FolderMap> makePlatformFolderMap() {
    return makeWineFolderMap(WinePrefix::fromEnvironment().root());
}

}  // namespace brambleton
