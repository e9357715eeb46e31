// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "counting/folder_source.h"
#include "counting/read_ahead.h"

namespace brambleton {

// What the counter needs from whoever runs it. Both may be empty.
struct CounterHooks {
    // Called once at every folder the walk enters, after the folder is opened and before the
    // cancel flag is tested and the folder read: the window lets pending events run here, so
    // a Cancel click can reach the flag.
    std::function<void()> yield;
    // Shows one message to the user (the window's message box, the headless counter's
    // standard error). Called once per folder that failed.
    std::function<void(const std::string&)> message;
};

// Walks a folder tree and totals the matching files, the folders beneath and the bytes of the
// matching files. One instance serves every count; it is not safe to use from two threads.
class CFileCounter {
  public:
    // Each level of the walk is one stack frame; a folder nested deeper than this below the
    // start folder is reported instead of entered, so a pathological tree ends in a message
    // rather than a stack overflow.
    static constexpr std::size_t kMaxDepth = 4096;

    // What every message of a failed folder starts with; the description follows.
    static constexpr const char* kMessagePrefix = "error en ContadorDeArchivos.ContarArchivos() ; ";

    explicit CFileCounter(CounterHooks hooks = {},
                          std::unique_ptr<FolderSource> source = makePlatformFolderSource());

    // The cancel flag. The counter only reads it; once true, every count returns 0 and zeroes
    // the accumulators until the caller sets it false again.
    bool Cancel() const noexcept { return cancel_ != 0; }
    void Cancel(bool aCancel) noexcept { cancel_ = aCancel ? -1 : 0; }

    // Counts the files matching `pattern` in `path` and every folder below it, and returns
    // their number. Adds the number of folders below `path` (at all depths, links to folders
    // not counted) to `subfolders`, and the matching files' bytes to `Size`; the caller zeroes
    // both before a count. `path` is overwritten with each sub-folder's path before the
    // descent into it, so afterwards it holds the last folder entered: pass a copy.
    //
    // Never throws. A folder that cannot be read costs one message ("error en
    // ContadorDeArchivos.ContarArchivos() ; " and the description) and its own contents; the
    // walk goes on with its next sibling. When the cancel flag is seen set at a folder's
    // entry, the accumulators are zeroed and the totals are partial: the caller discards them.
    std::int32_t ContarArchivos(std::string& path, const std::string& pattern,
                                std::int32_t& subfolders, double& Size);

    // Whether each count starts background readers that warm the file system's caches ahead
    // of the walk (where the platform has them). On by default. The walk, its totals, its
    // messages and its order are the same either way; off suits a spinning disk, where
    // reads in parallel can be slower than one after another.
    bool readsAhead() const noexcept { return readAhead_; }
    void setReadsAhead(bool on) noexcept { readAhead_ = on; }

    // Path of the folder most recently opened by any level of the walk; empty before the
    // first count.
    const std::string& currentFolderPath() const noexcept;

    // Whether any folder of the last count failed.
    bool lastCountHadErrors() const noexcept { return errors_ != 0; }

  private:
    std::int32_t countFolder(std::size_t depth, const std::string& name, std::string& path,
                             const FilePattern& pattern, std::int32_t& subfolders, double& Size,
                             bool& failed);
    std::int32_t fail(const std::string& description, bool& failed);

    CounterHooks hooks_;
    std::unique_ptr<FolderSource> fileSystem_;
    // The current folder: its path is the walk's buffer while a count runs (the caller's
    // variable), a copy of it afterwards; and the number of its sub-folders.
    const std::string* walkPath_ = nullptr;
    std::string lastFolder_;
    std::int32_t currentSubfolders_ = 0;
    std::int16_t cancel_ = 0;
    std::int64_t errors_ = 0;
    bool readAhead_ = true;
    std::unique_ptr<ReadAhead> readers_;  // while a count runs, where the platform has them
};

}  // namespace brambleton
