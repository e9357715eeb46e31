// SPDX-License-Identifier: MIT
#include "ui/content_check_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "actions/plan.h"
#include "content/formats/picture.h"
#include "content/formats/text_codes.h"
#include "content/report_files.h"
#include "content/report_words.h"
#include "ui/app_style.h"
#include "ui/content_actions.h"
#include "ui/frm_in_process.h"
#include "ui/message_box.h"
#include "ui/put_right_window.h"
#include "ui/shown_text.h"

namespace brambleton::ui {
namespace {

constexpr int kBarColumn = 3;
constexpr int kShareRole = Qt::UserRole + 1;    // a row's share of the largest, 0 to 1
constexpr int kPathRole = Qt::UserRole + 2;     // a problem's path
constexpr int kDetailsRole = Qt::UserRole + 4;  // all a row says, for the details pane
constexpr int kProblemRole = Qt::UserRole + 5;  // a problem's index in the report, plus one

// Draws a row's share as a bar, so the largest folders read at a glance.
class BarDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const double share = index.data(kShareRole).toDouble();
        if (share <= 0) return;
        const QRect box = option.rect.adjusted(2, 3, -2, -3);
        painter->fillRect(QRect(box.left(), box.top(),
                                std::max(1, static_cast<int>(box.width() * share)), box.height()),
                          option.palette.color(QPalette::Highlight));
    }
};

QString fromUtf8(const std::string& s) {
    return QString::fromStdString(s);
}

NumberSeparators separatorsOf(const QLocale& locale) {
    return {locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()};
}

QString megabytes(std::int64_t bytes) {
    return QLocale().toString(static_cast<double>(bytes) / 1048576.0, 'f', 1);
}

}  // namespace

namespace {

// `path` as the check's window shows it: below the game's folder, relative to it (the
// tooltip has it whole); escapes for anything that could mislead.
QString shownPath(QString install, const std::string& path) {
    // A folder may be written with its separator at the end ("C:\\Games\\The Sims\\").
    while (install.size() > 1 &&
           (install.endsWith(QLatin1Char('/')) || install.endsWith(QLatin1Char('\\')))) {
        install.chop(1);
    }
    const QString full = fromUtf8(path);
    const bool below =
        full.startsWith(install) && full.size() > install.size() + 1 &&
        (full[install.size()] == QLatin1Char('/') || full[install.size()] == QLatin1Char('\\'));
    return readable(QDir::toNativeSeparators(below ? full.mid(install.size() + 1) : full));
}

}  // namespace

