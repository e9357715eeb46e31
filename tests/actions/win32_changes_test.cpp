// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32).
// The system's own calls: a move that refuses a taken name, and the Recycle Bin taking a
// file and giving it back through an undo.
#include <gtest/gtest.h>

#include "changes_tree.h"

namespace brambleton::actions {
namespace {

namespace fs = std::filesystem;

TEST(Win32Changes, MovesWithoutReplacing) {
    testing::TempTree tree;
    tree.text("a.iff", "a");
    tree.text("b.iff", "b");
    EXPECT_EQ(moveNoReplace(tree.root() / "a.iff", tree.root() / "b.iff").outcome,
              MoveOutcome::kTaken);
    EXPECT_TRUE(fs::exists(tree.root() / "a.iff"));
    EXPECT_EQ(moveNoReplace(tree.root() / "a.iff", tree.root() / "c.iff").outcome,
              MoveOutcome::kDone);
    EXPECT_EQ(moveNoReplace(tree.root() / "a.iff", tree.root() / "d.iff").outcome,
              MoveOutcome::kMissing);
}

TEST(Win32Changes, TrashesToTheRecycleBinAndUndoes) {
    testing::TempTree tree;
    const auto install = plantProblems(tree);
    const auto before = snapshot(install);
    Changes changes(placesIn(tree));
    const auto outcome = changes.carryOut(planFixes(reportOf(tree)), "fix");
    ASSERT_TRUE(outcome.complete());
    EXPECT_FALSE(fs::exists(install / "Downloads/empty.iff"));
    const auto undone = changes.undo();
    for (const auto& step : undone.steps) EXPECT_EQ(step.kept, "") << step.from;
    EXPECT_EQ(snapshot(install), before);
}

}  // namespace
}  // namespace brambleton::actions
