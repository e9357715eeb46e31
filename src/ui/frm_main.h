// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "actions/changes.h"
#include "counting/file_counter.h"
#include "locations/content_category.h"
#include "locations/machine.h"
#include "ui/background_work.h"

class QComboBox;
class QMenu;
class QSettings;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brambleton::ui {

class CatalogueWindow;
class ChangesWindow;
class InstallWindow;
class LotsWindow;
class ContentCheckWindow;
class DirListBox;
class DriveListBox;
class FileListBox;
class frmInProcess;
class Places;
struct LayoutRow;

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

// Whether the main window loads (creates its counter, finds the game, chooses Objects) when
// constructed, searching for the game before the constructor returns; or later, when
// Form_Load() is called, searching in the background while the window answers.
enum class Loading { Now, Later };

// The full path of the file last clicked in the main window's file list. Nothing reads it.
extern QString SelectedFilePath;

// The main window: a category, drive, folder and file selector on the left, the totals and
// the Count button at the top right, the About group at the bottom right, all in a client
// area of fixed size ("clientArea"); above it a menu bar with the Game and Help menus.
// Controls carry their names as objectName, so tests find them by name.
//
// The Game menu lists the copies of the game found, the one in use checked; "Choose the game
// folder..." takes a folder holding GameData\Behavior.iff, which is remembered between
// starts and listed first; "Look again" searches afresh. The full search (launchers, every
// Wine prefix) runs once at load and on Look again; a category choice reads only the chosen
// folder and the registry afresh and keeps what that search found.
class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    // Reads the machine through `sources`. With Loading::Later the window is only laid out:
    // no category chosen, no counter, as before it loads.
    explicit frmMain(Sources sources, Loading loading = Loading::Now, QWidget* parent = nullptr);
    ~frmMain() override;

    // The install folder of the copy shown at the last category choice, or "Not Found".
    QString InstallPath() const { return installPath_; }
    // The host folder of the copy in use, as chosen at start or from the Game menu; empty
    // when the first copy found is in use.
    QString chosenInstall() const { return inUse_; }
    // The one counter, created on load; owned here and lent to the progress window.
    CFileCounter* counter() const { return counter_.get(); }
    // Whether a count is running.
    bool counting() const { return counting_; }
    // Whether the search for the game is running.
    bool searching() const { return searching_; }

    // The Game menu's commands, public so that tests can run them as the menu does.
    // Makes `folder` the chosen game folder when it holds GameData\Behavior.iff (any case),
    // and switches to it; otherwise says why not. Returns whether it was taken.
    bool chooseGameFolder(const QString& folder);
    // Forgets the chosen folder.
    void forgetGameFolder();
    // Switches to the copy whose host folder is `hostFolder`, as the start-up chooser does.
    void useCopy(const QString& hostFolder);
    // Searches afresh, in the background when the window loaded so.
    void lookAgain();
    // Content > Check my content...: checks the copy in use and shows the report in a window
    // of its own (objectName "contentCheck").
    void checkContent();
    // Content > Catalogue...: the catalogue window of the copy in use, read afresh.
    void showCatalogue();
    // Content > My lots...: which saved lots use the content, and what they miss.
    void showLots();
    // Content > Undo last change: takes back the newest change not yet taken back, in the
    // Changes window (objectName "changes"), which says what it took back.
    void undoLastChange();
    // Content > Changes...: every change made, with Undo on any.
    void showChanges();
    // Content > Install a download...: asks for the downloads, then shows the plan of their
    // install in a window of its own (objectName "install").
    void installDownload();
    // The plan of installing `sources` (archives or folders) into the copy in use.
    void showInstall(const QStringList& sources);
    // Where changes to files are journalled and what is removed goes: the user's data folder
    // of the machine the window reads.
    const actions::WritePlaces& changePlaces() const { return changePlaces_; }

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

  signals:
    // A search for the game has ended and the window shows what it found.
    void searched();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Downloads dropped anywhere on the window are offered for install; the window's layout
    // does not change.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // Whether a scan of the game's folders runs in one of this window's windows.
    bool scanRunning() const;
    // Whether the search, a count or a scan runs: one walk at a time, so every command that
    // starts one (Count, Look again, each Content command) waits, alike, until it ends.
    bool busy() const;
    // The host folder of the copy of the game in use; empty, after saying so, when none.
    QString contentFolder();
    // The UserData folders of the copy in use: the folder chosen in My lots when there is
    // one, else where that copy keeps them.
    std::vector<std::filesystem::path> saveFolders();
    void buildControls();
    QWidget* makeControl(const LayoutRow& row, QWidget* parent);
    void buildMenus();
    void fillGameMenu();
    void askForGameFolder();
    void openPage(const QString& address, const QString& name);
    void startSearch(bool atStart);
    void searchEnded(GameSearch search, bool atStart);
    void presentSearch(bool atStart);
    bool choiceRemembered(const std::vector<GameInstall>& installs) const;
    std::vector<GameInstall> currentInstalls();
    // The copy in use among `installs`: the one chosen, else the first; null when none.
    const GameInstall* installInUse(const std::vector<GameInstall>& installs) const;
    void rememberInUse(const std::vector<GameInstall>& installs);
    void showAgain();
    void selectOption(int row);
    bool showCategory(int row);
    // After the lists could not show category `row`: the choice beside them goes back to the
    // category they show, or to none.
    void keepChoiceOfLists(int row);
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
    std::unique_ptr<QSettings> settings_;
    // The host folder of the copy in use; empty for the first found.
    QString inUse_;
    // The last full search, none before the first has ended.
    std::optional<GameSearch> search_;
    bool searching_ = false;
    bool searchInBackground_ = false;
    BackgroundWork searchWork_{this};
    // The category to show when the search ends: Objects, or one chosen meanwhile.
    int pendingRow_ = 0;
    // What the search ended with that needs the player (a question, the not-found box), kept
    // until the window is on screen.
    std::function<void()> presentWhenShown_;
    QString programFolder_;
    std::unique_ptr<FolderSource> source_;
    std::unique_ptr<CFileCounter> counter_;
    QPointer<frmInProcess> inProcess_;
    QPointer<ContentCheckWindow> contentWindow_;
    QPointer<CatalogueWindow> catalogueWindow_;
    QPointer<LotsWindow> lotsWindow_;
    QPointer<ChangesWindow> changesWindow_;
    QPointer<InstallWindow> installWindow_;
    actions::WritePlaces changePlaces_;
    bool counting_ = false;
    bool closeWhenCounted_ = false;
    // The folders the running count could not read, as the counter reported them.
    QStringList countFailures_;
    QString firstAddress_;
    QString secondAddress_;
    QString firstName_;
    QString secondName_;

    QMenu* gameMenu_;
    QWidget* clientArea_;
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
