#pragma once

// The About group's texts and the two link buttons' addresses: the project's own. Each can be
// replaced at build time (CMake cache variables of the same names).
#ifndef BRAMBLETON_HOME_PAGE
#define BRAMBLETON_HOME_PAGE "https://example.org/brambleton/"
#endif
#ifndef BRAMBLETON_ISSUE_TRACKER
#define BRAMBLETON_ISSUE_TRACKER "https://example.org/brambleton/issues"
#endif

namespace brambleton::about {

inline constexpr const char* kHomePage = BRAMBLETON_HOME_PAGE;
inline constexpr const char* kIssueTracker = BRAMBLETON_ISSUE_TRACKER;

inline constexpr const char* kFirstSiteName = "Brambleton";     // Command2
inline constexpr const char* kSecondSiteName = "Report a bug";  // Command4
inline constexpr const char* kLeadIn = "Made by";               // Label8
inline constexpr const char* kAuthor = "the Brambleton team";   // Label7
inline constexpr const char* kRights = "Free software";         // Label1

}  // namespace brambleton::about
