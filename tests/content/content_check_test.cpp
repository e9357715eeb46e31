// SPDX-License-Identifier: MIT
// The content check on real install trees: one row per problem the game's players meet, and
// near misses that must not be reported.
#include "content/content_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>

#include "content/duplicates.h"
#include "content/report_files.h"
#include "row_name.h"
#include "sims_files.h"
#include "temp_tree.h"

namespace brambleton::content {
namespace {

using testing::cmxFile;
using testing::farFile;
using testing::identifier;
using testing::iffChunk;
using testing::iffFile;
using testing::objectFile;
using testing::TempTree;

}  // namespace

void PrintTo(ProblemKind kind, std::ostream* os) {
    *os << kindName(kind);
}

namespace {

struct ProblemCase {
    const char* why;
    const char* plant;                // TempTree::build lines below the install folder
    std::optional<ProblemKind> kind;  // none: nothing may be reported
    const char* path;                 // relative to the install folder, "/" separated
    const char* sameAs = nullptr;
};

const ProblemCase kCases[] = {
    {"a zip in Downloads", "f Downloads/set.zip 10", kPackedArchive, "Downloads/set.zip"},
    {"a rar in the skins", "f GameData/Skins/skins.RAR 10", kPackedArchive,
     "GameData/Skins/skins.RAR"},
    {"a 7z deep in Downloads", "f Downloads/a/b/c.7z 10", kPackedArchive, "Downloads/a/b/c.7z"},
    {"skins in a sub-folder of Skins",
     "f GameData/Skins/Set/a/body.skn 3\nf GameData/Skins/Set/face.bmp 3", kUnreadSubfolder,
     "GameData/Skins/Set"},
    {"skins in a sub-folder of SkinsBuy", "f ExpansionShared/SkinsBuy/New/x.cmx 3",
     kUnreadSubfolder, "ExpansionShared/SkinsBuy/New"},
    {"a mesh in Downloads", "f Downloads/Sets/body.SKN 5", kMisplaced, "Downloads/Sets/body.SKN"},
    {"an object among the skins", "f GameData/Skins/chair.iff 5", kMisplaced,
     "GameData/Skins/chair.iff"},
    {"an archive among the roofs is judged only by what it holds", "f GameData/Roofs/x.far 5",
     std::nullopt, nullptr},
    {"a floor among the walls", "f GameData/Walls/oak.flr 5", kMisplaced, "GameData/Walls/oak.flr"},
    {"a wall among the floors", "f GameData/Floors/brick.wll 5", kMisplaced,
     "GameData/Floors/brick.wll"},
    {"a backup copy", "f Downloads/chair.iff.bak 5", kIgnoredName, "Downloads/chair.iff.bak"},
    {"a mesh list saved as text", "f GameData/Skins/skin.cmx.txt 5", kIgnoredName,
     "GameData/Skins/skin.cmx.txt"},
    {"an old archive", "f Downloads/x.far.old 5", kIgnoredName, "Downloads/x.far.old"},
    {"a broken download", "f Downloads/broken.iff 0", kEmptyFile, "Downloads/broken.iff"},
    {"the same object twice", "t Downloads/b/chair.iff same\nt Downloads/a/chair.iff same",
     kDuplicate, "Downloads/b/chair.iff", "Downloads/a/chair.iff"},
    {"the same floor in two sub-folders under one name",
     "t GameData/Floors/b/oak.flr same\nt GameData/Floors/a/OAK.flr same", kDuplicate,
     "GameData/Floors/b/oak.flr", "GameData/Floors/a/OAK.flr"},
    {"a roof in a sub-folder of Roofs", "f GameData/Roofs/Set/slate.bmp 3", kUnreadSubfolder,
     "GameData/Roofs/Set"},
    {"the same skin in both skin folders is needed in each",
     "t GameData/Skins/a.bmp skin\nt ExpansionShared/SkinsBuy/a.bmp skin", std::nullopt, nullptr},
    {"the same texture under two names is needed under each",
     "t GameData/Skins/a.bmp skin\nt GameData/Skins/b.bmp skin", std::nullopt, nullptr},
    {"the same floor under two names is needed under each",
     "t GameData/Floors/oak.flr same\nt GameData/Floors/elm.flr same", std::nullopt, nullptr},
    {"upper case objects are fine", "f Downloads/chair.IFF 5", std::nullopt, nullptr},
    {"a picture in Downloads is fine", "f Downloads/preview.bmp 5", std::nullopt, nullptr},
    {"equal sizes with other bytes are fine", "t Downloads/a.iff abcd\nt Downloads/b.iff abce",
     std::nullopt, nullptr},
    {"a folder named like an archive is fine", "f Downloads/x.zip/chair.iff 5", std::nullopt,
     nullptr},
    {"skins in Skins itself are fine", "f GameData/Skins/body.skn 5\nf GameData/Skins/b.bfc 5",
     std::nullopt, nullptr},
    {"floors in a sub-folder are fine", "f GameData/Floors/Set/oak.flr 5", std::nullopt, nullptr},
    {"a readme in Downloads is fine", "f Downloads/readme.txt 5", std::nullopt, nullptr},
};

void PrintTo(const ProblemCase& c, std::ostream* os) {
    *os << c.why;
}

class Problems : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(Problems, AreFoundAndNearMissesAreNot) {
    const auto& c = GetParam();
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    std::string plan;
    for (std::string_view rest = c.plant; !rest.empty();) {
        const auto end = std::min(rest.find('\n'), rest.size());
        const std::string line(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.starts_with("t ")) {  // a text file: "t path content"
            const auto space = line.find(' ', 2);
            tree.text("Game/" + line.substr(2, space - 2), line.substr(space + 1));
        } else {
            plan += line.substr(0, 2) + "Game/" + line.substr(2) + "\n";
        }
    }
    tree.build(plan);
    const auto source = makePlatformFolderSource();
    // Names and sizes: these files hold no real content.
    const auto report =
        checkInstall(tree.root() / "Game", *source, {}, {.lookInside = false, .saves = {}});
    if (!c.kind) {
        ASSERT_TRUE(report.problems.empty())
            << c.why << ": " << kindName(report.problems[0].kind) << " " << report.problems[0].path;
        return;
    }
    ASSERT_EQ(report.problems.size(), 1u) << c.why;
    const auto& p = report.problems[0];
    EXPECT_EQ(p.kind, *c.kind) << c.why;
    EXPECT_EQ(std::filesystem::path(p.path),
              std::filesystem::path(tree.path(std::string("Game/") + c.path)).make_preferred())
        << c.why;
    EXPECT_FALSE(sentenceOf(p, report.install).empty());
    if (c.sameAs) {
        EXPECT_EQ(
            std::filesystem::path(p.sameAs),
            std::filesystem::path(tree.path(std::string("Game/") + c.sameAs)).make_preferred());
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, Problems, ::testing::ValuesIn(kCases), testing::ByWhy());

struct Found {
    ProblemKind kind;
    const char* path;  // relative to the install folder; an archive's entry after ".far/"
    const char* sameAs = nullptr;
    const char* says = nullptr;  // words the sentence or the mesh holds
};

struct InsideCase {
    const char* why;
    std::vector<std::pair<std::string, std::string>> files;  // below the install folder
    std::vector<Found> found;                                // in the report's order
};

// A skin's texture of `bits` bits a pixel.
std::string bmpOfBits(char bits) {
    std::string bmp = testing::bmpFile(4);
    bmp[28] = bits;
    return bmp;
}

const InsideCase kInside[] = {
    {"the game's own floors and walls in their archives, beside a player's",
     {{"GameData/Floors/Floors.far",
       farFile({{"cobblestone.flr", objectFile({})}, {"marble.flr", objectFile({})}})},
      {"GameData/Walls/Walls.far", farFile({{"whitepaintonplaster.wll", objectFile({})}})},
      {"GameData/Skins/Skins.far", farFile({{"xskin-b001-PELVIS-BODY.skn", "mesh"}})},
      {"GameData/Floors/oak.flr", objectFile({})}},
     {}},
    {"an archive in a game folder that does not read whole is not judged",
     {{"GameData/Walls/Walls.far", farFile({{"a.wll", objectFile({})}}).substr(0, 200)}},
     {}},
    {"an archive of objects among the roofs",
     {{"GameData/Roofs/chairs.far", farFile({{"chair.iff", objectFile({0x100})}})}},
     {{kMisplaced, "GameData/Roofs/chairs.far", nullptr, "Downloads"}}},
    {"a mesh list finds its mesh in the archive of its folder",
     {{"GameData/Skins/b001fafit_x.cmx", cmxFile("b001fafit_x", {"xskin-b001-PELVIS-BODY"})},
      {"GameData/Skins/Skins.far", farFile({{"xskin-b001-PELVIS-BODY.skn", "mesh"}})}},
     {}},
    {"a picture beside skins that no mesh names is left alone",
     {{"Downloads/Set/readme.bmp", "not a picture"},
      {"Downloads/Set/b7.cmx", cmxFile("b7", {"xskin-b7-BODY"})},
      {"Downloads/Set/chair.iff", objectFile({0x77})}},
     {{kMisplaced, "Downloads/Set/b7.cmx"}}},
    {"an archive object sharing its ID with a loose object",
     {{"Downloads/Set/chairs.far", farFile({{"chair.iff", objectFile({0x100})},
                                            {"sofa.iff", objectFile({0x200})},
                                            {"lamp.iff", objectFile({0x300})}})},
      {"Downloads/Loose/sofa-recolour.iff", objectFile({0x200})}},
     {{kGuidConflict, "Downloads/Set/chairs.far/sofa.iff", "Downloads/Loose/sofa-recolour.iff",
       "0x00000200"}}},
    {"two objects with one ID, one in UserObjects",
     {{"Downloads/b.iff", objectFile({0xABCDEF01}, 10)},
      {"GameData/UserObjects/a.iff", objectFile({0xABCDEF01}, 20)}},
     {{kGuidConflict, "GameData/UserObjects/a.iff", "Downloads/b.iff", "b.iff"}}},
    {"the tiles of one object", {{"Downloads/sofa.iff", objectFile({0x10, 0x11, 0x12, 0x10})}}, {}},
    {"a copy of an object is a duplicate, not a conflict",
     {{"Downloads/a/x.iff", objectFile({0x55})}, {"Downloads/b/x.iff", objectFile({0x55})}},
     {{kDuplicate, "Downloads/b/x.iff", "Downloads/a/x.iff"}}},
    {"a web page saved as an object",
     {{"Downloads/chair.iff", "<!DOCTYPE html><html><title>Error 404</title></html>"}},
     {{kBadFile, "Downloads/chair.iff", nullptr, "web page"}}},
    {"a zip renamed to far",
     {{"Downloads/set.far", "PKzipzipzipzipzip"}},
     {{kBadFile, "Downloads/set.far", nullptr, "ZIP"}}},
    {"a truncated archive",
     {{"Downloads/set.far", farFile({{"a.iff", objectFile({1})}}).substr(0, 900)}},
     {{kBadFile, "Downloads/set.far", nullptr, "cut short"}}},
    {"a broken object inside an archive",
     {{"Downloads/set.far",
       farFile({{"a.iff", objectFile({1})}, {"b.iff", objectFile({2}).substr(0, 500)}})}},
     {{kBadFile, "Downloads/set.far/b.iff", nullptr, "cut short"}}},
    {"a floor cut short",
     {{"GameData/Floors/oak.flr", objectFile({}).substr(0, 300)}},
     {{kBadFile, "GameData/Floors/oak.flr", nullptr, "cut short"}}},
    {"a skin missing one of its meshes",
     {{"GameData/Skins/b001fafit_x.cmx",
       cmxFile("b001fafit_x", {"xskin-b001fafit_x-PELVIS-BODY", "xskin-b001-L_HAND-RING"})},
      {"GameData/Skins/XSKIN-B001FAFIT_X-PELVIS-BODY.skn", "mesh"},
      {"GameData/Skins/b001fafitlgt_x.bmp", "texture"}},
     {{kMissingMesh, "GameData/Skins/b001fafit_x.cmx", nullptr, "xskin-b001-L_HAND-RING"}}},
    {"a binary mesh counts",
     {{"GameData/Skins/c.cmx", cmxFile("c", {"xskin-c-HEAD"})},
      {"GameData/Skins/xskin-c-HEAD.bmf", "mesh"}},
     {}},
    {"a buyable skin with its mesh only in Skins",
     {{"ExpansionShared/SkinsBuy/b9.cmx", cmxFile("b9", {"xskin-b9-BODY"})},
      {"GameData/Skins/xskin-b9-BODY.skn", "mesh"}},
     {{kMissingMesh, "ExpansionShared/SkinsBuy/b9.cmx", nullptr, "copy xskin-b9-BODY.skn"}}},
    {"a broken object inside an archive is named where its strings come before the break",
     {{"Downloads/set.far", farFile({{"chair.iff",
                                      [] {
                                          const auto whole = testing::catalogueObject(
                                              0x55, "Broken chair", "", 1, 1);
                                          return whole.substr(0, whole.size() - 40);
                                      }()}})}},
     {{kBadFile, "Downloads/set.far/chair.iff", nullptr, "This is \u201cBroken chair\u201d. "}}},
    {"a skin texture of 24 bits shows white",
     {{"GameData/Skins/b002fafitlgt_y.bmp", bmpOfBits(24)}},
     {{kSkinTexture, "GameData/Skins/b002fafitlgt_y.bmp", nullptr, "BMP of 24 bits"}}},
    {"textures of 8 bits, and of fewer from a smaller palette, are taken",
     {{"GameData/Skins/b002fafitlgt_y.bmp", bmpOfBits(8)},
      {"ExpansionShared/SkinsBuy/b002fafitmed_y.bmp", bmpOfBits(4)}},
     {}},
    {"a mesh list named otherwise inside is ignored and renamed to that name",
     {{"GameData/Skins/b003fafit_new.cmx", cmxFile("b003fafit_old", {"xskin-b3-BODY"})},
      {"GameData/Skins/xskin-b3-BODY.skn", "mesh"}},
     {{kMeshListName, "GameData/Skins/b003fafit_new.cmx", nullptr,
       "is b003fafit_old, not b003fafit_new, so the game ignores it. Rename it to "
       "b003fafit_old.cmx."}}},
    {"a mesh list named otherwise inside, whose name is taken, is only said to be ignored",
     {{"GameData/Skins/b003fafit_old.cmx", cmxFile("b003fafit_old", {"xskin-b3-BODY"})},
      {"GameData/Skins/b003fafit_old (2).cmx", cmxFile("b003fafit_old", {"xskin-b3-BODY"})},
      {"GameData/Skins/xskin-b3-BODY.skn", "mesh"}},
     {{kMeshListName, "GameData/Skins/b003fafit_old (2).cmx", nullptr, "leftover copy"}}},
    {"a mesh list whose name inside differs only in case is read",
     {{"GameData/Skins/B004FAFIT_Z.cmx", cmxFile("b004fafit_z", {"xskin-b4-BODY"})},
      {"GameData/Skins/xskin-b4-BODY.skn", "mesh"}},
     {}},
    {"a name inside that climbs out of the folder is never a name to rename to",
     {{"GameData/Skins/b005fafit_q.cmx", cmxFile("../../Behavior", {"xskin-b5-BODY"})},
      {"GameData/Skins/xskin-b5-BODY.skn", "mesh"}},
     {{kMeshListName, "GameData/Skins/b005fafit_q.cmx", nullptr,
       "%2E%2E%2F%2E%2E%2FBehavior, not b005fafit_q, so the game ignores it."}}},
    {"a climbing entry name stays inside its archive",
     {{"Downloads/names.far", farFile({{"../../GameData/Behavior.iff", objectFile({0x77})}})},
      {"Downloads/z.iff", objectFile({0x77}, 10)}},
     {{kGuidConflict, "Downloads/z.iff", "Downloads/names.far/../../GameData/Behavior.iff",
       "names.far \u00bb %2E%2E%2F%2E%2E%2FGameData%2FBehavior.iff: the game shows"}}},
    {"two entries of one name in one archive are not told apart by removal",
     {{"Downloads/twice.far",
       farFile({{"chair.iff", objectFile({0x9})}, {"chair.iff", objectFile({0x9}, 10)}})}},
     {{kGuidConflict, "Downloads/twice.far/chair.iff", "Downloads/twice.far/chair.iff",
       "leave it as it is"}}},
    {"an object in an archive is never kept by removing the archive",
     {{"Downloads/set.far", farFile({{"a.iff", objectFile({0x5})}, {"b.iff", objectFile({0x6})}})},
      {"Downloads/loose.iff", objectFile({0x5}, 10)}},
     {{kGuidConflict, "Downloads/set.far/a.iff", "Downloads/loose.iff",
       "remove an archive only if you want none"}}},
    {"three objects with one ID are one problem",
     {{"Downloads/a.iff", objectFile({0x8}, 10)},
      {"Downloads/b.iff", objectFile({0x8}, 20)},
      {"Downloads/c.iff", objectFile({0x8}, 30)}},
     {{kGuidConflict, "Downloads/b.iff", "Downloads/a.iff", "so do 1 more"}}},
    {"good content",
     {{"Downloads/x.far", farFile({{"a.iff", objectFile({1})}})},
      {"Downloads/y.iff", objectFile({2})},
      {"GameData/Walls/w.wll", iffFile({iffChunk("SPR#", 1, "x")}, false)}},
     {}},
};

void PrintTo(const InsideCase& c, std::ostream* os) {
    *os << c.why;
}

class Inside : public ::testing::TestWithParam<std::tuple<InsideCase, unsigned>> {};

// The same findings whether the files are read alongside the walk or on its thread.
TEST_P(Inside, FindsWhatTheFilesHold) {
    const auto& [c, readers] = GetParam();
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    for (const auto& [path, bytes] : c.files) tree.text("Game/" + path, bytes);
    const auto source = makePlatformFolderSource();
    const auto report =
        checkInstall(tree.root() / "Game", *source, {}, {.readers = readers, .saves = {}});
    ASSERT_EQ(report.problems.size(), c.found.size())
        << c.why
        << (report.problems.empty() ? "" : ": " + sentenceOf(report.problems[0], report.install));
    // A place below the install folder as a host path and an entry name.
    const auto place = [&](const char* relative) {
        std::string path(relative);
        const auto far = path.find(".far/");
        const std::string entry = far == std::string::npos ? "" : path.substr(far + 5);
        if (far != std::string::npos) path.resize(far + 4);
        return Place{std::filesystem::path(tree.path("Game/" + path)).make_preferred().string(),
                     entry};
    };
    for (std::size_t i = 0; i < c.found.size(); ++i) {
        const auto& p = report.problems[i];
        const auto& want = c.found[i];
        EXPECT_EQ(p.kind, want.kind) << c.why;
        const auto at = place(want.path);
        EXPECT_EQ(p.path, at.path) << c.why;
        EXPECT_EQ(p.entry, at.entry) << c.why;
        if (want.sameAs) {
            const auto kept = place(want.sameAs);
            EXPECT_EQ(p.sameAs, kept.path) << c.why;
            EXPECT_EQ(p.sameAsEntry, kept.entry) << c.why;
        }
        if (want.says) {
            const std::string sentence = sentenceOf(p, report.install);
            EXPECT_NE((sentence + " " + p.mesh).find(want.says), std::string::npos)
                << c.why << ": " << sentence;
        }
    }
    EXPECT_GT(report.bytesInspected, 0u);
}

INSTANTIATE_TEST_SUITE_P(Trees, Inside,
                         ::testing::Combine(::testing::ValuesIn(kInside),
                                            ::testing::Values(0u, 4u)),
                         [](const auto& info) {
                             return identifier(std::get<0>(info.param).why) +
                                    (std::get<1>(info.param) ? "Alongside" : "OnTheWalk");
                         });

// Objects inside archives count as objects, and an area says how many archives hold them.
TEST(ContentCheck, CountsTheObjectsInsideArchives) {
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    tree.text("Game/Downloads/a.far",
              farFile({{"1.iff", objectFile({1})}, {"2.iff", objectFile({2})}, {"n.txt", "x"}}));
    tree.text("Game/Downloads/Sub/b.FAR", farFile({{"3.iff", objectFile({3})}}));
    tree.text("Game/Downloads/c.iff", objectFile({4}));
    tree.text("Game/Downloads/d.iff", objectFile({5}));
    const auto source = makePlatformFolderSource();
    const auto report = checkInstall(tree.root() / "Game", *source);
    EXPECT_TRUE(report.problems.empty());
    const auto& objects = report.areas[0];
    EXPECT_EQ(objects.files, 4);
    EXPECT_EQ(objects.objects, 5);
    EXPECT_EQ(objects.objectsInArchives, 3);
    EXPECT_EQ(objects.archives, 2);
    const auto quick =
        checkInstall(tree.root() / "Game", *source, {}, {.lookInside = false, .saves = {}});
    EXPECT_EQ(quick.areas[0].objects, 2);
    EXPECT_EQ(quick.bytesInspected, 0u);
}

// Each area's files and bytes are what the game loads there, and its largest folders come
// first; folder names are matched without regard to case.
TEST(ContentCheck, AreasCountWhatTheGameLoads) {
    TempTree tree;
    tree.build(
        "f Game/gamedata/Behavior.iff 10\n"
        "f Game/downloads/Big/a.iff 3000\n"
        "f Game/downloads/Big/b.far 1000\n"
        "f Game/downloads/Small/c.iff 100\n"
        "f Game/downloads/d.IFF 7\n"
        "f Game/downloads/notes.txt 50\n"
        "f Game/gamedata/USEROBJECTS/u.iff 20\n"
        "f Game/gamedata/skins/body.skn 1\n"
        "f Game/gamedata/skins/Sub/face.bmp 2\n"
        "f Game/gamedata/Roofs/slate.bmp 300\n");
    const auto source = makePlatformFolderSource();
    const auto report = checkInstall(tree.root() / "Game", *source);
    struct Want {
        const char* name;
        bool exists;
        std::int64_t files, bytes;
    };
    const Want want[] = {{"objects", true, 4, 4107}, {"objects", true, 1, 20},
                         {"floors", false, 0, 0},    {"walls", false, 0, 0},
                         {"skins", true, 1, 1},      {"buyable skins", false, 0, 0},
                         {"roofs", true, 1, 300}};
    ASSERT_EQ(report.areas.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(report.areas[i].name, want[i].name);
        EXPECT_EQ(report.areas[i].folder.has_value(), want[i].exists) << want[i].name;
        EXPECT_EQ(report.areas[i].files, want[i].files) << want[i].name;
        EXPECT_EQ(report.areas[i].bytes, want[i].bytes) << want[i].name;
    }
    const auto& largest = report.areas[0].largest;
    ASSERT_EQ(largest.size(), 2u);
    EXPECT_EQ(largest[0].bytes, 4000);
    EXPECT_EQ(largest[1].bytes, 100);
}

// Advice followed as told, in the order given, loses nothing the game needs, and the next
// check is content with the result.
struct FollowCase {
    const char* why;
    std::vector<std::pair<std::string, std::string>> files;  // below the install folder
    std::vector<std::pair<std::string, std::string>> links;  // link, target
    std::vector<std::pair<ProblemKind, const char*>> found;  // kind, path
    // Follows the advice on the tree; nothing to do when empty.
    std::function<void(const TempTree&, const ContentReport&)> follow;
    std::vector<std::string> kept;  // files that must still be there afterwards
};

void PrintTo(const FollowCase& c, std::ostream* os) {
    *os << c.why;
}

// Carries out every advice record as the program will, refusing to replace a file: moves
// (a folder's files up into `to`), renames and trashes (here, removes).
void followRecords(const TempTree&, const ContentReport& report) {
    namespace fs = std::filesystem;
    const auto moveInto = [](const fs::path& file, const fs::path& folder) {
        ASSERT_FALSE(fs::exists(folder / file.filename())) << file;
        fs::create_directories(folder);
        fs::rename(file, folder / file.filename());
    };
    for (const auto& p : report.problems) {
        const auto& a = p.advice;
        if (a.action == Action::Trash) fs::remove(a.from);
        if (a.action == Action::Rename) {
            ASSERT_FALSE(fs::exists(a.to)) << a.to;
            fs::rename(a.from, a.to);
        }
        if (a.action == Action::Move && fs::is_directory(a.from)) {
            for (const auto& entry : fs::directory_iterator(a.from)) moveInto(entry.path(), a.to);
        } else if (a.action == Action::Move) {
            moveInto(a.from, a.to);
        }
    }
}

const std::string kArchive =
    farFile({{"a.iff", objectFile({0x51})}, {"b.iff", objectFile({0x52})}});
const std::string kBody = cmxFile("b9", {"xskin-b9-BODY"});

const FollowCase kFollow[] = {
    {"a buyable skin whose mesh is copied beside it",
     {{"GameData/Skins/b9.cmx", kBody},
      {"GameData/Skins/xskin-b9-BODY.skn", "mesh"},
      {"ExpansionShared/SkinsBuy/b9.cmx", kBody}},
     {},
     {{kMissingMesh, "ExpansionShared/SkinsBuy/b9.cmx"}},
     [](const TempTree& tree, const ContentReport&) {
         std::filesystem::copy_file(tree.path("Game/GameData/Skins/xskin-b9-BODY.skn"),
                                    tree.path("Game/ExpansionShared/SkinsBuy/xskin-b9-BODY.skn"));
     },
     {"GameData/Skins/b9.cmx", "GameData/Skins/xskin-b9-BODY.skn",
      "ExpansionShared/SkinsBuy/b9.cmx"}},
    {"a link and its target are one object",
     {{"Downloads/real.iff", objectFile({0x41})}},
     {{"Downloads/link.iff", "real.iff"}},
     {},
     {},
     {"Downloads/real.iff"}},
    {"a copy of a linked object goes, the link's target stays",
     {{"Downloads/a/copy.iff", objectFile({0x42})}, {"Downloads/b/real.iff", objectFile({0x42})}},
     {{"Downloads/0/link.iff", "../b/real.iff"}},
     {{kDuplicate, "Downloads/a/copy.iff"}},
     followRecords,
     {"Downloads/b/real.iff"}},
    {"a skin in Downloads moves with its texture",
     {{"Downloads/Set/b7.cmx", cmxFile("b7", {"xskin-b7-BODY"})},
      {"Downloads/Set/xskin-b7-BODY.skn", "xskin-b7-BODY\r\nB7FaFitLgt\r\n0\r\n"},
      {"Downloads/Set/b7fafitlgt.bmp", "texture"}},
     {},
     {{kMisplaced, "Downloads/Set/b7.cmx"},
      {kMisplaced, "Downloads/Set/b7fafitlgt.bmp"},
      {kMisplaced, "Downloads/Set/xskin-b7-BODY.skn"}},
     followRecords,
     {"GameData/Skins/b7.cmx", "GameData/Skins/xskin-b7-BODY.skn",
      "GameData/Skins/b7fafitlgt.bmp"}},
    {"a mesh list renamed to the name inside it",
     {{"GameData/Skins/b8fafit_new.cmx", cmxFile("b8fafit_old", {"xskin-b8-BODY"})},
      {"GameData/Skins/xskin-b8-BODY.skn", "mesh"}},
     {},
     {{kMeshListName, "GameData/Skins/b8fafit_new.cmx"}},
     followRecords,
     {"GameData/Skins/b8fafit_old.cmx", "GameData/Skins/xskin-b8-BODY.skn"}},
    {"a roof in a sub-folder, an empty download and a second archive",
     {{"GameData/Roofs/Slate/slate.bmp", "roof"},
      {"Downloads/empty.iff", ""},
      {"Downloads/b/set.far", kArchive},
      {"Downloads/a/set.far", kArchive}},
     {},
     {{kUnreadSubfolder, "GameData/Roofs/Slate"},
      {kEmptyFile, "Downloads/empty.iff"},
      {kDuplicate, "Downloads/b/set.far"}},
     followRecords,
     {"GameData/Roofs/slate.bmp", "Downloads/a/set.far"}},
    {"a texture saved again in 8 bits",
     {{"GameData/Skins/b8fafitlgt_old.bmp", bmpOfBits(32)}},
     {},
     {{kSkinTexture, "GameData/Skins/b8fafitlgt_old.bmp"}},
     [](const TempTree& tree, const ContentReport&) {
         tree.text("Game/GameData/Skins/b8fafitlgt_old.bmp", bmpOfBits(8));
     },
     {"GameData/Skins/b8fafitlgt_old.bmp"}},
};

class FollowingAdvice : public ::testing::TestWithParam<FollowCase> {};

TEST_P(FollowingAdvice, LosesNothing) {
    const auto& c = GetParam();
    TempTree tree;
    if (!c.links.empty() && !tree.canLink()) GTEST_SKIP() << "no links on this platform";
    tree.file("Game/GameData/Behavior.iff", 10);
    tree.folder("Game/GameData/Skins");
    for (const auto& [path, bytes] : c.files) tree.text("Game/" + path, bytes);
    for (const auto& [link, target] : c.links) tree.link("Game/" + link, target);
    const auto source = makePlatformFolderSource();
    const auto report = checkInstall(tree.root() / "Game", *source);
    ASSERT_EQ(report.problems.size(), c.found.size())
        << c.why << (report.problems.empty() ? "" : ": " + report.problems[0].path);
    for (std::size_t i = 0; i < c.found.size(); ++i) {
        EXPECT_EQ(report.problems[i].kind, c.found[i].first) << c.why;
        EXPECT_EQ(std::filesystem::path(report.problems[i].path),
                  std::filesystem::path(tree.path(std::string("Game/") + c.found[i].second))
                      .make_preferred())
            << c.why;
    }
    if (c.follow) c.follow(tree, report);
    const auto after = checkInstall(tree.root() / "Game", *source);
    EXPECT_TRUE(after.problems.empty())
        << c.why << ": " << kindName(after.problems[0].kind) << " " << after.problems[0].path;
    for (const auto& path : c.kept) {
        EXPECT_TRUE(std::filesystem::exists(tree.path("Game/" + path))) << c.why << ": " << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, FollowingAdvice, ::testing::ValuesIn(kFollow), testing::ByWhy());

// Every problem carries its advice as a record: the action, what it acts on and where it
// goes, from the game's folder; the JSON gives it as the check found it.
struct AdviceCase {
    const char* why;
    std::vector<std::pair<std::string, std::string>> files;  // below the install folder
    ProblemKind kind;
    Action action;
    const char* from;
    const char* to;  // nullptr: none
};

const AdviceCase kAdvice[] = {
    {"a skin in Downloads goes to the skins",
     {{"Downloads/Set/xskin-b3-BODY.skn", "xskin-b3-BODY\r\nnone\r\n0\r\n"}},
     kMisplaced,
     Action::Move,
     "Downloads/Set/xskin-b3-BODY.skn",
     "GameData/Skins"},
    {"a roof in a sub-folder moves up",
     {{"GameData/Roofs/Slate/slate.bmp", "x"}},
     kUnreadSubfolder,
     Action::Move,
     "GameData/Roofs/Slate",
     "GameData/Roofs"},
    {"a second copy of an archive is trashed, the first kept",
     {{"Downloads/b/set.far", kArchive}, {"Downloads/a/set.far", kArchive}},
     kDuplicate,
     Action::Trash,
     "Downloads/b/set.far",
     nullptr},
    {"an empty file is trashed",
     {{"Downloads/empty.iff", ""}},
     kEmptyFile,
     Action::Trash,
     "Downloads/empty.iff",
     nullptr},
    {"an object cut short is trashed",
     {{"Downloads/cut.iff", objectFile({0x53}).substr(0, 150)}},
     kBadFile,
     Action::Trash,
     "Downloads/cut.iff",
     nullptr},
    {"a zip in Downloads is installed where it lies",
     {{"Downloads/Set/new.zip", "PK\x03\x04"}},
     kPackedArchive,
     Action::Install,
     "Downloads/Set/new.zip",
     "Downloads/Set"},
    {"an archive named as an object is renamed",
     {{"Downloads/set.iff", kArchive}},
     kBadFile,
     Action::Rename,
     "Downloads/set.iff",
     "Downloads/set.far"},
    {"a broken entry of an archive is left to the player",
     {{"Downloads/set.far", farFile({{"a.iff", "<html>"}, {"b.iff", objectFile({0x54})}})}},
     kBadFile,
     Action::None,
     "Downloads/set.far",
     nullptr},
    {"a damaged field is not sure enough to act on",
     {{"Downloads/map.iff", objectFile({0x55}).replace(60, 4, std::string("\x7f\xff\xff\xff", 4))}},
     kBadFile,
     Action::None,
     "Downloads/map.iff",
     nullptr},
    {"a renamed object is the player's choice",
     {{"Downloads/chair.iff.off", "x"}},
     kIgnoredName,
     Action::None,
     "Downloads/chair.iff.off",
     "Downloads/chair.iff"},
    {"a floor among the walls goes to the floors",
     {{"GameData/Walls/oak.flr", "x"}},
     kMisplaced,
     Action::Move,
     "GameData/Walls/oak.flr",
     "GameData/Floors"},
    {"an object among the roofs goes to Downloads, made where missing",
     {{"GameData/Roofs/chair.iff", objectFile({0x56})}},
     kMisplaced,
     Action::Move,
     "GameData/Roofs/chair.iff",
     "Downloads"},
    {"a mesh list whose inner name is free is renamed",
     {{"GameData/Skins/b8fafit_new.cmx", cmxFile("b8fafit_old", {"xskin-b8-BODY"})},
      {"GameData/Skins/xskin-b8-BODY.skn", "mesh"}},
     kMeshListName,
     Action::Rename,
     "GameData/Skins/b8fafit_new.cmx",
     "GameData/Skins/b8fafit_old.cmx"},
    {"a mesh list whose inner name is taken is left alone",
     {{"GameData/Skins/b8fafit_new.cmx", cmxFile("b8fafit_old", {"xskin-b8-BODY"})},
      {"GameData/Skins/b8fafit_old.cmx", cmxFile("b8fafit_old", {"xskin-b8-BODY"}) + " "},
      {"GameData/Skins/xskin-b8-BODY.skn", "mesh"}},
     kMeshListName,
     Action::None,
     "GameData/Skins/b8fafit_new.cmx",
     nullptr},
};

void PrintTo(const AdviceCase& c, std::ostream* os) {
    *os << c.why;
}

class Advising : public ::testing::TestWithParam<AdviceCase> {};

TEST_P(Advising, NamesTheActionAndWhereItGoes) {
    const auto& c = GetParam();
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    tree.folder("Game/GameData/Skins");
    for (const auto& [path, bytes] : c.files) tree.text("Game/" + path, bytes);
    const auto source = makePlatformFolderSource();
    const auto report = checkInstall(tree.root() / "Game", *source);
    const auto found = std::find_if(report.problems.begin(), report.problems.end(),
                                    [&](const Problem& p) { return p.kind == c.kind; });
    ASSERT_NE(found, report.problems.end());
    const auto below = [&](const char* path) {
        return path ? std::filesystem::path(path).make_preferred().string() : std::string();
    };
    EXPECT_EQ(found->advice.action, c.action);
    const std::string json = toJson(report);
    const auto host = [&](const char* path) {
        return path ? std::filesystem::path(tree.path(std::string("Game/") + path)).make_preferred()
                    : std::filesystem::path();
    };
    EXPECT_EQ(std::filesystem::path(found->advice.from), host(c.from));
    EXPECT_EQ(std::filesystem::path(found->advice.to), host(c.to));
    const auto quoted = [](const std::string& text) {
        std::string out = "\"";
        for (const char ch : text) out += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        return out + "\"";
    };
    const std::string record = "\"advice\":{\"action\":\"" + std::string(actionName(c.action)) +
                               "\",\"from\":" + quoted(below(c.from)) +
                               ",\"to\":" + (c.to ? quoted(below(c.to)) : "null") + "}";
    EXPECT_NE(json.find(record), std::string::npos) << record << "\n" << json;
}

INSTANTIATE_TEST_SUITE_P(Trees, Advising, ::testing::ValuesIn(kAdvice), testing::ByWhy());

// Objects the check speaks of are named as the catalogue names them, in the player's language
// where the object has it, beside their files; the JSON carries the names.
TEST(ContentCheck, NamesTheObjectsItSpeaksOf) {
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    const auto named = [](std::uint32_t guid, const std::string& strings) {
        return iffFile(
            {iffChunk("OBJD", 128, testing::objdData(guid)), iffChunk("CTSS", 0, strings)});
    };
    using namespace std::string_literals;
    tree.text("Game/Downloads/blue.iff",
              named(0x42, "\xfd\xff\2\0\1Blue chair\0\0\3Chaise bleue\0\0"s));
    tree.text("Game/Downloads/red.iff", named(0x42, "\xff\xff\1\0Red chair\0"s));
    tree.text("Game/Downloads/Copies/red.iff", named(0x42, "\xff\xff\1\0Red chair\0"s));
    const auto source = makePlatformFolderSource();
    const auto report =
        checkInstall(tree.root() / "Game", *source, {}, {.language = 3, .saves = {}});
    ASSERT_EQ(report.problems.size(), 2u);
    const auto& copy = report.problems[0];
    EXPECT_EQ(copy.kind, kDuplicate);
    EXPECT_EQ(copy.name, "Red chair");
    EXPECT_NE(sentenceOf(copy, report.install).find("This file, \u201cRed chair\u201d, is the"),
              std::string::npos)
        << sentenceOf(copy, report.install);
    // The copy kept and the copy removed, named as Put it right's plan takes them.
    const auto native = [](const char* below) {
        return std::filesystem::path(below).make_preferred().string();
    };
    EXPECT_EQ(std::filesystem::path(copy.sameAs),
              (tree.root() / native("Game/Downloads/Copies/red.iff")));
    EXPECT_NE(sentenceOf(copy, report.install)
                  .find("Keep " + native("Downloads/Copies/red.iff") + " and move this copy, " +
                        native("Downloads/red.iff") + ", to the trash."),
              std::string::npos)
        << sentenceOf(copy, report.install);
    const auto& conflict = report.problems[1];
    EXPECT_EQ(conflict.kind, kGuidConflict);
    EXPECT_EQ(conflict.name, "Chaise bleue");  // the kept one, first by path, is the copy's
    EXPECT_EQ(conflict.sameAsName, "Red chair");
    const std::string sentence = sentenceOf(conflict, report.install);
    EXPECT_NE(sentence.find("\u201cChaise bleue\u201d (blue.iff) has the same object ID "
                            "(0x00000042) as \u201cRed chair\u201d in " +
                            native("Downloads/Copies/red.iff") + ": the game shows only one"),
              std::string::npos)
        << sentence;
    const std::string json = toJson(report);
    EXPECT_NE(json.find("\"name\":\"Chaise bleue\",\"same_as_name\":\"Red chair\""),
              std::string::npos)
        << json;
}

// A folder named like one the game reads, but for case, is said to be unread, and its
// content is not counted as the game's.
TEST(ContentCheck, NamesTheFolderTheGameDoesNotReadOfTwoThatDifferInCase) {
    if (std::filesystem::path::preferred_separator != '/') {
        GTEST_SKIP() << "one name in any case on this platform";
    }
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    tree.text("Game/Downloads/a.iff", objectFile({1}));
    tree.text("Game/downloads/b.iff", objectFile({2}));
    const auto source = makePlatformFolderSource();
    const auto report = checkInstall(tree.root() / "Game", *source);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].kind, kUnreadFolder);
    EXPECT_EQ(report.problems[0].path, tree.path("Game/downloads"));
    const std::string sentence = sentenceOf(report.problems[0], report.install);
    EXPECT_NE(sentence.find("The game reads Downloads and never"), std::string::npos) << sentence;
    EXPECT_EQ(report.areas[0].files, 1);
}

// A name inside an archive never becomes a path that leaves it: the problem's path is the
// archive, the entry stands apart, and what reports show of it climbs nowhere.
TEST(ContentCheck, KeepsAnEntrysNameApartFromItsArchivesPath) {
    TempTree tree;
    tree.file("Game/GameData/Behavior.iff", 10);
    tree.text("Game/Downloads/names.far", farFile({{"../../GameData/Behavior.iff", "<html>"},
                                                   {"<script>alert(1)</script>.iff", "<html>"},
                                                   {"/etc/passwd.iff", "<html>"}}));
    const auto source = makePlatformFolderSource();
    const auto report = checkInstall(tree.root() / "Game", *source);
    ASSERT_EQ(report.problems.size(), 1u);
    const auto& p = report.problems[0];
    EXPECT_EQ(
        p.path,
        std::filesystem::path(tree.path("Game/Downloads/names.far")).make_preferred().string());
    EXPECT_EQ(p.entry, "../../GameData/Behavior.iff");
    const std::string shown = placeText(p.path, p.entry);
    EXPECT_EQ(shown.find(".."), std::string::npos) << shown;
    ASSERT_EQ(p.more.size(), 2u);
    EXPECT_EQ(p.more[1].entry, "/etc/passwd.iff");
    EXPECT_NE(placeText(p.more[1].path, p.more[1].entry).find("%2Fetc%2Fpasswd.iff"),
              std::string::npos);
    const std::string sentence = sentenceOf(p, report.install);
    EXPECT_NE(sentence.find("%2E%2E%2F%2E%2E%2FGameData%2FBehavior.iff"), std::string::npos)
        << sentence;
}

// A name may hold what would change a page or a terminal: the page shows it as the terminal
// does, and the JSON keeps an entry apart from its archive.
TEST(Reports, ShowNamesAsTextAndEntriesApart) {
    ContentReport report;
    report.install = "/g";
    Problem p;
    p.kind = kBadFile;
    p.path = "/g/Downloads/evil\u202egpj.far";
    p.entry = "<b>\xc2\x85x</b>.iff";
    p.fault.code = FormatFault::Code::kEntryCut;
    p.fault.inEntry = true;
    report.problems.push_back(p);
    const std::string page = toHtml(report, {",", "."});
    EXPECT_EQ(page.find("\u202e"), std::string::npos);
    EXPECT_EQ(page.find("\xc2\x85"), std::string::npos);
    EXPECT_NE(page.find("evil\\u202egpj.far \u00bb &lt;b&gt;\\u0085x&lt;%2Fb&gt;.iff"),
              std::string::npos)
        << page;
    const std::string json = toJson(report);
    EXPECT_NE(
        json.find(
            "\"archive\":\"/g/Downloads/evil\u202egpj.far\",\"entry\":\"<b>\xc2\x85x</b>.iff\""),
        std::string::npos)
        << json;
}

// A report as it is shared names paths from the game's folder, however the folder was
// written, and the home folder as ~.
TEST(Reports, SharedNamePathsFromTheGameFolder) {
    struct Row {
        const char* why;
        const char* install;
        const char* home;
        const char* shownInstall;
    };
    const Row rows[] = {
        {"below the home", "/home/ann/Games/The Sims", "/home/ann", "~/Games/The Sims"},
        {"written with its separator at the end", "/home/ann/Games/The Sims/", "/home/ann/",
         "~/Games/The Sims/"},
        {"a Windows folder", "C:\\Games\\The Sims\\", "C:\\Users\\ann", "C:\\Games\\The Sims\\"},
        {"outside the home", "/mnt/games/The Sims", "/home/ann", "/mnt/games/The Sims"},
    };
    for (const auto& row : rows) {
        ContentReport report;
        report.install = row.install;
        std::string base(row.install);
        while (base.back() == '/' || base.back() == '\\') base.pop_back();
        const char separator = base.find('\\') != std::string::npos ? '\\' : '/';
        Problem p;
        p.kind = kDuplicate;
        p.path = base + separator + "Downloads" + separator + "b.iff";
        p.sameAs = base + separator + "Downloads" + separator + "a.iff";
        report.problems.push_back(p);
        const auto shared = forSharing(report, row.home);
        EXPECT_EQ(shared.install, row.shownInstall) << row.why;
        EXPECT_EQ(shared.problems[0].path, std::string("Downloads") + separator + "b.iff")
            << row.why;
        EXPECT_EQ(shared.problems[0].sameAs, std::string("Downloads") + separator + "a.iff")
            << row.why;
    }
}

// The duplicate finder agrees with a byte-by-byte comparison of every pair of one key, and
// never opens a file whose size and key no other file has.
TEST(Duplicates, MatchEveryPairCompared) {
    TempTree tree;
    const std::vector<std::string> folders = {
        tree.path(), std::filesystem::path(tree.path("sub")).make_preferred().string()};
    const char separator = std::filesystem::path::preferred_separator == '/' ? '/' : '\\';
    struct Body {
        std::string bytes;
        std::uint8_t purpose;
        bool byName;
        const char* name;
    };
    const Body bodies[] = {{"aaaa", 0, false, "f0"},
                           {"aaab", 0, false, "f1"},
                           {"aaaa", 0, false, "f2"},
                           {std::string(9000, 'x'), 0, false, "f3"},
                           {std::string(9000, 'x'), 0, false, "f4"},
                           {std::string(8999, 'x') + "y", 0, false, "f5"},
                           {"unique size!", 0, false, "f6"},
                           {"aaaa", 1, false, "f7"},    // another purpose
                           {"aaaa", 2, true, "a.bmp"},  // the same bytes, asked for by name
                           {"aaaa", 2, true, "b.bmp"},
                           {"aaaa", 2, true, "A.BMP"}};  // in sub
    std::vector<SizedFile> files;
    tree.folder("sub");
    for (const auto& body : bodies) {
        const bool inSub = body.name == std::string_view("A.BMP");
        tree.text(std::string(inSub ? "sub/" : "") + body.name, body.bytes);
        files.push_back({inSub ? 1u : 0u, body.name, static_cast<std::int64_t>(body.bytes.size()),
                         body.purpose, body.byName});
    }
    const auto found = findDuplicates(files, folders, separator);
    const std::vector<std::vector<std::uint32_t>> want = {{8, 10}, {0, 2}, {3, 4}};
    EXPECT_EQ(found.groups, want);
    EXPECT_TRUE(found.unreadable.empty());
    EXPECT_EQ(found.filesRead, 8u) << "a file of a size or key of its own was opened";
}

// Files swapped after the listing for what a read could block on or never finish (a pipe, a
// link to an endless device), or changed in size, are named as unreadable and left out; a
// link and its target are one file, not two copies.
TEST(Duplicates, NeverBlockOnWhatReplacedAFileAndKnowALinkFromACopy) {
    TempTree tree;
    if (!tree.canLink() || std::filesystem::path::preferred_separator != '/') {
        GTEST_SKIP() << "no links, pipes or /dev/zero on this platform";
    }
    tree.text("real.iff", "object");
    tree.link("link.iff", "real.iff");
    tree.text("grown.iff", "object and more");
    tree.link("zero1.iff", "/dev/zero");
    tree.link("zero2.iff", "/dev/zero");
    const bool fifo = std::system(("mkfifo " + tree.path("pipe.iff")).c_str()) == 0;
    const std::vector<std::string> folders = {tree.path()};
    std::vector<SizedFile> files = {{0, "real.iff", 6, 0, false},
                                    {0, "link.iff", 6, 0, false},
                                    {0, "grown.iff", 6, 0, false},
                                    {0, "zero1.iff", 4096, 0, false},
                                    {0, "zero2.iff", 4096, 0, false}};
    if (fifo) files.push_back({0, "pipe.iff", 6, 0, false});
    const auto found = findDuplicates(files, folders, '/');
    EXPECT_TRUE(found.groups.empty());
    EXPECT_EQ(found.unreadable.size(), fifo ? 4u : 3u);
    // Cancel is heard while a file is read, not only between files.
    tree.file("big1.iff", 8 << 20);
    tree.file("big2.iff", 8 << 20);
    int asked = 0;
    const auto cancelled =
        findDuplicates({{0, "big1.iff", 8 << 20, 0, false}, {0, "big2.iff", 8 << 20, 0, false}},
                       folders, '/', [&] { return ++asked > 10; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_LT(cancelled.bytesRead, 8u << 20);
}

}  // namespace
}  // namespace brambleton::content
