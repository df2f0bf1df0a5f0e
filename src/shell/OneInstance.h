// Names of the two mutexes by which instances of the program find each other.
#pragma once
#include <string>
#include <string_view>

namespace quorlin {

// Scope of the single-instance check.
enum TOneInstancePerformCheckingType : int {
    pcGlobal = 0,              // one instance per namespace of named kernel objects
    pcForCurrentUserOnly = 1,  // one instance per user name
};

struct OneInstanceNames {
    std::wstring criticalSection;  // held only while one check runs
    std::wstring instance;         // owned by the running instance for its whole life
};

// The user prefix: empty for pcGlobal; otherwise the logon name and "." (just "." when the name
// could not be read, which the caller passes as an empty name).
std::wstring OneInstanceUserPrefix(TOneInstancePerformCheckingType scope, std::wstring_view userName);

// prefix + title + identifier + ".OneInstance." with every backslash turned into a slash (a
// backslash would name a kernel-object namespace), then "CriticalSection" or "Default".
OneInstanceNames MakeOneInstanceNames(std::wstring_view userPrefix, std::wstring_view title,
                                      std::wstring_view identifier);

}  // namespace quorlin
