// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

class QPushButton;
class QWidget;

namespace brambleton::ui {

// Sets up what every window shares: the program's name and desktop file, the Fusion style
// with focus marks that show on the navy windows, substitutes with the same metrics for the
// designed fonts where they are missing, and the icon. Call once, after QApplication.
void setUpApplication();

// The program's icon, 16x16 and 32x32.
QIcon applicationIcon();

// Navy background, white text and the designed default font, for a window and the labels,
// group boxes and option buttons it holds. Lists, boxes and scroll bars keep the platform's
// colours.
void applyWindowLook(QWidget* window);

// The platform's colours for a control inside a navy window: lists, text boxes, combo boxes
// and their scroll bars.
void usePlatformColours(QWidget* control);

// A command button with the white face, whose Enter key presses it as Space does.
void makeCommandButton(QPushButton* button);

}  // namespace brambleton::ui
