// SPDX-License-Identifier: MIT
#include "content/inspection.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include "common/ascii.h"
#include "content/content_check.h"
#include "content/formats/cmx_reader.h"
#include "content/formats/far_reader.h"
#include "content/formats/iff_reader.h"
#include "content/formats/picture.h"
#include "counting/read_ahead.h"

namespace brambleton::content {
namespace {

// Files queued past what the readers have taken before the walk reads one itself. Long: the
// readers, below the walk's priority, catch up while the duplicate finder runs.
constexpr std::size_t kMostQueued = std::size_t{1} << 16;
constexpr std::size_t kWakeEvery = 16;
// Readers at work at once while the files come from the cache.
constexpr unsigned kWarmReaders = 2;
// Files in a row read from the cache before the readers go back to kWarmReaders; each file
// read from the disk lets one more reader work.
constexpr unsigned kQuickToRest = 256;

std::string lastExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : ascii::toLower(name.substr(dot + 1));
}

void addObject(Findings& out, std::uint32_t file, std::uint32_t entry,
               std::vector<std::uint32_t> guids) {
    // One object's tiles share nothing with each other: each ID once per object.
    std::sort(guids.begin(), guids.end());
    guids.erase(std::unique(guids.begin(), guids.end()), guids.end());
    const auto object = static_cast<std::uint32_t>(out.objects.size());
    out.objects.push_back({file, entry});
    for (const auto guid : guids) out.guids.emplace_back(guid, object);
}

// Whether an archive's entry of extension `ext` is one the findings keep by name.
bool heldByName(std::string_view ext) {
    const FileType* type = typeOf(ext);
    return type && (type->type == ContentType::kFloor || type->type == ContentType::kWall ||
                    type->type == ContentType::kPicture || type->type == ContentType::kMesh);
}

// Entries between two looks at the stop flag: a table of a million entries is left within a
// few milliseconds of a stop.
constexpr std::uint32_t kEntriesBetweenStops = 1024;

void inspectArchive(ByteSource& archive, std::uint32_t file, Findings& out,
                    const std::atomic<bool>* stop) {
    std::uint32_t objects = 0;
    std::uint32_t entries = 0;
    // An archive of a million broken entries is one problem, not a million.
    std::optional<Findings::Bad> broken;
    const auto fault = readFar(archive, [&](const FarEntry& entry) {
        if (++entries % kEntriesBetweenStops == 0 && stop && stop->load()) throw ReadingStopped{};
        const std::string ext = lastExtension(entry.name);
        if (heldByName(ext)) out.heldEntries.push_back({file, entry.name});
        const bool object = ext == "iff";
        if (!object && ext != "flr" && ext != "wll") return;
        objects += object ? 1 : 0;
        PartBytes part(archive, entry.offset, entry.size);
        WindowedBytes bytes(part);
        auto summary = readIff(bytes);
        if (summary.fault) {
            summary.fault->inEntry = true;
            summary.fault->entry = entry.name;
        }
        if (summary.fault && !broken) {
            broken = Findings::Bad{file, entry.name, std::move(*summary.fault)};
        } else if (summary.fault) {
            if (broken->moreEntries.size() < kMembersListed) {
                broken->moreEntries.push_back(entry.name);
            }
            ++broken->moreCount;
        } else if (object) {
            const auto number = static_cast<std::uint32_t>(out.entryNames.size());
            out.entryNames.push_back(entry.name);
            addObject(out, file, number, std::move(summary.guids));
        }
    });
    if (broken) out.bad.push_back(std::move(*broken));
    if (fault) out.bad.push_back({file, {}, *fault});
    if (objects > 0) out.archives.push_back({file, objects, entries});
}

// The texture a skin's mesh names: a text .skn's second line (its first is the mesh's own
// name). Empty when the file is not that text.
std::string meshTexture(ByteSource& bytes) {
    char start[512] = {};
    const auto got = bytes.read(0, start, std::min<std::uint64_t>(sizeof start, bytes.size()));
    const std::string_view text(start, got);
    const auto first = text.find('\n');
    if (first == std::string_view::npos) return {};
    auto line = text.substr(first + 1);
    const auto end = line.find('\n');
    if (end == std::string_view::npos) return {};
    line = line.substr(0, end);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    const bool printable = std::all_of(line.begin(), line.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && c != 0x7f;
    });
    return printable ? std::string(line) : std::string();
}

}  // namespace

