// SPDX-License-Identifier: MIT
#include "content/report_words.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "content/file_names.h"

namespace brambleton::content {
namespace {

// A path as a sentence names it: from the game's folder, as the player knows it, and
// without the folders above it (a report posted in a forum names no home folder).
std::string fromGame(const std::string& path, std::string_view install) {
    return pathBelow(path, install);
}

std::string hexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", id);
    return text;
}

// An object as a sentence names it: a loose file by its name, an entry with its archive;
// with its catalogue name first where it has one.
std::string objectName(const std::string& path, const std::string& entry, const std::string& name) {
    const std::string file =
        entry.empty() ? lastPart(path) : entryText(entry) + " in the archive " + lastPart(path);
    return name.empty() ? file : "\u201c" + name + "\u201d (" + file + ")";
}

std::string guidConflict(const Problem& p, std::string_view install) {
    const auto count = p.moreCount + 2;
    const std::string id = hexId(p.guid.value_or(0));
    if (p.inOneArchive) {
        return "The archive " + lastPart(p.sameAs) + " holds " + std::to_string(count) +
               " objects with the object ID " + id + " (" + entryText(p.sameAsEntry) + ", " +
               entryText(p.entry) + (count > 2 ? " and more" : "") +
               "): the game shows only one of them. Its maker built it this way: leave it as "
               "it is.";
    }
    // The other object by its place, which names its file and archive already.
    const std::string other = placeText(fromGame(p.sameAs, install), p.sameAsEntry);
    // Which one the game shows is known only where the saved lots say which they hold.
    const std::string shown = p.lotsHold != Problem::LotsHold::Unknown
                                  ? "the game shows only one of them. "
                                  : "the game shows only one of them, and which one depends on "
                                    "the order it reads them in, which the files do not tell. ";
    return objectName(p.path, p.entry, p.name) + " has the same object ID (" + id + ") as " +
           (p.sameAsName.empty() ? other : "\u201c" + p.sameAsName + "\u201d in " + other) +
           (count > 2 ? ", and so do " + std::to_string(count - 2) + " more objects"
                      : std::string()) +
           ": " + shown +
           (p.inAnArchive ? "Keep the one you want. An object inside an archive goes only with "
                            "the whole archive and the other objects it holds: remove an "
                            "archive only if you want none of them."
            : count > 2   ? "Keep the one you want and remove the others."
                          : "Keep the one you want and remove the other.");
}

// The lots a problem's object is used by, for a sentence: at most five, then how many more.
std::string lotsText(const std::vector<std::string>& lots) {
    std::string out;
    for (std::size_t i = 0; i < lots.size() && i < 5; ++i) out += (i ? "; " : "") + lots[i];
    if (lots.size() > 5) out += "; and " + std::to_string(lots.size() - 5) + " more";
    return out;
}

// What the saved lots that use a duplicate's or a conflict's object mean for the advice.
std::string lotsClause(const Problem& p, std::string_view install) {
    if (p.usedByLots.empty()) return {};
    const std::string lots = " Saved lots use it (" + lotsText(p.usedByLots) + ")";
    if (p.kind == ProblemKind::Duplicate) {
        return lots + ": keep one copy, or they lose it for good when next saved.";
    }
    if (p.lotsHold != Problem::LotsHold::Unknown) {
        const bool here = p.lotsHold == Problem::LotsHold::This;
        return lots + " and hold the one in " +
               placeText(fromGame(here ? p.path : p.sameAs, install),
                         here ? p.entry : p.sameAsEntry) +
               ": keep that one, or they change when next saved.";
    }
    return lots +
           ": the one you keep is the one they will show; with neither, they lose it for "
           "good when next saved.";
}

std::string missingMesh(const Problem& p) {
    const std::string folder = folderText(kGameFolders[p.folder]);
    const std::string& mesh = p.mesh;
    if (p.meshInSkins) {
        return "This mesh list names the mesh " + mesh +
               ", which is in GameData\\Skins, but a skin in " + folder +
               " (clothes Sims buy on community lots) needs its mesh in " + folder + " too: copy " +
               mesh + ".skn there.";
    }
    return "This mesh list names the mesh " + mesh + ", but neither " + mesh + ".skn nor " + mesh +
           ".bmf is in " + folder +
           ": the Sim shows blank or the game crashes. Add the mesh from the same download, or "
           "remove this .cmx.";
}

// A file that belongs in another folder of the game: the sentence that says where.
std::string misplaced(const Problem& p) {
    const GameFolder& folder = kGameFolders[p.folder];
    const std::string ext = extensions(lastPart(p.path)).first;
    const bool skinMesh = std::find(kSkinMeshExtensions.begin(), kSkinMeshExtensions.end(), ext) !=
                          kSkinMeshExtensions.end();
    if (folder.area == Area::kObjects && skinMesh) {
        return "Skin meshes and animations belong in GameData\\Skins; the game does not load "
               "them from Downloads.";
    }
    if (ext == "bmp") {
        return "A skin's mesh beside this picture names it as its texture: it belongs in "
               "GameData\\Skins with the mesh, and the game does not load it from Downloads. "
               "Move it along with the mesh.";
    }
    if (ext == "flr") {
        return "Floors belong in GameData\\Floors; the game does not load them from "
               "GameData\\Walls.";
    }
    if (ext == "wll") {
        return "Walls belong in GameData\\Walls; the game does not load them from "
               "GameData\\Floors.";
    }
    return "Objects belong in Downloads; the game does not load them from " + folderText(folder) +
           ".";
}

// The words of each problem kind: its heading in reports and what a player does about it.
struct KindWords {
    ProblemKind kind;
    std::string_view heading;
    std::string_view whatToDo;
};

constexpr std::array<KindWords, 12> kKindWords = {{
    {ProblemKind::PackedArchive, "Content still packed in archives, which the game cannot read",
     "Unpack each archive where it is, then remove the archive."},
    {ProblemKind::UnreadFolder, "Folders the game never reads, named like one it reads",
     "Nothing in them shows up in the game; what you want there belongs in the folder it reads."},
    {ProblemKind::UnreadSubfolder, "Content in sub-folders, where the game does not look",
     "Move the files you want in the game up into the folder above."},
    {ProblemKind::Misplaced, "Content in a folder that does not load its kind",
     "Move each file to the folder that loads its kind."},
    {ProblemKind::IgnoredName, "Content renamed so that the game ignores it",
     "Rename it back if you want it, or remove the old copy."},
    {ProblemKind::EmptyFile, "Empty files, most likely broken downloads", "Download each again."},
    {ProblemKind::BadFile,
     "Files that are not what their names say: broken or mislabelled downloads",
     "Download each again, or rename it as its sentence says."},
    {ProblemKind::Duplicate, "The same file more than once",
     "Keep the copy each names first, and move the other to the trash."},
    {ProblemKind::GuidConflict, "Objects sharing one object ID, of which the game shows only one",
     "Keep the one you want; never remove an archive for one object."},
    {ProblemKind::MissingMesh, "Skins whose mesh is missing, which show blank or crash the game",
     "Add the mesh from the same download, or remove the mesh list."},
    {ProblemKind::SkinTexture, "Skin textures the game shows white",
     "Save each again as an 8-bit (256-colour) BMP."},
    {ProblemKind::MeshListName, "Mesh lists named otherwise inside, which the game ignores",
     "Rename each as its sentence says; where the name is taken, it is a leftover copy."},
}};

// The words of every fault a reader reports, in one table: translation touches only this.
// In a template, {It} is what was read ("This file", "This archive entry "x""), {Its} the
// same owning something, {size}, {at}, {number} and {item} the fault's numbers, {name} its
// name, {early} the sentence on downloads that stopped early, and {n|one|many} the word for
// the fault's `number`, singular or plural.
struct FaultWords {
    FormatFault::Code code;
    int variant;  // which wording of the code (faultVariant)
    std::string_view words;
};

using Code = FormatFault::Code;

// clang-format off
constexpr auto kFaultWords = std::to_array<FaultWords>({
    {Code::kEmpty, 0, "{It} is empty (0 bytes)."},
    {Code::kHeaderCut, 0, "{It} is cut short: it ends at byte {size}, inside its header.{early}"},
    {Code::kHeaderCut, 1, "{It} is cut short: it ends at byte {size}, inside its {number}-byte header.{early}"},
    {Code::kNoSignature, 0, "{It} is not an IFF file: it does not begin with the IFF signature. It is damaged or not for this game."},
    {Code::kNoSignature, 1, "{It} is not a FAR archive: it does not begin with the FAR signature. It is damaged or not for this game."},
    {Code::kNoSignature, 2, "{It} is not in the game's format. It is damaged or not for this game."},
    {Code::kOtherBytes, FormatFault::kWebPage, "{It} is a web page (HTML) saved under this name, not game content: most likely a failed download."},
    {Code::kOtherBytes, FormatFault::kZip, "{It} is a ZIP archive{foreign}"},
    {Code::kOtherBytes, FormatFault::kEmptyZip, "{It} is an empty ZIP archive{foreign}"},
    {Code::kOtherBytes, FormatFault::kRar, "{It} is a RAR archive{foreign}"},
    {Code::kOtherBytes, FormatFault::k7z, "{It} is a 7z archive{foreign}"},
    {Code::kOtherBytes, FormatFault::kPdf, "{It} is a PDF document{foreign}"},
    {Code::kOtherBytes, FormatFault::kPng, "{It} is a PNG picture{foreign}"},
    {Code::kOtherBytes, FormatFault::kJpeg, "{It} is a JPEG picture{foreign}"},
    {Code::kOtherBytes, FormatFault::kGif, "{It} is a GIF picture{foreign}"},
    {Code::kOtherBytes, FormatFault::kProgram, "{It} is a Windows program{foreign}"},
    {Code::kOtherBytes, FormatFault::kRtf, "{It} is a text document (RTF){foreign}"},
    {Code::kIsFar, 0, "{It} is a FAR archive, not an IFF file: rename it to end in .far."},
    {Code::kIsIff, 0, "{It} is an IFF file, not a FAR archive: rename it to end in .iff."},
    {Code::kFarVersion, 0, "{It} is FAR version {number}, which this game does not read (it reads version 1)."},
    {Code::kTableAt, 0, "{Its} header puts its table of contents at byte {at}, inside the header itself."},
    {Code::kTableAt, 1, "{Its} header puts its table of contents at byte {at}, past its end at byte {size}: the archive is most likely cut short."},
    {Code::kTableCount, 0, "{Its} table of contents lists {number} {n|file|files}, more than fit before its end at byte {size}: the archive is most likely cut short."},
    {Code::kEntryCut, 0, "{It} is cut short: it ends at byte {size}, inside the entry for file {item} of its table of contents.{early}"},
    {Code::kEntryNameLength, 0, "{It} is damaged: the name of file {item} of its table of contents is said to be {number} {n|byte|bytes} long."},
    {Code::kEntryNoName, 0, "{It} is damaged: file {item} of its table of contents has no name, so the game cannot find it."},
    {Code::kEntryNameCut, 0, "{It} is cut short: it ends at byte {size}, inside the name of file {item} of its table of contents.{early}"},
    {Code::kEntryCompressed, 0, "{It} stores \"{name}\" compressed, which the game cannot read."},
    {Code::kEntryPastEnd, 0, "{Its} table of contents puts \"{name}\" at bytes {at} to {number}, past its end at byte {size}: the archive is most likely cut short."},
    {Code::kChunkHeaderCut, 0, "{It} is cut short: it ends at byte {size}, inside the header of its chunk {item}.{early}"},
    {Code::kChunkSmall, 0, "{It} is damaged: its chunk {item} ({name}) at byte {at} gives a size of {number} {n|byte|bytes}, less than its own header."},
    {Code::kChunkLarge, 0, "{It} is damaged: its chunk {item} ({name}) at byte {at} gives a size of {number} {n|byte|bytes}, more than any chunk can hold."},
    {Code::kChunkPastEnd, 0, "{It} is cut short: its chunk {item} ({name}) runs to byte {number}, past its end at byte {size}.{early}"},
    {Code::kDefinitionShort, 0, "{It} is damaged: its object definition (chunk {item}) is {number} {n|byte|bytes}, too short to hold the object's ID."},
    {Code::kMapAt, 0, "{It} is damaged: its header puts the resource map at byte {at}, inside the header itself."},
    {Code::kMapAt, 1, "{It} is damaged: its header puts the resource map at byte {at}, past its end at byte {size}."},
    {Code::kMapAt, 2, "{It} is damaged: its header puts the resource map at byte {at}, too close to its end at byte {size} for the map's 76-byte header."},
    {Code::kTableLarge, 0, "Its string table {name} {item} is larger than any the game writes."},
    {Code::kTablePastEnd, 0, "Its string table {name} {item} lies past the end of the file."},
    {Code::kTableNoString, 0, "Its string table {name} {item} ends before its first string."},
    {Code::kTableUnknown, 0, "Its string table {name} {item} is in no format the notes know."},
    {Code::kTableStringCut, 0, "Its string table {name} {item} ends inside a string."},
});
// clang-format on

constexpr std::string_view kEarly = " Most likely the download stopped early.";
constexpr std::string_view kForeign = " under a game file's name, which the game cannot read.";

// Which wording of its code a fault takes.
int faultVariant(const FormatFault& f) {
    switch (f.code) {
        case Code::kHeaderCut:
            return f.number > 0 ? 1 : 0;
        case Code::kNoSignature:
            return f.format == FormatFault::Format::kIff   ? 0
                   : f.format == FormatFault::Format::kFar ? 1
                                                           : 2;
        case Code::kOtherBytes:
            return static_cast<int>(f.number);
        case Code::kTableAt:
            return f.at < 16 ? 0 : 1;
        case Code::kMapAt:
            return f.at < 64 ? 0 : f.at >= f.size ? 1 : 2;
        default:
            return 0;
    }
}

std::string_view faultWords(const FormatFault& f) {
    const int variant = faultVariant(f);
    for (const auto& entry : kFaultWords) {
        if (entry.code == f.code && entry.variant == variant) return entry.words;
    }
    return "{It} is damaged.";
}

// A chunk's type as a player can read it: any byte that is not printable ASCII as '?'.
std::string typeText(std::string_view type) {
    std::string out;
    for (const char c : type) out += (c >= 0x20 && c < 0x7f) ? c : '?';
    return out;
}

}  // namespace

