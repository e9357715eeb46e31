#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "counting/file_counter.h"
#include "locations/content_category.h"

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

// The full path of the file last clicked in the main window's file list. Nothing reads it.
extern QString SelectedFilePath;

// The main window: a category, drive, folder and file selector on the left, the totals and
// the Count button at the top right, the About group at the bottom right. Controls carry
// their names as objectName, so tests find them by name. It loads (selects Objects, creates
// its counter) when constructed.
class frmMain : public QWidget {
    Q_OBJECT
  public:
    // `source` is the counter's folder source (the platform's when null). With `load` false
    // the window is only laid out: no category chosen, no counter, as before it loads.
    explicit frmMain(QWidget* parent = nullptr, std::unique_ptr<FolderSource> source = nullptr,
                     bool load = true);
    ~frmMain() override;

    // The install folder as the registry gave it at the last category choice, or "Not Found".
    QString InstallPath() const { return installPath_; }
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
    void trapped(const char* prefix, const std::function<void()>& step);
    void unloadProgressWindow();

    QString installPath_;
    std::unique_ptr<FolderSource> source_;
    std::unique_ptr<CFileCounter> counter_;
    QPointer<frmInProcess> inProcess_;
    bool counting_ = false;
    bool closeWhenCounted_ = false;

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
