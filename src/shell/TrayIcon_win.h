// The program's icon in the notification area: adds, changes and removes it, turns the shell's
// notifications into events, opens the popup menu, shows balloons, comes back when the taskbar
// is re-created and can hide the application into the tray when it is minimised.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/Keys.h"
#include "base/Unique_win.h"
#include "shell/Component.h"
#include "shell/NotifyIconData.h"
#include "shell/PopupMenu_win.h"
#include "shell/Window_win.h"

namespace quorlin {

class ETrayIcon : public EComponentError {
public:
    using EComponentError::EComponentError;
};

// The callback message the shell sends to the tray icon's window.
inline constexpr UINT WM_TRAY_CALLBACK = WM_USER + 211;
// The message the shell broadcasts when the taskbar has been (re-)created.
extern const UINT WM_TASKBAR_CREATED;

// shell32.dll's file version as major << 16 | minor; 0 while it cannot be read. The first
// non-zero answer is kept for the life of the process.
DWORD ShellVersion();

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

class TTrayIcon : public TComponentBase, private TWindow {
public:
    explicit TTrayIcon(TComponentOwner& owner, std::wstring name = L"TrayIcon");
    ~TTrayIcon() override;

    const std::wstring& Name() const { return name_; }
    // The hidden window that receives the shell's notifications.
    HWND WindowHandle() const { return Handle(); }
    UINT IconID() const { return iconId_; }

    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& text);
    HICON Icon() const { return icon_.get(); }
    // Copies the image (the caller keeps its own) and sends it to the shell.
    void SetIcon(HICON icon);
    // What is wanted, not what the shell holds: stays true after a failed add, which is then
    // tried again every few seconds.
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    // Texts of the errors raised when the record cannot be built; "%s" stands for the name.
    std::wstring InsertFailedText = L"%s.InsertToTray failed";
    std::wstring DeleteFailedText = L"%s.DeleteFromTray failed";

    bool MinimizeToTray = false;
    bool MinimizeOnStart = false;
    bool ShowHint = true;
    bool InfoNoSound = false;

    const std::wstring& InfoTitle() const { return infoTitle_; }
    void SetInfoTitle(const std::wstring& text) { infoTitle_ = text; }
    const std::wstring& InfoText() const { return infoText_; }
    void SetInfoText(const std::wstring& text) { infoText_ = text; }
    std::int32_t InfoTimeout() const { return infoTimeout_; }
    void SetInfoTimeout(std::int32_t ms) { infoTimeout_ = ms; }
    TTrayIconInfoType InfoType() const { return infoType_; }
    void SetInfoType(TTrayIconInfoType type) { infoType_ = type; }

    // Sends image and tip again (modify); when the shell has lost the icon that is wanted, adds it
    // again, and goes on trying every few seconds until the add takes.
    virtual bool UpdateIcon();
    virtual bool ShowBalloonTip(TTrayIconInfoType kind, const std::wstring& title, const std::wstring& text);
    // With an empty InfoText this removes a balloon that is showing.
    virtual bool ShowInfoBalloon();

    void Loaded() override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPopupMenu;
    // A button went down on the icon; raised before the program takes the foreground for a menu.
    TNotifyEvent OnMouseDown;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    virtual bool NotifyShell(DWORD command);
    virtual bool PrepareIconData();
    virtual LRESULT AppWndProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual void ShowIcon();
    virtual void HideIcon();
    virtual void PopupAtCursor();
    virtual void RestoreApplication();
    virtual void MinimizeApplication();

    bool InsertToTray();
    bool DeleteFromTray();
    void HookApplicationWindow();
    void UnhookApplicationWindow();

    virtual void DoMouseMove(std::uint8_t shift, int x, int y);
    virtual void DoMouseDown(TMouseButton button, std::uint8_t shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, std::uint8_t shift, int x, int y);
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMinimize();

    // The owner's window when the owner is a form; null otherwise.
    HWND OwnerWindow() const;
    // The record as last prepared (null before the first PrepareIconData).
    const NotifyIconData* IconData() const { return data_ ? &*data_ : nullptr; }

private:
    static LRESULT CALLBACK StaticAppProc(HWND, UINT, WPARAM, LPARAM);
    bool Designing() const;
    void HandleNotification(UINT code);
    // Removes and adds the icon for a new taskbar, without the side effects of hiding.
    void ReAdd();
    bool PrepareAndNotify(DWORD command, const std::wstring& failedFormat);

    std::wstring name_;
    std::optional<NotifyIconData> data_;
    UniqueIcon icon_;
    UINT iconId_ = 0;
    UINT iconFlags_ = kNifMessage | kNifTip;
    std::wstring hint_;
    bool visible_ = false;
    bool clicked_ = false;
    bool hiddenByTray_ = false;
    TPopupMenu* popupMenu_ = nullptr;
    std::wstring infoTitle_;
    std::wstring infoText_;
    std::int32_t infoTimeout_ = 10000;
    TTrayIconInfoType infoType_ = TTrayIconInfoType::tiiNone;
    HWND hookedWindow_ = nullptr;
    WNDPROC savedAppProc_ = nullptr;
};

}  // namespace quorlin
