#include "blocker/ForegroundProgram_win.h"

#include <algorithm>

#include "blocker/InputHooks_win.h"

namespace quorlin {

namespace {

// Processes remembered at most; those that have ended go first when it is reached.
constexpr std::size_t kMaxRemembered = 32;

// The taskbar (with its overflow and second-monitor parts) and the desktop: clicking the tray
// icon brings them to the front, and they are not the program a user means to set a rule for.
bool IsShellWindow(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    const std::wstring_view cls(name);
    if (cls == L"Shell_TrayWnd" || cls == L"Shell_SecondaryTrayWnd" || cls == L"NotifyIconOverflowWindow") return true;
    const HWND shell = GetShellWindow();
    return window == GetDesktopWindow() || window == shell ||
           (shell && GetWindowThreadProcessId(window, nullptr) == GetWindowThreadProcessId(shell, nullptr));
}

}  // namespace

std::wstring ProcessNames::NameOf(DWORD processId) {
    for (const Entry& e : entries_)
        if (e.Id == processId) return e.Name;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::vector<wchar_t> path(32768);
    DWORD chars = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &chars)) return {};
    std::wstring name = ProgramName({path.data(), chars});
    if (entries_.size() >= kMaxRemembered) {
        std::erase_if(entries_, [](const Entry& e) {
            DWORD code = 0;
            return !GetExitCodeProcess(e.Process.get(), &code) || code != STILL_ACTIVE;
        });
        if (entries_.size() >= kMaxRemembered) entries_.erase(entries_.begin());
    }
    entries_.push_back({processId, std::move(process), name});
    return name;
}

ForegroundProgram::ForegroundProgram()
    : event_(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnEvent, 0, 0,
                             WINEVENT_OUTOFCONTEXT)) {
    BlockerState.Foreground = this;
    Check();
}

ForegroundProgram::~ForegroundProgram() {
    BlockerState.Foreground = nullptr;
    BlockerState.RulesInUse = false;
}

void ForegroundProgram::SetRules(const ProgramRules& rules) {
    rules_ = rules;
    BlockerState.LongestRuleInterval = LongestRuleInterval(rules_);
    BlockerState.RulesInUse = std::any_of(rules_.begin(), rules_.end(), [](const auto& r) { return ProgramRule::FromStored(r.second).Any(); });
    Check();
}

void ForegroundProgram::Check() {
    const HWND front = GetForegroundWindow();
    if (front != front_) ++changes_;
    front_ = front;
    DWORD processId = 0;
    if (front) GetWindowThreadProcessId(front, &processId);
    const std::wstring name = processId ? names_.NameOf(processId) : std::wstring();
    if (!name.empty() && processId != GetCurrentProcessId() && !IsShellWindow(front)) lastOther_ = name;
    // The rule with its window in one store. Asked-about is reset so that the hooks ask again about
    // any other window.
    BlockerState.Rule.Store(front, FindRule(rules_, name).Code);
    BlockerState.RuleAsked.store(front, std::memory_order_relaxed);
}

void CALLBACK ForegroundProgram::OnEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (!BlockerState.Foreground) return;
    ++BlockerState.Foreground->events_;
    BlockerState.Foreground->Check();
}

}  // namespace quorlin
