// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <memory>

#include "ui/places.h"

// The three list controls the main window browses with. Each behaves like its classic
// counterpart: setting a property from code raises the same event as the user's action, and
// a value that cannot be set raises RuntimeError (68 for a drive, 76 for a folder) and
// leaves the old value in place.
namespace brambleton::ui {

// The drive list: the Wine prefix's drives and the host's root "/". The mouse wheel changes
// the drive only while the list has the focus, so a scroll over the window never moves the
// player's place.
class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The current drive ("C:", "/"), empty before one is chosen.
    QString Drive() const { return drive_; }
    // Chooses the drive named by the first two characters of `drive` (any case), or "/".
    // Raises Change when it differs from the current one.
    void setDrive(const QString& drive);
    // Reads the list of drives again.
    void reload();
    // Browses through `places` from now on (the platform's until set); reads the drives again.
    void setPlaces(std::shared_ptr<const Places> places);

  signals:
    void Change();

  protected:
    void wheelEvent(QWheelEvent* event) override;

  private:
    void chooseIndex(int index);

    std::shared_ptr<const Places> places_ = std::make_shared<Places>();
    QString drive_;
};

// The folder list: the current folder's ancestors, open, down from its drive's root, then
// its sub-folders. A double-click or Enter on an entry makes it the current folder.
class DirListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder as a host path, empty before one is set.
    QString Path() const { return path_; }
    // Makes `path` (a Windows path through the prefix, a drive such as "C:", or a host path)
    // the current folder. Raises Change when the folder differs from the current one.
    void setPath(const QString& path);
    // Reads the current folder's sub-folders again.
    void Refresh();
    // Resolves paths through `places` from now on (the platform's until set).
    void setPlaces(std::shared_ptr<const Places> places) { places_ = std::move(places); }

  signals:
    void Change();

  private:
    void openEntry(QListWidgetItem* item);

    std::shared_ptr<const Places> places_ = std::make_shared<Places>();
    QString path_;
};

// The file list: the files of its folder that match any entry of a ";"-separated wildcard
// pattern, case ignored, sorted by name, hidden files left out. "*.*" and an empty pattern
// show every file. Each entry's tooltip is its full name, which a narrow list cuts.
class FileListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Throws RuntimeError 76 for a folder that does not exist, keeping the old one.
    void setPath(const QString& path);
    QString Pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    // The selected file's name, empty when none is selected.
    QString FileName() const;
    // Reads the folder again. Throws RuntimeError 76 when the folder no longer exists, leaving
    // the list empty.
    void Refresh();

  signals:
    void Click();

  private:
    QString path_;
    QString pattern_;
};

}  // namespace brambleton::ui
