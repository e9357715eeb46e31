// SPDX-License-Identifier: MIT
#pragma once

namespace brambleton::ui {

// Sets what the platform's Qt plugin needs to draw this program well, before the application
// object exists. An option the user set in the environment is left as it is.
void choosePlatformOptions();

}  // namespace brambleton::ui
