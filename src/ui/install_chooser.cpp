// SPDX-License-Identifier: MIT
#include "ui/install_chooser.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/message_box.h"

namespace brambleton::ui {

int chooseInstall(QWidget* parent, const std::vector<GameInstall>& installs) {
    if (installs.size() < 2) return 0;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("chooseInstall"));
    dialog.setWindowTitle(applicationTitle());
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        QStringLiteral("The Sims is installed more than once. Which copy should Brambleton show?"),
        &dialog));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("installs"));
    for (const auto& install : installs) {
        auto* item = new QListWidgetItem(QString::fromStdString(install.installPath) +
                                             QStringLiteral("\n    ") +
                                             QString::fromStdString(install.source),
                                         list);
        item->setToolTip(plainToolTip(QString::fromStdString(install.hostFolder)));
    }
    list->setCurrentRow(0);
    list->setMinimumWidth(560);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return 0;
    return list->currentRow();
}

}  // namespace brambleton::ui
