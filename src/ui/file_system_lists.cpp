// SPDX-License-Identifier: MIT
#include "ui/file_system_lists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStyle>
#include <QWheelEvent>

#include "common/runtime_error.h"
#include "ui/message_box.h"

namespace brambleton::ui {
namespace {

RuntimeError pathNotFound(const QString& path) {
    return RuntimeError(kPathNotFound, ("Path not found: " + path).toStdString());
}

}  // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
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

void DriveListBox::setPlaces(std::shared_ptr<const Places> places) {
    places_ = std::move(places);
    reload();
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

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
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
    const auto subfolders =
        QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const auto& name : subfolders) {
        auto* item = new QListWidgetItem(
            closed, QString(qsizetype{2} * depth, QLatin1Char(' ')) + name, this);
        item->setData(Qt::UserRole, QDir(path_).filePath(name));
        item->setToolTip(name);
    }
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
    clear();
    if (path_.isEmpty()) return;
    if (!QFileInfo(path_).isDir()) throw pathNotFound(path_);
    QList<QRegularExpression> wanted;
    bool everything = false;
    for (const auto& entry : pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = entry.trimmed();
        if (trimmed == QLatin1String("*.*") || trimmed == QLatin1String("*")) everything = true;
        wanted << QRegularExpression(QRegularExpression::wildcardToRegularExpression(trimmed),
                                     QRegularExpression::CaseInsensitiveOption);
    }
    if (wanted.isEmpty()) everything = true;
    const auto names = QDir(path_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const auto& name : names) {
        bool match = everything;
        for (const auto& re : wanted) match = match || re.match(name).hasMatch();
        if (!match) continue;
        auto* item = new QListWidgetItem(name, this);
        item->setToolTip(name);
    }
}

}  // namespace brambleton::ui
