#include "shell/TrayIcon_win.h"

#include <shellapi.h>


#include "base/System_win.h"
#include "base/Text_win.h"
#include "shell/Application_win.h"
#include "shell/Form_win.h"

namespace quorlin {

const UINT WM_TASKBAR_CREATED = RegisterWindowMessageW(L"TaskbarCreated");

namespace {

constexpr wchar_t kWindowClass[] = L"QuorlinTrayIconWindow";
// While the icon is wanted but the shell has not taken it: another add every few seconds.
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryInterval = 3000;
// Finds the tray icon from the application window's replaced procedure.
constexpr wchar_t kHookProperty[] = L"Quorlin.TrayIcon";

static_assert(sizeof(wchar_t) == 2, "the wide record holds UTF-16");
// The byte layout must agree with the system's own record.
static_assert(NOTIFYICONDATAW_V1_SIZE == 152 && NOTIFYICONDATAW_V2_SIZE == 936 && NOTIFYICONDATAW_V3_SIZE == 952);
static_assert(NOTIFYICONDATAA_V1_SIZE == 88 && NOTIFYICONDATAA_V2_SIZE == 488 && NOTIFYICONDATAA_V3_SIZE == 504);
static_assert(offsetof(NOTIFYICONDATAW, szInfo) == 288 && offsetof(NOTIFYICONDATAW, uTimeout) == 800 &&
              offsetof(NOTIFYICONDATAW, szInfoTitle) == 804 && offsetof(NOTIFYICONDATAW, dwInfoFlags) == 932);
static_assert(offsetof(NOTIFYICONDATAA, szInfo) == 160 && offsetof(NOTIFYICONDATAA, uTimeout) == 416 &&
              offsetof(NOTIFYICONDATAA, szInfoTitle) == 420 && offsetof(NOTIFYICONDATAA, dwInfoFlags) == 484);

bool IsWindowsNT() {
    static const bool nt = [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return !GetVersionExW(&info) || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
    }();
    return nt;
}

std::uint32_t Handle32(const void* h) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }

}  // namespace

DWORD ShellVersion() {
    static DWORD cached = 0;
    if (cached == 0) {
        if (const auto version = ReadFileVersion(L"shell32.dll")) cached = version->MS;
    }
    return cached;
}

TTrayIcon::TTrayIcon(TComponentOwner& owner, std::wstring name) : TComponentBase(owner), name_(std::move(name)) {
    // Top-level (not message-only), so that broadcasts such as "TaskbarCreated" reach it.
    CreateHandle(kWindowClass, {}, WS_EX_TOOLWINDOW, WS_POPUP, 0, 0, 0, 0, nullptr);
    HookApplicationWindow();
}

TTrayIcon::~TTrayIcon() {
    // Remove the icon without the owner-showing steps of HideIcon: the owner is going away too.
    if (visible_) {
        iconFlags_ &= ~kNifIcon;
        try {
            DeleteFromTray();
        } catch (...) {
        }
        visible_ = false;
    }
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    UnhookApplicationWindow();
}

bool TTrayIcon::Designing() const { return Loading() && !Owner().ComponentsLoaded(); }

HWND TTrayIcon::OwnerWindow() const {
    auto* form = dynamic_cast<TForm*>(&Owner());
    return form ? form->Handle() : nullptr;
}

void TTrayIcon::SetHint(const std::wstring& text) {
    if (text == hint_) return;
    hint_ = text;
    UpdateIcon();
}

void TTrayIcon::SetIcon(HICON icon) {
    icon_.reset(icon ? CopyIcon(icon) : nullptr);
    UpdateIcon();
}

void TTrayIcon::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    // While the design is read only the value is kept; Loaded adds the icon.
    if (Designing()) return;
    if (value)
        ShowIcon();
    else
        HideIcon();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
    if (menu == popupMenu_) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (popupMenu_) popupMenu_->FreeNotification(this, [this] { popupMenu_ = nullptr; });
}

