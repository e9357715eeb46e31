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
    return QStringLiteral("Brambleton");
}

void showMessage(const QString& text, const QString& title, QWidget* over) {
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    if (hook()) {
        hook()(text, shownTitle);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, shownTitle, text, QMessageBox::Ok, over);
    if (over) box.setWindowModality(Qt::WindowModal);
    box.exec();
}

void setMessageHook(MessageHook h) {
    hook() = std::move(h);
}

QString handlerErrorText(const QString& prefix, int number, const QString& description) {
    return prefix + QString::number(number) + QStringLiteral("\r\n") + description;
}

}  // namespace brambleton::ui
