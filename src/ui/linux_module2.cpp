// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include "ui/module2.h"

namespace brambleton::Module2 {

namespace {
constexpr std::int32_t kStarted = 42;      // any value above 32 means success
constexpr std::int32_t kFileNotFound = 2;  // the shell's "file not found"
}  // namespace

std::int32_t OpenWebPage(const std::string& address, const std::function<void()>& failed) {
    // xdg-open may run the browser itself and last as long as it does, so nothing waits for
    // it and nothing ends it: the process object lives until it ends, and is left to run
    // when the program quits. Its output goes nowhere, so no pipe of ours outlives us. "/"
    // is its working folder, as the Windows shell is given the root of C:.
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({QString::fromStdString(address)});
    opener->setWorkingDirectory(QStringLiteral("/"));
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed](int code, QProcess::ExitStatus status) {
                         if ((status != QProcess::NormalExit || code != 0) && failed) failed();
                         opener->deleteLater();
                     });
    opener->start();
    if (!opener->waitForStarted()) {
        QObject::disconnect(opener, nullptr, nullptr, nullptr);
        delete opener;
        if (failed) failed();
        return kFileNotFound;
    }
    return kStarted;
}

void ShowInFolder(const std::string& path, const std::function<void()>& failed) {
    const QFileInfo at(QString::fromStdString(path));
    const QString folder = at.isDir() ? at.absoluteFilePath() : at.absolutePath();
    OpenWebPage(folder.toStdString(), failed);
}

}  // namespace brambleton::Module2
