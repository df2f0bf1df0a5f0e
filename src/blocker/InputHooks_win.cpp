#include "blocker/InputHooks_win.h"

#include "blocker/BlockingRule.h"
#include "blocker/HookPages_win.h"
#include "base/OwnInput.h"

namespace quorlin {

QUORLIN_HOOK_DATA BlockerStateRecord BlockerState;

namespace {

// Releases the hook never saw (while it was out, or on another desktop) would leave keys held for
// good; the system's own view of the keyboard settles them.
void ForgetReleasedKeys() {
    for (std::uint32_t vk = 1; vk < 256; ++vk)
        if (BlockerState.Keys.Down.Has(vk) && GetAsyncKeyState(static_cast<int>(vk)) >= 0)
            rule::ForgetKey(BlockerState.Keys, vk);
}

}  // namespace

void InstallHooks(HWND window) {
    LockHookPages();
    UninstallHooks();
    ForgetReleasedKeys();
    BlockerState.NotifyWindow = window;
    const HINSTANCE module = GetModuleHandleW(nullptr);
    // A failed installation leaves a null handle; the minutes timer tries again later.
    BlockerState.KeyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, module, 0);
    BlockerState.MouseHook = SetWindowsHookExA(WH_MOUSE_LL, MouseHookProc, module, 0);
}

void UninstallHooks() {
    // Cleared after unhooking, so a repeated call can never hit a handle value the system reused.
    if (BlockerState.MouseHook) UnhookWindowsHookEx(BlockerState.MouseHook);
    if (BlockerState.KeyboardHook) UnhookWindowsHookEx(BlockerState.KeyboardHook);
    BlockerState.MouseHook = nullptr;
    BlockerState.KeyboardHook = nullptr;
}

// Both procedures run for every input event of the desktop: a tick read, a few comparisons and
// bit operations, no allocation, no I/O.
QUORLIN_HOOK_CODE LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    // The program's own keys (the touchpad combination) are no typing, not even held keys.
    if (nCode == HC_ACTION && !IsOwnInput(info->dwExtraInfo)) {
        if (rule::KeyStartsInterval(BlockerState.Keys, nCode, wParam, info->vkCode, (info->flags & LLKHF_EXTENDED) != 0,
                                    BlockerState.Smart, BlockerState.FullScreenPause))
            BlockerState.LastKeyTick = GetTickCount();
    }
    return CallNextHookEx(BlockerState.KeyboardHook, nCode, wParam, lParam);
}

QUORLIN_HOOK_CODE LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (rule::ShouldBlockMouse(nCode, wParam, BlockerState.BlockOtherEvents, GetTickCount(),
                               BlockerState.LastKeyTick, BlockerState.BlockInterval, BlockerState.FullScreenPause)) {
        PostMessageA(BlockerState.NotifyWindow, WM_BLOCKED_EVENT, wParam, 0);
        return 1;
    }
    return CallNextHookEx(BlockerState.MouseHook, nCode, wParam, lParam);
}

}  // namespace quorlin
