// SPDX-License-Identifier: MIT
// The main window's behaviour end to end: a real Wine prefix, a real game tree, the real
// counter, real widgets under the offscreen platform; only the message box is recorded.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "common/runtime_error.h"
#include "content/formats/picture.h"
#include "failing_folder_source.h"
#include "game_prefix.h"
#include "sims_files.h"
#include "ui/app_style.h"
#include "ui/catalogue_window.h"
#include "ui/changes_window.h"
#include "ui/content_actions.h"
#include "ui/content_check_window.h"
#include "ui/file_system_lists.h"
#include "ui/frm_in_process.h"
#include "ui/frm_main.h"
#include "ui/install_window.h"
#include "ui/lots_window.h"
#include "ui/message_box.h"
#include "ui/put_right_window.h"

using namespace brambleton;
using namespace brambleton::ui;
using brambleton::testing::FailingFolderSource;
using brambleton::testing::GamePrefix;
using brambleton::testing::MessageRecorder;

namespace {

// Writes `bytes` to the file `below` the game's folder of `prefix`, making its folders.
void writeGameFile(const GamePrefix& prefix, const QString& below, const std::string& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(prefix.game(below)).path()));
    std::ofstream(std::filesystem::path(prefix.game(below).toStdU16String()), std::ios::binary)
        << bytes;
}

// Every file and folder below `folder`, sorted: what a change must leave as it found it.
QStringList everythingIn(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        files << it.next();
    }
    files.sort();
    return files;
}

const QString kInstallPath = "C:\\Program Files (x86)\\Maxis\\The Sims\\";

template <typename T = QWidget>
T* control(frmMain& w, const char* name) {
    auto* found = w.findChild<T*>(name);
    if (!found) qFatal("no control %s", name);
    return found;
}

QStringList results(frmMain& w) {
    QStringList out;
    for (const char* name :
         {"txtFiles", "txtDirs", "txtTotalBytes", "txtTotalKBytes", "txtTotalMBytes"}) {
        out << control<QLineEdit>(w, name)->text();
    }
    return out;
}

// A drive other than the game's, and the folder the lists show for it: the host's root on
// Linux, Wine's Z: (its link to that root) on Windows.
#ifdef _WIN32
const QString kOtherDrive = QStringLiteral("Z:");
const QString kOtherRoot = QStringLiteral("Z:/");
#else
const QString kOtherDrive = QStringLiteral("/");
const QString kOtherRoot = QStringLiteral("/");
#endif

frmInProcess* progressWindow() {
    for (auto* w : QApplication::topLevelWidgets()) {
        if (auto* p = qobject_cast<frmInProcess*>(w)) return p;
    }
    return nullptr;
}

// A home holding only Steam with the Legacy Collection in its default library.
struct SteamHome {
    brambleton::testing::TempTree tree;
    SteamHome() {
        const std::string game = ".local/share/Steam/steamapps/common/The Sims Legacy Collection/";
        tree.text(".local/share/Steam/steamapps/appmanifest_3314060.acf",
                  "\"AppState\"\n{\n\t\"appid\"\t\t\"3314060\"\n"
                  "\t\"installdir\"\t\t\"The Sims Legacy Collection\"\n}\n");
        tree.build("f " + game + "GameData/Behavior.iff 10\n" + "f " + game +
                   "Downloads/a.iff 1024\n" + "f " + game + "Downloads/Set/b.IFF 2048\n" + "f " +
                   game + "Downloads/Set/notes.txt 9\n" + "f " + game +
                   "GameData/FLOORS/oak.flr 5\n");
    }
    QString game(const QString& below = {}) const {
        const auto root = QString::fromStdString(
            tree.path(".local/share/Steam/steamapps/common/The Sims Legacy Collection"));
        return below.isEmpty() ? root : root + "/" + below;
    }
    Sources sources() const {
        HostEnvironment environment;
        environment.home = tree.root();
        environment.winePrefix = tree.path(".wine");
        return {std::make_shared<Machine>(environment), nullptr};
    }
};

// Answers the start-up chooser with its first copy whenever it comes up, and counts how
// often it did.
struct ChooserWatch {
    int asked = 0;
    QTimer timer;
    ChooserWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != QLatin1String("chooseInstall")) return;
            ++asked;
            QMetaObject::invokeMethod(dialog, "accept");
        });
        timer.start(0);
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        setUpApplication();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void loadsOnObjects() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
        QCOMPARE(w.InstallPath(), kInstallPath);
        QCOMPARE(control<DriveListBox>(w, "Drive1")->Drive(), QStringLiteral("C:"));
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(), prefix.game("Downloads"));
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), prefix.game("Downloads"));
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*.IFF"));
        auto* filter = control<QComboBox>(w, "cboFiltro");
        QCOMPARE(filter->currentText(), QStringLiteral("*.IFF"));
        QStringList offered;
        for (int i = 0; i < filter->count(); ++i) offered << filter->itemText(i);
        QCOMPARE(offered,
                 (QStringList{"*.IFF", "*.FLR", "*.WLL", "*.skn;*.bmp;*.cmx", "*.bmp", "*.*"}));
        QVERIFY(w.counter());
        QCOMPARE(messages.texts, QStringList());
    }

    void eachCategoryPointsTheLists_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("Objects") << "Option1"
                                 << "Downloads"
                                 << "*.IFF";
        QTest::newRow("Floors") << "Option2"
                                << "GameData/Floors"
                                << "*.FLR";
        QTest::newRow("Walls") << "Option3"
                               << "GameData/Walls"
                               << "*.WLL";
        QTest::newRow("Skins") << "Option4"
                               << "GameData/Skins"
                               << "*.skn;*.bmp;*.cmx";
        QTest::newRow("Roofs") << "Option5"
                               << "GameData/Roofs"
                               << "*.bmp";
    }
    void eachCategoryPointsTheLists() {
        QFETCH(QString, option);
        QFETCH(QString, folder);
        QFETCH(QString, pattern);
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        // From another drive first: the category must still end on its own folder.
        control<DriveListBox>(w, "Drive1")->setDrive(kOtherDrive);
        QTest::mouseClick(control<QRadioButton>(w, option.toLatin1()), Qt::LeftButton);
        QVERIFY(control<QRadioButton>(w, option.toLatin1())->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), prefix.game(folder));
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), pattern);
        QCOMPARE(control<DriveListBox>(w, "Drive1")->Drive(), QStringLiteral("C:"));
        // The pattern box shows the pattern's start, however long it is.
        QCOMPARE(control<QComboBox>(w, "cboFiltro")->lineEdit()->cursorPosition(), 0);
        QCOMPARE(messages.texts, QStringList());
    }

    void aMissingCategoryFolderIsSaidOnce() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        QVERIFY(QDir(prefix.game("GameData/Roofs")).removeRecursively());
        // While the box is up, the choice beside the lists already names what they show.
        bool floorsBesideTheBox = false;
        messages.onMessage = [&] {
            floorsBesideTheBox = control<QRadioButton>(w, "Option2")->isChecked() &&
                                 !control<QRadioButton>(w, "Option5")->isChecked();
        };
        QTest::mouseClick(control<QRadioButton>(w, "Option5"), Qt::LeftButton);
        QVERIFY(floorsBesideTheBox);
        QCOMPARE(messages.texts.size(), 1);
        const QString& text = messages.texts.first();
        // Its reason, where the folder map gives one, follows without the path again.
        QVERIFY2(text.startsWith("The Roofs folder C:\\") && text.contains(" could not be found") &&
                     text.count("GameData\\Roofs") == 1 && !text.contains("Path not found"),
                 qPrintable(text));
        // The lists stay on Floors, and so does the choice beside them.
        QVERIFY(control<QRadioButton>(w, "Option2")->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), prefix.game("GameData/Floors"));
    }

    void aDriveThePlayerPicksStays() {
        GamePrefix prefix;
        frmMain w(prefix.sources());
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        control<DriveListBox>(w, "Drive1")->setDrive(kOtherDrive);
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(), kOtherRoot);
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), kOtherRoot);
        QVERIFY(control<QRadioButton>(w, "Option2")->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*.FLR"));
    }

    void countShowsTheFiveTotals() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        QTest::mouseClick(control<QPushButton>(w, "cmdContar"), Qt::LeftButton);
        QCOMPARE(results(w), (QStringList{"2", "1", "1,572,864", "1,536.0", "1.5"}));
        QCOMPARE(messages.texts, QStringList());
        QVERIFY2(!progressWindow(), "the progress window is unloaded");
        QVERIFY2(!QApplication::overrideCursor(), "the pointer is restored");
        QVERIFY(!w.counting());
        QVERIFY2(!w.counter()->Cancel(), "the flag stays unset");
    }

    void cancelDuringACount() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        // The hourglass stands over the main window and its boxes, not over Cancel.
        QList<Qt::CursorShape> during;
        QTimer::singleShot(0, &w, [&] {
            auto* cancel = progressWindow()->findChild<QPushButton*>("cmdCancel");
            during = {w.cursor().shape(), control(w, "txtFiles")->cursor().shape(),
                      cancel->cursor().shape()};
            QVERIFY(!QApplication::overrideCursor());
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        w.cmdContar_Click();
        QCOMPARE(during, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor, Qt::ArrowCursor}));
        QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(control(w, "txtFiles")->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(messages.texts, QStringList{"Action Canceled by User"});
        QCOMPARE(messages.titles, QStringList{"Cancel Action"});
        QCOMPARE(results(w), (QStringList{"0", "0", "0", "0.0", "0.0"}));
        QVERIFY(!w.counter()->Cancel());
        QVERIFY2(!progressWindow(), "the progress window is unloaded");
        w.cmdContar_Click();
        QCOMPARE(results(w), (QStringList{"2", "1", "1,572,864", "1,536.0", "1.5"}));
    }

    void startsUsableWithoutTheGame() {
        GamePrefix prefix("fresh/system.min.reg");
        MessageRecorder messages;
        frmMain w(prefix.sources());
        QCOMPARE(w.InstallPath(), QStringLiteral("Not Found"));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains("SIMS_DATA"));
        QVERIFY(messages.texts[0].contains("Software\\Maxis\\The Sims"));
