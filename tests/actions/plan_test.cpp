// SPDX-License-Identifier: MIT
// Plans made from advice records on real trees: what each kind's step does, and what is
// refused and why. A plan reads the folders and changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "actions/change_words.h"
#include "actions/file_system.h"
#include "actions/plan.h"
#include "row_name.h"
#include "temp_tree.h"

namespace brambleton::actions {
namespace {

namespace fs = std::filesystem;
using content::Action;
using content::ProblemKind;
using testing::PrintTo;

struct Advised {
    ProblemKind kind;
    Action action;
    const char* from;  // below the install folder
    const char* to;    // below it; "" for none
    const char* keep = "";
};

struct Planned {
    StepAction action;
    const char* from;
    const char* to;
    Refusal refusal = Refusal::kNone;
};

struct PlanCase {
    const char* why;
    const char* tree;  // TempTree::build lines below the install folder
    std::vector<Advised> problems;
    std::vector<Planned> steps;
};

const PlanCase kPlans[] = {
    {"a misplaced skin moves into the folder that loads it",
     "f Downloads/Set/b1.skn 4\nd GameData/Skins",
     {{ProblemKind::Misplaced, Action::Move, "Downloads/Set/b1.skn", "GameData/Skins"}},
     {{StepAction::kMove, "Downloads/Set/b1.skn", "GameData/Skins/b1.skn"}}},
    {"a sub-folder's content moves up name by name and a taken name in any case stays",
     "f GameData/Roofs/Slate/a.bmp 1\nf GameData/Roofs/Slate/B.bmp 1\nf GameData/Roofs/b.BMP 2",
     {{ProblemKind::UnreadSubfolder, Action::Move, "GameData/Roofs/Slate", "GameData/Roofs"}},
     {{StepAction::kMove, "GameData/Roofs/Slate/B.bmp", "GameData/Roofs/B.bmp",
       Refusal::kNameTaken},
      {StepAction::kMove, "GameData/Roofs/Slate/a.bmp", "GameData/Roofs/a.bmp"}}},
    {"the trash goes first, so that a later move does not carry it",
     "f GameData/Skins/Sub/x.bmp 3\nf GameData/Skins/Sub/empty.bmp 0",
     {{ProblemKind::UnreadSubfolder, Action::Move, "GameData/Skins/Sub", "GameData/Skins"},
      {ProblemKind::EmptyFile, Action::Trash, "GameData/Skins/Sub/empty.bmp", ""}},
     {{StepAction::kTrash, "GameData/Skins/Sub/empty.bmp", ""},
      {StepAction::kMove, "GameData/Skins/Sub/x.bmp", "GameData/Skins/x.bmp"}}},
    {"a copy goes to the trash only while the copy kept is there",
     "f Downloads/a/set.far 9\nf Downloads/b/set.far 9\nf Downloads/c/set.far 9",
     {{ProblemKind::Duplicate, Action::Trash, "Downloads/b/set.far", "", "Downloads/a/set.far"},
      {ProblemKind::Duplicate, Action::Trash, "Downloads/c/set.far", "", "Downloads/gone.far"}},
     {{StepAction::kTrash, "Downloads/b/set.far", ""},
      {StepAction::kTrash, "Downloads/c/set.far", "", Refusal::kKeptGone}}},
    {"a copy is not trashed when its kept copy is trashed before it",
     "f Downloads/a.iff 5\nf Downloads/b.iff 5",
     {{ProblemKind::Duplicate, Action::Trash, "Downloads/a.iff", "", "Downloads/b.iff"},
      {ProblemKind::Duplicate, Action::Trash, "Downloads/b.iff", "", "Downloads/a.iff"}},
     {{StepAction::kTrash, "Downloads/a.iff", ""},
      {StepAction::kTrash, "Downloads/b.iff", "", Refusal::kKeptGone}}},
    {"two files of one name into one folder: the second waits",
     "f Downloads/A/tile.flr 1\nf Downloads/B/TILE.flr 1\nd GameData/Floors",
     {{ProblemKind::Misplaced, Action::Move, "Downloads/A/tile.flr", "GameData/Floors"},
      {ProblemKind::Misplaced, Action::Move, "Downloads/B/TILE.flr", "GameData/Floors"}},
     {{StepAction::kMove, "Downloads/A/tile.flr", "GameData/Floors/tile.flr"},
      {StepAction::kMove, "Downloads/B/TILE.flr", "GameData/Floors/TILE.flr",
       Refusal::kTakenByStep}}},
    {"a rename to another case of its own name is no clash",
     "f Downloads/set.IFF 3",
     {{ProblemKind::BadFile, Action::Rename, "Downloads/set.IFF", "Downloads/set.iff"}},
     {{StepAction::kRename, "Downloads/set.IFF", "Downloads/set.iff"}}},
    {"a rename onto a file there is refused",
     "f Downloads/set.iff 3\nf Downloads/set.far 4",
     {{ProblemKind::BadFile, Action::Rename, "Downloads/set.iff", "Downloads/set.far"}},
     {{StepAction::kRename, "Downloads/set.iff", "Downloads/set.far", Refusal::kNameTaken}}},
    {"the game's own files and folders are never acted on",
     "f GameData/Floors/Floors.far 1\nf GameData/Behavior.iff 1\nf "
     "GameData/UserData/Houses/House01.iff 1",
     {{ProblemKind::Duplicate, Action::Trash, "GameData/Floors/Floors.far", "",
       "GameData/Behavior.iff"},
      {ProblemKind::EmptyFile, Action::Trash, "GameData/Behavior.iff", ""},
      {ProblemKind::Misplaced, Action::Move, "GameData/UserData/Houses/House01.iff", "Downloads"}},
     {{StepAction::kTrash, "GameData/Floors/Floors.far", "", Refusal::kGameOwn},
      {StepAction::kTrash, "GameData/Behavior.iff", "", Refusal::kGameOwn},
      {StepAction::kMove, "GameData/UserData/Houses/House01.iff", "Downloads/House01.iff",
       Refusal::kGameOwn}}},
    {"a link is not the program's to move, and a file gone is said",
     "f Downloads/real.skn 2\nl Downloads/link.skn -> real.skn\nd GameData/Skins",
     {{ProblemKind::Misplaced, Action::Move, "Downloads/link.skn", "GameData/Skins"},
      {ProblemKind::EmptyFile, Action::Trash, "Downloads/none.iff", ""}},
     {{StepAction::kTrash, "Downloads/none.iff", "", Refusal::kGone},
      {StepAction::kMove, "Downloads/link.skn", "GameData/Skins/link.skn", Refusal::kLink}}},
    {"what the player must choose, an install and an archive's entry are no steps",
     "f Downloads/a.iff 1\nf Downloads/set.zip 1",
     {{ProblemKind::GuidConflict, Action::None, "Downloads/a.iff", ""},
      {ProblemKind::PackedArchive, Action::Install, "Downloads/set.zip", "Downloads"}},
     {}},
};

class Planning : public ::testing::TestWithParam<PlanCase> {};

TEST_P(Planning, KindByKind) {
    const auto& c = GetParam();
    testing::TempTree tree;
    if (std::string(c.tree).find("\nl ") != std::string::npos && !tree.canLink()) {
        GTEST_SKIP() << "no links here";
    }
    tree.build(c.tree);
    const std::string install = hostText(tree.root());
    const auto below = [&](const char* rel) {
        return *rel ? hostText((tree.root() / hostPath(rel)).make_preferred()) : std::string();
    };
    content::ContentReport report;
    report.install = install;
    for (const auto& p : c.problems) {
        content::Problem problem;
        problem.kind = p.kind;
        problem.path = below(p.from);
        problem.sameAs = below(p.keep);
        problem.advice = {p.action, below(p.from), below(p.to)};
        report.problems.push_back(problem);
    }
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(tree.root()))
            names.push_back(e.path().string());
        return names;
    };
    const auto before = listing();
    const Plan plan = planFixes(report);
    EXPECT_EQ(listing(), before) << "a plan changes nothing";
    ASSERT_EQ(plan.steps.size(), c.steps.size()) << planJson(plan);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const auto& want = c.steps[i];
        const auto& got = plan.steps[i];
        EXPECT_EQ(got.action, want.action) << i;
        EXPECT_EQ(got.from, below(want.from)) << i;
        EXPECT_EQ(got.to, below(want.to)) << i;
        EXPECT_EQ(got.refusal, want.refusal) << i << ": " << refusalText(got.refusal);
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, Planning, ::testing::ValuesIn(kPlans), testing::ByWhy());

