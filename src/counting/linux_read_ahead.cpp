// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstddef>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "counting/read_ahead.h"

namespace brambleton {

const char* const kReaderName = "read-ahead";

namespace {

// More readers than this gain little on one disk and cost the walk processor time.
constexpr unsigned kReaders = 4;
// Sub-folders taken from one listing before the rest of it is put back for later: a folder
// with a hundred thousand sub-folders costs a bookmark, not a hundred thousand names.
constexpr std::size_t kBatch = 32;
// Descriptors the readers keep open at once (each folder with sub-folders still to enter is
// one). Past it, a folder's sub-folders are left to the walk: the walk's own descent, a
// thousand or more deep, must not run out of descriptors because of the readers.
constexpr int kMaxOpenFolders = 128;
// Fewer descriptors to spare than this, and the readers do not start.
constexpr int kFewestOpenFolders = 4;
constexpr std::size_t kBufferBytes = std::size_t{32} * 1024;
// Folders in a row a reader reads without waiting on the disk before it takes the caches to
// be warm.
constexpr int kWarmStreak = 32;
// How long a reader rests between folders while the caches are warm.
constexpr std::chrono::milliseconds kWarmRest(2);

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A folder the readers hold open while some job still needs it.
class OpenFolder {
  public:
    OpenFolder(int fd, std::atomic<int>& count) : fd_(fd), count_(count) { ++count_; }
    ~OpenFolder() {
        ::close(fd_);
        --count_;
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    int fd() const noexcept { return fd_; }

  private:
    int fd_;
    std::atomic<int>& count_;
};

// Either "enter the sub-folder `name` of `folder`" or, with no name, "go on listing `folder`
// from the position `resumeAt`".
struct Job {
    std::shared_ptr<OpenFolder> folder;
    std::string name;
    off_t resumeAt = 0;
};

// The readers' shared state. Each reader holds it, so a reader still inside a slow system
// call when the count ends can finish on its own after the count has moved on.
class Pool {
  public:
    Pool(FilePattern pattern, int maxOpenFolders)
        : pattern_(std::move(pattern)), maxOpenFolders_(maxOpenFolders) {}

    // Queues the listing of the open folder `fd`, which the pool closes when done.
    void begin(int fd) {
        try {
            jobs_.push_back({std::make_shared<OpenFolder>(fd, openFolders_), {}, 0});
        } catch (...) {
            ::close(fd);
            throw;
        }
    }

    // Starts up to kReaders readers; false when not one could be started.
    static bool startReaders(const std::shared_ptr<Pool>& pool) {
        // The readers take no signals: an interrupt goes to the thread that handles it.
        sigset_t all;
        sigset_t previous;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous);
        unsigned started = 0;
        for (; started < kReaders; ++started) {
            {
                const std::lock_guard<std::mutex> lock(pool->mutex_);
                ++pool->running_;
            }
            try {
                std::thread reader([pool] { pool->read(); });
                // Named before anyone can look: a reader at work is always a named one.
                pthread_setname_np(reader.native_handle(), kReaderName);
                reader.detach();
            } catch (const std::exception&) {
                const std::lock_guard<std::mutex> lock(pool->mutex_);
                --pool->running_;
                break;  // fewer readers, or none: the walk does not need them
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return started > 0;
    }

    // Tells the readers to stop and waits until they have, or until `patience` has passed
    // (zero: not at all). Each is at most one system call from stopping, but on a hung
    // network mount that call may never end, and the count must not hang with it.
    void stop(std::chrono::milliseconds patience) noexcept {
        std::unique_lock<std::mutex> lock(mutex_);
        stopping_ = true;
        jobs_.clear();
        wake_.notify_all();
        rested_.notify_all();
        if (patience.count() > 0) {
            stopped_.wait_for(lock, patience, [this] { return running_ == 0; });
        }
    }

  private:
    // One reader: takes the job pushed last, so that the readers together go depth first
    // and stay near the folders the walk enters next.
    void read() noexcept {
        try {
            readJobs();
        } catch (const std::exception&) {
            // out of memory: the walk does not need this reader
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        if (--running_ == 0) stopped_.notify_all();
    }

    void readJobs() {
        std::vector<char> buffer(kBufferBytes);
        std::vector<Job> found;
        Job job;
        int warmJobs = 0;
        long blocks = blocksRead();
        while (take(job)) {
            found.clear();
            try {
                work(job, buffer, found);
            } catch (const std::exception&) {
                found.clear();  // out of memory: leave this part to the walk
            }
            job = {};
            const long now = blocksRead();
            warmJobs = now == blocks ? warmJobs + 1 : 0;
            blocks = now;
            give(found);
            if (warmJobs >= kWarmStreak) pause();
        }
    }

    // With the caches warm the readers only repeat the walk's work, taking processor time
    // from it; so after kWarmStreak folders in a row that needed no disk read, a reader
    // rests between folders. The first folder that does need one puts it back to full
    // speed. (A lower scheduling priority could not be undone without privileges, and would
    // leave a reader starved on a busy machine unable to stop.)
    void pause() {
        std::unique_lock<std::mutex> lock(mutex_);
        rested_.wait_for(lock, kWarmRest, [this] { return stopping_.load(); });
    }

    // Blocks this thread has had read from a disk so far.
    static long blocksRead() noexcept {
        rusage usage{};
        return getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
    }

    bool take(Job& job) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty() || busy_ == 0; });
        if (stopping_ || jobs_.empty()) return false;  // stopped, or the whole tree is read
        job = std::move(jobs_.back());
        jobs_.pop_back();
        ++busy_;
        return true;
    }

