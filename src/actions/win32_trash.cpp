// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>
// After windows.h:
#include <sddl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "actions/trash.h"
#include "common/ascii.h"
#include "common/win32_text.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

namespace {

// The current user's Recycle Bin folder on the drive of `path`: X:\$Recycle.Bin\<SID>.
fs::path binFolder(const fs::path& path) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    std::vector<unsigned char> user(256);
    DWORD size = 0;
    fs::path folder;
    if (GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()),
                            &size)) {
        wchar_t* sid = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
            folder = path.root_path() / L"$Recycle.Bin" / sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return folder;
}

// One of the Recycle Bin's records ($I files): where the file came from and when it went.
struct BinRecord {
    fs::path record;  // the $I file
    fs::path file;    // the $R file beside it
    std::wstring cameFrom;
    long long when = 0;
};

// The records of the Recycle Bin of `cameFrom`'s drive that name `cameFrom`, newest first.
std::vector<BinRecord> recordsOf(const fs::path& cameFrom) {
    std::vector<BinRecord> found;
    const fs::path folder = binFolder(cameFrom);
    const std::string want = ascii::toLower(hostText(cameFrom.lexically_normal()));
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring name = it->path().filename().wstring();
        if (name.size() < 2 || name.compare(0, 2, L"$I") != 0) continue;
        std::ifstream in(it->path(), std::ios::binary);
        long long version = 0;
        long long bytes = 0;
        BinRecord record;
        in.read(reinterpret_cast<char*>(&version), 8);
        in.read(reinterpret_cast<char*>(&bytes), 8);
        in.read(reinterpret_cast<char*>(&record.when), 8);
        std::uint32_t chars = 260;
        if (version == 2) in.read(reinterpret_cast<char*>(&chars), 4);
        if (!in || chars == 0 || chars > 32768) continue;
        std::wstring text(chars, L'\0');
        in.read(reinterpret_cast<char*>(text.data()), static_cast<std::streamsize>(chars) * 2);
        if (!in) continue;
        text.resize(wcsnlen(text.c_str(), text.size()));
        if (ascii::toLower(win32::fromWide(text)) != want) continue;
        record.record = it->path();
        record.file = it->path().parent_path() / (L"$R" + name.substr(2));
        record.cameFrom = text;
        found.push_back(record);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.when > b.when; });
    return found;
}

// Under Wine the Recycle Bin is the desktop's trash of the Unix side (freedesktop.org
// Trash): its records name the Unix path a file came from. Wine's kernel32 gives that path.
std::string unixPathOf(const fs::path& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto toUnix =
        kernel ? reinterpret_cast<ToUnix>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
                     reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
               : nullptr;
    if (!toUnix) return {};
    char* text = toUnix(path.wstring().c_str());
    if (!text) return {};
    std::string out = text;
    HeapFree(GetProcessHeap(), 0, text);
    return out;
}

// The Unix side's home trash as a path Wine opens: under $XDG_DATA_HOME when the Unix side
// set it, else under the home Wine names in WINEHOMEDIR ("\\??\\Z:\\home\\player").
fs::path unixTrash() {
    std::string path;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        path = "\\\\?\\unix" + std::string(data) + "/Trash";
    } else if (const char* wineHome = std::getenv("WINEHOMEDIR"); wineHome) {
        path = wineHome;
        if (path.rfind("\\??\\", 0) == 0) path = path.substr(4);
        if (path.rfind("unix", 0) == 0) path = "\\\\?\\" + path;
        path += "/.local/share/Trash";
    } else {
        return {};
    }
    for (auto& c : path) c = c == '/' ? '\\' : c;
    return fs::path(win32::toWide(path));
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// What a .trashinfo record says: the path the file came from, decoded, and when it went.
std::pair<std::string, std::string> readTrashInfo(const fs::path& record) {
    std::ifstream in(record, std::ios::binary);
    std::string line;
    std::string path;
    std::string date;
    while (std::getline(in, line)) {
        if (line.rfind("Path=", 0) == 0) path = percentDecoded(line.substr(5));
        if (line.rfind("DeletionDate=", 0) == 0) date = line.substr(13);
    }
    return {path, date};
}

// The records of the Unix side's trash naming `cameFrom`, newest first.
std::vector<BinRecord> unixRecordsOf(const fs::path& cameFrom) {
    std::vector<BinRecord> found;
    const std::string want = unixPathOf(cameFrom);
    const fs::path trash = unixTrash();
    if (want.empty() || trash.empty()) return found;
    std::error_code ec;
    for (fs::directory_iterator it(trash / L"info", ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring name = it->path().filename().wstring();
        constexpr std::wstring_view kEnding = L".trashinfo";
        if (name.size() <= kEnding.size() || !name.ends_with(kEnding)) continue;
        const auto [path, date] = readTrashInfo(it->path());
        if (path != want) continue;
        BinRecord record;
        record.record = it->path();
        record.file = trash / L"files" / name.substr(0, name.size() - kEnding.size());
        record.cameFrom = cameFrom.wstring();
        // "2026-12-10T04:35:12" read as a number that orders alike.
        std::string digits;
        for (const char c : date) {
            if (c >= '0' && c <= '9') digits += c;
        }
        record.when = digits.empty() || digits.size() > 18 ? 0 : std::stoll(digits);
        found.push_back(record);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.when > b.when; });
    return found;
}

// Every record of `cameFrom`, the Recycle Bin's and (under Wine) the Unix trash's.
std::vector<BinRecord> allRecordsOf(const fs::path& cameFrom) {
    auto found = recordsOf(cameFrom);
    auto unix = unixRecordsOf(cameFrom);
    found.insert(found.end(), unix.begin(), unix.end());
    return found;
}

}  // namespace

std::optional<TrashSlot> findTrashSlot(const fs::path& path, const TrashHome&, std::string& why) {
    if (!pathFacts(path).exists) {
        why = "it is no longer there";
        return std::nullopt;
    }
    return TrashSlot{};
}

bool writeTrashRecord(const fs::path&, const TrashSlot&, std::string&) {
    return true;  // the Recycle Bin writes its own
}

MoveResult moveIntoTrash(const fs::path& path, const TrashSlot&) {
    // The shell takes no \\?\ paths; a list of paths ends with two NULs.
    std::wstring from = path.wstring();
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // Into the Recycle Bin, asking nothing, except where the file could not go there and
    // would be gone for good: then the system asks first (FOF_WANTNUKEWARNING).
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT |
                       FOF_NOERRORUI | FOF_NOCONFIRMMKDIR;
    const int result = SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted) {
        return {MoveOutcome::kFailed,
                operation.fAnyOperationsAborted
                    ? "it was not put in the Recycle Bin"
                    : "the Recycle Bin refused it (error " + std::to_string(result) + ")"};
    }
    if (pathFacts(path).exists) return {MoveOutcome::kFailed, "the Recycle Bin left it in place"};
    return {};
}

std::optional<fs::path> locateInTrash(const TrashSlot&, const fs::path& cameFrom) {
    for (const auto& record : allRecordsOf(cameFrom)) {
        if (pathFacts(record.file).exists) return record.file;
    }
    return std::nullopt;
}

void dropTrashRecord(const TrashSlot&, const fs::path& cameFrom) {
    // The record whose file has gone back where it came from.
    for (const auto& record : allRecordsOf(cameFrom)) {
        if (!pathFacts(record.file).exists) {
            removeOwnRecord(record.record);
            return;
        }
    }
}

}  // namespace brambleton::actions
