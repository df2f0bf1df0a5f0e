#include "MessageBoxWatcher.h"

namespace testsupport {

MessageBoxWatcher::MessageBoxWatcher(std::function<void()> afterClose)
    : afterClose_(std::move(afterClose)), thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<std::wstring> MessageBoxWatcher::Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
}

void MessageBoxWatcher::Watch() {
    while (!stop_) {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(box, &pid);
            if (pid != GetCurrentProcessId() || !IsWindowVisible(box)) continue;
            wchar_t caption[128] = {};
            GetWindowTextW(box, caption, 128);
            std::wstring text;
            EnumChildWindows(box, &CollectStatic, reinterpret_cast<LPARAM>(&text));
            // The box shows the system's error icon.
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                const bool isIcon = (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
                if (isIcon && reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0)) ==
                                  LoadIconW(nullptr, IDI_ERROR))
                    text += L"|error icon";
            }
            {
                std::lock_guard lock(mutex_);
                seen_.push_back(std::wstring(caption) + L"|" + text);
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
            if (afterClose_) afterClose_();
            box = nullptr;
        }
        Sleep(20);
    }
}

BOOL CALLBACK MessageBoxWatcher::CollectStatic(HWND child, LPARAM lp) {
    wchar_t cls[32] = {}, text[256] = {};
    GetClassNameW(child, cls, 32);
    GetWindowTextW(child, text, 256);
    if (lstrcmpiW(cls, L"Static") == 0 && text[0]) *reinterpret_cast<std::wstring*>(lp) += text;
    return TRUE;
}

}  // namespace testsupport
