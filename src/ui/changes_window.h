// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "actions/changes.h"
#include "locations/machine.h"
#include "ui/background_work.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace brambleton::ui {

// The window of Content > Changes...: every change Brambleton made, newest first, each with
// its steps and whether it stands, was taken back, or was cut short; "Undo" takes back the
// selected one on a thread of its own and says what it took back and what it left where it
// is, and why. Its list is named "history", its button "undoChange", its result "result".
class ChangesWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ChangesWindow(actions::WritePlaces places, QWidget* owner = nullptr);
    ~ChangesWindow() override;

    // Reads the journal again and lists it.
    void refresh();
    // Takes back the change `id` (the newest not yet taken back when empty); false when an
    // undo is running.
    bool undo(const std::string& id = {});
    bool running() const { return work_.busy(); }
    const std::optional<actions::UndoOutcome>& outcome() const { return outcome_; }

  signals:
    // An undo ended.
    void undone();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void showOutcome(const actions::UndoOutcome& outcome, const std::string& failed);
    void selectionChanged();

    actions::WritePlaces places_;
    std::optional<actions::UndoOutcome> outcome_;
    QTreeWidget* history_;
    QLabel* result_;
    QPushButton* undo_;
    QPushButton* close_;
    BackgroundWork work_{this};
};

// Where the write layer of a machine keeps its journal and finds the trash: its user's data
// folder.
actions::WritePlaces writePlacesOf(const HostEnvironment& environment);

// The newest change not yet taken back whole, from the journal in `places`.
std::optional<actions::Change> lastUndoableChange(const actions::WritePlaces& places);

}  // namespace brambleton::ui
