// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brambleton {

// A Wine prefix: the folder that holds a Windows program's registry files and drives.
class WinePrefix {
  public:
    explicit WinePrefix(std::filesystem::path root);

    // $WINEPREFIX when it is set and not empty, else ~/.wine.
    static WinePrefix fromEnvironment();

    const std::filesystem::path& root() const noexcept { return root_; }
    // HKEY_LOCAL_MACHINE as text.
    std::filesystem::path systemRegistry() const { return root_ / "system.reg"; }

    // The drives the prefix maps, as "C:", "Z:", in letter order: the one-letter entries of
    // dosdevices/. Raw-device entries ("d::") and devices such as com1 are not drives. Empty
    // when the prefix has no dosdevices/.
    std::vector<std::string> drives() const;

    // The host folder a drive letter leads to, resolved through its link.
    // Throws RuntimeError 68 (device unavailable) for a drive the prefix does not map.
    std::filesystem::path driveRoot(std::string_view drive) const;

    // The host path of a Windows path ("C:\Program Files (x86)\Maxis\The Sims\GameData"):
    // through its drive's link, then folder by folder, each name matched without regard to
    // case as Wine does ("." and ".." are taken lexically, never above the drive's root). A
    // path that already begins with "/" is a host path and is only checked. Throws
    // RuntimeError 68 for an unknown drive and 76 (path not found) for a missing folder or
    // a path without a drive, naming the path.
    std::string toHostPath(std::string_view windowsPath) const;

  private:
    std::filesystem::path root_;
};

class FolderMap;

// The folder map of one Wine prefix: its drives and the host's root "/", Windows paths
// through its drive links. Reads the prefix afresh on every call.
std::unique_ptr<FolderMap> makeWineFolderMap(std::filesystem::path prefix);

}  // namespace brambleton
