// SPDX-License-Identifier: MIT
#include "actions/plan.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "actions/file_system.h"
#include "common/ascii.h"
#include "common/game_folders.h"

namespace brambleton::actions {
namespace fs = std::filesystem;
using content::ProblemKind;

namespace {

// The parts of a path written with either slash, empty parts left out.
std::vector<std::string> partsOf(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto cut = path.find_first_of("/\\", start);
        const auto end = cut == std::string_view::npos ? path.size() : cut;
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool sameName(std::string_view a, std::string_view b) {
    return ascii::toLower(a) == ascii::toLower(b);
}

std::string lowerPath(const std::string& path) {
    std::string out = ascii::toLower(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

// The order steps are done in: what goes to the trash first (so that nothing moved later
// carries it along), then renames, then moves of files, then sub-folders' content.
int phaseOf(const content::Problem& p) {
    if (p.advice.action == content::Action::Trash) return 0;
    if (p.advice.action == content::Action::Rename) return 1;
    return p.kind == ProblemKind::UnreadSubfolder ? 3 : 2;
}

class Planner {
  public:
    explicit Planner(std::string install) { plan.install = std::move(install); }

    void add(const content::Problem& p) {
        const auto& a = p.advice;
        if (!p.entry.empty()) return;
        switch (a.action) {
            case content::Action::Trash:
                push({StepAction::kTrash,
                      a.from,
                      {},
                      p.kind == ProblemKind::Duplicate ? p.sameAs : std::string(),
                      p.kind});
                break;
            case content::Action::Rename:
                push({StepAction::kRename, a.from, a.to, {}, p.kind});
                break;
            case content::Action::Move:
                if (p.kind == ProblemKind::UnreadSubfolder) {
                    // The sub-folder's content goes up, each name on its own; the folder
                    // itself stays, emptied, where nothing the game reads is lost.
                    auto names = folderNames(hostPath(a.from));
                    std::sort(names.begin(), names.end());
                    for (const auto& name : names) {
                        push({StepAction::kMove, join(a.from, name), join(a.to, name), {}, p.kind});
                    }
                } else {
                    push({StepAction::kMove, a.from, join(a.to, lastPart(a.from)), {}, p.kind});
                }
                break;
            default:
                break;
        }
    }

    // A trash the player chose.
    void addTrash(const std::string& path, ProblemKind kind) {
        push({StepAction::kTrash, path, {}, {}, kind});
    }

    Plan plan;

  private:
    static std::string lastPart(const std::string& path) {
        const auto parts = partsOf(path);
        return parts.empty() ? std::string() : parts.back();
    }
    static std::string join(const std::string& folder, const std::string& name) {
        return hostText(hostPath(folder) / hostPath(name));
    }

    void push(Step step) {
        step.refusal = refusalOf(step);
        if (step.refusal == Refusal::kNone) {
            claimedFrom_.insert(lowerPath(step.from));
            if (!step.to.empty()) claimedTo_.insert(lowerPath(step.to));
        } else if (step.refusal == Refusal::kDoneByStep && isClaimed(step.from, true)) {
            return;  // the very same file, already in the plan: said once
        }
        plan.steps.push_back(std::move(step));
    }

    // Whether an earlier step acts on `path` itself or (unless `exact`) on a folder it lies in.
    bool isClaimed(const std::string& path, bool exact) const {
        const auto lower = lowerPath(path);
        if (claimedFrom_.count(lower) != 0) return true;
        if (exact) return false;
        for (auto cut = lower.rfind('/'); cut != std::string::npos && cut > 0;
             cut = lower.rfind('/', cut - 1)) {
            if (claimedFrom_.count(lower.substr(0, cut)) != 0) return true;
        }
        return false;
    }

    Refusal refusalOf(const Step& step) {
        if (!playersOwn(plan.install, step.from) ||
            (!step.to.empty() && !playersOwn(plan.install, step.to))) {
            return Refusal::kGameOwn;
        }
        if (isClaimed(step.from, false)) return Refusal::kDoneByStep;
        const PathFacts from = pathFacts(hostPath(step.from));
        if (!from.exists) return Refusal::kGone;
        if (from.link) return Refusal::kLink;
        if (!step.keep.empty() &&
            (!pathFacts(hostPath(step.keep)).exists || isClaimed(step.keep, false))) {
            return Refusal::kKeptGone;
        }
        if (step.to.empty()) return Refusal::kNone;
        if (claimedTo_.count(lowerPath(step.to)) != 0) return Refusal::kTakenByStep;
        const fs::path to = hostPath(step.to);
        if (nameTaken(to, hostPath(step.from))) return Refusal::kNameTaken;
        if (deviceFor(to.parent_path()) != from.device) return Refusal::kOtherFileSystem;
        return Refusal::kNone;
    }

    // Whether a name like `to`'s, in any case of letters, lies in its folder (other than
    // `from` itself, which a rename may give another case).
    bool nameTaken(const fs::path& to, const fs::path& from) {
        const std::string folder = hostText(to.parent_path());
        auto found = names_.find(folder);
        if (found == names_.end()) {
            std::set<std::string> lower;
            for (const auto& name : folderNames(to.parent_path()))
                lower.insert(ascii::toLower(name));
            found = names_.emplace(folder, std::move(lower)).first;
        }
        const std::string name = ascii::toLower(hostText(to.filename()));
        if (found->second.count(name) == 0) return false;
        return !(from.parent_path() == to.parent_path() &&
                 sameName(hostText(from.filename()), name));
    }

    std::set<std::string> claimedFrom_;
    std::set<std::string> claimedTo_;
    std::map<std::string, std::set<std::string>> names_;  // folder -> its names, lower case
};

}  // namespace

std::string_view actionName(StepAction action) {
    constexpr std::array<std::string_view, 4> kNames = {"move", "trash", "rename", "write"};
    return kNames[static_cast<std::size_t>(action)];
}

std::string_view refusalText(Refusal refusal) {
    constexpr std::array<std::string_view, 9> kTexts = {
        "",
        "something of that name is already there",
        "an earlier step puts something of that name there",
        "it would have to be copied to another drive",
        "it is a link",
        "it is one of the game's own files",
        "it is no longer there",
        "an earlier step already moves it",
        "the copy to keep is not there",
    };
    return kTexts[static_cast<std::size_t>(refusal)];
}

bool playersOwn(const std::string& install, const std::string& path) {
    const auto top = partsOf(install);
    const auto parts = partsOf(path);
    if (parts.size() <= top.size() ||
        !std::equal(top.begin(), top.end(), parts.begin(),
                    [](const auto& a, const auto& b) { return a == b || sameName(a, b); })) {
        return false;
    }
    for (const auto& row : kGameFolders) {
        std::vector<std::string_view> folder;
        for (const auto part : row.folder) {
            if (!part.empty()) folder.push_back(part);
        }
        if (parts.size() <= top.size() + folder.size() ||
            !std::equal(folder.begin(), folder.end(), parts.begin() + static_cast<long>(top.size()),
                        [](auto a, const auto& b) { return sameName(a, b); })) {
            continue;
        }
        // The game keeps its own floors, walls, skins and roofs in archives beside the
        // players' loose files.
        const bool archive = ascii::toLower(parts.back()).ends_with(".far");
        return row.area == Area::kObjects || !archive;
    }
    return false;
}

Plan planFixes(const content::ContentReport& report) {
    Planner planner(report.install);
    std::vector<const content::Problem*> order;
    for (const auto& p : report.problems) order.push_back(&p);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return phaseOf(*a) < phaseOf(*b); });
    for (const auto* p : order) planner.add(*p);
    return std::move(planner.plan);
}

Plan planTrash(const std::string& install, const std::vector<std::string>& paths,
               ProblemKind kind) {
    Planner planner(install);
    for (const auto& path : paths) planner.addTrash(path, kind);
    return std::move(planner.plan);
}

Plan planChosenTrash(const std::string& install, const std::vector<std::string>& paths) {
    Plan plan = planTrash(install, paths, ProblemKind::Misplaced);
    for (auto& step : plan.steps) step.chosen = true;
    return plan;
}

PlanCounts countSteps(const Plan& plan) {
    PlanCounts counts;
    for (const auto& step : plan.steps) {
        if (step.refusal != Refusal::kNone) continue;
        ++counts.steps;
        if (step.action == StepAction::kTrash) ++counts.trashed;
    }
    return counts;
}

}  // namespace brambleton::actions