ContentCheckWindow::ContentCheckWindow(QWidget* owner, std::unique_ptr<FolderSource> source)
    : ScanWindow(owner, std::move(source)) {
    setObjectName(QStringLiteral("contentCheck"));
    setWindowTitle(tr("Check my content"));
    setWindowIcon(applicationIcon());
    // The desktop's own look: this window is not part of the designed layout.
    usePlatformColours(this);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    areas_ = new QTreeWidget(this);
    areas_->setObjectName(QStringLiteral("areas"));
    areas_->setHeaderLabels({tr("What the game loads"), tr("Files"), tr("MB"), QString()});
    areas_->setItemDelegateForColumn(kBarColumn, new BarDelegate(areas_));
    areas_->setRootIsDecorated(true);
    areas_->header()->setStretchLastSection(true);
    layout->addWidget(areas_, 3);

    problems_ = new QTreeWidget(this);
    problems_->setObjectName(QStringLiteral("problems"));
    problems_->setHeaderLabels({tr("Problems"), tr("What to do")});
    problems_->setWordWrap(true);
    // A path too long for its column keeps its file's name: rows of one folder differ there.
    problems_->setTextElideMode(Qt::ElideMiddle);
    areas_->setTextElideMode(Qt::ElideMiddle);
    layout->addWidget(problems_, 4);
    // The selected problem whole: its place, its sentence and the files it groups, however
    // long, which a row of the list cannot show.
    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("details"));
    details_->setTextFormat(Qt::PlainText);
    details_->setWordWrap(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details_->setMinimumHeight(fontMetrics().lineSpacing() * 4);
    details_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(details_, 1);

    auto* buttons = new QHBoxLayout;
    showInFolder_ = new QPushButton(tr("Show in folder"), this);
    showInFolder_->setObjectName(QStringLiteral("showInFolder"));
    showInFolder_->setEnabled(false);
    save_ = new QPushButton(tr("Save report..."), this);
    save_->setObjectName(QStringLiteral("saveReport"));
    putRight_ = new QPushButton(tr("Put it right..."), this);
    putRight_->setObjectName(QStringLiteral("putRight"));
    putRight_->setEnabled(false);
    moveToTrash_ = new QPushButton(tr("Move to trash..."), this);
    moveToTrash_->setObjectName(QStringLiteral("moveToTrash"));
    moveToTrash_->setEnabled(false);
    auto* again = new QPushButton(tr("Check again"), this);
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    // Enter presses the button that has the focus, as in a dialog.
    for (auto* button : {showInFolder_, moveToTrash_, save_, putRight_, again, close}) {
        pressOnEnter(button);
    }
    buttons->addWidget(showInFolder_);
    buttons->addWidget(moveToTrash_);
    buttons->addWidget(save_);
    buttons->addWidget(putRight_);
    buttons->addStretch();
    buttons->addWidget(again);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(problems_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        showInFolder_->setEnabled(item && !item->data(0, kPathRole).toString().isEmpty());
        details_->setText(item ? item->data(0, kDetailsRole).toString() : QString());
        const auto index = item ? item->data(0, kProblemRole).toULongLong() : 0;
        moveToTrash_->setEnabled(report_ && index > 0 && index <= report_->problems.size() &&
                                 report_->problems[index - 1].kind == content::kGuidConflict);
    });
    connect(moveToTrash_, &QPushButton::clicked, this, &ContentCheckWindow::offerMembers);
    connect(problems_, &QTreeWidget::itemActivated, this,
            &ContentCheckWindow::showSelectedInFolder);
    connect(showInFolder_, &QPushButton::clicked, this, &ContentCheckWindow::showSelectedInFolder);
    connect(save_, &QPushButton::clicked, this, &ContentCheckWindow::askWhereToSave);
    connect(putRight_, &QPushButton::clicked, this, &ContentCheckWindow::putRight);
    connect(again, &QPushButton::clicked, this, [this] { scan(hostFolder_, saves_); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(760, 680);
}

ContentCheckWindow::~ContentCheckWindow() = default;

PutRightWindow* ContentCheckWindow::putRight() {
    if (!report_ || scanning()) return nullptr;
    return openPlan(actions::planFixes(*report_));
}

namespace {

// The members of a conflict of object IDs that are files of their own, each with whether
// the saved lots are known to hold it.
std::vector<std::pair<std::string, bool>> looseMembers(const content::Problem& p) {
    std::vector<std::pair<std::string, bool>> members;
    using Hold = content::Problem::LotsHold;
    if (p.entry.empty()) members.emplace_back(p.path, p.lotsHold == Hold::This);
    if (!p.sameAs.empty() && p.sameAsEntry.empty()) {
        members.emplace_back(p.sameAs, p.lotsHold == Hold::SameAs);
    }
    for (const auto& member : p.more) {
        if (member.entry.empty()) members.emplace_back(member.path, false);
    }
    return members;
}

}  // namespace

void ContentCheckWindow::offerMembers() {
    const auto* item = problems_->currentItem();
    const auto index = item ? item->data(0, kProblemRole).toULongLong() : 0;
    if (!report_ || index == 0 || index > report_->problems.size()) return;
    const auto& problem = report_->problems[index - 1];
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("members"));
    for (const auto& [path, held] : looseMembers(problem)) {
        auto* action = menu.addAction(
            tr("Move %1 to the trash...").arg(shownPath(fromUtf8(report_->install), path)));
        connect(action, &QAction::triggered, this,
                [this, index, path = path] { trashMember(index - 1, path); });
    }
    if (menu.isEmpty()) {
        menu.addAction(tr("Each object lies inside an archive, which goes only whole"))
            ->setEnabled(false);
    }
    menu.exec(moveToTrash_->mapToGlobal(QPoint(0, moveToTrash_->height())));
}

