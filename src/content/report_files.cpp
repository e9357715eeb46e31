// SPDX-License-Identifier: MIT
#include "content/report_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

#include <cstdio>
#include <map>

#include "common/ascii.h"
#include "common/utf8.h"
#include "common/version.h"
#include "content/catalogue.h"
#include "content/file_names.h"
#include "content/formats/picture.h"
#include "content/report_words.h"

namespace brambleton::content {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = utf8Sequence(text, at, cp);
        if (length == 0) {
            out += "\\ufffd";
            ++at;
            continue;
        }
        if (cp == '"' || cp == '\\') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp < 0x20 || cp == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(cp));
            out += escaped;
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return out + "\"";
}

namespace {

std::string html(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = utf8Sequence(text, at, cp);
        if (length == 0) {
            out += "&#xfffd;";
            ++at;
            continue;
        }
        switch (cp) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if (cp < 0x20) {
                    out += "&#xfffd;";
                } else if ((cp >= 0x7f && cp < 0xa0) || reordersText(cp)) {
                    // Shown as the terminal shows them, never acted on by the browser.
                    char escaped[16];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(cp));
                    out += escaped;
                } else {
                    out.append(text.substr(at, length));
                }
        }
        at += length;
    }
    return out;
}

}  // namespace

namespace {

std::string areaJson(const AreaReport& area) {
    std::string out = "{\"name\":" + jsonString(area.name) +
                      ",\"folder\":" + (area.folder ? jsonString(*area.folder) : "null") +
                      ",\"files\":" + std::to_string(area.files) +
                      ",\"bytes\":" + std::to_string(area.bytes);
    if (area.area == Area::kObjects) {
        out += ",\"objects\":" + std::to_string(area.objects) +
               ",\"objects_in_archives\":" + std::to_string(area.objectsInArchives) +
               ",\"archives\":" + std::to_string(area.archives);
    }
    out += ",\"largest\":[";
    for (std::size_t i = 0; i < area.largest.size(); ++i) {
        out += (i ? "," : "") + std::string("{\"folder\":") + jsonString(area.largest[i].folder) +
               ",\"bytes\":" + std::to_string(area.largest[i].bytes) + "}";
    }
    return out + "]}";
}

// A host path as advice names it: from the game's folder, "." for the folder itself; null
// for none.
std::string fromGameJson(const std::string& path, std::string_view install) {
    if (path.empty()) return "null";
    std::string_view base = install;
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.remove_suffix(1);
    return jsonString(path == base ? std::string(".") : pathBelow(path, install));
}

std::string adviceJson(const Advice& advice, std::string_view install) {
    return "{\"action\":" + jsonString(actionName(advice.action)) +
           ",\"from\":" + fromGameJson(advice.from, install) +
           ",\"to\":" + fromGameJson(advice.to, install) + "}";
}

std::string problemJson(const Problem& p, const std::string& install) {
    std::string out = "{\"kind\":" + jsonString(kindName(p.kind)) +
                      ",\"path\":" + jsonString(p.path) +
                      ",\"detail\":" + jsonString(sentenceOf(p, install));
    if (!p.entry.empty()) {
        out += ",\"archive\":" + jsonString(p.path) + ",\"entry\":" + jsonString(p.entry);
    }
    if (!p.sameAs.empty()) out += ",\"same_as\":" + jsonString(p.sameAs);
    if (!p.sameAsEntry.empty()) out += ",\"same_as_entry\":" + jsonString(p.sameAsEntry);
    if (!p.name.empty()) out += ",\"name\":" + jsonString(p.name);
    if (!p.sameAsName.empty()) out += ",\"same_as_name\":" + jsonString(p.sameAsName);
    if (!p.usedByLots.empty()) {
        out += ",\"used_by_lots\":[";
        for (std::size_t i = 0; i < p.usedByLots.size(); ++i) {
            out += (i ? "," : "") + jsonString(p.usedByLots[i]);
        }
        out += "]";
    }
    if (p.moreCount > 0) {
        out += ",\"members\":[";
        for (std::size_t m = 0; m < p.more.size(); ++m) {
            out += (m ? ",{\"path\":" : "{\"path\":") + jsonString(p.more[m].path);
            if (!p.more[m].entry.empty()) out += ",\"entry\":" + jsonString(p.more[m].entry);
            out += "}";
        }
        out += "],\"members_count\":" + std::to_string(p.moreCount);
    }
    if (!p.mesh.empty()) out += ",\"mesh\":" + jsonString(p.mesh);
    if (p.guid) out += ",\"guid\":" + std::to_string(*p.guid);
    if (p.bitsPerPixel) out += ",\"bits_per_pixel\":" + std::to_string(p.bitsPerPixel);
    return out + ",\"advice\":" + adviceJson(p.advice, install) + "}";
}

}  // namespace

