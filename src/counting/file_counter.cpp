#include "counting/file_counter.h"

#include <limits>
#include <optional>

#include "common/runtime_error.h"

namespace brambleton {
namespace {

std::int32_t checkedAdd(std::int32_t a, std::int64_t b, const std::string& path) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (b > std::numeric_limits<std::int32_t>::max() ||
        sum > std::numeric_limits<std::int32_t>::max() ||
        sum < std::numeric_limits<std::int32_t>::min()) {
        throw RuntimeError(kOverflow, "Overflow counting " + path);
    }
    return static_cast<std::int32_t>(sum);
}

}  // namespace

CFileCounter::CFileCounter(CounterHooks hooks, std::unique_ptr<FolderSource> source)
    : hooks_(std::move(hooks)), fileSystem_(std::move(source)) {}

std::int32_t CFileCounter::ContarArchivos(std::string& path, const std::string& pattern,
                                          std::int32_t& subfolders, double& Size) {
    errors_ = 0;
    const FilePattern compiled(pattern);
    bool failed = false;
    const std::string start = path;
    return countFolder(0, start, path, compiled, subfolders, Size, failed);
}

std::int32_t CFileCounter::countFolder(std::size_t depth, const std::string& name,
                                       std::string& path, const FilePattern& pattern,
                                       std::int32_t& subfolders, double& Size, bool& failed) {
    try {
        const std::string folderPath = path;
        // A folder that fails to open still becomes the current folder, with no sub-folders,
        // so no level above mistakes an older folder's sub-folders for its own.
        currentFolder_ = CurrentFolder{folderPath, 0};
        // The folder is opened, the user interface has its turn, the flag is tested, and only
        // then is the folder read: a cancelled walk reads nothing more, and a folder that
        // cannot be opened after a cancel costs no message.
        std::optional<RuntimeError> unopened;
        try {
            if (depth > kMaxDepth) {
                throw RuntimeError(kOverflow, "Folders nested too deep to count: " + folderPath);
            }
            fileSystem_->open(depth, name, folderPath);
        } catch (const RuntimeError& e) {
            unopened = e;
        }

        if (hooks_.yield) hooks_.yield();
        if (Cancel()) {
            subfolders = 0;
            Size = 0;
            return 0;
        }
        if (unopened) throw *unopened;

        FolderListing listing;
        fileSystem_->read(folderPath, pattern, listing);
        currentFolder_.subfolderCount =
            checkedAdd(0, static_cast<std::int64_t>(listing.subfolders.size()), folderPath);

        std::int32_t n = currentFolder_.subfolderCount;
        std::int32_t f = checkedAdd(0, listing.matchingFiles, folderPath);
        const std::int64_t b = listing.matchingBytes;

        std::string childPath;
        for (const auto& sub : listing.subfolders) {
            childPath.assign(folderPath);
            if (childPath.empty() || childPath.back() != fileSystem_->separator()) {
                childPath.push_back(fileSystem_->separator());
            }
            childPath.append(sub);
            path = childPath;

            bool childFailed = false;
            const std::int32_t found =
                countFolder(depth + 1, sub, path, pattern, subfolders, Size, childFailed);
            f = checkedAdd(f, found, folderPath);
            // Only a descent that ended early inside a folder with sub-folders leaves a count
            // here; a failed descent has already been reported and adds nothing.
            if (!childFailed) n = checkedAdd(n, currentFolder_.subfolderCount, folderPath);
        }

        subfolders = checkedAdd(subfolders, n, folderPath);
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
