// SPDX-License-Identifier: MIT
#include "ui/background_work.h"

#include <QMetaObject>
#include <mutex>
#include <thread>

namespace brambleton::ui {

// Shared by the receiver's side and the job's thread. The answer is posted under the lock,
// and abandoning takes the same lock, so nothing is ever posted to a receiver that is gone:
// events already posted to it are discarded with it.
struct BackgroundWork::Ticket {
    std::mutex mutex;
    bool abandoned = false;
};

BackgroundWork::~BackgroundWork() {
    abandon();
}

void BackgroundWork::abandon() {
    if (current_) {
        const std::lock_guard lock(current_->mutex);
        current_->abandoned = true;
    }
    current_.reset();
    busy_ = false;
}

void BackgroundWork::start(Job job) {
    abandon();
    auto ticket = std::make_shared<Ticket>();
    current_ = ticket;
    busy_ = true;
    std::thread([this, ticket, receiver = receiver_, job = std::move(job)] {
        std::function<void()> deliver;
        try {
            deliver = job();
        } catch (...) {
            // A job reports its own failures in its answer; one that throws has none.
        }
        const std::lock_guard lock(ticket->mutex);
        if (ticket->abandoned) return;
        QMetaObject::invokeMethod(
            receiver,
            [this, ticket, deliver = std::move(deliver)] {
                // Runs on the receiver's thread, where abandon() runs too: no lock needed.
                if (ticket->abandoned) return;
                busy_ = false;
                current_.reset();
                if (deliver) deliver();
            },
            Qt::QueuedConnection);
    }).detach();
}

}  // namespace brambleton::ui
