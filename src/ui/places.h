// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace brambleton {
class FolderMap;
}

namespace brambleton::ui {

// The drives and folders the lists browse, in Qt terms, through one folder map: on Linux a
// Wine prefix's drives plus the host's root "/". The main window owns one and points it at
// the prefix that holds the game; its lists share it.
class Places {
  public:
    // The platform's map (WINEPREFIX, else ~/.wine) until setFolderMap() is called.
    Places();
    explicit Places(std::shared_ptr<const FolderMap> map);

    void setFolderMap(std::shared_ptr<const FolderMap> map);

    // The drives to offer: the prefix's ("C:", "D:") and "/", where a drive that leads to "/"
    // (most prefixes' Z:) is offered only as "/".
    QStringList drives() const;

    // Whether a drive other than "/" leads to the host's root "/" (most prefixes' Z:).
    bool leadsToHostRoot(const QString& drive) const;

    // The host folder a drive leads to. Throws RuntimeError 68 for a drive that is not offered.
    QString driveRoot(const QString& drive) const;

    // The host folder for a path as a user or the registry writes it: a Windows path through
    // the prefix, a host path as it stands (names matched without regard to case). Throws
    // RuntimeError 68 or 76.
    QString resolveFolder(const QString& path) const;

    // The drive whose root holds `hostFolder` most closely, or "/" when none does.
    QString driveOf(const QString& hostFolder) const;

  private:
    std::shared_ptr<const FolderMap> map_;
};

}  // namespace brambleton::ui