void writeJson(const ContentReport& report, const std::function<void(std::string_view)>& write) {
    std::string out = "{\"install\":" + jsonString(report.install) + ",\"areas\":[";
    for (std::size_t i = 0; i < report.areas.size(); ++i) {
        out += (i ? "," : "") + areaJson(report.areas[i]);
    }
    out += "],\"problems\":[";
    // Written a problem at a time: a report of a hundred thousand problems is never held
    // whole as text.
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
        out += (i ? "," : "") + problemJson(report.problems[i], report.install);
        write(out);
        out.clear();
    }
    out += "],\"folders_unreadable\":" + std::to_string(report.foldersUnreadable) +
           ",\"files_unreadable\":" + std::to_string(report.filesUnreadable) +
           ",\"files_compared\":" + std::to_string(report.filesCompared) +
           ",\"bytes_compared\":" + std::to_string(report.bytesCompared) +
           ",\"files_inspected\":" + std::to_string(report.filesInspected) +
           ",\"bytes_inspected\":" + std::to_string(report.bytesInspected) + "}\n";
    write(out);
}

std::string pathFromGameJson(const std::string& path, std::string_view install) {
    return fromGameJson(path, install);
}

std::string toJson(const ContentReport& report) {
    std::string out;
    writeJson(report, [&](std::string_view text) { out.append(text); });
    return out;
}

namespace {

// The largest folders of an area as rows with a bar each, the largest the full width.
std::string largestRows(const AreaReport& area, const std::string& install,
                        const NumberSeparators& separators) {
    std::string out;
    const double most = area.largest.empty() ? 0 : static_cast<double>(area.largest[0].bytes);
    for (const auto& folder : area.largest) {
        const int width =
            most > 0 ? static_cast<int>(100 * static_cast<double>(folder.bytes) / most) : 0;
        out +=
            "<tr><td></td><td><code>" + html(pathBelow(folder.folder, install)) +
            "</code></td><td></td><td class=\"n\">" +
            formatNumber(static_cast<double>(folder.bytes) / 1048576.0, 1, separators) +
            " MB</td><td><div class=\"bar\" style=\"width:" + std::to_string(std::max(width, 1)) +
            "%\"></div></td></tr>\n";
    }
    return out;
}

// One problem as an item of the page's list, with the members it groups.
std::string problemItem(const Problem& p, const std::string& install,
                        const NumberSeparators& separators, const std::string& picture) {
    std::string out = "<li>" +
                      (picture.empty() ? std::string()
                                       : "<img class=\"pic\" alt=\"\" src=\"" + picture + "\"> ") +
                      "<code>" + html(placeText(p.path, p.entry)) +
                      "</code>: " + html(sentenceOf(p, install));
    if (p.moreCount > 0) {
        out += "<ul>";
        for (const auto& member : p.more) {
            out += "<li><code>" + html(placeText(member.path, member.entry)) + "</code></li>";
        }
        const auto unlisted = p.moreCount - static_cast<std::int64_t>(p.more.size());
        if (unlisted > 0) out += "<li>" + html(moreText(unlisted, separators)) + "</li>";
        out += "</ul>";
    }
    return out + "</li>\n";
}

}  // namespace

