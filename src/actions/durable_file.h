// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace brambleton::actions {

// A file only ever appended to, each append on the disk before it returns (fsync,
// FlushFileBuffers): what a record says was about to happen survives a crash right after.
class DurableLog {
  public:
    // Opens `path` for appending, creating it. Throws RuntimeError when it cannot.
    explicit DurableLog(const std::filesystem::path& path);
    ~DurableLog();
    DurableLog(const DurableLog&) = delete;
    DurableLog& operator=(const DurableLog&) = delete;

    // Appends `text` and, unless `flush` is false, waits until the disk has it (and all
    // appended before). Throws RuntimeError when it cannot.
    void append(const std::string& text, bool flush = true);

    // All the file holds.
    std::string readAll() const;

  private:
    std::filesystem::path path_;
    std::intptr_t handle_ = -1;
};

// Holds `path` locked for as long as it lives, so that one Brambleton at a time changes
// files. The system lets go of it when the process ends, however it ends.
class FolderLock {
  public:
    explicit FolderLock(const std::filesystem::path& path);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Whether this process holds it; false when another does.
    bool held() const { return held_; }

  private:
    std::intptr_t handle_ = -1;
    bool held_ = false;
};

// The folder Brambleton keeps its journal in: $XDG_DATA_HOME/brambleton, else
// ~/.local/share/brambleton; on Windows %LOCALAPPDATA%\Brambleton. Empty when neither the
// variables nor a home tell.
std::filesystem::path dataFolder();

// The user's data folder holding the desktop's trash ($XDG_DATA_HOME, else
// ~/.local/share); empty on Windows.
std::filesystem::path trashDataHome();

}  // namespace brambleton::actions
