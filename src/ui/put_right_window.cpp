// SPDX-License-Identifier: MIT
#include "ui/put_right_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "actions/change_words.h"
#include "common/runtime_error.h"
#include "ui/app_style.h"
#include "ui/message_box.h"
#include "ui/shown_text.h"

namespace brambleton::ui {

namespace {

constexpr int kStepRole = Qt::UserRole + 1;  // the step's index in the plan
constexpr int kGameLookMs = 1500;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PutRightWindow::PutRightWindow(actions::Plan plan, actions::WritePlaces places, QWidget* owner)
    : QDialog(owner),
      plan_(std::move(plan)),
      places_(std::move(places)),
      watch_(actions::hostPath(plan_.install)),
      done_(std::make_shared<std::atomic<std::size_t>>(0)) {
    setObjectName(QStringLiteral("putRight"));
    setWindowTitle(tr("Put it right"));
    setWindowIcon(applicationIcon());
    usePlatformColours(this);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    banner_ = new QLabel(this);
    banner_->setObjectName(QStringLiteral("gameBanner"));
    banner_->setTextFormat(Qt::PlainText);
    banner_->setWordWrap(true);
    banner_->setFrameShape(QFrame::StyledPanel);
    banner_->setMargin(6);
    banner_->hide();
    layout->addWidget(banner_);
    warning_ = new QLabel(this);
    warning_->setObjectName(QStringLiteral("warning"));
    warning_->setTextFormat(Qt::PlainText);
    warning_->setWordWrap(true);
    warning_->setFrameShape(QFrame::StyledPanel);
    warning_->setMargin(6);
    warning_->hide();
    layout->addWidget(warning_);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    steps_ = new QTreeWidget(this);
    steps_->setObjectName(QStringLiteral("steps"));
    steps_->setHeaderHidden(true);
    steps_->setRootIsDecorated(false);
    layout->addWidget(steps_, 1);
    progress_ = new QProgressBar(this);
    progress_->hide();
    layout->addWidget(progress_);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("result"));
    result_->setTextFormat(Qt::PlainText);
    result_->setWordWrap(true);
    result_->hide();
    layout->addWidget(result_);
    auto* buttons = new QHBoxLayout;
    putRight_ = new QPushButton(tr("Put it right"), this);
    putRight_->setObjectName(QStringLiteral("putRightButton"));
    close_ = new QPushButton(tr("Close"), this);
    for (auto* button : {putRight_, close_}) pressOnEnter(button);
    buttons->addStretch();
    buttons->addWidget(putRight_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(putRight_, &QPushButton::clicked, this, &PutRightWindow::confirmAndStart);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    connect(steps_, &QTreeWidget::itemChanged, this, &PutRightWindow::updateSummary);
    gameTimer_ = new QTimer(this);
    gameTimer_->setInterval(kGameLookMs);
    connect(gameTimer_, &QTimer::timeout, this, &PutRightWindow::lookForGame);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this,
            [this] { progress_->setValue(static_cast<int>(done_->load())); });
    fill();
    lookForGame();
    gameTimer_->start();
    resize(760, 520);
}

PutRightWindow::~PutRightWindow() = default;

void PutRightWindow::setWarning(const QString& text) {
    warning_->setText(text);
    warning_->setVisible(!text.isEmpty());
}

void PutRightWindow::setCaptions(const QString& title, const QString& button) {
    setWindowTitle(title);
    putRight_->setText(button);
}

void PutRightWindow::fill() {
    const QSignalBlocker blocker(steps_);
    steps_->clear();
    for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
        const auto& step = plan_.steps[i];
        auto* item = new QTreeWidgetItem(steps_);
        QString text = readable(fromUtf8(actions::stepText(step, plan_.install)));
        item->setData(0, kStepRole, static_cast<qulonglong>(i));
        if (step.refusal == actions::Refusal::kNone) {
            item->setCheckState(0, Qt::Checked);
        } else {
            // Left out, and why, on the same line: a second column would be off the window.
            text = tr("Left out: %1 (%2)")
                       .arg(text, fromUtf8(std::string(actions::refusalText(step.refusal))));
            item->setCheckState(0, Qt::Unchecked);
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        }
        item->setText(0, text);
        item->setToolTip(0, plainToolTip(text + QLatin1Char('\n') + fromUtf8(step.from)));
    }
    steps_->resizeColumnToContents(0);
    updateSummary();
}

