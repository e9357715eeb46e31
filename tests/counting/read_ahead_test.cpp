// SPDX-License-Identifier: MIT
// The readers ahead of the walk, watched from outside: inotify reports every folder opened,
// /proc/self/task the readers still running.
#include "counting/read_ahead.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "counting/file_counter.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::TempTree;
using namespace std::chrono_literals;

// Reader threads alive now, told by their name.
std::size_t readerCount() {
    std::size_t n = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == kReaderName) ++n;
    }
    return n;
}

std::size_t openDescriptors() {
    const auto all = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(all), end(all)));
}

// Waits until no reader is left; false when that takes longer than `limit`.
bool readersGone(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (readerCount() > 0) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Folders opened by anyone since the last call, by watched path.
class FolderOpens {
  public:
    FolderOpens() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~FolderOpens() { ::close(fd_); }
    FolderOpens(const FolderOpens&) = delete;
    FolderOpens& operator=(const FolderOpens&) = delete;

    void watch(const std::string& folder) {
        const int wd = inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_ONLYDIR);
        ASSERT_GE(wd, 0) << folder;
        paths_[wd] = folder;
    }

    std::multiset<std::string> take() {
        std::multiset<std::string> opened;
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                // An event without a name is about the watched folder itself.
                if (event->len == 0 && (event->mask & IN_OPEN)) opened.insert(paths_[event->wd]);
            }
        }
        return opened;
    }

  private:
    int fd_;
    std::map<int, std::string> paths_;
};

TEST(ReadAhead, ReadsTheWholeTreeOnceAndNeverThroughALink) {
    TempTree tree;
    if (!tree.canLink()) GTEST_SKIP() << "this user cannot make links";
    tree.build(
        "d in/a/b\nd in/c\nf in/a/b/x.iff 1\nd out/x/y\nd out/z\n"
        "l in/to-out -> ../out\nl in/a/to-x -> ../../out/x\nl in/c/to-root -> /");
    std::vector<std::string> in = {"in", "in/a", "in/a/b", "in/c"};
    // A folder wider than the readers take at once: each of its sub-folders once, none
    // left out where its listing was put back for later.
    for (int i = 0; i < 100; ++i) {
        in.push_back("in/wide/w" + std::to_string(i));
        tree.folder(in.back());
    }
    in.emplace_back("in/wide");
    const std::vector<std::string> out = {"out", "out/x", "out/x/y", "out/z"};
    FolderOpens opens;
    for (const auto& folder : in) opens.watch(tree.path(folder));
    for (const auto& folder : out) opens.watch(tree.path(folder));
    ASSERT_TRUE(readersGone(30s));
    const auto descriptors = openDescriptors();

    auto readers = startReadAhead(tree.path("in"), FilePattern("*.*"));
    ASSERT_TRUE(readers);
    // With nothing to stop them, the readers end by themselves once the tree is read, and
    // close what they opened.
    EXPECT_TRUE(readersGone(30s));
    EXPECT_EQ(openDescriptors(), descriptors);
    const auto opened = opens.take();
    for (const auto& folder : in) EXPECT_EQ(opened.count(tree.path(folder)), 1U) << folder;
    for (const auto& folder : out) EXPECT_EQ(opened.count(tree.path(folder)), 0U) << folder;
}

TEST(ReadAhead, CancelStopsTheReadersBeforeTheCountReturns) {
    TempTree tree;
    std::vector<std::string> folders;
    for (int i = 0; i < 40; ++i) {
        for (int j = 0; j < 50; ++j) {
            folders.push_back("s" + std::to_string(i) + "/t" + std::to_string(j));
            tree.folder(folders.back());
        }
        folders.push_back("s" + std::to_string(i));
    }
    FolderOpens opens;
    for (const auto& folder : folders) opens.watch(tree.path(folder));
    ASSERT_TRUE(readersGone(30s));

    std::size_t readersAtCancel = 0;
    std::size_t openedBeforeCancel = 0;
    CFileCounter* counterRef = nullptr;
    CounterHooks hooks;
    hooks.yield = [&] {
        if (counterRef->Cancel()) return;
        // Cancel once the readers are at work below the start folder.
        for (auto until = std::chrono::steady_clock::now() + 5s;
             openedBeforeCancel == 0 && std::chrono::steady_clock::now() < until;) {
            openedBeforeCancel += opens.take().size();
        }
        readersAtCancel = readerCount();
        counterRef->Cancel(true);
    };
    CFileCounter counter(hooks);
    counterRef = &counter;
    std::string path = tree.path();
    std::int32_t subfolders = 0;
    double bytes = 0;
    EXPECT_EQ(counter.ContarArchivos(path, "*.*", subfolders, bytes), 0);

    EXPECT_GT(readersAtCancel, 0U) << "no readers were running";
    EXPECT_LE(readersAtCancel, 4U) << "more than four readers";
    const auto openedByReturn = openedBeforeCancel + opens.take().size();
    EXPECT_LT(openedByReturn, folders.size()) << "the readers were not stopped";
    // With every reader gone, nothing more can open a folder: what was opened since the
    // count returned is all there will be.
    EXPECT_TRUE(readersGone(30s));
    EXPECT_TRUE(opens.take().empty()) << "a folder was opened after the count returned";
}

}  // namespace
}  // namespace brambleton
