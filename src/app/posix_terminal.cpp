// SPDX-License-Identifier: MIT
#include <unistd.h>

#include "app/terminal.h"

namespace brambleton {

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

}  // namespace brambleton
