// SPDX-License-Identifier: MIT
// Compiled by the Windows build only (BRAMBLETON_PLATFORM win32, MinGW-w64).
#include <cstdlib>
#include <optional>

#include "locations/launchers/launcher.h"
#include "locations/machine.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

std::optional<fs::path> environmentFolder(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return fs::path(value);
}

}  // namespace

HostEnvironment HostEnvironment::fromProcess() {
    HostEnvironment environment;
    environment.home = environmentFolder("USERPROFILE").value_or("C:\\");
    for (const char* name : {"ProgramFiles(x86)", "ProgramFiles", "ProgramW6432"}) {
        const auto folder = environmentFolder(name);
        if (!folder) continue;
        bool known = false;
        for (const auto& f : environment.programFolders) known = known || f == *folder;
        if (!known) environment.programFolders.push_back(*folder);
    }
    environment.programData = environmentFolder("ProgramData").value_or("C:\\ProgramData");
    environment.configFolder =
        environmentFolder("APPDATA").value_or(environment.home / "AppData" / "Roaming");
    environment.dataFolder =
        environmentFolder("LOCALAPPDATA").value_or(environment.home / "AppData" / "Local");
    return environment;
}

Machine::Machine(HostEnvironment environment)
    : environment_(std::move(environment)),
      registry_(makePlatformRegistry()),
      folderMap_(makePlatformFolderMap()) {}

std::shared_ptr<const FolderMap> Machine::folderMapFor(const GameInstall&) const {
    return folderMap_;
}

fs::path Machine::registryPrefix() const {
    return {};
}

void Machine::addLauncherPlaces(SearchPlaces& places) const {
    for (const auto* family : launchers::all()) {
        family->addWindowsPlaces(environment_, *registry_, places);
    }
}

}  // namespace brambleton
