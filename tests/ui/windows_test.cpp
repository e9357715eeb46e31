// SPDX-License-Identifier: MIT
// The windows as laid out, and each control doing its own job, on a real Wine prefix.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <stdexcept>

#include "common/runtime_error.h"
#include "drawn_contrast.h"
#include "game_prefix.h"
#include "locations/content_category.h"
#include "locations/settings_file.h"
#include "ui/about.h"
#include "ui/app_style.h"
#include "ui/file_system_lists.h"
#include "ui/frm_in_process.h"
#include "ui/frm_main.h"
#include "ui/main_layout.h"
#include "ui/message_box.h"
#include "ui/module2.h"
#include "ui/scan_window.h"
#include "ui/twips.h"

using namespace brambleton;
using namespace brambleton::ui;
using brambleton::testing::drawnContrast;
using brambleton::testing::GamePrefix;

namespace {

QString captionOf(QWidget* w) {
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return {};
}

// The Qt class each kind of control is made as.
const char* classOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Group:
            return "QGroupBox";
        case ControlKind::Button:
            return "QPushButton";
        case ControlKind::Label:
        case ControlKind::BoldLabel:
        case ControlKind::ResultLabel:
            return "QLabel";
        case ControlKind::ResultBox:
            return "QLineEdit";
        case ControlKind::Category:
            return "QRadioButton";
        case ControlKind::DriveList:
            return "brambleton::ui::DriveListBox";
        case ControlKind::FolderList:
            return "brambleton::ui::DirListBox";
        case ControlKind::FileList:
            return "brambleton::ui::FileListBox";
        case ControlKind::Filter:
            return "QComboBox";
    }
    return "";
}

// How many pixels of two images of one control differ, counting only differences a player
// sees at once (a change of brightness of at least half the scale).
int contrastingPixels(const QImage& a, const QImage& b) {
    int differ = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            if (std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) >= 128) ++differ;
        }
    }
    return differ;
}

// A dark desktop's palette, as the GTK theme, Breeze Dark and SteamOS give it to Qt.
QPalette darkDesktop() {
    QPalette dark(QColor(53, 53, 53));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, QColor(238, 238, 236));
    }
    dark.setColor(QPalette::Base, QColor(45, 45, 45));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(146, 149, 149));
    return dark;
}

// A scan window that runs whatever scan a test gives it.
class TestScanWindow : public ScanWindow {
  public:
    TestScanWindow() : ScanWindow(nullptr) {}
    bool run(ScanThread::Scan scan) { return startScan(std::move(scan)); }
};