#ifndef _WIN32
        QVERIFY(messages.texts[0].contains(QString::fromStdString(prefix.tree.path())));
#endif
        QVERIFY(messages.texts[0].contains("Choose the game folder"));
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(), prefix.home());
        QVERIFY(!control<QRadioButton>(w, "Option1")->isChecked());
        w.cmdContar_Click();
        QCOMPARE(results(w), (QStringList{"0", "0", "0", "0.0", "0.0"}));
        // Later choices say it in one line, and the lists stay.
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        QCOMPARE(messages.texts.size(), 2);
        QVERIFY(!messages.texts[1].contains('\n'));
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(), prefix.home());
    }

    // Loaded as the program loads it, the not-found box waits until the window it is about
    // is on screen.
    void theNotFoundBoxWaitsForTheWindow() {
        GamePrefix prefix("fresh/system.min.reg");
        MessageRecorder messages;
        frmMain w(prefix.sources(), Loading::Later);
        QSignalSpy searched(&w, &frmMain::searched);
        w.Form_Load();
        QVERIFY(searched.wait(10000));
        QCOMPARE(messages.texts, QStringList());
        w.show();
        QTRY_COMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith("The Sims was not found."));
    }

    void aMissingCategoryFolderLeavesTheLists() {
        GamePrefix prefix;
        std::filesystem::remove_all(prefix.game("GameData/Floors").toStdString());
        MessageRecorder messages;
        frmMain w(prefix.sources());
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains("GameData\\Floors"));
        QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), prefix.game("Downloads"));
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*.IFF"));
    }

    void anUnreadableFolderCostsOneMessage() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources(
            std::make_unique<FailingFolderSource>(std::vector<std::string>{"Sets"})));
        w.cmdContar_Click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith("error en ContadorDeArchivos.ContarArchivos() ; "));
        QCOMPARE(results(w), (QStringList{"1", "1", "1,048,576", "1,024.0", "1.0"}));
    }

    void countWhileCountingDoesNothing() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        bool nested = false;
        QTimer::singleShot(0, &w, [&] {
            nested = w.counting();
            w.cmdContar_Click();
        });
        w.cmdContar_Click();
        QVERIFY2(nested, "the second Count arrived during the first");
        QCOMPARE(results(w), (QStringList{"2", "1", "1,572,864", "1,536.0", "1.5"}));
        QCOMPARE(messages.texts, QStringList());
    }

    void closingDuringACountCancelsAndCloses() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        bool nested = false;
        QTimer::singleShot(0, &w, [&] {
            nested = w.counting();
            w.close();
        });
        w.cmdContar_Click();
        QVERIFY2(nested, "the close arrived during the count");
        QVERIFY(!w.isVisible());
        QVERIFY(!progressWindow());
        QCOMPARE(messages.texts, QStringList());
    }

    // The check runs on a thread of its own: closing the main window stops it and waits for
    // it, and nothing of it shows afterwards.
    void closingDuringACheckStopsItAndCloses() {
        GamePrefix prefix;
        for (int folder = 0; folder < 50; ++folder) {
            const QString set = prefix.game(QStringLiteral("Downloads/Set %1").arg(folder));
            QVERIFY(QDir().mkpath(set));
            for (int file = 0; file < 20; ++file) {
                std::ofstream((set + QStringLiteral("/chair %1.iff").arg(file)).toStdString())
                    << "chair";
            }
        }
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        w.findChild<QAction*>("checkContent")->trigger();
        auto* window = w.findChild<ContentCheckWindow*>("contentCheck");
        QVERIFY(window && window->scanning());
        QVERIFY(progressWindow());
        w.close();
        QVERIFY(!w.isVisible());
        QVERIFY(!window->scanning());
        QVERIFY(!progressWindow());
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(messages.texts, QStringList());
    }

    // One walk at a time: while a check runs, every command that starts one waits alike (the
    // catalogue, the lots, Count, Look again), and the Content menu shows them greyed; once
    // the check has ended, they start again.
    void commandsWaitAlikeWhileAScanRuns() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        w.findChild<QAction*>("checkContent")->trigger();
        auto* check = w.findChild<ContentCheckWindow*>("contentCheck");
        QVERIFY(check && check->scanning());
        QSignalSpy ended(check, &ScanWindow::scanEnded);
        w.findChild<QAction*>("catalogue")->trigger();
        w.findChild<QAction*>("myLots")->trigger();
        w.cmdContar_Click();
        w.lookAgain();
        QVERIFY(!w.findChild<CatalogueWindow*>());
        QVERIFY(!w.findChild<LotsWindow*>());
        QVERIFY(!w.counting() && !w.searching());
        auto* menu = w.findChild<QMenu*>("contentMenu");
        emit menu->aboutToShow();
        for (auto* action : menu->actions()) QVERIFY(!action->isEnabled());
        QVERIFY(ended.wait(20000));
        emit menu->aboutToShow();
        // All but Undo, which waits for a change to take back.
        for (auto* action : menu->actions()) {
            QCOMPARE(action->isEnabled(), action->objectName() != QStringLiteral("undoLastChange"));
        }
        w.findChild<QAction*>("catalogue")->trigger();
        QVERIFY(w.findChild<CatalogueWindow*>());
    }

    void clickingAFileOnlyRemembersIt() {
        GamePrefix prefix;
        frmMain w(prefix.sources());
        w.show();
        auto* files = control<FileListBox>(w, "File1");
        QTRY_VERIFY(!files->reading());
        const QStringList before = results(w);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
        QCOMPARE(SelectedFilePath, QDir::toNativeSeparators(prefix.game("Downloads/chair.iff")));
        QCOMPARE(results(w), before);
    }

    void pickingAFilterPattern() {
        GamePrefix prefix;
        frmMain w(prefix.sources());
        auto* filter = control<QComboBox>(w, "cboFiltro");
        filter->setCurrentIndex(5);
        emit filter->activated(5);
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*.*"));
        w.cmdContar_Click();
        QCOMPARE(results(w)[0], QStringLiteral("3"));
        // The box lies over the list: no row is drawn behind it, and its tip holds the whole
        // pattern its width cuts.
        auto* list = control<FileListBox>(w, "File1");
        const QRect rows(list->viewport()->mapTo(filter->parentWidget(), QPoint(0, 0)),
                         list->viewport()->size());
        QVERIFY(!rows.intersects(filter->geometry()));
        filter->setCurrentIndex(3);
        emit filter->activated(3);
        QCOMPARE(filter->toolTip(), filter->currentText());
    }

    // Three unreadable folders cost a box each; the rest are gathered into one box at the end.
    // While a box is up the progress window's Cancel still stops the count.
    void unreadableFoldersBeyondTheThirdAreGathered() {
        GamePrefix prefix;
        std::vector<std::string> failing;
        for (int i = 0; i < 10; ++i) {
            failing.push_back("bad" + std::to_string(i));
            prefix.tree.folder("home/tree/" + failing.back());
        }
        const QString tree = QDir::cleanPath(QString::fromStdString(prefix.tree.path("home/tree")));
        for (const bool cancelAtFirstBox : {false, true}) {
            QStringList texts;
            bool progressUsable = false;
            frmMain w(prefix.sources(std::make_unique<FailingFolderSource>(failing)));
            setMessageHook([&](const QString& text, const QString&) {
                texts << text;
                if (!cancelAtFirstBox || texts.size() > 1) return;
                auto* progress = progressWindow();
                progressUsable = progress && progress->isVisible() && progress->isEnabled();
                QTest::mouseClick(progress->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
            });
            control<DirListBox>(w, "Dir1")->setPath(tree);
            w.cmdContar_Click();
            setMessageHook({});
            const QString prefixText = "error en ContadorDeArchivos.ContarArchivos() ; ";
            if (cancelAtFirstBox) {
                QVERIFY(progressUsable);
                QCOMPARE(texts.size(), 2);
                QVERIFY(texts[0].startsWith(prefixText));
                QCOMPARE(texts[1], QStringLiteral("Action Canceled by User"));
                continue;
            }
            QCOMPARE(texts.size(), 4);
            for (int i = 0; i < 3; ++i)
                QVERIFY(texts[i].startsWith(prefixText + "Permission denied"));
            const QStringList summary = texts[3].split('\n');
            QCOMPARE(summary.size(), 7);
            QCOMPARE(summary[0],
                     QStringLiteral("7 more folders could not be read and were left out "
                                    "of the count:"));
            for (int i = 1; i <= 5; ++i) {
                QVERIFY2(QDir::fromNativeSeparators(summary[i])
                             .startsWith("Permission denied: " + tree + "/bad"),
                         qPrintable(summary[i]));
            }
            QCOMPARE(summary[6], QStringLiteral("and 2 more."));
            QCOMPARE(results(w), (QStringList{"0", "10", "0", "0.0", "0.0"}));
        }
    }

    // While a count runs the category buttons and lists take no input, so the totals shown
    // belong to the folder the lists show; Count is pressed by Enter and Space as by a click.
    void theSelectorWaitsForTheCountAndKeysPressCount() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        bool selectorEnabled = true;
        QTimer::singleShot(0, &w, [&] {
            selectorEnabled = control<QGroupBox>(w, "Frame1")->isEnabled();
            QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        });
        w.cmdContar_Click();
        QVERIFY(!selectorEnabled);
        QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), prefix.game("Downloads"));
        QVERIFY(control<QGroupBox>(w, "Frame1")->isEnabled());
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            auto* count = control<QPushButton>(w, "cmdContar");
            control<QLineEdit>(w, "txtFiles")->clear();
            count->setFocus();
            QTest::keyClick(count, key);
            QCOMPARE(results(w)[0], QStringLiteral("2"));
        }
        QCOMPARE(messages.texts, QStringList());
    }

    void typingInTheFilterStandsAsTyped() {
        GamePrefix prefix;
        frmMain w(prefix.sources());
        w.show();
        auto* filter = control<QComboBox>(w, "cboFiltro");
        filter->setFocus();
        filter->lineEdit()->selectAll();
        QTest::keyClicks(filter, "*");
        QCOMPARE(filter->currentText(), QStringLiteral("*"));
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*"));
    }

    // Each trapped handler's box: its prefix, the error number, CR LF and the description,
    // under the application's title. The failures are real: a home that does not exist, a
    // folder or drive removed while shown.
    void trappedHandlersShowTheirTexts() {
        GamePrefix prefix;
        MessageRecorder messages;
        {
            HostEnvironment gone;
            gone.home = prefix.tree.path("no such home");
            gone.winePrefix = prefix.tree.path();
            frmMain w(Sources{std::make_shared<Machine>(gone), nullptr});
            QVERIFY2(messages.texts.value(0).startsWith(
                         "Error en frmMain.Form_Load ; 76\r\nPath not found: " +
                         QString::fromStdString(gone.home.string())),
                     qPrintable(messages.texts.value(0)));
            QVERIFY2(control<QRadioButton>(w, "Option1")->isChecked(), "the load goes on");
        }
        prefix.tree.folder("home/shown");
        const QString shown =
            QDir::cleanPath(QString::fromStdString(prefix.tree.path("home/shown")));
#ifndef _WIN32
        // A drive of the prefix whose folder goes away while the window is open.
        prefix.tree.folder("drive_d");
        prefix.tree.link("dosdevices/d:", "../drive_d");
#endif
        frmMain w(prefix.sources());
        auto* drives = control<DriveListBox>(w, "Drive1");
        control<DirListBox>(w, "Dir1")->setPath(shown);
        // Windows keeps a folder that is being listed from being removed.
        QTRY_VERIFY(!control<DirListBox>(w, "Dir1")->reading() &&
                    !control<FileListBox>(w, "File1")->reading());
        std::filesystem::remove(prefix.tree.path("home/shown"));
        messages.texts.clear();
        messages.titles.clear();

        w.Dir1_Change();
        control<QComboBox>(w, "cboFiltro")->setEditText("*.FAR");
        w.cboFiltro_Click();
        const QString gone = "76\r\nPath not found: " + shown;
        QStringList expected{
            "Error en frmMain.Dir1_Change ; " + gone,
            "Error en frmMain.cboFiltro_Change ; " + gone,
            "Error en frmMain.cboFiltro_Click ; " + gone,
        };
#ifndef _WIN32
        std::filesystem::remove(prefix.tree.path("drive_d"));
        emit drives->activated(drives->findData("D:"));
        expected << "Error en frmMain.Drive1_Change ; 68\r\nDevice unavailable: D: is not a drive "
                    "of the Wine prefix " +
                        QString::fromStdString(prefix.tree.path());
        QCOMPARE(drives->Drive(), QStringLiteral("/"));
#else
        Q_UNUSED(drives);  // Windows offers no drive a test can take away
#endif
        QCOMPARE(messages.texts, expected);
        QCOMPARE(messages.titles, QStringList(expected.size(), QStringLiteral("Brambleton")));
    }

    // A failure the counter does not handle ends the Count handler with its box, and leaves
    // the window as it was before the count: pointer, progress window and selector restored.
    void countHandlerFailure() {
        struct Unexpected {};
        struct ThrowingSource final : FolderSource {
            void open(std::size_t, const std::string&, const std::string&) override {
                throw Unexpected{};
            }
            void read(const std::string&, const FilePattern&, FolderListing&) override {}
            char separator() const noexcept override { return '/'; }
        };
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources(std::make_unique<ThrowingSource>()));
        w.show();
        w.cmdContar_Click();
        QCOMPARE(messages.texts, QStringList{"Holy Crap, you found an Error!"});
        QCOMPARE(messages.titles, QStringList{"Brambleton"});
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!progressWindow());
        QVERIFY(control<QGroupBox>(w, "Frame1")->isEnabled());
        QVERIFY(!w.counting());
    }

    void anEmptyFolderCountsWithoutABox() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        control<DirListBox>(w, "Dir1")->setPath(prefix.home());
        w.cmdContar_Click();
        QCOMPARE(results(w), (QStringList{"0", "0", "0", "0.0", "0.0"}));
        QCOMPARE(messages.texts, QStringList());
    }

    void choosingTheSameCategoryReadsTheRegistryAgain() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        QCOMPARE(w.InstallPath(), kInstallPath);
        prefix.useFixture("fresh/system.min.reg");
        QTest::mouseClick(control<QRadioButton>(w, "Option1"), Qt::LeftButton);
        QCOMPARE(w.InstallPath(), QStringLiteral("Not Found"));
        QCOMPARE(messages.texts.size(), 1);
    }

    // With no browser to start, a link button (and the Help menu's entry) says which page
    // could not be opened, and the window stays usable: whether no opener can be run at all
    // or the opener runs and finds no browser, as xdg-open does on a desktop without one.
    void aLinkThatCannotOpenSaysSoAndLeavesTheWindowUsable() {
#ifdef _WIN32
        QSKIP("the Windows shell always has a handler for a page, which a test must not start");
#endif
        GamePrefix prefix;
        prefix.tree.text("bin/user-guide.html", "<html></html>");
        prefix.tree.text("bin/licence.html", "<html></html>");
        prefix.tree.text("opener/xdg-open", "#!/bin/sh\necho 'no method available' >&2\nexit 3\n");
        QFile::setPermissions(QString::fromStdString(prefix.tree.path("opener/xdg-open")),
                              QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        for (const char* folder : {"empty", "opener"}) {
            MessageRecorder messages;
            frmMain w(prefix.sources(nullptr, QString::fromStdString(prefix.tree.path("bin"))));
            qputenv("PATH", QByteArray::fromStdString(prefix.tree.path(folder)));
            QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(w, "Command4"), Qt::LeftButton);
            w.findChild<QAction*>("userGuide")->trigger();
            QTRY_COMPARE(messages.texts.size(), 3);
            qputenv("PATH", path);
            QVERIFY2(messages.texts.filter("user-guide.html").size() == 2, folder);
            QVERIFY2(messages.texts.filter("licence.html").size() == 1, folder);
            w.cmdContar_Click();
            QCOMPARE(results(w)[0], QStringLiteral("2"));
        }
    }

    // A new player's home as Steam leaves it: the Legacy Collection in a Steam library, no
    // Wine prefix and no registry value anywhere. Handed in, so the process's HOME is not used.
    void opensOnTheLegacyCollectionOfASteamOnlyHome() {
#ifdef _WIN32
        QSKIP("Steam's Linux folders; the Windows build finds Steam through the registry");
#endif
        SteamHome home;
        MessageRecorder messages;
        frmMain w(home.sources());
        QCOMPARE(messages.texts, QStringList());
        QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
        QCOMPARE(w.InstallPath(), home.game() + "/");
        QCOMPARE(control<DriveListBox>(w, "Drive1")->Drive(), QStringLiteral("/"));
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("Downloads"));
        w.cmdContar_Click();
        QCOMPARE(results(w), (QStringList{"2", "1", "3,072", "3.0", "0.0"}));
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("GameData/FLOORS"));
        QCOMPARE(messages.texts.join("|"), QString());
    }

    void asksOnceWhichOfTwoCopiesToShow() {
#ifdef _WIN32
        QSKIP("a Wine prefix beside Steam's Linux folders: a Linux home");
#endif
        SteamHome home;
        home.tree.build(
            "l .wine/dosdevices/c: -> ../drive_c\n"
            "f .wine/drive_c/Program Files (x86)/Maxis/The Sims/Downloads/one.iff 5\n"
            "f .wine/drive_c/Program Files (x86)/Maxis/The Sims/GameData/Floors/f.flr 1\n");
        std::filesystem::copy_file(std::string(BRAMBLETON_FIXTURES) + "/a_sz_32bit/system.min.reg",
                                   home.tree.path(".wine/system.reg"));
        MessageRecorder messages;
        QStringList offered;
        int asked = 0;
        auto pickSecond = [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != QLatin1String("chooseInstall")) return;
            ++asked;
            auto* list = dialog->findChild<QListWidget*>("installs");
            for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
            QCOMPARE(list->currentRow(), 0);
            list->setCurrentRow(1);
            QMetaObject::invokeMethod(dialog, "accept");
        };
        QTimer::singleShot(0, pickSecond);
        frmMain w(home.sources());
        QCOMPARE(asked, 1);
        QCOMPARE(offered.size(), 2);
        QVERIFY(offered[0].startsWith("C:\\Program Files (x86)\\Maxis\\The Sims\\"));
        QVERIFY(offered[0].contains("SIMS_DATA"));
        QVERIFY(offered[1].contains("Steam library"));
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("Downloads"));
        // The choice holds for every later category.
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("GameData/FLOORS"));
        QCOMPARE(asked, 1);
        QCOMPARE(messages.texts.join("|"), QString());
    }

    // A folder chosen from the Game menu must hold the game; it is remembered, comes first
    // and is used at the next start without asking, until it is forgotten.
    void aChosenGameFolderIsRememberedUntilForgotten() {
#ifdef _WIN32
        QSKIP("Steam's Linux folders; the Windows build finds Steam through the registry");
#endif
        SteamHome home;
        home.tree.build(
            "f .hidden games/My Sims/GameData/Behavior.iff 10\n"
            "f .hidden games/My Sims/Downloads/mine.iff 7\n"
            "d .hidden games/My Sims/GameData/Floors\n"
            "d Empty\n");
        const QString mine = QString::fromStdString(home.tree.path(".hidden games/My Sims"));
        MessageRecorder messages;
        ChooserWatch chooser;
        {
            frmMain w(home.sources());
            QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("Downloads"));
            QVERIFY(!w.chooseGameFolder(QString::fromStdString(home.tree.path("Empty"))));
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY(messages.texts[0].contains("GameData\\Behavior.iff"));
            // The folder that holds the game will do: the copy below it is chosen.
            QVERIFY(w.chooseGameFolder(QString::fromStdString(home.tree.path(".hidden games"))));
            QCOMPARE(control<FileListBox>(w, "File1")->Path(), mine + "/Downloads");
            w.findChild<QMenu*>("gameMenu")->aboutToShow();
            const auto copies = w.findChildren<QAction*>("gameCopy");
            QCOMPARE(copies.size(), 2);
            QCOMPARE(copies[0]->data().toString(), mine);
            QVERIFY(copies[0]->isChecked());
            QVERIFY(copies[0]->text().contains("chosen in Brambleton"));
            // The copy's own name and its launcher stand whole; the path is in the tip.
            QVERIFY(copies[0]->text().startsWith("My Sims"));
            QVERIFY(copies[1]->text().contains("Steam library"));
            QVERIFY(copies[1]->toolTip().contains(home.game()));
        }
        {
            frmMain w(home.sources());
            QCOMPARE(control<FileListBox>(w, "File1")->Path(), mine + "/Downloads");
            QTest::mouseClick(control<QPushButton>(w, "cmdContar"), Qt::LeftButton);
            QCOMPARE(control<QLineEdit>(w, "txtFiles")->text(), QStringLiteral("1"));
            QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
            w.useCopy(home.game());
            // Another copy's totals are not this one's.
            QCOMPARE(control<QLineEdit>(w, "txtFiles")->text(), QString());
            QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("GameData/FLOORS"));
            w.useCopy(mine);
            w.forgetGameFolder();
            QCOMPARE(w.InstallPath(), home.game() + "/");
        }
        frmMain w(home.sources());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("Downloads"));
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(chooser.asked, 0);
    }

    // Loaded later, as the program does, the search runs while the window answers: the lists
    // stay in the home folder and a category chosen meanwhile is shown when the game is found.
    void theSearchRunsWhileTheWindowAnswers() {
#ifdef _WIN32
        QSKIP("Steam's Linux folders; the Windows build finds Steam through the registry");
#endif
        SteamHome home;
        MessageRecorder messages;
        frmMain w(home.sources(), Loading::Later);
        QSignalSpy searched(&w, &frmMain::searched);
        w.Form_Load();
        QVERIFY(w.searching());
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(),
                 QDir::cleanPath(QString::fromStdString(home.tree.root().string())));
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        QVERIFY(searched.wait(10000));
        QVERIFY(!w.searching());
        QVERIFY(control<QRadioButton>(w, "Option2")->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("GameData/FLOORS"));
        w.lookAgain();
        QVERIFY(searched.wait(10000));
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), home.game("GameData/FLOORS"));
        QCOMPARE(messages.texts, QStringList());
    }

    // Content > Check my content... checks the copy in use and shows each area and every
    // problem; the report saves as JSON and as a page; Cancel stops it as it stops a count.
    void checkMyContentShowsTheReport() {
        GamePrefix prefix;
        std::ofstream(prefix.game("Downloads/chair.iff.bak").toStdString()) << "old";
        // A name that would turn the rest of its row backwards.
        QFile odd(prefix.game(QStringLiteral("Downloads/sofa\u202e.iff.bak")));
        QVERIFY(odd.open(QIODevice::WriteOnly) && odd.write("old") == 3);
        odd.close();
        QVERIFY(QDir().mkpath(prefix.game("GameData/Skins/Set")));
        std::ofstream(prefix.game("GameData/Skins/Set/arm.skn").toStdString()) << "arm";
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("checkContent")->trigger();
        auto* window = w.findChild<ContentCheckWindow*>("contentCheck");
        QVERIFY(window);
        QSignalSpy ended(window, &ContentCheckWindow::scanEnded);
        // The check runs on its own thread: the window answers meanwhile, and Count waits.
        QVERIFY(window->scanning());
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.last().at(0).toBool(), true);
        QVERIFY(window->isVisible());
        auto* areas = window->findChild<QTreeWidget*>("areas");
        QVERIFY(areas->topLevelItem(0)->text(0).startsWith("Objects"));
        QCOMPARE(areas->topLevelItem(0)->text(1), QStringLiteral("2"));
        QCOMPARE(areas->topLevelItem(0)->childCount(), 2);  // the objects, Downloads/Sets
        QCOMPARE(areas->topLevelItem(0)->child(0)->text(0), QStringLiteral("2 objects"));
        auto* problems = window->findChild<QTreeWidget*>("problems");
        QStringList kinds;
        for (int i = 0; i < problems->topLevelItemCount(); ++i) {
            const auto* group = problems->topLevelItem(i);
            kinds << group->data(0, ContentCheckWindow::kKindRole).toString();
            // A heading a player reads, with its count, never the raw kind.
            QVERIFY(group->text(0).endsWith(QStringLiteral(": %1").arg(group->childCount())));
            QVERIFY(!group->text(0).contains(kinds.last()));
        }
        // The prefix's content files are zeros, not what their names say.
        QCOMPARE(kinds, (QStringList{"unread-subfolder", "ignored-name", "bad-file"}));
        QCOMPARE(problems->topLevelItem(2)->childCount(), 4);
        const auto* ignored = problems->topLevelItem(1);
        QCOMPARE(ignored->childCount(), 2);
        QVERIFY(ignored->child(1)->text(0).contains(QStringLiteral("sofa\\u202e.iff.bak")));
        // A path too long for its column is cut in the middle: rows of one folder still
        // differ by the file's name.
        for (int i = 0; i < ignored->childCount(); ++i) {
            const QString path = ignored->child(i)->text(0);
            const QString shown = problems->fontMetrics().elidedText(
                path, problems->textElideMode(), problems->columnWidth(0) / 3);
            QVERIFY2(
                shown != path && shown.startsWith(path.left(3)) && shown.endsWith(path.right(3)),
                qPrintable(shown));
        }
        QVERIFY(!ignored->child(1)->text(1).contains(QChar(0x202e)));
        QCOMPARE(messages.texts, QStringList());
        // The selected problem's sentence stands whole below the list.
        problems->setCurrentItem(ignored->child(0));
        QCOMPARE(window->findChild<QLabel*>("details")->text().section('\n', 1, 1),
                 ignored->child(0)->text(1));

        const QString json = QString::fromStdString(prefix.tree.path("report.json"));
        const QString page = QString::fromStdString(prefix.tree.path("report.html"));
        QVERIFY(window->saveReport(json));
        QVERIFY(window->saveReport(page));
        QFile saved(json);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray savedJson = saved.readAll();
        QVERIFY(savedJson.contains("\"kind\":\"ignored-name\""));
        // Paths from the game's folder: what is posted names no folder above it.
        QVERIFY2(savedJson.contains("\"path\":\"Downloads"), savedJson.left(600).constData());
        QVERIFY(!savedJson.contains(prefix.game("Downloads").toUtf8()));
        QVERIFY(!window->saveReport(QString::fromStdString(prefix.tree.path("no/such/x.html"))));
        QCOMPARE(messages.texts.size(), 1);

        // Check again cancelled: said in the window, whose old report goes.
        QVERIFY(window->scan(prefix.game()));
        QTest::mouseClick(progressWindow()->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        QVERIFY(!window->scan(prefix.game()));  // one at a time
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.last().at(0).toBool(), false);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(!window->report());
        QCOMPARE(problems->topLevelItemCount(), 0);
        QVERIFY(window->findChild<QPushButton*>("saveReport")->isEnabled() == false);
        QVERIFY(window->scan(prefix.game()));
        QVERIFY(ended.wait(20000));
        QVERIFY(window->report());

        // Save report...: an ending typed decides the format; a name typed without one
        // takes the chosen type's.
        const struct {
            int filter;  // 0 the page, 1 JSON
            const char* typed;
            const char* written;
            const char* starts;
        } kSaves[] = {{1, "typed", "typed.json", "{\"install\""},
                      {0, "forum.json", "forum.json", "{\"install\""},
                      {1, "mixed.html", "mixed.html", "<!DOCTYPE html>"}};
        for (const auto& save : kSaves) {
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog) return;
                dialog->selectNameFilter(dialog->nameFilters().at(save.filter));
                dialog->selectFile(QString::fromStdString(prefix.tree.path(save.typed)));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            QTest::mouseClick(window->findChild<QPushButton*>("saveReport"), Qt::LeftButton);
            QFile typed(QString::fromStdString(prefix.tree.path(save.written)));
            QVERIFY2(typed.open(QIODevice::ReadOnly), save.written);
            QVERIFY2(typed.readAll().startsWith(save.starts), save.written);
            QVERIFY(!QFile::exists(QString::fromStdString(prefix.tree.path(save.written)) +
                                   (save.filter ? ".json" : ".html")));
        }

        // Closed while Check again runs, the window stops the check.
        QVERIFY(window->scan(prefix.game()));
        window->close();
        QVERIFY(!window->scanning());
        QVERIFY(!progressWindow());
        window->show();

        // Enter presses the focused button, Escape closes the window.
        auto* closeButton = window->findChild<QPushButton*>("close");
        closeButton->setFocus();
        QTest::keyClick(closeButton, Qt::Key_Return);
        QVERIFY(!window->isVisible());
        window->show();
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    // A catalogue picture that is not one (a web page, a picture cut short, a header that
    // claims 60,000 pixels a side) shows the placeholder, and nothing else happens.
    void aBrokenCataloguePictureShowsThePlaceholder() {
        using brambleton::testing::bmpFile;
        using brambleton::testing::catalogueObject;
        using brambleton::testing::iffChunk;
        std::string huge = bmpFile(4);
        huge.replace(18, 8, std::string("\x60\xea\0\0\x60\xea\0\0", 8));
        const std::pair<const char*, std::string> pictures[] = {
            {"page", "<html><body>404</body></html>"},
            {"cut", bmpFile(32).substr(0, 300)},
            {"huge", huge},
        };
        GamePrefix prefix;
        for (const auto& [name, bytes] : pictures) {
            std::ofstream(prefix.game(QStringLiteral("Downloads/%1.iff").arg(name)).toStdString(),
                          std::ios::binary)
                << catalogueObject(0x200, std::string("bad ") + name, "", 1, 1) +
                       iffChunk("BMP_", 1, bytes);
        }
        MessageRecorder messages;
        CatalogueWindow window;
        QSignalSpy ended(&window, &CatalogueWindow::scanEnded);
        QVERIFY(window.scan(prefix.game()));
        QVERIFY(ended.wait(20000));
        auto& model = window.model();
        int rows = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.item(row).name && model.item(row).name->starts_with("bad ")) {
                ++rows;
                (void)model.index(row, CatalogueModel::kName).data(Qt::DecorationRole);
            }
        }
        QCOMPARE(rows, 3);
        // The web page has no picture's header, so no picture is even read for it.
        QTRY_COMPARE_WITH_TIMEOUT(model.picturesDecoded(), 2, 10000);
        for (int row = 0; row < model.rowCount(); ++row) {
            if (!model.item(row).name || !model.item(row).name->starts_with("bad ")) continue;
            const auto image =
                model.index(row, CatalogueModel::kName).data(Qt::DecorationRole).value<QImage>();
            QVERIFY(!image.isNull());
            QVERIFY(image.pixelColor(image.width() / 2, image.height() / 2) != QColor(Qt::red));
        }
    }

    // Objects sharing an object ID: the check window moves the one the player picks to the
    // trash, warning first that a saved lot uses the object.
    void oneOfTwoObjectsSharingAnIdGoesToTheTrash() {
        using brambleton::testing::catalogueObject;
        using brambleton::testing::houseFile;
        GamePrefix prefix;
        const auto write = [&](const QString& below, const std::string& bytes) {
            writeGameFile(prefix, below, bytes);
        };
        write("Downloads/chair.iff", catalogueObject(0x501, "Red Chair", "", 90, 1));
        write("Downloads/Other/chair2.iff", catalogueObject(0x501, "Blue Chair", "", 80, 1));
        write("UserData/Houses/House01.iff", houseFile({{0x501, "Red Chair"}}));
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("checkContent")->trigger();
        auto* check = w.findChild<ContentCheckWindow*>("contentCheck");
        QSignalSpy ended(check, &ContentCheckWindow::scanEnded);
        QVERIFY(ended.wait(20000));
        const auto& problems = check->report()->problems;
        const auto conflict = std::find_if(problems.begin(), problems.end(), [](const auto& p) {
            return p.kind == content::kGuidConflict;
        });
        QVERIFY(conflict != problems.end());
        const auto index = static_cast<std::size_t>(conflict - problems.begin());
        // The blue chair, as the report names it.
        const std::string blue =
            conflict->path.ends_with("chair2.iff") ? conflict->path : conflict->sameAs;
        QVERIFY2(blue.ends_with("chair2.iff"), blue.c_str());
        QVERIFY(!check->trashMember(index, "/elsewhere/chair.iff"));
        PutRightWindow* put = check->trashMember(index, blue);
        QVERIFY(put);
        auto* warning = put->findChild<QLabel*>("warning");
        QVERIFY(!warning->isHidden());
        QVERIFY2(warning->text().contains(QStringLiteral("Saved lots use this object")),
                 qPrintable(warning->text()));
        QCOMPARE(put->findChild<QTreeWidget*>("steps")->topLevelItemCount(), 1);
        QSignalSpy changed(put, &PutRightWindow::changed);
        QVERIFY(put->start());
        QVERIFY(changed.wait(20000));
        QVERIFY(put->outcome()->complete());
        QVERIFY(!QFile::exists(prefix.game("Downloads/Other/chair2.iff")));
        QVERIFY(QFile::exists(prefix.game("Downloads/chair.iff")));
        QVERIFY(ended.wait(20000));
        QVERIFY(std::none_of(check->report()->problems.begin(), check->report()->problems.end(),
                             [](const auto& p) { return p.kind == content::kGuidConflict; }));
    }

    // Put it right carries out the ticked steps of the check's plan, the check runs again,
    // and Content > Undo, naming the change, takes it back exactly.
    void putItRightThenUndoFromTheMenu() {
        using brambleton::testing::catalogueObject;
        GamePrefix prefix;
        const auto write = [&](const QString& below, const std::string& bytes) {
            writeGameFile(prefix, below, bytes);
        };
        const std::string stove = catalogueObject(0x101, "Gas Stove", "", 900, 4, 32);
        write("Downloads/stove.iff", stove);
        write("Downloads/Copies/stove.iff", stove);
        write("Downloads/empty.iff", "");
        write("GameData/Walls/tile.flr", catalogueObject(0x1, "Tile", "", 5, 0));
        const auto listing = [&] { return everythingIn(prefix.game()); };
        const QStringList before = listing();
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("checkContent")->trigger();
        auto* check = w.findChild<ContentCheckWindow*>("contentCheck");
        QSignalSpy ended(check, &ContentCheckWindow::scanEnded);
        QVERIFY(ended.wait(20000));
        QVERIFY(check->findChild<QPushButton*>("putRight")->isEnabled());
        PutRightWindow* put = check->putRight();
        QVERIFY(put);
        auto* steps = put->findChild<QTreeWidget*>("steps");
        QCOMPARE(steps->topLevelItemCount(), 3);
        QVERIFY(!put->findChild<QLabel*>("gameBanner")->isVisible());
        // The empty file stays: its step unticked.
        for (int i = 0; i < steps->topLevelItemCount(); ++i) {
            auto* item = steps->topLevelItem(i);
            QCOMPARE(item->checkState(0), Qt::Checked);
            if (item->text(0).contains(QStringLiteral("empty.iff")))
                item->setCheckState(0, Qt::Unchecked);
        }
        // One confirmation, which the recorder answers no: nothing is done.
        put->findChild<QPushButton*>("putRightButton")->click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(QStringLiteral("Carry out 2 steps?")),
                 qPrintable(messages.texts[0]));
        QCOMPARE(listing(), before);
        QSignalSpy changed(put, &PutRightWindow::changed);
        QVERIFY(put->start());
        QVERIFY(changed.wait(20000));
        QVERIFY(put->outcome()->complete());
        QVERIFY(put->findChild<QLabel*>("result")->text().startsWith(QStringLiteral("2 of 2")));
        QVERIFY(ended.wait(20000));  // checked again
        // What is left to put right: the unticked step.
        QStringList left;
        for (const auto& p : check->report()->problems) {
            if (p.advice.action != content::Action::None)
                left << QString::fromStdString(content::kindName(p.kind));
        }
        QCOMPARE(left, QStringList{QStringLiteral("empty-file")});
        QVERIFY(!QFile::exists(prefix.game("GameData/Walls/tile.flr")));
        QVERIFY(QFile::exists(prefix.game("GameData/Floors/tile.flr")));
        put->close();

        auto* menu = w.findChild<QMenu*>("contentMenu");
        emit menu->aboutToShow();
        auto* undo = w.findChild<QAction*>("undoLastChange");
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("&Undo Put it right: 1 move, 1 to the trash"));
        undo->trigger();
        auto* changes = w.findChild<ChangesWindow*>("changes");
        QVERIFY(changes);
        QSignalSpy undone(changes, &ChangesWindow::undone);
        QVERIFY(undone.wait(20000));
        QVERIFY(changes->outcome()->complete());
        QCOMPARE(listing(), before);
        QVERIFY(ended.wait(20000));  // the open check looks again
        QVERIFY(std::any_of(check->report()->problems.begin(), check->report()->problems.end(),
                            [](const auto& p) { return p.kind == content::kDuplicate; }));
        QCOMPARE(changes->findChild<QTreeWidget*>("history")->topLevelItem(0)->text(1),
                 QStringLiteral("Taken back"));
        emit menu->aboutToShow();
        QVERIFY(!undo->isEnabled());
    }

    // A download dropped on the main window shows its plan in a window of its own: each file
    // where the game reads its kind, the read-me left; one button installs it, and the undo
    // takes it back. A second download whose object has the same object ID is a clash that
    // names both objects, and cannot be installed.
    void installADownloadDroppedOnTheWindow() {
        using brambleton::testing::bmpFile;
        using brambleton::testing::catalogueObject;
        GamePrefix prefix;
        QTemporaryDir downloads;
        const auto put = [&](const QString& below, const std::string& bytes) {
            QVERIFY(QDir().mkpath(QFileInfo(downloads.filePath(below)).path()));
            std::ofstream(std::filesystem::path(downloads.filePath(below).toStdU16String()),
                          std::ios::binary)
                << bytes;
        };
        const std::string chair = catalogueObject(0x7A01, "Zebra Chair", "", 120, 1, 32);
        put("Zebra Set/chairs/chair.iff", chair);
        put("Zebra Set/roof.bmp", bmpFile(32));
        put("Zebra Set/Read me.txt", "Enjoy");
        put("Clash/stool.iff", catalogueObject(0x7A01, "Striped Stool", "", 80, 1, 32));
        put("Clash/zebra roof.bmp", bmpFile(32, 90));
        const auto listing = [&] { return everythingIn(prefix.game()); };
        const QStringList before = listing();
        MessageRecorder messages;
        frmMain w(prefix.sources());
        const auto drop = [&](const QString& folder) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(downloads.filePath(folder))});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(&w, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                               Qt::NoModifier);
            QCoreApplication::sendEvent(&w, &dropped);
        };
        drop("Zebra Set");
        auto* window = w.findChild<InstallWindow*>("install");
        QVERIFY(window);
        QSignalSpy planned(window, &InstallWindow::planned);
        QVERIFY(planned.wait(20000));
        auto* list = window->findChild<QTreeWidget*>("plan");
        QMap<QString, QString> goesTo;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            goesTo[list->topLevelItem(i)->text(0)] = list->topLevelItem(i)->text(1);
        const QString chairTo = QDir::toNativeSeparators("Downloads/Zebra Set/chair.iff");
        const QString roofTo = QDir::toNativeSeparators("GameData/Roofs/roof.bmp");
        QCOMPARE(goesTo.value("chairs/chair.iff"), chairTo);
        QCOMPARE(goesTo.value("roof.bmp"), roofTo);
        QCOMPARE(goesTo.value("Read me.txt"), QString());
        auto* button = window->findChild<QPushButton*>("installButton");
        QVERIFY(button->isEnabled());
        QSignalSpy installed(window, &InstallWindow::installed);
        button->click();
        QVERIFY(installed.wait(20000));
        QVERIFY2(window->findChild<QLabel*>("result")->text().startsWith(
                     "2 files installed: 1 in " + QDir::toNativeSeparators("Downloads/Zebra Set") +
                     ", 1 in " + QDir::toNativeSeparators("GameData/Roofs") + "."),
                 qPrintable(window->findChild<QLabel*>("result")->text()));
        {
            // Closed before the undo: Windows moves no file another program holds open.
            std::ifstream in(std::filesystem::path(
                                 prefix.game("Downloads/Zebra Set/chair.iff").toStdU16String()),
                             std::ios::binary);
            QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), chair);
        }

        drop("Clash");
        QVERIFY(planned.wait(20000));
        QCOMPARE(list->topLevelItemCount(), 2);
        QTreeWidgetItem* clashRow = list->topLevelItem(0)->text(0) == "stool.iff"
                                        ? list->topLevelItem(0)
                                        : list->topLevelItem(1);
        const QString clash = clashRow->text(2);
        QVERIFY2(clash.startsWith("Clash") && clash.contains("Striped Stool") &&
                     clash.contains("Zebra Chair"),
                 qPrintable(clash));
        QVERIFY(!button->isEnabled());
        // Selected, the clash shows both objects' pictures side by side.
        list->setCurrentItem(clashRow);
        QVERIFY(window->findChild<QWidget*>("clash")->isVisibleTo(window));
        QCOMPARE(window->findChild<QLabel*>("picture")->pixmap().size(), QSize(64, 64));
        QCOMPARE(window->findChild<QLabel*>("otherPicture")->pixmap().size(), QSize(64, 64));
        // Ticked, the clash is left out, and the rest of the download can go in.
        clashRow->setCheckState(0, Qt::Checked);
        QVERIFY(button->isEnabled());
        window->close();

        auto* menu = w.findChild<QMenu*>("contentMenu");
        emit menu->aboutToShow();
        w.findChild<QAction*>("undoLastChange")->trigger();
        auto* changes = w.findChild<ChangesWindow*>("changes");
        QSignalSpy undone(changes, &ChangesWindow::undone);
        QVERIFY(undone.wait(20000));
        QVERIFY2(changes->outcome()->complete(),
                 qPrintable(changes->findChild<QLabel*>("result")->text()));
        QCOMPARE(listing(), before);
    }

