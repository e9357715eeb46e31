// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "content/content_check.h"
#include "counting/count_summary.h"

namespace brambleton::content {

// The report as one JSON object: install, areas (name, folder or null, files, bytes,
// largest: [{folder, bytes}]), problems (kind, path, detail, and same_as for duplicates) and
// folders_unreadable. Text that is not UTF-8 is written with U+FFFD in place of the bytes
// that are not, so the JSON is always valid.
std::string toJson(const ContentReport& report);

// The report as a page a player can post in a help forum: every name escaped, numbers with
// `separators`.
std::string toHtml(const ContentReport& report, const NumberSeparators& separators);

}  // namespace brambleton::content
