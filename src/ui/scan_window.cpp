// SPDX-License-Identifier: MIT
#include "ui/scan_window.h"

#include <QKeyEvent>
#include <QShowEvent>

namespace brambleton::ui {

void ScanWindow::startProgress(std::function<void()> cancel) {
    progress_ = new frmInProcess(isVisible() ? this : parentWidget());
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    progress_->cancelAction = std::move(cancel);
    progress_->show();
}

void ScanWindow::endProgress() {
    if (progress_) {
        progress_->cancelAction = nullptr;
        delete progress_;
    }
}

void ScanWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ScanWindow::showEvent(QShowEvent* event) {
    // The first time, over the main window it belongs to.
    if (!placed_ && parentWidget()) {
        placed_ = true;
        move(parentWidget()->frameGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

}  // namespace brambleton::ui
