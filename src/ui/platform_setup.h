// SPDX-License-Identifier: MIT
#pragma once

#include <QPalette>

namespace brambleton::ui {

// Sets what the platform's Qt plugin needs to draw this program well, before the application
// object exists. An option the user set in the environment is left as it is.
void choosePlatformOptions();

// After the application object exists: when the desktop says it prefers dark colours (on
// Linux, the desktop portal's org.freedesktop.appearance color-scheme, which GNOME, Plasma
// and the Steam Deck's desktop answer) and the palette Qt was handed is light (no platform
// theme carried it over, as in the portable folder), the program takes a dark palette. A
// dark palette from a platform theme, and a desktop that prefers light or says nothing, are
// left as they are. Returns whether it changed the palette.
bool followDesktopColourScheme();

// Fusion's colours for a dark desktop.
QPalette darkPalette();

}  // namespace brambleton::ui
