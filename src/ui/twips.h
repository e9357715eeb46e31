// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

namespace brambleton::ui {

// The layout is designed in twips; a logical pixel is 15 twips, and Qt scales logical pixels
// to the screen.
constexpr int fromTwips(int twips) {
    return (twips * 2 + 15) / 30;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height));
}

}  // namespace brambleton::ui
