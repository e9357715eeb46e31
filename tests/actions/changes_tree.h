// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "actions/changes.h"
#include "actions/file_system.h"
#include "temp_tree.h"

namespace brambleton::actions {

// An install under `tree`/Game with one problem of each kind a plan acts on, and the
// game's own files beside them; returns the install folder.
inline std::filesystem::path plantProblems(const testing::TempTree& tree) {
    tree.text("Game/GameData/Behavior.iff", "the game's own");
    tree.text("Game/GameData/Floors/Floors.far", "the game's own floors");
    tree.text("Game/Downloads/Set/b1.skn", "mesh");
    tree.file("Game/Downloads/empty.iff", 0);
    tree.text("Game/Downloads/a/set.far", "archive");
    tree.text("Game/Downloads/b/set.far", "archive");
    tree.text("Game/Downloads/set.iff", "FAR!byAZ");
    tree.text("Game/GameData/Roofs/Slate/a.bmp", "roof a");
    tree.text("Game/GameData/Roofs/Slate/c.bmp", "roof c");
    return tree.root() / "Game";
}

// The advice a check gives on plantProblems' tree.
inline content::ContentReport reportOf(const testing::TempTree& tree) {
    using content::Action;
    using content::ProblemKind;
    const auto at = [&](const char* rel) {
        return hostText((tree.root() / "Game" / rel).make_preferred());
    };
    content::ContentReport report;
    report.install = at("");
    report.install.pop_back();
    const auto add = [&](ProblemKind kind, Action action, const char* from, const char* to,
                         const char* keep = "") {
        content::Problem p;
        p.kind = kind;
        p.path = at(from);
        if (*keep) p.sameAs = at(keep);
        p.advice = {action, p.path, *to ? at(to) : std::string()};
        report.problems.push_back(p);
    };
    add(ProblemKind::UnreadSubfolder, Action::Move, "GameData/Roofs/Slate", "GameData/Roofs");
    add(ProblemKind::Misplaced, Action::Move, "Downloads/Set/b1.skn", "GameData/Skins");
    add(ProblemKind::EmptyFile, Action::Trash, "Downloads/empty.iff", "");
    add(ProblemKind::BadFile, Action::Rename, "Downloads/set.iff", "Downloads/set.far");
    add(ProblemKind::Duplicate, Action::Trash, "Downloads/b/set.far", "", "Downloads/a/set.far");
    return report;
}

// Every file and folder below `folder`, with each file's bytes.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        const auto rel = e.path().lexically_relative(folder).generic_string();
        if (e.is_directory()) {
            out[rel + "/"] = "";
        } else {
            std::ifstream in(e.path(), std::ios::binary);
            out[rel] = std::string((std::istreambuf_iterator<char>(in)), {});
        }
    }
    return out;
}

// The journal and trash of a test: both in `tree`, on the install's filesystem.
inline WritePlaces placesIn(const testing::TempTree& tree) {
    return {tree.root() / "data" / "brambleton", {tree.root() / "data"}};
}

}  // namespace brambleton::actions