std::string describeKind(ProblemKind kind) {
    return std::string(kKindWords[static_cast<std::size_t>(kind)].heading);
}

std::string whatToDo(ProblemKind kind) {
    return std::string(kKindWords[static_cast<std::size_t>(kind)].whatToDo);
}

std::string faultText(const FormatFault& f) {
    const std::string it =
        !f.inEntry        ? (f.format == FormatFault::Format::kFar ? "This archive" : "This file")
        : f.entry.empty() ? "This archive entry"
                          : "This archive entry \"" + entryText(f.entry) + "\"";
    const bool chunk =
        f.code == Code::kChunkSmall || f.code == Code::kChunkLarge || f.code == Code::kChunkPastEnd;
    const bool entry = f.code == Code::kEntryCompressed || f.code == Code::kEntryPastEnd;
    const std::string name = chunk ? typeText(f.name) : entry ? entryText(f.name) : f.name;
    // What each key of the words stands for.
    const auto value = [&](std::string_view key) -> std::string {
        if (key.starts_with("n|")) {
            const auto bar = key.find('|', 2);
            return std::string(f.number == 1 ? key.substr(2, bar - 2) : key.substr(bar + 1));
        }
        const std::pair<std::string_view, std::string> values[] = {
            {"It", it},
            {"Its", it + "'s"},
            {"size", std::to_string(f.size)},
            {"at", std::to_string(f.at)},
            {"number", std::to_string(f.number)},
            {"item", std::to_string(f.item)},
            {"name", name},
            {"early", std::string(kEarly)},
            {"foreign", std::string(kForeign)},
        };
        for (const auto& [k, v] : values) {
            if (k == key) return v;
        }
        return {};
    };
    const std::string_view words = faultWords(f);
    std::string out;
    for (std::size_t i = 0; i < words.size();) {
        const auto close = words.find('}', i);
        if (words[i] != '{' || close == std::string_view::npos) {
            out += words[i++];
            continue;
        }
        out += value(words.substr(i + 1, close - i - 1));
        i = close + 1;
    }
    return out;
}

