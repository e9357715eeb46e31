// SPDX-License-Identifier: MIT
#include "ui/frm_in_process.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "counting/file_counter.h"
#include "ui/app_style.h"
#include "ui/twips.h"

namespace brambleton::ui {

frmInProcess::frmInProcess(QWidget* over)
    // A tool window of the main window: the window manager keeps it above that window (a
    // message about an unreadable folder raises the main window, and Cancel must stay in
    // sight) and below other programs' windows. A message box over the main window blocks
    // only that window, so Cancel stays usable.
    : QWidget(over, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmInProcess"));
    setWindowTitle(QStringLiteral("Processing...."));
    setWindowIcon(applicationIcon());
    applyWindowLook(this);
    setFixedSize(fromTwips(2955), fromTwips(585));

    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(twipsRect(1680, 120, 1170, 345));
    makeCommandButton(cmdCancel_);

    Label1_ = new QLabel(QStringLiteral("Please Wait...."), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setGeometry(twipsRect(120, 120, 1500, 330));
    Label1_->setAlignment(Qt::AlignCenter);

    connect(cmdCancel_, &QPushButton::clicked, this, &frmInProcess::cmdCancel_Click);

    if (over) {
        // Centred across the lower edge of the window it is about, clear of the messages,
        // which stand over that window's centre.
        const QRect host = over->frameGeometry();
        move(host.center().x() - width() / 2, host.bottom() - height() - fromTwips(600));
    }
}

void frmInProcess::cmdCancel_Click() {
    if (mFC) {
        mFC->Cancel(true);
    } else if (cancelAction) {
        cancelAction();
    }
}

void frmInProcess::closeEvent(QCloseEvent* event) {
    cmdCancel_Click();
    event->ignore();
}

void frmInProcess::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Space) {
        cmdCancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmInProcess::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
    cmdCancel_->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace brambleton::ui
