// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>
// After windows.h:
#include <tlhelp32.h>

#include <set>

#include "actions/game_watch.h"
#include "common/ascii.h"
#include "common/win32_text.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

// The processes already looked at and found to be something else, by id and start name.
struct GameWatch::Seen {
    std::set<std::pair<DWORD, std::wstring>> other;
    std::string top;  // the install folder, lower case, with a backslash at its end
};

GameWatch::GameWatch(fs::path installFolder)
    : install_(std::move(installFolder)), seen_(std::make_unique<Seen>()) {
    std::string top = ascii::toLower(win32::fromWide(install_.lexically_normal().wstring()));
    if (!top.empty() && top.back() != '\\') top += '\\';
    seen_->top = top;
}

GameWatch::~GameWatch() = default;

std::optional<std::string> GameWatch::running() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::optional<std::string> found;
    std::set<std::pair<DWORD, std::wstring>> now;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) continue;
        const std::pair<DWORD, std::wstring> key{entry.th32ProcessID, entry.szExeFile};
        if (seen_->other.count(key) != 0) {
            now.insert(key);
            continue;
        }
        const std::string name = win32::fromWide(entry.szExeFile);
        const std::string process = name + ", process " + std::to_string(entry.th32ProcessID);
        if (ascii::toLower(name) == "sims.exe") {
            found = process;
            break;
        }
        // A program whose image lies inside the game's folder.
        if (const HANDLE handle =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
            std::wstring image(32768, L'\0');
            DWORD size = static_cast<DWORD>(image.size());
            if (QueryFullProcessImageNameW(handle, 0, image.data(), &size)) {
                image.resize(size);
                if (ascii::toLower(win32::fromWide(image)).rfind(seen_->top, 0) == 0)
                    found = process;
            }
            CloseHandle(handle);
        }
        now.insert(key);
    }
    CloseHandle(snapshot);
    if (!found) seen_->other = std::move(now);
    return found;
}

}  // namespace brambleton::actions
