// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "counting/folder_source.h"

namespace brambleton::testing {

// The platform's folder source, except that folders of the given names fail to open, as a
// folder the user may not read does: the tests run as root, for whom nothing on disk is
// unreadable. Every folder read is recorded by name (the start folder by its path), and
// `onRead` runs after each read, for tests that act at a given folder.
class FailingFolderSource final : public FolderSource {
  public:
    explicit FailingFolderSource(std::vector<std::string> failing = {});

    void open(std::size_t depth, const std::string& name, const std::string& path) override;
    void read(const std::string& path, const FilePattern& pattern, FolderListing& out) override;
    char separator() const noexcept override { return real_->separator(); }

    // Shared with the test, which keeps it after the source has moved into a counter.
    std::shared_ptr<std::vector<std::string>> reads = std::make_shared<std::vector<std::string>>();
    std::function<void(const std::string& name)> onRead;

  private:
    std::vector<std::string> failing_;
    std::string opened_;
    std::unique_ptr<FolderSource> real_ = makePlatformFolderSource();
};

}  // namespace brambleton::testing
