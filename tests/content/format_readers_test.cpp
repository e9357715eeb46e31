// SPDX-License-Identifier: MIT
// The readers of the game's formats on files built byte by byte: well-formed ones, ones cut
// at every byte, ones whose offsets lie, and other files under these names.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "content/catalogue.h"
#include "content/content_check.h"
#include "content/file_kinds.h"
#include "content/formats/cmx_reader.h"
#include "content/formats/far_reader.h"
#include "content/formats/iff_reader.h"
#include "content/formats/lot_reader.h"
#include "content/inspection.h"
#include "content/report_words.h"
#include "hostile_files.h"
#include "row_name.h"
#include "sims_files.h"
#include "temp_tree.h"

namespace brambleton::content {
namespace {

using namespace testing;
using namespace std::string_literals;
using Kind = FormatFault::Kind;

IffSummary iff(const std::string& bytes) {
    MemoryBytes source(bytes);
    WindowedBytes windowed(source);
    return readIff(windowed);
}

Findings archive(const std::string& bytes) {
    MemoryBytes source(bytes);
    Findings found;
    inspectBytes(source, FileKind::kArchive, 7, found);
    return found;
}

TEST(IffReader, ReadsEveryObjectIdAndSkipsChunkData) {
    // Two tiles, each with its own ID; the sprites' megabytes are never read.
    const std::string file = objectFile({0x1A2B3C4D, 0x0000BEEF}, 4 << 20);
    MemoryBytes source(file);
    WindowedBytes windowed(source);
    const auto summary = readIff(windowed);
    ASSERT_FALSE(summary.fault) << faultText(*summary.fault);
    EXPECT_EQ(summary.guids, (std::vector<std::uint32_t>{0x1A2B3C4D, 0x0000BEEF}));
    EXPECT_EQ(summary.chunks, 6u);
    EXPECT_LT(source.bytesRead(), 4u * WindowedBytes::kWindow);
    // A floor: IFF without an OBJD or a resource map.
    const auto floor = iff(iffFile({iffChunk("FBMP", 1, "BM...")}, false));
    EXPECT_FALSE(floor.fault);
    EXPECT_TRUE(floor.guids.empty());
    // The older IFF 2.0 header, all text, which the game reads too.
    std::string older("IFF FILE 2.0:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1996\0", 64);
    older += iffChunk("OBJD", 128, objdData(0x2020));
    const auto old = iff(older);
    EXPECT_FALSE(old.fault) << faultText(*old.fault);
    EXPECT_EQ(old.guids, std::vector<std::uint32_t>{0x2020});
    EXPECT_EQ(old.chunks, 1u);
}

// The archive's floors, walls, pictures and meshes are kept by name; its entries are counted.
// The catalogue, the check and the lots walk an IFF file with one reader: on the same bytes
// they find the same object IDs, and all of them or none find a fault, the same one.
TEST(IffReader, CatalogueCheckAndLotsAgree) {
    std::string older("IFF FILE 2.0:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1996\0", 64);
    older += iffChunk("OBJD", 128, objdData(0x2020));
    const std::string whole = objectFile({0x11, 0x22}, 300);
    const struct {
        const char* why;
        std::string bytes;
    } files[] = {
        {"IFF 2.0", older},
        {"IFF 2.5 with a map", whole},
        {"cut inside a chunk", whole.substr(0, 200)},
        {"a zip", "PK\x03\x04rest"s},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.why);
        MemoryBytes source(f.bytes);
        Findings checked;
        inspectBytes(source, FileKind::kObject, 0, checked);
        std::optional<FormatFault> catalogued;
        std::size_t items = 0;
        forEachObjectItem(source, "x.iff", {}, 1, &catalogued, [&](CatalogueItem&&) {
            ++items;
            return true;
        });
        const auto saved = listSavedChunks(source, {"OBJD"});
        ASSERT_EQ(checked.bad.empty(), !catalogued.has_value());
        ASSERT_EQ(!saved.fault, !catalogued.has_value());
        if (catalogued) {
            EXPECT_EQ(faultText(checked.bad[0].fault), faultText(*catalogued));
            EXPECT_EQ(faultText(*saved.fault), faultText(*catalogued));
        } else {
            EXPECT_EQ(checked.guids.size(), saved.guids.size());
            EXPECT_GT(items, 0u);
        }
    }
}

// The table of file types knows every ending the game's folders load, and the packed
// downloads, each once and in any case; the files the project's writers make begin with the
// magic their type gives; and the ending leads: an archive named .iff is read as an object
// and said to be an archive.
TEST(FileTypes, KnowEachEndingOnceAndTheEndingLeads) {
    std::set<std::string_view> seen;
    for (const auto& type : kFileTypes) {
        EXPECT_TRUE(seen.insert(type.extension).second) << type.extension;
        EXPECT_EQ(typeOf(type.extension), &type);
    }
    for (const auto& folder : kGameFolders) {
        for (const auto ext : folder.extensions) {
            if (!ext.empty()) {
                EXPECT_NE(typeOf(ext), nullptr) << ext;
            }
        }
    }
    for (const auto ext : {"zip", "RAR", "7Z"}) EXPECT_TRUE(isType(ext, ContentType::kPacked));
    EXPECT_EQ(typeOf("IFF"), typeOf("iff"));
    EXPECT_EQ(typeOf("txt"), nullptr);
    const std::pair<const char*, std::string> written[] = {
        {"iff", objectFile({1})},
        {"flr", iffFile({iffChunk("FBMP", 1, "BM")}, false)},
        {"far", farFile({{"a.iff", objectFile({1})}})},
        {"zip", "PK\x03\x04rest"s},
    };
    for (const auto& [ext, bytes] : written) {
        EXPECT_TRUE(bytes.starts_with(typeOf(ext)->magic)) << ext;
    }
    const auto found = [](const std::string& bytes, const char* ext) {
        MemoryBytes source(bytes);
        Findings out;
        inspectBytes(source, *typeOf(ext)->reader, 0, out);
        return out;
    };
    const auto named = found(farFile({{"a.iff", objectFile({1})}}), "iff");
    ASSERT_EQ(named.bad.size(), 1u);
    EXPECT_EQ(named.bad[0].fault.code, FormatFault::Code::kIsFar);
    EXPECT_EQ(found(objectFile({7}), "iff").guids.size(), 1u);
}

// One renderer says every fault: its numbers in their places, one and many apart, a chunk's
// type and an entry's name shown safely, and what was read named.
TEST(FaultWords, SayEachFaultWithItsNumbers) {
    const auto fault = [](FormatFault::Code code, std::uint64_t number, std::uint64_t at = 0,
                          std::string name = {}) {
        FormatFault f;
        f.code = code;
        f.format = FormatFault::Format::kFar;
        f.size = 500;
        f.number = number;
        f.at = at;
        f.item = 3;
        f.name = std::move(name);
        return f;
    };
    using Code = FormatFault::Code;
    auto inEntry = fault(Code::kEmpty, 0);
    inEntry.inEntry = true;
    inEntry.entry = "../x.iff";
    auto iff = fault(Code::kChunkSmall, 1, 64, std::string("\x01") + "BC\xff");
    iff.format = FormatFault::Format::kIff;
    const std::pair<FormatFault, std::string> rows[] = {
        {fault(Code::kEntryNameLength, 1),
         "file 3 of its table of contents is said to be 1 byte long."},
        {fault(Code::kEntryNameLength, 2000), "is said to be 2000 bytes long."},
        {fault(Code::kTableCount, 1),
         "This archive's table of contents lists 1 file, more than fit before its end at byte 500"},
        {fault(Code::kTableAt, 0, 8), "at byte 8, inside the header itself."},
        {fault(Code::kTableAt, 0, 900), "at byte 900, past its end at byte 500"},
        {fault(Code::kEntryPastEnd, 700, 600, "a/b.iff"), "puts \"a%2Fb.iff\" at bytes 600 to 700"},
        {iff,
         "This file is damaged: its chunk 3 (?BC?) at byte 64 gives a size of 1 byte, less than "
         "its own header."},
        {inEntry, "This archive entry \"%2E%2E%2Fx.iff\" is empty (0 bytes)."},
        {fault(Code::kHeaderCut, 16),
         "inside its 16-byte header. Most likely the download stopped early."},
        {fault(Code::kIsIff, 0), "rename it to end in .iff."},
    };
    for (const auto& [f, says] : rows) {
        const std::string text = faultText(f);
        EXPECT_NE(text.find(says), std::string::npos) << text;
        EXPECT_EQ(text.find('{'), std::string::npos) << text;
    }
}

TEST(FarReader, KeepsWhatItHoldsBesideObjects) {
    const auto found = archive(farFile({{"chair.iff", object(0x11)},
                                        {"Floors/oak.FLR", iffFile({}, false)},
                                        {"brick.wll", iffFile({}, false)},
                                        {"shingles.bmp", bmpFile(4)},
                                        {"xskin-a-BODY.skn", "mesh"},
                                        {"readme.txt", "hi"}}));
    std::vector<std::string> held;
    for (const auto& entry : found.heldEntries) held.push_back(entry.name);
    EXPECT_EQ(held, (std::vector<std::string>{"Floors/oak.FLR", "brick.wll", "shingles.bmp",
                                              "xskin-a-BODY.skn"}));
    ASSERT_EQ(found.archives.size(), 1u);
    EXPECT_EQ(found.archives[0].objects, 1u);
    EXPECT_EQ(found.archives[0].entries, 6u);
}

// Cut anywhere, an object says it is cut short (its map, the last chunk, is then past the
// end), and never reads as an object.
TEST(IffReader, FindsTheFileCutAtEveryByte) {
    const std::string file = object(7, 100);
    for (std::size_t cut = 1; cut < file.size(); ++cut) {
        const auto summary = iff(file.substr(0, cut));
        ASSERT_TRUE(summary.fault) << "cut at " << cut;
        EXPECT_TRUE(summary.fault->kind == Kind::kTruncated ||
                    summary.fault->kind == Kind::kPastEnd)
            << "cut at " << cut << ": " << faultText(*summary.fault);
    }
}

class IffFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(IffFaults, AreNamed) {
    const auto summary = iff(GetParam().bytes);
    ASSERT_TRUE(summary.fault) << GetParam().why;
    EXPECT_EQ(summary.fault->kind, GetParam().kind) << faultText(*summary.fault);
    EXPECT_NE(faultText(*summary.fault).find(GetParam().says), std::string::npos)
        << faultText(*summary.fault);
}

INSTANTIATE_TEST_SUITE_P(Files, IffFaults, ::testing::ValuesIn(kIffFaults), ByWhy());

TEST(FarReader, ListsItsObjectsAndReadsEachInPlace) {
    const auto found = archive(farFile({{"chair.iff", object(0x11)},
                                        {"readme.txt", "hello"},
                                        {"Set/table.IFF", objectFile({0x22, 0x23})},
                                        {"oak.flr", iffFile({iffChunk("FBMP", 1, "BM")}, false)},
                                        {"lamp.iff", object(0x33)}}));
    EXPECT_TRUE(found.bad.empty());
    ASSERT_EQ(found.archives.size(), 1u);
    EXPECT_EQ(found.archives[0].file, 7u);
    EXPECT_EQ(found.archives[0].objects, 3u);
    EXPECT_EQ(found.entryNames,
              (std::vector<std::string>{"chair.iff", "Set/table.IFF", "lamp.iff"}));
    std::vector<std::pair<std::uint32_t, std::uint32_t>> want = {
        {0x11, 0}, {0x22, 1}, {0x23, 1}, {0x33, 2}};
    EXPECT_EQ(found.guids, want);
}

TEST(FarReader, FindsTheArchiveCutAtEveryByte) {
    const std::string file = farFile({{"a.iff", object(1, 50)}, {"b.iff", object(2, 50)}});
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        MemoryBytes source(std::string_view(file).substr(0, cut));
        const auto fault = readFar(source, [](const FarEntry&) {});
        ASSERT_TRUE(fault) << "cut at " << cut;
        EXPECT_NE(fault->kind, Kind::kNotThisFormat)
            << "cut at " << cut << ": " << faultText(*fault);
    }
}

class FarFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FarFaults, AreNamed) {
    const auto found = archive(GetParam().bytes);
    ASSERT_EQ(found.bad.size(), 1u) << GetParam().why;
    EXPECT_TRUE(found.bad[0].entry.empty());
    EXPECT_EQ(found.bad[0].fault.kind, GetParam().kind) << faultText(found.bad[0].fault);
    EXPECT_NE(faultText(found.bad[0].fault).find(GetParam().says), std::string::npos)
        << faultText(found.bad[0].fault);
}

INSTANTIATE_TEST_SUITE_P(Files, FarFaults, ::testing::ValuesIn(kFarFaults), ByWhy());

TEST(FarReader, NamesTheBrokenEntry) {
    const auto found = archive(farFile({{"good.iff", object(1)}, {"page.iff", "<html>"}}));
    ASSERT_EQ(found.bad.size(), 1u);
    EXPECT_EQ(found.bad[0].entry, "page.iff");
    EXPECT_EQ(found.archives[0].objects, 2u);  // the game sees two objects, one broken
    EXPECT_EQ(found.guids.size(), 1u);
}

// A climbing name is shown escaped in every sentence, so that no sentence holds a path out
// of the archive.
TEST(FarReader, ShowsEntryNamesThatClimbEscaped) {
    const auto found = archive(farFile({{"../../GameData/Behavior.iff", "<html>"}}));
    ASSERT_EQ(found.bad.size(), 1u);
    EXPECT_EQ(found.bad[0].entry, "../../GameData/Behavior.iff");
    const auto& detail = faultText(found.bad[0].fault);
    EXPECT_EQ(detail.find("../"), std::string::npos) << detail;
    EXPECT_NE(detail.find("%2E%2E%2F%2E%2E%2FGameData%2FBehavior.iff"), std::string::npos)
        << detail;
}

