// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace brambleton::testing {

// A real folder under the system's temporary folder, removed with everything in it when the
// object goes. Helpers create entries by paths relative to it.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::string path(std::string_view relative = {}) const;

    void folder(std::string_view relative) const;
    // A file of `size` bytes; sizes past a few kilobytes are made sparse, so no disk fills.
    void file(std::string_view relative, std::uintmax_t size = 0) const;
    void text(std::string_view relative, std::string_view content) const;
    void link(std::string_view relative, std::string_view target) const;

    // Whether this platform and user can make symbolic links.
    bool canLink() const;

    // The deepest chain of one-letter folders deepFolder() makes on this platform: past the
    // longest path a file call takes.
    static const int kDeepestTree;

    // A chain of `levels` folders named `name`, one inside the other, with an empty file
    // `leaf` at the bottom.
    void deepFolder(std::string_view name, int levels, std::string_view leaf) const;

    // Builds a tree from lines such as "d a/b", "f a/x.iff 10", "l a/up -> ..", one entry a
    // line, parents created as needed.
    void build(std::string_view plan) const;

  private:
    std::filesystem::path root_;
};

}  // namespace brambleton::testing