unsigned readersWithin(unsigned wanted) {
    const int spare = descriptorsToSpare();
    return spare < 4 ? 0U : std::min(wanted, static_cast<unsigned>(spare / 2));
}

void Findings::add(Findings&& other) {
    if (other.objects.size() + other.entryNames.size() > objects.size() + entryNames.size()) {
        // The smaller is added to the larger: a million objects of one archive are never
        // copied, and never held twice.
        std::swap(*this, other);
    }
    const auto objectBase = static_cast<std::uint32_t>(objects.size());
    const auto entryBase = static_cast<std::uint32_t>(entryNames.size());
    for (auto object : other.objects) {
        if (object.entry != kNoEntry) object.entry += entryBase;
        objects.push_back(object);
    }
    for (auto& name : other.entryNames) entryNames.push_back(std::move(name));
    for (const auto& [guid, object] : other.guids) guids.emplace_back(guid, object + objectBase);
    for (auto& b : other.bad) bad.push_back(std::move(b));
    archives.insert(archives.end(), other.archives.begin(), other.archives.end());
    for (auto& e : other.heldEntries) heldEntries.push_back(std::move(e));
    for (auto& m : other.meshTextures) meshTextures.push_back(std::move(m));
    unreadableFiles.insert(unreadableFiles.end(), other.unreadableFiles.begin(),
                           other.unreadableFiles.end());
    for (auto& m : other.meshLists) meshLists.push_back(std::move(m));
    deepTextures.insert(deepTextures.end(), other.deepTextures.begin(), other.deepTextures.end());
    for (auto& u : other.unreadable) unreadable.push_back(std::move(u));
    unreadableCount += other.unreadableCount;
    filesRead += other.filesRead;
    bytesRead += other.bytesRead;
}

void inspectBytes(ByteSource& bytes, FileKind kind, std::uint32_t file, Findings& out,
                  const std::atomic<bool>* stop) {
    switch (kind) {
        case FileKind::kObject:
        case FileKind::kTileSet: {
            WindowedBytes windowed(bytes);
            auto summary = readIff(windowed);
            if (summary.fault) {
                out.bad.push_back({file, {}, std::move(*summary.fault)});
            } else if (kind == FileKind::kObject) {
                addObject(out, file, Findings::kNoEntry, std::move(summary.guids));
            }
            break;
        }
        case FileKind::kArchive:
            inspectArchive(bytes, file, out, stop);
            break;
        case FileKind::kMesh:
            if (auto texture = meshTexture(bytes); !texture.empty())
                out.meshTextures.push_back({file, std::move(texture)});
            break;
        case FileKind::kMeshList: {
            auto cmx = readCmx(bytes);
            out.meshLists.push_back({file, std::move(cmx.meshes), std::move(cmx.suits)});
            break;
        }
        case FileKind::kTexture: {
            char start[64] = {};
            const auto got =
                bytes.read(0, start, std::min<std::uint64_t>(sizeof start, bytes.size()));
            const auto facts = readBmpFacts(std::string_view(start, got));
            if (facts && facts->bitsPerPixel > 8)
                out.deepTextures.push_back({file, facts->bitsPerPixel});
            break;
        }
    }
}

void inspect(const InspectTask& task, Findings& out, const std::atomic<bool>* stop) {
    std::string why;
    try {
        Findings found;
        const auto file = openFileIn(*task.folder, task.separator, task.name, task.size);
        inspectBytes(*file, task.kind, task.file, found, stop);
        found.bytesRead += file->bytesRead();
        ++found.filesRead;
        out.add(std::move(found));
        return;
    } catch (const ReadError& e) {
        // The readers say what went wrong; the file's path is said here once.
        const std::string path = task.path();
        why = e.what();
        if (why.find(path) == std::string::npos) why = "Cannot read " + path + ": " + why;
    } catch (const std::bad_alloc&) {
        why.clear();
    } catch (const ReadingStopped&) {
        return;
    }
    ++out.unreadableCount;
    try {
        out.unreadable.push_back(why.empty() ? "Cannot read " + task.path() +
                                                   ": there was not enough memory to read it"
                                             : std::move(why));
    } catch (const std::bad_alloc&) {
        // Counted all the same; only its sentence is lost.
    }
    try {
        out.unreadableFiles.push_back(task.file);
    } catch (const std::bad_alloc&) {
        // Counted; the caller then knows only that some file could not be read.
    }
}

