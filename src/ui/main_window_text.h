// SPDX-License-Identifier: MIT
#pragma once

// Small helpers the main window's files share: paths between Qt and the file system, and
// names from disk as menus show them.

#include <QDir>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

#include "locations/game_finder.h"
#include "locations/settings_file.h"

namespace brambleton::ui {

// A path from the file system as Qt shows it.
inline QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

inline std::filesystem::path stdPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// A menu entry's text for a name from disk: "&" would otherwise mark a shortcut key.
inline QString menuText(const QString& text) {
    return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Where a copy was found, in a few words for its menu line: the source up to the path it
// names ("Steam library", "chosen in Brambleton", "SIMS_DATA").
inline QString launcherLabel(const std::string& source) {
    std::size_t cut = source.size();
    for (std::size_t i = 0; i < source.size(); ++i) {
        const bool drive = i + 2 < source.size() && source[i + 1] == ':' && source[i + 2] == '\\';
        if (source[i] == '/' || source[i] == '~' || drive) {
            cut = i;
            break;
        }
    }
    QString label = QString::fromStdString(source.substr(0, cut)).trimmed();
    for (const auto* tail : {",", " in", " at"}) {
        if (label.endsWith(QLatin1String(tail))) label.chop(QLatin1String(tail).size());
    }
    return label.trimmed().isEmpty() ? QString::fromStdString(source) : label.trimmed();
}

// A folder's own name, without the path that leads to it.
inline QString folderName(const QString& path) {
    QString trimmed = QDir::fromNativeSeparators(path);
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/'))) trimmed.chop(1);
    const auto cut = trimmed.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? trimmed : trimmed.mid(cut + 1);
}

// The host folders of `installs`, sorted: the set of copies the player chose among.
inline QStringList copiesOf(const std::vector<GameInstall>& installs) {
    QStringList copies;
    for (const auto& install : installs) copies << QString::fromStdString(install.hostFolder);
    copies.sort();
    return copies;
}

inline QString settingKey(const char* key) {
    return QString::fromLatin1(settings::kGroup) + QLatin1Char('/') + QString::fromLatin1(key);
}

}  // namespace brambleton::ui
