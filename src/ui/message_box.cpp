// SPDX-License-Identifier: MIT
#include "ui/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QTextDocument>

#include "ui/app_style.h"

namespace brambleton::ui {
namespace {

MessageHook& hook() {
    static MessageHook installed;
    return installed;
}

}  // namespace

QString applicationTitle() {
    return QStringLiteral("Brambleton");
}

namespace {

// The window a box with no window of its own stands over: the one in use, else the first
// the program shows. A box with no parent may open behind the window it blocks (Windows
// puts it there when the window was not in front), which then looks hung.
QWidget* defaultOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !(window->windowType() & (Qt::Popup & ~Qt::Window)) &&
            !window->testAttribute(Qt::WA_DontShowOnScreen)) {
            return window;
        }
    }
    return nullptr;
}

// The box every message shows in, over `over` when given, with its OK button (Cancel, for a
// question: `cancel`); `action`, when not empty, adds a second button. Returns whether that
// button was pressed. Without `over` the box blocks the whole program, standing over the
// window in use.
bool runBox(const QString& text, const QString& shownTitle, QWidget* over, const QString& action,
            bool cancel = false) {
    QWidget* parent = over ? over : defaultOwner();
    QMessageBox box(QMessageBox::NoIcon, shownTitle, QString(),
                    cancel ? QMessageBox::Cancel : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    QAbstractButton* offered =
        action.isEmpty() ? nullptr : box.addButton(action, QMessageBox::AcceptRole);
    if (offered) box.setDefaultButton(qobject_cast<QPushButton*>(offered));
    if (parent) {
        // The desktop's own colours, not those of the navy window it stands over: every
        // role set, since a palette with none set still takes the window's.
        usePlatformColours(&box);
        box.setFont(QApplication::font(&box));
        box.setWindowModality(over ? Qt::WindowModal : Qt::ApplicationModal);
    }
    // Wide enough that a window manager's title bar, with its icon and buttons, shows the
    // whole title over a short text.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth =
            QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(shownTitle);
        grid->addItem(new QSpacerItem(titleWidth * 3 / 2 + 150, 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
    return offered && box.clickedButton() == offered;
}

}  // namespace

void showMessage(const QString& text, const QString& title, QWidget* over) {
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    if (hook()) {
        hook()(text, shownTitle);
        return;
    }
    runBox(text, shownTitle, over, {});
}

bool showMessageOffering(const QString& text, const QString& action, QWidget* over) {
    if (hook()) {
        // The button's words after the text, as a test reads what the box offers.
        hook()(text + QStringLiteral("\n[") + QString(action).remove(QLatin1Char('&')) +
                   QLatin1Char(']'),
               applicationTitle());
        return false;
    }
    return runBox(text, applicationTitle(), over, action);
}

bool askToConfirm(const QString& text, const QString& action, QWidget* over) {
    if (hook()) {
        hook()(text + QStringLiteral("\n[") + QString(action).remove(QLatin1Char('&')) +
                   QStringLiteral("] [Cancel]"),
               applicationTitle());
        return false;
    }
    return runBox(text, applicationTitle(), over, action, true);
}

void setMessageHook(MessageHook h) {
    hook() = std::move(h);
}

QString plainToolTip(const QString& text) {
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QString handlerErrorText(const QString& prefix, int number, const QString& description) {
    return prefix + QString::number(number) + QStringLiteral("\r\n") + description;
}

}  // namespace brambleton::ui