// A scan that waits until it is told to stop, then answers by setting `answered`.
ScanThread::Scan waitingScan(std::atomic<bool>& started, std::atomic<bool>& answered) {
    return [&started, &answered](const std::stop_token& stop, const ScanThread::Progress&) {
        started = true;
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait(lock, stop, [] { return false; });
        return std::function<void()>([&answered] { answered = true; });
    };
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { setUpApplication(); }

    // The scan windows' base: a scan that throws shows its error and frees the window; Cancel
    // stops a scan and its answer still comes; a window destroyed while its scan runs stops
    // it and waits, and the answer never comes.
    void scanWindowStopsFailsAndTearsDown() {
        QStringList said;
        setMessageHook([&said](const QString& text, const QString&) { said << text; });
        {
            TestScanWindow window;
            QSignalSpy ended(&window, &ScanWindow::scanEnded);
            QVERIFY(window.run(
                [](const std::stop_token&, const ScanThread::Progress&) -> std::function<void()> {
                    throw std::runtime_error("the disk went away");
                }));
            QVERIFY(ended.wait(10000));
            QCOMPARE(ended.takeFirst().at(0).toBool(), false);
            QVERIFY(!window.scanning());
            QCOMPARE(said.size(), 1);
            QVERIFY2(said[0].contains(QStringLiteral("the disk went away")), qPrintable(said[0]));
            QVERIFY(window.findChildren<frmInProcess*>().isEmpty());

            std::atomic<bool> started{false};
            std::atomic<bool> answered{false};
            QVERIFY(window.run(waitingScan(started, answered)));
            QVERIFY(!window.run(waitingScan(started, answered)));  // one at a time
            QTRY_VERIFY_WITH_TIMEOUT(started, 10000);
            window.cancel();
            QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
            QVERIFY(!window.scanning());
            QVERIFY(window.findChildren<frmInProcess*>().isEmpty());
        }
        std::atomic<bool> started{false};
        std::atomic<bool> answered{false};
        auto* window = new TestScanWindow;
        QVERIFY(window->run(waitingScan(started, answered)));
        QTRY_VERIFY_WITH_TIMEOUT(started, 10000);
        delete window;
        QCoreApplication::processEvents();
        QVERIFY(!answered);
        setMessageHook({});
    }

    // The window is made from the layout table, and the table keeps the layout's rules:
    // every control inside its parent, the edges where the design puts them.
    void mainWindowControlTree() {
        GamePrefix prefix;
        frmMain window(prefix.sources(), Loading::Later);
        QCOMPARE(window.windowTitle(), QStringLiteral("The Sims Brambleton"));
        auto* client = window.findChild<QWidget*>("clientArea");
        QCOMPARE(client->size(), QSize(fromTwips(kClientWidth), fromTwips(kClientHeight)));
        QCOMPARE(window.palette().color(QPalette::Window), QColor(0, 0, 128));
        int lowest = 0;
        int rightmost = 0;
        for (const auto& row : kMainLayout) {
            auto* w = window.findChild<QWidget*>(row.name);
            QVERIFY2(w, row.name);
            QVERIFY2(w->inherits(classOf(row.kind)), row.name);
            QCOMPARE(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
            QCOMPARE(w->geometry(), twipsRect(row.left, row.top, row.width, row.height));
            QVERIFY2(QRect(QPoint(0, 0), w->parentWidget()->size()).contains(w->geometry()),
                     row.name);
            if (row.caption) QCOMPARE(captionOf(w), QString::fromUtf8(row.caption));
            if (QString::fromLatin1(row.parent) == "clientArea") {
                lowest = std::max(lowest, row.top + row.height);
                rightmost = std::max(rightmost, row.left + row.width);
            }
        }
        QCOMPARE(lowest, 5535);
        QCOMPARE(rightmost, 9375);
        for (std::size_t i = 0; i < kContentCategories.size(); ++i) {
            const auto& category = kContentCategories[i];
            auto* option = window.findChild<QRadioButton*>(kCategoryOptions[i]);
            QCOMPARE(option->text(),
                     QString::fromLatin1(category.caption.data(), category.caption.size()));
            QVERIFY2(!option->isChecked(), "no category is chosen before the window loads");
        }
        auto* result = window.findChild<QLineEdit*>("txtFiles");
        QVERIFY(result->isReadOnly());
        QCOMPARE(result->palette().color(QPalette::Text), QColor(0, 0, 192));
        QCOMPARE(result->font().weight(), QFont::Bold);
    }

    // The focus moves through the controls in the order of their tab indexes, the first one
    // holding it when the window opens.
    void tabOrderAmongFocusableControls() {
        GamePrefix prefix;
        frmMain window(prefix.sources(), Loading::Later);
        std::vector<std::pair<int, QString>> indexed;
        for (const auto& row : kMainLayout) {
            if (row.tabIndex >= 0) indexed.emplace_back(row.tabIndex, row.name);
        }
        std::sort(indexed.begin(), indexed.end());
        QStringList expected;
        for (std::size_t i = 0; i < indexed.size(); ++i) {
            QCOMPARE(indexed[i].first, static_cast<int>(i));  // no index missing or twice
            expected << indexed[i].second;
        }
        QStringList chain;
        QWidget* w = window.findChild<QWidget*>(expected.front());
        for (int i = 0; i < 200 && chain.size() < expected.size(); ++i, w = w->nextInFocusChain()) {
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName())) {
                chain << w->objectName();
            }
        }
        QCOMPARE(chain, expected);
    }

    void driveListChangesAndRefusesUnknownDrives() {
        GamePrefix prefix;
        DriveListBox drives(prefix.places());
        QSignalSpy changes(&drives, &DriveListBox::Change);
        drives.setDrive("c:\\Program Files");
        QCOMPARE(drives.Drive(), QStringLiteral("C:"));
        drives.setDrive("C:");
        QCOMPARE(changes.count(), 1);
        try {
            drives.setDrive("K:");
            QFAIL("a drive the prefix lacks was accepted");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 68);
        }
        QCOMPARE(drives.Drive(), QStringLiteral("C:"));
