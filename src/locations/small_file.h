// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace brambleton {

// Why a small file could not be read.
enum class FileProblem {
    None,
    Missing,     // nothing by that name
    NotAFile,    // a folder, a FIFO, a device or a socket
    Unreadable,  // the open or the read failed
    TooLarge,    // longer than the caller's limit
};

struct SmallFile {
    std::string text;  // the whole file when problem is None, else empty
    FileProblem problem = FileProblem::None;
    std::string systemReason;  // the system's words for an Unreadable file ("Permission denied")
};

// Reads a whole regular file of at most `limit` bytes. The file is opened once, without
// blocking, and checked through that same handle, so a FIFO or a device put in its place
// never hangs the caller and a file swapped between a check and the read is never read.
SmallFile readSmallFile(const std::filesystem::path& file, std::size_t limit);

// A few words for a problem, such as "does not exist" or "is not a regular file".
const char* describeProblem(FileProblem problem) noexcept;
// The same for a file read, with the system's reason when it has one: "cannot be read:
// Permission denied".
std::string describeProblem(const SmallFile& file);

}  // namespace brambleton
