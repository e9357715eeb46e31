// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/game_watch.h"
#include "actions/journal.h"
#include "actions/plan.h"
#include "actions/trash.h"

namespace brambleton::actions {

// Where the write layer keeps its journal and finds the trash.
struct WritePlaces {
    std::filesystem::path journal;  // dataFolder() by default
    TrashHome trash;
};

// The places of the user running the program.
WritePlaces userPlaces();

// What a change wants from its caller.
struct ChangeHooks {
    std::function<void(std::size_t done, std::size_t total)> progress;
    std::function<bool()> cancelled;  // stop before the next step; what is done stands
    // Called before each operation on the disk ("mkdir", "record", "rename", "trash"); tests
    // end the process here to prove a crash at any point loses nothing.
    std::function<void(std::string_view operation)> beforeOperation;
    // The bytes of a write step, asked for in the plan's order; none, with why, when they
    // cannot be had. They are written only when their size and hash are the plan's.
    std::function<std::optional<std::string>(const Step& step, std::string& why)> contents;
};

// How one step went.
struct StepOutcome {
    Step step;
    bool done = false;
    std::string why;  // why it was not done
};

struct ChangeOutcome {
    std::string id;  // the journal's id of the change; empty when nothing was done
    std::vector<StepOutcome> steps;
    // What of the game runs: set when the game running stopped the change (before its first
    // step: nothing was changed).
    std::optional<std::string> game;
    bool cancelled = false;

    std::size_t doneCount() const;
    // Whether every step of the plan was done.
    bool complete() const { return !game && !cancelled && doneCount() == steps.size(); }
};

// How an undo went: each step taken back, or left where it is and why.
struct UndoOutcome {
    std::string id;
    std::string label;
    std::string install;              // the game's folder it changed
    std::vector<JournalStep> steps;   // in the order taken back, `kept` saying why one was not
    std::optional<std::string> game;  // the game runs: nothing was taken back
    bool nothing = false;             // there was no change to undo

    bool complete() const;
};

// The one way the program changes files. Holding it holds the lock that lets one Brambleton
// change files at a time.
class Changes {
  public:
    // Opens the journal. Throws RuntimeError when it cannot, or when another Brambleton is
    // changing files.
    explicit Changes(WritePlaces places = userPlaces());

    // Every change, newest first.
    std::vector<Change> history() const;

    // The newest change not yet taken back whole; nullopt when none is.
    std::optional<Change> lastUndoable() const;

    // Carries out the plan's steps that are not refused, in order, each journalled first.
    // Looks for the game before the first step and again before each. A step found unsafe
    // when its turn comes (its place taken meanwhile, another drive) is not done and says why;
    // the steps before it stand and can be undone.
    ChangeOutcome carryOut(const Plan& plan, const std::string& label,
                           const ChangeHooks& hooks = {});

    // Takes back the change `id` (the newest not yet taken back when empty), its steps in
    // reverse. A file changed since (its hash differs), gone, or whose old place is taken is
    // left where it is and named. Nothing is done while the game runs from its folder.
    UndoOutcome undo(const std::string& id = {}, const ChangeHooks& hooks = {});

    // Takes back what changes a crash cut short had done, and finishes undos a crash cut
    // short. Those the game running keeps from being taken back wait for the next run.
    std::vector<UndoOutcome> recover(const ChangeHooks& hooks = {});

  private:
    WritePlaces places_;
    Journal journal_;
};

}  // namespace brambleton::actions