PutRightWindow* ContentCheckWindow::trashMember(std::size_t index, const std::string& path) {
    if (!report_ || scanning() || index >= report_->problems.size()) return nullptr;
    const auto& problem = report_->problems[index];
    const auto members = looseMembers(problem);
    const auto member = std::find_if(members.begin(), members.end(),
                                     [&](const auto& m) { return m.first == path; });
    if (problem.kind != content::kGuidConflict || member == members.end()) return nullptr;
    auto* window = openPlan(actions::planTrash(report_->install, {path}, problem.kind));
    QStringList lots;
    for (const auto& lot : problem.usedByLots) lots << fromUtf8(lot);
    if (!lots.isEmpty()) {
        const QString names = readable(lots.join(QStringLiteral(", ")));
        window->setWarning(
            member->second
                ? tr("Saved lots use this object: %1. Without it they miss it; keep the other "
                     "instead.")
                      .arg(names)
                : tr("Saved lots use this object ID: %1. Which of the two they hold cannot be "
                     "told; they miss it if it is the one you move to the trash.")
                      .arg(names));
    }
    return window;
}

PutRightWindow* ContentCheckWindow::openPlan(actions::Plan plan) {
    if (putRightWindow_) putRightWindow_->close();
    putRightWindow_ = new PutRightWindow(std::move(plan), writePlaces_, this);
    putRightWindow_->setAttribute(Qt::WA_DeleteOnClose);
    putRightWindow_->setWindowModality(Qt::WindowModal);
    // The folders are not what the report says any more.
    connect(putRightWindow_, &PutRightWindow::changed, this, [this] { scan(hostFolder_, saves_); });
    putRightWindow_->show();
    return putRightWindow_;
}

bool ContentCheckWindow::scan(const QString& hostFolder, std::vector<std::filesystem::path> saves) {
    if (scanning()) return false;
    hostFolder_ = hostFolder;
    saves_ = std::move(saves);
    if (isVisible()) summary_->setText(tr("Checking..."));
    // The scan's own copies: nothing it touches is the window's but the folder source,
    // which no one else uses while it runs.
    const std::filesystem::path install(hostFolder.toStdU16String());
    // Objects are named in the desktop's language where they have it.
    const auto language = content::desktopLanguage();
    // As a count: the progress window with Cancel, which asks the scan to stop.
    return startScan([this, install, language, saves = saves_](
                         std::stop_token stop, const ScanThread::Progress& progress) {
        auto unreadable = std::make_shared<QStringList>();
        content::CheckHooks hooks;
        hooks.progress = progress;
        hooks.cancelled = [&stop] { return stop.stop_requested(); };
        hooks.message = [unreadable](const std::string& m) { *unreadable << fromUtf8(m); };
        content::CheckOptions options;
        options.language = language;
        options.saves = saves;
        auto report = std::make_shared<content::ContentReport>(
            content::checkInstall(install, source(), hooks, options));
        return std::function<void()>([this, report, unreadable] { finish(*report, *unreadable); });
    });
}

void ContentCheckWindow::showProgress(const QString& where) {
    if (!isVisible()) return;
    summary_->setText(tr("Checking %1").arg(shownPath(hostFolder_, where.toStdString())));
}

void ContentCheckWindow::finish(content::ContentReport& report, const QStringList& unreadable) {
    if (report.cancelled) {
        if (!isVisible()) {
            // Nothing of this window is on screen yet: said as a cancelled count is.
            showMessage(QStringLiteral("Action Canceled by User"), QStringLiteral("Cancel Action"));
            emit scanEnded(false);
            return;
        }
        // Check again, cancelled: the report shown is no longer current, so it goes, and
        // the window says why.
        report_.reset();
        areas_->clear();
        problems_->clear();
        details_->clear();
        save_->setEnabled(false);
        showInFolder_->setEnabled(false);
        summary_->setText(
            tr("The check was cancelled, so there is no report. Press Check again "
               "to check your content."));
        emit scanEnded(false);
        return;
    }
    present(report);
    report_ = std::move(report);
    // Shown before any message, which stands over the report it is about.
    QWidget::show();
    raise();
    activateWindow();
    if (!unreadable.isEmpty()) sayUnreadable(unreadable);
    emit scanEnded(true);
}

