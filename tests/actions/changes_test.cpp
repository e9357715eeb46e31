// SPDX-License-Identifier: MIT
// Carrying out a plan on a real tree and taking it back: what an undo leaves where it is and
// why, and the journal's own rules.
#include "changes_tree.h"

#include <gtest/gtest.h>

#include <fstream>

#include "actions/change_words.h"
#include "common/runtime_error.h"
#include "row_name.h"

namespace brambleton::actions {
namespace {

namespace fs = std::filesystem;
using testing::PrintTo;

struct UndoCase {
    const char* why;
    // What the player did between the change and its undo.
    std::function<void(const testing::TempTree&)> meanwhile;
    std::vector<const char*> left;  // files left where the change put them, below the tree
};

void rewrite(const fs::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

const UndoCase kUndos[] = {
    {"nothing touched takes every step back", [](const testing::TempTree&) {}, {}},
    {"a file changed since it was moved stays where it is",
     [](const testing::TempTree& t) { rewrite(t.root() / "Game/GameData/Skins/b1.skn", "edited"); },
     {"Game/GameData/Skins/b1.skn", "Game/GameData/Skins"}},
    {"a file whose old place is taken stays where it is",
     [](const testing::TempTree& t) { rewrite(t.root() / "Game/Downloads/set.iff", "new"); },
     {"Game/Downloads/set.far"}},
};

class Undoing : public ::testing::TestWithParam<UndoCase> {};

TEST_P(Undoing, LeavesWhatChangedAndTakesBackTheRest) {
    const auto& c = GetParam();
    testing::TempTree tree;
    const auto install = plantProblems(tree);
    const auto before = snapshot(install);
    Changes changes(placesIn(tree));
    const auto outcome = changes.carryOut(planFixes(reportOf(tree)), "fix");
    ASSERT_TRUE(outcome.complete()) << outcomeJson(outcome, hostText(install));
    EXPECT_NE(snapshot(install), before);
    c.meanwhile(tree);
    const auto undone = changes.undo();
    std::size_t kept = 0;
    for (const auto& step : undone.steps) kept += step.kept.empty() ? 0 : 1;
    EXPECT_EQ(kept, c.left.size()) << undoJson(undone);
    for (const auto* path : c.left) EXPECT_TRUE(fs::exists(tree.root() / path)) << path;
    if (c.left.empty()) {
        EXPECT_EQ(snapshot(install), before);
    }
    EXPECT_FALSE(changes.lastUndoable()) << "a change is undone once";
    EXPECT_TRUE(changes.undo().nothing);
}

INSTANTIATE_TEST_SUITE_P(Meanwhile, Undoing, ::testing::ValuesIn(kUndos), testing::ByWhy());

// One Brambleton changes files at a time; a record cut short by a crash is passed over.
TEST(Journal, LocksAndPassesOverARecordCutShort) {
    testing::TempTree tree;
    const auto folder = tree.root() / "journal";
    {
        Journal journal(folder);
        EXPECT_THROW(Journal second(folder), RuntimeError);
        journal.begin(
            {"1", "2026-12-10 04:00", "/g", "tab\there%\nnew line", {}, false, false, false});
        JournalStep step;
        step.from = "/g/a";
        step.to = "/g/b";
        step.size = 3;
        step.hash = 0xabcU;
        journal.intent("1", step);
    }
    std::ofstream(folder / "journal.txt", std::ios::app) << "S\t1\t1\tmove\t/g/c";
    Journal journal(folder);
    journal.done("1", 0);
    const auto changes = journal.changes();
    ASSERT_EQ(changes.size(), 1U);
    EXPECT_EQ(changes[0].label, "tab\there%\nnew line");
    ASSERT_EQ(changes[0].steps.size(), 1U);
    EXPECT_EQ(changes[0].steps[0].hash, 0xabcU);
    EXPECT_TRUE(changes[0].steps[0].done);
    EXPECT_TRUE(changes[0].unfinished());
    EXPECT_EQ(journal.newId(), "2");
}

}  // namespace
}  // namespace brambleton::actions
