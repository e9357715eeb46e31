// SPDX-License-Identifier: MIT
#pragma once

namespace brambleton {

// Whether standard error is a terminal, where a progress line can be drawn and cleared.
bool standardErrorIsTerminal();

}  // namespace brambleton
