// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/plan.h"
#include "content/formats/archive_reader.h"

namespace brambleton::actions {

// What becomes of one file of a download.
enum class InstallVerdict : std::uint8_t {
    kInstall,  // written where the game reads its kind
    kSkip,     // nothing to do: already there, or not a kind the game loads (a read-me...)
    kClash,    // something installed stands in its way; the player chooses
    kRefuse,   // never written: a hostile name, a link, bytes that are not what the name says
};

// "install", "skip", "clash", "refuse".
std::string_view verdictName(InstallVerdict verdict);

// An object of the download whose object ID something installed already has.
struct ObjectClash {
    std::uint32_t guid = 0;
    std::string name;       // the download's object's catalogue name (or file name)
    std::string otherName;  // the installed object's
    std::string otherPath;  // where it lies, a host path (with " » entry" inside an archive)
    bool gameOwn = false;   // one of the game's own objects
    // The two objects' catalogue pictures (BMP bytes), where they have them.
    std::optional<std::string> picture;
    std::optional<std::string> otherPicture;
};

// One file of a download and what becomes of it.
struct InstallItem {
    std::string source;  // the archive or folder given, a host path
    std::string entry;   // the file inside it as a player reads it ("inner.zip » a/b.iff")
    std::string to;      // a host path where it goes; empty when it goes nowhere
    InstallVerdict verdict = InstallVerdict::kSkip;
    std::string why;  // what it is ("an object"), and for the rest why it is not installed
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    std::vector<ObjectClash> clashes;
    std::vector<std::uint32_t> guids;  // an object file's object IDs
    std::vector<std::string> lots;     // the saved lots that place one of them
};

// A download that could not be read, and why.
struct InstallFailure {
    std::string source;
    content::ArchiveFailure failure;
};

struct InstallPlan {
    std::string install;  // the game's folder
    std::vector<InstallItem> items;
    std::vector<InstallFailure> unreadable;
    bool hasClash() const;
    std::size_t count(InstallVerdict verdict) const;
};

// What is already installed, to find clashes with: every object's ID (the game's own and the
// player's) with its name and place.
struct Installed {
    struct Object {
        std::string name;
        std::string path;   // as a player reads it: the archive " » " its entry
        std::string file;   // the file, a host path
        std::string entry;  // the entry inside it; empty for a loose file
        bool gameOwn = false;
    };
    std::map<std::uint32_t, Object> objects;
    std::int64_t unreadable = 0;  // files that could not be read, so their IDs are unknown
    // The saved lots that place each object ID, by their names ("Lot 12, the Newbies").
    std::map<std::uint32_t, std::vector<std::string>> lots;
    // The loose content files, by their sizes: where the same bytes may be installed already.
    std::multimap<std::uint64_t, std::string> files;
};

// Reads the catalogue of the game's folder at `install` for the objects installed, and the
// lots of the UserData folders `saves` for the objects they place.
Installed readInstalled(const std::string& install,
                        const std::vector<std::filesystem::path>& saves = {},
                        const std::function<bool()>& cancelled = {});

// Plans the install of each of `sources` (archives, or loose folders) into the game's folder:
// each file goes where the game reads its kind, and everything that stands in the way is
// said. Reads the downloads and the game's folders; changes nothing.
InstallPlan planInstall(const std::string& install, const std::vector<std::string>& sources,
                        const Installed& installed, const content::ArchiveLimits& limits = {});

// The write steps of the plan's files to install, in the order the downloads hold them.
Plan installSteps(const InstallPlan& plan);

// Adds to `plan` the install of each archive the check found still packed in the game's
// folders, each followed by the archive's move to the trash, so that one change does both.
// An archive with a clash, or that cannot be read, is left as it is, and said in `left`.
void addPackedInstalls(const content::ContentReport& report, const Installed& installed, Plan& plan,
                       std::vector<std::string>& left);

// The bytes of the write steps of `installSteps`, reading each download again in order:
// give its contents() as the change's hook.
class DownloadBytes {
  public:
    explicit DownloadBytes(content::ArchiveLimits limits = {});
    ~DownloadBytes();
    DownloadBytes(const DownloadBytes&) = delete;
    DownloadBytes& operator=(const DownloadBytes&) = delete;
    std::optional<std::string> contents(const Step& step, std::string& why);

  private:
    content::ArchiveLimits limits_;
    std::string source_;
    std::unique_ptr<content::ArchiveCursor> cursor_;
    std::pair<std::string, bool> folderSource_;  // the last download asked of, and whether a folder
};

// The words a player reads of an archive's failure: "is protected by a password", "is part 2
// of a split archive", "could not be read: ...", "is larger than ...".
std::string failureText(const content::ArchiveFailure& failure);

// The words of a refused name.
std::string_view nameFaultText(content::NameFault fault);

}  // namespace brambleton::actions