void TTrayIcon::Loaded() {
    TComponentBase::Loaded();
    if (MinimizeOnStart) TApplication::Instance().SetShowMainForm(false);
    if (visible_) ShowIcon();
}

bool TTrayIcon::PrepareIconData() {
    const DWORD version = ShellVersion();
    if (version < kShellVersion4) return false;
    data_.reset();
    NotifyIconData& r = data_.emplace(version, IsWindowsNT() ? CharForm::Wide : CharForm::Ansi);
    r.SetWindow(Handle32(Handle()));
    r.SetId(iconId_);
    r.SetFlags(iconFlags_);
    r.SetCallbackMessage(WM_TRAY_CALLBACK);
    r.SetIcon(Handle32(icon_.get()));
    if (ShowHint) {
        if (r.Form() == CharForm::Wide)
            r.SetTip(ToU16(hint_));
        else
            r.SetTip(ToAnsi(hint_));
    }
    return true;
}

bool TTrayIcon::NotifyShell(DWORD command) {
    if (!data_ || !data_->Valid()) return false;
    if (data_->Form() == CharForm::Wide)
        return Shell_NotifyIconW(command, reinterpret_cast<PNOTIFYICONDATAW>(data_->Data())) != FALSE;
    return Shell_NotifyIconA(command, reinterpret_cast<PNOTIFYICONDATAA>(data_->Data())) != FALSE;
}

bool TTrayIcon::PrepareAndNotify(DWORD command, const std::wstring& failedFormat) {
    try {
        if (!PrepareIconData()) return false;
        return NotifyShell(command);
    } catch (...) {
        std::wstring text = failedFormat;
        // The name goes in by replacement: a printf of a wide text is not portable across runtimes.
        if (const auto at = text.find(L"%s"); at != std::wstring::npos) text.replace(at, 2, name_);
        throw ETrayIcon(ToUtf8(text));
    }
}

bool TTrayIcon::InsertToTray() { return PrepareAndNotify(NIM_ADD, InsertFailedText); }

bool TTrayIcon::DeleteFromTray() { return PrepareAndNotify(NIM_DELETE, DeleteFailedText); }

void TTrayIcon::ShowIcon() {
    iconFlags_ |= kNifIcon;
    if (!InsertToTray()) {
        // The shell may be busy or not there yet (at logon): without the icon a hidden program is
        // out of reach, so it tries again until the add takes.
        SetTimer(Handle(), kRetryTimer, kRetryInterval, nullptr);
        return;
    }
    KillTimer(Handle(), kRetryTimer);
    visible_ = true;
    if (OnShow) OnShow(*this);
}

void TTrayIcon::HideIcon() {
    KillTimer(Handle(), kRetryTimer);
    iconFlags_ &= ~kNifIcon;
    if (!DeleteFromTray()) return;
    visible_ = false;
    if (OnHide) OnHide(*this);
    if (MinimizeToTray) RestoreApplication();
    // Without its icon a hidden owner would be out of the user's reach.
    if (auto* form = dynamic_cast<TForm*>(&Owner()); form && form->Handle() && !form->Visible()) form->Show();
}

void TTrayIcon::ReAdd() {
    iconFlags_ &= ~kNifIcon;
    DeleteFromTray();  // fails when the new shell does not know the icon
    ShowIcon();
}

bool TTrayIcon::UpdateIcon() {
    if (!PrepareIconData()) return false;
    if (NotifyShell(NIM_MODIFY)) return true;
    // The shell does not hold the icon (an add that failed, a shell that lost it): add it again.
    if (visible_ && !Designing()) ShowIcon();
    return false;
}

