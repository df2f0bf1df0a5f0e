#include "shell/OneInstance.h"

#include <algorithm>

namespace quorlin {

std::wstring OneInstanceUserPrefix(TOneInstancePerformCheckingType scope, std::wstring_view userName) {
    if (scope != pcForCurrentUserOnly) return {};
    return std::wstring(userName) + L".";
}

OneInstanceNames MakeOneInstanceNames(std::wstring_view userPrefix, std::wstring_view title,
                                      std::wstring_view identifier) {
    std::wstring base;
    base.reserve(userPrefix.size() + title.size() + identifier.size() + 13);
    base.append(userPrefix).append(title).append(identifier).append(L".OneInstance.");
    std::replace(base.begin(), base.end(), L'\\', L'/');
    return {base + L"CriticalSection", base + L"Default"};
}

}  // namespace quorlin
