// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/catalogue.h"
#include "content/content_check.h"
#include "content/report_words.h"
#include "counting/count_summary.h"

namespace brambleton::content {

// `text` as a JSON string, quoted and escaped; bytes that are not UTF-8 as U+FFFD.
std::string jsonString(std::string_view text);

// A host path as JSON from the game's folder `install`: "." for the folder itself, null for
// an empty path, unchanged when not below it.
std::string pathFromGameJson(const std::string& path, std::string_view install);

// A catalogue item as one JSON object: kind, path (its file from the game's folder `install`,
// names joined by "/"), for an archive's entry archive (the same) and entry (its name as
// stored, never joined to the path), name and description (null where the file has none),
// price, category (null for an object of none), in_catalog, game_own (true for an item of
// the game's own, else left out);
// for objects guid, tiles and thumbnail ({width, height} or null); for skins part, gender,
// age, build (null where the name says none) and textures.
std::string itemJson(const CatalogueItem& item, std::string_view install);

// The report as one JSON object: install, areas (name, folder or null, files, bytes; for
// objects areas objects, objects_in_archives and archives; largest: [{folder, bytes}]),
// problems (kind, path, detail; for an entry inside an archive, archive and entry; same_as
// for duplicates and conflicting object IDs, with same_as_entry when the kept one is an
// entry, and name and same_as_name, the objects' catalogue names where they have them; guid
// for the latter; mesh for a missing mesh; for a grouped problem, members
// [{path, entry}], the first of them, and members_count, how many in all),
// folders_unreadable, files_unreadable, files_compared and bytes_compared (the duplicate
// finder's), files_inspected and bytes_inspected (the readers inside the files'). Text that is not
// UTF-8 is written with U+FFFD in place of the bytes that are not, so the JSON is always valid.
std::string toJson(const ContentReport& report);

// The same JSON handed to `write` piece by piece (about a problem at a time), so that a large
// report is never held whole as text.
void writeJson(const ContentReport& report, const std::function<void(std::string_view)>& write);

// What a page says of itself: the program's version and the day it was made; and the
// pictures of the objects its problems are about, as data: addresses, by problem (empty for
// a problem without one).
struct PageFacts {
    std::string version;
    std::string date;
    std::vector<std::string> pictures = {};
};

// The report as a page a player can post in a help forum: every name escaped, numbers with
// `separators`, each area's largest folders with a bar, and `facts` when given.
std::string toHtml(const ContentReport& report, const NumberSeparators& separators,
                   const PageFacts& facts = {});

// This program's version and today's date (ISO 8601), for a page that is saved.
PageFacts pageFactsNow();

// Writes the report as it is shared (see forSharing) to `file`: JSON when the name ends in
// ".json" (any case), else an HTML page, which shows the catalogue picture of each object a
// duplicate or a conflict of object IDs is about, as a PNG made by bmpAsPng, the one PNG
// maker (the window's page and the counter's alike), else (a form it does not take) as a
// plain placeholder. The report is written beside
// `file` and then takes its place whole: a failure, a full disk or a kill leaves what was
// there. A target that is not a regular file (a pipe, a folder, a device) is refused and
// never opened. Stops, writing nothing, when `cancelled` turns true. Empty when written;
// else why not, one sentence.
std::string saveShared(const ContentReport& report, const std::string& file,
                       const std::string& home, const NumberSeparators& separators,
                       const std::function<bool()>& cancelled = {});

// The pictures a page shows for `report`'s problems (see PageFacts), read from the files
// the problems name: at most kPicturesShown of them.
inline constexpr std::size_t kPicturesShown = 500;
std::vector<std::string> problemPictures(const ContentReport& report,
                                         const std::function<bool()>& cancelled = {});

// The report as it is shared (saved, posted in a forum): every path from the game's folder,
// and the game's folder itself with the home folder `home` written "~", so that it names no
// one. Entries keep their names.
ContentReport forSharing(ContentReport report, const std::string& home);

}  // namespace brambleton::content
