// SPDX-License-Identifier: MIT
#include "actions/changes.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "actions/file_system.h"
#include "actions/hash.h"

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
        case StepAction::kWrite:
            return JournalAction::kWrite;
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

// How many steps are journalled with one flush to the disk. Every step's record is on the
// disk before that step begins; a record of a step not begun yet (a crash, the game started)
// tells an undo nothing is to be taken back, since the file is still where it was.
constexpr std::size_t kStepsPerFlush = 64;

// One step made ready: what it does on the disk, each a journal record, in order (folders
// made, then the move, rename or trash), or why it cannot be done.
struct Ready {
    std::size_t step = 0;  // its index in the plan
    std::vector<JournalStep> operations;
    std::string why;
};

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

    // Makes step `index` ready: checks it again as it stands now (its place may have been
    // taken since the plan) and picks where it goes, without touching the disk.
    Ready prepare(std::size_t index) {
        const Step& step = plan_.steps[index];
        Ready ready{index, {}, {}};
        if (step.action == StepAction::kWrite) return prepareWrite(step, ready);
        const fs::path from = hostPath(step.from);
        const PathFacts facts = pathFacts(from);
        if (!facts.exists) return fail(ready, refusalText(Refusal::kGone));
        if (facts.link) return fail(ready, refusalText(Refusal::kLink));
        if (!step.keep.empty() && !pathFacts(hostPath(step.keep)).exists) {
            return fail(ready, refusalText(Refusal::kKeptGone));
        }
        JournalStep record;
        record.action = journalAction(step.action);
        record.from = step.from;
        record.size = facts.size;
        record.folder = facts.folder;
        if (!facts.folder) {
            record.hash = fileHash(from);
            if (!record.hash) return fail(ready, "it cannot be read");
        }
        if (step.action == StepAction::kTrash) {
            std::string why;
            const auto slot = findTrashSlot(from, places_.trash, why);
            if (!slot) return fail(ready, why);
            // Two files of one name going to the trash together take two names there.
            if (!slot->file.empty() && !reserved_.insert(slot->file).second) {
                return fail(ready, "the trash has no free name for it now; try again");
            }
            record.to = hostText(slot->file);
            record.record = hostText(slot->record);
        } else {
            const fs::path to = hostPath(step.to);
            if (pathFacts(to).exists || reserved_.count(to) != 0) {
                return fail(ready, refusalText(Refusal::kNameTaken));
            }
            if (deviceFor(to.parent_path()) != facts.device) {
                return fail(ready, refusalText(Refusal::kOtherFileSystem));
            }
            if (std::string why = foldersToMake(to.parent_path(), ready); !why.empty()) {
                return fail(ready, why);
            }
            reserved_.insert(to);
            record.to = step.to;
        }
        ready.operations.push_back(std::move(record));
        return ready;
    }

    // Journals the operations of `batch`, flushing once at the end.
    void announce(std::vector<Ready>& batch) {
        std::size_t left = 0;
        for (const auto& ready : batch) left += ready.operations.size();
        for (auto& ready : batch) {
            for (auto& operation : ready.operations) {
                if (id_.empty()) begin();
                operation.index = next_++;
                journal_.intent(id_, operation, --left == 0);
            }
        }
        reserved_.clear();
        making_.clear();
        present_.clear();
    }

    // Makes the steps from `next` on ready, up to a batch's worth; a step that cannot be
    // done says why in `out`. Moves `next` past them.
    std::vector<Ready> prepareBatch(std::size_t& next, ChangeOutcome& out) {
        std::vector<Ready> batch;
        for (; next < plan_.steps.size() && batch.size() < kStepsPerFlush; ++next) {
            if (plan_.steps[next].refusal != Refusal::kNone) continue;
            Ready ready = prepare(next);
            if (ready.why.empty()) {
                batch.push_back(std::move(ready));
            } else {
                out.steps[next].why = std::move(ready.why);
            }
        }
        return batch;
    }

    // Carries out a step made ready and journalled; empty when done, else why not.
    std::string perform(const Ready& ready) {
        for (const auto& operation : ready.operations) {
            std::string why = operation.action == JournalAction::kMakeFolder ? makeOne(operation)
                              : operation.action == JournalAction::kTrash    ? trashOne(operation)
                              : operation.action == JournalAction::kWrite
                                  ? writeOne(plan_.steps[ready.step], operation)
                                  : moveOne(operation);
            if (!why.empty()) return why;
            journal_.done(id_, operation.index);
        }
        return {};
    }

    const std::string& id() const { return id_; }

  private:
    void begin() {
        Change change;
        change.id = journal_.newId();
        change.install = plan_.install;
        change.label = label_;
        journal_.begin(change);
        id_ = change.id;
    }

    // A write: its place must be free, inside the game's folder, with the folders above it
    // made first. The bytes go under a name of the program's own beside it, then take
    // their place without replacing anything.
    Ready prepareWrite(const Step& step, Ready& ready) {
        const fs::path to = hostPath(step.to);
        if (pathFacts(to).exists || reserved_.count(to) != 0) {
            return fail(ready, refusalText(Refusal::kNameTaken));
        }
        const fs::path part =
            to.parent_path() / hostPath(".~" + hostText(to.filename()) + ".brambleton-part");
        if (std::string why = foldersToMake(to.parent_path(), ready); !why.empty()) {
            return fail(ready, why);
        }
        reserved_.insert(to);
        JournalStep record;
        record.action = JournalAction::kWrite;
        record.from = step.from + " \xC2\xBB " + step.entry;
        record.to = step.to;
        record.record = hostText(part);
        record.size = step.size;
        record.hash = step.hash;
        ready.operations.push_back(std::move(record));
        return ready;
    }

    std::string writeOne(const Step& step, const JournalStep& operation) const {
        std::string why;
        const auto bytes = hooks_.contents ? hooks_.contents(step, why) : std::nullopt;
        if (!bytes) return why.empty() ? "its bytes could not be read" : why;
        ContentHash hash;
        hash.add(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size());
        if (bytes->size() != step.size || hash.value() != step.hash) {
            return "it is not what was planned: the download changed since";
        }
        before("write");
        const MoveResult written =
            writeNew(hostPath(operation.to), hostPath(operation.record), *bytes);
        if (written.outcome == MoveOutcome::kFailed)
            return "it could not be written: " + written.why;
        return moveWhy(written, operation.to);
    }

    static Ready& fail(Ready& ready, std::string_view why) {
        ready.why = why;
        ready.operations.clear();
        return ready;
    }

    void before(std::string_view operation) const {
        if (hooks_.beforeOperation) hooks_.beforeOperation(operation);
    }

    // The folders missing above `folder`, made before the move, each journalled so that an
    // undo takes them away again; only inside the game's folder.
    std::string foldersToMake(const fs::path& folder, Ready& ready) {
        std::vector<fs::path> missing;
        // A folder seen there already in this batch is not looked at again.
        if (present_.count(folder) != 0) return {};
        for (fs::path p = folder; making_.count(p) == 0 && !pathFacts(p).exists;
             p = p.parent_path()) {
            if (hostText(p).size() <= plan_.install.size()) {
                return "its folder " + hostText(folder) + " is missing";
            }
            missing.push_back(p);
            if (p == p.parent_path()) break;
        }
        if (missing.empty()) present_.insert(folder);
        std::reverse(missing.begin(), missing.end());  // the outermost first
        for (const auto& made : missing) {
            JournalStep record;
            record.action = JournalAction::kMakeFolder;
            record.to = hostText(made);
            record.folder = true;
            ready.operations.push_back(std::move(record));
            making_.insert(made);
        }
        return {};
    }

    std::string makeOne(const JournalStep& operation) const {
        before("mkdir");
        std::string why;
        if (makeFolder(hostPath(operation.to), why) || why.empty()) return {};
        return "its folder " + operation.to + " cannot be made: " + why;
    }

    std::string moveOne(const JournalStep& operation) const {
        before("rename");
        return moveWhy(moveNoReplace(hostPath(operation.from), hostPath(operation.to)),
                       operation.to);
    }

    std::string trashOne(const JournalStep& operation) const {
        const fs::path from = hostPath(operation.from);
        const TrashSlot slot{hostPath(operation.to), hostPath(operation.record)};
        std::string why;
        before("record");
        if (!writeTrashRecord(from, slot, why)) return "the trash refused it: " + why;
        before("trash");
        why = moveWhy(moveIntoTrash(from, slot), operation.to);
        if (!why.empty()) dropTrashRecord(slot, from);
        return why;
    }

    Journal& journal_;
    const WritePlaces& places_;
    const Plan& plan_;
    std::string label_;
    const ChangeHooks& hooks_;
    std::string id_;
    std::size_t next_ = 0;
    std::set<fs::path> reserved_;  // places the steps of the batch being made ready take
    std::set<fs::path> making_;    // folders those steps make
    std::set<fs::path> present_;   // folders those steps found there
};

