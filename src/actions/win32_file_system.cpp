// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <array>
#include <system_error>

#include "actions/file_system.h"
#include "actions/hash.h"
#include "common/win32_text.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

namespace {

std::wstring wide(const fs::path& path) {
    return win32::longPath(hostText(path));
}

std::string systemWords(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

// A handle to `path` itself (a link as a link) for reading its facts or bytes.
HANDLE openAt(const fs::path& path, DWORD access) {
    return CreateFileW(
        wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

PathFacts pathFacts(const fs::path& path) {
    PathFacts facts;
    const HANDLE handle = openAt(path, FILE_READ_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE) return facts;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        facts.exists = true;
        facts.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        facts.device = info.dwVolumeSerialNumber;
        facts.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        facts.size = facts.folder ? 0
                                  : (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                        info.nFileSizeLow;
    }
    CloseHandle(handle);
    return facts;
}

std::uint64_t deviceFor(const fs::path& path) {
    for (fs::path p = path; !p.empty(); p = p.parent_path()) {
        const PathFacts facts = pathFacts(p);
        if (facts.exists) return facts.device;
        if (p == p.parent_path()) break;
    }
    return 0;
}

MoveResult moveNoReplace(const fs::path& from, const fs::path& to) {
    // Neither MOVEFILE_REPLACE_EXISTING nor MOVEFILE_COPY_ALLOWED: a name taken refuses, and
    // another volume refuses instead of copying.
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD error = GetLastError();
    switch (error) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return {MoveOutcome::kTaken, {}};
        case ERROR_NOT_SAME_DEVICE:
            return {MoveOutcome::kOtherFileSystem, {}};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            if (!pathFacts(from).exists) return {MoveOutcome::kMissing, {}};
            [[fallthrough]];
        default:
            return {MoveOutcome::kFailed, systemWords(error)};
    }
}

bool makeFolder(const fs::path& path, std::string& why) {
    if (CreateDirectoryW(wide(path).c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    why = error == ERROR_ALREADY_EXISTS ? std::string() : systemWords(error);
    return false;
}

bool removeEmptyFolder(const fs::path& path) {
    return RemoveDirectoryW(wide(path).c_str()) != 0;
}

bool createNew(const fs::path& path, const std::string& text, std::string& why) {
    const HANDLE handle = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        why = systemWords(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    if (!whole) why = systemWords(GetLastError());
    CloseHandle(handle);
    if (!whole) DeleteFileW(wide(path).c_str());
    return whole;
}

MoveResult writeNew(const fs::path& to, const fs::path& part, const std::string& bytes) {
    // Written under the program's own name beside its place, then moved there without
    // replacing anything.
    std::string why;
    if (!createNew(part, bytes, why)) return {MoveOutcome::kFailed, why};
    MoveResult moved = moveNoReplace(part, to);
    if (moved.outcome != MoveOutcome::kDone) DeleteFileW(wide(part).c_str());
    return moved;
}

bool removeOwnRecord(const fs::path& path) {
    return DeleteFileW(wide(path).c_str()) != 0;
}

std::optional<std::uint64_t> fileHash(const fs::path& path) {
    const HANDLE handle = openAt(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    ContentHash hash;
    std::array<unsigned char, std::size_t{64} * 1024> buffer{};
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        hash.add(buffer.data(), got);
    }
    CloseHandle(handle);
    if (!ok) return std::nullopt;
    return hash.value();
}

}  // namespace brambleton::actions
