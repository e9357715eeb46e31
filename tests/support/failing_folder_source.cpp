// SPDX-License-Identifier: MIT
#include "failing_folder_source.h"

#include <algorithm>

#include "common/runtime_error.h"

namespace brambleton::testing {

FailingFolderSource::FailingFolderSource(std::vector<std::string> failing)
    : failing_(std::move(failing)) {}

void FailingFolderSource::open(std::size_t depth, const std::string& name,
                               const std::string& path) {
    if (std::find(failing_.begin(), failing_.end(), name) != failing_.end()) {
        throw RuntimeError(kPermissionDenied, "Permission denied: " + path);
    }
    real_->open(depth, name, path);
    opened_ = name;
}

void FailingFolderSource::read(const std::string& path, const FilePattern& pattern,
                               FolderListing& out) {
    real_->read(path, pattern, out);
    reads->push_back(opened_);
    if (onRead) onRead(opened_);
}

}  // namespace brambleton::testing
