// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "content/content_check.h"
#include "counting/count_summary.h"

namespace brambleton::content {

// The report as one JSON object: install, areas (name, folder or null, files, bytes; for
// objects areas objects, objects_in_archives and archives; largest: [{folder, bytes}]),
// problems (kind, path, detail; for an entry inside an archive, archive and entry; same_as
// for duplicates and conflicting object IDs, with same_as_entry when the kept one is an
// entry, guid for the latter; mesh for a missing mesh; for a grouped problem, members
// [{path, entry}], the first of them, and members_count, how many in all),
// folders_unreadable, files_unreadable, files_compared and bytes_compared (the duplicate
// finder's), files_inspected and bytes_inspected (the readers inside the files'). Text that is not
// UTF-8 is written with U+FFFD in place of the bytes that are not, so the JSON is always valid.
std::string toJson(const ContentReport& report);

// The same JSON handed to `write` piece by piece (about a problem at a time), so that a large
// report is never held whole as text.
void writeJson(const ContentReport& report, const std::function<void(std::string_view)>& write);

// "N objects, M of them inside K archives", for an objects area.
std::string objectsSentence(const AreaReport& area, const NumberSeparators& separators);

// The report as a page a player can post in a help forum: every name escaped, numbers with
// `separators`.
std::string toHtml(const ContentReport& report, const NumberSeparators& separators);

}  // namespace brambleton::content
