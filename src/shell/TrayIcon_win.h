// The program's icon in the notification area, around one NOTIFYICONDATAW record (Vista and
// later): adds, changes and removes the icon, shows balloons, turns the shell's mouse
// notifications into the few events the program wires, and comes back when the taskbar is
// re-created.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "base/Messages.h"
#include "base/Unique_win.h"
#include "shell/Window_win.h"

namespace quorlin {

class TTrayIcon : private TWindow {
public:
    // owner: the window brought to the front on every button release (so that a menu closes
    // when the user clicks elsewhere).
    explicit TTrayIcon(HWND owner);
    ~TTrayIcon() override;

    // The hidden window that receives the shell's notifications.
    HWND WindowHandle() const { return Handle(); }

    const std::wstring& Hint() const { return hint_; }
    // Sent only when it differs from the tip the shell has.
    void SetHint(const std::wstring& text);
    // Copies the image (the caller keeps its own) and sends it.
    void SetIcon(HICON icon);
    HICON Icon() const { return icon_.get(); }
    // What is wanted, not what the shell holds: stays true after a failed add, which is then
    // tried again every few seconds.
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Sends image and tip again; when the shell has lost the icon that is wanted, adds it again.
    bool UpdateIcon();
    // A balloon with the information icon, or the warning icon; an empty text takes a showing
    // balloon away. False while the shell does not hold the icon.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text, UINT timeoutMs, bool warning = false);

    // A button went down on the icon, before the program takes the foreground for a menu.
    std::function<void()> OnPressed;
    // A left click (button down and up); the second click of a double click raises none.
    std::function<void()> OnClick;
    std::function<void()> OnDoubleClick;
    // The right button came up: open the menu at the point (returns once it has closed).
    std::function<void(POINT)> OnMenu;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void HandleNotification(UINT code);
    // NIM_ADD, NIM_MODIFY or NIM_DELETE with image and tip.
    bool Notify(DWORD command);
    void Add();

    HWND owner_;
    NOTIFYICONDATAW data_{};
    UniqueIcon icon_;
    std::wstring hint_;
    bool visible_ = false;
    bool clicked_ = false;
};

}  // namespace quorlin
