// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "counting/file_counter.h"
#include "locations/content_category.h"
#include "locations/machine.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brambleton::ui {

class DirListBox;
class DriveListBox;
class FileListBox;
class frmInProcess;
class Places;

// What the main window reads of the machine, handed in as one: the registry, the folder maps
// and the launchers' files (the machine), and the folder source its counter walks.
struct Sources {
    std::shared_ptr<const Machine> machine;
    std::unique_ptr<FolderSource> folders;  // the platform's when null
    // Where the pages installed with the program are looked for; the program's own folder
    // when empty.
    QString programFolder{};

    // The running process's environment and the platform's folder source.
    static Sources fromProcess();
};

// Whether the main window loads (chooses Objects, creates its counter) when constructed.
enum class Loading { Now, Later };

// The full path of the file last clicked in the main window's file list. Nothing reads it.
extern QString SelectedFilePath;

// The main window: a category, drive, folder and file selector on the left, the totals and
// the Count button at the top right, the About group at the bottom right. Controls carry
// their names as objectName, so tests find them by name. It loads (selects Objects, creates
// its counter) when constructed.
class frmMain : public QWidget {
    Q_OBJECT
  public:
    // Reads the machine through `sources`. With Loading::Later the window is only laid out:
    // no category chosen, no counter, as before it loads.
    explicit frmMain(Sources sources = Sources::fromProcess(), Loading loading = Loading::Now,
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // The install folder of the copy shown at the last category choice, or "Not Found".
    QString InstallPath() const { return installPath_; }
    // The host folder of the copy the player chose at start, empty when there was no choice.
    QString chosenInstall() const { return QString::fromStdString(chosenFolder_); }
    // The one counter, created on load; owned here and lent to the progress window.
    CFileCounter* counter() const { return counter_.get(); }
    // Whether a count is running.
    bool counting() const { return counting_; }

    // The event handlers, public so that tests can run them as the window does.
    void Form_Load();
    void Option_Click(int row);  // row 0..4 of the category table: Option1_Click ..
    void Drive1_Change();
    void Dir1_Change();
    void cboFiltro_Change();
    void cboFiltro_Click();
    void File1_Click();
    void cmdContar_Click();
    void Command2_Click();
    void Command4_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void selectOption(int row);
    bool showCategory(int row);
    void chooseAmongInstalls();
    void trapped(const char* prefix, const std::function<void()>& step);
    void unloadProgressWindow();
    void countFailed(const std::string& message);
    void showGatheredFailures();

    QString installPath_;
    // The category row whose folder the lists show, -1 before any.
    int shownRow_ = -1;
    std::shared_ptr<const Machine> machine_;
    std::shared_ptr<Places> places_;
    std::string chosenFolder_;
    std::unique_ptr<FolderSource> source_;
    std::unique_ptr<CFileCounter> counter_;
    QPointer<frmInProcess> inProcess_;
    bool counting_ = false;
    bool closeWhenCounted_ = false;
    // The folders the running count could not read, as the counter reported them.
    QStringList countFailures_;
    QString firstAddress_;
    QString secondAddress_;

    QGroupBox* Frame1_;
    QGroupBox* Frame2_;
    QGroupBox* Frame4_;
    QRadioButton* options_[5];
    DriveListBox* Drive1_;
    DirListBox* Dir1_;
    FileListBox* File1_;
    QComboBox* cboFiltro_;
    QLineEdit* txtFiles_;
    QLineEdit* txtDirs_;
    QLineEdit* txtTotalBytes_;
    QLineEdit* txtTotalKBytes_;
    QLineEdit* txtTotalMBytes_;
    QPushButton* cmdContar_;
    QPushButton* Command2_;
    QPushButton* Command4_;
};

}  // namespace brambleton::ui
