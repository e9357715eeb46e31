#include "ui/app_style.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>

namespace brambleton::ui {

void setUpApplicationLook() {
    // The layout was designed around these fonts; Liberation's have the same metrics, so
    // text fits its boxes as designed on desktops that lack the originals.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    if (auto* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
    }
    QApplication::setWindowIcon(applicationIcon());
}

QIcon applicationIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/16x16/brambleton.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/32x32/brambleton.png"), QSize(32, 32));
    return icon;
}

void applyWindowLook(QWidget* window) {
    QPalette palette = window->palette();
    const QColor navy(0, 0, 128);
    const QColor white(255, 255, 255);
    palette.setColor(QPalette::Window, navy);
    palette.setColor(QPalette::WindowText, white);
    palette.setColor(QPalette::Button, white);
    palette.setColor(QPalette::ButtonText, QApplication::palette().color(QPalette::ButtonText));
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    window->setFont(font);
}

}  // namespace brambleton::ui
