// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
// Lutris runs on Linux only, and the Windows build has no YAML reader: it finds no Lutris
// files to read, since it looks in no Lutris folder.
#include "locations/launchers/lutris_file.h"

namespace brambleton::launchers {

LutrisGame readLutrisGame(std::string_view) {
    return {{}, "is not read on Windows"};
}

}  // namespace brambleton::launchers
