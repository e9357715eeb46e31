// SPDX-License-Identifier: MIT
#include "ui/scan_thread.h"

#include <QMetaObject>
#include <chrono>
#include <exception>

namespace brambleton::ui {
namespace {

// Runs `scan`; what it throws becomes `error`, and it answers nothing.
std::function<void()> runCaught(const ScanThread::Scan& scan, const std::stop_token& stop,
                                const ScanThread::Progress& progress, QString& error) {
    const QString unknown = QStringLiteral("an error with no description");
    try {
        return scan(stop, progress);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        if (error.isEmpty()) error = unknown;
    } catch (...) {
        error = unknown;
    }
    return {};
}

}  // namespace

bool ScanThread::start(Scan scan) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();  // the last scan, which has handed its answer over
    running_ = true;
    const unsigned id = ++scan_;
    thread_ = std::jthread(
        [this, id, receiver = receiver_, scan = std::move(scan)](const std::stop_token& stop) {
            auto last = std::chrono::steady_clock::now() - std::chrono::seconds(1);
            const Progress progress = [&](const std::string& where) {
                const auto now = std::chrono::steady_clock::now();
                if (now - last < std::chrono::milliseconds(100)) return;
                last = now;
                QMetaObject::invokeMethod(
                    receiver,
                    [this, id, where = QString::fromStdString(where)] {
                        if (id == scan_ && running_ && shown_) shown_(where);
                    },
                    Qt::QueuedConnection);
            };
            QString error;
            std::function<void()> deliver = runCaught(scan, stop, progress, error);
            // Posted events die with their receiver, and the receiver's thread waits for this
            // thread before `this` goes: the call below never runs on anything gone.
            QMetaObject::invokeMethod(
                receiver,
                [this, id, deliver = std::move(deliver), error] {
                    if (id != scan_) return;  // stopped and waited for: dropped
                    running_ = false;
                    if (!error.isEmpty()) {
                        if (failed_) failed_(error);
                    } else if (deliver) {
                        deliver();
                    }
                },
                Qt::QueuedConnection);
        });
    return true;
}

void ScanThread::requestStop() noexcept {
    thread_.request_stop();
}

void ScanThread::stopAndWait() noexcept {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    ++scan_;  // its answer, posted or not, is dropped
    running_ = false;
}

}  // namespace brambleton::ui
