// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/durable_file.h"

namespace brambleton::actions {

// What one journalled step did: the plan's actions, and the folders made for them.
// A write's `record` is the name the bytes are written under before they take their own.
enum class JournalAction : std::uint8_t { kMove, kTrash, kRename, kMakeFolder, kWrite };

// One step as the journal holds it, written before the step is done.
struct JournalStep {
    std::size_t index = 0;
    JournalAction action = JournalAction::kMove;
    std::string from;    // host path
    std::string to;      // host path: where it went (in the trash, for a trash; the folder made)
    std::string record;  // for a trash: its record there
    std::uint64_t size = 0;
    std::optional<std::uint64_t> hash;  // a file's; none for a folder
    bool folder = false;
    bool done = false;    // known done (a crash right after it leaves it unknown)
    bool undone = false;  // taken back
    std::string kept;     // why an undo left it where it is
};

// One change: the steps of one Put it right, or one install.
struct Change {
    std::string id;
    std::string when;     // local time it began, "2026-12-10 04:35"
    std::string install;  // the game's folder it changed, a host path
    std::string label;    // what it was, as a player reads it
    std::vector<JournalStep> steps;
    bool finished = false;      // it ran to its end
    bool undoBegun = false;     // an undo of it began
    bool undoFinished = false;  // and ended

    // Begun and neither finished nor taken back: a crash cut it short.
    bool unfinished() const { return !finished && !undoBegun; }
    // What an undo has left to do.
    bool undoable() const { return !undoFinished; }
};

// The changes the journal in `folder` holds, oldest first, read without taking the lock
// (for showing them); none when there is no journal.
std::vector<Change> readChanges(const std::filesystem::path& folder);

// The write-ahead journal: one append-only file in Brambleton's own data folder, never in a
// folder the game reads. Every step's record is on the disk before the step begins, and so
// are a change's beginning and end and an undo's beginning; the records that a step was done
// or taken back are not waited for, since an undo reads what was done from the disk itself
// (where each file is) and not from them. A record cut short by a crash is ignored when read.
// Holding a Journal holds the lock that lets one Brambleton change files at a time.
class Journal {
  public:
    // Opens the journal in `folder`, making it. Throws RuntimeError when it cannot, or when
    // another Brambleton is changing files.
    explicit Journal(const std::filesystem::path& folder);

    // Every change, oldest first.
    std::vector<Change> changes() const;

    // A fresh change's id.
    std::string newId() const;

    void begin(const Change& change);
    // A step about to be done; `flush` (the last of a batch) waits until the disk has it and
    // every record before it.
    void intent(const std::string& id, const JournalStep& step, bool flush = true);
    void done(const std::string& id, std::size_t index);
    void finish(const std::string& id);
    void undoBegin(const std::string& id);
    void undone(const std::string& id, std::size_t index);
    void kept(const std::string& id, std::size_t index, const std::string& why);
    void undoFinish(const std::string& id);

  private:
    // Appends one record; `flush` waits until the disk has it.
    void write(const std::vector<std::string>& fields, bool flush = true);

    FolderLock lock_;
    std::unique_ptr<DurableLog> log_;
    // The highest id of the journal as last read, and of the changes begun since.
    mutable std::optional<unsigned long long> lastId_;
};

}  // namespace brambleton::actions