    // Puts back what a job found, the first sub-folder on top, and wakes readers for it.
    void give(std::vector<Job>& found) {
        bool wake = !found.empty();
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) found.clear();
            jobs_.insert(jobs_.end(), std::make_move_iterator(found.rbegin()),
                         std::make_move_iterator(found.rend()));
            --busy_;
            wake = wake || busy_ == 0;  // the last reader is done: the others may finish
        }
        if (wake) wake_.notify_all();
    }

    void work(Job& job, std::vector<char>& buffer, std::vector<Job>& found) {
        std::shared_ptr<OpenFolder> folder;
        if (job.name.empty()) {
            folder = std::move(job.folder);
            if (::lseek(folder->fd(), job.resumeAt, SEEK_SET) < 0) return;
        } else {
            // Never through a link: the walk does not follow one below its start folder.
            const int fd = ::openat(job.folder->fd(), job.name.c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            job.folder.reset();  // the parent's descriptor may close now
            if (fd < 0) return;
            folder = std::make_shared<OpenFolder>(fd, openFolders_);
        }
        list(folder, buffer, found);
    }

    // Lists `folder` from its current position, sizes its matching files as the walk will,
    // and adds a job for each sub-folder; after kBatch of them, a job to go on listing.
    void list(const std::shared_ptr<OpenFolder>& folder, std::vector<char>& buffer,
              std::vector<Job>& found) {
        const int fd = folder->fd();
        const bool descend = openFolders_.load(std::memory_order_relaxed) < maxOpenFolders_;
        std::vector<Job> subfolders;
        for (;;) {
            const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                if (stopping_.load(std::memory_order_relaxed)) return;
                const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + at);
                at += entry->d_reclen;
                if (!isSubfolder(fd, entry->d_name, entry->d_type) || !descend) continue;
                subfolders.push_back({folder, entry->d_name, 0});
                if (subfolders.size() == kBatch) {
                    found = std::move(subfolders);
                    found.push_back({folder, {}, entry->d_off});
                    return;
                }
            }
        }
        found = std::move(subfolders);
    }

    // Looks at one entry as the walk will (sizing it when it is a matching file) and says
    // whether it is a sub-folder.
    bool isSubfolder(int fd, const char* name, unsigned char type) const {
        if (isDotOrDotDot(name)) return false;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
            return S_ISDIR(st.st_mode);
        }
        if (type == DT_DIR) return true;
        if ((type == DT_REG || type == DT_LNK) && pattern_.matches(name)) {
            ::fstatat(fd, name, &st, type == DT_LNK ? 0 : AT_SYMLINK_NOFOLLOW);
        }
        return false;
    }

    FilePattern pattern_;
    const int maxOpenFolders_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> openFolders_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable stopped_;
    std::condition_variable rested_;
    std::vector<Job> jobs_;  // a stack: the next job is the last one pushed
    unsigned busy_ = 0;      // readers at work on a job
    unsigned running_ = 0;   // readers not yet finished
};

class LinuxReadAhead final : public ReadAhead {
  public:
    explicit LinuxReadAhead(std::shared_ptr<Pool> pool) : pool_(std::move(pool)) {}
    ~LinuxReadAhead() override { stop(); }

    LinuxReadAhead(const LinuxReadAhead&) = delete;
    LinuxReadAhead& operator=(const LinuxReadAhead&) = delete;

    void requestStop() noexcept override { pool_->stop(std::chrono::milliseconds(0)); }
    void stop() noexcept override { pool_->stop(std::chrono::milliseconds(100)); }

  private:
    std::shared_ptr<Pool> pool_;
};

}  // namespace

int descriptorsToSpare() noexcept {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
    // Those open now, counted in /proc/self/fd (one of them the count's own listing).
    int open = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(fds)) open += isDotOrDotDot(entry->d_name) ? 0 : 1;
        ::closedir(fds);
    }
    const long left = static_cast<long>(std::min<rlim_t>(limit.rlim_cur, 1 << 20)) - open;
    // An eighth of what is left: the walk's descent, the check's files and the program's
    // own needs keep the rest.
    return left > 0 ? static_cast<int>(left / 8) : 0;
}

std::unique_ptr<ReadAhead> startReadAhead(const std::string& start,
                                          const FilePattern& pattern) noexcept {
    const int spare = std::min(descriptorsToSpare(), kMaxOpenFolders);
    if (spare < kFewestOpenFolders) return nullptr;  // the walk alone, with every descriptor
    try {
        auto pool = std::make_shared<Pool>(pattern, spare);
        auto readAhead = std::make_unique<LinuxReadAhead>(pool);
        const int fd = ::open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return nullptr;  // the walk reports it
        pool->begin(fd);
        if (!Pool::startReaders(pool)) return nullptr;
        return readAhead;
    } catch (const std::exception&) {
        return nullptr;  // out of memory: the walk goes on alone
    }
}

}  // namespace brambleton
