// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/frm_in_process.h"

class QKeyEvent;
class QShowEvent;

namespace brambleton::ui {

// A window of its own that scans the game's folders (the check, the catalogue, the lots):
// placed over the main window it belongs to the first time it shows, closed by Escape as a
// dialog is, and showing the progress window with its Cancel while a scan runs.
class ScanWindow : public QWidget {
  public:
    explicit ScanWindow(QWidget* owner) : QWidget(owner, Qt::Window) {}

  protected:
    // Shows the progress window, over this window when it is shown, else over its owner;
    // its Cancel runs `cancel`.
    void startProgress(std::function<void()> cancel);
    // Takes the progress window away, if it is there.
    void endProgress();

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QPointer<frmInProcess> progress_;
    bool placed_ = false;  // moved over the main window once
};

}  // namespace brambleton::ui