// Takes a written file back: into the trash, when it is still the bytes written. The copy
// under the program's own name that a crash may have left is the program's to remove.
template <typename Before>
std::string takeBackWrite(const JournalStep& step, const TrashHome& trash, const Before& before) {
    const fs::path part = hostPath(step.record);
    if (pathFacts(part).exists) {
        before("unlink");
        removeOwnRecord(part);
    }
    const fs::path to = hostPath(step.to);
    const PathFacts there = pathFacts(to);
    if (!there.exists) return {};
    if (!unchanged(step, there, to)) return "it has changed since, at " + step.to;
    std::string why;
    const auto slot = findTrashSlot(to, trash, why);
    if (!slot) return "it cannot go to the trash: " + why;
    before("record");
    if (!writeTrashRecord(to, *slot, why)) return "the trash refused it: " + why;
    before("trash");
    why = moveWhy(moveIntoTrash(to, *slot), hostText(slot->file));
    if (!why.empty()) dropTrashRecord(*slot, to);
    return why;
}

// Takes one journalled step back; empty when it is back (or was never done), else why it
// is left where it is.
std::string takeBack(const JournalStep& step, const TrashHome& trash, const ChangeHooks& hooks) {
    const auto before = [&](std::string_view operation) {
        if (hooks.beforeOperation) hooks.beforeOperation(operation);
    };
    const fs::path from = hostPath(step.from);
    const fs::path to = hostPath(step.to);
    if (step.action == JournalAction::kWrite) return takeBackWrite(step, trash, before);
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
    std::string why = moveWhy(moveNoReplace(now, from), step.from);
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

namespace {

// Whether a change is to stop before its next step: the player stopped it, or the game is
// running. Says which in `out`, and stays stopped. The game is looked for before the first
// step, then before each step that comes at least kLookEvery after the last look: a game
// takes seconds to start before it reads a file, and looking through every process before
// each of 10,000 small writes would cost more than the writes.
class Stopper {
  public:
    static constexpr std::chrono::milliseconds kLookEvery{50};

    Stopper(const ChangeHooks& hooks, GameWatch& watch, ChangeOutcome& out)
        : hooks_(hooks), watch_(watch), out_(out) {}
    bool operator()() {
        if (out_.game || out_.cancelled) return true;
        if (hooks_.cancelled && hooks_.cancelled()) {
            out_.cancelled = true;
        } else if (const auto now = std::chrono::steady_clock::now(); now >= next_) {
            out_.game = watch_.running();
            next_ = now + kLookEvery;
        }
        return out_.game || out_.cancelled;
    }

  private:
    std::chrono::steady_clock::time_point next_{};  // when to look again; the first step looks
    const ChangeHooks& hooks_;
    GameWatch& watch_;
    ChangeOutcome& out_;
};

}  // namespace

ChangeOutcome Changes::carryOut(const Plan& plan, const std::string& label,
                                const ChangeHooks& hooks) {
    ChangeOutcome out;
    for (const auto& step : plan.steps) {
        out.steps.push_back({step, false, std::string(refusalText(step.refusal))});
    }
    GameWatch watch(hostPath(plan.install));
    Stopper stop(hooks, watch, out);
    Runner runner(journal_, places_, plan, label, hooks);
    const std::size_t total = plan.steps.size();
    std::size_t finished = 0;
    for (std::size_t next = 0; next < total && !stop();) {
        auto batch = runner.prepareBatch(next, out);
        runner.announce(batch);
        for (const auto& ready : batch) {
            // The game is looked for again before each step: it may start at any time.
            if (&ready != &batch.front() && stop()) break;
            auto& outcome = out.steps[ready.step];
            outcome.why = runner.perform(ready);
            outcome.done = outcome.why.empty();
            if (hooks.progress) hooks.progress(++finished, total);
        }
    }
    for (auto& outcome : out.steps) {
        if (!outcome.done && outcome.why.empty()) {
            outcome.why = out.game ? kGameRunning : "it was stopped before this step";
        }
    }
    if (hooks.progress) hooks.progress(total, total);
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
            step.kept = takeBack(step, places_.trash, hooks);
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
