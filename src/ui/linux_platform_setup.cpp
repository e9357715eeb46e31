// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include "ui/platform_setup.h"

namespace brambleton::ui {

void choosePlatformOptions() {
    // Qt's defaults serve here.
}

}  // namespace brambleton::ui
