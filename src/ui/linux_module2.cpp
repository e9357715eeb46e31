// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <string>

#include "ui/module2.h"

namespace brambleton::Module2 {

namespace {
constexpr std::int32_t kStarted = 42;      // any value above 32 means success
constexpr std::int32_t kFileNotFound = 2;  // the shell's "file not found"

// What xdg-open's exit status says failed (its manual lists them).
std::string openerFailure(int code, QProcess::ExitStatus status) {
    if (status != QProcess::NormalExit) return "xdg-open stopped before it opened it";
    switch (code) {
        case 1:
            return "xdg-open did not accept the address";
        case 2:
            return "the page or folder does not exist";
        case 3:
            return "no web browser or file manager was found (xdg-open found no program for it)";
        case 4:
            return "the program chosen for it failed to open it (xdg-open's action failed)";
        default:
            return "xdg-open ended with error " + std::to_string(code);
    }
}

}  // namespace

std::int32_t OpenWebPage(const std::string& address, const Failed& failed) {
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
                         if ((status != QProcess::NormalExit || code != 0) && failed) {
                             failed(openerFailure(code, status));
                         }
                         opener->deleteLater();
                     });
    opener->start();
    if (!opener->waitForStarted()) {
        QObject::disconnect(opener, nullptr, nullptr, nullptr);
        delete opener;
        if (failed) failed("xdg-open, which opens pages and folders, could not be started");
        return kFileNotFound;
    }
    return kStarted;
}

void ShowInFolder(const std::string& path, const Failed& failed) {
    const QFileInfo at(QString::fromStdString(path));
    const QString folder = at.isDir() ? at.absoluteFilePath() : at.absolutePath();
    OpenWebPage(folder.toStdString(), failed);
}

}  // namespace brambleton::Module2
