// SPDX-License-Identifier: MIT
#include "content/duplicates.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <set>
#include <tuple>

#include "content/formats/byte_source.h"

namespace brambleton::content {
namespace {

constexpr std::uint64_t kHead = 4096;
constexpr std::size_t kChunk = 1 << 16;
constexpr std::uint64_t kFnvStart = 14695981039346656037ULL;

struct Cancelled {};

// A file that may have a twin, keyed by (its key, size, hash of its head, hash of the rest).
// Small, since most files of a large collection share their size with another: no path is
// held, it is made when the file is opened.
struct Candidate {
    const SizedFile* file;
    std::uint32_t number;  // in the list given
    std::uint64_t head = 0;
    std::uint64_t rest = 0;
    FileIdentity identity;  // all zero where the platform does not say
};

// The name in lower case where the game asks for the file by its name, else nothing.
std::string nameKey(const SizedFile& f) {
    if (!f.byName) return {};
    std::string out(f.name);
    for (auto& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

class Reading {
  public:
    Reading(DuplicateSearch& out, const std::vector<std::string>& folders, char separator,
            const std::function<bool()>& cancelled)
        : out_(out), folders_(folders), separator_(separator), cancelled_(cancelled) {}

    std::string path(const Candidate& c) const {
        return folders_[c.file->folder] + separator_ + c.file->name;
    }

    void checkCancel() const {
        if (cancelled_ && cancelled_()) throw Cancelled{};
    }

    // Opens a file as the listing saw it: a regular file of its listed size.
    std::unique_ptr<ByteSource> open(const Candidate& c) {
        auto bytes = openFileBytes(path(c));
        if (bytes->size() != static_cast<std::uint64_t>(c.file->size)) {
            throw ReadError("Cannot compare " + path(c) +
                            ": it changed while it was being "
                            "checked");
        }
        return bytes;
    }

    // Reads `length` bytes at `offset`, all of them, or says the file changed.
    std::size_t readAll(ByteSource& bytes, const Candidate& c, std::uint64_t offset, char* into,
                        std::size_t length) {
        const std::size_t got = bytes.read(offset, into, length);
        out_.bytesRead += got;
        if (got < length) {
            throw ReadError("Cannot compare " + path(c) +
                            ": it became shorter while it was being checked");
        }
        return got;
    }

    // FNV-1a over bytes [from, to) of the file, continuing from `hash`.
    std::uint64_t hash(ByteSource& bytes, const Candidate& c, std::uint64_t from, std::uint64_t to,
                       std::uint64_t hash) {
        for (std::uint64_t at = from; at < to;) {
            checkCancel();
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - at));
            readAll(bytes, c, at, buffer_.data(), want);
            for (std::size_t i = 0; i < want; ++i) {
                hash ^= static_cast<unsigned char>(buffer_[i]);
                hash *= 1099511628211ULL;
            }
            at += want;
        }
        return hash;
    }

    bool sameBytes(const Candidate& a, const Candidate& b) {
        const auto x = open(a);
        const auto y = open(b);
        const auto size = static_cast<std::uint64_t>(a.file->size);
        for (std::uint64_t at = 0; at < size;) {
            checkCancel();
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - at));
            readAll(*x, a, at, buffer_.data(), want);
            readAll(*y, b, at, other_.data(), want);
            if (!std::equal(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(want),
                            other_.begin())) {
                return false;
            }
            at += want;
        }
        return true;
    }

    void opened() { ++out_.filesRead; }

    void unreadable(std::string why) { out_.unreadable.push_back(std::move(why)); }

  private:
    DuplicateSearch& out_;
    const std::vector<std::string>& folders_;
    char separator_;
    const std::function<bool()>& cancelled_;
    std::array<char, kChunk> buffer_{};
    std::array<char, kChunk> other_{};
};

// Keeps, in their order, the items whose key some other item shares. Sorts numbers, not the
// items, and keeps no table of keys: a large collection holds hundreds of thousands of them.
template <typename T, typename Key>
void keepShared(std::vector<T>& items, Key key) {
    std::vector<std::uint32_t> order(items.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(items[a]) < key(items[b]); });
    std::vector<bool> keep(items.size());
    for (std::size_t first = 0; first < order.size();) {
        std::size_t end = first + 1;
        while (end < order.size() && key(items[order[end]]) == key(items[order[first]])) ++end;
        for (std::size_t i = first; end - first > 1 && i < end; ++i) keep[order[i]] = true;
        first = end;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (keep[i]) items[kept++] = std::move(items[i]);
    }
    items.resize(kept);
}

