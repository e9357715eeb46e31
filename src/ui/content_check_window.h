// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>

#include "actions/changes.h"
#include "content/content_check.h"
#include "counting/folder_source.h"
#include "ui/frm_in_process.h"
#include "ui/scan_thread.h"
#include "ui/scan_window.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace brambleton::ui {

class PutRightWindow;

// The window of Content > Check my content...: it checks one install of the game (with the
// progress window and Cancel, as a count), then shows each area's files and size with a bar
// for each of its largest folders, and the problems grouped by kind, each with its sentence.
// "Show in folder" opens the file manager at the selected problem's file; "Save report..."
// writes the report as an HTML page or as JSON. Below the problems, the pane "details" shows
// all the selected problem says. "Put it right..." opens the plan that carries out the
// advice that moves, renames or trashes, in a window of its own. Enter presses the focused button
// and Escape closes the window; closing it stops a check that is running. It only reads; what
// changes files is the write layer, from the plan's window. Its trees are named "areas" and
// "problems".
class ContentCheckWindow : public ScanWindow {
    Q_OBJECT
  public:
    // The role under which a group row of "problems" holds its kind's stable name.
    static constexpr int kKindRole = Qt::UserRole + 3;

    // `source` reads the folders; the platform's when null.
    explicit ContentCheckWindow(QWidget* owner = nullptr,
                                std::unique_ptr<FolderSource> source = nullptr);
    ~ContentCheckWindow() override;

    // Starts checking the install in `hostFolder` on a thread of its own, with the progress
    // window and its Cancel, as a count; returns false, starting nothing, when a check is
    // running. When it ends, the window shows the report (or, cancelled, says so) and emits
    // scanEnded. Duplicates and conflicts of object IDs say which saved lots in the
    // UserData folders `saves` use them.
    bool scan(const QString& hostFolder, std::vector<std::filesystem::path> saves = {});
    // The last report shown.
    const std::optional<content::ContentReport>& report() const { return report_; }

    // Where a change from "Put it right..." is journalled; the user's own when not set.
    void setWritePlaces(actions::WritePlaces places) { writePlaces_ = std::move(places); }
    // "Put it right...": the plan of the last report in a window of its own (objectName
    // "putRight"); after a change the folders are checked again. Null when there is no report.
    PutRightWindow* putRight();
    // "Move to trash..." of a conflict of object IDs: the plan that trashes the member at
    // `path` of problem `index` of the last report, in the same window as Put it right, with
    // a warning naming the saved lots that use the object. Null when it is no such member.
    PutRightWindow* trashMember(std::size_t index, const std::string& path);

    // Writes the report as it is shared to `file` (paths from the game's folder, the home
    // folder written "~"): an HTML page, or JSON when the name ends in .json. Returns false
    // after saying why when it cannot.
    bool saveReport(const QString& file);

  protected:
    void showProgress(const QString& where) override;

  private:
    void finish(content::ContentReport& report, const QStringList& unreadable);
    void sayUnreadable(const QStringList& unreadable);
    void present(const content::ContentReport& report);
    void presentAreas(const content::ContentReport& report);
    void presentProblems(const content::ContentReport& report);
    void showSelectedInFolder();
    void askWhereToSave();
    void offerMembers();
    PutRightWindow* openPlan(actions::Plan plan);

    QString hostFolder_;
    std::vector<std::filesystem::path> saves_;
    std::optional<content::ContentReport> report_;
    QLabel* summary_;
    QLabel* details_;
    QTreeWidget* areas_;
    QTreeWidget* problems_;
    QPushButton* showInFolder_;
    QPushButton* save_;
    QPushButton* putRight_;
    QPushButton* moveToTrash_;
    QPointer<PutRightWindow> putRightWindow_;
    actions::WritePlaces writePlaces_ = actions::userPlaces();
};

}  // namespace brambleton::ui
