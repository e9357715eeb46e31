// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// Opening web pages.
namespace brambleton::Module2 {

// Hands `address` to the user's default handler, in a normal window, and returns at once.
// The result is the shell's: above 32 when the handler was started, a small error number
// when it was not (2: no handler could be run). Shows no message; callers ignore it.
std::int32_t OpenWebPage(const std::string& address);

}  // namespace brambleton::Module2
