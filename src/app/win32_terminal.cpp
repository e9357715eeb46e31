// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <io.h>

#include <cstdio>

#include "app/terminal.h"

namespace brambleton {

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void reportClosedPipesAsErrors() {
    // Windows has no such signal: a write to a closed pipe already fails as an error.
}

}  // namespace brambleton
