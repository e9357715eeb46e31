// The main window's behaviour end to end: a real Wine prefix, a real game tree, the real
// counter, real widgets under the offscreen platform; only the message box is recorded.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "common/runtime_error.h"
#include "failing_folder_source.h"
#include "game_prefix.h"
#include "ui/file_system_lists.h"
#include "ui/frm_in_process.h"
#include "ui/frm_main.h"

using namespace brambleton;
using namespace brambleton::ui;
using brambleton::testing::FailingFolderSource;
using brambleton::testing::GamePrefix;
using brambleton::testing::MessageRecorder;

namespace {

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

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void loadsOnObjects() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w;
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
        frmMain w;
        w.show();
        // From another drive first: the category must still end on its own folder.
        control<DriveListBox>(w, "Drive1")->setDrive("/");
        QTest::mouseClick(control<QRadioButton>(w, option.toLatin1()), Qt::LeftButton);
        QVERIFY(control<QRadioButton>(w, option.toLatin1())->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), prefix.game(folder));
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), pattern);
        QCOMPARE(control<DriveListBox>(w, "Drive1")->Drive(), QStringLiteral("C:"));
        QCOMPARE(messages.texts, QStringList());
    }

    void aDriveThePlayerPicksStays() {
        GamePrefix prefix;
        frmMain w;
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton);
        control<DriveListBox>(w, "Drive1")->setDrive("/");
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(), QStringLiteral("/"));
        QCOMPARE(control<FileListBox>(w, "File1")->Path(), QStringLiteral("/"));
        QVERIFY(control<QRadioButton>(w, "Option2")->isChecked());
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*.FLR"));
    }

    void countShowsTheFiveTotals() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w;
        w.show();
        QTest::mouseClick(control<QPushButton>(w, "cmdContar"), Qt::LeftButton);
        QCOMPARE(results(w), (QStringList{"2", "1", "1,572,864", "1,536.0", "1.5"}));
        QCOMPARE(messages.texts, QStringList());
        QVERIFY2(!progressWindow(), "the progress window is unloaded");
        QVERIFY2(!QApplication::overrideCursor(), "the pointer is restored");
        QVERIFY(!w.counting());
    }

    void cancelDuringACount() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w;
        w.show();
        QTimer::singleShot(0, &w, [] {
            QTest::mouseClick(progressWindow()->findChild<QPushButton*>("cmdCancel"),
                              Qt::LeftButton);
        });
        w.cmdContar_Click();
        QCOMPARE(messages.texts, QStringList{"Action Canceled by User"});
        QCOMPARE(messages.titles, QStringList{"Cancel Action"});
        QCOMPARE(results(w), (QStringList{"0", "0", "0", "0.0", "0.0"}));
        QVERIFY(!w.counter()->Cancel());
        w.cmdContar_Click();
        QCOMPARE(results(w), (QStringList{"2", "1", "1,572,864", "1,536.0", "1.5"}));
    }

    void startsUsableWithoutTheGame() {
        GamePrefix prefix("fresh/system.min.reg");
        MessageRecorder messages;
        frmMain w;
        QCOMPARE(w.InstallPath(), QStringLiteral("Not Found"));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains("SIMS_DATA"));
        QVERIFY(messages.texts[0].contains("Software\\Maxis\\The Sims"));
        QVERIFY(messages.texts[0].contains(QString::fromStdString(prefix.tree.path())));
        QCOMPARE(control<DirListBox>(w, "Dir1")->Path(), prefix.home());
        QVERIFY(!control<QRadioButton>(w, "Option1")->isChecked());
        w.cmdContar_Click();
        QCOMPARE(results(w), (QStringList{"0", "0", "0", "0.0", "0.0"}));
    }

    void aMissingCategoryFolderLeavesTheLists() {
        GamePrefix prefix;
        std::filesystem::remove_all(prefix.game("GameData/Floors").toStdString());
        MessageRecorder messages;
        frmMain w;
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
        frmMain w(Sources{nullptr, std::make_unique<FailingFolderSource>(std::vector<std::string>{"Sets"})});
        w.cmdContar_Click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith("error en ContadorDeArchivos.ContarArchivos() ; "));
        QCOMPARE(results(w), (QStringList{"1", "1", "1,048,576", "1,024.0", "1.0"}));
    }

    void countWhileCountingDoesNothing() {
        GamePrefix prefix;
        MessageRecorder messages;
        frmMain w;
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
        frmMain w;
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

    void clickingAFileOnlyRemembersIt() {
        GamePrefix prefix;
        frmMain w;
        w.show();
        auto* files = control<FileListBox>(w, "File1");
        const QStringList before = results(w);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
        QCOMPARE(SelectedFilePath, prefix.game("Downloads/chair.iff"));
        QCOMPARE(results(w), before);
    }

    void pickingAFilterPattern() {
        GamePrefix prefix;
        frmMain w;
        auto* filter = control<QComboBox>(w, "cboFiltro");
        filter->setCurrentIndex(5);
        emit filter->activated(5);
        QCOMPARE(control<FileListBox>(w, "File1")->Pattern(), QStringLiteral("*.*"));
        w.cmdContar_Click();
        QCOMPARE(results(w)[0], QStringLiteral("3"));
    }

    // A new player's home as Steam leaves it: the Legacy Collection in a Steam library, no
    // Wine prefix and no registry value anywhere. Handed in, so the process's HOME is not used.
    void opensOnTheLegacyCollectionOfASteamOnlyHome() {
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
            dialog->accept();
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
