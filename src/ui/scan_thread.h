// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>

namespace brambleton::ui {

// Runs one scan of the game's folders (the check, and the scans that follow it) at a time on
// a thread of its own, so that the window that started it never re-enters its event loop.
// The scan is told to stop through a stop token; where it is goes to the window as queued
// calls, at most ten a second; its answer is handed back on the window's thread, and so is
// the error of a scan that throws, so that no scan ends unheard. Stopping
// waits for the thread: a scan looks at its token at every folder and between reads, so
// that takes a moment, and nothing of the scan outlives its owner.
class ScanThread {
  public:
    // Says on the scan's thread where it is; cheap, and safe to call as often as it likes.
    using Progress = std::function<void(const std::string& where)>;
    // What a scan does, on its thread: it returns what to do with its answer, which then
    // runs on the receiver's thread unless the scan was stopped and waited for first.
    using Scan = std::function<std::function<void()>(std::stop_token, const Progress&)>;

    // `receiver` is the window whose thread gets the progress and the answers; `shown`
    // shows where a scan is, and `failed` what stopped a scan that threw, on that thread.
    ScanThread(QObject* receiver, std::function<void(const QString& where)> shown,
               std::function<void(const QString& error)> failed = {})
        : receiver_(receiver), shown_(std::move(shown)), failed_(std::move(failed)) {}
    ~ScanThread() { stopAndWait(); }
    ScanThread(const ScanThread&) = delete;
    ScanThread& operator=(const ScanThread&) = delete;

    // Starts `scan`; false, starting nothing, when one is running.
    bool start(Scan scan);
    // Asks the running scan to stop; its answer still comes, saying it was stopped.
    void requestStop() noexcept;
    // Asks the running scan to stop and waits for its thread; its answer is dropped.
    void stopAndWait() noexcept;
    bool running() const noexcept { return running_; }

  private:
    QObject* receiver_;
    std::function<void(const QString&)> shown_;
    std::function<void(const QString&)> failed_;
    std::jthread thread_;
    unsigned scan_ = 0;  // which scan's answers and progress are still wanted
    bool running_ = false;
};

}  // namespace brambleton::ui
