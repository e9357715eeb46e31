// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <windows.h>

#include "common/win32_text.h"
#include "content/formats/byte_source.h"

namespace brambleton::content {
namespace {

std::string lastError(const std::string& what, const std::string& path) {
    return what + " " + path + " (error " + std::to_string(GetLastError()) + ")";
}

class FileBytes final : public ByteSource {
  public:
    FileBytes(HANDLE file, std::uint64_t size, std::string path)
        : file_(file), size_(size), path_(std::move(path)) {}
    ~FileBytes() override { CloseHandle(file_); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t size() const override { return size_; }

    std::size_t read(std::uint64_t offset, void* out, std::size_t length) override {
        std::size_t got = 0;
        while (got < length) {
            OVERLAPPED at{};
            const std::uint64_t position = offset + got;
            at.Offset = static_cast<DWORD>(position);
            at.OffsetHigh = static_cast<DWORD>(position >> 32);
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - got, 1u << 30));
            if (!ReadFile(file_, static_cast<char*>(out) + got, want, &n, &at)) {
                if (GetLastError() == ERROR_HANDLE_EOF) break;
                throw ReadError(lastError("Cannot read", path_));
            }
            if (n == 0) break;
            got += n;
        }
        read_ += got;
        return got;
    }

    std::uint64_t bytesRead() const override { return read_; }

    std::optional<FileIdentity> identity() const override {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file_, &info)) return std::nullopt;
        return FileIdentity{info.dwVolumeSerialNumber,
                            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    }

  private:
    HANDLE file_;
    std::uint64_t size_;
    std::string path_;
    std::uint64_t read_ = 0;
};

}  // namespace

std::optional<std::uint64_t> diskBlocksRead() noexcept {
    return std::nullopt;  // Windows does not count a thread's reads from the disk
}

void yieldToForeground() noexcept {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

std::unique_ptr<ByteSource> openFileBytes(const std::string& path, std::optional<std::uint64_t>) {
    // Shared for every kind of access: the game or an unpacker may have the file open.
    HANDLE file = CreateFileW(win32::longPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw ReadError(lastError("Cannot open", path));
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        throw ReadError("Cannot read " + path + ": not a file on a disk");
    }
    try {
        return std::make_unique<FileBytes>(file, static_cast<std::uint64_t>(size.QuadPart), path);
    } catch (...) {
        CloseHandle(file);
        throw;
    }
}

std::unique_ptr<ByteSource> openFileIn(const std::string& folder, char separator,
                                       const std::string& name, std::uint64_t size) {
    return openFileBytes(folder + separator + name, size);
}

// Windows reads ahead by itself as a file is read; nothing is advised here.
struct FileWarmer::State {};

FileWarmer::FileWarmer() = default;
FileWarmer::~FileWarmer() = default;

void FileWarmer::warm(const std::string&, char, const std::vector<std::string>&) {}

}  // namespace brambleton::content
