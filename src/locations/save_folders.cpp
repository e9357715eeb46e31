// SPDX-License-Identifier: MIT
#include "locations/save_folders.h"

#include <algorithm>
#include <system_error>

#include "common/ascii.h"
#include "locations/folder_names.h"
#include "locations/game_finder.h"

namespace fs = std::filesystem;

namespace brambleton {
namespace {

constexpr std::string_view kUserData = "userdata";

// The number after "UserData": 1 for none, so that UserData comes before UserData2.
unsigned long userDataNumber(const std::string& name) {
    const std::string rest = name.substr(kUserData.size());
    return rest.empty() ? 1 : std::stoul(rest);
}

void addUserData(const fs::path& folder, const std::string& where, std::vector<SaveFolder>& out) {
    std::vector<std::string> names;
    for (auto& name : folder_names::startingWith(folder, kUserData)) {
        if (isUserDataName(name) && folder_names::isFolder(folder / name)) names.push_back(name);
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return userDataNumber(a) < userDataNumber(b);
    });
    for (const auto& name : names) {
        const fs::path found = folder / name;
        std::error_code ec;
        const fs::path same = fs::weakly_canonical(found, ec);
        const bool listed = std::any_of(out.begin(), out.end(), [&](const SaveFolder& f) {
            std::error_code ec2;
            return fs::weakly_canonical(f.folder, ec2) == same;
        });
        if (!listed) out.push_back({found, where});
    }
}

// `from` / each of `names` in turn, found without regard to case; nothing when one is
// missing.
std::optional<fs::path> below(fs::path from, std::initializer_list<std::string_view> names) {
    for (const auto name : names) {
        auto next = folder_names::child(from, name);
        if (!next) return std::nullopt;
        from = std::move(*next);
    }
    return from;
}

void addProfile(const fs::path& profile, const std::string& where, std::vector<SaveFolder>& out) {
    if (const auto saves = below(profile, {"Saved Games", "Electronic Arts", "The Sims 25"})) {
        addUserData(*saves, where, out);
    }
}

// The Steam library a copy at `install` (…/steamapps/common/NAME) lies in.
std::optional<fs::path> steamAppsOf(fs::path install) {
    if (install.filename().empty()) install = install.parent_path();  // a trailing separator
    const fs::path common = install.parent_path();
    if (!ascii::equalNoCase(common.filename().string(), "common")) return std::nullopt;
    const fs::path steamapps = common.parent_path();
    if (!ascii::equalNoCase(steamapps.filename().string(), "steamapps")) return std::nullopt;
    return steamapps;
}

}  // namespace

bool isUserDataName(const std::string& name) {
    if (name.size() < kUserData.size() ||
        !ascii::equalNoCase(std::string_view(name).substr(0, kUserData.size()), kUserData)) {
        return false;
    }
    const std::string_view rest = std::string_view(name).substr(kUserData.size());
    return rest.size() <= 6 &&
           std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<SaveFolder> findSaveFolders(const SavesPlaces& places) {
    std::vector<SaveFolder> out;
    if (!places.chosen.empty()) {
        const fs::path chosen = places.chosen;
        const bool itself = isUserDataName(chosen.filename().string()) ||
                            folder_names::child(chosen, "Houses") ||
                            folder_names::child(chosen, "Neighborhood.iff");
        if (itself && folder_names::isFolder(chosen)) {
            out.push_back({chosen, "the folder chosen"});
        } else {
            addUserData(chosen, "the folder chosen", out);
        }
        return out;
    }
    if (!places.install.empty()) addUserData(places.install, "the install folder", out);
    if (!places.profile.empty()) addProfile(places.profile, "the user's profile", out);
    if (!places.prefix.empty()) {
        const auto users = below(places.prefix, {"drive_c", "users"});
        for (const auto& user :
             users ? folder_names::startingWith(*users, "") : std::vector<std::string>{}) {
            if (ascii::equalNoCase(user, "Public")) continue;
            addProfile(*users / user, "Wine prefix " + places.prefix.string(), out);
        }
    }
    if (const auto steamapps = steamAppsOf(places.install)) {
        const fs::path prefix = *steamapps / "compatdata" / kLegacyAppId / "pfx";
        if (const auto user = below(prefix, {"drive_c", "users", "steamuser"})) {
            addProfile(*user, "Proton prefix " + prefix.string(), out);
        }
    }
    return out;
}

}  // namespace brambleton
