// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brambleton {

// Where Windows paths, such as the registry's install folder, are on this machine: on Windows
// they are themselves; elsewhere they lead through a Wine prefix's drives.
class FolderMap {
  public:
    virtual ~FolderMap() = default;

    // The drives a user can browse ("C:", "Z:"; on Linux also the host's root "/").
    virtual std::vector<std::string> drives() const = 0;

    // The folder a drive of drives() leads to. Throws RuntimeError 68 for any other.
    virtual std::string driveRoot(std::string_view drive) const = 0;

    // The existing folder a Windows path names, as the platform's file calls take it (a host
    // path passes through). Throws RuntimeError 68 for an unknown drive and 76 for a folder
    // that does not exist, naming the path.
    virtual std::string toHostPath(std::string_view windowsPath) const = 0;

    // The separator of the platform's paths.
    virtual char separator() const noexcept = 0;
};

// The platform's map: on Windows its own drives; elsewhere the Wine prefix named by
// WINEPREFIX (else ~/.wine), read afresh on every call.
std::unique_ptr<FolderMap> makePlatformFolderMap();

}  // namespace brambleton
