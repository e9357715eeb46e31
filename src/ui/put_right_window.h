// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <memory>

#include "actions/changes.h"
#include "actions/plan.h"
#include "ui/background_work.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace brambleton::ui {

// The window of the check's "Put it right...": the plan as a list, a tick per step and what
// each does in a sentence (a step that cannot be done safely shown unticked, with why), how
// many files go to the trash, and one button. One confirmation, then progress, then what
// was done. While the game runs a banner says so and the button waits, looking again every
// second or two. Its list is named "steps", its banner "gameBanner", its button "putRight"
// and its result "result".
class PutRightWindow : public QDialog {
    Q_OBJECT
  public:
    PutRightWindow(actions::Plan plan, actions::WritePlaces places, QWidget* owner = nullptr);
    ~PutRightWindow() override;

    // Shows `text` above the plan, as a warning (saved lots that use what it removes).
    void setWarning(const QString& text);
    // The window's title and its button's words, for a plan that is not the check's.
    void setCaptions(const QString& title, const QString& button);

    // Carries out the ticked steps without asking, on a thread of its own; false when a
    // change is running already or nothing is ticked. changed() follows when it ends.
    bool start();
    // Whether a change is running.
    bool running() const { return work_.busy(); }
    // The last change's outcome, once one has ended.
    const std::optional<actions::ChangeOutcome>& outcome() const { return outcome_; }

  signals:
    // A change ended: the folders are not what the check saw.
    void changed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void fill();
    void lookForGame();
    void confirmAndStart();
    void showOutcome(const actions::ChangeOutcome& outcome);
    void updateSummary();
    actions::Plan ticked() const;

    actions::Plan plan_;
    actions::WritePlaces places_;
    actions::GameWatch watch_;
    std::optional<std::string> game_;
    std::optional<actions::ChangeOutcome> outcome_;
    std::shared_ptr<std::atomic<std::size_t>> done_;
    QLabel* banner_;
    QLabel* warning_;
    QLabel* summary_;
    QTreeWidget* steps_;
    QProgressBar* progress_;
    QLabel* result_;
    QPushButton* putRight_;
    QPushButton* close_;
    QTimer* gameTimer_;
    QTimer* progressTimer_;
    BackgroundWork work_{this};
};

}  // namespace brambleton::ui
