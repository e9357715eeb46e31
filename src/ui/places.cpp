#include "ui/places.h"

#include <QDir>

#include "common/runtime_error.h"
#include "locations/folder_map.h"

namespace brambleton::ui::places {
namespace {

QString fromStd(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

QStringList drives() {
    QStringList out;
    for (const auto& d : makePlatformFolderMap()->drives()) out << fromStd(d);
    return out;
}

QString driveRoot(const QString& drive) {
    return fromStd(makePlatformFolderMap()->driveRoot(drive.toStdString()));
}

QString resolveFolder(const QString& path) {
    return QDir::cleanPath(fromStd(makePlatformFolderMap()->toHostPath(path.toStdString())));
}

QString driveOf(const QString& hostFolder) {
    const auto map = makePlatformFolderMap();
    QString best = QStringLiteral("/");
    qsizetype bestLength = 1;
    for (const auto& drive : map->drives()) {
        if (drive == "/") continue;
        QString root;
        try {
            root = QDir::cleanPath(fromStd(map->driveRoot(drive)));
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

QString registryDescription() {
    return fromStd(makePlatformFolderMap()->describe());
}

QChar separator() {
    return QLatin1Char(makePlatformFolderMap()->separator());
}

}  // namespace brambleton::ui::places
