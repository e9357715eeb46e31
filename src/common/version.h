// SPDX-License-Identifier: MIT
#pragma once

namespace brambleton {

// The build's version ("0.1.0"), set once by the build from the project's version.
inline constexpr const char* kVersion = BRAMBLETON_VERSION;

}  // namespace brambleton
