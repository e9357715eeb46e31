// SPDX-License-Identifier: MIT
#include "content/folder_walk.h"

#include <algorithm>
#include <system_error>

#include "common/ascii.h"

#include "common/runtime_error.h"
#include "counting/read_ahead.h"

namespace fs = std::filesystem;

namespace brambleton::content {

namespace {

std::string utf8(const fs::path& path) {
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

}  // namespace

// The child folder of `folder` named `name` without regard to case, as the game (through
// Wine) finds it: the one spelt as the game spells it, or else the first the disk lists.
// Folders whose names differ from it only in case go to `twins`: the game never reads them.
std::optional<fs::path> childNoCase(const fs::path& folder, std::string_view name,
                                    std::vector<fs::path>& twins) {
    std::error_code ec;
    const fs::path exact = folder / fs::path(std::u8string(name.begin(), name.end()));
    std::optional<fs::path> chosen;
    if (fs::is_directory(exact, ec)) chosen = exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!ascii::equalNoCase(utf8(it->path().filename()), name) || !it->is_directory(ec) ||
            it->is_symlink(ec)) {
            continue;
        }
        if (!chosen) {
            chosen = it->path();
        } else if (it->path().filename() != chosen->filename()) {
            twins.push_back(it->path());
        }
    }
    return chosen;
}

std::optional<fs::path> gameFolderIn(const fs::path& install, const GameFolder& folder,
                                     std::vector<fs::path>& twins) {
    std::optional<fs::path> found = install;
    for (const auto& part : folder.folder) {
        if (!found || part.empty()) continue;
        found = childNoCase(*found, part, twins);
    }
    return found;
}

bool FolderWalk::cancelled() {
    if (!cancelled_ && hooks_.cancelled && hooks_.cancelled()) cancelled_ = true;
    return cancelled_;
}

std::int64_t FolderWalk::walk(const std::string& start, FolderVisitor& visitor) {
    if (cancelled()) return 0;
    start_ = start;
    // Readers ahead of the walk, as for a count: on a cold cache they keep several reads in
    // flight while the walk waits on one.
    const auto readers = startReadAhead(start, everything_);
    const auto bytes = folder(visitor, 0, start, start, {});
    source_.release();
    return bytes;
}

std::int64_t FolderWalk::folder(FolderVisitor& visitor, std::size_t depth, const std::string& name,
                                const std::string& path, const std::string& top) {
    try {
        source_.open(depth, name, path);
    } catch (const RuntimeError& e) {
        failed(e.description());
        return 0;
    }
    if (hooks_.progress) hooks_.progress(path);
    if (cancelled()) return 0;
    FolderListing listing;
    listing.keepFiles = true;
    try {
        source_.read(path, everything_, listing);
    } catch (const RuntimeError& e) {
        failed(e.description());
        return 0;
    }
    std::sort(listing.files.begin(), listing.files.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    std::int64_t bytes = visitor.visit({depth, path, top, listing.files});
    if (depth >= kMaxDepth && !listing.subfolders.empty()) {
        failed("More than " + std::to_string(kMaxDepth) + " levels below " + start_ + ": " + path +
               " is not entered");
        listing.subfolders.clear();
    }
    const std::string separator(1, source_.separator());
    for (const auto& sub : listing.subfolders) {
        if (cancelled()) break;
        const std::string subPath = path + separator + sub;
        bytes += folder(visitor, depth + 1, sub, subPath, depth == 0 ? subPath : top);
    }
    visitor.leave(path, depth, bytes);
    return bytes;
}

void FolderWalk::failed(const std::string& description) {
    ++unreadable_;
    if (hooks_.message) hooks_.message(description);
}

}  // namespace brambleton::content