actions::Plan PutRightWindow::ticked() const {
    actions::Plan plan;
    plan.install = plan_.install;
    for (int i = 0; i < steps_->topLevelItemCount(); ++i) {
        const auto* item = steps_->topLevelItem(i);
        const auto index = item->data(0, kStepRole).toULongLong();
        if (item->checkState(0) == Qt::Checked) plan.steps.push_back(plan_.steps[index]);
    }
    return plan;
}

void PutRightWindow::updateSummary() {
    const auto counts = actions::countSteps(ticked());
    const auto refused = plan_.steps.size() - actions::countSteps(plan_).steps;
    const QString text = fromUtf8(actions::planSummary(counts, refused));
    summary_->setText(text);
    putRight_->setEnabled(counts.steps > 0 && !game_ && !running());
}

void PutRightWindow::lookForGame() {
    if (running()) return;
    game_ = watch_.running();
    banner_->setVisible(game_.has_value());
    if (game_) {
        banner_->setText(tr("The game is running (%1). Brambleton changes nothing while it "
                            "plays; %2 waits until it ends.")
                             .arg(fromUtf8(*game_), putRight_->text()));
    }
    updateSummary();
}

void PutRightWindow::confirmAndStart() {
    const auto counts = actions::countSteps(ticked());
    if (counts.steps == 0) return;
    const QString question = fromUtf8(actions::confirmText(counts));
    if (askToConfirm(question, putRight_->text(), this)) start();
}

bool PutRightWindow::start() {
    if (running()) return false;
    auto plan = ticked();
    if (plan.steps.empty()) return false;
    const auto label = actions::changeLabel(plan);
    done_->store(0);
    progress_->setRange(0, static_cast<int>(plan.steps.size()));
    progress_->setValue(0);
    progress_->show();
    putRight_->setEnabled(false);
    steps_->setEnabled(false);
    close_->setEnabled(false);
    progressTimer_->start();
    work_.start([this, plan = std::move(plan), label, places = places_, done = done_] {
        actions::ChangeOutcome outcome;
        std::string failed;
        try {
            actions::Changes changes(places);
            changes.recover();
            actions::ChangeHooks hooks;
            hooks.progress = [done](std::size_t n, std::size_t) { done->store(n); };
            outcome = changes.carryOut(plan, label, hooks);
        } catch (const RuntimeError& e) {
            failed = e.description();
        }
        return std::function<void()>([this, outcome, failed] {
            progressTimer_->stop();
            progress_->hide();
            close_->setEnabled(true);
            steps_->setEnabled(true);
            if (!failed.empty()) {
                showMessage(fromUtf8(failed), {}, this);
                updateSummary();
                return;
            }
            showOutcome(outcome);
        });
    });
    return true;
}

void PutRightWindow::showOutcome(const actions::ChangeOutcome& outcome) {
    outcome_ = outcome;
    steps_->clear();
    for (const auto& s : outcome.steps) {
        auto* item = new QTreeWidgetItem(steps_);
        const QString text = readable(fromUtf8(actions::stepText(s.step, plan_.install)));
        item->setText(0, s.done ? tr("Done: %1").arg(text)
                                : tr("Not done: %1 (%2)").arg(text, fromUtf8(s.why)));
        item->setToolTip(0, plainToolTip(item->text(0)));
    }
    const QString text = fromUtf8(actions::outcomeText(outcome, "Content > Undo last change"));
    result_->setText(text);
    result_->show();
    summary_->hide();
    putRight_->hide();
    gameTimer_->stop();
    emit changed();
}

void PutRightWindow::closeEvent(QCloseEvent* event) {
    // A change runs to its end: each step is journalled, and stopping halfway would only
    // leave a change to take back.
    if (running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace brambleton::ui

namespace brambleton::ui {

void PutRightWindow::reject() {
    if (!running()) QDialog::reject();
}

}  // namespace brambleton::ui
