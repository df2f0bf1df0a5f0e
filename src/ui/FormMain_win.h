// The main window: the settings window, the owner of the blocker's state, the tray icon and the
// program's start-up and shut-down.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "blocker/FullScreen_win.h"
#include "settings/Settings.h"
#include "shell/AppProps_win.h"
#include "shell/CheckGroupBox_win.h"
#include "shell/Controls_win.h"
#include "shell/Form_win.h"
#include "shell/Image_win.h"
#include "shell/OneInstance_win.h"
#include "shell/PopupMenu_win.h"
#include "shell/SessionNotification_win.h"
#include "shell/SystemMenu_win.h"
#include "shell/Timer_win.h"
#include "shell/TrayIcon_win.h"
#include "touchpad/PrecisionTouchpad.h"
#include "shortcuts/Capture.h"
#include "ui/DeviceMenu_win.h"
#include "base/Unique_win.h"

namespace quorlin {

class TfrmMain : public TForm {
public:
    // Construction, design loading (the single-instance guard may end the program here) and FormCreate.
    TfrmMain();
    ~TfrmMain() override;

    // Fields of the window's state.
    HKEY SettingsRoot = HKEY_CURRENT_USER;
    std::wstring SettingsPath;
    bool WasVisible = true;
    bool FirstShow = true;
    bool FirstReportPending = true;
    bool CanClose = false;
    bool CloseDialogActive = false;
    bool EndingSession = false;
    double LastReportTime = 0;

    bool BlockerEnabled = true;
    std::int32_t BlockCount = 0;
    bool Loading = true;
    bool Updating = true;

    std::wstring BlockerShortcut;
    std::wstring TouchpadShortcut;
    ATOM BlockerHotkeyId = 0;
    ATOM TouchpadHotkeyId = 0;
    bool WantedTouchpadState = false;
    bool PauseFullScreen = false;
    ExternalDevices Devices;

    // Blocker switch and accounting.
    void ApplyBlockerHooks();
    void SetBlockerEnabled(bool value);
    void actBlockerSwitch(TObject& sender);
    void SetBlockCount(std::int32_t n);
    void UpdateCounterLabel();
    void OnBlockedEvent(const MSG& msg);
    // Smart blocking: the full-screen watch lives while the option is on.
    void SetPauseFullScreen(bool value);

    // Hotkeys and shortcut capture.
    void RegisterHotkeys();
    void ShortcutKeyDown(TEdit& edit, WORD key);
    void ShortcutKeyUp(TEdit& edit, WORD key);

    // Touchpad switch.
    bool TouchpadState() const;
    void SetTouchpadState(bool value);
    void actTouchpadSwitch(TObject& sender);
    // The menu item, the tip line and the settings' touchpad controls exist: a driver or a
    // touchpad the system reports.
    bool TouchpadOffered() const;

    // Settings.
    bool LoadSettings();
    bool SaveSettings();
    // Saves when anything differs from what was last loaded or saved.
    void SaveSettingsWhenChanged();
    AppSettings CurrentSettings() const;
    void ApplyAutoRun(TCheckBox& checkBox);

    // Tray feedback.
    enum class StatusKind { Tip, Blocker, Touchpad };
    std::wstring StatusText(StatusKind kind) const;
    void UpdateTrayIcon();
    void ShowBalloon(int timeout, const std::wstring& text);
    void UpdatePopupMenu();

    // Settings window.
    void FillIntervalList();
    void SyncControls();
    static void EnableShortcutEdit(TEdit& edit, bool enabled);

    // Usage reports and the update check.
    void Report(std::string_view name, std::string_view extra, bool force);
    std::string ComposeQuery(std::string_view extra) const;
    void OpenWebsiteWithVersion();

