// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <memory>

#include "ui/background_work.h"
#include "ui/places.h"

// The three list controls the main window browses with. Setting a property from code raises
// the same event as the user's action, so the window has one path for both; a value that
// cannot be set raises RuntimeError (68 for a drive, 76 for a folder) and leaves the old
// value in place.
namespace brambleton::ui {

// The drive list: the Wine prefix's drives and the host's root "/". The mouse wheel changes
// the drive only while the list has the focus, so a scroll over the window never moves the
// player's place.
class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    // Browses the drives of `places`, which the caller may change and then reload().
    explicit DriveListBox(std::shared_ptr<const Places> places, QWidget* parent = nullptr);

    // The current drive ("C:", "/"), empty before one is chosen.
    QString Drive() const { return drive_; }
    // Chooses the drive named by the first two characters of `drive` (any case), or "/".
    // Raises Change when it differs from the current one.
    void setDrive(const QString& drive);
    // Reads the list of drives again.
    void reload();

  signals:
    void Change();

  protected:
    void wheelEvent(QWheelEvent* event) override;

  private:
    void chooseIndex(int index);

    std::shared_ptr<const Places> places_;
    QString drive_;
};

// The folder list: the current folder's ancestors, open, down from its drive's root, then
// its sub-folders. A double-click or Enter on an entry makes it the current folder. The
// sub-folders are read on a thread of their own, so a folder of 200,000 of them leaves the
// window answering; the ancestors show at once. Every entry's tooltip is its full name, as
// plain text.
class DirListBox : public QListWidget {
    Q_OBJECT
  public:
    // Resolves paths through `places`.
    explicit DirListBox(std::shared_ptr<const Places> places, QWidget* parent = nullptr);

    // The current folder as a host path, empty before one is set.
    QString Path() const { return path_; }
    // Makes `path` (a Windows path through the prefix, a drive such as "C:", or a host path)
    // the current folder. Raises Change when the folder differs from the current one.
    void setPath(const QString& path);
    // Reads the current folder's sub-folders again.
    void Refresh();
    // Whether the sub-folders of the current folder are still being read.
    bool reading() const noexcept { return work_.busy(); }

  signals:
    void Change();
    // The sub-folders read last are shown.
    void Listed();

  protected:
    bool viewportEvent(QEvent* event) override;

  private:
    void openEntry(QListWidgetItem* item);

    std::shared_ptr<const Places> places_;
    QString path_;
    BackgroundWork work_{this};
};

// The file list: the files of its folder that match its pattern as the counter reads it
// (FilePattern: "*.IFF", "Caf*.iff", "*.skn;*.cmx"; an empty pattern shows every file),
// sorted by name without regard to case, hidden files left out. The folder is read on a
// thread of its own, so a folder of 200,000 files leaves the window answering. Each entry's
// tooltip is its full name, as plain text, which a narrow list cuts.
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
    // Whether the folder is still being read.
    bool reading() const noexcept { return work_.busy(); }
    // Keeps the rows out of the list's lowest `pixels`, where another control lies over it.
    void setBottomClearance(int pixels) { setViewportMargins(0, 0, 0, pixels); }

  signals:
    void Click();
    // The files read last are shown.
    void Listed();

  protected:
    bool viewportEvent(QEvent* event) override;

  private:
    QString path_;
    QString pattern_;
    BackgroundWork work_{this};
};

}  // namespace brambleton::ui
