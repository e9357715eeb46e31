// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/game_folders.h"

#include "counting/file_pattern.h"
#include "counting/folder_source.h"

namespace brambleton::content {

// What a content scan (the check, and every scan of the game's folders after it) needs from
// its caller: progress as it goes, whether to stop, and a message per folder or file that
// cannot be read. Each may be empty. They run on the scan's thread.
struct ScanHooks {
    // Where the scan is: the folder it enters, or while it waits on the readers inside the
    // files, "inside the files" (every 50 ms). A window posts it to its own thread; it must
    // return quickly.
    std::function<void(const std::string& where)> progress;
    std::function<bool()> cancelled;
    std::function<void(const std::string&)> message;
};

// The child folder of `folder` named `name` without regard to case, as the game (through
// Wine) finds it: the one spelt as the game spells it, or else the first the disk lists.
// Folders whose names differ from it only in case go to `twins`: the game never reads them.
std::optional<std::filesystem::path> childNoCase(const std::filesystem::path& folder,
                                                 std::string_view name,
                                                 std::vector<std::filesystem::path>& twins);

// The game's folder `folder` below `install`, found as the game finds it (see childNoCase);
// none when it does not exist.
std::optional<std::filesystem::path> gameFolderIn(const std::filesystem::path& install,
                                                  const GameFolder& folder,
                                                  std::vector<std::filesystem::path>& twins);

// One folder as the walk read it.
struct WalkedFolder {
    std::size_t depth;  // 0: the folder the walk started in
    const std::string& path;
    // The start folder's sub-folder this folder lies in (itself at depth 1); empty at depth 0.
    const std::string& top;
    // The folder's files, sorted by name (bytewise, so the order is the same everywhere).
    std::vector<FolderListing::File>& files;
};

// What a scan does with the folders a walk reads.
class FolderVisitor {
  public:
    virtual ~FolderVisitor() = default;
    // Looks at one folder's files; returns the bytes of them the scan counts.
    virtual std::int64_t visit(const WalkedFolder& folder) = 0;
    // After a folder and everything below it: the bytes counted there at any depth.
    virtual void leave(const std::string& /*path*/, std::size_t /*depth*/, std::int64_t /*bytes*/) {
    }
};

// The one walk of content scans, with the count's rules: depth first, sub-folders in the file
// system's order (the order read-ahead takes), links to folders never followed, a folder that
// cannot be read said (through ScanHooks::message) and counted, at most kMaxDepth levels
// below the start. Stops between folders when asked to. Reads and never writes.
class FolderWalk {
  public:
    static constexpr std::size_t kMaxDepth = 4096;

    FolderWalk(FolderSource& source, const ScanHooks& hooks) : source_(source), hooks_(hooks) {}

    // Walks the tree at `start` (a host path, opened as given, links and all), with readers
    // ahead of it as for a count; returns the bytes the visitor counted. The source's open
    // folders are released afterwards.
    std::int64_t walk(const std::string& start, FolderVisitor& visitor);

    // Folders that could not be read (or lay too deep), over every walk so far.
    std::int64_t foldersUnreadable() const noexcept { return unreadable_; }
    // Whether the hooks asked to stop; once they have, every walk returns at once.
    bool cancelled();

  private:
    std::int64_t folder(FolderVisitor& visitor, std::size_t depth, const std::string& name,
                        const std::string& path, const std::string& top);
    void failed(const std::string& description);

    FolderSource& source_;
    const ScanHooks& hooks_;
    const FilePattern everything_{"*"};
    std::string start_;
    std::int64_t unreadable_ = 0;
    bool cancelled_ = false;
};

}  // namespace brambleton::content
