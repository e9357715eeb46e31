// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "locations/game_finder.h"

class QWidget;

namespace brambleton::ui {

// Asks the player which copy of the game to use: a short list showing each one's source and
// folder, the first preselected. Returns the index chosen; the first when the box is closed
// without a choice. The dialog's objectName is "chooseInstall", its list's "installs".
int chooseInstall(QWidget* parent, const std::vector<GameInstall>& installs);

}  // namespace brambleton::ui
