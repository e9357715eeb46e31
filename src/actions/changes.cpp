// SPDX-License-Identifier: MIT
#include "actions/changes.h"

#include <algorithm>

#include "actions/file_system.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameRunning = "the game is running";

std::string moveWhy(const MoveResult& result, const std::string& to) {
    switch (result.outcome) {
        case MoveOutcome::kDone:
            return {};
        case MoveOutcome::kTaken:
            return "something of that name is already at " + to;
        case MoveOutcome::kOtherFileSystem:
            return std::string(refusalText(Refusal::kOtherFileSystem));
        case MoveOutcome::kMissing:
            return "it is no longer there";
        default:
            return result.why;
    }
}

JournalAction journalAction(StepAction action) {
    switch (action) {
        case StepAction::kTrash:
            return JournalAction::kTrash;
        case StepAction::kRename:
            return JournalAction::kRename;
        default:
            return JournalAction::kMove;
    }
}

bool sameFile(const PathFacts& a, const PathFacts& b) {
    return a.exists && b.exists && a.device == b.device && a.file == b.file;
}

// Whether what lies at `facts`/`path` is what the step journalled: a folder for a folder,
// else a file of the same bytes.
bool unchanged(const JournalStep& step, const PathFacts& facts, const fs::path& path) {
    if (step.folder) return facts.folder && !facts.link;
    return !facts.folder && !facts.link && facts.size == step.size && fileHash(path) == step.hash;
}

// Runs one plan's steps with one journal.
class Runner {
  public:
    Runner(Journal& journal, const WritePlaces& places, const Plan& plan, std::string label,
           const ChangeHooks& hooks)
        : journal_(journal),
          places_(places),
          plan_(plan),
          label_(std::move(label)),
          hooks_(hooks) {}

    // Does `step`; empty when done, else why not.
    std::string perform(const Step& step) {
        const fs::path from = hostPath(step.from);
        const PathFacts facts = pathFacts(from);
        if (!facts.exists) return std::string(refusalText(Refusal::kGone));
        if (facts.link) return std::string(refusalText(Refusal::kLink));
        if (!step.keep.empty() && !pathFacts(hostPath(step.keep)).exists) {
            return std::string(refusalText(Refusal::kKeptGone));
        }
        JournalStep record;
        record.action = journalAction(step.action);
        record.from = step.from;
        record.size = facts.size;
        record.folder = facts.folder;
        if (!facts.folder) {
            record.hash = fileHash(from);
            if (!record.hash) return "it cannot be read";
        }
        return step.action == StepAction::kTrash ? trash(from, record)
                                                 : move(from, facts, step, record);
    }

    const std::string& id() const { return id_; }

  private:
    void before(std::string_view operation) const {
        if (hooks_.beforeOperation) hooks_.beforeOperation(operation);
    }

    // Journals `record` as the change's next step; the change itself on its first.
    void announce(JournalStep& record) {
        if (id_.empty()) {
            Change change;
            change.id = journal_.newId();
            change.install = plan_.install;
            change.label = label_;
            journal_.begin(change);
            id_ = change.id;
        }
        record.index = next_++;
        journal_.intent(id_, record);
    }

    std::string move(const fs::path& from, const PathFacts& facts, const Step& step,
                     JournalStep& record) {
        const fs::path to = hostPath(step.to);
        if (pathFacts(to).exists) return std::string(refusalText(Refusal::kNameTaken));
        if (std::string why = makeParents(to.parent_path()); !why.empty()) return why;
        if (deviceFor(to.parent_path()) != facts.device) {
            return std::string(refusalText(Refusal::kOtherFileSystem));
        }
        record.to = step.to;
        announce(record);
        before("rename");
        const std::string why = moveWhy(moveNoReplace(from, to), step.to);
        if (why.empty()) journal_.done(id_, record.index);
        return why;
    }

    std::string trash(const fs::path& from, JournalStep& record) {
        std::string why;
        const auto slot = findTrashSlot(from, places_.trash, why);
        if (!slot) return why;
        record.to = hostText(slot->file);
        record.record = hostText(slot->record);
        announce(record);
        before("record");
        if (!writeTrashRecord(from, *slot, why)) return "the trash refused it: " + why;
        before("trash");
        why = moveWhy(moveIntoTrash(from, *slot), hostText(slot->file));
        if (!why.empty()) {
            dropTrashRecord(*slot, from);
            return why;
        }
        journal_.done(id_, record.index);
        return {};
    }

    // Makes the folders missing above `folder`, each journalled, so that an undo takes
    // them away again. Only inside the game's folder.
    std::string makeParents(const fs::path& folder) {
        std::vector<fs::path> missing;
        for (fs::path p = folder; !pathFacts(p).exists; p = p.parent_path()) {
            if (hostText(p).size() <= plan_.install.size()) {
                return "its folder " + hostText(folder) + " is missing";
            }
            missing.push_back(p);
            if (p == p.parent_path()) break;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            JournalStep record;
            record.action = JournalAction::kMakeFolder;
            record.to = hostText(*it);
            record.folder = true;
            announce(record);
            before("mkdir");
            std::string why;
            if (!makeFolder(*it, why)) return "its folder " + record.to + " cannot be made: " + why;
            journal_.done(id_, record.index);
        }
        return {};
    }

    Journal& journal_;
    const WritePlaces& places_;
    const Plan& plan_;
    std::string label_;
    const ChangeHooks& hooks_;
    std::string id_;
    std::size_t next_ = 0;
};

