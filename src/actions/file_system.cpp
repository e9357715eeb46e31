// SPDX-License-Identifier: MIT
#include "actions/file_system.h"

#include <system_error>

namespace brambleton::actions {
namespace fs = std::filesystem;

std::vector<std::string> folderNames(const fs::path& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(hostText(it->path().filename()));
    }
    return names;
}

}  // namespace brambleton::actions
