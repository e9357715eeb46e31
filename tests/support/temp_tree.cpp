// SPDX-License-Identifier: MIT
#include "temp_tree.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace brambleton::testing {

TempTree::TempTree() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = fs::temp_directory_path() / ("brambleton-test-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            root_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

std::string TempTree::path(std::string_view relative) const {
    return relative.empty() ? root_.string() : (root_ / relative).make_preferred().string();
}

bool TempTree::canLink() const {
    std::error_code ec;
    fs::create_symlink("target", root_ / ".link-probe", ec);
    if (ec) return false;
    fs::remove(root_ / ".link-probe", ec);
    return true;
}

void TempTree::folder(std::string_view relative) const {
    fs::create_directories(root_ / relative);
}

void TempTree::file(std::string_view relative, std::uintmax_t size) const {
    const auto where = root_ / relative;
    fs::create_directories(where.parent_path());
    std::ofstream(where, std::ios::binary).close();
    fs::resize_file(where, size);
}

void TempTree::text(std::string_view relative, std::string_view content) const {
    const auto where = root_ / relative;
    fs::create_directories(where.parent_path());
    std::ofstream(where, std::ios::binary) << content;
}

void TempTree::link(std::string_view relative, std::string_view target) const {
    const auto where = root_ / relative;
    fs::create_directories(where.parent_path());
    fs::create_symlink(fs::path(target), where);
}

void TempTree::build(std::string_view plan) const {
    std::istringstream lines{std::string(plan)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < 3 || line[1] != ' ') continue;
        const char kind = line[0];
        std::string rest = line.substr(2);
        if (kind == 'd') {
            folder(rest);
        } else if (kind == 'f') {
            // "f NAME SIZE": the size is the last word when it is a number.
            std::uintmax_t size = 0;
            const auto space = rest.rfind(' ');
            if (space != std::string::npos &&
                rest.find_first_not_of("0123456789", space + 1) == std::string::npos) {
                size = std::stoull(rest.substr(space + 1));
                rest.resize(space);
            }
            file(rest, size);
        } else if (kind == 'l') {
            const auto arrow = rest.find(" -> ");
            if (arrow == std::string::npos) throw std::invalid_argument("bad link line: " + line);
            link(rest.substr(0, arrow), rest.substr(arrow + 4));
        } else {
            throw std::invalid_argument("bad tree line: " + line);
        }
    }
}

}  // namespace brambleton::testing
