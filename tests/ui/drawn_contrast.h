// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QWidget>
#include <algorithm>

#include "ui/app_style.h"

namespace brambleton::testing {

// The contrast of a control's text as drawn: the colour most pixels inside its frame have
// (its face) against the pixel there that stands out from it most (the core of a letter).
inline double drawnContrast(QWidget* control) {
    const QImage image = control->grab().toImage();
    QHash<QRgb, int> seen;
    for (int y = 4; y < image.height() - 4; ++y) {
        for (int x = 4; x < image.width() - 4; ++x) ++seen[image.pixel(x, y)];
    }
    QRgb face = 0;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        if (it.value() > seen.value(face)) face = it.key();
    }
    double most = 1;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        most = std::max(most, ui::contrastRatio(QColor(face), QColor(it.key())));
    }
    return most;
}

}  // namespace brambleton::testing
