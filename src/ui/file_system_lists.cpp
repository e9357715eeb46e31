// SPDX-License-Identifier: MIT
#include "ui/file_system_lists.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "common/runtime_error.h"
#include "counting/file_pattern.h"
#include "ui/message_box.h"

namespace brambleton::ui {
namespace {

RuntimeError pathNotFound(const QString& path) {
    return RuntimeError(kPathNotFound, ("Path not found: " + path).toStdString());
}

// The names of `folder`'s entries that `filters` takes and `keep` wants, sorted as the lists
// show them: by name without regard to case, then with it, so the order never depends on the
// file system's. Runs off the window's thread.
QStringList readNames(const QString& folder, QDir::Filters filters,
                      const std::function<bool(const QString&)>& keep) {
    QStringList names;
    QDirIterator entries(folder, filters);
    while (entries.hasNext()) {
        entries.next();
        QString name = entries.fileName();
        if (keep(name)) names << std::move(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

// Shows `name` as the tooltip of the entry under a tooltip event, as plain text; a list
// lays out one line an entry, so a long name is cut and this is where it reads whole.
bool showNameTip(QListWidget* list, QEvent* event,
                 const std::function<QString(QListWidgetItem*)>& nameOf) {
    auto* help = static_cast<QHelpEvent*>(event);
    auto* item = list->itemAt(help->pos());
    const QString name = item ? nameOf(item) : QString();
    if (name.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), plainToolTip(name), list->viewport(),
                       list->visualItemRect(item));
    return true;
}

}  // namespace

DriveListBox::DriveListBox(std::shared_ptr<const Places> places, QWidget* parent)
    : QComboBox(parent), places_(std::move(places)) {
    setFocusPolicy(Qt::StrongFocus);
    reload();
    connect(this, qOverload<int>(&QComboBox::activated), this, &DriveListBox::chooseIndex);
}

void DriveListBox::reload() {
    const QSignalBlocker quiet(this);
    clear();
    for (const auto& drive : places_->drives()) {
        addItem(drive == QLatin1String("/") ? tr("/ (this computer)") : drive, drive);
    }
    setCurrentIndex(findData(drive_));
}

void DriveListBox::setDrive(const QString& drive) {
    reload();
    QString wanted = drive.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : drive.left(2);
    // A drive that leads to "/" (most prefixes' Z:) is offered as "/".
    if (places_->leadsToHostRoot(wanted)) wanted = QStringLiteral("/");
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toString().compare(wanted, Qt::CaseInsensitive) == 0) {
            chooseIndex(i);
            return;
        }
    }
    throw RuntimeError(kDeviceUnavailable, ("Device unavailable: " + wanted).toStdString());
}

void DriveListBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DriveListBox::chooseIndex(int index) {
    const QString chosen = itemData(index).toString();
    setCurrentIndex(index);
    if (chosen == drive_) return;
    drive_ = chosen;
    emit Change();
}

DirListBox::DirListBox(std::shared_ptr<const Places> places, QWidget* parent)
    : QListWidget(parent), places_(std::move(places)) {
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, &DirListBox::openEntry);
}

void DirListBox::setPath(const QString& path) {
    const QString host = places_->resolveFolder(path);
    if (!QFileInfo(host).isDir()) throw pathNotFound(path);
    const bool changed = host != path_;
    path_ = host;
    Refresh();
    if (changed) emit Change();
}

void DirListBox::Refresh() {
    work_.abandon();
    clear();
    if (path_.isEmpty()) return;
    const auto* style = QApplication::style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);

    const QString drive = places_->driveOf(path_);
    QString root = QStringLiteral("/");
    try {
        root = QDir::cleanPath(places_->driveRoot(drive));
    } catch (const RuntimeError&) {
    }
    // The chain of open folders from the drive's root down to the current folder.
    QStringList chain;
    for (QString at = path_;; at = QFileInfo(at).path()) {
        chain.prepend(at);
        if (at == root || at == QLatin1String("/") || QFileInfo(at).path() == at) break;
    }
    int depth = 0;
    for (const auto& folder : chain) {
        QString label = depth == 0 ? (drive == QLatin1String("/") ? QStringLiteral("/")
                                                                  : drive + QLatin1Char('\\'))
                                   : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(
            open, QString(qsizetype{2} * depth, QLatin1Char(' ')) + label, this);
        item->setData(Qt::UserRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QString folder = path_;
    work_.start([this, folder, depth, closed]() -> std::function<void()> {
        QStringList names = readNames(folder, QDir::Dirs | QDir::NoDotAndDotDot,
                                      [](const QString&) { return true; });
        return [this, folder, depth, closed, names = std::move(names)] {
            setUpdatesEnabled(false);
            const QString indent(qsizetype{2} * depth, QLatin1Char(' '));
            const QDir parent(folder);
            for (const auto& name : names) {
                auto* item = new QListWidgetItem(closed, indent + name);
                item->setData(Qt::UserRole, parent.filePath(name));
                addItem(item);
            }
            setUpdatesEnabled(true);
            emit Listed();
        };
    });
}

bool DirListBox::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QListWidget::viewportEvent(event);
    return showNameTip(this, event, [](QListWidgetItem* item) {
        const QString name = QFileInfo(item->data(Qt::UserRole).toString()).fileName();
        return name.isEmpty() ? item->text().trimmed() : name;
    });
}

void DirListBox::openEntry(QListWidgetItem* item) {
    if (!item) return;
    try {
        setPath(item->data(Qt::UserRole).toString());
    } catch (const RuntimeError& e) {
        showMessage(QString::fromStdString(e.description()));
        Refresh();
    }
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, [this] { emit Click(); });
}

void FileListBox::setPath(const QString& path) {
    if (!QFileInfo(path).isDir()) throw pathNotFound(path);
    path_ = QDir::cleanPath(path);
    Refresh();
}

void FileListBox::setPattern(const QString& pattern) {
    pattern_ = pattern;
    Refresh();
}

QString FileListBox::FileName() const {
    const auto* item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FileListBox::Refresh() {
    work_.abandon();
    clear();
    if (path_.isEmpty()) return;
    if (!QFileInfo(path_).isDir()) throw pathNotFound(path_);
    const QString folder = path_;
    const std::string pattern = pattern_.toStdString();
    work_.start([this, folder, pattern]() -> std::function<void()> {
        const FilePattern wanted(pattern);
        QStringList names = readNames(folder, QDir::Files, [&](const QString& name) {
            return wanted.matches(name.toStdString());
        });
        return [this, names = std::move(names)] {
            addItems(names);
            emit Listed();
        };
    });
}

bool FileListBox::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QListWidget::viewportEvent(event);
    return showNameTip(this, event, [](QListWidgetItem* item) { return item->text(); });
}

}  // namespace brambleton::ui
