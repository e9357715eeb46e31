// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "actions/changes.h"
#include "actions/install.h"
#include "actions/plan.h"

namespace brambleton::actions {

// What a step does, as a sentence, with paths from the game's folder `install`:
// "Move Downloads/Set/skin.skn to GameData/Skins."
std::string stepText(const Step& step, const std::string& install);

// What a journalled step did, the same way; for a folder made: "Make the folder GameData/Roofs."
std::string journalStepText(const JournalStep& step, const std::string& install);

// What a plan's window says of the steps ticked (`ticked`) and of those that cannot be done
// (`refused`): "3 steps ticked, of which 1 puts a file in the desktop's trash, ...".
std::string planSummary(const PlanCounts& ticked, std::size_t refused);

// The one question before a change: "Carry out 3 steps? 1 file goes to the desktop's trash. ..."
std::string confirmText(const PlanCounts& ticked);

// What a change did: "2 of 3 steps done. ...", ending with how to take it back (`undo`:
// "Content > Undo last change", "brambleton-count --undo").
std::string outcomeText(const ChangeOutcome& outcome, std::string_view undo);

// The label of a change carrying out `plan`: "Put it right: 2 moves, 3 to the trash".
std::string changeLabel(const Plan& plan);

// How a change reads in a list or a menu: its label and when it began.
std::string changeTitle(const Change& change);

// The plan as JSON: {"actions": [{"action", "from", "to", "kind", "why"}]}, paths from the
// game's folder, "why" null for a step that can be done and why not for one refused.
std::string planJson(const Plan& plan);

// A change's outcome as JSON: {"change": id or null, "game": what runs or null,
// "actions": [{"action", "from", "to", "kind", "done", "why"}]}.
std::string outcomeJson(const ChangeOutcome& outcome, const std::string& install);

// An undo's outcome as JSON: {"change", "label", "game", "nothing", "steps": [{"action",
// "from", "to", "undone", "why"}]}.
std::string undoJson(const UndoOutcome& outcome);

// The journal as JSON: {"changes": [{"id", "when", "install", "label", "state", "steps":
// [{"action", "from", "to", "done", "undone", "why"}]}]}, newest first; state is "done",
// "undone", "partly undone" or "unfinished".
std::string historyJson(const std::vector<Change>& changes);

// A change's state as historyJson names it.
std::string stateName(const Change& change);

// The install plan as JSON: each file's source, entry, destination (from the game's folder),
// verdict, why, and the objects it clashes with; then the downloads that could not be read.
std::string installJson(const InstallPlan& plan);

// One file of an install plan, as a sentence.
std::string installItemText(const InstallItem& item, const std::string& install);

// What an install did, as a player reads it: how many files went into which folder (from
// the game's folder), what was not done, and `undo`, the way to take it back.
std::string installOutcomeText(const ChangeOutcome& outcome, const std::string& install,
                               std::string_view undo);

// The journal's label of an install: the downloads it installs from.
std::string installLabel(const InstallPlan& plan);

}  // namespace brambleton::actions