bool TTrayIcon::ShowBalloonTip(TTrayIconInfoType kind, const std::wstring& title, const std::wstring& text) {
    if (!PrepareIconData()) return false;
    if (ShellVersion() < kShellVersion5) return false;
    NotifyIconData& r = *data_;
    r.SetInfoFlags(static_cast<std::uint32_t>(kind) | (InfoNoSound ? kNiifNoSound : 0u));
    // NIF_INFO alone leaves image and tip as they are.
    r.SetFlags(kNifInfo);
    r.SetTimeout(static_cast<std::uint32_t>(infoTimeout_));
    if (r.Form() == CharForm::Wide) {
        r.SetInfo(ToU16(text));
        r.SetInfoTitle(ToU16(title));
    } else {
        r.SetInfo(ToAnsi(text));
        r.SetInfoTitle(ToAnsi(title));
    }
    return NotifyShell(NIM_MODIFY);
}

bool TTrayIcon::ShowInfoBalloon() { return ShowBalloonTip(infoType_, infoTitle_, infoText_); }

LRESULT TTrayIcon::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TRAY_CALLBACK) {
        HandleNotification(static_cast<UINT>(lp));
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return 1;
    if (msg == WM_TIMER && wp == kRetryTimer) {
        // An add that timed out may have taken after all: a modify that succeeds ends the retries,
        // a failing one adds again (and keeps the timer while that fails).
        KillTimer(Handle(), kRetryTimer);
        if (visible_) UpdateIcon();
        return 0;
    }
    if (msg == WM_TASKBAR_CREATED && visible_) ReAdd();
    return TWindow::WndProc(msg, wp, lp);
}

void TTrayIcon::HandleNotification(UINT code) {
    POINT pt{};
    GetCursorPos(&pt);
    // A notification is no key message: the thread's own key state has not seen keys that went to
    // the window in front.
    const std::uint8_t keys = ModifiersHeld(KeyRecord::Now);
    switch (code) {
    case WM_MOUSEMOVE:
        DoMouseMove(keys, pt.x, pt.y);
        break;
    case WM_LBUTTONDOWN:
        DoMouseDown(TMouseButton::mbLeft, keys | ssLeft, pt.x, pt.y);
        clicked_ = true;
        break;
    case WM_LBUTTONUP:
        DoMouseUp(TMouseButton::mbLeft, keys | ssLeft, pt.x, pt.y);
        if (clicked_) {
            clicked_ = false;
            DoClick();
        }
        clicked_ = false;
        break;
    case WM_LBUTTONDBLCLK:
        DoDblClick();
        break;
    case WM_RBUTTONDOWN:
        DoMouseDown(TMouseButton::mbRight, keys | ssRight, pt.x, pt.y);
        break;
    case WM_RBUTTONUP:
        DoMouseUp(TMouseButton::mbRight, keys | ssRight, pt.x, pt.y);
        PopupAtCursor();
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(TMouseButton::mbMiddle, keys | ssMiddle, pt.x, pt.y);
        break;
    case WM_MBUTTONUP:
        DoMouseUp(TMouseButton::mbMiddle, keys | ssMiddle, pt.x, pt.y);
        break;
    default:
        break;  // balloon notifications: the program has no handler for them
    }
}

void TTrayIcon::DoMouseMove(std::uint8_t, int, int) {}

void TTrayIcon::DoMouseDown(TMouseButton, std::uint8_t, int, int) {
    if (OnMouseDown) OnMouseDown(*this);
}

void TTrayIcon::DoMouseUp(TMouseButton, std::uint8_t, int, int) {
    if (HWND owner = OwnerWindow()) SetForegroundWindow(owner);
}

void TTrayIcon::DoClick() {
    if (OnClick) OnClick(*this);
}

void TTrayIcon::DoDblClick() {
    if (!popupMenu_ || !popupMenu_->AutoPopup) return;
    TMenuItem* item = popupMenu_->DefaultItem();
    if (!item) return;
    item->Click();
    if (OnDblClick) OnDblClick(*this);
    if (HWND owner = OwnerWindow()) SetForegroundWindow(owner);
}