std::string sentenceOf(const Problem& p, std::string_view install) {
    switch (p.kind) {
        case ProblemKind::PackedArchive:
            return "The game cannot read ." + extensions(lastPart(p.path)).first +
                   " archives. Unpack it here, then remove the archive.";
        case ProblemKind::UnreadFolder:
            return "The game reads " + fromGame(p.sameAs, install) +
                   " and never this folder, whose name differs from it only in upper and lower "
                   "case (to Windows programs the two are one name): what is in this folder "
                   "does not show up in the game.";
        case ProblemKind::UnreadSubfolder: {
            const std::string folder = folderText(kGameFolders[p.folder]);
            return "The game does not look inside sub-folders of " + folder +
                   ": move the files in this folder that you want in the game up into " + folder +
                   ".";
        }
        case ProblemKind::Misplaced:
            return misplaced(p);
        case ProblemKind::IgnoredName: {
            const auto [ext, previous] = extensions(lastPart(p.path));
            return "The name ends in ." + ext + " after ." + previous +
                   ", so the game ignores it. Rename it to end in ." + previous +
                   ", or remove it if it is an old copy.";
        }
        case ProblemKind::EmptyFile:
            return "This file is empty (0 bytes), most likely a broken download: download it "
                   "again.";
        case ProblemKind::BadFile: {
            const std::string fault = faultText(p.fault);
            std::string out =
                p.name.empty() ? fault : "This is \u201c" + p.name + "\u201d. " + fault;
            if (p.moreCount <= 0) return out;
            return out + " So " + (p.moreCount == 1 ? "is " : "are ") +
                   std::to_string(p.moreCount) + " more of its entries.";
        }
        case ProblemKind::Duplicate:
            return "This file" + (p.name.empty() ? "" : ", \u201c" + p.name + "\u201d,") +
                   " is the same, byte for byte, as " + fromGame(p.sameAs, install) +
                   ": the game loads it twice. Keep " + fromGame(p.sameAs, install) +
                   " and move this copy, " + fromGame(p.path, install) + ", to the trash." +
                   lotsClause(p, install);
        case ProblemKind::GuidConflict:
            return guidConflict(p, install) + lotsClause(p, install);
        case ProblemKind::MissingMesh:
            return missingMesh(p);
        case ProblemKind::SkinTexture:
            return "This texture is a BMP of " + std::to_string(p.bitsPerPixel) +
                   " bits a pixel, and the game takes skin textures of 8 bits (256 colours) "
                   "only: a Sim wearing it shows white. Save it again as an 8-bit (256-colour) "
                   "BMP.";
        case ProblemKind::MeshListName: {
            const std::string file = lastPart(p.path);
            const std::string said = "The name inside this mesh list is " + entryText(p.mesh) +
                                     ", not " + file.substr(0, file.size() - 4) +
                                     ", so the game ignores it";
            if (p.nameTaken) {
                return said + "; it reads " + p.mesh +
                       ".cmx, which is in the same folder. This one is most likely a leftover "
                       "copy.";
            }
            // Only a plain name is a name to give the file.
            return plainFileName(p.mesh) ? said + ". Rename it to " + p.mesh + ".cmx." : said + ".";
        }
    }
    return {};
}

