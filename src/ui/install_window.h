// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <vector>

#include "actions/changes.h"
#include "actions/install.h"
#include "ui/background_work.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace brambleton::ui {

// The window of Content > Install a download... (and of downloads dropped on the main
// window): the plan of each file of the downloads, where it goes, what is skipped and why,
// and what clashes with what is installed, with both objects' names; then one button that
// installs, as one change, and a result that says what went where. Reading and installing
// run on a thread of their own. Its list is named "plan", its button "installButton", its
// summary "result"; a clash selected shows both objects' pictures ("picture",
// "otherPicture") and names in the pane "clash". A clash is the player's to decide: ticked,
// it is left out, and once each is, the rest can be installed.
class InstallWindow : public QDialog {
    Q_OBJECT

  public:
    InstallWindow(actions::WritePlaces places, QWidget* owner = nullptr);
    ~InstallWindow() override;

    // Reads `sources` (archives or folders) and plans their install into the game's folder
    // `install`, naming the lots of the UserData folders `saves` that place their objects.
    void plan(const QString& install, const QStringList& sources,
              const std::vector<std::filesystem::path>& saves = {});
    // Installs what the plan shows; false when there is nothing to install or work runs.
    bool install();
    bool running() const { return work_.busy(); }
    const std::optional<actions::InstallPlan>& shownPlan() const { return plan_; }

  signals:
    // The plan is read and shown.
    void planned();
    // An install ended; it changed the game's folder when any file was installed.
    void installed();

  protected:
    void reject() override;

  private:
    void showPlan(actions::InstallPlan plan);
    // Shows the clash of the selected row, both objects side by side; hides it for the rest.
    void showClash();
    // Install is offered when there is something to install and every clash is left out.
    void updateInstallable();
    void showOutcome(const actions::ChangeOutcome& outcome, const std::string& failed);

    actions::WritePlaces places_;
    std::optional<actions::InstallPlan> plan_;
    QTreeWidget* list_;
    QWidget* clash_;
    QLabel* picture_;
    QLabel* otherPicture_;
    QLabel* clashText_;
    QLabel* result_;
    QPushButton* install_;
    QPushButton* close_;
    bool installing_ = false;  // an install runs: it ends its change before the window closes
    BackgroundWork work_{this};
};

}  // namespace brambleton::ui
