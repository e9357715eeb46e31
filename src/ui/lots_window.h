// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "actions/changes.h"
#include "content/lots.h"
#include "counting/folder_source.h"
#include "ui/frm_in_process.h"
#include "ui/scan_thread.h"
#include "ui/scan_window.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace brambleton::ui {

class ContentActions;

// The window of Content > My lots...: each saved lot with its family, the content files it
// uses and what it misses, then the content no lot uses; a warning when a lot misses content,
// since the game drops it from the lot for good when the lot is saved. Reads the saves and
// never writes them; a content file selected can be shown in its folder or moved to the
// trash (ContentActions). The scan runs on a thread of its own with the progress window, as the
// check. Its tree is named "lots", the warning "warning".
class LotsWindow : public ScanWindow {
    Q_OBJECT
  public:
    explicit LotsWindow(QWidget* owner = nullptr, std::unique_ptr<FolderSource> source = nullptr);
    ~LotsWindow() override;

    // Starts reading which lots in `saves` use the content of the install in `hostFolder`;
    // false when a scan runs. With no saves, says where they were looked for and offers to
    // choose their folder.
    bool scan(const QString& hostFolder, const std::vector<std::filesystem::path>& saves);
    // The last report shown; null before the first.
    const content::LotsReport* report() const { return report_.get(); }

    void setWritePlaces(actions::WritePlaces places);
    ContentActions& actions() { return *actions_; }

  signals:
    // The player chose the folder their saves are in.
    void savesFolderChosen(const QString& folder);
    // The player asked to take back the last change.
    void undoRequested();

  protected:
    void showProgress(const QString& where) override;

  private:
    void finish(std::shared_ptr<content::LotsReport> report, const QStringList& unreadable);
    void fill();
    void chooseSaves();
    void selectionChanged();

    QString hostFolder_;
    std::vector<std::filesystem::path> saves_;
    std::shared_ptr<content::LotsReport> report_;
    QLabel* summary_;
    QLabel* warning_;
    QTreeWidget* lots_;
    ContentActions* actions_;
};

}  // namespace brambleton::ui