void ContentCheckWindow::sayUnreadable(const QStringList& unreadable) {
    showMessage(fromUtf8(content::leftOutText(*report_, static_cast<std::size_t>(unreadable.size()),
                                              separatorsOf(QLocale()))) +
                    QLatin1Char('\n') + unreadable.mid(0, 5).join(QLatin1Char('\n')),
                {}, this);
}

void ContentCheckWindow::present(const content::ContentReport& report) {
    summary_->setText(tr("The game in %1. Nothing was changed: the check only reads.")
                          .arg(readable(QDir::toNativeSeparators(fromUtf8(report.install)))));
    presentAreas(report);
    presentProblems(report);
    showInFolder_->setEnabled(false);
    save_->setEnabled(true);
    // Something to carry out: advice that moves, renames or trashes.
    putRight_->setEnabled(
        std::any_of(report.problems.begin(), report.problems.end(), [](const auto& p) {
            const auto action = p.advice.action;
            return action == content::Action::Move || action == content::Action::Trash ||
                   action == content::Action::Rename;
        }));
    details_->setText(tr("Select a problem to read all it says."));
}

void ContentCheckWindow::presentAreas(const content::ContentReport& report) {
    const QLocale locale;
    const QString install = fromUtf8(report.install);
    areas_->clear();
    for (const auto& area : report.areas) {
        auto* row = new QTreeWidgetItem(areas_);
        const auto& label = kGameFolders[area.row].label;
        const QString name = QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
        row->setText(
            0, area.folder
                   ? tr("%1 (%2)").arg(name, shownPath(install, *area.folder))
                   : tr("%1 (no folder %2)")
                         .arg(name,
                              fromUtf8(area.place).replace(QLatin1Char('\\'), QDir::separator())));
        if (area.folder) {
            row->setToolTip(
                0, plainToolTip(readable(QDir::toNativeSeparators(fromUtf8(*area.folder)))));
        }
        row->setText(1, locale.toString(static_cast<qlonglong>(area.files)));
        row->setText(2, megabytes(area.bytes));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        if (area.area == Area::kObjects && area.folder) {
            auto* objects = new QTreeWidgetItem(row);
            objects->setText(0, fromUtf8(content::objectsSentence(area, separatorsOf(locale))));
        }
        const double most = area.largest.empty() ? 0 : static_cast<double>(area.largest[0].bytes);
        for (const auto& folder : area.largest) {
            auto* child = new QTreeWidgetItem(row);
            child->setText(0, shownPath(install, folder.folder));
            child->setText(2, megabytes(folder.bytes));
            child->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
            child->setData(kBarColumn, kShareRole, most > 0 ? folder.bytes / most : 0.0);
            child->setToolTip(
                0, plainToolTip(readable(QDir::toNativeSeparators(fromUtf8(folder.folder)))));
        }
        row->setExpanded(true);
    }
    // Wide enough for most names, so the numbers and the bars stay in sight.
    areas_->setColumnWidth(0, 340);
    areas_->resizeColumnToContents(1);
    areas_->resizeColumnToContents(2);
}

