// SPDX-License-Identifier: MIT
// brambleton: the window program.

#include <QApplication>

#include "ui/app_style.h"
#include "ui/frm_main.h"
#include "ui/platform_setup.h"

int main(int argc, char** argv) {
    brambleton::ui::choosePlatformOptions();
    QApplication app(argc, argv);
    brambleton::ui::setUpApplication();

    // Shown before it loads, so that a message the load gives (the game not found) stands
    // over the window it is about.
    brambleton::ui::frmMain window(brambleton::ui::Sources::fromProcess(),
                                   brambleton::ui::Loading::Later);
    window.show();
    window.Form_Load();
    return app.exec();
}
