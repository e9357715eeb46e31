// SPDX-License-Identifier: MIT
#include "ui/changes_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "actions/change_words.h"
#include "common/runtime_error.h"
#include "ui/app_style.h"
#include "ui/message_box.h"
#include "ui/shown_text.h"

namespace brambleton::ui {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kUndoableRole = Qt::UserRole + 2;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString stateText(const actions::Change& change) {
    const auto state = actions::stateName(change);
    if (state == "done") return ChangesWindow::tr("Stands");
    if (state == "undone") return ChangesWindow::tr("Taken back");
    if (state == "partly undone") return ChangesWindow::tr("Partly taken back");
    return ChangesWindow::tr("Cut short; taken back at the next start");
}

}  // namespace

actions::WritePlaces writePlacesOf(const HostEnvironment& environment) {
    const auto data = environment.dataFolder.empty() ? environment.home / ".local" / "share"
                                                     : environment.dataFolder;
    actions::WritePlaces places;
    places.journal = data / "brambleton";
    places.trash.dataHome = data;
    return places;
}

std::optional<actions::Change> lastUndoableChange(const actions::WritePlaces& places) {
    auto changes = actions::readChanges(places.journal);
    std::reverse(changes.begin(), changes.end());  // newest first
    for (auto& change : changes) {
        if (change.undoable()) return std::move(change);
    }
    return std::nullopt;
}

ChangesWindow::ChangesWindow(actions::WritePlaces places, QWidget* owner)
    : QDialog(owner), places_(std::move(places)) {
    setObjectName(QStringLiteral("changes"));
    setWindowTitle(tr("Changes"));
    setWindowIcon(applicationIcon());
    usePlatformColours(this);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("What Brambleton changed in the game's folders, newest first. "
                                "Undo takes back a change step by step; a file changed since, "
                                "or whose old place is taken, is left where it is and named."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    history_ = new QTreeWidget(this);
    history_->setObjectName(QStringLiteral("history"));
    history_->setHeaderLabels({tr("Change"), tr("State")});
    history_->header()->setStretchLastSection(true);
    layout->addWidget(history_, 1);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("result"));
    result_->setTextFormat(Qt::PlainText);
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->hide();
    layout->addWidget(result_);
    auto* buttons = new QHBoxLayout;
    undo_ = new QPushButton(tr("Undo"), this);
    undo_->setObjectName(QStringLiteral("undoChange"));
    close_ = new QPushButton(tr("Close"), this);
    for (auto* button : {undo_, close_}) pressOnEnter(button);
    buttons->addStretch();
    buttons->addWidget(undo_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(history_, &QTreeWidget::currentItemChanged, this, &ChangesWindow::selectionChanged);
    connect(undo_, &QPushButton::clicked, this, [this] {
        const auto* item = history_->currentItem();
        while (item && item->parent()) item = item->parent();
        if (item) undo(item->data(0, kIdRole).toString().toStdString());
    });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    refresh();
    resize(720, 480);
}

ChangesWindow::~ChangesWindow() = default;

void ChangesWindow::refresh() {
    history_->clear();
    auto changes = actions::readChanges(places_.journal);
    std::reverse(changes.begin(), changes.end());  // newest first
    for (const auto& change : changes) {
        auto* item = new QTreeWidgetItem(history_);
        item->setText(0, readable(fromUtf8(actions::changeTitle(change))));
        item->setText(1, stateText(change));
        item->setData(0, kIdRole, QString::fromStdString(change.id));
        item->setData(0, kUndoableRole, change.undoable());
        for (const auto& step : change.steps) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, readable(fromUtf8(actions::journalStepText(step, change.install))));
            child->setToolTip(0, plainToolTip(fromUtf8(step.from.empty() ? step.to : step.from)));
            if (!step.kept.empty()) child->setText(1, tr("Left: %1").arg(fromUtf8(step.kept)));
        }
    }
    if (history_->topLevelItemCount() > 0) history_->setCurrentItem(history_->topLevelItem(0));
    history_->resizeColumnToContents(0);
    selectionChanged();
}

void ChangesWindow::selectionChanged() {
    const auto* item = history_->currentItem();
    while (item && item->parent()) item = item->parent();
    undo_->setEnabled(!running() && item && item->data(0, kUndoableRole).toBool());
}

bool ChangesWindow::undo(const std::string& id) {
    if (running()) return false;
    undo_->setEnabled(false);
    close_->setEnabled(false);
    result_->setText(tr("Taking back..."));
    result_->show();
    work_.start([this, id, places = places_] {
        actions::UndoOutcome outcome;
        std::string failed;
        try {
            actions::Changes changes(places);
            changes.recover();
            outcome = changes.undo(id);
        } catch (const RuntimeError& e) {
            failed = e.description();
        }
        return std::function<void()>([this, outcome, failed] { showOutcome(outcome, failed); });
    });
    return true;
}

void ChangesWindow::showOutcome(const actions::UndoOutcome& outcome, const std::string& failed) {
    close_->setEnabled(true);
    outcome_ = outcome;
    QString text;
    if (!failed.empty()) {
        text = fromUtf8(failed);
    } else if (outcome.nothing) {
        text = tr("There is no change to undo.");
    } else if (outcome.game) {
        text = tr("The game is running (%1): nothing was taken back. Undo again once it has "
                  "ended.")
                   .arg(fromUtf8(*outcome.game));
    } else {
        QStringList left;
        for (const auto& step : outcome.steps) {
            if (!step.kept.empty()) {
                left << readable(fromUtf8(actions::journalStepText(step, outcome.install))) +
                            QStringLiteral(" (") + fromUtf8(step.kept) + QLatin1Char(')');
            }
        }
        text = left.isEmpty() ? tr("\"%1\" was taken back whole.").arg(fromUtf8(outcome.label))
                              : tr("\"%1\" was taken back, but for these steps, left as they "
                                   "are:")
                                        .arg(fromUtf8(outcome.label)) +
                                    QLatin1Char('\n') + left.join(QLatin1Char('\n'));
    }
    refresh();
    result_->setText(text);
    result_->show();
    emit undone();
}

void ChangesWindow::closeEvent(QCloseEvent* event) {
    if (running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ChangesWindow::reject() {
    if (!running()) QDialog::reject();
}

}  // namespace brambleton::ui
