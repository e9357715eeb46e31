// SPDX-License-Identifier: MIT
#include "locations/folder_map.h"
#include "locations/wine_prefix.h"

namespace brambleton {

std::unique_ptr<FolderMap> makePlatformFolderMap() {
    return makeWineFolderMap(WinePrefix::fromEnvironment().root());
}

}  // namespace brambleton
