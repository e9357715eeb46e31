// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Opening web pages.
namespace brambleton::Module2 {

// Hands `address` to the user's default handler, in a normal window, and returns at once.
// The result is the shell's: above 32 when the handler was started, a small error number
// when it was not (2: no handler could be run). Shows no message. `failed`, when given, is
// called on the caller's thread once it is known that no handler could open the address:
// at once when none could be started, or later when the opener gave up (on Linux, xdg-open
// finds no browser and ends with an error). It receives what failed, as a clause that
// follows "could not be opened: " ("no web browser was found", "the web browser failed to
// open it", "xdg-open could not be started").
using Failed = std::function<void(const std::string& why)>;
std::int32_t OpenWebPage(const std::string& address, const Failed& failed = {});

// Opens the file manager at `path`: on Windows with the file selected (explorer /select,),
// elsewhere at the folder that holds it (xdg-open). Returns at once; `failed` as above.
void ShowInFolder(const std::string& path, const Failed& failed = {});

}  // namespace brambleton::Module2