PageFacts pageFactsNow() {
    const std::time_t now = std::time(nullptr);
    std::tm day{};
    char text[16] = "";
    if (const std::tm* local = std::localtime(&now)) {
        day = *local;
        std::strftime(text, sizeof text, "%Y-%m-%d", &day);
    }
    return {kVersion, text};
}

namespace {

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const auto byte = [&](std::size_t at) {
            return at < bytes.size()
                       ? static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]))
                       : 0u;
        };
        const std::uint32_t n = (byte(i) << 16) | (byte(i + 1) << 8) | byte(i + 2);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

// A picture larger than this is left off the page: the game's are a few kilobytes.
constexpr std::size_t kLargestShown = std::size_t{64} * 1024;

// The picture shown where an object's own cannot be made a PNG: a grey square with a darker
// edge, made once. A BMP that will not convert is never embedded as it is: its header may
// claim any size, and a browser would believe it.
const std::string& placeholderPng() {
    static const std::string png = [] {
        constexpr std::uint32_t side = 32;
        constexpr std::uint32_t rowBytes = side * 3;
        const auto le = [](std::uint32_t n, int bytes) {
            std::string out;
            for (int i = 0; i < bytes; ++i) out += static_cast<char>((n >> (8 * i)) & 0xff);
            return out;
        };
        std::string bmp = "BM" + le(54 + rowBytes * side, 4) + le(0, 4) + le(54, 4) + le(40, 4) +
                          le(side, 4) + le(side, 4) + le(1, 2) + le(24, 2) + le(0, 4) +
                          le(rowBytes * side, 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4);
        for (std::uint32_t y = 0; y < side; ++y) {
            for (std::uint32_t x = 0; x < side; ++x) {
                const bool edge = x == 0 || y == 0 || x == side - 1 || y == side - 1;
                bmp += std::string(3, static_cast<char>(edge ? 0x90 : 0xd8));
            }
        }
        return bmpAsPng(bmp);
    }();
    return png;
}

}  // namespace

std::vector<std::string> problemPictures(const ContentReport& report,
                                         const std::function<bool()>& cancelled) {
    std::vector<std::string> out(report.problems.size());
    std::size_t shown = 0;
    for (std::size_t i = 0; i < report.problems.size() && shown < kPicturesShown; ++i) {
        if (cancelled && cancelled()) break;
        const auto& p = report.problems[i];
        const bool object = p.kind == ProblemKind::GuidConflict ||
                            (p.kind == ProblemKind::Duplicate && extensions(p.path).first == "iff");
        if (!object) continue;
        const auto bmp = objectPictureIn(p.path, p.entry, p.guid);
        if (!bmp || bmp->size() > kLargestShown) continue;
        std::string png = bmpAsPng(*bmp);
        if (png.empty()) png = placeholderPng();
        out[i] = png.empty() ? std::string() : "data:image/png;base64," + base64(png);
        ++shown;
    }
    return out;
}

namespace {

// Where a report bound for `target` is written first: a free name beside it, in `partial`,
// so that it can take the target's place whole and a full disk, a failure or a kill halfway
// leaves the old report as it was. A link to a report is followed, so that the file it
// names is the one replaced. Empty when there is such a place; else why not.
std::string placeBeside(std::filesystem::path& target, std::filesystem::path& partial) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const auto resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    const auto status = fs::status(target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A pipe would hold the program up, a device would take the page: neither is opened.
        return "it is not a regular file";
    }
    for (unsigned attempt = 0; attempt <= 1000; ++attempt) {
        partial = target;
        partial += fs::path(".part" + std::to_string(attempt));
        if (!fs::exists(fs::symlink_status(partial, ec))) return {};
    }
    return "no name beside it is free";
}

}  // namespace