std::string placeText(const std::string& path, const std::string& entry) {
    return entry.empty() ? path : path + " \u00bb " + entryText(entry);
}

std::string objectsSentence(const AreaReport& area, const NumberSeparators& separators) {
    const auto number = [&](std::int64_t n) {
        return formatNumber(static_cast<double>(n), 0, separators);
    };
    std::string out = number(area.objects) + (area.objects == 1 ? " object" : " objects");
    if (area.objectsInArchives > 0) {
        out += ", " + number(area.objectsInArchives) + " of them inside " + number(area.archives) +
               (area.archives == 1 ? " archive" : " archives");
    }
    return out;
}

std::string moreText(std::int64_t unlisted, const NumberSeparators& separators) {
    return "and " + formatNumber(static_cast<double>(unlisted), 0, separators) + " more";
}

namespace {

std::string counted(std::int64_t n, const char* one, const char* many,
                    const NumberSeparators& separators) {
    return formatNumber(static_cast<double>(n), 0, separators) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string problemsText(const ContentReport& report, const NumberSeparators& separators) {
    return counted(static_cast<std::int64_t>(report.problems.size()), "problem", "problems",
                   separators);
}

std::vector<std::string> unreadableTexts(const ContentReport& report,
                                         const NumberSeparators& separators) {
    std::vector<std::string> out;
    if (report.foldersUnreadable) {
        out.push_back(counted(report.foldersUnreadable, "folder could not be read",
                              "folders could not be read", separators));
    }
    if (report.filesUnreadable) {
        out.push_back(counted(report.filesUnreadable, "file could not be read",
                              "files could not be read", separators));
    }
    return out;
}

std::string leftOutText(const ContentReport& report, std::size_t listed,
                        const NumberSeparators& separators) {
    const auto folders = report.foldersUnreadable;
    const auto files = report.filesUnreadable;
    const std::string what = files == 0     ? counted(folders, "folder", "folders", separators)
                             : folders == 0 ? counted(files, "file", "files", separators)
                                            : counted(folders + files, "folder and file",
                                                      "folders and files", separators);
    return what + (listed == 1 ? " could not be read and was left out of the check:"
                               : " could not be read and were left out of the check:");
}

std::vector<std::string> readingTexts(const ContentReport& report,
                                      const NumberSeparators& separators) {
    const auto number = [&](std::uint64_t n) {
        return formatNumber(static_cast<double>(n), 0, separators);
    };
    // Bytes read, not bytes of content: the finder reads a file of a shared size more than
    // once (a hash, then the comparison), and the readers read a file's headers only.
    return {"The duplicate finder read " + number(report.bytesCompared) + " bytes from the " +
                number(report.filesCompared) + " files whose size another file shares",
            "Reading inside the files read " + number(report.bytesInspected) + " bytes from " +
                number(report.filesInspected) + " files"};
}

std::string itemText(const CatalogueItem& item, std::string_view install,
                     const NumberSeparators& separators) {
    std::string out =
        item.name ? *item.name : lastPart(item.entry.empty() ? item.path : item.entry);
    if (item.price) {
        out += "  \u00a7" + formatNumber(static_cast<double>(*item.price), 0, separators);
    }
    if (!item.category.empty()) out += "  " + std::string(item.category);
    if (item.kind == ItemKind::Object && !item.inCatalog) out += " (not sold)";
    return out + "  " + placeText(pathBelow(item.path, install), item.entry);
}

}  // namespace brambleton::content