// The readers' shared state. Each reader holds it, so one still inside a slow read when the
// check ends can finish alone after the check has moved on.
struct Inspector::State {
    // Where the platform does not count a thread's disk reads, all readers work from the
    // start.
    explicit State(unsigned readers)
        : most(readers), limit(diskBlocksRead() ? std::min(readers, kWarmReaders) : readers) {}

    std::mutex mutex;
    std::condition_variable wake;      // a file queued, more readers allowed, or stop
    std::condition_variable progress;  // a file done
    std::deque<InspectTask> queue;
    std::size_t added = 0;
    std::size_t done = 0;
    bool stopping = false;
    std::atomic<bool> stop{false};  // stopping, as the readers inside a file see it
    Findings findings;
    // Readers at work at once: few while the files come from the cache (more would only
    // contend for the processors with the walk), one more for each file that had to wait on
    // the disk, so that on a cold cache many reads are in flight.
    const unsigned most;
    unsigned limit;
    unsigned active = 0;
    unsigned quickInARow = 0;

    void read() noexcept {
        for (;;) {
            InspectTask task;
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [this] { return stopping || (!queue.empty() && active < limit); });
                if (stopping) return;
                task = std::move(queue.front());
                queue.pop_front();
                ++active;
            }
            const auto blocksBefore = diskBlocksRead();
            Findings found;
            try {
                inspect(task, found, &stop);
            } catch (const std::exception&) {
                found = {};
                found.unreadableCount = 1;
                found.unreadableFiles = {task.file};
            }
            const auto blocksAfter = diskBlocksRead();
            const bool waited = blocksAfter && blocksBefore && *blocksAfter != *blocksBefore;
            bool more = false;
            {
                const std::lock_guard<std::mutex> lock(mutex);
                try {
                    findings.add(std::move(found));
                } catch (const std::exception&) {
                    ++findings.unreadableCount;  // what it found could not be kept
                }
                ++done;
                --active;
                quickInARow = waited ? 0 : quickInARow + 1;
                if (waited && limit < most) {
                    ++limit;  // one more reader for each file that waited
                    more = true;
                } else if (quickInARow >= kQuickToRest) {
                    limit = std::min(most, kWarmReaders);
                }
            }
            if (more) wake.notify_one();
            progress.notify_all();
        }
    }
};

Inspector::Inspector(unsigned threads) {
    if (threads == 0) return;
    auto state = std::make_shared<State>(threads);
    unsigned started = 0;
    for (; started < threads; ++started) {
        try {
            std::thread([state] {
                yieldToForeground();
                state->read();
            }).detach();
        } catch (const std::exception&) {
            break;  // fewer readers, or none: the caller reads
        }
    }
    if (started > 0) state_ = std::move(state);
}

Inspector::~Inspector() {
    if (!state_) return;
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
        state_->queue.clear();
    }
    state_->stop = true;
    state_->wake.notify_all();
}

void Inspector::add(InspectTask task) {
    if (state_) {
        std::unique_lock<std::mutex> lock(state_->mutex);
        if (state_->queue.size() < kMostQueued) {
            state_->queue.push_back(std::move(task));
            ++state_->added;
            // A reader wakes each time kWakeEvery files wait; the last few wait for finish().
            // On a warm cache one reader keeps up with the walk, and waking one for every
            // file would cost more than reading it; on a cold cache the queue grows while
            // readers wait on the disk, and more of them join in.
            const std::size_t queued = state_->queue.size();
            lock.unlock();
            if (queued % kWakeEvery == 0) state_->wake.notify_one();
            return;
        }
    }
    inspect(task, inline_);
}

Findings Inspector::finish(const std::function<void()>& yield,
                           const std::function<bool()>& cancelled) {
    if (state_) {
        state_->wake.notify_all();
        std::unique_lock<std::mutex> lock(state_->mutex);
        while (state_->done < state_->added) {
            state_->progress.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            if (yield) yield();
            const bool stop = cancelled && cancelled();
            lock.lock();
            if (stop) {
                state_->stop = true;
                break;
            }
        }
        state_->stopping = true;
        state_->queue.clear();
        inline_.add(std::move(state_->findings));
        state_->findings = {};
        lock.unlock();
        state_->wake.notify_all();
        state_.reset();
    }
    return std::move(inline_);
}

}  // namespace brambleton::content
