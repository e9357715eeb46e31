// SPDX-License-Identifier: MIT
#include "ui/install_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "actions/change_words.h"
#include "common/runtime_error.h"
#include "content/formats/picture.h"
#include "ui/shown_text.h"

namespace brambleton::ui {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A path below the game's folder, as a player reads it.
QString below(const std::string& path, const std::string& install) {
    if (path.size() > install.size() && path.compare(0, install.size(), install) == 0) {
        std::size_t at = install.size();
        while (at < path.size() && (path[at] == '/' || path[at] == '\\')) ++at;
        return readable(fromUtf8(path.substr(at)));
    }
    return readable(fromUtf8(path));
}

QString verdictText(actions::InstallVerdict verdict) {
    switch (verdict) {
        case actions::InstallVerdict::kInstall:
            return InstallWindow::tr("To install");
        case actions::InstallVerdict::kClash:
            return InstallWindow::tr("Clash");
        case actions::InstallVerdict::kRefuse:
            return InstallWindow::tr("Refused");
        default:
            return InstallWindow::tr("Skipped");
    }
}

// Item data: the row's index in the plan.
constexpr int kItemRole = Qt::UserRole;

// A catalogue picture at twice its size (the game's are 74 by 37 pixels or smaller), or
// nothing when there is none or it does not decode.
QPixmap pictureOf(const std::optional<std::string>& bmp) {
    if (!bmp) return {};
    const auto facts = content::readBmpFacts(*bmp);
    if (!facts || facts->width > 512 || facts->height > 512) return {};
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bmp->data()),
                            static_cast<int>(bmp->size()), "BMP")) {
        return {};
    }
    return QPixmap::fromImage(
        image.scaled(image.size() * 2, Qt::KeepAspectRatio, Qt::FastTransformation));
}

}  // namespace

InstallWindow::InstallWindow(actions::WritePlaces places, QWidget* owner)
    : QDialog(owner), places_(std::move(places)) {
    setWindowTitle(tr("Install a download"));
    resize(860, 480);
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("plan"));
    list_->setHeaderLabels({tr("File"), tr("Goes to"), tr("What becomes of it")});
    list_->setRootIsDecorated(false);
    // Long paths keep their beginning and their file's name.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setUniformRowHeights(true);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 280);
    list_->setColumnWidth(1, 260);
    layout->addWidget(list_);
    clash_ = new QWidget(this);
    clash_->setObjectName(QStringLiteral("clash"));
    auto* clashLayout = new QHBoxLayout(clash_);
    clashLayout->setContentsMargins(0, 0, 0, 0);
    picture_ = new QLabel(clash_);
    picture_->setObjectName(QStringLiteral("picture"));
    otherPicture_ = new QLabel(clash_);
    otherPicture_->setObjectName(QStringLiteral("otherPicture"));
    clashText_ = new QLabel(clash_);
    clashText_->setWordWrap(true);
    clashText_->setTextFormat(Qt::PlainText);
    clashLayout->addWidget(picture_);
    clashLayout->addWidget(otherPicture_);
    clashLayout->addWidget(clashText_, 1);
    clash_->hide();
    layout->addWidget(clash_);
    connect(list_, &QTreeWidget::currentItemChanged, this, &InstallWindow::showClash);
    connect(list_, &QTreeWidget::itemChanged, this, [this] {
        if (!installing_) updateInstallable();
    });
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("result"));
    result_->setWordWrap(true);
    result_->setTextFormat(Qt::PlainText);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(result_);
    auto* buttons = new QDialogButtonBox(this);
    install_ = buttons->addButton(tr("&Install"), QDialogButtonBox::AcceptRole);
    install_->setObjectName(QStringLiteral("installButton"));
    install_->setEnabled(false);
    close_ = buttons->addButton(QDialogButtonBox::Close);
    connect(install_, &QPushButton::clicked, this, [this] { install(); });
    connect(close_, &QPushButton::clicked, this, &InstallWindow::reject);
    layout->addWidget(buttons);
}

InstallWindow::~InstallWindow() = default;

void InstallWindow::reject() {
    // An install under way finishes its step and is journalled whole; the window waits.
    if (installing_) return;
    work_.abandon();
    QDialog::reject();
}

void InstallWindow::plan(const QString& install, const QStringList& sources,
                         const std::vector<std::filesystem::path>& saves) {
    plan_.reset();
    list_->clear();
    install_->setEnabled(false);
    result_->setText(tr("Reading the downloads and what is installed..."));
    std::vector<std::string> paths;
    for (const auto& source : sources) paths.push_back(source.toStdString());
    work_.start([this, folder = install.toStdString(), paths, saves] {
        auto installed = actions::readInstalled(folder, saves);
        auto planned = actions::planInstall(folder, paths, installed);
        return std::function<void()>(
            [this, planned = std::move(planned)]() mutable { showPlan(std::move(planned)); });
    });
}

