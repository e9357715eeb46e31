// SPDX-License-Identifier: MIT
#pragma once

namespace brambleton {

// Whether standard error is a terminal, where a progress line can be drawn and cleared.
bool standardErrorIsTerminal();

// Makes a write to a closed pipe (`brambleton-count --check | head -1`) fail as an error the
// program sees and reports in its exit status, rather than end the program by a signal.
void reportClosedPipesAsErrors();

}  // namespace brambleton
