// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "counting/file_pattern.h"

namespace brambleton {

// Background readers that run ahead of a walk. They open and list the folders below the
// start folder in the order a depth-first walk enters them, and look up the matching files'
// sizes, so that when the walk itself gets there the file system's caches already hold what
// it needs. On a cold cache that keeps several reads in flight while the walk waits on one.
//
// They only read, and report nothing: what they see never reaches a total, a message or the
// walk's order. They never open a folder through a link, and hold few descriptors and little
// memory (a folder they cannot open, or cannot afford to keep open, is left to the walk).
class ReadAhead {
  public:
    virtual ~ReadAhead() = default;

    // Asks the readers to stop, without waiting for them.
    virtual void requestStop() noexcept = 0;

    // Asks the readers to stop and waits for them: each finishes at most the one system call
    // it is in. One still in its call after a tenth of a second (a hung network mount) is
    // left to finish alone; it holds nothing of the walk's. Also done on destruction.
    virtual void stop() noexcept = 0;
};

// Descriptors background readers may hold at once: a small share of those the process has
// left under its soft limit, so that the walk (which keeps the folders of its descent open)
// never runs out because of them. 0 when the limit is low: then readers must not start.
// Unlimited where the platform has no such limit.
int descriptorsToSpare() noexcept;

// The name each reader thread carries (as in ps -L and a debugger).
extern const char* const kReaderName;

// Starts reading ahead below `start` (opened as the walk opens it, links and all) for the
// files matching `pattern`. Returns null where the platform has no read-ahead, or when no
// thread could be started; the walk is the same either way.
std::unique_ptr<ReadAhead> startReadAhead(const std::string& start,
                                          const FilePattern& pattern) noexcept;

}  // namespace brambleton
