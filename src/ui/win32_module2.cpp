// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/win32_text.h"
#include "ui/module2.h"

namespace brambleton::Module2 {
namespace {

// What the shell's answer (32 or less) says failed.
std::string shellFailure(INT_PTR status) {
    switch (status) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "the page or folder does not exist";
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE:
            return "no program is set to open it (no web browser or file manager was found)";
        case SE_ERR_ACCESSDENIED:
            return "Windows refused to start the program set to open it";
        case 0:
        case SE_ERR_OOM:
            return "Windows had no memory left to start a program for it";
        default:
            return "Windows could not start the program set to open it (error " +
                   std::to_string(status) + ")";
    }
}

}  // namespace

std::int32_t OpenWebPage(const std::string& address, const Failed& failed) {
    std::string ansi;
    win32::toAnsi(address, ansi);
    const HINSTANCE result =
        ShellExecuteA(GetDesktopWindow(), "Open", ansi.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
    const auto status = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(result));
    if (status <= 32 && failed) failed(shellFailure(status));
    return status;
}

void ShowInFolder(const std::string& path, const Failed& failed) {
    const std::wstring parameters = L"/select,\"" + win32::toWide(path) + L"\"";
    const HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"open", L"explorer.exe",
                                           parameters.c_str(), nullptr, SW_SHOWNORMAL);
    const INT_PTR status = reinterpret_cast<INT_PTR>(result);
    if (status <= 32 && failed) failed(shellFailure(status));
}

}  // namespace brambleton::Module2
