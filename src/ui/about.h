// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The About group's texts and what its two link buttons open. A packager can set web
// addresses at build time (CMake cache variables of the same names); without them the first
// button opens the user guide installed with the program and the second the licence and
// credits page beside it.
#ifndef BRAMBLETON_HOME_PAGE
#define BRAMBLETON_HOME_PAGE ""
#endif
#ifndef BRAMBLETON_ISSUE_TRACKER
#define BRAMBLETON_ISSUE_TRACKER ""
#endif

namespace brambleton::about {

inline constexpr const char* kHomePage = BRAMBLETON_HOME_PAGE;
inline constexpr const char* kIssueTracker = BRAMBLETON_ISSUE_TRACKER;

inline constexpr const char* kLeadIn = "Made by";              // Label8
inline constexpr const char* kAuthor = "the Brambleton team";  // Label7
inline constexpr const char* kRights = "Free software, MIT";   // Label1

// The pages installed with the program.
inline constexpr const char* kUserGuideFile = "user-guide.html";
inline constexpr const char* kLicenceFile = "licence.html";

// One link button: its caption, the address it opens (empty when there is nothing to open)
// and the label below that names it: a web address's host, or the page's file name.
struct Link {
    QString caption;
    QString address;
    QString label;
};

// The first (Command2) and second (Command4) link buttons of a program run from
// `programFolder`.
Link firstLink(const QString& programFolder);
Link secondLink(const QString& programFolder);

// The page `file` installed with a program in `programFolder`: beside it (a build folder, an
// unpacked Windows zip), or in share/brambleton beside its bin folder (an installed
// package). Empty when neither holds it.
QString installedPage(const QString& programFolder, const QString& file);

}  // namespace brambleton::about
