// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "counting/folder_source.h"
#include "ui/frm_in_process.h"
#include "ui/scan_thread.h"

class QCloseEvent;
class QKeyEvent;
class QShowEvent;

namespace brambleton::ui {

// A window of its own that scans the game's folders (the check, the catalogue, the lots). It
// owns what every such window needs, so that the windows keep only what they show:
//  - the worker thread and its stop token, one scan at a time (ScanThread);
//  - the folder source the scans read through, read by the running scan alone;
//  - the progress window with its Cancel while a scan runs;
//  - placement over the main window the first time it shows, Escape closing it as a dialog,
//    and closing or destroying it stopping the scan and waiting for it.
// A scan that throws shows its error, takes the progress window away and ends, so the window
// and the menus that wait for it are free again.
class ScanWindow : public QWidget {
    Q_OBJECT
  public:
    // `source` reads the folders; the platform's when null.
    explicit ScanWindow(QWidget* owner, std::unique_ptr<FolderSource> source = nullptr);
    ~ScanWindow() override;

    bool scanning() const noexcept { return scan_.running(); }
    // Asks a running scan to stop, as its Cancel does; its answer still comes, saying so.
    void cancel() noexcept { scan_.requestStop(); }
    // Stops a running scan and waits for it (a moment: it stops at the next folder or read),
    // dropping what it found; emits scanEnded(false). For closing.
    void stopScanning();

  signals:
    void scanStarted();
    // `completed`: what the window shows is the new scan's; false when it was cancelled,
    // stopped or failed.
    void scanEnded(bool completed);

  protected:
    // Starts `scan` on the worker, with the progress window when `withProgress`; false,
    // starting nothing, when a scan runs. The answer's delivery runs on this window's thread,
    // after the progress window has gone.
    bool startScan(ScanThread::Scan scan, bool withProgress = true);
    // Says where the running scan is; `where` is a path as the scan gave it. Nothing by
    // default.
    virtual void showProgress(const QString& where);
    // The folders' source, for the scan's thread alone while it runs.
    FolderSource& source() { return *source_; }

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void endProgress();
    void failed(const QString& error);

    std::unique_ptr<FolderSource> source_;
    ScanThread scan_;
    QPointer<frmInProcess> progress_;
    bool placed_ = false;  // moved over the main window once
};

}  // namespace brambleton::ui
