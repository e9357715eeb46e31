// SPDX-License-Identifier: MIT
#include <QProcess>
#include <QString>

#include "ui/module2.h"

namespace brambleton::Module2 {

namespace {
constexpr std::int32_t kStarted = 42;      // any value above 32 means success
constexpr std::int32_t kFileNotFound = 2;  // the shell's "file not found"
}  // namespace

std::int32_t OpenWebPage(const std::string& address) {
    // Detached, so the browser outlives nothing of ours and nothing waits for it; "/" as the
    // working folder, as the Windows shell is given the root of C:.
    const bool started = QProcess::startDetached(
        QStringLiteral("xdg-open"), {QString::fromStdString(address)}, QStringLiteral("/"));
    return started ? kStarted : kFileNotFound;
}

}  // namespace brambleton::Module2
