#include "ui/features/Blocker_win.h"

#include "base/Messages.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "shortcuts/ShortcutText_win.h"

namespace quorlin {

Blocker::Blocker(FeatureHost& host, std::function<void()> countChanged)
    : Feature(host), countChanged_(std::move(countChanged)) {
    // The hooks report to the window; it is created once and lives as long as the program.
    BlockerState.NotifyWindow = host.window;
    BlockerState.LastKey.Store(std::nullopt);
}

Blocker::~Blocker() { EndHookThread(); }

void Blocker::AddMenuItems(TrayMenu& menu) {
    item_ = &menu.root.Add(LoadResString(IDS_MI_BLOCKER));
    item_->OnClick = [this] { Toggle(Feedback::Quiet); };
}

void Blocker::Apply() {
    BlockerState.BlockInterval = static_cast<std::uint32_t>(Settings().Delay);
    BlockerState.BlockOtherEvents = Settings().BlockEvents;
    ApplyHooks();
}

void Blocker::Settled() {
    // Again once start-up has settled: a system that dropped the hooks during a slow start gets
    // them back now rather than at the first minutes tick.
    ApplyHooks();
}

void Blocker::Refresh() {
    item_->Checked = Settings().BlockerEnabled;
    item_->ShortCutText = Model().BlockerShortcutShown() ? ShortcutMenuText(Settings().BlockerShortcut) : L"";
}

void Blocker::Switch(bool on, Feedback feedback) {
    if (on == Settings().BlockerEnabled) return;
    Settings().BlockerEnabled = on;
    ApplyHooks();
    host_.refresh();
    if (feedback == Feedback::Shown) host_.feedback(StatusKind::Blocker);
    TrimWorkingSet();
}

void Blocker::SetInterval(std::uint32_t milliseconds) {
    Settings().Delay = static_cast<std::int32_t>(milliseconds);
    BlockerState.BlockInterval = milliseconds;
}

void Blocker::SetBlockEvents(bool on) {
    Settings().BlockEvents = on;
    BlockerState.BlockOtherEvents = on;
}

void Blocker::ApplyHooks() {
    if (!Settings().BlockerEnabled) {
        UninstallHooks();
        return;
    }
    // The hooks run on a thread of their own that pumps its own messages, so they can go in before
    // the message loop runs: in place before the tray icon shows, not a moment after.
    InstallHooks(host_.window);
}

void Blocker::MinutesTick() {
    if (!Settings().BlockerEnabled) return;
    // Puts the hooks back should the system have dropped them (the new ones before the old go).
    InstallHooks(host_.window);
}

bool Blocker::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    result = 0;
    if (msg == WM_SWALLOWED) return true;
    if (msg != WM_BLOCKED_EVENT) return false;
    // Only presses count; swallowed double clicks, moves and wheel turns do not.
    if (rule::IsCountedPress(wp)) {
        ++Settings().BlockCount;
        if (Settings().BeepOnClick) MessageBeep(0);
        countChanged_();
    }
    return true;
}

}  // namespace quorlin
