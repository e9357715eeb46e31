// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "actions/changes.h"

class QPushButton;
class QWidget;

namespace brambleton::ui {

class PutRightWindow;

// Opens the file manager at `path` (a host path); when none can, says why over `over`.
void showInFolder(const std::string& path, QWidget* over);

// What the catalogue and My lots do to the content they list: Show in folder, Move to
// trash... (through the same plan window, journal and trash as the check's Put it right)
// and Undo last change. Their buttons are named "showInFolder", "moveToTrash" and
// "undoChange". The game's own files are never offered.
class ContentActions final : public QObject {
    Q_OBJECT
  public:
    // The three buttons, made children of `window`.
    explicit ContentActions(QWidget* window);

    QPushButton* showInFolder() const { return showInFolder_; }
    QPushButton* moveToTrash() const { return moveToTrash_; }
    QPushButton* undo() const { return undo_; }

    void setWritePlaces(actions::WritePlaces places) { places_ = std::move(places); }
    // What is selected: the game's folder (a host path), the files (host paths) and the saved
    // lots that use them (with `lotsKnown` false when which lots use them could not be told).
    // Enables the buttons for what they can act on.
    void select(const std::string& install, std::vector<std::string> files, QStringList lots,
                bool lotsKnown);

    // Opens the plan that moves the selected files to the trash, the lots that use them
    // named first in a warning; null when none of them is the player's own.
    PutRightWindow* trashSelected();

  signals:
    // A change was made: the window reads the folders again.
    void changed();
    // The player asked to take back the last change (the program's Content > Undo).
    void undoRequested();

  private:
    void showSelectedInFolder();

    QWidget* window_;
    QPushButton* showInFolder_;
    QPushButton* moveToTrash_;
    QPushButton* undo_;
    actions::WritePlaces places_ = actions::userPlaces();
    std::string install_;
    std::vector<std::string> files_;
    QStringList lots_;
    bool lotsKnown_ = false;
    QPointer<PutRightWindow> plan_;
};

}  // namespace brambleton::ui
