// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <cstdlib>

#include "locations/launchers/launcher.h"
#include "locations/machine.h"
#include "locations/wine_prefix.h"
#include "locations/wine_registry.h"

namespace fs = std::filesystem;

namespace brambleton {

HostEnvironment HostEnvironment::fromProcess() {
    HostEnvironment environment;
    const char* home = std::getenv("HOME");
    environment.home = home && *home ? home : "/";
    environment.winePrefix = WinePrefix::fromEnvironment().root();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // The XDG rule: a relative value is ignored.
    if (config && *config == '/') environment.configFolder = config;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') environment.dataFolder = data;
    return environment;
}

Machine::Machine(HostEnvironment environment)
    : environment_(std::move(environment)),
      registry_(std::make_shared<WineRegistry>(environment_.winePrefix / "system.reg")),
      folderMap_(makeWineFolderMap(environment_.winePrefix)) {}

std::shared_ptr<const FolderMap> Machine::folderMapFor(const GameInstall& install) const {
    if (install.prefix.empty() || install.prefix == environment_.winePrefix) return folderMap_;
    return makeWineFolderMap(install.prefix);
}

fs::path Machine::registryPrefix() const {
    return environment_.winePrefix;
}

void Machine::addLauncherPlaces(SearchPlaces& places) const {
    for (const auto* family : launchers::all()) family->addLinuxPlaces(environment_, places);
}

}  // namespace brambleton
