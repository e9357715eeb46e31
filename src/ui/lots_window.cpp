// SPDX-License-Identifier: MIT
#include "ui/lots_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "content/file_names.h"
#include "content/formats/text_codes.h"
#include "content/lots_report.h"
#include "ui/app_style.h"
#include "ui/content_actions.h"
#include "ui/message_box.h"
#include "ui/shown_text.h"

namespace brambleton::ui {
namespace {

// The role under which a row of a content file holds its index in the report.
constexpr int kFileRole = Qt::UserRole + 1;

QString shown(const std::string& text) {
    return readable(QString::fromStdString(text));
}

// "1 file", "2 files", with the locale's separators.
QString filesText(std::size_t count) {
    const QString number = QLocale().toString(static_cast<qlonglong>(count));
    return count == 1 ? QObject::tr("1 file") : QObject::tr("%1 files").arg(number);
}

}  // namespace

LotsWindow::LotsWindow(QWidget* owner, std::unique_ptr<FolderSource> source)
    : ScanWindow(owner, std::move(source)) {
    setObjectName(QStringLiteral("lots"));
    setWindowTitle(tr("My lots"));
    setWindowIcon(applicationIcon());
    usePlatformColours(this);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    warning_ =
        new QLabel(QString::fromUtf8(content::kMissingWarning.data(),
                                     static_cast<qsizetype>(content::kMissingWarning.size())),
                   this);
    warning_->setObjectName(QStringLiteral("warning"));
    warning_->setTextFormat(Qt::PlainText);
    warning_->setWordWrap(true);
    QFont bold = warning_->font();
    bold.setBold(true);
    warning_->setFont(bold);
    warning_->hide();
    layout->addWidget(warning_);

    lots_ = new QTreeWidget(this);
    lots_->setObjectName(QStringLiteral("lots"));
    lots_->setColumnCount(2);
    lots_->setHeaderLabels({tr("Lot"), tr("Content")});
    lots_->header()->setStretchLastSection(true);
    lots_->setColumnWidth(0, 380);
    lots_->setUniformRowHeights(true);
    layout->addWidget(lots_, 1);

    lots_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lots_->setTextElideMode(Qt::ElideMiddle);
    auto* buttons = new QHBoxLayout;
    auto* choose = new QPushButton(tr("Choose the saves folder..."), this);
    choose->setObjectName(QStringLiteral("chooseSaves"));
    auto* close = new QPushButton(tr("Close"), this);
    for (auto* button : {choose, close}) pressOnEnter(button);
    actions_ = new ContentActions(this);
    buttons->addWidget(actions_->showInFolder());
    buttons->addWidget(actions_->moveToTrash());
    buttons->addWidget(actions_->undo());
    buttons->addStretch();
    buttons->addWidget(choose);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(choose, &QPushButton::clicked, this, &LotsWindow::chooseSaves);
    connect(lots_, &QTreeWidget::itemSelectionChanged, this, &LotsWindow::selectionChanged);
    connect(actions_, &ContentActions::changed, this, [this] { scan(hostFolder_, saves_); });
    connect(actions_, &ContentActions::undoRequested, this, &LotsWindow::undoRequested);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(820, 600);
}

LotsWindow::~LotsWindow() = default;

void LotsWindow::setWritePlaces(actions::WritePlaces places) {
    actions_->setWritePlaces(std::move(places));
}

void LotsWindow::selectionChanged() {
    if (!report_) {
        actions_->select({}, {}, {}, false);
        return;
    }
    std::vector<std::uint32_t> files;
    for (const auto* item : lots_->selectedItems()) {
        const QVariant file = item->data(1, kFileRole);
        if (!file.isValid()) continue;
        const auto index = file.value<std::uint32_t>();
        if (std::find(files.begin(), files.end(), index) == files.end()) files.push_back(index);
    }
    std::vector<std::string> paths;
    QStringList lots;
    for (const auto index : files) {
        paths.push_back(report_->path(index));
        for (const auto& lot : report_->lots) {
            const QString name = shown(content::lotLabel(lot));
            if (std::find(lot.uses.begin(), lot.uses.end(), index) != lot.uses.end() &&
                !lots.contains(name)) {
                lots << name;
            }
        }
    }
    actions_->select(report_->install, std::move(paths), lots, report_->unusedKnown);
}

void LotsWindow::showProgress(const QString& where) {
    summary_->setText(tr("Reading %1").arg(readable(QDir::toNativeSeparators(where))));
}

bool LotsWindow::scan(const QString& hostFolder, const std::vector<std::filesystem::path>& saves) {
    if (scanning()) return false;
    hostFolder_ = hostFolder;
    saves_ = saves;
    if (saves.empty()) {
        report_.reset();
        lots_->clear();
        selectionChanged();
        warning_->hide();
        summary_->setText(
            tr("No saved games were found for the game in %1: neither its UserData folders nor "
               "the Legacy Collection's Saved Games hold any. Choose the folder your saves are "
               "in.")
                .arg(readable(QDir::toNativeSeparators(hostFolder))));
        show();
        raise();
        emit scanEnded(false);
        return true;
    }
    const std::filesystem::path install(hostFolder.toStdU16String());
    const auto language = content::desktopLanguage();
    return startScan([this, install, saves, language](std::stop_token stop,
                                                      const ScanThread::Progress& progress) {
        auto unreadable = std::make_shared<QStringList>();
        content::ScanHooks hooks;
        hooks.progress = progress;
        hooks.cancelled = [&stop] { return stop.stop_requested(); };
        hooks.message = [unreadable](const std::string& m) { *unreadable << shown(m); };
        auto report = std::make_shared<content::LotsReport>(
            content::scanLots(install, saves, source(), hooks, {language}));
        return std::function<void()>([this, report, unreadable] { finish(report, *unreadable); });
    });
}

void LotsWindow::finish(std::shared_ptr<content::LotsReport> report,
                        const QStringList& unreadable) {
    if (report->cancelled) {
        if (!isVisible()) {
            showMessage(QStringLiteral("Action Canceled by User"), QStringLiteral("Cancel Action"));
        } else {
            summary_->setText(tr("Reading the lots was cancelled."));
        }
        emit scanEnded(false);
        return;
    }
    // Read again after a change, what could not be read was said already.
    const bool readAgain = isVisible();
    report_ = std::move(report);
    fill();
    selectionChanged();
    show();
    raise();
    activateWindow();
    if (!unreadable.isEmpty() && !readAgain) {
        showMessage(
            tr("%1 files could not be read:\n")
                    .arg(QLocale().toString(static_cast<qlonglong>(report_->filesUnreadable) +
                                            static_cast<qlonglong>(report_->lotsUnreadable))) +
                unreadable.mid(0, 5).join(QLatin1Char('\n')),
            {}, this);
    }
    emit scanEnded(true);
}

void LotsWindow::fill() {
    const auto& report = *report_;
    const QLocale locale;
    lots_->clear();
    const auto below = [&](std::uint32_t index) {
        return readable(QDir::toNativeSeparators(
            QString::fromStdString(content::pathBelow(report.path(index), report.install))));
    };
    for (const auto& lot : report.lots) {
        auto* item = new QTreeWidgetItem(lots_);
        item->setText(0, shown(content::lotLabel(lot)));
        item->setToolTip(0, readable(QDir::toNativeSeparators(QString::fromStdString(lot.file))));
        QString uses = tr("uses %1").arg(filesText(lot.uses.size()));
        if (!lot.missing.empty()) {
            uses +=
                tr(", misses %1").arg(locale.toString(static_cast<qlonglong>(lot.missing.size())));
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
            item->setFont(1, bold);
        }
        if (!lot.unknown.empty()) {
            uses += tr(", %1 not known")
                        .arg(locale.toString(static_cast<qlonglong>(lot.unknown.size())));
        }
        item->setText(1, uses);
        for (const auto& thing : lot.missing) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, tr("misses"));
            child->setText(1, shown(content::missingText(thing)));
        }
        // Found nowhere, while something that may hold it could not be read.
        for (const auto& thing : lot.unknown) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, tr("not known"));
            child->setText(1, shown(content::missingText(thing)));
            child->setToolTip(1, tr("Found nowhere, but some files or folders could not be read: "
                                    "it may be there."));
        }
        for (const auto index : lot.uses) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, tr("uses"));
            child->setText(1, below(index));
            child->setData(1, kFileRole, QVariant::fromValue(index));
        }
    }
    auto* unused = new QTreeWidgetItem(lots_);
    unused->setText(0, tr("Content no lot uses"));
    if (!report.unusedKnown) {
        unused->setText(1, tr("not known: some lots could not be read"));
    } else {
        const auto files = report.unused();
        unused->setText(
            1, tr("%1 (a Sim may still carry some in an inventory)").arg(filesText(files.size())));
        for (const auto index : files) {
            auto* child = new QTreeWidgetItem(unused);
            child->setText(1, below(index));
            child->setData(1, kFileRole, QVariant::fromValue(index));
        }
    }
    warning_->setVisible(content::missesContent(report));
    QStringList saves;
    for (const auto& folder : report.saves)
        saves << readable(QDir::toNativeSeparators(QString::fromStdString(folder)));
    summary_->setText(tr("%1 lots in %2. The saves are only read, never changed.")
                          .arg(locale.toString(static_cast<qlonglong>(report.lots.size())),
                               saves.join(QStringLiteral(", "))));
}

void LotsWindow::chooseSaves() {
    QFileDialog dialog(this, tr("Choose the saves folder"));
    dialog.setObjectName(QStringLiteral("savesFolderDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    emit savesFolderChosen(dialog.selectedFiles().constFirst());
}

}  // namespace brambleton::ui
