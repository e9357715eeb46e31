// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include <map>
#include <vector>

#include "common/win32_text.h"
#include "locations/registry.h"

namespace brambleton {
namespace {

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The system registry through advapi32's ANSI calls, as a 32-bit program sees it: each key is
// opened in the 32-bit view and in the plain (64-bit) view, and a value is taken from the
// 32-bit view first. Names the ANSI code page cannot hold, and text values it would garble,
// go through the wide calls instead.
class Win32Registry final : public Registry {
  public:
    ~Win32Registry() override {
        for (auto& [handle, views] : open_) closeViews(views);
    }

    std::int32_t openKey(RegistryHandle root, const std::string& subKey,
                         RegistryHandle& handle) override {
        if (root != kLocalMachine && root != kCurrentUser) return kRegInvalidHandle;
        const HKEY rootKey = root == kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        Views views;
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            HKEY key = nullptr;
            std::string ansi;
            LONG status;
            if (win32::toAnsi(subKey, ansi)) {
                status = RegOpenKeyExA(rootKey, ansi.c_str(), 0, KEY_READ | view, &key);
            } else {
                status =
                    RegOpenKeyExW(rootKey, win32::toWide(subKey).c_str(), 0, KEY_READ | view, &key);
            }
            if (status == ERROR_SUCCESS) views.push_back(key);
        }
        if (views.empty()) return kRegFileNotFound;
        const RegistryHandle opened = next_++;
        open_[opened] = std::move(views);
        handle = opened;
        return kRegSuccess;
    }

    std::int32_t queryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type,
                            void* data, std::uint32_t& size) override {
        const auto it = open_.find(key);
        if (it == open_.end()) return kRegInvalidHandle;
        for (HKEY view : it->second) {
            std::vector<std::uint8_t> bytes;
            DWORD found = 0;
            if (!read(view, valueName, found, bytes)) continue;
            type = found;
            return deliverValue(bytes, data, size);
        }
        return kRegFileNotFound;
    }

    std::int32_t closeKey(RegistryHandle key) override {
        const auto it = open_.find(key);
        if (it == open_.end()) return kRegInvalidHandle;
        closeViews(it->second);
        open_.erase(it);
        return kRegSuccess;
    }

    std::string describe() const override { return "the Windows registry"; }

  private:
    using Views = std::vector<HKEY>;

    static void closeViews(Views& views) {
        for (HKEY k : views) RegCloseKey(k);
        views.clear();
    }

    // One value of one view; text comes back in UTF-8.
    static bool read(HKEY view, const std::string& valueName, DWORD& type,
                     std::vector<std::uint8_t>& out) {
        std::string ansiName;
        const bool ansi = win32::toAnsi(valueName, ansiName);
        DWORD size = 0;
        LONG status = ansi
                          ? RegQueryValueExA(view, ansiName.c_str(), nullptr, &type, nullptr, &size)
                          : RegQueryValueExW(view, win32::toWide(valueName).c_str(), nullptr, &type,
                                             nullptr, &size);
        if (status != ERROR_SUCCESS) return false;

        if (isText(type)) {
            // Read as UTF-16 so that no character is lost to the code page, then hand it on
            // as the ANSI call would, in the program's narrow text.
            std::wstring wide;
            DWORD bytes = 0;
            const std::wstring wideName = win32::toWide(valueName);
            if (RegQueryValueExW(view, wideName.c_str(), nullptr, &type, nullptr, &bytes) !=
                ERROR_SUCCESS) {
                return false;
            }
            wide.resize(bytes / sizeof(wchar_t));
            if (RegQueryValueExW(view, wideName.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(wide.data()), &bytes) != ERROR_SUCCESS) {
                return false;
            }
            wide.resize(bytes / sizeof(wchar_t));
            const std::string text = win32::fromWide(wide);
            out.assign(text.begin(), text.end());
            return true;
        }
        out.resize(size);
        status = ansi ? RegQueryValueExA(view, ansiName.c_str(), nullptr, &type, out.data(), &size)
                      : RegQueryValueExW(view, win32::toWide(valueName).c_str(), nullptr, &type,
                                         out.data(), &size);
        out.resize(size);
        return status == ERROR_SUCCESS;
    }

    std::map<RegistryHandle, Views> open_;
    RegistryHandle next_ = 1;
};

}  // namespace

std::unique_ptr<Registry> makePlatformRegistry() {
    return std::make_unique<Win32Registry>();
}

}  // namespace brambleton
