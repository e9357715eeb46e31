// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <cstdint>

#include "common/win32_text.h"
#include "ui/module2.h"

namespace brambleton::Module2 {

std::int32_t OpenWebPage(const std::string& address, const std::function<void()>& failed) {
    std::string ansi;
    win32::toAnsi(address, ansi);
    const HINSTANCE result =
        ShellExecuteA(GetDesktopWindow(), "Open", ansi.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
    const auto status = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(result));
    if (status <= 32 && failed) failed();
    return status;
}

void ShowInFolder(const std::string& path, const std::function<void()>& failed) {
    const std::wstring parameters = L"/select,\"" + win32::toWide(path) + L"\"";
    const HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"open", L"explorer.exe",
                                           parameters.c_str(), nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32 && failed) failed();
}

}  // namespace brambleton::Module2