void TTrayIcon::PopupAtCursor() {
    if (!popupMenu_ || !popupMenu_->AutoPopup) return;
    POINT pt{};
    GetCursorPos(&pt);
    TApplication::Instance().ProcessMessages();
    // The pump may have run handlers that took the menu away.
    if (!popupMenu_) return;
    const HWND owner = OwnerWindow();
    // Without the foreground the menu would not close when the user clicks elsewhere.
    if (owner) SetForegroundWindow(owner);
    popupMenu_->PopupComponent = this;
    popupMenu_->Popup(pt.x, pt.y);
    // Lets the system finish the menu's foreground switch.
    if (owner) PostMessageW(owner, WM_NULL, 0, 0);
    if (OnPopupMenu) OnPopupMenu(*this);
}

void TTrayIcon::HookApplicationWindow() {
    const HWND app = TApplication::Instance().Handle();
    if (!app || savedAppProc_) return;
    // One tray icon per application window: the property names the one that hooked it.
    if (GetPropW(app, kHookProperty)) return;
    if (!SetPropW(app, kHookProperty, this)) return;
    savedAppProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(app, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTrayIcon::StaticAppProc)));
    if (!savedAppProc_) {
        RemovePropW(app, kHookProperty);
        return;
    }
    hookedWindow_ = app;
}

void TTrayIcon::UnhookApplicationWindow() {
    if (!savedAppProc_) return;
    if (IsWindow(hookedWindow_)) {
        SetWindowLongPtrW(hookedWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedAppProc_));
        RemovePropW(hookedWindow_, kHookProperty);
    }
    savedAppProc_ = nullptr;
    hookedWindow_ = nullptr;
}

LRESULT CALLBACK TTrayIcon::StaticAppProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<TTrayIcon*>(GetPropW(hwnd, kHookProperty));
    if (!self || self->hookedWindow_ != hwnd || !self->savedAppProc_) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The window goes before the tray icon: hand the message on and forget the window.
        const WNDPROC previous = self->savedAppProc_;
        RemovePropW(hwnd, kHookProperty);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        self->savedAppProc_ = nullptr;
        self->hookedWindow_ = nullptr;
        return CallWindowProcW(previous, hwnd, msg, wp, lp);
    }
    return Guarded([&] { return self->AppWndProc(msg, wp, lp); }, 0);
}

LRESULT TTrayIcon::AppWndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE && wp == SIZE_MINIMIZED && MinimizeToTray) DoMinimize();
    return CallWindowProcW(savedAppProc_, hookedWindow_, msg, wp, lp);
}

void TTrayIcon::DoMinimize() {
    MinimizeApplication();
    SetVisible(true);
    if (OnMinimize) OnMinimize(*this);
}

void TTrayIcon::MinimizeApplication() {
    TApplication& app = TApplication::Instance();
    const HWND appWindow = app.Handle();
    const HWND mainWindow = app.MainWindow();
    if (!hiddenByTray_)
        hiddenByTray_ = (appWindow && IsWindow(appWindow) && !IsWindowVisible(appWindow)) ||
                        (mainWindow && IsWindow(mainWindow) && !IsWindowVisible(mainWindow));
    if (appWindow && IsWindow(appWindow) && IsWindowVisible(appWindow)) ShowWindow(appWindow, SW_HIDE);
    if (mainWindow && IsWindow(mainWindow)) ShowWindow(mainWindow, SW_HIDE);
}

void TTrayIcon::RestoreApplication() {
    if (!hiddenByTray_) return;
    TApplication& app = TApplication::Instance();
    if (const HWND appWindow = app.Handle(); appWindow && IsWindow(appWindow)) ShowWindow(appWindow, SW_SHOWNORMAL);
    if (const HWND mainWindow = app.MainWindow(); mainWindow && IsWindow(mainWindow)) ShowWindow(mainWindow, SW_SHOW);
    hiddenByTray_ = false;
}

}  // namespace quorlin
