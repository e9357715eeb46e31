// SPDX-License-Identifier: MIT
#include "content/lots_report.h"

#include <tuple>

#include <algorithm>
#include <cstdio>

#include "content/file_names.h"
#include "content/report_files.h"

namespace brambleton::content {
namespace {

std::string quoted(const std::string& text) {
    return "\u201c" + text + "\u201d";
}

std::string hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", id);
    return text;
}

std::string slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string jsonOrNull(const std::optional<std::string>& text) {
    return text ? jsonString(*text) : "null";
}

std::string count(std::int64_t n, const NumberSeparators& separators) {
    return formatNumber(static_cast<double>(n), 0, separators);
}

// The last line: how many lots and content files, and what could not be read.
std::string totalsText(const LotsReport& report, const NumberSeparators& separators) {
    const auto counted = [&separators](std::int64_t n, std::string_view one,
                                       std::string_view more) {
        return count(n, separators) + " " + std::string(n == 1 ? one : more);
    };
    std::string totals =
        counted(static_cast<std::int64_t>(report.lots.size()), "lot", "lots") + ", " +
        counted(static_cast<std::int64_t>(report.content.size()), "content file", "content files");
    for (const auto& [n, one, more] : {std::tuple{report.lotsUnreadable, "lot", "lots"},
                                       std::tuple{report.filesUnreadable, "file", "files"},
                                       std::tuple{report.foldersUnreadable, "folder", "folders"}}) {
        if (n) totals += ", " + counted(n, one, more) + " could not be read";
    }
    return totals;
}

}  // namespace

std::string lotLabel(const SavedLot& lot) {
    std::string out = "Lot " + std::to_string(lot.house);
    if (lot.name) out += ", " + quoted(*lot.name);
    if (lot.family) out += ", the " + *lot.family + " family";
    return out;
}

std::string missingText(const MissingThing& thing) {
    std::string out(thing.kind);
    if (thing.id) out += " " + hex(*thing.id);
    if (!thing.name.empty()) out += " " + quoted(thing.name);
    return out;
}

bool missesContent(const LotsReport& report) {
    return std::any_of(report.lots.begin(), report.lots.end(),
                       [](const SavedLot& lot) { return !lot.missing.empty(); });
}

bool knowsLess(const LotsReport& report) {
    return std::any_of(report.lots.begin(), report.lots.end(),
                       [](const SavedLot& lot) { return !lot.unknown.empty(); });
}

namespace {

// One lot as a JSON object.
std::string lotJson(const LotsReport& report, const SavedLot& lot) {
    std::string out = "{\"file\":" + jsonString(lot.file) +
                      ",\"house\":" + std::to_string(lot.house) +
                      ",\"name\":" + jsonOrNull(lot.name) +
                      ",\"family\":" + jsonOrNull(lot.family) + ",\"uses\":[";
    for (std::size_t u = 0; u < lot.uses.size(); ++u) {
        out += (u ? "," : "") +
               jsonString(slashed(pathBelow(report.path(lot.uses[u]), report.install)));
    }
    const auto things = [&out](std::string_view key, const std::vector<MissingThing>& list) {
        out += "],\"" + std::string(key) + "\":[";
        for (std::size_t m = 0; m < list.size(); ++m) {
            const auto& thing = list[m];
            out += std::string(m ? "," : "") + "{\"kind\":\"" + std::string(thing.kind) +
                   "\",\"id\":" + (thing.id ? std::to_string(*thing.id) : "null") +
                   ",\"name\":" + jsonString(thing.name) + "}";
        }
    };
    things("missing", lot.missing);
    things("unknown", lot.unknown);
    return out + "]}";
}

// Each lot with something in its list `list` (missing or unknown), under `heading`.
void thingsText(const LotsReport& report, std::vector<MissingThing> SavedLot::*list,
                std::string_view heading, std::vector<std::string>& lines) {
    lines.emplace_back("");
    lines.emplace_back(heading);
    for (const auto& lot : report.lots) {
        if ((lot.*list).empty()) continue;
        lines.push_back("  " + lotLabel(lot));
        for (const auto& thing : lot.*list) lines.push_back("    " + missingText(thing));
    }
}

}  // namespace

void writeLotsJson(const LotsReport& report, const std::function<void(std::string_view)>& write) {
    std::string out = "{\"install\":" + jsonString(report.install) + ",\"saves\":[";
    for (std::size_t i = 0; i < report.saves.size(); ++i) {
        out += (i ? "," : "") + jsonString(report.saves[i]);
    }
    out += "],\"lots\":[";
    write(out);
    for (std::size_t i = 0; i < report.lots.size(); ++i) {
        write((i ? "," : "") + lotJson(report, report.lots[i]));
    }
    out = "],\"unused\":[";
    const auto unused = report.unused();
    for (std::size_t i = 0; i < unused.size(); ++i) {
        out +=
            (i ? "," : "") + jsonString(slashed(pathBelow(report.path(unused[i]), report.install)));
    }
    out += "],\"unused_known\":" + std::string(report.unusedKnown ? "true" : "false") +
           ",\"lots_unreadable\":" + std::to_string(report.lotsUnreadable) +
           ",\"files_unreadable\":" + std::to_string(report.filesUnreadable) +
           ",\"folders_unreadable\":" + std::to_string(report.foldersUnreadable) + "}\n";
    write(out);
}

std::vector<std::string> lotsText(const LotsReport& report, const NumberSeparators& separators) {
    std::vector<std::string> lines;
    const auto below = [&](const std::string& path) { return pathBelow(path, report.install); };
    for (const auto& saves : report.saves) lines.push_back("Saves: " + saves);
    if (report.saves.empty()) lines.emplace_back("No saved games were found for this copy.");
    for (const auto& lot : report.lots) {
        lines.emplace_back("");
        lines.emplace_back(lotLabel(lot) + " (" + lot.file + ")");
        if (lot.uses.empty()) lines.emplace_back("  uses no content files");
        for (const auto index : lot.uses) lines.push_back("  uses " + below(report.path(index)));
    }
    lines.emplace_back("");
    const auto unused = report.unused();
    if (!report.unusedKnown) {
        lines.emplace_back(
            "Content no lot uses: not listed, since some lots could not be read and what they "
            "use is unknown.");
    } else {
        lines.push_back("Content no lot uses (" +
                        count(static_cast<std::int64_t>(unused.size()), separators) +
                        (unused.size() == 1 ? " file" : " files") +
                        "; a Sim may still carry some of it in an inventory):");
        for (const auto index : unused) lines.push_back("  " + below(report.path(index)));
    }
    if (!report.gameObjectsFound) {
        lines.emplace_back(
            "The game's own objects were not found, so no lot is said to miss an object.");
    }
    if (missesContent(report)) {
        thingsText(report, &SavedLot::missing, "Lots that miss content:", lines);
        lines.emplace_back(kMissingWarning);
    }
    if (knowsLess(report)) {
        thingsText(report, &SavedLot::unknown,
                   "Lots using what was found nowhere, while some files or folders that may hold "
                   "it could not be read (see the messages above), so it may be there or missing:",
                   lines);
    }
    lines.emplace_back("");
    lines.push_back(totalsText(report, separators));
    return lines;
}

}  // namespace brambleton::content
