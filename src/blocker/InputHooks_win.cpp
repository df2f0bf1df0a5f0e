#include "blocker/InputHooks_win.h"

#include "blocker/BlockingRule.h"
#include "blocker/HookPages_win.h"

namespace quorlin {

QUORLIN_HOOK_DATA BlockerStateRecord BlockerState;

void InstallHooks(HWND window) {
    LockHookPages();
    UninstallHooks();
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

// Both procedures run for every input event of the desktop: a tick read and a few
// comparisons, no allocation, no I/O.
QUORLIN_HOOK_CODE LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_KEYUP)) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (rule::StampsKeyTick(nCode, wParam, info->vkCode)) BlockerState.LastKeyTick = GetTickCount();
    }
    return CallNextHookEx(BlockerState.KeyboardHook, nCode, wParam, lParam);
}

QUORLIN_HOOK_CODE LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (rule::ShouldBlockMouse(nCode, wParam, BlockerState.BlockOtherEvents, GetTickCount(),
                               BlockerState.LastKeyTick, BlockerState.BlockInterval)) {
        PostMessageA(BlockerState.NotifyWindow, WM_BLOCKED_EVENT, wParam, 0);
        return 1;
    }
    return CallNextHookEx(BlockerState.MouseHook, nCode, wParam, lParam);
}

}  // namespace quorlin