#ifdef Q_OS_LINUX
    // While the game runs, a banner says so and Put it right waits; it starts again once the
    // game has ended.
    void putItRightWaitsWhileTheGameRuns() {
        GamePrefix prefix;
        QVERIFY(QDir().mkpath(prefix.game("Downloads")));
        std::ofstream(prefix.game("Downloads/empty.iff").toStdString()).close();
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("checkContent")->trigger();
        auto* check = w.findChild<ContentCheckWindow*>("contentCheck");
        QSignalSpy ended(check, &ContentCheckWindow::scanEnded);
        QVERIFY(ended.wait(20000));
        const QString program = prefix.game("Sims.exe");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
        QProcess game;
        game.setWorkingDirectory(prefix.game());
        game.start(program, {QStringLiteral("600")});
        QVERIFY(game.waitForStarted());
        // The sign that it runs as itself: the system names the process after its program.
        QTRY_COMPARE_WITH_TIMEOUT(
            [&] {
                QFile comm(QStringLiteral("/proc/%1/comm").arg(game.processId()));
                return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
            }(),
            QByteArray("Sims.exe"), 10000);
        PutRightWindow* put = check->putRight();
        auto* banner = put->findChild<QLabel*>("gameBanner");
        auto* button = put->findChild<QPushButton*>("putRightButton");
        QVERIFY(!banner->isHidden());
        QVERIFY2(banner->text().contains(QStringLiteral("Sims.exe")), qPrintable(banner->text()));
        QVERIFY(!button->isEnabled());
        game.kill();
        game.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(banner->isHidden(), 20000);
        QVERIFY(button->isEnabled());
    }
