// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "locations/machine.h"
#include "temp_tree.h"
#include "ui/frm_main.h"
#include "ui/places.h"

namespace brambleton::testing {

// The game installed where the program looks, with a home folder beside it, handed to the
// program as a HostEnvironment: the process's own environment is left alone. On Linux, a
// real Wine prefix in a temporary folder, with the home in it: `fixture`'s system.reg,
// dosdevices/ with c: and z:, and the game's folders under drive_c in another case than the
// registry writes them. On Windows, the registry's value written for the fixture and the
// game's folders on C: (the Windows leg's throwaway prefix).
class GamePrefix {
  public:
    explicit GamePrefix(const std::string& fixture = "a_sz_32bit/system.min.reg");
    ~GamePrefix();

    // The game folder as the lists show it, "/"-separated: on Linux drive_c/program files
    // (x86)/maxis/THE SIMS in the prefix, on Windows C:/Program Files (x86)/Maxis/The Sims.
    QString game(const QString& below = {}) const;
    QString home() const { return QDir::cleanPath(QString::fromStdString(tree.path("home"))); }
    void useFixture(const std::string& fixture) const;

    // What the program reads of the machine, pointed at this game and home.
    HostEnvironment environment() const;
    // The main window's sources for that environment, with `folders` to walk (the
    // platform's when null) and the pages looked for in `programFolder`.
    ui::Sources sources(std::unique_ptr<FolderSource> folders = nullptr,
                        const QString& programFolder = {}) const;
    // The drives and folders the lists browse there.
    std::shared_ptr<ui::Places> places() const;

    TempTree tree;
};

// Records every message the program shows instead of showing a box.
class MessageRecorder {
  public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList texts;
    QStringList titles;
    // Called as each message shows, for a test that looks at the windows beside it.
    std::function<void()> onMessage;
};

}  // namespace brambleton::testing
