// SPDX-License-Identifier: MIT
// The downloads' reader: the names it refuses before anything is written, names stored
// without their UTF-8 flag, the parts of split archives known by name and header, and the
// samples of each format read entry by entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "content/formats/archive_reader.h"

namespace brambleton::content {
namespace {

struct NameCase {
    const char* what;
    std::string name;
    NameFault fault;
};

class HostileNames : public testing::TestWithParam<NameCase> {};

TEST_P(HostileNames, AreRefusedBeforeAnythingIsWritten) {
    EXPECT_EQ(nameFault(GetParam().name), GetParam().fault) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNames,
    testing::Values(NameCase{"a plain name in folders", "Zebra Set/chairs/chair.iff",
                             NameFault::kNone},
                    NameCase{"a name with dots inside", "a..b/x.y.iff", NameFault::kNone},
                    NameCase{"a folder entry", "Zebra Set/", NameFault::kNone},
                    NameCase{"empty", "", NameFault::kEmpty},
                    NameCase{"only separators and dots", "./", NameFault::kEmpty},
                    NameCase{"absolute, forward", "/etc/passwd", NameFault::kAbsolute},
                    NameCase{"absolute, backward", "\\Windows\\x.iff", NameFault::kAbsolute},
                    NameCase{"a network share", "\\\\server\\share\\x.iff", NameFault::kAbsolute},
                    NameCase{"a drive letter", "C:x.iff", NameFault::kDrive},
                    NameCase{"a drive letter and a path", "d:/Games/x.iff", NameFault::kDrive},
                    NameCase{"climbing, forward", "../x.iff", NameFault::kClimbs},
                    NameCase{"climbing, backward, inside", "a\\..\\..\\x.iff", NameFault::kClimbs},
                    NameCase{"climbing at the end", "a/..", NameFault::kClimbs},
                    NameCase{"NUL", std::string("a\0b.iff", 7), NameFault::kControl},
                    NameCase{"a tab", "a\tb.iff", NameFault::kControl},
                    NameCase{"an escape", "a\x1b[31m.iff", NameFault::kControl},
                    NameCase{"a device name", "CON", NameFault::kReserved},
                    NameCase{"a device name with an ending", "nul.iff", NameFault::kReserved},
                    NameCase{"a numbered device", "sub/COM1.far", NameFault::kReserved},
                    NameCase{"a numbered printer", "lpt9", NameFault::kReserved},
                    NameCase{"a colon (a stream)", "x.iff:hidden", NameFault::kReserved},
                    NameCase{"a wildcard", "x*.iff", NameFault::kReserved},
                    NameCase{"a trailing dot", "x.iff.", NameFault::kTrailing},
                    NameCase{"a folder with a trailing space", "Set /x.iff", NameFault::kTrailing}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(ArchiveNames, Cp437DecodesWhatDosToolsWrote) {
    EXPECT_EQ(decodeCp437("Caf\x82 \x84\x94\x81.iff"), "Caf\xC3\xA9 \xC3\xA4\xC3\xB6\xC3\xBC.iff");
    EXPECT_EQ(decodeCp437("plain.iff"), "plain.iff");
    // Line drawing in a name: the bytes were another code page's, here Windows' Western one
    // (language 1) and its Cyrillic one (13).
    EXPECT_EQ(decodeLegacyName("\xC9t\xE9 chair.iff", 1), "\xC3\x89t\xC3\xA9 chair.iff");
    EXPECT_EQ(decodeLegacyName("\xD1\xF2\xF3\xEB.iff", 13), "\xD0\xA1\xD1\x82\xD1\x83\xD0\xBB.iff");
    EXPECT_EQ(decodeLegacyName("Caf\x82.iff", 1), "Caf\xC3\xA9.iff");
}

struct SplitCase {
    const char* name;
    std::string head;
    unsigned part;  // 0: a whole archive
};

TEST(ArchiveNames, SplitPartsAreKnownByNameAndHeader) {
    const std::string rar5Second = std::string("Rar!\x1a\x07\x01\x00", 8) +
                                   std::string("\0\0\0\0", 4) +
                                   std::string("\x04\x01\x00\x03\x01", 5);
    const std::string rar4Later =
        std::string("Rar!\x1a\x07\x00", 7) + std::string("\0\0\x73\x01\x00", 5);
    const std::vector<SplitCase> cases = {
        {"set.zip", "PK\x03\x04", 0}, {"set.part2.rar", "", 2}, {"set.part01.rar", "", 1},
        {"set.r00", "", 2},           {"set.r05", "", 7},       {"set.z01", "", 1},
        {"set.7z.002", "", 2},        {"set.zip.003", "", 3},   {"plain.rar", rar5Second, 2},
        {"plain.rar", rar4Later, 0},  {"party2.rar", "", 0},
    };
    for (const auto& c : cases) {
        const auto split = splitPart(c.name, c.head);
        if (std::string(c.name) == "plain.rar" && c.part == 0) {
            ASSERT_TRUE(split) << c.name;  // a later volume whose number the header does not say
            EXPECT_EQ(split->part, 0U);
            continue;
        }
        EXPECT_EQ(split.has_value(), c.part != 0) << c.name;
        if (split) {
            EXPECT_EQ(split->part, c.part) << c.name;
        }
    }
}

std::filesystem::path sample(const char* name) {
    return std::filesystem::path(BRAMBLETON_SAMPLES) / "archive" / name;
}

struct FormatCase {
    const char* file;
    std::vector<std::string> files;  // the names of its files, in order
};

TEST(ArchiveCursor, ReadsEachFormatEntryByEntry) {
    const std::vector<FormatCase> cases = {
        {"stored-v4.rar", {"Zebra/rug.iff"}},
        {"stored-v5.rar", {"Zebra/vase.iff"}},
        {"set.zip", {"Set/Read me.txt", "Set/__MACOSX/._chair.iff", "Set/chair.iff"}},
        {"set.7z", {"Set/Read me.txt", "Set/__MACOSX/._chair.iff", "Set/chair.iff"}},
        {"set.tar.gz", {"Set/Read me.txt", "Set/__MACOSX/._chair.iff", "Set/chair.iff"}},
    };
    for (const auto& c : cases) {
        ArchiveCursor cursor(sample(c.file), {});
        ArchiveEntry entry;
        std::string bytes;
        std::vector<std::string> files;
        while (cursor.next(entry, bytes)) {
            if (!entry.file) continue;
            files.push_back(entry.name);
            EXPECT_EQ(bytes.size(), entry.size) << c.file << " " << entry.name;
            if (entry.name.ends_with(".iff")) {
                EXPECT_TRUE(bytes.starts_with("IFF FILE 2.") || bytes == "x") << entry.name;
            }
        }
        EXPECT_FALSE(cursor.failure()) << c.file << ": " << cursor.failure()->detail;
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, c.files) << c.file;
    }
}

TEST(ArchiveCursor, RefusesWholeWhatIsLockedOrPastItsLimits) {
    struct Case {
        const char* file;
        ArchiveLimits limits;
        ArchiveTrouble trouble;
    };
    ArchiveLimits oneEntry;
    oneEntry.entries = 1;
    ArchiveLimits fewBytes;
    fewBytes.bytes = 10;
    const std::vector<Case> cases = {
        {"locked.zip", {}, ArchiveTrouble::kPassword},
        {"set.zip", oneEntry, ArchiveTrouble::kTooLarge},
        {"set.7z", fewBytes, ArchiveTrouble::kTooLarge},
        {"README-not-there.zip", {}, ArchiveTrouble::kUnreadable},
    };
    for (const auto& c : cases) {
        ArchiveCursor cursor(sample(c.file), c.limits);
        ArchiveEntry entry;
        std::string bytes;
        while (cursor.next(entry, bytes)) {
        }
        ASSERT_TRUE(cursor.failure()) << c.file;
        EXPECT_EQ(cursor.failure()->trouble, c.trouble) << c.file;
    }
}

TEST(ArchiveCursor, OpensAnArchiveInsideAndSaysWhereItLies) {
    std::ifstream in(sample("stored-v5.rar"), std::ios::binary);
    const std::string inner((std::istreambuf_iterator<char>(in)), {});
    // A tar holding the RAR, written here as the tar format lays it out.
    std::string header(512, '\0');
    header.replace(0, 9, "inner.rar");
    header.replace(100, 7, "0000644");
    char size[12];
    std::snprintf(size, sizeof size, "%011o", unsigned(inner.size()));
    header.replace(124, 11, size);
    header.replace(136, 11, "00000000000");
    header[156] = '0';
    header.replace(257, 6, std::string("ustar\0", 6));
    header.replace(263, 2, "00");
    header.replace(148, 8, "        ");
    unsigned sum = 0;
    for (const char c : header) sum += static_cast<unsigned char>(c);
    char check[8];
    std::snprintf(check, sizeof check, "%06o", sum);
    header.replace(148, 7, std::string(check, 6) + '\0');
    std::string tar = header + inner + std::string((512 - inner.size() % 512) % 512, '\0') +
                      std::string(1024, '\0');
    ArchiveCursor cursor(std::move(tar), {});
    ArchiveEntry entry;
    std::string bytes;
    std::vector<std::string> shown;
    while (cursor.next(entry, bytes)) shown.push_back(entry.shown());
    EXPECT_FALSE(cursor.failure());
    EXPECT_EQ(shown, (std::vector<std::string>{"inner.rar", "inner.rar \xC2\xBB Zebra/vase.iff"}));
}

}  // namespace
}  // namespace brambleton::content
