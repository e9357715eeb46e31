// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Folder entries named as Windows names them: without regard to letter case (ASCII and
// Latin-1 letters, as Wine compares them).
namespace brambleton::folder_names {

// The name of the entry of `folder` that equals `name` without regard to case; the exact
// name wins when it exists. Nothing when there is none or the folder cannot be read.
std::optional<std::string> find(const std::filesystem::path& folder, std::string_view name);

// `folder` / the entry `name` found as above; nothing when there is none.
std::optional<std::filesystem::path> child(const std::filesystem::path& folder,
                                           std::string_view name);

// The names of `folder`'s entries that begin with `start` without regard to case, sorted.
std::vector<std::string> startingWith(const std::filesystem::path& folder, std::string_view start);

// Whether `path` is a folder, following links; never throws.
bool isFolder(const std::filesystem::path& path) noexcept;

}  // namespace brambleton::folder_names
