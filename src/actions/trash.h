// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "actions/file_system.h"

namespace brambleton::actions {

// Where the desktop's trash is looked for: the user's data folder ($XDG_DATA_HOME, else
// ~/.local/share) holds the home trash. Unused on Windows, whose Recycle Bin the system keeps.
struct TrashHome {
    std::filesystem::path dataHome;
};

// A place in the trash for one file or folder: where it lies there and the record that
// tells a file manager where it came from and when (a .trashinfo file, as Linux desktops
// keep their trash). On Windows both are empty: the Recycle Bin picks them.
struct TrashSlot {
    std::filesystem::path file;
    std::filesystem::path record;
};

// A free slot for `path` in a trash on its own filesystem: the home trash when it is on the
// same one, else the volume's own (.Trash-$uid at its top). Nullopt, with why in `why`, when
// no trash there can take it without copying.
std::optional<TrashSlot> findTrashSlot(const std::filesystem::path& path, const TrashHome& home,
                                       std::string& why);

// Writes the record of `path` going into the trash at `slot`, taking the name: a name taken
// meanwhile refuses. Done first, so that a file in the trash always has its record.
bool writeTrashRecord(const std::filesystem::path& path, const TrashSlot& slot, std::string& why);

// Moves `path` into the trash at `slot`, never replacing anything.
MoveResult moveIntoTrash(const std::filesystem::path& path, const TrashSlot& slot);

// Where a file put in the trash at `slot` from `cameFrom` lies now; nullopt when it has
// left the trash (restored or emptied by the player).
std::optional<std::filesystem::path> locateInTrash(const TrashSlot& slot,
                                                   const std::filesystem::path& cameFrom);

// Forgets the trash's record of a file taken back out of it, or never put in.
void dropTrashRecord(const TrashSlot& slot, const std::filesystem::path& cameFrom);

}  // namespace brambleton::actions
