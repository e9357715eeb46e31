// SPDX-License-Identifier: MIT
#include <io.h>

#include <cstdio>

#include "app/terminal.h"

namespace brambleton {

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace brambleton
