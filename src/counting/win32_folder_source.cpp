// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <string>

#include "common/runtime_error.h"
#include "common/win32_text.h"
#include "counting/folder_source.h"

namespace brambleton {
namespace {

RuntimeError folderError(DWORD err, const std::string& path) {
    switch (err) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return RuntimeError(kPathNotFound, "Path not found: " + path);
        case ERROR_DIRECTORY:
            return RuntimeError(kPathNotFound, "Path not found: " + path + " is not a folder");
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return RuntimeError(kPermissionDenied, "Permission denied: " + path);
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
            return RuntimeError(kDeviceUnavailable, "Device unavailable: " + path);
        default:
            return RuntimeError(kInvalidProcedureCall,
                                "Cannot read " + path + " (error " + std::to_string(err) + ")");
    }
}

class Win32FolderSource final : public FolderSource {
  public:
    Win32FolderSource() = default;
    ~Win32FolderSource() override { closeSearch(); }
    Win32FolderSource(const Win32FolderSource&) = delete;
    Win32FolderSource& operator=(const Win32FolderSource&) = delete;

    // Every folder is opened by its full path. FindFirstFileExW both opens a folder and reads
    // its first entry, which read() then takes before the rest.
    void open(std::size_t depth, const std::string& /*name*/, const std::string& path) override {
        closeSearch();
        folder_ = win32::longPath(path);
        if (depth == 0) {
            // The start folder is the user's choice: reached through links, checked to be a
            // folder so that a file gets a clear message.
            const DWORD attributes = GetFileAttributesW(folder_.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) throw folderError(GetLastError(), path);
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) throw folderError(ERROR_DIRECTORY, path);
        }
        if (!folder_.empty() && folder_.back() != L'\\') folder_.push_back(L'\\');

        find_ = FindFirstFileExW((folder_ + L"*").c_str(), FindExInfoBasic, &first_,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find_ == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            if (err != ERROR_FILE_NOT_FOUND) throw folderError(err, path);
            // A drive's empty root has no entries, not even "." and "..".
        }
    }

    void read(const std::string& path, const FilePattern& pattern, FolderListing& out) override {
        if (find_ == INVALID_HANDLE_VALUE) return;
        WIN32_FIND_DATAW data = first_;
        do {
            addEntry(folder_, path, data, pattern, out);
        } while (FindNextFileW(find_, &data));
        const DWORD err = GetLastError();
        closeSearch();
        if (err != ERROR_NO_MORE_FILES) throw folderError(err, path);
    }

    char separator() const noexcept override { return '\\'; }

  private:
    static void addEntry(const std::wstring& folder, const std::string& path,
                         const WIN32_FIND_DATAW& data, const FilePattern& pattern,
                         FolderListing& out) {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) return;
        const bool reparse = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        const std::string utf8 = win32::fromWide(name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Junctions and links to folders are not followed and not counted.
            if (!reparse) out.subfolders.push_back(utf8);
            return;
        }
        if (!pattern.matches(utf8)) return;
        std::int64_t size =
            (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (reparse) {
            // A link to a file counts as the file it points to; a dangling one as nothing.
            // Opening it follows the link; the attribute calls would describe the link itself.
            HANDLE file = CreateFileW((folder + name).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (file == INVALID_HANDLE_VALUE) return;
            BY_HANDLE_FILE_INFORMATION target;
            const bool ok = GetFileInformationByHandle(file, &target);
            CloseHandle(file);
            if (!ok || (target.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
            size = (static_cast<std::int64_t>(target.nFileSizeHigh) << 32) | target.nFileSizeLow;
        }
        out.addFile(size, path, utf8.c_str());
    }

    void closeSearch() {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
        find_ = INVALID_HANDLE_VALUE;
    }

    std::wstring folder_;
    HANDLE find_ = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW first_{};
};

}  // namespace

std::unique_ptr<FolderSource> makePlatformFolderSource() {
    return std::make_unique<Win32FolderSource>();
}

}  // namespace brambleton
