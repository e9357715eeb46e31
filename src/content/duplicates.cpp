// SPDX-License-Identifier: MIT
#include "content/duplicates.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <tuple>

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

// A file that may have a twin, keyed by (size, hash of its head, hash of it all).
struct Candidate {
    const SizedFile* file;
    std::uint64_t head = 0;
    std::uint64_t whole = 0;
};

// Keeps the candidates whose key some other candidate shares.
template <typename Key>
void keepShared(std::vector<Candidate>& all, Key key) {
    std::map<decltype(key(all.front())), int> seen;
    for (const auto& c : all) ++seen[key(c)];
    std::erase_if(all, [&](const Candidate& c) { return seen[key(c)] < 2; });
}

// The files of a size some other file has, in path order: close to the order the file
// system keeps them in, which on a cold cache saves a seek per file over reading by size.
std::vector<Candidate> sameSizes(const std::vector<SizedFile>& files) {
    std::map<std::int64_t, int> sizes;
    for (const auto& f : files) {
        if (f.size > 0) ++sizes[f.size];
    }
    std::vector<Candidate> candidates;
    for (const auto& f : files) {
        if (f.size > 0 && sizes[f.size] > 1) candidates.push_back({&f});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.file->path < b.file->path; });
    return candidates;
}

// Hashes each candidate's head, or the whole of it when `whole`, and keeps those that read
// and still share their key. False when cancelled.
bool hashAndKeepShared(std::vector<Candidate>& candidates, bool whole, std::uint64_t& bytesRead,
                       const std::function<bool()>& cancelled) {
    std::vector<Candidate> read;
    for (auto& c : candidates) {
        if (cancelled && cancelled()) return false;
        if (!whole) {
            const auto h = hashOf(c.file->path, kHead, bytesRead);
            if (!h) continue;
            c.head = *h;
        } else if (static_cast<std::uint64_t>(c.file->size) > kHead) {
            const auto h = hashOf(c.file->path, 0, bytesRead);
            if (!h) continue;
            c.whole = *h;
        }
        read.push_back(c);
    }
    candidates = std::move(read);
    if (candidates.empty()) return true;
    keepShared(candidates,
               [](const Candidate& c) { return std::tuple(c.file->size, c.head, c.whole); });
    return true;
}

// Splits a group of files with one key into sets of equal bytes, compared byte by byte
// against each set's first file; adds each set of two or more to `found`.
void splitByBytes(std::vector<std::string> group, std::uint64_t& bytesRead,
                  std::vector<std::vector<std::string>>& found) {
    while (group.size() > 1) {
        std::vector<std::string> same{group.front()};
        std::vector<std::string> rest;
        for (std::size_t i = 1; i < group.size(); ++i) {
            (sameBytes(group.front(), group[i], bytesRead) ? same : rest).push_back(group[i]);
        }
        if (same.size() > 1) found.push_back(std::move(same));
        group = std::move(rest);
    }
}

}  // namespace

std::vector<std::vector<std::string>> findDuplicates(const std::vector<SizedFile>& files,
                                                     std::uint64_t& bytesRead,
                                                     const std::function<bool()>& cancelled) {
    auto candidates = sameSizes(files);
    if (!hashAndKeepShared(candidates, false, bytesRead, cancelled)) return {};
    if (!hashAndKeepShared(candidates, true, bytesRead, cancelled)) return {};

    // The hash only proposes: the bytes decide.
    std::map<std::tuple<std::int64_t, std::uint64_t, std::uint64_t>, std::vector<std::string>>
        groups;
    for (const auto& c : candidates) {
        groups[{c.file->size, c.head, c.whole}].push_back(c.file->path);
    }
    std::vector<std::vector<std::string>> found;
    for (auto& [key, group] : groups) splitByBytes(std::move(group), bytesRead, found);
    for (auto& group : found) std::sort(group.begin(), group.end());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace brambleton::content
