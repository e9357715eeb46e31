#include <QDir>
#include <QFileInfo>

#include "common/runtime_error.h"
#include "locations/wine_prefix.h"
#include "ui/places.h"

namespace brambleton::ui::places {

QStringList drives() {
    QStringList out;
    for (const auto& d : WinePrefix::fromEnvironment().drives()) out << QString::fromStdString(d);
    out << QStringLiteral("/");
    return out;
}

QString driveRoot(const QString& drive) {
    if (drive == QLatin1String("/")) return drive;
    return QString::fromStdString(
        WinePrefix::fromEnvironment().driveRoot(drive.toStdString()).string());
}

QString resolveFolder(const QString& path) {
    const auto host = WinePrefix::fromEnvironment().toHostPath(path.toStdString());
    return QDir::cleanPath(QString::fromStdString(host));
}

QString driveOf(const QString& hostFolder) {
    QString best = QStringLiteral("/");
    int bestLength = 1;
    for (const auto& drive : drives()) {
        if (drive == QLatin1String("/")) continue;
        QString root;
        try {
            root = QDir::cleanPath(driveRoot(drive));
        } catch (const RuntimeError&) {
            continue;
        }
        const bool inside = hostFolder == root || hostFolder.startsWith(root + QLatin1Char('/'));
        if (inside && root.size() > bestLength && root != QLatin1String("/")) {
            best = drive;
            bestLength = static_cast<int>(root.size());
        }
    }
    return best;
}

QString registryDescription() {
    const auto prefix = WinePrefix::fromEnvironment();
    return QString::fromStdString(prefix.systemRegistry().string() + " of the Wine prefix " +
                                  prefix.root().string());
}

QChar separator() { return QLatin1Char('/'); }

}  // namespace brambleton::ui::places
