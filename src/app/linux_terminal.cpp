// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <unistd.h>

#include <csignal>

#include "app/terminal.h"

namespace brambleton {

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

void reportClosedPipesAsErrors() {
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace brambleton