void InstallWindow::showPlan(actions::InstallPlan plan) {
    list_->clear();
    clash_->hide();
    for (const auto& item : plan.items) {
        auto* row = new QTreeWidgetItem(list_);
        row->setData(0, kItemRole, static_cast<qulonglong>(&item - plan.items.data()));
        const std::string file = item.entry;
        row->setText(0, readable(fromUtf8(file)));
        row->setToolTip(0, readable(fromUtf8(item.source)) + QStringLiteral(" \u00BB ") +
                               readable(fromUtf8(item.entry)));
        row->setText(1, item.to.empty() ? QString() : below(item.to, plan.install));
        QString what =
            verdictText(item.verdict) + QStringLiteral(": ") + readable(fromUtf8(item.why));
        for (const auto& clash : item.clashes) {
            what += QStringLiteral("\n") + tr("%1 and %2 (%3) share the object ID 0x%4")
                                               .arg(readable(fromUtf8(clash.name)),
                                                    readable(fromUtf8(clash.otherName)),
                                                    below(clash.otherPath, plan.install))
                                               .arg(clash.guid, 8, 16, QLatin1Char('0'));
        }
        row->setText(2, what);
        row->setToolTip(2, what);
        if (item.verdict == actions::InstallVerdict::kClash) {
            // The player's choice: a clash ticked is left out, and the rest can go in.
            row->setCheckState(0, Qt::Unchecked);
            row->setToolTip(0, tr("Tick to leave this file out of the install"));
        }
    }
    QStringList summary;
    for (const auto& failed : plan.unreadable) {
        summary << readable(fromUtf8(failed.source)) + QLatin1Char(' ') +
                       fromUtf8(actions::failureText(failed.failure)) + QLatin1Char('.');
    }
    const std::size_t toInstall = plan.count(actions::InstallVerdict::kInstall);
    const std::size_t clashes = plan.count(actions::InstallVerdict::kClash);
    if (clashes > 0) {
        summary << (clashes == 1 ? tr("1 file clashes with what is installed:")
                                 : tr("%1 files clash with what is installed:").arg(clashes)) +
                       QLatin1Char(' ') +
                       tr("nothing is installed while a clash stands. Tick each to leave it "
                          "out. A file of the same name is never overwritten.");
    } else if (plan.unreadable.empty()) {
        summary << (toInstall == 0 ? tr("Nothing to install.")
                                   : (toInstall == 1 ? tr("1 file to install.")
                                                     : tr("%1 files to install.").arg(toInstall)) +
                                         QLatin1Char(' ') +
                                         tr("Content > Undo last change takes the install back."));
    }
    result_->setText(summary.join(QLatin1Char(' ')));
    plan_ = std::move(plan);
    updateInstallable();
    emit planned();
}

void InstallWindow::updateInstallable() {
    bool decided = true;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const auto* row = list_->topLevelItem(i);
        // Only a clash's row has a tick.
        if (row->data(0, Qt::CheckStateRole).isValid() && row->checkState(0) != Qt::Checked) {
            decided = false;
        }
    }
    install_->setEnabled(!installing_ && plan_ && plan_->unreadable.empty() && decided &&
                         plan_->count(actions::InstallVerdict::kInstall) > 0);
}

void InstallWindow::showClash() {
    const auto* row = list_->currentItem();
    if (!row || !plan_) {
        clash_->hide();
        return;
    }
    const auto index = row->data(0, kItemRole).toULongLong();
    if (index >= plan_->items.size() || plan_->items[index].clashes.empty()) {
        clash_->hide();
        return;
    }
    const auto& clash = plan_->items[index].clashes.front();
    picture_->setPixmap(pictureOf(clash.picture));
    otherPicture_->setPixmap(pictureOf(clash.otherPicture));
    clashText_->setText(
        tr("Left: %1, from the download. Right: %2, %3 (%4). Both have the "
           "object ID 0x%5: the game shows one of them only.")
            .arg(readable(fromUtf8(clash.name)), readable(fromUtf8(clash.otherName)),
                 clash.gameOwn ? tr("one of the game's own objects") : tr("installed"),
                 below(clash.otherPath, plan_->install))
            .arg(clash.guid, 8, 16, QLatin1Char('0')));
    clash_->show();
}

bool InstallWindow::install() {
    if (running() || !plan_ || !install_->isEnabled()) return false;
    install_->setEnabled(false);
    close_->setEnabled(false);
    result_->setText(tr("Installing..."));
    installing_ = true;
    work_.start([this, places = places_, plan = *plan_] {
        actions::ChangeOutcome outcome;
        std::string failed;
        try {
            actions::Changes changes(places);
            changes.recover();
            actions::DownloadBytes bytes;
            actions::ChangeHooks hooks;
            hooks.contents = [&bytes](const actions::Step& step, std::string& why) {
                return bytes.contents(step, why);
            };
            outcome =
                changes.carryOut(actions::installSteps(plan), actions::installLabel(plan), hooks);
        } catch (const RuntimeError& e) {
            failed = e.description();
        }
        return std::function<void()>([this, outcome, failed] { showOutcome(outcome, failed); });
    });
    return true;
}

void InstallWindow::showOutcome(const actions::ChangeOutcome& outcome, const std::string& failed) {
    close_->setEnabled(true);
    installing_ = false;
    if (!failed.empty()) {
        result_->setText(fromUtf8(failed));
        emit installed();
        return;
    }
    QStringList lines;
    // Each row says what became of its file; those not installed, why.
    for (int i = 0; plan_ && i < list_->topLevelItemCount(); ++i) {
        auto* row = list_->topLevelItem(i);
        const auto index = row->data(0, kItemRole).toULongLong();
        if (index >= plan_->items.size()) continue;
        const auto& item = plan_->items[index];
        const auto step =
            std::find_if(outcome.steps.begin(), outcome.steps.end(), [&](const auto& s) {
                return s.step.from == item.source && s.step.entry == item.entry;
            });
        if (step == outcome.steps.end()) continue;
        row->setText(2, step->done ? tr("Installed: %1").arg(readable(fromUtf8(item.why)))
                                   : tr("Not installed: %1").arg(readable(fromUtf8(step->why))));
        if (!step->done) {
            lines << tr("Not installed: %1 (%2)")
                         .arg(readable(fromUtf8(step->step.entry)), readable(fromUtf8(step->why)));
        }
    }
    lines.prepend(fromUtf8(actions::installOutcomeText(
        outcome, plan_ ? plan_->install : std::string(), "Content > Undo last change")));
    result_->setText(lines.join(QLatin1Char('\n')));
    emit installed();
}

}  // namespace brambleton::ui