// Takes one journalled step back; empty when it is back (or was never done), else why it
// is left where it is.
std::string takeBack(const JournalStep& step, const ChangeHooks& hooks) {
    const auto before = [&](std::string_view operation) {
        if (hooks.beforeOperation) hooks.beforeOperation(operation);
    };
    const fs::path from = hostPath(step.from);
    const fs::path to = hostPath(step.to);
    if (step.action == JournalAction::kMakeFolder) {
        const PathFacts made = pathFacts(to);
        if (!made.exists) return {};
        before("rmdir");
        if (made.folder && !made.link && removeEmptyFolder(to)) return {};
        return "the folder " + step.to + " is not empty";
    }
    const PathFacts home = pathFacts(from);
    fs::path now = to;
    const TrashSlot slot{to, hostPath(step.record)};
    if (step.action == JournalAction::kTrash) {
        const auto found = locateInTrash(slot, from);
        if (!found) {
            // Known gone into the trash, or nothing at its old place: taken out of the trash
            // by someone else. Else a crash came before it went.
            if (step.done || !home.exists) return "it is no longer in the trash";
            dropTrashRecord(slot, from);
            return {};
        }
        now = *found;
    }
    const PathFacts there = pathFacts(now);
    if (!there.exists) {
        return home.exists ? std::string() : "it is no longer at " + hostText(now);
    }
    if (sameFile(home, there)) {
        // Cut short between the second name and the first one's removal: one file, two names.
        before("unlink");
        removeOwnRecord(now);
        return {};
    }
    if (home.exists) return "its old place " + step.from + " is taken";
    if (!unchanged(step, there, now)) return "it has changed since, at " + hostText(now);
    std::error_code ec;
    if (!pathFacts(from.parent_path()).exists) fs::create_directories(from.parent_path(), ec);
    before("rename");
    const std::string why = moveWhy(moveNoReplace(now, from), step.from);
    if (why.empty() && step.action == JournalAction::kTrash) dropTrashRecord(slot, from);
    return why;
}

}  // namespace

WritePlaces userPlaces() {
    return {dataFolder(), {trashDataHome()}};
}

std::size_t ChangeOutcome::doneCount() const {
    return static_cast<std::size_t>(
        std::count_if(steps.begin(), steps.end(), [](const auto& s) { return s.done; }));
}

bool UndoOutcome::complete() const {
    return !game &&
           std::all_of(steps.begin(), steps.end(), [](const auto& s) { return s.kept.empty(); });
}

Changes::Changes(WritePlaces places) : places_(std::move(places)), journal_(places_.journal) {}

std::vector<Change> Changes::history() const {
    auto changes = journal_.changes();
    std::reverse(changes.begin(), changes.end());
    return changes;
}

std::optional<Change> Changes::lastUndoable() const {
    for (auto& change : history()) {
        if (change.undoable()) return change;
    }
    return std::nullopt;
}

ChangeOutcome Changes::carryOut(const Plan& plan, const std::string& label,
                                const ChangeHooks& hooks) {
    ChangeOutcome out;
    GameWatch watch(hostPath(plan.install));
    Runner runner(journal_, places_, plan, label, hooks);
    const std::size_t total = plan.steps.size();
    for (std::size_t i = 0; i < total; ++i) {
        const Step& step = plan.steps[i];
        StepOutcome outcome{step, false, {}};
        if (step.refusal != Refusal::kNone) {
            outcome.why = refusalText(step.refusal);
        } else if (out.game || out.cancelled) {
            outcome.why = out.game ? kGameRunning : "it was stopped before this step";
        } else if (hooks.cancelled && hooks.cancelled()) {
            out.cancelled = true;
            outcome.why = "it was stopped before this step";
        } else if (auto game = watch.running()) {
            out.game = std::move(game);
            outcome.why = kGameRunning;
        } else {
            outcome.why = runner.perform(step);
            outcome.done = outcome.why.empty();
        }
        out.steps.push_back(std::move(outcome));
        if (hooks.progress) hooks.progress(i + 1, total);
    }
    out.id = runner.id();
    if (!out.id.empty()) journal_.finish(out.id);
    return out;
}

UndoOutcome Changes::undo(const std::string& id, const ChangeHooks& hooks) {
    UndoOutcome out;
    std::optional<Change> change;
    for (auto& c : history()) {
        if (c.undoable() && (id.empty() || c.id == id)) {
            change = std::move(c);
            break;
        }
    }
    if (!change) {
        out.nothing = true;
        return out;
    }
    out.id = change->id;
    out.label = change->label;
    out.install = change->install;
    GameWatch watch(hostPath(change->install));
    if ((out.game = watch.running())) return out;
    if (!change->undoBegun) journal_.undoBegin(change->id);
    auto& steps = change->steps;
    std::sort(steps.begin(), steps.end(),
              [](const auto& a, const auto& b) { return a.index > b.index; });
    for (auto& step : steps) {
        if (!step.undone && step.kept.empty()) {
            if ((out.game = watch.running())) return out;
            step.kept = takeBack(step, hooks);
            if (step.kept.empty()) {
                journal_.undone(change->id, step.index);
                step.undone = true;
            } else {
                journal_.kept(change->id, step.index, step.kept);
            }
        }
        out.steps.push_back(step);
    }
    journal_.undoFinish(change->id);
    return out;
}

std::vector<UndoOutcome> Changes::recover(const ChangeHooks& hooks) {
    std::vector<UndoOutcome> outcomes;
    for (const auto& change : history()) {
        if (change.unfinished() || (change.undoBegun && !change.undoFinished)) {
            outcomes.push_back(undo(change.id, hooks));
        }
    }
    return outcomes;
}

}  // namespace brambleton::actions
