// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <QByteArray>

#include "ui/platform_setup.h"

namespace brambleton::ui {

void choosePlatformOptions() {
    // Under Wine, Qt's GDI font engine draws some letters of the substituted fonts blank (a
    // capital I vanished from "*.IFF"); FreeType draws them all. On Windows itself the native
    // engine stays. Wine's ntdll exports wine_get_version, Windows' does not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    if (wine && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
    }
}

bool followDesktopColourScheme() {
    // Windows' own dark mode reaches Qt through its platform plugin, not through here.
    return false;
}

}  // namespace brambleton::ui
