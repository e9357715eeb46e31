// SPDX-License-Identifier: MIT
#include "ui/content_actions.h"

#include <QDir>
#include <QPushButton>
#include <QWidget>
#include <algorithm>

#include "actions/plan.h"
#include "ui/app_style.h"
#include "ui/message_box.h"
#include "ui/module2.h"
#include "ui/put_right_window.h"
#include "ui/shown_text.h"

namespace brambleton::ui {

ContentActions::ContentActions(QWidget* window) : QObject(window), window_(window) {
    showInFolder_ = new QPushButton(tr("Show in folder"), window);
    showInFolder_->setObjectName(QStringLiteral("showInFolder"));
    moveToTrash_ = new QPushButton(tr("Move to trash..."), window);
    moveToTrash_->setObjectName(QStringLiteral("moveToTrash"));
    moveToTrash_->setToolTip(
        tr("Moves the selected files to the trash, after naming the saved lots that use "
           "them. Content > Undo last change puts them back."));
    undo_ = new QPushButton(tr("Undo last change"), window);
    undo_->setObjectName(QStringLiteral("undoChange"));
    for (auto* button : {showInFolder_, moveToTrash_, undo_}) {
        pressOnEnter(button);
        button->setEnabled(button == undo_);
    }
    connect(showInFolder_, &QPushButton::clicked, this, &ContentActions::showSelectedInFolder);
    connect(moveToTrash_, &QPushButton::clicked, this, &ContentActions::trashSelected);
    connect(undo_, &QPushButton::clicked, this, &ContentActions::undoRequested);
}

void ContentActions::select(const std::string& install, std::vector<std::string> files,
                            QStringList lots, bool lotsKnown) {
    install_ = install;
    files_ = std::move(files);
    lots_ = std::move(lots);
    lotsKnown_ = lotsKnown;
    const bool anyOwn = std::any_of(files_.begin(), files_.end(), [this](const std::string& f) {
        return actions::playersOwn(install_, f);
    });
    showInFolder_->setEnabled(files_.size() == 1 && anyOwn);
    moveToTrash_->setEnabled(anyOwn);
}

PutRightWindow* ContentActions::trashSelected() {
    std::vector<std::string> own;
    for (const auto& file : files_) {
        if (actions::playersOwn(install_, file)) own.push_back(file);
    }
    if (own.empty()) return nullptr;
    if (plan_) plan_->close();
    plan_ = new PutRightWindow(actions::planChosenTrash(install_, own), places_, window_);
    plan_->setAttribute(Qt::WA_DeleteOnClose);
    plan_->setWindowModality(Qt::WindowModal);
    plan_->setCaptions(tr("Move to trash"), tr("Move to trash"));
    const QString names = readable(lots_.join(QStringLiteral(", ")));
    if (!lotsKnown_) {
        plan_->setWarning(
            tr("Which saved lots use this could not be told. A lot that uses it loses it for "
               "good when it is next saved without it."));
    } else if (!lots_.isEmpty()) {
        plan_->setWarning(tr("Saved lots use this: %1. Without it they miss it, and the game "
                             "drops it from each lot for good when the lot is saved. Undo "
                             "before you play puts it back.")
                              .arg(names));
    }
    connect(plan_, &PutRightWindow::changed, this, &ContentActions::changed);
    plan_->show();
    return plan_;
}

void showInFolder(const std::string& path, QWidget* over) {
    QPointer<QWidget> window(over);
    Module2::ShowInFolder(path, [window, path](const std::string& why) {
        showMessage(QObject::tr("%1 could not be shown in its folder: %2.")
                        .arg(QDir::toNativeSeparators(QString::fromStdString(path)),
                             QString::fromStdString(why)),
                    {}, window);
    });
}

void ContentActions::showSelectedInFolder() {
    if (files_.size() == 1) ui::showInFolder(files_.front(), window_);
}

}  // namespace brambleton::ui
