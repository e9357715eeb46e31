#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace brambleton::ui {
namespace {

MessageHook& hook() {
    static MessageHook installed;
    return installed;
}

}  // namespace

QString applicationTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Brambleton") : name;
}

void showMessage(const QString& text, const QString& title) {
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    if (hook()) {
        hook()(text, shownTitle);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, shownTitle, text, QMessageBox::Ok);
    box.exec();
}

void setMessageHook(MessageHook h) {
    hook() = std::move(h);
}

QString handlerErrorText(const QString& prefix, int number, const QString& description) {
    return prefix + QString::number(number) + QStringLiteral("\r\n") + description;
}

}  // namespace brambleton::ui
