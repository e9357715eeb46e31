// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
// A change killed before each of its operations on the disk, and the next run taking back
// what it had done; and the game found running by its program's name and by what a Windows
// program has open.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>

#include "actions/change_words.h"
#include "changes_tree.h"
#include "row_name.h"

namespace brambleton::actions {
namespace {

namespace fs = std::filesystem;
using testing::PrintTo;

constexpr int kCrashed = 86;

// Runs `work` in a child process that ends, as a kill would end it, at the `crashAt`th
// operation on the disk. True when the child got that far; false when it ran to its end.
bool crashAt(std::size_t crashAt, const std::function<void(const ChangeHooks&)>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::size_t seen = 0;
        ChangeHooks hooks;
        hooks.beforeOperation = [&](std::string_view) {
            if (seen++ == crashAt) ::_exit(kCrashed);
        };
        work(hooks);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << status;
    return WIFEXITED(status) && WEXITSTATUS(status) == kCrashed;
}

// The trash is the desktop's: each file beside a record a file manager restores it from.
TEST(Trash, RecordsWhatAFileManagerRestoresAndReplacesNothing) {
    testing::TempTree tree;
    plantProblems(tree);
    Changes changes(placesIn(tree));
    const auto outcome = changes.carryOut(planFixes(reportOf(tree)), "fix");
    ASSERT_TRUE(outcome.complete());
    std::ifstream info(tree.root() / "data/Trash/info/empty.iff.trashinfo");
    std::string text((std::istreambuf_iterator<char>(info)), {});
    EXPECT_EQ(text.rfind("[Trash Info]\nPath=/", 0), 0U) << text;
    EXPECT_NE(text.find("/Game/Downloads/empty.iff\nDeletionDate=20"), std::string::npos) << text;
    EXPECT_TRUE(fs::exists(tree.root() / "data/Trash/files/empty.iff"));
    // A second file of the same name takes another name in the trash; nothing is replaced.
    tree.file("Game/Downloads/empty.iff", 0);
    content::ContentReport again = reportOf(tree);
    const auto second = changes.carryOut(planFixes(again), "again");
    EXPECT_TRUE(fs::exists(tree.root() / "data/Trash/files/empty.2.iff"));
    EXPECT_EQ(changes.history().size(), 2U);
    // A file the player took out of the trash is not looked for; the rest come back.
    fs::rename(tree.root() / "data/Trash/files/empty.iff", tree.root() / "elsewhere.iff");
    changes.undo();
    const auto undone = changes.undo();
    std::vector<std::string> kept;
    for (const auto& step : undone.steps) {
        if (!step.kept.empty()) kept.push_back(step.from + ": " + step.kept);
    }
    ASSERT_EQ(kept.size(), 1U) << undoJson(undone);
    EXPECT_EQ(kept[0], tree.path("Game/Downloads/empty.iff") + ": it is no longer in the trash");
    EXPECT_TRUE(fs::exists(tree.root() / "Game/Downloads/b/set.far"));
}

TEST(Crashing, BeforeEveryOperationOfAChangeLosesNothing) {
    std::size_t points = 0;
    for (std::size_t at = 0;; ++at) {
        testing::TempTree tree;
        const auto install = plantProblems(tree);
        const auto before = snapshot(install);
        const bool crashed = crashAt(at, [&](const ChangeHooks& hooks) {
            Changes changes(placesIn(tree));
            changes.carryOut(planFixes(reportOf(tree)), "fix", hooks);
        });
        if (!crashed) break;
        ++points;
        Changes next(placesIn(tree));
        const auto recovered = next.recover();
        ASSERT_EQ(recovered.size(), 1U) << "at " << at;
        EXPECT_TRUE(recovered[0].complete()) << undoJson(recovered[0]);
        EXPECT_EQ(snapshot(install), before) << "killed before operation " << at;
        EXPECT_TRUE(fs::is_empty(tree.root() / "data/Trash/files")) << at;
        EXPECT_TRUE(fs::is_empty(tree.root() / "data/Trash/info")) << at;
    }
    // Folders made, records written, renames: every kind was cut.
    EXPECT_GE(points, 9U);
}

TEST(Crashing, BeforeEveryOperationOfAnUndoLosesNothing) {
    for (std::size_t at = 0;; ++at) {
        testing::TempTree tree;
        const auto install = plantProblems(tree);
        const auto before = snapshot(install);
        {
            Changes changes(placesIn(tree));
            ASSERT_TRUE(changes.carryOut(planFixes(reportOf(tree)), "fix").complete());
        }
        const bool crashed = crashAt(at, [&](const ChangeHooks& hooks) {
            Changes changes(placesIn(tree));
            changes.undo({}, hooks);
        });
        Changes next(placesIn(tree));
        next.recover();
        EXPECT_EQ(snapshot(install), before) << "killed before undo operation " << at;
        if (!crashed) break;
    }
}

// A program started in `folder` as `name`, a copy of a small program that waits; ended and
// reaped when it goes.
class FakeProgram {
  public:
    FakeProgram(const fs::path& folder, const fs::path& copy) {
        fs::copy_file("/bin/sleep", copy, fs::copy_options::overwrite_existing);
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(1);
            ::execl(copy.c_str(), copy.filename().c_str(), "600", static_cast<char*>(nullptr));
            ::_exit(1);
        }
        // The sign that it runs as itself: the system names the process after its program.
        const std::string comm = "/proc/" + std::to_string(pid_) + "/comm";
        for (std::string name; name != copy.filename().string().substr(0, 15);) {
            std::ifstream in(comm);
            std::getline(in, name);
            ::sched_yield();
        }
    }
    ~FakeProgram() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    FakeProgram(const FakeProgram&) = delete;
    FakeProgram& operator=(const FakeProgram&) = delete;

  private:
    pid_t pid_ = -1;
};

struct GameCase {
    const char* why;
    const char* program;  // below the tree
    const char* folder;   // where it works, below the tree
    bool running;
};

const GameCase kGames[] = {
    {"the game's program in any case", "Game/SIMS.EXE", "Game", true},
    {"the game's program started from elsewhere", "Game/Sims.exe", "elsewhere", true},
    {"a Windows program working in the game's folder", "elsewhere/explorer.exe", "Game/Downloads",
     true},
    {"a Windows program working elsewhere", "elsewhere/explorer.exe", "elsewhere", false},
    {"a program of this system in the game's folder", "elsewhere/sleepy", "Game", false},
};

class Watching : public ::testing::TestWithParam<GameCase> {};

TEST_P(Watching, FindsTheGameAndChangesNothingWhileItRuns) {
    const auto& c = GetParam();
    testing::TempTree tree;
    const auto install = plantProblems(tree);
    tree.folder("elsewhere");
    const auto before = snapshot(install);
    const FakeProgram program(tree.root() / c.folder, tree.root() / c.program);
    EXPECT_EQ(GameWatch(install).running().has_value(), c.running);
    Changes changes(placesIn(tree));
    const auto outcome = changes.carryOut(planFixes(reportOf(tree)), "fix");
    EXPECT_EQ(outcome.game.has_value(), c.running);
    if (c.running) {
        EXPECT_EQ(outcome.doneCount(), 0U);
        EXPECT_TRUE(outcome.id.empty()) << "nothing journalled";
        const bool copyInside = std::string_view(c.program).starts_with("Game/");
        EXPECT_EQ(snapshot(install).size(), before.size() + (copyInside ? 1 : 0))
            << "nothing but the program's copy";
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, Watching, ::testing::ValuesIn(kGames), testing::ByWhy());

}  // namespace
}  // namespace brambleton::actions
