// SPDX-License-Identifier: MIT
#include "ui/places.h"

#include <QDir>
#include <algorithm>

#include "common/runtime_error.h"
#include "locations/folder_map.h"

namespace brambleton::ui {
namespace {

QString fromStd(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

Places::Places() : map_(makePlatformFolderMap()) {}

Places::Places(std::shared_ptr<const FolderMap> map) : map_(std::move(map)) {}

void Places::setFolderMap(std::shared_ptr<const FolderMap> map) {
    map_ = std::move(map);
}

QStringList Places::drives() const {
    const auto all = map_->drives();
    const bool hostRoot = std::find(all.begin(), all.end(), "/") != all.end();
    QStringList out;
    for (const auto& d : all) {
        // A drive that leads to the host's root (most prefixes' Z:) is "/" again: offered once.
        if (hostRoot && d != "/" && leadsToHostRoot(fromStd(d))) continue;
        out << fromStd(d);
    }
    return out;
}

bool Places::leadsToHostRoot(const QString& drive) const {
    if (drive == QLatin1String("/")) return false;
    try {
        return QDir::cleanPath(driveRoot(drive)) == QLatin1String("/");
    } catch (const RuntimeError&) {
        return false;
    }
}

QString Places::driveRoot(const QString& drive) const {
    return fromStd(map_->driveRoot(drive.toStdString()));
}

QString Places::resolveFolder(const QString& path) const {
    return QDir::cleanPath(fromStd(map_->toHostPath(path.toStdString())));
}

QString Places::driveOf(const QString& hostFolder) const {
    QString best = QStringLiteral("/");
    qsizetype bestLength = 1;
    for (const auto& drive : map_->drives()) {
        if (drive == "/") continue;
        QString root;
        try {
            root = QDir::cleanPath(fromStd(map_->driveRoot(drive)));
        } catch (const RuntimeError&) {
            continue;
        }
        const bool inside =
            hostFolder.compare(root, Qt::CaseInsensitive) == 0 ||
            hostFolder.startsWith(root.endsWith('/') ? root : root + QLatin1Char('/'),
                                  Qt::CaseInsensitive);
        if (inside && root.size() > bestLength && root != QLatin1String("/")) {
            best = fromStd(drive);
            bestLength = root.size();
        }
    }
    return best;
}

}  // namespace brambleton::ui