// An archive of many broken entries is one finding that lists the first of them and counts
// the rest, whatever its size.
TEST(FarReader, GroupsTheBrokenEntriesOfOneArchive) {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(250);
    for (int i = 0; i < 250; ++i) entries.emplace_back("e" + std::to_string(i) + ".iff", "<html>");
    const auto found = archive(farFile(entries));
    ASSERT_EQ(found.bad.size(), 1u);
    EXPECT_EQ(found.bad[0].entry, "e0.iff");
    EXPECT_EQ(found.bad[0].moreCount, 249u);
    EXPECT_EQ(found.bad[0].moreEntries.size(), kMembersListed);
}

// A sparse archive of 4 GiB whose table claims 268 million nameless entries is refused
// from its header alone, without reading the table through.
TEST(FarReader, RefusesATableThatCannotHoldItsEntries) {
    testing::TempTree tree;
    std::string head = "FAR!byAZ" + littleEndian(1) + littleEndian(16) + littleEndian(268435455);
    tree.text("huge.far", head);
    std::filesystem::resize_file(tree.path("huge.far"), std::uint64_t{1} << 32);
    const auto bytes = openFileBytes(tree.path("huge.far"));
    std::uint64_t entries = 0;
    const auto fault = readFar(*bytes, [&](const FarEntry&) { ++entries; });
    ASSERT_TRUE(fault);
    EXPECT_EQ(entries, 0u);
    EXPECT_LT(bytes->bytesRead(), 8192u);
}

class CmxMeshes : public ::testing::TestWithParam<CmxCase> {};

TEST_P(CmxMeshes, AreRead) {
    MemoryBytes source(GetParam().text);
    EXPECT_EQ(readCmxMeshes(source), GetParam().meshes);
}

INSTANTIATE_TEST_SUITE_P(Files, CmxMeshes, ::testing::ValuesIn(kCmx), ByWhy());

}  // namespace
}  // namespace brambleton::content
