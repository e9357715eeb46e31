// SPDX-License-Identifier: MIT
#include "counting/file_counter.h"

#include <limits>
#include <optional>
#include <string_view>

#include "common/runtime_error.h"

namespace brambleton {
namespace {

std::int32_t checkedAdd(std::int32_t a, std::int64_t b, std::string_view folder) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (b > std::numeric_limits<std::int32_t>::max() ||
        sum > std::numeric_limits<std::int32_t>::max() ||
        sum < std::numeric_limits<std::int32_t>::min()) {
        throw RuntimeError(kOverflow, "Overflow counting " + std::string(folder));
    }
    return static_cast<std::int32_t>(sum);
}

}  // namespace

CFileCounter::CFileCounter(CounterHooks hooks, std::unique_ptr<FolderSource> source)
    : hooks_(std::move(hooks)), fileSystem_(std::move(source)) {}

const std::string& CFileCounter::currentFolderPath() const noexcept {
    return walkPath_ ? *walkPath_ : lastFolder_;
}

std::int32_t CFileCounter::ContarArchivos(std::string& path, const std::string& pattern,
                                          std::int32_t& subfolders, double& Size) {
    errors_ = 0;
    const FilePattern compiled(pattern);
    bool failed = false;
    const std::string start = path;
    // The caller's variable is the walk's one path buffer: each level appends its
    // sub-folder's name to its own path and cuts back to it for the next, so memory grows
    // with the path's length, not with its square. It is never cut back on the way up, so it
    // always holds the folder opened last.
    walkPath_ = &path;
    // The readers stop when the walk sees the cancel flag or returns; until then they only
    // warm caches, so nothing below depends on them.
    if (readAhead_) readers_ = startReadAhead(start, compiled);
    const std::int32_t files = countFolder(0, start, path, compiled, subfolders, Size, failed);
    readers_.reset();
    walkPath_ = nullptr;
    lastFolder_ = path;
    return files;
}

std::int32_t CFileCounter::countFolder(std::size_t depth, const std::string& name,
                                       std::string& path, const FilePattern& pattern,
                                       std::int32_t& subfolders, double& Size, bool& failed) {
    // This folder's path is the buffer's first `length` characters, also after a descent has
    // lengthened the buffer.
    const std::size_t length = path.size();
    const auto here = [&path, length] { return std::string_view(path).substr(0, length); };
    try {
        // A folder that fails to open still becomes the current folder, with no sub-folders,
        // so no level above mistakes an older folder's sub-folders for its own.
        currentSubfolders_ = 0;
        // The folder is opened, the user interface has its turn, the flag is tested, and only
        // then is the folder read: a cancelled walk reads nothing more, and a folder that
        // cannot be opened after a cancel costs no message.
        std::optional<RuntimeError> unopened;
        try {
            if (depth > kMaxDepth) {
                throw RuntimeError(kOverflow, "Folders nested too deep to count: " + path);
            }
            fileSystem_->open(depth, name, path);
        } catch (const RuntimeError& e) {
            unopened = e;
        }

        if (hooks_.yield) hooks_.yield();
        if (Cancel()) {
            // Each level still open goes through its remaining sub-folders on the way out;
            // the readers would only compete with it for the disk. They are waited for when
            // the walk returns.
            if (readers_) readers_->requestStop();
            subfolders = 0;
            Size = 0;
            return 0;
        }
        if (unopened) throw *unopened;

        FolderListing listing;
        fileSystem_->read(path, pattern, listing);
        currentSubfolders_ =
            checkedAdd(0, static_cast<std::int64_t>(listing.subfolders.size()), here());

        std::int32_t n = currentSubfolders_;
        std::int32_t f = checkedAdd(0, listing.matchingFiles, here());
        const std::int64_t b = listing.matchingBytes;

        const char separator = fileSystem_->separator();
        const bool addSeparator = length == 0 || path.back() != separator;
        for (const auto& sub : listing.subfolders) {
            path.resize(length);
            if (addSeparator) path.push_back(separator);
            path.append(sub);

            bool childFailed = false;
            const std::int32_t found =
                countFolder(depth + 1, sub, path, pattern, subfolders, Size, childFailed);
            f = checkedAdd(f, found, here());
            // Only a descent that ended early inside a folder with sub-folders leaves a count
            // here; a failed descent has already been reported and adds nothing.
            if (!childFailed) n = checkedAdd(n, currentSubfolders_, here());
        }

        subfolders = checkedAdd(subfolders, n, here());
        Size += static_cast<double>(b);
        return f;
    } catch (const RuntimeError& e) {
        return fail(e.description(), failed);
    } catch (const std::exception& e) {
        return fail(e.what(), failed);
    }
}

std::int32_t CFileCounter::fail(const std::string& description, bool& failed) {
    failed = true;
    ++errors_;
    if (hooks_.message) hooks_.message(kMessagePrefix + description);
    return 0;
}

}  // namespace brambleton
