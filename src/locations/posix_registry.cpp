// SPDX-License-Identifier: MIT
#include "locations/wine_prefix.h"
#include "locations/wine_registry.h"

namespace brambleton {

std::unique_ptr<Registry> makePlatformRegistry() {
    return std::make_unique<WineRegistry>(WinePrefix::fromEnvironment().systemRegistry());
}

}  // namespace brambleton
