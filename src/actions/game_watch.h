// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace brambleton::actions {

// Looks for the game running from one install folder, so that nothing is changed under it
// while it plays. Asked before a change and again before each step, so a look after the
// first is quick: processes already looked at and found to be something else are not read
// again, except Windows programs (under Wine), whose working folder and open files can move
// into the game's folder at any time.
class GameWatch {
  public:
    explicit GameWatch(std::filesystem::path installFolder);
    ~GameWatch();
    GameWatch(const GameWatch&) = delete;
    GameWatch& operator=(const GameWatch&) = delete;

    // What is running from the game's folder, as a player would know it ("Sims.exe, process
    // 4242"); nullopt when nothing is.
    std::optional<std::string> running();

  private:
    struct Seen;
    std::filesystem::path install_;
    std::unique_ptr<Seen> seen_;
};

}  // namespace brambleton::actions
