// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "temp_tree.h"

namespace brambleton::testing {

// A real Wine prefix in a temporary folder, made the one the program reads (WINEPREFIX, and
// HOME pointing at a home folder inside it): `fixture`'s system.reg, dosdevices/ with c: and
// z:, and the game's folders under drive_c in another case than the registry writes them.
class GamePrefix {
  public:
    explicit GamePrefix(const std::string& fixture = "a_sz_32bit/system.min.reg");
    ~GamePrefix();

    // The game folder on the host: drive_c/program files (x86)/maxis/THE SIMS.
    QString game(const QString& below = {}) const;
    QString home() const { return QString::fromStdString(tree.path("home")); }
    void useFixture(const std::string& fixture) const;

    TempTree tree;
};

// Records every message the program shows instead of showing a box.
class MessageRecorder {
  public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList texts;
    QStringList titles;
};

}  // namespace brambleton::testing
