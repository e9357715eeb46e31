#pragma once

#include <QString>
#include <QStringList>

namespace brambleton::ui {

// The drives and folders the lists browse, in Qt terms. On Linux they come from the Wine prefix
// ($WINEPREFIX, else ~/.wine) plus the host's root "/"; the prefix is looked up afresh on
// every call, so a changed environment is seen at once.
namespace places {

// The drives to offer: the prefix's ("C:", "Z:") and "/".
QStringList drives();

// The host folder a drive leads to. Throws RuntimeError 68 for a drive that is not offered.
QString driveRoot(const QString& drive);

// The host folder for a path as a user or the registry writes it: a Windows path through
// the prefix, a host path as it stands. Throws RuntimeError 68 or 76.
QString resolveFolder(const QString& path);

// The drive whose root holds `hostFolder` most closely, or "/" when none does.
QString driveOf(const QString& hostFolder);

// Where the registry is read, for messages: on Linux the prefix's system.reg.
QString registryDescription();

// The separator between a folder's path and a file's name.
QChar separator();

}  // namespace places
}  // namespace brambleton::ui