// The files whose size and key some other file shares, in the order given: the walk's, close
// to the order the file system keeps them in, which on a cold cache saves a seek per file.
std::vector<Candidate> sameSizes(const std::vector<SizedFile>& files) {
    std::vector<Candidate> candidates;
    candidates.reserve(static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(), [](const SizedFile& f) { return f.size > 0; })));
    for (std::uint32_t i = 0; i < files.size(); ++i) {
        if (files[i].size > 0) candidates.push_back(Candidate{&files[i], i, 0, 0, {}});
    }
    keepShared(candidates, [](const Candidate& c) {
        return std::make_tuple(c.file->purpose, c.file->size, nameKey(*c.file));
    });
    return candidates;
}

// Hashes each candidate's head, or with `rest` what follows it, and keeps those that read and
// still share their key.
void hashAndKeepShared(std::vector<Candidate>& candidates, bool rest, Reading& reading) {
    for (auto& c : candidates) {
        reading.checkCancel();
        const auto size = static_cast<std::uint64_t>(c.file->size);
        if (rest && size <= kHead) continue;
        try {
            const auto bytes = reading.open(c);
            if (!rest) {
                reading.opened();
                c.identity = bytes->identity().value_or(FileIdentity{});
                c.head = reading.hash(*bytes, c, 0, std::min(size, kHead), kFnvStart);
            } else {
                c.rest = reading.hash(*bytes, c, kHead, size, c.head);
            }
        } catch (const ReadError& e) {
            reading.unreadable(e.what());
            c.file = nullptr;  // left out from here on
        }
    }
    std::erase_if(candidates, [](const Candidate& c) { return c.file == nullptr; });
    keepShared(candidates, [](const Candidate& c) {
        return std::make_tuple(c.file->purpose, c.file->size, nameKey(*c.file), c.head, c.rest);
    });
}

// Splits candidates with one key into sets of equal bytes, compared byte by byte against
// each set's first file; adds each set of two or more separate files to `found`. A second
// name of a file already in the group is dropped: it is not a copy.
void splitByBytes(std::vector<Candidate> group, Reading& reading,
                  std::vector<std::vector<Candidate>>& found) {
    std::sort(group.begin(), group.end(), [&](const Candidate& a, const Candidate& b) {
        return reading.path(a) < reading.path(b);
    });
    std::set<FileIdentity> seen;
    std::erase_if(group, [&](const Candidate& c) {
        return c.identity.index != 0 && !seen.insert(c.identity).second;
    });
    while (group.size() > 1) {
        std::vector<Candidate> same{group.front()};
        std::vector<Candidate> rest;
        for (std::size_t i = 1; i < group.size(); ++i) {
            bool equal = false;
            try {
                equal = reading.sameBytes(group.front(), group[i]);
            } catch (const ReadError& e) {
                reading.unreadable(e.what());
                continue;
            }
            if (equal) {
                same.push_back(group[i]);
            } else {
                rest.push_back(group[i]);
            }
        }
        if (same.size() > 1) found.push_back(std::move(same));
        group = std::move(rest);
    }
}

}  // namespace

DuplicateSearch findDuplicates(const std::vector<SizedFile>& files,
                               const std::vector<std::string>& folders, char separator,
                               const std::function<bool()>& cancelled) {
    DuplicateSearch out;
    Reading reading(out, folders, separator, cancelled);
    std::vector<std::vector<std::string>> paths;
    try {
        auto candidates = sameSizes(files);
        hashAndKeepShared(candidates, false, reading);
        hashAndKeepShared(candidates, true, reading);
        // The hash only proposes: the bytes decide.
        std::map<std::tuple<std::uint8_t, std::string, std::int64_t, std::uint64_t, std::uint64_t>,
                 std::vector<Candidate>>
            groups;
        for (auto& c : candidates) {
            groups[{c.file->purpose, nameKey(*c.file), c.file->size, c.head, c.rest}].push_back(c);
        }
        for (auto& [key, group] : groups) {
            std::vector<std::vector<Candidate>> found;
            splitByBytes(std::move(group), reading, found);
            for (const auto& set : found) {
                out.groups.emplace_back();
                paths.emplace_back();
                for (const auto& c : set) {
                    out.groups.back().push_back(c.number);
                    paths.back().push_back(reading.path(c));
                }
            }
        }
    } catch (const Cancelled&) {
        out.groups.clear();
        out.cancelled = true;
        return out;
    }
    std::vector<std::size_t> order(out.groups.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return paths[a] < paths[b]; });
    std::vector<std::vector<std::uint32_t>> sorted;
    sorted.reserve(order.size());
    for (const auto i : order) sorted.push_back(std::move(out.groups[i]));
    out.groups = std::move(sorted);
    return out;
}

}  // namespace brambleton::content
