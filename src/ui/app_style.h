#pragma once

#include <QIcon>

class QWidget;

namespace brambleton::ui {

// Sets up the look every window shares: the Fusion style, and substitutes with the same
// metrics for the designed fonts where they are missing. Call once, after QApplication.
void setUpApplicationLook();

// The program's icon, 16x16 and 32x32.
QIcon applicationIcon();

// Navy background, white text, white button faces, and the designed default font.
void applyWindowLook(QWidget* window);

}  // namespace brambleton::ui
