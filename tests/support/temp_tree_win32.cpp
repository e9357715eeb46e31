// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <stdexcept>

#include "temp_tree.h"

namespace brambleton::testing {

// Past MAX_PATH (600 characters of path), so the long form is needed; under Wine each call
// resolves every level again, so a deeper tree only costs time.
const int TempTree::kDeepestTree = 300;

namespace {

std::wstring longForm(const std::filesystem::path& p) {
    return L"\\\\?\\" + std::filesystem::absolute(p).make_preferred().wstring();
}

void removeBelow(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + L"\\" + name;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            removeBelow(child);
            RemoveDirectoryW(child.c_str());
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDirectoryW(child.c_str());
        } else {
            DeleteFileW(child.c_str());
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

TempTree::~TempTree() {
    const std::wstring root = longForm(root_);
    removeBelow(root);
    RemoveDirectoryW(root.c_str());
}

void TempTree::deepFolder(std::string_view name, int levels, std::string_view leaf) const {
    std::wstring at = longForm(root_);
    const std::wstring n(name.begin(), name.end());
    for (int i = 0; i < levels; ++i) {
        at += L"\\" + n;
        if (!CreateDirectoryW(at.c_str(), nullptr))
            throw std::runtime_error("cannot build a deep tree");
    }
    HANDLE file = CreateFileW((at + L"\\" + std::wstring(leaf.begin(), leaf.end())).c_str(),
                              GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot build a deep tree");
    CloseHandle(file);
}

}  // namespace brambleton::testing