    // Commands.
    void actSetupExecute();
    void actAboutExecute();
    void ShowAbout();
    // The link controls of the settings and About windows: opens the target of the sender's Tag.
    void OnLinkClick(TObject& sender);
    void actCloseExecute();
    void TrayIconClick(TObject& sender);

protected:
    void FormShow() override;
    void FormHide() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;
    void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FormCreate();
    void FirstTimeInitialization();
    void FormDestroy();
    void OnMessage(MSG& msg, bool& handled);
    void tmrRunOnceTimer();
    void tmrMinutesTimer();
    void tmrTouchpadTimer();
    void FinishTouchpadSwitch(bool feedback);
    void cmbIntervalChange();
    void chbBlockEventsClick();
    void ShortcutCheckBoxClick(TObject& sender);
    LRESULT WMQueryEndSession();
    WindowBounds ControlBounds(int left, int top, int width, int height) const;
    void FormDpiChanged() override;
    // The tray pictures for the taskbar's current theme.
    void ReloadTrayImages();
    void OnLinkMouseEnter();
    void OnLinkMouseLeave();
    UniqueGdiObject linkFont_;  // the label font, underlined, for the link under the pointer
    // Disables the tray's About and Settings while a modal window is open; puts back what was.
    class AboutAndSetupBlocked {
    public:
        explicit AboutAndSetupBlocked(TfrmMain& form);
        ~AboutAndSetupBlocked();
        AboutAndSetupBlocked(const AboutAndSetupBlocked&) = delete;
        AboutAndSetupBlocked& operator=(const AboutAndSetupBlocked&) = delete;

    private:
        TfrmMain& form_;
        bool about_, setup_;
    };
    void MarkShortcutEdit(TEdit& edit, bool refused);
    bool blockerShortcutRefused_ = false;  // the last registration of the shortcut was refused
    bool touchpadShortcutRefused_ = false;
    HeldModifierKeys captureKeys_;  // the modifiers held, as the focused shortcut edit saw them
    class TfrmAbout* about_ = nullptr;  // the About window while it is open
    bool messageLoopRunning_ = false;  // the message posted at the end of start-up has arrived
    bool hooksPosted_ = false;
    std::optional<FullScreenWatch> fullScreen_;
    // Without the driver: what the system last reported, and the combination waiting for the
    // user's modifiers (its request tick) or for the system to settle after it went out.
    touchpad::SystemReport touchpadReport_;
    std::optional<std::uint32_t> comboRequestedAt_;
    bool comboSettling_ = false;
    bool comboFeedback_ = false;  // balloon and beep once it is done
    std::optional<AppSettings> savedSettings_;  // as last loaded or saved
    std::optional<TSessionNotification> session_;

public:
    // Components, in design order: construction and load completion run in this order.
    TApplicationProperties AppProps{*this};
    TTrayIcon TrayIcon{*this};
    TOneInstance OneInstance{*this};
    TTimer tmrRunOnce{*this, 1500, true};
    TTimer tmrMinutes{*this, 60000, false};
    // Some systems (Wine among them) report no foreground or location events: checked each second
    // until one arrives.
    TTimer tmrFullScreen{*this, 1000, false};
    TTimer tmrTouchpad{*this, touchpad::kModifierPollMs, false};
    TTrayPopupMenu pmPopup{*this};
    TMenuItem& miPopupBlocker;
    TMenuItem& miPopupTouchpad;
    TMenuItem& miPopupSetup;
    TMenuItem& miPopupAbout;
    TMenuItem& miPopupSmart;
    TMenuItem& miSmartFullScreen;
    TMenuItem& miSmartShortcuts;
    TMenuItem& miSmartHeldKeys;
    TMenuItem& miSmartExternalMouse;
    TMenuItem& miSmartExternalKeyboard;
    TMenuItem& miSmart1;
    TMenuItem& miSmartDevices;
    TMenuItem& miPopup1;
    TMenuItem& miPopupClose;
    // The separator and About at the top of the window's system menu.
    TSystemMenuItem smiSplit{*this};
    TSystemMenuItem smiAbout{*this};

    // Controls, in tab order.
    TLabel lbInfo;
    TCheckBox chbAutoRun;
    TCheckBox chbBalloons;
    TCheckGroupBox grpBlocker;
    TLabel lbInterval;
    TComboBox cmbInterval;
    TCheckBox chbBlockEvents;
    TCheckBox chbBeepOnClick;
    TLabel lbBlockCount;
    TCheckGroupBox grpShortcuts;
    TCheckBox chbShtBlocker;
    TEdit edShtBlocker;
    TEdit edShtTouchpad;
    TCheckBox chbShtTouchpad;
    TLabel lbShtTouchpad;
    TCheckBox chbInternet;
    // The row of links (what a click opens comes with the About window).
    TImage imgFaceBook;
    TImage imgGplus;
    TImage imgTwitter;
    TImage imgRSS;
    TImage imgDelicious;
    TImage imgStumbleUpon;
    TLinkLabel lbLink;
    TPanel pnWebBrowser;  // hidden; the report transport's browsers belong to it
    THints Hints{Handle()};

    // The two tray images.
    UniqueIcon imgTrayOn;
    UniqueIcon imgTrayOff;
};

}  // namespace quorlin
