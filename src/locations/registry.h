// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brambleton {

// A registry key handle as the classic 32-bit API passes it; 0 is the null handle.
using RegistryHandle = std::uint32_t;

inline constexpr RegistryHandle kCurrentUser = 0x80000001;   // HKEY_CURRENT_USER
inline constexpr RegistryHandle kLocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE

// Value types.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Status codes of the registry calls.
inline constexpr std::int32_t kRegSuccess = 0;
inline constexpr std::int32_t kRegFileNotFound = 2;
inline constexpr std::int32_t kRegInvalidHandle = 6;
inline constexpr std::int32_t kRegMoreData = 234;

// The three registry operations the install-folder lookup rests on, with the semantics of
// the ANSI calls RegOpenKeyA, RegQueryValueExA and RegCloseKey. Text crosses this interface
// in the program's narrow encoding (UTF-8). A backend reads its store afresh on every open.
class Registry {
  public:
    virtual ~Registry() = default;

    // Opens `subKey` below `root`. On success `handle` receives a non-zero handle; on failure
    // it is left as it was (the caller starts it at 0) and a non-zero status is returned.
    virtual std::int32_t openKey(RegistryHandle root, const std::string& subKey,
                                 RegistryHandle& handle) = 0;

    // Reads value `valueName` of an open key. With `data` null, reports the type and the data
    // size in bytes. With a buffer of `size` bytes, fills at most that many and reports the
    // size needed; a buffer that is too small gets kRegMoreData and nothing written. Text
    // values come converted to the narrow encoding, their size counted after conversion.
    virtual std::int32_t queryValue(RegistryHandle key, const std::string& valueName,
                                    std::uint32_t& type, void* data, std::uint32_t& size) = 0;

    // Closes a handle; closing the null handle is harmless.
    virtual std::int32_t closeKey(RegistryHandle key) = 0;

    // Where this registry is read, for messages: a Wine prefix's file, or the system's.
    virtual std::string describe() const = 0;

    // Why the registry could not be read at the last openKey ("does not exist", "is not a
    // regular file"), empty when it was read or cannot fail as a whole.
    virtual std::string readProblem() const { return {}; }
};

// Hands a value's bytes to a queryValue caller with the call's buffer rules: the size needed
// always, the bytes when `data` is given and `size` holds them, kRegMoreData when it does not.
std::int32_t deliverValue(const std::vector<std::uint8_t>& bytes, void* data, std::uint32_t& size);

// Windows' own registry (the Windows build only; on Linux the registry is a WineRegistry).
std::unique_ptr<Registry> makePlatformRegistry();

}  // namespace brambleton
