// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace brambleton::ui {

// Runs slow reading (a folder of 200,000 files, a search through thousands of Wine prefixes)
// on a thread of its own, so the window keeps answering, and hands the answer back on the
// receiver's thread. One job at a time counts: starting another, or destroying this object,
// abandons the one running, whose answer is then dropped unseen. An abandoned job is left to
// end alone (a hung network folder may never return); it touches nothing but its own copies.
class BackgroundWork {
  public:
    // What a job computes, off the receiver's thread: it returns what to do with its answer,
    // which then runs on the receiver's thread.
    using Job = std::function<std::function<void()>()>;

    explicit BackgroundWork(QObject* receiver) : receiver_(receiver) {}
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Abandons the running job and starts `job`.
    void start(Job job);
    // Abandons the running job, if any.
    void abandon();
    // Whether a job was started and its answer has not been handed over yet.
    bool busy() const noexcept { return busy_; }

  private:
    struct Ticket;
    QObject* receiver_;
    std::shared_ptr<Ticket> current_;
    bool busy_ = false;
};

}  // namespace brambleton::ui
