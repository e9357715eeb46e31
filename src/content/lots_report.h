// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/lots.h"
#include "counting/count_summary.h"

namespace brambleton::content {

// The warning beside every lot that misses content.
inline constexpr std::string_view kMissingWarning =
    "When the game saves a lot that misses content, it drops that content from the lot for "
    "good: put the files back before playing these lots.";

// A lot as a player knows it: "Lot 3, “Pleasant Acres”, the Goths" or "Lot 3".
std::string lotLabel(const SavedLot& lot);

// One missing thing: "object 0x1234ABCD “Gold Sofa”", "floor “marble.flr”".
std::string missingText(const MissingThing& thing);

// The report as one JSON object, handed to `write` a lot at a time: install; saves (the
// UserData folders read); lots: [{file, house, name, family (null where unknown), uses
// (content files from the game's folder, names joined by "/"), missing: [{kind, id (a number
// or null), name}], unknown (what was found nowhere while something that may hold it could
// not be read; as missing)}]; unused (content files no lot uses, from the game's folder; empty when
// that cannot be known); unused_known; lots_unreadable; files_unreadable; folders_unreadable.
void writeLotsJson(const LotsReport& report, const std::function<void(std::string_view)>& write);

// The report as lines of text: each lot with the content files it uses, then the content no
// lot uses, then each lot's missing things, then the totals.
std::vector<std::string> lotsText(const LotsReport& report, const NumberSeparators& separators);

// Whether some lot misses content.
bool missesContent(const LotsReport& report);

// Whether some lot uses what could be neither found nor called missing.
bool knowsLess(const LotsReport& report);

}  // namespace brambleton::content