#endif

    // The page the check's window saves shows the objects it speaks of, each picture a PNG
    // that Qt made from the object's own.
    void theSavedPageShowsTheObjectsPictures() {
        using brambleton::testing::catalogueObject;
        GamePrefix prefix;
        const std::string stove = catalogueObject(0x101, "Gas Stove", "", 900, 4, 32);
        std::ofstream(prefix.game("Downloads/stove.iff").toStdString(), std::ios::binary) << stove;
        std::ofstream(prefix.game("Downloads/stove (2).iff").toStdString(), std::ios::binary)
            << stove;
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("checkContent")->trigger();
        auto* window = w.findChild<ContentCheckWindow*>("contentCheck");
        QSignalSpy ended(window, &ContentCheckWindow::scanEnded);
        QVERIFY(ended.wait(20000));
        const QString page = QString::fromStdString(prefix.tree.path("page.html"));
        QVERIFY(window->saveReport(page));
        QFile saved(page);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray html = saved.readAll();
        QVERIFY2(html.contains("src=\"data:image/png;base64,iVBORw0KGgo"),
                 html.left(400).constData());
        QVERIFY(html.contains("\xe2\x80\x9cGas Stove\xe2\x80\x9d"));
    }

    // A disc edition's saves beside its content: lot 1 uses the stove by a tile and the
    // marble floor; lot 2 uses the game's own chair and misses a sofa. The fridge and the
    // spare floor no lot uses.
    static void writeLotsAndContent(const GamePrefix& prefix) {
        using brambleton::testing::catalogueObject;
        using brambleton::testing::houseFile;
        const auto write = [&](const QString& below, const std::string& bytes) {
            writeGameFile(prefix, below, bytes);
        };
        write("Downloads/stove.iff", brambleton::testing::objectFile({0x101, 0x102}));
        write("Downloads/fridge.iff", catalogueObject(0x103, "Fridge", "Cold", 600, 4));
        write("GameData/Floors/marble.flr", catalogueObject(0x1, "Marble", "", 5, 0));
        write("GameData/Floors/spare.flr", catalogueObject(0x2, "Spare", "", 5, 0));
        write("GameData/Objects/Objects.iff", catalogueObject(0x7000, "Chair", "", 50, 1));
        write("UserData/Houses/House01.iff", houseFile({{0x102, "stove"}}, {"marble"}));
        write("UserData/Houses/House02.iff",
              houseFile({{0x7000, "chair"}, {0xdead, "Gold <b>Sofa</b>"}}));
    }

    // Content > Catalogue... says which lots use each item, and shows what no lot uses.
    void theCatalogueSaysWhichLotsUseEachItem() {
        GamePrefix prefix;
        writeLotsAndContent(prefix);
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("catalogue")->trigger();
        auto* window = w.findChild<CatalogueWindow*>("catalogue");
        QSignalSpy lotsRead(window, &CatalogueWindow::lotsRead);
        QVERIFY(lotsRead.wait(20000));
        auto* table = window->findChild<QTableView*>("items");
        const auto usedBy = [&](const QString& file) {
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                const auto cell = table->model()->index(row, CatalogueModel::kFile);
                if (cell.data().toString().endsWith(file)) {
                    return table->model()->index(row, CatalogueModel::kUsedBy);
                }
            }
            return QModelIndex();
        };
        QCOMPARE(usedBy("stove.iff").data().toString(), QStringLiteral("1 lot"));
        QCOMPARE(usedBy("stove.iff").data(Qt::ToolTipRole).toString(), QStringLiteral("Lot 1"));
        QCOMPARE(usedBy("fridge.iff").data().toString(), QStringLiteral("no lot"));
        auto* unusedOnly = window->findChild<QCheckBox*>("unusedOnly");
        QVERIFY(unusedOnly->isEnabled());
        unusedOnly->setChecked(true);
        QStringList files;
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            files << QFileInfo(table->model()->index(row, CatalogueModel::kFile).data().toString())
                         .fileName();
        }
        files.sort();
        QCOMPARE(files, (QStringList{"fridge.iff", "spare.flr"}));

        // Move to trash... names the lots that use what it moves, goes through the journal
        // and the trash, and Undo puts it back.
        unusedOnly->setChecked(false);
        table->clearSelection();
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            const QString file =
                table->model()->index(row, CatalogueModel::kFile).data().toString();
            if (file.endsWith("stove.iff") || file.endsWith("fridge.iff")) {
                table->selectionModel()->select(
                    table->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
        }
        auto* trash = window->findChild<QPushButton*>("moveToTrash");
        QVERIFY(trash->isEnabled());
        auto* plan = window->actions().trashSelected();
        QVERIFY(plan);
        QVERIFY2(plan->findChild<QLabel*>("warning")->text().contains("Saved lots use this: Lot 1"),
                 qPrintable(plan->findChild<QLabel*>("warning")->text()));
        QSignalSpy changed(plan, &PutRightWindow::changed);
        QSignalSpy ended(window, &CatalogueWindow::scanEnded);
        QVERIFY(plan->start());
        QVERIFY(changed.wait(20000));
        QVERIFY(!QFile::exists(prefix.game("Downloads/stove.iff")));
        QVERIFY(!QFile::exists(prefix.game("Downloads/fridge.iff")));
        QVERIFY(ended.wait(20000));  // read again: they are gone from the list
        QVERIFY(!window->model().rowCount() ||
                table->model()
                    ->match(table->model()->index(0, CatalogueModel::kFile), Qt::DisplayRole,
                            "stove.iff", 1, Qt::MatchEndsWith)
                    .isEmpty());
        plan->close();
        QTest::mouseClick(window->findChild<QPushButton*>("undoChange"), Qt::LeftButton);
        auto* changes = w.findChild<ChangesWindow*>();
        QVERIFY(changes);
        QSignalSpy undone(changes, &ChangesWindow::undone);
        QVERIFY(undone.count() || undone.wait(20000));
        QVERIFY(QFile::exists(prefix.game("Downloads/stove.iff")));
        QVERIFY(QFile::exists(prefix.game("Downloads/fridge.iff")));
    }

    // The catalogue at its first size shows every column, Used by included; grown, the
    // file's column takes the room. The game's 74 by 37 pictures keep their size in the
    // list and double beside it with the description whole; a skin shows its texture and
    // what its name says; what the game does not sell says so.
    void theCatalogueShowsPicturesAndDetails() {
        using brambleton::testing::bmpFile;
        using brambleton::testing::BmpForm;
        using brambleton::testing::catalogueObject;
        GamePrefix prefix;
        writeGameFile(prefix, "Downloads/table.iff",
                      brambleton::testing::catalogueObjectPictured(
                          0x301, "Wide Table", "Seats four.\nSecond line of a long description.",
                          4478, 2, bmpFile(BmpForm{74, 37, 8})));
        writeGameFile(prefix, "Downloads/secret.iff", catalogueObject(0x302, "Secret", "", 15, 0));
        writeGameFile(prefix, "GameData/Skins/B003MAFit_01.cmx",
                      brambleton::testing::cmxFile("B003MAFit_01", {"xskin-b003mafit_01-body"}));
        writeGameFile(prefix, "GameData/Skins/B003MAFitlgt_01.bmp", bmpFile(64));
        MessageRecorder messages;
        CatalogueWindow window;
        QSignalSpy ended(&window, &CatalogueWindow::scanEnded);
        QVERIFY(window.scan(prefix.game()));
        QVERIFY(ended.wait(20000));
        QVERIFY(window.isVisible());
        auto* table = window.findChild<QTableView*>("items");
        auto* header = table->horizontalHeader();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.width() >= 1280, "the tests' screen is a laptop's, 1280 by 800");
        QVERIFY(window.frameGeometry().width() <= screen.width());
        // Measured in real letters only: offscreen on Windows has no font to measure.
        if (!QFontDatabase::families().isEmpty()) {
            QVERIFY(header->sectionViewportPosition(CatalogueModel::kUsedBy) +
                        header->sectionSize(CatalogueModel::kUsedBy) <=
                    table->viewport()->width());
            const int fileWidth = header->sectionSize(CatalogueModel::kFile);
            window.resize(window.width() + 300, window.height());
            QTRY_VERIFY(header->sectionSize(CatalogueModel::kFile) >= fileWidth + 250);
        }

        const auto rowOf = [&](const QString& name) {
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                if (table->model()->index(row, CatalogueModel::kName).data() == name) return row;
            }
            return -1;
        };
        const struct {
            const char* name;
            QSize icon;   // at least
            QSize large;  // at least
            const char* said;
        } kRows[] = {
            {"Wide Table", {74, 37}, {148, 74}, "Seats four.\nSecond line"},
            {"B003MAFit_01", {37, 37}, {128, 128}, "skin: body, male, adult, fit"},
            {"Secret", {0, 0}, {0, 0}, "not sold"},
        };
        for (const auto& row : kRows) {
            const int at = rowOf(row.name);
            QVERIFY2(at >= 0, row.name);
            table->setCurrentIndex(table->model()->index(at, CatalogueModel::kName));
            auto* picture = window.findChild<QLabel*>("picture");
            if (!row.large.isEmpty()) {
                QTRY_VERIFY2(!picture->pixmap().isNull(), row.name);
                QVERIFY2(picture->pixmap().width() >= row.large.width() &&
                             picture->pixmap().height() >= row.large.height(),
                         row.name);
                const auto icon = table->model()
                                      ->index(at, CatalogueModel::kName)
                                      .data(Qt::DecorationRole)
                                      .value<QImage>();
                QVERIFY2(icon.width() >= row.icon.width() && icon.height() >= row.icon.height(),
                         row.name);
                QVERIFY(table->iconSize().width() >= 74 && table->iconSize().height() >= 37);
            }
            const QString details = window.findChild<QLabel*>("details")->text();
            QVERIFY2(details.contains(row.said), qPrintable(details));
        }
        // Grouped as the count's totals are, on every system.
        QCOMPARE(table->model()->index(rowOf("Wide Table"), CatalogueModel::kPrice).data(),
                 QStringLiteral("\u00a74") + QLocale().groupSeparator() + QStringLiteral("478"));
        const int secret = rowOf("Secret");
        QCOMPARE(table->model()->index(secret, CatalogueModel::kCategory).data().toString(),
                 QStringLiteral("not sold"));
        QCOMPARE(table->model()->index(secret, CatalogueModel::kPrice).data().toString(),
                 QString());
        // The game's own items offer neither Show in folder nor Move to trash.
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            const auto& item =
                window.model().item(static_cast<const QSortFilterProxyModel*>(table->model())
                                        ->mapToSource(table->model()->index(row, 0))
                                        .row());
            if (item.path.find("GameData/Objects") == std::string::npos) continue;
            table->selectRow(row);
            QVERIFY(!window.findChild<QPushButton*>("moveToTrash")->isEnabled());
            QVERIFY(!window.findChild<QPushButton*>("showInFolder")->isEnabled());
        }
    }

    // Content > My lots... lists each lot with what it uses and misses, and warns.
    void myLotsListsEachLotAndWarnsOfWhatIsMissing() {
        GamePrefix prefix;
        writeLotsAndContent(prefix);
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("myLots")->trigger();
        auto* window = w.findChild<LotsWindow*>("lots");
        QVERIFY(window);
        QSignalSpy ended(window, &LotsWindow::scanEnded);
        QVERIFY(ended.wait(20000));
        QVERIFY(window->isVisible());
        QVERIFY(window->findChild<QLabel*>("warning")->isVisible());
        auto* tree = window->findChild<QTreeWidget*>("lots");
        QCOMPARE(tree->topLevelItemCount(), 3);  // two lots, then what no lot uses
        const auto* second = tree->topLevelItem(1);
        QCOMPARE(second->text(0), QStringLiteral("Lot 2"));
        QCOMPARE(second->child(0)->text(0), QStringLiteral("misses"));
        // The name as the lot gives it, never read as markup.
        QCOMPARE(second->child(0)->text(1),
                 QStringLiteral("object 0x0000DEAD \u201cGold <b>Sofa</b>\u201d"));
        // What no lot uses: the fridge and the spare floor among the prefix's own files.
        QStringList unused;
        for (int i = 0; i < tree->topLevelItem(2)->childCount(); ++i) {
            unused << QFileInfo(tree->topLevelItem(2)->child(i)->text(1)).fileName();
        }
        QVERIFY2(unused.contains("fridge.iff") && unused.contains("spare.flr") &&
                     !unused.contains("stove.iff") && !unused.contains("marble.flr"),
                 qPrintable(unused.join(", ")));

        // A selected file can be shown and moved to the trash, the lots that use it named
        // first.
        const auto rowOf = [&](const QString& file) -> QTreeWidgetItem* {
            for (int lot = 0; lot < tree->topLevelItemCount(); ++lot) {
                auto* top = tree->topLevelItem(lot);
                for (int i = 0; i < top->childCount(); ++i) {
                    if (top->child(i)->text(1).endsWith(file)) return top->child(i);
                }
            }
            return nullptr;
        };
        const struct {
            const char* file;
            bool offered;
            const char* warning;
        } kRows[] = {
            {"stove.iff", true, "Saved lots use this: Lot 1"},
            {"fridge.iff", true, ""},
        };
        auto& actions = window->actions();
        for (const auto& row : kRows) {
            tree->clearSelection();
            QVERIFY2(rowOf(row.file), row.file);
            rowOf(row.file)->setSelected(true);
            QCOMPARE(actions.moveToTrash()->isEnabled(), row.offered);
            QCOMPARE(actions.showInFolder()->isEnabled(), row.offered);
            if (!row.offered) continue;
            auto* plan = actions.trashSelected();
            QVERIFY(plan);
            QVERIFY2(plan->findChild<QLabel*>("warning")->text().contains(row.warning), row.file);
            plan->close();
        }
    }

    // The headless counter's pages carry PNGs it makes itself: each has the pixels Qt's own
    // reader finds in the BMP, in every form catalogue pictures come in.
    void aPictureTurnedIntoAPngKeepsEveryPixel() {
        using brambleton::testing::BmpForm;
        const struct {
            const char* name;
            BmpForm form;
        } rows[] = {
            {"256 colours, bottom up", {32, 32, 8}},
            {"256 colours, odd width, top down", {13, 7, 8, true}},
            {"16 colours", {9, 5, 4}},
            {"two colours, width not a whole byte", {11, 3, 1}},
            {"a palette shorter than its depth", {6, 6, 8, false, false, 20}},
            {"24 bits, rows padded", {5, 4, 24}},
            {"32 bits", {4, 3, 32}},
            {"OS/2 header", {7, 6, 8, false, true}},
        };
        for (const auto& row : rows) {
            const std::string bmp = brambleton::testing::bmpFile(row.form);
            const QImage expected = QImage::fromData(reinterpret_cast<const uchar*>(bmp.data()),
                                                     static_cast<int>(bmp.size()), "BMP");
            QVERIFY2(!expected.isNull(), row.name);
            const std::string png = brambleton::content::bmpAsPng(bmp);
            const QImage made = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                                 static_cast<int>(png.size()), "PNG");
            QVERIFY2(!made.isNull(), row.name);
            QCOMPARE(made.size(), expected.size());
            QVERIFY2(made.convertToFormat(QImage::Format_RGB32) ==
                         expected.convertToFormat(QImage::Format_RGB32),
                     row.name);
        }
        // Forms it does not take (run-length pictures, cut ones, huge ones) give nothing, so
        // the page keeps the BMP as it is.
        std::string cut = brambleton::testing::bmpFile(BmpForm{32, 32, 8});
        cut.resize(cut.size() - 1);
        std::string rle = brambleton::testing::bmpFile(BmpForm{4, 4, 8});
        rle[30] = 1;
        const std::string huge = brambleton::testing::bmpFile(BmpForm{2000, 1, 24});
        for (const auto& bytes : {cut, rle, huge, std::string("<html>")})
            QVERIFY(brambleton::content::bmpAsPng(bytes).empty());
    }

    // Content > Catalogue... lists what the copy in use has, by the names its catalogue gives;
    // the search, the filters and the sorting narrow and order it; a row's picture is read off
    // the window's thread and drawn.
    void theCatalogueListsSearchesFiltersAndSorts() {
        using brambleton::testing::catalogueObject;
        GamePrefix prefix;
        const auto write = [&](const QString& below, const std::string& bytes) {
            std::ofstream(std::filesystem::path(prefix.game(below).toStdU16String()),
                          std::ios::binary)
                << bytes;
        };
        QVERIFY(QDir().mkpath(prefix.game("Downloads/Kitchen")));
        write("Downloads/Kitchen/stove.iff",
              catalogueObject(0x101, "Gas Stove", "Cooks quickly", 900, 4, 32));
        write("Downloads/Kitchen/fridge.iff", catalogueObject(0x102, "Fridge", "Cold", 600, 4));
        write("Downloads/sofa.iff", catalogueObject(0x103, "Comfy Sofa", "Soft", 1200, 1, 16));
        // A stranger's names: a terminal's escape inside the object, a reordering mark in the
        // file's name. Both show as escapes.
        write("Downloads/lamp\u202Egnp.iff",
              catalogueObject(0x104, "Lamp\x1b[31m", "Bright\nand\x07warm", 50, 128));
        MessageRecorder messages;
        frmMain w(prefix.sources());
        w.findChild<QAction*>("catalogue")->trigger();
        auto* window = w.findChild<CatalogueWindow*>("catalogue");
        QVERIFY(window);
        QSignalSpy ended(window, &CatalogueWindow::scanEnded);
        QVERIFY(ended.wait(20000));
        QVERIFY(window->isVisible());
        auto* table = window->findChild<QTableView*>("items");
        const auto names = [&] {
            QStringList out;
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                out << table->model()->index(row, CatalogueModel::kName).data().toString();
            }
            return out;
        };
        // The prefix's own content files are zeros: they are said, counted and left out.
        QVERIFY(names().contains("Gas Stove") && names().contains("Comfy Sofa"));
        table->sortByColumn(CatalogueModel::kPrice, Qt::DescendingOrder);
        QCOMPARE(names().mid(0, 3), (QStringList{"Comfy Sofa", "Gas Stove", "Fridge"}));
        window->findChild<QLineEdit*>("search")->setText("COOKS");
        QCOMPARE(names(), QStringList{"Gas Stove"});
        QCOMPARE(table->model()->index(0, CatalogueModel::kName).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Gas Stove\nCooks quickly"));
        window->findChild<QLineEdit*>("search")->setText("lamp");
        QCOMPARE(names(), QStringList{"Lamp\\x1b[31m"});
        QCOMPARE(table->model()->index(0, CatalogueModel::kName).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Lamp\\x1b[31m\nBright\nand\\x07warm"));
        QVERIFY(table->model()
                    ->index(0, CatalogueModel::kFile)
                    .data()
                    .toString()
                    .endsWith(QStringLiteral("lamp\\u202egnp.iff")));
        window->findChild<QLineEdit*>("search")->clear();
        auto* categories = window->findChild<QComboBox*>("categories");
        categories->setCurrentIndex(categories->findData(QStringLiteral("seating")));
        QCOMPARE(names(), QStringList{"Comfy Sofa"});
        // The sofa's picture: the placeholder first, then the picture read off the thread.
        const auto picture = [&] {
            return table->model()
                ->index(0, CatalogueModel::kName)
                .data(Qt::DecorationRole)
                .value<QImage>();
        };
        // Other rows' pictures may be read first (the selected row's, for the details), so
        // the sign waited for is the sofa's own.
        const auto middle = [&] {
            const QImage drawn = picture();
            return drawn.isNull() ? QColor()
                                  : drawn.pixelColor(drawn.width() / 2, drawn.height() / 2);
        };
        QTRY_COMPARE_WITH_TIMEOUT(middle(), QColor(Qt::red), 10000);
        QVERIFY(!messages.texts.isEmpty());  // the zeros that are no objects
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
