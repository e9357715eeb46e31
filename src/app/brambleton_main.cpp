// brambleton: the window program.

#include <QApplication>

#include "ui/app_style.h"
#include "ui/frm_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("brambleton"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brambleton"));
    QApplication::setDesktopFileName(QStringLiteral("org.brambleton.Brambleton"));
    brambleton::ui::setUpApplicationLook();

    brambleton::ui::frmMain window;
    window.show();
    return app.exec();
}
