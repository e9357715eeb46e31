// SPDX-License-Identifier: MIT
// The main window's Game menu: the copies of the game found, the folder chosen, Look again.
#include "ui/frm_main.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>

#include "locations/save_folders.h"
#include "locations/settings_file.h"
#include "ui/catalogue_window.h"
#include "ui/content_check_window.h"
#include "ui/lots_window.h"
#include "ui/main_window_text.h"
#include "ui/message_box.h"

namespace brambleton::ui {

void frmMain::fillGameMenu() {
    gameMenu_->clear();
    const QString chosen = settings_->value(settingKey(settings::kChosenFolder)).toString();
    if (searching_) {
        gameMenu_->addAction(tr("Looking for The Sims..."))->setEnabled(false);
    } else if (search_) {
        const auto installs = currentInstalls();
        if (installs.empty()) gameMenu_->addAction(tr("The Sims was not found"))->setEnabled(false);
        auto* copies = new QActionGroup(gameMenu_);
        const QFontMetrics metrics(gameMenu_->font());
        bool checked = false;
        for (const auto& install : installs) {
            const QString host = QString::fromStdString(install.hostFolder);
            // The copy's name and where it was found, which a cut in the middle of a long
            // path used to hide; the whole path and source in the tip.
            const QString path = QString::fromStdString(install.installPath);
            const QString text =
                tr("%1   (%2)")
                    .arg(metrics.elidedText(folderName(path), Qt::ElideRight,
                                            30 * metrics.averageCharWidth()),
                         metrics.elidedText(launcherLabel(install.source), Qt::ElideRight,
                                            30 * metrics.averageCharWidth()));
            auto* action = gameMenu_->addAction(menuText(text));
            const QString tip = tr("%1 (%2)").arg(QDir::toNativeSeparators(path),
                                                  QString::fromStdString(install.source));
            action->setStatusTip(tip);
            action->setToolTip(tip);
            action->setObjectName(QStringLiteral("gameCopy"));
            action->setData(host);
            action->setCheckable(true);
            action->setActionGroup(copies);
            action->setEnabled(!host.isEmpty());
            const bool inUse = !checked && (host == inUse_ || inUse_.isEmpty());
            if (inUse) {
                action->setChecked(true);
                checked = true;
            }
            connect(action, &QAction::triggered, this, [this, host] { useCopy(host); });
        }
        if (!checked && !copies->actions().isEmpty()) copies->actions().front()->setChecked(true);
    }
    gameMenu_->addSeparator();
    auto* choose =
        gameMenu_->addAction(tr("&Choose the game folder..."), this, &frmMain::askForGameFolder);
    choose->setObjectName(QStringLiteral("chooseGameFolder"));
    const QFontMetrics forgetMetrics(gameMenu_->font());
    auto* forget = gameMenu_->addAction(
        chosen.isEmpty()
            ? tr("&Forget the chosen folder")
            : tr("&Forget the chosen folder %1")
                  .arg(menuText(forgetMetrics.elidedText(folderName(chosen), Qt::ElideRight,
                                                         30 * forgetMetrics.averageCharWidth()))),
        this, &frmMain::forgetGameFolder);
    forget->setObjectName(QStringLiteral("forgetGameFolder"));
    forget->setStatusTip(QDir::toNativeSeparators(chosen));
    forget->setToolTip(QDir::toNativeSeparators(chosen));
    forget->setEnabled(!chosen.isEmpty());
    auto* again = gameMenu_->addAction(tr("&Look again"), this, &frmMain::lookAgain);
    again->setObjectName(QStringLiteral("lookAgain"));
    again->setEnabled(!busy());
}

void frmMain::askForGameFolder() {
    QFileDialog dialog(this, tr("Choose the game folder"));
    dialog.setObjectName(QStringLiteral("gameFolderDialog"));
    // Qt's own dialog on every desktop: it shows hidden folders (~/.local/share/Steam, a
    // Bottles prefix) and takes a path typed into its name box.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::Drives);
    // From the home folder, where launchers and prefixes keep their games.
    dialog.setDirectory(qtPath(machine_->environment().home));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    chooseGameFolder(dialog.selectedFiles().front());
}

bool frmMain::chooseGameFolder(const QString& folder) {
    QString host = QDir::cleanPath(QDir(folder).absolutePath());
    if (!QFileInfo(host).isDir()) {
        showMessage(tr("The folder %1 does not exist.").arg(QDir::toNativeSeparators(host)), {},
                    this);
        return false;
    }
    if (!holdsGame(stdPath(host))) {
        // A Steam installation or library, a Wine prefix or a folder of games: the copy
        // below it.
        const auto below = findGameBelow(stdPath(host));
        if (!below) {
            showMessage(tr("No copy of The Sims is in %1 or in the folders below it: none holds "
                           "GameData\\Behavior.iff. Choose the game's own folder, or a folder "
                           "that holds it (a Steam library, a Wine prefix).")
                            .arg(QDir::toNativeSeparators(host)),
                        {}, this);
            return false;
        }
        host = QDir::cleanPath(QString::fromStdU16String(below->u16string()));
    }
    settings_->setValue(settingKey(settings::kChosenFolder), host);
    settings_->sync();
    if (!search_) search_ = machine_->findGames();
    useCopy(host);
    return true;
}

void frmMain::forgetGameFolder() {
    const QString chosen = settings_->value(settingKey(settings::kChosenFolder)).toString();
    settings_->remove(settingKey(settings::kChosenFolder));
    settings_->sync();
    if (inUse_ == chosen) inUse_.clear();
    rememberInUse(currentInstalls());
    showAgain();
}

void frmMain::useCopy(const QString& hostFolder) {
    // The totals were another copy's.
    const auto installs = currentInstalls();
    const auto* shown = installInUse(installs);
    if (!shown || QString::fromStdString(shown->hostFolder) != hostFolder) {
        for (auto* box : {txtFiles_, txtDirs_, txtTotalBytes_, txtTotalKBytes_, txtTotalMBytes_}) {
            box->setText(QString());
        }
    }
    inUse_ = hostFolder;
    rememberInUse(currentInstalls());
    showAgain();
}

void frmMain::lookAgain() {
    if (busy()) return;
    startSearch(false);
}

}  // namespace brambleton::ui