// A move that would cross filesystems is refused at planning: the program never copies.
TEST(Planning, RefusesAnotherFileSystem) {
    testing::TempTree tree;
    if (!tree.canLink()) GTEST_SKIP() << "no links here";
    tree.file("Downloads/b.skn", 1);
    const fs::path shm = "/dev/shm";
    if (!fs::is_directory(shm) || deviceFor(shm) == deviceFor(tree.root())) {
        GTEST_SKIP() << "no second filesystem here";
    }
    const fs::path skins = shm / ("brambleton-skins-" + tree.root().filename().string());
    fs::create_directories(skins);
    tree.folder("GameData");
    fs::create_directory_symlink(skins, tree.root() / "GameData" / "Skins");
    content::ContentReport report;
    report.install = hostText(tree.root());
    content::Problem p;
    p.kind = ProblemKind::Misplaced;
    p.path = tree.path("Downloads/b.skn");
    p.advice = {Action::Move, p.path, tree.path("GameData/Skins")};
    report.problems.push_back(p);
    const auto plan = planFixes(report);
    fs::remove_all(skins);
    ASSERT_EQ(plan.steps.size(), 1U);
    EXPECT_EQ(plan.steps[0].refusal, Refusal::kOtherFileSystem);
}

}  // namespace
}  // namespace brambleton::actions
