// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QIcon>

class QPushButton;
class QWidget;

namespace brambleton::ui {

// Sets up what every window shares: the program's name and desktop file, the Fusion style
// with focus marks that show on the navy windows, substitutes with the same metrics for the
// designed fonts where they are missing, and the icon. Call once, after QApplication.
void setUpApplication();

// The program's icon, 16x16 to 256x256.
QIcon applicationIcon();

// Navy background, white text and the designed default font, for a window and the labels,
// group boxes and option buttons it holds. Lists, boxes and scroll bars keep the platform's
// colours.
void applyWindowLook(QWidget* window);

// The platform's colours for a control inside a navy window: lists, text boxes, combo boxes
// and their scroll bars.
void usePlatformColours(QWidget* control);

// A command button with the white face, whose Enter key presses it as Space does. Its text
// keeps the desktop's colour where that reads on white, and takes the light palette's
// otherwise (a dark desktop's light text would vanish on the white face).
void makeCommandButton(QPushButton* button);

// Gives a control on the navy window (a category's radio button, the pattern box) a white
// field and black marks when the desktop's field colour is too dark to see on navy.
void makeVisibleOnNavy(QWidget* control);

// Enter and Return press `button` while it has the focus, as Space does.
void pressOnEnter(QPushButton* button);

// A result box's colours: the blue (0, 0, 192) text on the desktop's background where that
// reads, else on white (a dark desktop's dark grey would swallow the blue).
void makeResultColours(QWidget* box);

// The contrast ratio of two colours as accessibility guidelines define it: 1 for the same
// colour, 21 for black on white. Text wants at least 4.5.
double contrastRatio(const QColor& a, const QColor& b);

}  // namespace brambleton::ui
