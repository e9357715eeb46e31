// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <cstring>

#include "common/runtime_error.h"
#include "common/win32_text.h"
#include "locations/folder_map.h"

namespace brambleton {
namespace {

// On Windows a Windows path is a host path: drives from the system, folders checked as they
// stand (the file system already ignores case).
class Win32FolderMap final : public FolderMap {
  public:
    std::vector<std::string> drives() const override {
        std::vector<std::string> found;
        char buffer[512] = {};
        const DWORD n = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
        for (const char* at = buffer; n != 0 && n < sizeof buffer && *at;
             at += std::strlen(at) + 1) {
            found.emplace_back(at, 2);
        }
        return found;
    }

    std::string driveRoot(std::string_view drive) const override {
        std::string root = std::string(drive.substr(0, 2)) + "\\";
        if (drive.size() < 2 || drive[1] != ':' ||
            GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) {
            throw RuntimeError(kDeviceUnavailable,
                               "Device unavailable: " + std::string(drive.substr(0, 2)));
        }
        return root;
    }

    std::string toHostPath(std::string_view windowsPath) const override {
        std::string path(windowsPath);
        if (path.size() >= 2 && path[1] == ':') driveRoot(path);
        const DWORD attributes = GetFileAttributesW(win32::toWide(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            throw RuntimeError(kPathNotFound, "Path not found: " + path);
        }
        if (path.size() == 2) path += "\\";
        return path;
    }

    char separator() const noexcept override { return '\\'; }
};

}  // namespace

std::unique_ptr<FolderMap> makePlatformFolderMap() {
    return std::make_unique<Win32FolderMap>();
}

}  // namespace brambleton
