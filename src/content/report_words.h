// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "content/catalogue.h"
#include "content/content_check.h"
#include "counting/count_summary.h"

namespace brambleton::content {

// The words of a check's report, made from its facts in this one place for the terminal,
// the JSON, the HTML page and the window alike (where translations will hook in).

// The plain sentence a player reads about `problem`: what is wrong and what to do. Paths in
// it are written from the game's folder `install`, as the player knows them, and entries of
// archives with entryText.
std::string sentenceOf(const Problem& problem, std::string_view install);

// The heading of a problem kind in reports, and what a player does about it in general.
std::string describeKind(ProblemKind kind);
std::string whatToDo(ProblemKind kind);

// The sentence a player reads about a fault a reader found in a file.
std::string faultText(const FormatFault& fault);

// Where a problem lies, as reports show it: the path, and for an entry inside an archive,
// " » " and the entry's name shown with entryText.
std::string placeText(const std::string& path, const std::string& entry);

// "N objects, M of them inside K archives", for an objects area.
std::string objectsSentence(const AreaReport& area, const NumberSeparators& separators);

// "and N more": the members of a grouped problem past those listed.
std::string moreText(std::int64_t unlisted, const NumberSeparators& separators);

// "N problems", and what could not be read: "N folders could not be read", "1 file could not
// be read"; the latter only when there were any.
std::string problemsText(const ContentReport& report, const NumberSeparators& separators);
std::vector<std::string> unreadableTexts(const ContentReport& report,
                                         const NumberSeparators& separators);

// The heading over the first `listed` things that could not be read: "3 folders could not be
// read and were left out of the check:".
std::string leftOutText(const ContentReport& report, std::size_t listed,
                        const NumberSeparators& separators);

// What the check read: the duplicate finder's bytes and files, then the readers inside the
// files'. Bytes read, not bytes of content.
std::vector<std::string> readingTexts(const ContentReport& report,
                                      const NumberSeparators& separators);

// A catalogue item on one line: its name (or its file's name), its price, its category and
// where it lies from the game's folder `install`.
std::string itemText(const CatalogueItem& item, std::string_view install,
                     const NumberSeparators& separators);

}  // namespace brambleton::content