void ContentCheckWindow::presentProblems(const content::ContentReport& report) {
    const QLocale locale;
    const QString install = fromUtf8(report.install);
    problems_->clear();
    std::map<content::ProblemKind, QTreeWidgetItem*> kinds;
    for (const auto& problem : report.problems) {
        auto*& group = kinds[problem.kind];
        if (!group) {
            group = new QTreeWidgetItem(problems_);
            group->setData(0, ContentCheckWindow::kKindRole,
                           fromUtf8(content::kindName(problem.kind)));
        }
        auto* row = new QTreeWidgetItem(group);
        const std::string place = content::placeText(problem.path, problem.entry);
        const QString path = readable(QDir::toNativeSeparators(fromUtf8(place)));
        const QString sentence = readable(fromUtf8(content::sentenceOf(problem, report.install)));
        row->setText(0, shownPath(install, place));
        row->setText(1, sentence);
        // Inside an archive, the file manager shows the archive.
        row->setData(0, kPathRole, fromUtf8(problem.path));
        row->setData(0, kProblemRole,
                     static_cast<qulonglong>(&problem - report.problems.data() + 1));
        QStringList details{shownPath(install, place), sentence};
        for (const auto& member : problem.more) {
            const std::string memberPlace = content::placeText(member.path, member.entry);
            auto* child = new QTreeWidgetItem(row);
            child->setText(0, shownPath(install, memberPlace));
            child->setToolTip(
                0, plainToolTip(readable(QDir::toNativeSeparators(fromUtf8(memberPlace)))));
            child->setData(0, kPathRole, fromUtf8(member.path));
            details << QStringLiteral("  ") + shownPath(install, memberPlace);
        }
        const auto unlisted = problem.moreCount - static_cast<std::int64_t>(problem.more.size());
        if (unlisted > 0) {
            const QString more = fromUtf8(content::moreText(unlisted, separatorsOf(locale)));
            new QTreeWidgetItem(row, {more});
            details << QStringLiteral("  ") + more;
        }
        const QString all = details.join(QLatin1Char('\n'));
        row->setData(0, kDetailsRole, all);
        row->setToolTip(0, plainToolTip(path + QLatin1Char('\n') + sentence));
        row->setToolTip(1, plainToolTip(all));
    }
    for (auto& [kind, group] : kinds) {
        // A heading a player reads, with its count, across the whole row.
        const QString heading = tr("%1: %2")
                                    .arg(fromUtf8(content::describeKind(kind)))
                                    .arg(locale.toString(group->childCount()));
        group->setText(0, heading);
        const QString whatToDo = fromUtf8(std::string(content::whatToDo(kind)));
        group->setToolTip(0, plainToolTip(heading + QLatin1Char('\n') + whatToDo));
        group->setData(0, kDetailsRole, heading + QLatin1Char('\n') + whatToDo);
        group->setFirstColumnSpanned(true);
        group->setExpanded(true);
    }
    if (report.problems.empty()) {
        new QTreeWidgetItem(problems_, {tr("No problems found.")});
    }
    problems_->setColumnWidth(0, 340);
}

void ContentCheckWindow::showSelectedInFolder() {
    const auto* item = problems_->currentItem();
    const QString path = item ? item->data(0, kPathRole).toString() : QString();
    if (path.isEmpty()) return;
    showInFolder(path.toStdString(), this);
}

void ContentCheckWindow::askWhereToSave() {
    if (!report_) return;
    const QString page = tr("Web page (*.html)");
    const QString json = tr("JSON (*.json)");
    QString type;
    QString file = QFileDialog::getSaveFileName(
        this, tr("Save report"), QDir::home().filePath(QStringLiteral("sims-content-report.html")),
        page + QStringLiteral(";;") + json, &type);
    if (file.isEmpty()) return;
    // An ending the player typed decides the format ("forum.json" is JSON whichever type is
    // chosen); a name typed without one gets the chosen type's.
    const bool typedEnding = file.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive) ||
                             file.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) ||
                             file.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive);
    if (!typedEnding) file += type == json ? QStringLiteral(".json") : QStringLiteral(".html");
    saveReport(file);
}

bool ContentCheckWindow::saveReport(const QString& file) {
    if (!report_) return false;
    const std::string failed =
        content::saveShared(*report_, file.toStdString(), QDir::home().absolutePath().toStdString(),
                            separatorsOf(QLocale()));
    if (!failed.empty()) {
        showMessage(readable(fromUtf8(failed)), {}, this);
        return false;
    }
    return true;
}

}  // namespace brambleton::ui