std::string saveShared(const ContentReport& report, const std::string& file,
                       const std::string& home, const NumberSeparators& separators,
                       const std::function<bool()>& cancelled) {
    namespace fs = std::filesystem;
    const ContentReport shared = forSharing(report, home);
    const bool json = file.size() >= 5 && ascii::equalNoCase(file.substr(file.size() - 5), ".json");
    fs::path target(std::u8string(file.begin(), file.end()));
    const auto failed = [&file](const std::string& why) {
        return "The report could not be written to " + file + ": " + why;
    };
    fs::path partial;
    if (const auto refused = placeBeside(target, partial); !refused.empty()) return failed(refused);
    std::error_code ec;
    std::string why;
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) return failed(std::strerror(errno));
        const auto stop = [&cancelled] { return cancelled && cancelled(); };
        if (json) {
            writeJson(shared, [&](std::string_view text) {
                if (!stop()) out.write(text.data(), static_cast<std::streamsize>(text.size()));
            });
        } else {
            PageFacts facts = pageFactsNow();
            facts.pictures = problemPictures(report, cancelled);
            const std::string page = stop() ? std::string() : toHtml(shared, separators, facts);
            out.write(page.data(), static_cast<std::streamsize>(page.size()));
        }
        out.flush();
        if (stop()) {
            why = "cancelled";
        } else if (!out) {
            why = std::strerror(errno);
        }
    }
    if (why.empty()) {
        fs::rename(partial, target, ec);
        if (ec) why = ec.message();
    }
    if (!why.empty()) {
        fs::remove(partial, ec);
        return failed(why);
    }
    return {};
}

ContentReport forSharing(ContentReport report, const std::string& home) {
    const std::string install = report.install;
    const auto relative = [&](std::string& path) {
        if (!path.empty()) path = path == install ? std::string(".") : pathBelow(path, install);
    };
    for (auto& area : report.areas) {
        if (area.folder) relative(*area.folder);
        for (auto& folder : area.largest) relative(folder.folder);
    }
    for (auto& p : report.problems) {
        relative(p.path);
        relative(p.sameAs);
        relative(p.advice.from);
        relative(p.advice.to);
        for (auto& member : p.more) relative(member.path);
    }
    if (!home.empty() && (install == home || pathBelow(install, home) != install)) {
        report.install = install == home ? "~" : "~/" + pathBelow(install, home);
    }
    return report;
}

