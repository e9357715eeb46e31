// SPDX-License-Identifier: MIT
#include "counting/file_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "common/runtime_error.h"
#include "failing_folder_source.h"
#include "row_name.h"
#include "temp_tree.h"

namespace brambleton {
namespace {

using testing::PrintTo;

using testing::FailingFolderSource;
using testing::TempTree;

struct Outcome {
    std::int32_t files = 0;
    std::int32_t folders = 0;
    double bytes = 0;
    std::vector<std::string> messages;
};

Outcome count(CFileCounter& counter, const std::string& start, const std::string& pattern) {
    Outcome out;
    std::string path = start;
    out.files = counter.ContarArchivos(path, pattern, out.folders, out.bytes);
    return out;
}

Outcome count(const std::string& start, const std::string& pattern,
              std::unique_ptr<FolderSource> source = makePlatformFolderSource(),
              bool readAhead = true) {
    std::vector<std::string> messages;
    CFileCounter counter({nullptr, [&](const std::string& m) { messages.push_back(m); }},
                         std::move(source));
    counter.setReadsAhead(readAhead);
    Outcome out = count(counter, start, pattern);
    out.messages = messages;
    return out;
}

struct TreeCase {
    const char* why;
    const char* tree;
    const char* pattern;
    std::int32_t files;
    std::int32_t folders;
    double bytes;
};

const TreeCase kTreeCases[] = {
    {"empty start folder", "", "*.*", 0, 0, 0},
    {"folders at all depths, start not counted", "d a\nd b\nd b/c", "*.*", 0, 3, 0},
    {"matching files in every folder", "f x.iff 1\nf a/y.IFF 10\nf a/b/z.Iff 100\nf a/b/w.flr 5",
     "*.IFF", 3, 2, 111},
    {"backup copies do not match", "f chair.iff.bak 7\nf chair.iff 3", "*.IFF", 1, 0, 3},
    {"star dot star takes every name", "f readme 1\nf a.b 2\nf .hidden 4", "*.*", 3, 0, 7},
    {"a bare extension name matches", "f IFF 9", "*.IFF", 1, 0, 9},
    {"every entry of a several-entry pattern", "f a.skn 1\nf b.BMP 2\nf c.cmx 4\nf d.iff 8",
     "*.skn;*.bmp;*.cmx", 3, 0, 7},
    {"a link to a folder is neither followed nor counted",
     "d real\nf real/a.iff 5\nl alias -> real", "*.IFF", 1, 1, 5},
    {"a link to the root does not wander off", "d dosdevices\nl dosdevices/z: -> /", "*.*", 0, 1,
     0},
    {"a link loop ends", "d a\nl a/loop -> ..\nl a/self -> .", "*.*", 0, 1, 0},
    {"a link to a file counts as that file", "f data/big.iff 1000\nl short.iff -> data/big.iff",
     "*.IFF", 2, 1, 2000},
    {"a dangling link counts as nothing", "l gone.iff -> nowhere.iff", "*.*", 0, 0, 0},
    {"a link matches by its own name", "f data/big.dat 1000\nl alias.iff -> data/big.dat", "*.IFF",
     1, 1, 1000},
};

class CountTree : public ::testing::TestWithParam<std::decay_t<decltype(kTreeCases[0])>> {};

TEST_P(CountTree, TotalsOfRealTrees) {
    const auto& c = GetParam();
    TempTree tree;
    const std::string plan = c.tree;
    if ((plan.rfind("l ", 0) == 0 || plan.find("\nl ") != std::string::npos) && !tree.canLink()) {
        GTEST_SKIP() << "this platform or user cannot make links";
    }
    tree.build(c.tree);
    // The readers ahead of the walk change nothing it finds.
    for (const bool readAhead : {true, false}) {
        const auto out = count(tree.path(), c.pattern, makePlatformFolderSource(), readAhead);
        EXPECT_EQ(out.files, c.files) << c.why << ", read-ahead " << readAhead;
        EXPECT_EQ(out.folders, c.folders) << c.why << ", read-ahead " << readAhead;
        EXPECT_EQ(out.bytes, c.bytes) << c.why << ", read-ahead " << readAhead;
        EXPECT_TRUE(out.messages.empty()) << c.why << ": " << out.messages.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, CountTree, ::testing::ValuesIn(kTreeCases), testing::ByWhy());

TEST(CFileCounter, FolderHoldingMoreThanTwoGigabytesCountsInFull) {
    TempTree tree;
    const std::uintmax_t gib = 1ull << 30;
    tree.file("huge/a.iff", 2 * gib);
    tree.file("huge/b.iff", 2 * gib);
    tree.file("huge/c.iff", 1);
    const auto out = count(tree.path(), "*.IFF");
    EXPECT_EQ(out.files, 3);
    EXPECT_EQ(out.bytes, 4.0 * gib + 1);
    EXPECT_TRUE(out.messages.empty());
}

TEST(CFileCounter, StartFolderThatCannotBeOpenedLeavesAccumulatorsAlone) {
    TempTree tree;
    tree.file("plain.iff", 3);
    for (const auto& start : {tree.path("missing"), tree.path("plain.iff")}) {
        std::vector<std::string> messages;
        CFileCounter counter({nullptr, [&](const std::string& m) { messages.push_back(m); }});
        std::string path = start;
        std::int32_t folders = 5;
        double bytes = 7;
        EXPECT_EQ(counter.ContarArchivos(path, "*.*", folders, bytes), 0);
        EXPECT_EQ(folders, 5);
        EXPECT_EQ(bytes, 7);
        ASSERT_EQ(messages.size(), 1u) << start;
        EXPECT_EQ(messages[0].rfind("error en ContadorDeArchivos.ContarArchivos() ; ", 0), 0u);
        EXPECT_NE(messages[0].find(start), std::string::npos) << "the message names the path";
        EXPECT_TRUE(counter.lastCountHadErrors());
    }
}

TEST(CFileCounter, PathHoldsTheLastFolderEntered) {
    TempTree tree;
    tree.build("d only\nd only/deeper");
    CFileCounter counter;
    std::string path = tree.path();
    std::int32_t folders = 0;
    double bytes = 0;
    counter.ContarArchivos(path, "*.*", folders, bytes);
    EXPECT_EQ(path, tree.path("only/deeper"));
    EXPECT_EQ(counter.currentFolderPath(), tree.path("only/deeper"));
}

TEST(CFileCounter, CancelAlreadySetZeroesTheAccumulators) {
    TempTree tree;
    tree.build("f a.iff 4\nd sub");
    CFileCounter counter;
    counter.Cancel(true);
    std::string path = tree.path();
    std::int32_t folders = 5;
    double bytes = 7;
    EXPECT_EQ(counter.ContarArchivos(path, "*.*", folders, bytes), 0);
    EXPECT_EQ(folders, 0);
    EXPECT_EQ(bytes, 0);
    EXPECT_TRUE(counter.Cancel()) << "the counter never clears the flag";
}

TEST(CFileCounter, CancelDuringTheWalkStopsAtTheNextFolder) {
    TempTree tree;
    for (int i = 0; i < 20; ++i) tree.file("d" + std::to_string(i) + "/x.iff", 1);
    int entered = 0;
    CFileCounter* self = nullptr;
    CFileCounter counter({[&] {
                              if (++entered == 3) self->Cancel(true);
                          },
                          nullptr});
    self = &counter;
    const auto out = count(counter, tree.path(), "*.IFF");
    EXPECT_EQ(out.files, 1) << "only the folder finished before the cancel counts";
    EXPECT_EQ(out.bytes, 0) << "the level that saw the flag zeroed the bytes";
    EXPECT_TRUE(counter.Cancel());
    counter.Cancel(false);
    entered = -1000;
    const auto again = count(counter, tree.path(), "*.IFF");
    EXPECT_EQ(again.files, 20) << "a count after clearing the flag runs normally";
    EXPECT_EQ(again.folders, 20);
}

// A cancel that arrives while a large folder is read takes effect at the next folder: each
// later folder is opened and nothing more is read, and one that cannot be opened costs no
// message once the player has asked to stop.
TEST(CFileCounter, CancelWhileAFolderIsReadStopsAtTheNextFolder) {
    TempTree tree;
    tree.build("f a.iff 1\nf b.iff 2\nf one/x.iff 4\nd bad\nd two/deeper");
    auto source = std::make_unique<FailingFolderSource>(std::vector<std::string>{"bad"});
    const auto reads = source->reads;
    CFileCounter* self = nullptr;
    source->onRead = [&self](const std::string&) { self->Cancel(true); };
    std::vector<std::string> messages;
    CFileCounter counter({nullptr, [&](const std::string& m) { messages.push_back(m); }},
                         std::move(source));
    self = &counter;
    count(counter, tree.path(), "*.IFF");
    EXPECT_EQ(*reads, std::vector<std::string>{tree.path()}) << "only the start folder is read";
    EXPECT_TRUE(messages.empty()) << "the unreadable folder is not reported after the cancel";
    EXPECT_TRUE(counter.Cancel());
}

struct FailureCase {
    const char* why;
    const char* tree;
    std::vector<std::string> failing;
    std::int32_t files;
    std::int32_t folders;
    double bytes;
    std::size_t messages;
};

const FailureCase kFailureCases[] = {
    {"one unreadable folder costs its own contents",
     "f a/1.iff 1\nf bad/2.iff 2\nf bad/inner/3.iff 4\nf c/4.iff 8",
     {"bad"},
     2,
     3,
     9,
     1},
    {"an unreadable folder adds no stale sub-folder count",
     "f top/1.iff 1\nd top/bad",
     {"bad"},
     1,
     2,
     1,
     1},
    {"an unreadable folder deep down costs one message",
     "f a/b/c/1.iff 1\nf a/b/c/bad/2.iff 2\nf a/3.iff 4",
     {"bad"},
     2,
     4,
     5,
     1},
    {"two unreadable folders, two messages",
     "d bad1\nd bad2\nf ok/1.iff 1",
     {"bad1", "bad2"},
     1,
     3,
     1,
     2},
};

class CountUnreadable : public ::testing::TestWithParam<std::decay_t<decltype(kFailureCases[0])>> {
};

TEST_P(CountUnreadable, UnreadableFoldersAreReportedOnceAndSkipped) {
    const auto& c = GetParam();
    TempTree tree;
    tree.build(c.tree);
    const auto out = count(tree.path(), "*.IFF", std::make_unique<FailingFolderSource>(c.failing));
    EXPECT_EQ(out.files, c.files) << c.why;
    EXPECT_EQ(out.folders, c.folders) << c.why;
    EXPECT_EQ(out.bytes, c.bytes) << c.why;
    EXPECT_EQ(out.messages.size(), c.messages) << c.why;
}

INSTANTIATE_TEST_SUITE_P(Trees, CountUnreadable, ::testing::ValuesIn(kFailureCases),
                         testing::ByWhy());

TEST(CFileCounter, DeepTreeCountsWithoutCrash) {
    TempTree tree;
    const int levels = std::min(TempTree::kDeepestTree, 2000);
    tree.deepFolder("d", levels, "bottom.iff");
    const auto out = count(tree.path(), "*.IFF");
    EXPECT_EQ(out.files, 1);
    EXPECT_EQ(out.folders, levels);
    EXPECT_EQ(out.bytes, 0);
    EXPECT_TRUE(out.messages.empty());
}

}  // namespace
}  // namespace brambleton

namespace brambleton {
namespace {

TEST(CFileCounter, TreeDeeperThanTheWalkGoesCostsOneMessage) {
    const int levels = static_cast<int>(CFileCounter::kMaxDepth) + 2;
    if (TempTree::kDeepestTree < levels) GTEST_SKIP() << "no such deep trees here";
    TempTree tree;
    tree.deepFolder("d", levels, "bottom.iff");
    const auto out = count(tree.path(), "*.IFF");
    EXPECT_EQ(out.files, 0);
    EXPECT_EQ(out.folders, levels - 1) << "the folder too deep counts, not what it holds";
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_NE(out.messages[0].find("nested too deep"), std::string::npos);
}

}  // namespace
}  // namespace brambleton
