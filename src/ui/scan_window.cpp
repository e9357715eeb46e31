// SPDX-License-Identifier: MIT
#include "ui/scan_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

#include "ui/message_box.h"
#include "ui/shown_text.h"

namespace brambleton::ui {

ScanWindow::ScanWindow(QWidget* owner, std::unique_ptr<FolderSource> source)
    : QWidget(owner, Qt::Window),
      source_(source ? std::move(source) : makePlatformFolderSource()),
      scan_(
          this, [this](const QString& where) { showProgress(where); },
          [this](const QString& error) { failed(error); }) {}

ScanWindow::~ScanWindow() {
    // Before the source goes: the scan reads through it.
    scan_.stopAndWait();
    endProgress();
}

bool ScanWindow::startScan(ScanThread::Scan scan, bool withProgress) {
    if (scan_.running()) return false;
    if (withProgress) {
        progress_ = new frmInProcess(isVisible() ? this : parentWidget());
        progress_->setAttribute(Qt::WA_DeleteOnClose, false);
        progress_->cancelAction = [this] { scan_.requestStop(); };
        progress_->show();
    }
    scan_.start(
        [this, scan = std::move(scan)](std::stop_token stop, const ScanThread::Progress& progress) {
            auto deliver = scan(std::move(stop), progress);
            return std::function<void()>([this, deliver = std::move(deliver)] {
                endProgress();
                if (deliver) deliver();
            });
        });
    emit scanStarted();
    return true;
}

void ScanWindow::stopScanning() {
    if (!scan_.running()) return;
    scan_.stopAndWait();
    endProgress();
    emit scanEnded(false);
}

void ScanWindow::showProgress(const QString&) {}

void ScanWindow::endProgress() {
    if (progress_) {
        progress_->cancelAction = nullptr;
        delete progress_;
    }
}

void ScanWindow::failed(const QString& error) {
    endProgress();
    showMessage(tr("Reading the game's folders stopped on an error, so nothing new is shown: %1")
                    .arg(readable(error)),
                {}, isVisible() ? this : parentWidget());
    emit scanEnded(false);
}

void ScanWindow::closeEvent(QCloseEvent* event) {
    // Closed while a scan runs: the player no longer wants what it would show.
    stopScanning();
    QWidget::closeEvent(event);
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
