// SPDX-License-Identifier: MIT
// What a window manager reads of the windows on a real X server (Xvfb): their titles exactly
// as set, nothing appended, and the program's icon in both sizes. Read back with xprop.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include "drawn_contrast.h"
#include "game_prefix.h"
#include "ui/app_style.h"
#include "ui/frm_in_process.h"
#include "ui/frm_main.h"
#include "ui/message_box.h"

using namespace brambleton;
using namespace brambleton::ui;
using brambleton::testing::drawnContrast;
using brambleton::testing::GamePrefix;
using brambleton::ui::contrastRatio;

namespace {

QString windowProperty(const QWidget& window, const char* name) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                          QStringLiteral("-notype"), QString::fromLatin1(name)});
    if (!xprop.waitForFinished(10000)) return {};
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

QString title(const QWidget& window) {
    return windowProperty(window, "_NET_WM_NAME");
}

// The sizes of the images in _NET_WM_ICON, as "16x16".
QStringList iconSizes(const QWidget& window) {
    QStringList sizes;
    const auto found = QRegularExpression(QStringLiteral("Icon \\((\\d+) x (\\d+)\\)"))
                           .globalMatch(windowProperty(window, "_NET_WM_ICON"));
    for (auto it = found; it.hasNext();) {
        const auto m = it.next();
        sizes << m.captured(1) + "x" + m.captured(2);
    }
    return sizes;
}

void shown(QWidget& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

}  // namespace

class X11WindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { setUpApplication(); }

    void titlesAndIcons() {
        GamePrefix prefix;
        frmMain main(prefix.sources(), Loading::Later);
        shown(main);
        frmInProcess progress(&main);
        shown(progress);
        QCOMPARE(title(main), QStringLiteral("_NET_WM_NAME = \"The Sims Brambleton\""));
        QCOMPARE(title(progress), QStringLiteral("_NET_WM_NAME = \"Processing....\""));
        // Kept above the main window by the window manager, not above every program.
        QVERIFY2(windowProperty(progress, "WM_TRANSIENT_FOR")
                     .endsWith(QStringLiteral("0x%1").arg(main.winId(), 0, 16)),
                 qPrintable(windowProperty(progress, "WM_TRANSIENT_FOR")));
        QVERIFY(!windowProperty(progress, "_NET_WM_STATE").contains("ABOVE"));
        // The window's class is the one its menu entry names, so that docks group them.
        const QString wmClass = windowProperty(main, "WM_CLASS");
        const auto classes = QRegularExpression(QStringLiteral("\"([^\"]*)\"$")).match(wmClass);
        QVERIFY2(classes.hasMatch(), qPrintable(wmClass));
        QFile entry(
            QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../data/org.brambleton.Brambleton.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(entry.readAll())
                     .contains(QStringLiteral("\nStartupWMClass=") + classes.captured(1) + "\n"),
                 qPrintable(wmClass));
        for (const QWidget* window :
             {static_cast<QWidget*>(&main), static_cast<QWidget*>(&progress)}) {
            const QStringList sizes = iconSizes(*window);
            QVERIFY2(sizes.contains("16x16") && sizes.contains("32x32"),
                     qPrintable(sizes.join(",")));
        }

        // Message boxes, over the main window and not.
        const struct {
            QString title;
            QWidget* over;
            QString shownTitle;
        } boxes[] = {
            {QString(), &main, QStringLiteral("Brambleton")},
            {QStringLiteral("Cancel Action"), nullptr, QStringLiteral("Cancel Action")},
        };
        for (const auto& box : boxes) {
            QString seen;
            QTimer::singleShot(200, [&] {
                auto* shownBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!shownBox) return;
                seen = title(*shownBox);
                shownBox->accept();
            });
            showMessage(QStringLiteral("text"), box.title, box.over);
            QCOMPARE(seen, "_NET_WM_NAME = \"" + box.shownTitle + "\"");
        }
    }

    // Whatever palette the desktop hands over (the test command runs this once more under
    // GTK's Adwaita dark theme, with BRAMBLETON_EXPECT_DARK set), the Count caption and the
    // totals after a count read at 4.5:1 at least.
    void readableOnTheDesktopPalette() {
        if (qEnvironmentVariableIsSet("BRAMBLETON_EXPECT_DARK")) {
            QVERIFY2(QApplication::palette().color(QPalette::Window).lightness() < 100,
                     "the desktop's dark theme did not reach the program");
        }
        GamePrefix prefix;
        frmMain main(prefix.sources());
        shown(main);
        main.cmdContar_Click();
        for (const char* name : {"cmdContar", "Command2", "txtFiles", "txtTotalBytes"}) {
            auto* control = main.findChild<QWidget*>(name);
            const double contrast = drawnContrast(control);
            QVERIFY2(contrast >= 4.5,
                     qPrintable(QStringLiteral("%1: %2:1").arg(name).arg(contrast)));
        }
        // A category's circle and the pattern box's field stand out from the navy window,
        // 3:1 at least, as shapes must.
        const QColor navy(0, 0, 128);
        auto* option = main.findChild<QRadioButton*>("Option2");
        QStyleOptionButton button;
        button.initFrom(option);
        const QRect circle =
            option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &button, option);
        const QColor inCircle = option->grab().toImage().pixelColor(circle.center());
        QVERIFY2(contrastRatio(inCircle, navy) >= 3,
                 qPrintable(QStringLiteral("circle %1").arg(contrastRatio(inCircle, navy))));
        auto* filter = main.findChild<QWidget*>("cboFiltro");
        const QColor field = filter->grab().toImage().pixelColor(4, filter->height() / 2);
        QVERIFY2(contrastRatio(field, navy) >= 3,
                 qPrintable(QStringLiteral("pattern box %1").arg(contrastRatio(field, navy))));
    }
};

QTEST_MAIN(X11WindowTest)
#include "x11_window_test.moc"
