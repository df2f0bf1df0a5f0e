// The main window: the settings window's controls, the features in menu order, and the routing
// between them. The state lives in the model; the features keep the system in step with it.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "base/Unique_win.h"
#include "shell/CheckGroupBox_win.h"
#include "shell/Controls_win.h"
#include "shell/Form_win.h"
#include "shell/Image_win.h"
#include "shell/PopupMenu_win.h"
#include "shell/Timer_win.h"
#include "shell/TrayIcon_win.h"
#include "ui/features/About_win.h"
#include "ui/features/Activity_win.h"
#include "ui/features/Blocker_win.h"
#include "ui/features/Devices_win.h"
#include "ui/features/Hotkeys_win.h"
#include "ui/features/Online_win.h"
#include "ui/features/Rules_win.h"
#include "ui/features/Session_win.h"
#include "ui/features/SmartBlocking_win.h"
#include "ui/features/Touchpad_win.h"
#include "ui/features/TrayPresentation_win.h"
#include "ui/features/TypingAware_win.h"
#include "ui/model/AppModel.h"

namespace quorlin {

class TfrmMain : public TForm {
public:
    struct Controls;
    // Makes the window and its parts, then Start(); a second instance ends there.
    TfrmMain();
    ~TfrmMain() override;

    const AppModel& Model() const { return model_; }
    // The model changed: every feature, the tray icon and the controls show it.
    void Refresh();
    // Writes the settings now; SaveWhenChanged only when anything differs from what is stored.
    void Save();
    void SaveWhenChanged();
    // The minutes timer's work.
    void MinutesTick();

protected:
    void FormShow() override;
    void FormHide() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;
    void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) override;
    void FormDpiChanged() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The parts in their one order: the single-instance check, the message hook, the tray icon and
    // the timers; then load, then apply.
    void Start();
    void PlaceFromSettings();
    void ShowSettings();
    void SyncControls();
    void UpdateCounterLabel();
    // Room for texts longer than the English design (translations): the window grows where needed.
    void FitTexts(Controls& c);
    bool Route(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    WindowBounds ControlBounds(int left, int top, int width, int height) const;

    AppModel model_;
    FeatureHost host_;
    bool started_ = false;  // the settings are loaded
    bool shown_ = false;
    bool routing_ = false;  // the features exist: messages reach them
    bool marked_[2] = {false, false};  // the shortcut boxes shown as refused
    UniqueGdiObject linkFont_;  // the label font, underlined, for the link under the pointer
    std::unique_ptr<Controls> controls_;
    // Gives the new controls their events.
    void WireControls(Controls& c);

public:
    // Parts, started by Start() and destroyed in reverse.
    TTrayIcon TrayIcon{Handle()};
    TTimer tmrRunOnce{1500};
    TTimer tmrMinutes{60000};
    TPopupMenu pmPopup;

    // The settings window's controls, in tab order. Made when the window is first shown (at most
    // starts it stays hidden) or first asked for; they show the model and change it through the
    // features.
    struct Controls {
        explicit Controls(TfrmMain& f);
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
        THints Hints;
    };
    Controls& Ctl();
    TPanel pnWebBrowser;  // hidden; the report transport's browsers belong to it

    // Features, in menu order.
    Blocker blocker{host_, [this] {
        if (Visible()) UpdateCounterLabel();
    }};
    Touchpad touchpad{host_};
    About about{host_, [this] { ShowSettings(); }};
    SmartBlocking smart{host_};
    Devices devices{host_, smart};
    TypingAware typing{host_, smart};
    Rules rules{host_};
    Activity activity{host_, [this](std::uint32_t ms) { blocker.SetInterval(ms); }};
    Session session{host_, [this] { Close(); }};
    Hotkeys hotkeys{host_, [this] { blocker.Toggle(Feedback::Shown); }, [this] { touchpad.Toggle(Feedback::Shown); }};
    Online online{host_, pnWebBrowser.Handle()};
    TrayPresentation tray{host_, TrayIcon};
    const std::vector<Feature*> features{&blocker, &touchpad, &about,    &smart,   &devices, &typing,
                                         &rules,   &activity, &session, &hotkeys, &online,  &tray};
};

}  // namespace quorlin
