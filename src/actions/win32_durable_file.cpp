// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <cstdlib>
#include <system_error>

#include "actions/durable_file.h"
#include "common/runtime_error.h"
#include "common/win32_text.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

namespace {

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);  // NOLINT(performance-no-int-to-ptr)
}

std::string systemWords() {
    return std::system_category().message(static_cast<int>(GetLastError()));
}

}  // namespace

DurableLog::DurableLog(const fs::path& path) : path_(path) {
    const HANDLE handle =
        CreateFileW(path.wstring().c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw RuntimeError(kPermissionDenied, "The journal " + win32::fromWide(path.wstring()) +
                                                  " cannot be opened: " + systemWords());
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

DurableLog::~DurableLog() {
    if (handle_ != -1) CloseHandle(handleOf(handle_));
}

void DurableLog::append(const std::string& text, bool flush) {
    DWORD written = 0;
    if (!WriteFile(handleOf(handle_), text.data(), static_cast<DWORD>(text.size()), &written,
                   nullptr) ||
        written != text.size() || (flush && !FlushFileBuffers(handleOf(handle_)))) {
        throw RuntimeError(kDeviceUnavailable, "The journal " + win32::fromWide(path_.wstring()) +
                                                   " cannot be written: " + systemWords());
    }
}

std::string DurableLog::readAll() const {
    std::string text;
    std::string buffer(std::size_t{64} * 1024, '\0');
    for (ULONGLONG at = 0;;) {
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!ReadFile(handleOf(handle_), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                      &where) ||
            got == 0) {
            break;
        }
        text.append(buffer.data(), got);
        at += got;
    }
    return text;
}

FolderLock::FolderLock(const fs::path& path) {
    // Opened by no one else: a second Brambleton's open fails until this one's process ends.
    const HANDLE handle = CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    held_ = true;
}

FolderLock::~FolderLock() {
    if (handle_ != -1) CloseHandle(handleOf(handle_));
}

fs::path dataFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (!local || !*local) return {};
    return fs::path(local) / L"Brambleton";
}

fs::path trashDataHome() {
    return {};
}

}  // namespace brambleton::actions