std::string toHtml(const ContentReport& report, const NumberSeparators& separators,
                   const PageFacts& facts) {
    const auto number = [&](std::int64_t n) {
        return formatNumber(static_cast<double>(n), 0, separators);
    };
    const auto megabytes = [&](std::int64_t n) {
        return formatNumber(static_cast<double>(n) / 1048576.0, 1, separators);
    };
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<title>The Sims custom content report</title>"
        "<style>body{font-family:sans-serif;max-width:60em;margin:1em auto}"
        "td,th{padding:.2em .6em;text-align:left}td.n{text-align:right}"
        "div.bar{height:.8em;min-width:1px;background:#4a6fa5}"
        "img.pic{width:32px;height:32px;object-fit:contain;vertical-align:middle}"
        "</style></head><body>\n"
        "<h1>The Sims custom content report</h1>\n<p>Game folder: <code>" +
        html(report.install) + "</code></p>\n" +
        (facts.version.empty() ? std::string()
                               : "<p>Made by Brambleton " + html(facts.version) +
                                     (facts.date.empty() ? "" : " on " + html(facts.date)) +
                                     ". It only reads: nothing was changed.</p>\n") +
        "<h2>What the game loads</h2>\n<table>\n"
        "<tr><th>Area</th><th>Folder</th><th>Files</th><th>Bytes</th><th>MB</th><th></th></tr>\n";
    for (const auto& area : report.areas) {
        out += "<tr><td>" + html(area.name) + "</td><td><code>" +
               (area.folder ? html(*area.folder) : "no folder " + html(area.place)) +
               "</code></td><td class=\"n\">" + number(area.files) + "</td><td class=\"n\">" +
               number(area.bytes) + "</td><td class=\"n\">" + megabytes(area.bytes) +
               "</td></tr>\n";
        if (area.area == Area::kObjects && area.folder) {
            out += "<tr><td></td><td colspan=\"4\">" + html(objectsSentence(area, separators)) +
                   "</td></tr>\n";
        }
        out += largestRows(area, area.folder ? *area.folder : std::string(), separators);
    }
    out += "</table>\n<h2>Problems</h2>\n";
    if (report.problems.empty()) out += "<p>None found.</p>\n";
    std::optional<ProblemKind> kind;
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
        const auto& p = report.problems[i];
        if (p.kind != kind) {
            out += (kind ? "</ul>\n" : "") + std::string("<h3>") + html(describeKind(p.kind)) +
                   " (" + html(kindName(p.kind)) + ")</h3>\n<p>" + html(whatToDo(p.kind)) +
                   "</p>\n<ul>\n";
            kind = p.kind;
        }
        out += problemItem(p, report.install, separators,
                           i < facts.pictures.size() ? facts.pictures[i] : std::string());
    }
    if (kind) out += "</ul>\n";
    for (const auto& unread : unreadableTexts(report, separators)) {
        out += "<p>" + html(unread) + ".</p>\n";
    }
    return out + "</body></html>\n";
}

namespace {

// The item's file (for an archive's entry, the archive) from the game's folder, with "/"
// between names. An entry's name is never joined to it: "../../GameData/Behavior.iff" would
// read as a path that leaves the archive.
std::string itemPath(const CatalogueItem& item, std::string_view install) {
    std::string path = pathBelow(item.path, install);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string optionalJson(const std::optional<std::string>& text) {
    return text ? jsonString(*text) : "null";
}

}  // namespace

std::string itemJson(const CatalogueItem& item, std::string_view install) {
    std::string out =
        "{\"kind\":" + jsonString(kindText(item.kind)) +
        ",\"path\":" + jsonString(itemPath(item, install)) +
        (item.entry.empty() ? std::string()
                            : ",\"archive\":" + jsonString(itemPath(item, install)) +
                                  ",\"entry\":" + jsonString(item.entry)) +
        ",\"name\":" + optionalJson(item.name) +
        ",\"description\":" + optionalJson(item.description) +
        ",\"price\":" + (item.price ? std::to_string(*item.price) : "null") +
        ",\"category\":" + (item.category.empty() ? "null" : jsonString(item.category)) +
        ",\"in_catalog\":" + (item.inCatalog ? "true" : "false") +
        (item.gameOwn ? ",\"game_own\":true" : "");
    if (item.kind == ItemKind::Object) {
        out += ",\"guid\":" + std::to_string(item.guid) +
               ",\"tiles\":" + std::to_string(item.tiles) + ",\"thumbnail\":" +
               (item.thumbnail ? "{\"width\":" + std::to_string(item.thumbnail->first) +
                                     ",\"height\":" + std::to_string(item.thumbnail->second) + "}"
                               : "null");
    }
    if (item.kind == ItemKind::Skin) {
        const auto field = [](std::string_view text) {
            return text.empty() ? std::string("null") : jsonString(text);
        };
        out += ",\"part\":" + field(item.part) + ",\"gender\":" + field(item.gender) +
               ",\"age\":" + field(item.age) + ",\"build\":" + field(item.build) +
               ",\"textures\":[";
        for (std::size_t i = 0; i < item.textures.size(); ++i) {
            out += (i ? "," : "") + jsonString(item.textures[i]);
        }
        out += "]";
    }
    return out + "}";
}

}  // namespace brambleton::content
