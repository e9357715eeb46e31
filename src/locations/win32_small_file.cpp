// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <system_error>

#include "common/win32_text.h"
#include "locations/small_file.h"

namespace brambleton {

SmallFile readSmallFile(const std::filesystem::path& file, std::size_t limit) {
    SmallFile out;
    const HANDLE handle = CreateFileW(file.wstring().c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        out.problem = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                          ? FileProblem::Missing
                          : FileProblem::Unreadable;
        out.systemReason = std::system_category().message(static_cast<int>(error));
        return out;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        out.problem = FileProblem::NotAFile;
    } else if (!GetFileSizeEx(handle, &size)) {
        out.problem = FileProblem::Unreadable;
    } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        out.problem = FileProblem::TooLarge;
    } else {
        std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t used = 0;
        while (used < text.size()) {
            DWORD got = 0;
            if (!ReadFile(handle, text.data() + used, static_cast<DWORD>(text.size() - used), &got,
                          nullptr)) {
                out.problem = FileProblem::Unreadable;
                break;
            }
            if (got == 0) break;
            used += got;
        }
        if (out.problem == FileProblem::None) {
            text.resize(used);
            out.text = std::move(text);
        }
    }
    CloseHandle(handle);
    return out;
}

}  // namespace brambleton
