// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "content/content_check.h"

namespace brambleton::actions {

// What one step does to one file or folder.
// kWrite writes a new file (an installed download's) that nothing may lie at yet.
enum class StepAction : std::uint8_t { kMove, kTrash, kRename, kWrite };

// Why a step is not done; kNone when it can be.
enum class Refusal : std::uint8_t {
    kNone,
    kNameTaken,        // something lies where it would go (in any case of letters)
    kTakenByStep,      // an earlier step puts something of that name there
    kOtherFileSystem,  // it would cross filesystems: a copy, which the program never makes
    kLink,             // it is a link: what it points at is not the program's to move
    kGameOwn,          // it is one of the game's own files, or outside the player's folders
    kGone,             // it is no longer there
    kDoneByStep,       // an earlier step already moves or trashes it
    kKeptGone,         // the copy to keep in its place is not there
};

// One step of a plan: data that can be shown, saved and tested without touching a file.
struct Step {
    StepAction action = StepAction::kMove;
    std::string from;  // host path
    std::string to;    // host path where it goes; empty for a trash
    // For the trash of a copy: the copy kept, which must still be there when it is done.
    std::string keep;
    content::ProblemKind kind = content::ProblemKind::Misplaced;
    // A trash the player chose from a list of content, for no problem of the check.
    bool chosen = false;
    Refusal refusal = Refusal::kNone;
    // For a write: `from` is the download (an archive or a folder), `entry` the file inside
    // it as a player reads it, and the bytes are known by their size and hash.
    std::string entry = {};
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
};

// The steps that put a check's problems right, in the order they are done.
struct Plan {
    std::string install;  // the game's folder, a host path
    std::vector<Step> steps;
};

// The stable name of a step's action: "move", "trash", "rename".
std::string_view actionName(StepAction action);

// Why a step is refused, as a sentence's end ("the name is taken"); empty for kNone.
std::string_view refusalText(Refusal refusal);

// The plan that follows the advice of every problem whose action is a move, trash or
// rename. It reads the folders (what lies where, on which filesystem) and changes nothing.
// Each step that cannot be done safely is kept, refused, with why: nothing is replaced,
// nothing crosses filesystems, no link and none of the game's own files is acted on, and no
// file is acted on twice.
Plan planFixes(const content::ContentReport& report);

// The plan that moves `paths` (host paths, loose files) to the trash, as the player chose
// them (one of the objects sharing an object ID), with the same refusals as planFixes.
Plan planTrash(const std::string& install, const std::vector<std::string>& paths,
               content::ProblemKind kind);

// The plan that moves `paths` (host paths, loose files the player chose from the catalogue
// or the lots) to the trash, with the same refusals.
Plan planChosenTrash(const std::string& install, const std::vector<std::string>& paths);

// Whether `path` (a host path) lies in a folder where the player's content goes and is not
// one of the game's own files there: the game's own archives of floors, walls, skins and
// roofs, its folders and everything outside its content folders stay as they are.
bool playersOwn(const std::string& install, const std::string& path);

// How many steps of `plan` are not refused, and of them, how many put something in the trash.
struct PlanCounts {
    std::size_t steps = 0;
    std::size_t trashed = 0;
};
PlanCounts countSteps(const Plan& plan);

}  // namespace brambleton::actions
