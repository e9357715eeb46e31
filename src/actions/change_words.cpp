// SPDX-License-Identifier: MIT
#include "actions/change_words.h"

#include <array>
#include <set>

#include "content/file_names.h"
#include "content/report_files.h"

namespace brambleton::actions {

namespace {

using content::jsonString;

std::string below(const std::string& path, const std::string& install) {
    return content::pathBelow(path, install);
}

std::string parentText(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string nameText(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string whyJson(const std::string& why) {
    return why.empty() ? "null" : jsonString(why);
}

constexpr std::array<std::string_view, 5> kJournalActions = {"move", "trash", "rename", "mkdir",
                                                             "write"};

std::string plural(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

std::string stepText(const Step& step, const std::string& install) {
    const std::string from = below(step.from, install);
    switch (step.action) {
        case StepAction::kTrash:
            if (step.kind == content::ProblemKind::Duplicate) {
                return "Move " + from + " to the trash, keeping its copy " +
                       below(step.keep, install) + ".";
            }
            if (step.kind == content::ProblemKind::PackedArchive) {
                return "Move " + from + " to the trash, once its files are installed.";
            }
            if (step.chosen) return "Move " + from + " to the trash.";
            if (step.kind == content::ProblemKind::GuidConflict) {
                return "Move " + from + " to the trash, leaving the other object of its ID.";
            }
            return "Move " + from + " to the trash" +
                   (step.kind == content::ProblemKind::EmptyFile ? ": it is empty."
                                                                 : ": the game cannot read it.");
        case StepAction::kRename:
            return "Rename " + from + " to " + nameText(step.to) + ".";
        case StepAction::kWrite:
            return "Install " + nameText(step.from) + " \xC2\xBB " + step.entry + " as " +
                   below(step.to, install) + ".";
        default:
            return "Move " + from +
                   (step.kind == content::ProblemKind::UnreadSubfolder ? " up" : "") + " to " +
                   below(parentText(step.to), install) + ".";
    }
}

std::string journalStepText(const JournalStep& step, const std::string& install) {
    switch (step.action) {
        case JournalAction::kMakeFolder:
            return "Make the folder " + below(step.to, install) + ".";
        case JournalAction::kTrash:
            return "Move " + below(step.from, install) + " to the trash.";
        case JournalAction::kRename:
            return "Rename " + below(step.from, install) + " to " + nameText(step.to) + ".";
        case JournalAction::kWrite:
            return "Install " + step.from + " as " + below(step.to, install) + ".";
        default:
            return "Move " + below(step.from, install) + " to " +
                   below(parentText(step.to), install) + ".";
    }
}

std::string changeLabel(const Plan& plan) {
    std::array<std::size_t, 4> counts{};
    for (const auto& step : plan.steps) {
        if (step.refusal == Refusal::kNone) ++counts[static_cast<std::size_t>(step.action)];
    }
    std::string out = "Put it right:";
    const auto add = [&](std::size_t n, std::string_view one, std::string_view many) {
        if (n == 0) return;
        out += (out.back() == ':' ? " " : ", ") + plural(n, one, many);
    };
    add(counts[0], "move", "moves");
    add(counts[1], "to the trash", "to the trash");
    add(counts[2], "rename", "renames");
    add(counts[3], "file installed", "files installed");
    return out;
}

std::string planSummary(const PlanCounts& ticked, std::size_t refused) {
    std::string text = "Nothing is ticked.";
    if (ticked.steps > 0) {
        text = plural(ticked.steps, "step", "steps") + " ticked; " +
               plural(ticked.trashed, "file goes", "files go") + " to the desktop's trash" +
               (ticked.trashed == 0   ? "."
                : ticked.trashed == 1 ? ", where it can be restored."
                                      : ", where they can be restored.");
    }
    if (refused > 0) {
        text += " " + plural(refused, "step cannot", "steps cannot") + " be done safely and " +
                (refused == 1 ? "is" : "are") + " left out.";
    }
    return text + " Nothing is replaced, and Content > Undo last change takes it all back.";
}

std::string confirmText(const PlanCounts& ticked) {
    return "Carry out " + plural(ticked.steps, "step", "steps") + "? " +
           plural(ticked.trashed, "file goes", "files go") +
           " to the desktop's trash. Content > Undo last change takes it all back.";
}

std::string outcomeText(const ChangeOutcome& outcome, std::string_view undo) {
    const std::size_t done = outcome.doneCount();
    const std::size_t all = outcome.steps.size();
    std::string text = std::to_string(done) + " of " + plural(all, "step", "steps") + " done.";
    if (outcome.game) {
        text += " The game started (" + *outcome.game + "): the steps after it were not done.";
    } else if (outcome.cancelled) {
        text += " It was stopped: the steps after it were not done.";
    } else if (done < all) {
        text += " The steps not done are named, with why.";
    }
    if (done > 0) text += " " + std::string(undo) + " takes them back.";
    return text;
}

std::string changeTitle(const Change& change) {
    return change.label + " (" + change.when + ")";
}

std::string planJson(const Plan& plan) {
    std::string out = "{\"actions\":[";
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const auto& step = plan.steps[i];
        out += (i ? ",\n" : "\n") + std::string("{\"action\":") +
               jsonString(actionName(step.action)) +
               ",\"from\":" + content::pathFromGameJson(step.from, plan.install) +
               ",\"to\":" + content::pathFromGameJson(step.to, plan.install) +
               ",\"kind\":" + jsonString(content::kindName(step.kind)) +
               ",\"why\":" + whyJson(std::string(refusalText(step.refusal))) + "}";
    }
    return out + "]}\n";
}

std::string outcomeJson(const ChangeOutcome& outcome, const std::string& install) {
    std::string out = "{\"change\":" + whyJson(outcome.id) +
                      ",\"game\":" + whyJson(outcome.game.value_or("")) + ",\"actions\":[";
    for (std::size_t i = 0; i < outcome.steps.size(); ++i) {
        const auto& s = outcome.steps[i];
        out += (i ? ",\n" : "\n") + std::string("{\"action\":") +
               jsonString(actionName(s.step.action)) +
               ",\"from\":" + content::pathFromGameJson(s.step.from, install) +
               ",\"to\":" + content::pathFromGameJson(s.step.to, install) +
               ",\"kind\":" + jsonString(content::kindName(s.step.kind)) +
               ",\"done\":" + (s.done ? "true" : "false") + ",\"why\":" + whyJson(s.why) + "}";
    }
    return out + "]}\n";
}

namespace {

// Paths from the game's folder `install`; a place in the trash as it is.
std::string journalStepJson(const JournalStep& step, const std::string& install) {
    return "{\"action\":" + jsonString(kJournalActions[static_cast<std::size_t>(step.action)]) +
           ",\"from\":" + content::pathFromGameJson(step.from, install) +
           ",\"to\":" + content::pathFromGameJson(step.to, install) +
           ",\"done\":" + (step.done ? "true" : "false") +
           ",\"undone\":" + (step.undone ? "true" : "false") + ",\"why\":" + whyJson(step.kept) +
           "}";
}

}  // namespace

std::string undoJson(const UndoOutcome& outcome) {
    std::string out = "{\"change\":" + whyJson(outcome.id) +
                      ",\"label\":" + whyJson(outcome.label) +
                      ",\"game\":" + whyJson(outcome.game.value_or("")) +
                      ",\"nothing\":" + (outcome.nothing ? "true" : "false") + ",\"steps\":[";
    for (std::size_t i = 0; i < outcome.steps.size(); ++i) {
        out += (i ? "," : "") + journalStepJson(outcome.steps[i], outcome.install);
    }
    return out + "]}\n";
}

std::string stateName(const Change& change) {
    if (change.undoFinished) {
        for (const auto& step : change.steps) {
            if (!step.kept.empty()) return "partly undone";
        }
        return "undone";
    }
    if (change.unfinished()) return "unfinished";
    return change.undoBegun ? "partly undone" : "done";
}

std::string historyJson(const std::vector<Change>& changes) {
    std::string out = "{\"changes\":[";
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const auto& c = changes[i];
        out += (i ? ",\n" : "\n") + std::string("{\"id\":") + jsonString(c.id) +
               ",\"when\":" + jsonString(c.when) + ",\"install\":" + jsonString(c.install) +
               ",\"label\":" + jsonString(c.label) + ",\"state\":" + jsonString(stateName(c)) +
               ",\"steps\":[";
        for (std::size_t j = 0; j < c.steps.size(); ++j)
            out += (j ? "," : "") + journalStepJson(c.steps[j], c.install);
        out += "]}";
    }
    return out + "]}\n";
}

std::string installJson(const InstallPlan& plan) {
    std::string out = "{\"files\":[";
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const auto& item = plan.items[i];
        out += (i ? ",\n" : "\n") + std::string("{\"source\":") + jsonString(item.source) +
               ",\"entry\":" + jsonString(item.entry) +
               ",\"to\":" + content::pathFromGameJson(item.to, plan.install) +
               ",\"verdict\":" + jsonString(verdictName(item.verdict)) +
               ",\"why\":" + whyJson(item.verdict == InstallVerdict::kInstall ? "" : item.why) +
               ",\"what\":" + jsonString(item.verdict == InstallVerdict::kInstall ? item.why : "") +
               ",\"clashes\":[";
        for (std::size_t k = 0; k < item.clashes.size(); ++k) {
            const auto& clash = item.clashes[k];
            out += (k ? "," : "") + std::string("{\"guid\":") + std::to_string(clash.guid) +
                   ",\"name\":" + jsonString(clash.name) +
                   ",\"other_name\":" + jsonString(clash.otherName) +
                   ",\"other_path\":" + content::pathFromGameJson(clash.otherPath, plan.install) +
                   ",\"game_own\":" + (clash.gameOwn ? "true" : "false") + "}";
        }
        out += "]}";
    }
    out += "],\"unreadable\":[";
    for (std::size_t i = 0; i < plan.unreadable.size(); ++i) {
        const auto& failed = plan.unreadable[i];
        out += (i ? "," : "") + std::string("{\"source\":") + jsonString(failed.source) +
               ",\"why\":" + jsonString(failureText(failed.failure)) + "}";
    }
    return out + "]}\n";
}

std::string installItemText(const InstallItem& item, const std::string& install) {
    const std::string file = nameText(item.source) + " \xC2\xBB " + item.entry;
    switch (item.verdict) {
        case InstallVerdict::kInstall:
            return "Install " + file + " (" + item.why + ") as " + below(item.to, install) + ".";
        case InstallVerdict::kClash:
            return "Clash: " + file + (item.to.empty() ? "" : " for " + below(item.to, install)) +
                   ": " + item.why + ".";
        case InstallVerdict::kRefuse:
            return "Refused: " + file + ": " + item.why + ".";
        default:
            return "Skipped: " + file + ": " + item.why + ".";
    }
}

std::string installOutcomeText(const ChangeOutcome& outcome, const std::string& install,
                               std::string_view undo) {
    std::vector<std::pair<std::string, std::size_t>> folders;  // in the order first written
    std::size_t done = 0;
    for (const auto& s : outcome.steps) {
        if (!s.done || s.step.action != StepAction::kWrite) continue;
        ++done;
        const std::string folder = below(parentText(s.step.to), install);
        auto found = std::find_if(folders.begin(), folders.end(),
                                  [&](const auto& f) { return f.first == folder; });
        if (found == folders.end()) {
            folders.emplace_back(folder, 1);
        } else {
            ++found->second;
        }
    }
    const std::size_t all = static_cast<std::size_t>(
        std::count_if(outcome.steps.begin(), outcome.steps.end(),
                      [](const auto& s) { return s.step.action == StepAction::kWrite; }));
    std::string text =
        done == all ? plural(done, "file", "files") + " installed"
                    : std::to_string(done) + " of " + plural(all, "file", "files") + " installed";
    for (std::size_t i = 0; i < folders.size(); ++i) {
        text +=
            (i == 0 ? ": " : ", ") + std::to_string(folders[i].second) + " in " + folders[i].first;
    }
    text += ".";
    if (outcome.game) {
        text += " The game started (" + *outcome.game + "): nothing more was installed.";
    } else if (outcome.cancelled) {
        text += " It was stopped: the files after it were not installed.";
    } else if (done < all) {
        text += " The files not installed are named, with why.";
    }
    if (done > 0) text += " " + std::string(undo) + " takes the install back.";
    return text;
}

std::string installLabel(const InstallPlan& plan) {
    std::string names;
    std::set<std::string> seen;
    for (const auto& item : plan.items) {
        if (item.verdict != InstallVerdict::kInstall || !seen.insert(item.source).second) continue;
        names += (names.empty() ? "" : ", ") + nameText(item.source);
    }
    return "Install " + names;
}

}  // namespace brambleton::actions
