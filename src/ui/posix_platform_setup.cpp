// SPDX-License-Identifier: MIT
#include "ui/platform_setup.h"

namespace brambleton::ui {

void choosePlatformOptions() {
    // Qt's defaults serve here.
}

}  // namespace brambleton::ui