#ifdef _WIN32
        drives.setDrive("Z:");
#else
        drives.setDrive("/");
#endif
        QCOMPARE(changes.count(), 2);
    }

    void folderListFollowsPathsAndEntries() {
        GamePrefix prefix;
        DirListBox dirs(prefix.places());
        QSignalSpy changes(&dirs, &DirListBox::Change);
        dirs.setPath("C:\\Program Files (x86)\\Maxis\\The Sims");
        QCOMPARE(dirs.Path(), prefix.game());
        QCOMPARE(changes.count(), 1);
        QTRY_VERIFY(!dirs.reading());
        QStringList shown;
        for (int i = 0; i < dirs.count(); ++i) shown << dirs.item(i)->text().trimmed();
#ifdef _WIN32
        QCOMPARE(shown, (QStringList{"C:\\", "Program Files (x86)", "Maxis", "The Sims",
                                     "Downloads", "GameData"}));
#else
        // The folders' own names, whatever case the path was given in.
        QCOMPARE(shown, (QStringList{"C:\\", "program files (x86)", "maxis", "THE SIMS",
                                     "Downloads", "GameData"}));
#endif
        try {
            dirs.setPath("C:\\Program Files (x86)\\Maxis\\Nothing");
            QFAIL("a missing folder was accepted");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), 76);
        }
        QCOMPARE(dirs.Path(), prefix.game());
        QTRY_VERIFY(!dirs.reading());
        emit dirs.itemActivated(dirs.item(5));
        QCOMPARE(dirs.Path(), prefix.game("GameData"));
        QCOMPARE(changes.count(), 2);
    }

    void fileListMatchesEveryPatternEntry() {
        GamePrefix prefix;
        const std::string skins = prefix.game("GameData/Skins/").toStdString();
#ifndef _WIN32
        std::ofstream(skins + ".hidden.bmp").close();  // hidden by its name on Linux only
#endif
        std::ofstream(skins + "Arm.SKN").close();
        FileListBox files;
        files.setPath(prefix.game("GameData/Skins"));
        const struct {
            const char* pattern;
            QStringList shown;
        } cases[] = {
            {"*.skn;*.bmp;*.cmx", {"Arm.SKN", "body.skn", "face.bmp", "mesh.cmx"}},
            {"*.BMP", {"face.bmp"}},
            {"*.skn ; *.cmx", {"Arm.SKN", "body.skn", "mesh.cmx"}},
            {"*.*", {"Arm.SKN", "body.skn", "face.bmp", "mesh.cmx"}},
            {"b*", {"body.skn"}},
            {"*A*.?K?", {"Arm.SKN"}},
            {"", {"Arm.SKN", "body.skn", "face.bmp", "mesh.cmx"}},
        };
        for (const auto& c : cases) {
            files.setPattern(c.pattern);
            QTRY_VERIFY(!files.reading());
            QStringList shown;
            for (int i = 0; i < files.count(); ++i) shown << files.item(i)->text();
            QCOMPARE(shown, c.shown);
        }
        QVERIFY_THROWS_EXCEPTION(RuntimeError, files.setPath(prefix.game("Nothing")));
        QCOMPARE(files.Path(), prefix.game("GameData/Skins"));
    }

    // Names from disk reach the player as they stand: a message box and a list's tooltip
    // never read a folder's name as HTML, so it cannot become a heading or a link.
    void messagesShowNamesLiterally() {
        const QString name = QStringLiteral(
            "<h1>Virus found<br><a href=https:evil.example>Call support now &amp; \\x1b");
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            shown = label->text();
            format = label->textFormat();
            box->accept();
        });
        showMessage("error en ContadorDeArchivos.ContarArchivos() ; Permission denied: " + name);
        QVERIFY(shown.endsWith(name));
        QCOMPARE(format, Qt::PlainText);
    }

    void fileTooltipsShowNamesLiterally() {
#ifdef _WIN32
        QSKIP("Windows file names cannot hold < > or :");
#endif
        const QString name = QStringLiteral(
            "<h1>Virus found<br><a href=https:evil.example>Call support now &amp; \\x1b");
        testing::TempTree folder;
        const std::string file = name.toStdString() + ".iff";
        folder.text(file, "x");
        FileListBox files;
        files.resize(120, 200);
        files.show();
        files.setPath(QString::fromStdString(folder.path()));
        QTRY_COMPARE(files.count(), 1);
        const QPoint at = files.visualItemRect(files.item(0)).center();
        QHelpEvent tip(QEvent::ToolTip, at, files.viewport()->mapToGlobal(at));
        QApplication::sendEvent(files.viewport(), &tip);
        QTextDocument read;
        read.setHtml(QToolTip::text());
        QCOMPARE(read.toPlainText(), QString::fromStdString(file));
        QToolTip::hideText();
    }

    // The chosen folder the window writes through QSettings reads back the same without Qt,
    // whatever characters its name holds.
    void theChosenFolderReadsBackWithoutQt() {
        testing::TempTree config;
        const QString file = QString::fromStdString(config.path("brambleton.ini"));
        const QString names[] = {"/home/x/The Sims",
                                 "/home/x/Jeux \"Sims\"; a,b=c\\d",
                                 "/home/x/Caf\u00e9 \u65e5\u672c",
                                 "@home/x",
                                 " edge spaces ",
                                 "/home/x/tab\there#hash",
                                 "C:\\Games\\The Sims\\"};
        for (const auto& name : names) {
            {
                QSettings settings(file, QSettings::IniFormat);
                settings.setValue("game/chosen", name);
                settings.setValue("game/copies", QStringList{name, "other"});
            }
            const auto read = settings::chosenFolder(std::filesystem::path(file.toStdU16String()));
            QVERIFY2(read, qPrintable(name));
            QCOMPARE(QString::fromStdU16String(read->u16string()), name);
        }
    }

    void progressWindowCancelsItsCounter() {
        CFileCounter counter;
        frmInProcess progress;
        QCOMPARE(progress.windowTitle(), QStringLiteral("Processing...."));
        QCOMPARE(progress.findChild<QLabel*>("Label1")->text(), QStringLiteral("Please Wait...."));
        progress.mFC = &counter;
        progress.show();
        QTest::mouseClick(progress.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        QVERIFY(counter.Cancel());
        QVERIFY2(progress.isVisible(), "Cancel leaves the window open");
        counter.Cancel(false);
        progress.close();
        QVERIFY2(counter.Cancel(), "closing by the frame cancels too");
        QVERIFY(progress.isVisible());
    }

    void progressWindowStopsARunningCount() {
        testing::TempTree tree;
        for (int i = 0; i < 40; ++i) tree.file("set" + std::to_string(i) + "/x.iff", 1);
        frmInProcess progress;
        CFileCounter counter({[] { QCoreApplication::processEvents(); }, nullptr});
        progress.mFC = &counter;
        progress.show();
        QTimer::singleShot(0, &progress, [&] {
            QTest::mouseClick(progress.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        std::string path = tree.path();
        std::int32_t folders = 0;
        double bytes = 0;
        const auto files = counter.ContarArchivos(path, "*.IFF", folders, bytes);
        QVERIFY(counter.Cancel());
        QVERIFY(files < 40);
    }

    // Only the command buttons have the white face; the lists and their scroll bars keep the
    // platform's colours, so their arrows and handles show. Both windows carry the icon.
    void coloursAndIcons() {
        GamePrefix prefix;
        frmMain window(prefix.sources(), Loading::Later);
        frmInProcess progress;
        const QColor white(255, 255, 255);
        for (const char* name : {"cmdContar", "Command2", "Command4"}) {
            QCOMPARE(window.findChild<QPushButton*>(name)->palette().color(QPalette::Button),
                     white);
        }
        QCOMPARE(progress.findChild<QPushButton*>("cmdCancel")->palette().color(QPalette::Button),
                 white);
        for (const char* name : {"Dir1", "File1"}) {
            const QPalette bar =
                window.findChild<QListWidget*>(name)->verticalScrollBar()->palette();
            QVERIFY2(bar.color(QPalette::Button) != white, name);
            QVERIFY2(bar.color(QPalette::Window) != QColor(0, 0, 128), name);
        }
        QVERIFY(window.findChild<QComboBox*>("Drive1")->palette().color(QPalette::Button) != white);
        for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&progress)}) {
            const auto sizes = w->windowIcon().availableSizes();
            QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)),
                     qPrintable(w->objectName()));
        }
    }

    // The captions on the white faces and the blue totals read on a dark desktop as on a
    // light one; on the light one the colours are the desktop's own, as they always were.
    void readableOnEveryDesktopPalette() {
        GamePrefix prefix;
        const QPalette before = QApplication::palette();
        for (const bool dark : {false, true}) {
            if (dark) QApplication::setPalette(darkDesktop());
            frmMain window(prefix.sources(), Loading::Later);
            frmInProcess progress;
            window.findChild<QLineEdit*>("txtFiles")->setText(QStringLiteral("1,234"));
            QWidget* controls[] = {
                window.findChild<QWidget*>("cmdContar"), window.findChild<QWidget*>("Command2"),
                window.findChild<QWidget*>("txtFiles"), progress.findChild<QWidget*>("cmdCancel")};
            window.findChild<QPushButton*>("Command2")->setText(QStringLiteral("User guide"));
            for (QWidget* control : controls) {
                const double contrast = drawnContrast(control);
                QVERIFY2(contrast >= 4.5,
                         qPrintable(QStringLiteral("%1 on a %2 desktop: %3:1")
                                        .arg(control->objectName(), dark ? "dark" : "light")
                                        .arg(contrast)));
            }
            if (!dark) {
                QCOMPARE(window.findChild<QPushButton*>("cmdContar")
                             ->palette()
                             .color(QPalette::ButtonText),
                         before.color(QPalette::ButtonText));
                QCOMPARE(window.findChild<QLineEdit*>("txtFiles")->palette().color(QPalette::Base),
                         before.color(QPalette::Base));
            }
        }
        QApplication::setPalette(before);
    }

    // The focus mark stands out on the navy window and on the white button faces.
    void focusIsVisible() {
        GamePrefix prefix;
        frmMain window(prefix.sources(), Loading::Later);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (const char* name : {"Option1", "cmdContar", "Command2"}) {
            auto* control = window.findChild<QWidget*>(name);
            window.findChild<QWidget*>("Dir1")->setFocus();
            const QImage without = control->grab().toImage();
            control->setFocus(Qt::TabFocusReason);
            QVERIFY(control->hasFocus());
            QVERIFY2(contrastingPixels(without, control->grab().toImage()) >= 20, name);
        }
    }

    // "/" is offered once: a drive leading to it is chosen as "/". The wheel changes the
    // drive only while the list has the focus.
    void driveListOffersTheRootOnceAndHeedsTheWheelOnlyWithFocus() {
#ifdef _WIN32
        QSKIP("no drive leads to the host's root \"/\" on Windows");
#endif
        GamePrefix prefix;
        QWidget window;
        auto* drives = new DriveListBox(prefix.places(), &window);
        auto* other = new QPushButton(&window);
        other->move(0, 60);
        QStringList offered;
        for (int i = 0; i < drives->count(); ++i) offered << drives->itemData(i).toString();
        QCOMPARE(offered, (QStringList{"C:", "/"}));
        drives->setDrive("Z:\\home");
        QCOMPARE(drives->Drive(), QStringLiteral("/"));
        drives->setDrive("C:");

        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QPoint centre = drives->rect().center();
        auto wheel = [&] {
            QWheelEvent notch(centre, drives->mapToGlobal(centre), {}, {0, -120}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(drives, &notch);
        };
        other->setFocus();
        wheel();
        QCOMPARE(drives->Drive(), QStringLiteral("C:"));
        drives->setFocus();
        wheel();
        QCOMPARE(drives->Drive(), QStringLiteral("/"));
    }

    // The progress window takes the focus when shown; Escape and Space there cancel.
    void progressWindowKeys() {
        for (const auto key : {Qt::Key_Escape, Qt::Key_Space}) {
            CFileCounter counter;
            frmInProcess progress;
            progress.mFC = &counter;
            progress.show();
            QVERIFY(QTest::qWaitForWindowActive(&progress));
            QCOMPARE(QApplication::focusWidget(), progress.findChild<QPushButton*>("cmdCancel"));
            QTest::keyClick(&progress, key);
            QVERIFY(counter.Cancel());
        }
    }

    // Without web addresses, the link buttons open the pages installed with the program and
    // their labels name those pages; the pages are found beside the program or in the
    // package's share folder.
    void aboutLinksOpenTheInstalledPages() {
        testing::TempTree install;
        install.text("usr/share/brambleton/user-guide.html", "<html></html>");
        install.text("zip/licence.html", "<html></html>");
        const QString bin = QString::fromStdString(install.path("usr/bin"));
        const QString zip = QString::fromStdString(install.path("zip"));
        const auto at = [&](const char* relative) {
            return QDir::cleanPath(QString::fromStdString(install.path(relative)));
        };
        QCOMPARE(about::installedPage(bin, "user-guide.html"),
                 at("usr/share/brambleton/user-guide.html"));
        QCOMPARE(about::installedPage(zip, "licence.html"), at("zip/licence.html"));
        QCOMPARE(about::installedPage(zip, "user-guide.html"), QString());
        if (QString::fromUtf8(about::kHomePage).isEmpty()) {
            const auto first = about::firstLink(bin);
            QCOMPARE(first.label, QStringLiteral("user-guide.html"));
            QCOMPARE(first.address,
                     QUrl::fromLocalFile(at("usr/share/brambleton/user-guide.html")).toString());
            QCOMPARE(about::secondLink(bin).address, QString());
        }
    }

    // Under Wine with none of Windows' fonts, menus, boxes and the other windows asked for
    // Windows' interface font and got a serif: each now gets the family it asks for or one
    // of the sans families standing in for it.
    void everyWindowGetsASansFont() {
#ifndef _WIN32
        QSKIP("the desktop's own font is asked for by a name of its own on Linux");
#endif
        if (QGuiApplication::platformName() == QStringLiteral("offscreen")) {
            QSKIP("offscreen has no fonts on Windows: ui_windows_fonts runs this on its own");
        }
        for (const char* kind : {"", "QMenu", "QMenuBar", "QMessageBox", "QDialog"}) {
            const QFont font = *kind ? QApplication::font(kind) : QApplication::font();
            const QString got = QFontInfo(font).family();
            const QStringList wanted =
                QStringList{font.family()} + QFont::substitutes(font.family());
            QVERIFY2(
                wanted.contains(got, Qt::CaseInsensitive),
                qPrintable(QStringLiteral("%1 asks for %2, got %3").arg(kind, font.family(), got)));
        }
    }

    void openWebPageStartsTheDefaultHandler() {
#ifdef _WIN32
        QSKIP("the Windows shell always has a handler for a page, which a test must not start");
#endif
        testing::TempTree bin;
        const std::string record = bin.path("record");
        // The fake handler ends with an error after writing its record, so that `failed`
        // tells the test when the process object has seen it end and is deleted: a test
        // that returned on the record alone left it running, which LeakSanitizer reported
        // on a busy machine.
        bin.text("xdg-open", "#!/bin/sh\nprintf '%s\\n%s\\n' \"$*\" \"$PWD\" > " + record +
                                 ".tmp\nmv " + record + ".tmp " + record + "\nexit 1\n");
        QFile::setPermissions(QString::fromStdString(bin.path("xdg-open")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.path()) + ":" + oldPath);
        std::string why;
        QVERIFY(Module2::OpenWebPage("https://example.org/a?b=c&d",
                                     [&why](const std::string& failed) { why = failed; }) > 32);
        QVERIFY(QTest::qWaitFor([&why] { return !why.empty(); }, 30000));
        // The opener ran, so the message says what it answered, not that nothing could run.
        QCOMPARE(why, std::string("xdg-open did not accept the address"));
        // The process object's deferred deletion, run now rather than waited for.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile file(QString::fromStdString(record));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("https://example.org/a?b=c&d\n/\n"));
        qputenv("PATH", QByteArray::fromStdString(bin.path("empty")));
        QVERIFY(Module2::OpenWebPage("https://example.org/") <= 32);
        qputenv("PATH", oldPath);
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
