// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace brambleton {
class CFileCounter;
}

namespace brambleton::ui {

// The small window shown while a count or a scan runs. Its only effect is to set the cancel
// flag of the counter it holds, or to run the cancel action it holds when it holds no
// counter; it starts, ends and polls nothing.
class frmInProcess : public QWidget {
    Q_OBJECT
  public:
    // A small window of its own, kept above `over` (the main window) but not above other
    // programs' windows, placed over the lower part of `over` when one is given.
    explicit frmInProcess(QWidget* over = nullptr);

    // The counter to cancel, lent by the main window before it shows this window; not owned.
    CFileCounter* mFC = nullptr;
    // What Cancel does for a scan (asks it to stop), set by the window that runs the scan.
    std::function<void()> cancelAction;

    // Sets mFC's cancel flag, or without a counter runs cancelAction, and nothing else.
    void cmdCancel_Click();

  protected:
    // Closing by the frame asks the count to stop, as Cancel does; the main window closes
    // this window when the count returns.
    void closeEvent(QCloseEvent* event) override;
    // Escape and Space ask the count to stop too.
    void keyPressEvent(QKeyEvent* event) override;
    // Takes the focus when shown, so the keys above reach it.
    void showEvent(QShowEvent* event) override;

  private:
    QPushButton* cmdCancel_;
    QLabel* Label1_;
};

}  // namespace brambleton::ui
