// SPDX-License-Identifier: MIT
// brambleton: the window program.

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "ui/app_style.h"
#include "ui/frm_main.h"
#include "ui/platform_setup.h"

int main(int argc, char** argv) {
    brambleton::ui::choosePlatformOptions();
    QApplication app(argc, argv);
    brambleton::ui::setUpApplication();
    brambleton::ui::followDesktopColourScheme();

    // Loaded before it is shown, so it never shows empty. The search for the game runs in the
    // background; a quick one ends before the window shows, so it opens on Objects, and a
    // slow one (thousands of Wine prefixes, a cold disk) leaves the window answering, in the
    // home folder, until it ends.
    brambleton::ui::frmMain window(brambleton::ui::Sources::fromProcess(),
                                   brambleton::ui::Loading::Later);
    window.Form_Load();
    if (window.searching()) {
        QEventLoop found;
        QObject::connect(&window, &brambleton::ui::frmMain::searched, &found, &QEventLoop::quit);
        QTimer::singleShot(400, &found, &QEventLoop::quit);
        found.exec();
    }
    window.show();
    return app.exec();
}
