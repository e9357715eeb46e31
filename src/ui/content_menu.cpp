// SPDX-License-Identifier: MIT
// The main window's Content menu: the check, the catalogue and the lots, each in a window of
// its own, and the changes made, with their undo.
#include "ui/frm_main.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <initializer_list>

#include "locations/save_folders.h"
#include "locations/settings_file.h"
#include "ui/catalogue_window.h"
#include "ui/changes_window.h"
#include "ui/content_check_window.h"
#include "ui/install_window.h"
#include "ui/lots_window.h"
#include "ui/main_window_text.h"
#include "ui/message_box.h"

namespace brambleton::ui {

QString frmMain::contentFolder() {
    const auto installs = currentInstalls();
    const GameInstall* install = installInUse(installs);
    if (!install || install->hostFolder.empty()) {
        showMessage(tr("The Sims was not found, so there is no content to check. Choose the "
                       "game's folder with Game > Choose the game folder..."),
                    {}, this);
        return {};
    }
    return QString::fromStdString(install->hostFolder);
}

bool frmMain::scanRunning() const {
    const std::initializer_list<const ScanWindow*> windows = {
        contentWindow_.data(), catalogueWindow_.data(), lotsWindow_.data()};
    return std::any_of(windows.begin(), windows.end(),
                       [](const ScanWindow* window) { return window && window->scanning(); });
}

bool frmMain::busy() const {
    return searching_ || counting_ || scanRunning();
}

void frmMain::showCatalogue() {
    if (busy()) return;
    const QString folder = contentFolder();
    if (folder.isEmpty()) return;
    if (!catalogueWindow_) {
        catalogueWindow_ = new CatalogueWindow(this);
        catalogueWindow_->setWritePlaces(changePlaces_);
        connect(catalogueWindow_, &CatalogueWindow::undoRequested, this, &frmMain::undoLastChange);
    }
    catalogueWindow_->scan(folder, saveFolders());
}

std::vector<std::filesystem::path> frmMain::saveFolders() {
    const auto installs = currentInstalls();
    const GameInstall* install = installInUse(installs);
    if (!install || install->hostFolder.empty()) return {};
    SavesPlaces places;
    places.chosen =
        settings_->value(settingKey(settings::kSavesFolder)).toString().toStdU16String();
    places.install = std::filesystem::path(
        std::u8string(install->hostFolder.begin(), install->hostFolder.end()));
    places.prefix = install->prefix;
    places.profile = machine_->environment().home;
    std::vector<std::filesystem::path> out;
    for (const auto& found : findSaveFolders(places)) out.push_back(found.folder);
    return out;
}

void frmMain::showLots() {
    if (busy()) return;
    const QString folder = contentFolder();
    if (folder.isEmpty()) return;
    if (!lotsWindow_) {
        lotsWindow_ = new LotsWindow(this);
        lotsWindow_->setWritePlaces(changePlaces_);
        connect(lotsWindow_, &LotsWindow::undoRequested, this, &frmMain::undoLastChange);
        // The folder chosen there is remembered as the game's folder is, and read at once.
        connect(lotsWindow_, &LotsWindow::savesFolderChosen, this, [this](const QString& chosen) {
            settings_->setValue(settingKey(settings::kSavesFolder), chosen);
            settings_->sync();
            showLots();
        });
    }
    lotsWindow_->scan(folder, saveFolders());
}

void frmMain::checkContent() {
    if (busy()) return;
    const QString folder = contentFolder();
    if (folder.isEmpty()) return;
    if (!contentWindow_) {
        contentWindow_ = new ContentCheckWindow(this);
        contentWindow_->setWritePlaces(changePlaces_);
    }
    contentWindow_->scan(folder, saveFolders());
}

void frmMain::showChanges() {
    if (!changesWindow_) {
        changesWindow_ = new ChangesWindow(changePlaces_, this);
        changesWindow_->setAttribute(Qt::WA_DeleteOnClose);
        // An open check shows the folders as they are again.
        connect(changesWindow_, &ChangesWindow::undone, this, [this] {
            if (contentWindow_ && contentWindow_->isVisible()) checkContent();
            if (catalogueWindow_ && catalogueWindow_->isVisible()) showCatalogue();
            if (lotsWindow_ && lotsWindow_->isVisible()) showLots();
        });
    }
    changesWindow_->refresh();
    changesWindow_->show();
    changesWindow_->raise();
    changesWindow_->activateWindow();
}

void frmMain::installDownload() {
    if (busy()) return;
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Install a download"),
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
        tr("Downloads (*.zip *.rar *.7z *.tar *.tar.gz *.tgz *.exe);;All files (*)"));
    if (!files.isEmpty()) showInstall(files);
}

void frmMain::showInstall(const QStringList& sources) {
    if (busy()) return;
    const QString folder = contentFolder();
    if (folder.isEmpty()) return;
    if (!installWindow_) {
        installWindow_ = new InstallWindow(changePlaces_, this);
        installWindow_->setObjectName(QStringLiteral("install"));
        // What is installed shows in an open catalogue and check.
        connect(installWindow_, &InstallWindow::installed, this, [this] {
            if (catalogueWindow_ && catalogueWindow_->isVisible()) showCatalogue();
            if (contentWindow_ && contentWindow_->isVisible()) checkContent();
        });
    }
    installWindow_->plan(folder, sources, saveFolders());
    installWindow_->show();
    installWindow_->raise();
    installWindow_->activateWindow();
}

namespace {

// The local files and folders a drag carries.
QStringList droppedPaths(const QMimeData* data) {
    QStringList out;
    if (!data || !data->hasUrls()) return out;
    for (const auto& url : data->urls()) {
        if (url.isLocalFile()) out << url.toLocalFile();
    }
    return out;
}

}  // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    showInstall(paths);
}

void frmMain::undoLastChange() {
    if (busy()) return;
    showChanges();
    changesWindow_->undo();
}

}  // namespace brambleton::ui
