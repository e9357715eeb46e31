// SPDX-License-Identifier: MIT
#include "locations/small_file.h"

namespace brambleton {

const char* describeProblem(FileProblem problem) noexcept {
    switch (problem) {
        case FileProblem::None:
            return "was read";
        case FileProblem::Missing:
            return "does not exist";
        case FileProblem::NotAFile:
            return "is not a regular file";
        case FileProblem::Unreadable:
            return "cannot be read";
        case FileProblem::TooLarge:
            return "is too large";
    }
    return "cannot be read";
}

std::string describeProblem(const SmallFile& file) {
    std::string said = describeProblem(file.problem);
    if (file.problem == FileProblem::Unreadable && !file.systemReason.empty()) {
        said += ": " + file.systemReason;
    }
    return said;
}

}  // namespace brambleton
