// SPDX-License-Identifier: MIT
#include "content/duplicates.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace brambleton::content {
namespace {

constexpr std::size_t kHead = 4096;
constexpr std::size_t kChunk = 1 << 16;

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// FNV-1a over the first `limit` bytes of a file (all of it when `limit` is 0); nothing when
// it cannot be read.
std::optional<std::uint64_t> hashOf(const std::string& path, std::size_t limit,
                                    std::uint64_t& bytesRead) {
    std::ifstream in(pathOf(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::uint64_t hash = 14695981039346656037ULL;
    std::array<char, kChunk> buffer;
    std::size_t total = 0;
    while (in && (limit == 0 || total < limit)) {
        const std::size_t want =
            limit == 0 ? buffer.size() : std::min(buffer.size(), limit - total);
        in.read(buffer.data(), static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        for (std::size_t i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ULL;
        }
        total += got;
    }
    if (in.bad()) return std::nullopt;
    bytesRead += total;
    return hash;
}

bool sameBytes(const std::string& a, const std::string& b, std::uint64_t& bytesRead) {
    std::ifstream x(pathOf(a), std::ios::binary);
    std::ifstream y(pathOf(b), std::ios::binary);
    if (!x || !y) return false;
    std::array<char, kChunk> bx;
    std::array<char, kChunk> by;
    for (;;) {
        x.read(bx.data(), bx.size());
        y.read(by.data(), by.size());
        const auto gx = x.gcount();
        const auto gy = y.gcount();
        bytesRead += static_cast<std::uint64_t>(gx + gy);
        if (gx != gy || !std::equal(bx.begin(), bx.begin() + gx, by.begin())) return false;
        if (gx == 0) return !x.bad() && !y.bad();
    }
}

// Splits `group` by a key that each file's content gives; files without a key are dropped,
// and keys held by one file alone leave their file out.
template <typename Key>
std::vector<std::vector<std::string>> splitBy(
    const std::vector<std::string>& group,
    const std::function<std::optional<Key>(const std::string&)>& key) {
    std::map<Key, std::vector<std::string>> byKey;
    for (const auto& path : group) {
        if (auto k = key(path)) byKey[*k].push_back(path);
    }
    std::vector<std::vector<std::string>> out;
    for (auto& [k, paths] : byKey) {
        if (paths.size() > 1) out.push_back(std::move(paths));
    }
    return out;
}

}  // namespace

std::vector<std::vector<std::string>> findDuplicates(std::vector<SizedFile> files,
                                                     std::uint64_t& bytesRead,
                                                     const std::function<bool()>& cancelled) {
    std::sort(files.begin(), files.end(), [](const SizedFile& a, const SizedFile& b) {
        return a.size != b.size ? a.size < b.size : a.path < b.path;
    });
    std::vector<std::vector<std::string>> found;
    for (std::size_t at = 0; at < files.size();) {
        std::size_t end = at;
        while (end < files.size() && files[end].size == files[at].size) ++end;
        const std::int64_t size = files[at].size;
        if (end - at < 2 || size <= 0) {
            at = end;
            continue;
        }
        if (cancelled && cancelled()) break;
        std::vector<std::string> sameSize;
        for (std::size_t i = at; i < end; ++i) sameSize.push_back(files[i].path);
        at = end;

        std::vector<std::vector<std::string>> groups = splitBy<std::uint64_t>(
            sameSize, [&](const std::string& p) { return hashOf(p, kHead, bytesRead); });
        if (static_cast<std::uint64_t>(size) > kHead) {
            std::vector<std::vector<std::string>> whole;
            for (const auto& g : groups) {
                for (auto& w : splitBy<std::uint64_t>(
                         g, [&](const std::string& p) { return hashOf(p, 0, bytesRead); })) {
                    whole.push_back(std::move(w));
                }
            }
            groups = std::move(whole);
        }
        // The hash only proposes: byte by byte against each group's first file decides.
        for (auto& group : groups) {
            while (group.size() > 1) {
                std::vector<std::string> same{group.front()};
                std::vector<std::string> rest;
                for (std::size_t i = 1; i < group.size(); ++i) {
                    (sameBytes(group.front(), group[i], bytesRead) ? same : rest)
                        .push_back(group[i]);
                }
                if (same.size() > 1) found.push_back(std::move(same));
                group = std::move(rest);
            }
        }
    }
    for (auto& group : found) std::sort(group.begin(), group.end());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace brambleton::content
