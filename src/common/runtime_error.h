// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace brambleton {

// The classic runtime error numbers that the program's procedures raise.
enum ErrorNumber : int {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kFileNotFound = 53,
    kDeviceUnavailable = 68,
    kPermissionDenied = 70,
    kPathNotFound = 76,
};

// The one error type that every procedure throws. `number()` is one of ErrorNumber;
// `description()` is the text a user reads, naming the path or value that failed.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    int number() const noexcept { return number_; }
    std::string description() const { return what(); }

  private:
    int number_;
};

}  // namespace brambleton
