// SPDX-License-Identifier: MIT
#include "ui/about.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace brambleton::about {
namespace {

Link link(const char* webAddress, const char* webCaption, const char* page, const char* pageCaption,
          const QString& programFolder) {
    const QString web = QString::fromUtf8(webAddress);
    if (!web.isEmpty()) return {QString::fromUtf8(webCaption), web, QUrl(web).host()};
    const QString file = installedPage(programFolder, QString::fromLatin1(page));
    return {QString::fromUtf8(pageCaption),
            file.isEmpty() ? QString() : QUrl::fromLocalFile(file).toString(),
            QString::fromLatin1(page)};
}

}  // namespace

Link firstLink(const QString& programFolder) {
    return link(kHomePage, "Brambleton", kUserGuideFile, "User guide", programFolder);
}

Link secondLink(const QString& programFolder) {
    return link(kIssueTracker, "Report a bug", kLicenceFile, "Licence", programFolder);
}

QString installedPage(const QString& programFolder, const QString& file) {
    const QDir folder(programFolder);
    for (const QString& candidate :
         {folder.filePath(file), folder.filePath(QStringLiteral("../share/brambleton/") + file)}) {
        const QFileInfo info(QDir::cleanPath(candidate));
        if (info.isFile()) return info.absoluteFilePath();
    }
    return {};
}

}  // namespace brambleton::about
