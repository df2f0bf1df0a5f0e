#include "ui/FormMain_win.h"

#include <algorithm>
#include <random>
#include <vector>

#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "online/Kelvane_win.h"
#include "online/Reports.h"
#include "settings/Settings.h"
#include "settings/Settings_win.h"
#include "shell/Application_win.h"
#include "shell/Dpi_win.h"
#include "shell/MessageForm_win.h"
#include "shell/Placement_win.h"
#include "shell/SessionNotification_win.h"
#include "shell/Theme_win.h"
#include "shortcuts/Capture.h"
#include "shortcuts/ShortcutText_win.h"
#include "shortcuts/Hotkeys_win.h"
#include "touchpad/PrecisionTouchpad_win.h"
#include "touchpad/SynapticsUtils_win.h"
#include "base/Decimal.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "ui/StatusText.h"
#include "ui/FormAbout_win.h"
#include "ui/Website.h"
#include "base/resource.h"

namespace quorlin {

namespace {

constexpr UINT kWmSwallowed = 0x7AE;
// Posted to the window at the end of start-up; the hooks go live when the loop takes it.
constexpr UINT kWmApplyHooks = WM_APP + 1;

// The tray picture of a state, drawn for the taskbar's theme, from the frame of the notification
// area's own size: the small-icon size at the system DPI, which the taskbar is drawn at.
HICON LoadTrayImage(bool blockerOn) {
    const bool light = TaskbarUsesLightTheme();
    const UINT id = blockerOn ? (light ? IDI_TRAY_ON_LIGHT : IDI_TRAY_ON) : (light ? IDI_TRAY_OFF_LIGHT : IDI_TRAY_OFF);
    const int dpi = SystemDpi();
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi), 0));
}

// The website's domain name in capitals, as the link label shows it.
std::wstring WebsiteCaption() {
    std::wstring caption(website::kHost);
    for (auto& c : caption) c = static_cast<wchar_t>(towupper(c));
    return caption;
}

// The modifier keys held, as this thread's key state has them.
TShiftState HeldModifiers() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

// The text a menu shows beside an item for a shortcut value; none for 0.
std::wstring ShortCutDisplay(TShortCut value) {
    return value ? FromAnsi(FormatShortCut(value)) : std::wstring();
}

// Local time as days since 30 December 1899, the time of day as the fraction; and today's date.
double NowAsDays(SYSTEMTIME& local) {
    GetLocalTime(&local);
    return DateTimeDays(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

// The random part of the "running" report's interval, drawn afresh at each tick.
int RunningReportSpread() {
    static std::mt19937 random{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, kRunningReportSpread - 1)(random);
}

StatusWords LoadStatusWords() {
    StatusWords w;
    auto take = [](std::wstring& slot, UINT id) {
        std::wstring text = LoadResString(id);
        if (!text.empty()) slot = std::move(text);
    };
    take(w.off, IDS_OFF);
    take(w.on, IDS_ON);
    take(w.isFormat, IDS_IS_FORMAT);
    take(w.blocking, IDS_BLOCKING);
    take(w.touchpad, IDS_TOUCHPAD_DEVICE);
    take(w.useFormat, IDS_USE_FORMAT);
    return w;
}

}  // namespace

TfrmMain::TfrmMain()
    : TForm(L"TfrmMain", 308, 409, nullptr, TBorderStyle::Single),
      miPopupBlocker(pmPopup.Add(LoadResString(IDS_MI_BLOCKER))),
      miPopupTouchpad(pmPopup.Add(LoadResString(IDS_MI_TOUCHPAD))),
      miPopupSetup(pmPopup.Add(LoadResString(IDS_MI_SETUP))),
      miPopupAbout(pmPopup.Add(LoadResString(IDS_MI_ABOUT))),
      miPopupSmart(pmPopup.Add(LoadResString(IDS_MI_SMART))),
      miSmartFullScreen(miPopupSmart.Add(LoadResString(IDS_MI_PAUSE_FULL_SCREEN))),
      miSmartShortcuts(miPopupSmart.Add(LoadResString(IDS_MI_IGNORE_SHORTCUTS))),
      miSmartHeldKeys(miPopupSmart.Add(LoadResString(IDS_MI_IGNORE_HELD_KEYS))),
      miSmartExternalMouse(miPopupSmart.Add(LoadResString(IDS_MI_IGNORE_EXTERNAL_MOUSE))),
      miSmartExternalKeyboard(miPopupSmart.Add(LoadResString(IDS_MI_IGNORE_EXTERNAL_KEYBOARD))),
      miSmart1(miPopupSmart.Add(L"-")),
      miSmartDevices(miPopupSmart.Add(LoadResString(IDS_MI_INPUT_DEVICES))),
      miPopup1(pmPopup.Add(L"-")),
      miPopupClose(pmPopup.Add(LoadResString(IDS_MI_CLOSE))),
      lbInfo(Handle(), ControlBounds(10, 10, 292, 50), LoadResString(IDS_INFO)),
      chbAutoRun(Handle(), ControlBounds(16, 64, 230, 17), LoadResString(IDS_AUTORUN), DefaultSettings().AutoRun),
      chbBalloons(Handle(), ControlBounds(16, 88, 250, 17), LoadResString(IDS_BALLOONS), DefaultSettings().Balloons),
      grpBlocker(Handle(), ControlBounds(8, 114, 292, 120), LoadResString(IDS_GRP_BLOCKER)),
      lbInterval(grpBlocker.Handle(), ControlBounds(12, 26, 152, 15), LoadResString(IDS_INTERVAL)),
      cmbInterval(grpBlocker.Handle(), ControlBounds(176, 22, 96, 23)),
      chbBlockEvents(grpBlocker.Handle(), ControlBounds(12, 52, 212, 17), LoadResString(IDS_BLOCK_EVENTS),
                     DefaultSettings().BlockEvents),
      chbBeepOnClick(grpBlocker.Handle(), ControlBounds(12, 76, 200, 17), LoadResString(IDS_BEEP),
                     DefaultSettings().BeepOnClick),
      lbBlockCount(grpBlocker.Handle(), ControlBounds(12, 96, 260, 15), LoadResString(IDS_CLICKS_BLOCKED),
                   TLabel::Align::Right),
      grpShortcuts(Handle(), ControlBounds(8, 240, 292, 104), LoadResString(IDS_GRP_SHORTCUTS)),
      chbShtBlocker(grpShortcuts.Handle(), ControlBounds(12, 28, 164, 17), LoadResString(IDS_SHT_BLOCKER),
                    DefaultSettings().BlockerSwitch),
      edShtBlocker(grpShortcuts.Handle(), ControlBounds(176, 24, 96, 23), L"", true),
      edShtTouchpad(grpShortcuts.Handle(), ControlBounds(176, 52, 96, 23), L"", true),
      chbShtTouchpad(grpShortcuts.Handle(), ControlBounds(12, 56, 164, 17), LoadResString(IDS_SHT_TOUCHPAD),
                     DefaultSettings().TouchpadSwitch),
      lbShtTouchpad(grpShortcuts.Handle(), ControlBounds(12, 80, 260, 15), LoadResString(IDS_SHT_TOUCHPAD_NOTE)),
      chbInternet(Handle(), ControlBounds(16, 356, 272, 17), LoadResString(IDS_INTERNET), DefaultSettings().Internet),
      imgFaceBook(Handle(), ControlBounds(12, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_PAGE)),
      imgGplus(Handle(), ControlBounds(32, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_CIRCLES)),
      imgTwitter(Handle(), ControlBounds(52, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_FOLLOW)),
      imgRSS(Handle(), ControlBounds(72, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_FEED)),
      imgDelicious(Handle(), ControlBounds(92, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_BOOKMARK)),
      imgStumbleUpon(Handle(), ControlBounds(112, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_RECOMMEND)),
      lbLink(Handle(), ControlBounds(142, 384, 158, 15), WebsiteCaption()),
      pnWebBrowser(Handle(), ControlBounds(252, 175, 32, 24), L"Ping"),
      imgTrayOn(LoadTrayImage(true)),
      imgTrayOff(LoadTrayImage(false)) {
    // State before the design's components act.
    BlockerState.LastKeyTick = 0;
    BlockerState.BlockInterval = static_cast<std::uint32_t>(DefaultSettings().Delay);
    BlockerState.BlockOtherEvents = DefaultSettings().BlockEvents;
    BlockerState.Smart.Store({DefaultSettings().IgnoreShortcutKeys, DefaultSettings().IgnoreHeldKeys});
    // The hooks report to this window; it is created once and lives as long as the program.
    BlockerState.NotifyWindow = Handle();
    TApplication::Instance().SetMainWindow(Handle());
    touchpadReport_ = touchpad::ReadSystemTouchpad();
    WantedTouchpadState = touchpad::InitialState(SynapticsAvailable, IsTouchpadEnabled(), touchpadReport_);

    // Design values of the components.
    AppProps.SetHidden(true);
    AppProps.OnMessage = [this](MSG& msg, bool& handled) { OnMessage(msg, handled); };
    TrayIcon.InsertFailedText = LoadResString(IDS_TRAY_INSERT_FAILED);
    TrayIcon.DeleteFailedText = LoadResString(IDS_TRAY_DELETE_FAILED);
    TrayIcon.MinimizeToTray = true;
    TrayIcon.MinimizeOnStart = true;
    TrayIcon.SetPopupMenu(&pmPopup);
    TrayIcon.SetInfoTimeout(3000);
    TrayIcon.OnClick = [this](TObject& sender) { TrayIconClick(sender); };
    OneInstance.PerformChecking = pcForCurrentUserOnly;
    tmrRunOnce.OnTimer = [this](TObject&) { tmrRunOnceTimer(); };
    tmrMinutes.OnTimer = [this](TObject&) { tmrMinutesTimer(); };
    tmrTouchpad.OnTimer = [this](TObject&) { tmrTouchpadTimer(); };
    tmrFullScreen.OnTimer = [this](TObject&) {
        if (!fullScreen_) return;
        fullScreen_->Check();
        // Where the system reports foreground changes the poll has nothing left to do.
        if (fullScreen_->EventsArrive()) tmrFullScreen.SetEnabled(false);
    };

    miPopupBlocker.OnClick = [this](TObject& sender) { actBlockerSwitch(sender); };
    miPopupTouchpad.OnClick = [this](TObject& sender) { actTouchpadSwitch(sender); };
    miPopupSetup.Default = true;
    miPopupSetup.OnClick = [this](TObject&) { actSetupExecute(); };
    // The About window is not part of this build; its item stays out of the menu until it is.
    miPopupAbout.ShortCutText = ShortCutDisplay(0x8070);
    miPopupAbout.OnClick = [this](TObject&) { actAboutExecute(); };
    miSmartFullScreen.OnClick = [this](TObject&) { SetPauseFullScreen(!PauseFullScreen); };
    miSmartShortcuts.OnClick = [](TObject&) { BlockerState.Smart.IgnoreShortcutKeys = !BlockerState.Smart.IgnoreShortcutKeys; };
    miSmartHeldKeys.OnClick = [](TObject&) { BlockerState.Smart.IgnoreHeldKeys = !BlockerState.Smart.IgnoreHeldKeys; };
    miSmartExternalMouse.OnClick = [this](TObject&) {
        Devices.IgnoreMouse = !Devices.IgnoreMouse;
        Devices.Apply();
    };
    miSmartExternalKeyboard.OnClick = [this](TObject&) {
        Devices.IgnoreKeyboard = !Devices.IgnoreKeyboard;
        Devices.Apply();
    };
    smiSplit.SetMenuItem(&miPopup1);
    smiAbout.SetMenuItem(&miPopupAbout);
    miPopupClose.OnClick = [this](TObject&) { actCloseExecute(); };
    pmPopup.OnPopup = [this](TObject&) { UpdatePopupMenu(); };

    // Design values of the controls.
    grpBlocker.SetTag(1);
    grpBlocker.SetCheckBoxVisible(true);
    grpBlocker.SetCheckBoxChecked(DefaultSettings().BlockerEnabled);
    grpBlocker.OnCheckBoxClick = [this](TObject& sender) { actBlockerSwitch(sender); };
    cmbInterval.SetTag(1);
    cmbInterval.OnChange = [this](TObject&) { cmbIntervalChange(); };
    chbBlockEvents.SetTag(1);
    chbBlockEvents.OnClick = [this](TObject&) { chbBlockEventsClick(); };
    chbBeepOnClick.SetTag(1);
    lbBlockCount.SetTag(1);
    grpShortcuts.SetCheckBoxVisible(false);
    grpShortcuts.OnCheckBoxClick = [this](TObject& sender) { ShortcutCheckBoxClick(sender); };
    chbShtBlocker.SetTag(1);
    edShtBlocker.SetTag(1);
    chbShtTouchpad.SetTag(2);
    edShtTouchpad.SetTag(2);
    lbShtTouchpad.SetTag(2);
    chbShtBlocker.OnClick = [this](TObject& sender) { ShortcutCheckBoxClick(sender); };
    chbShtTouchpad.OnClick = [this](TObject& sender) { ShortcutCheckBoxClick(sender); };
    for (TEdit* edit : {&edShtBlocker, &edShtTouchpad}) {
        edit->OnEnter = [this](TObject&) { captureKeys_.Reset(HeldModifiers()); };
        edit->OnKeyDown = [this, edit](TObject&, WORD& key) { ShortcutKeyDown(*edit, key); };
        edit->OnKeyUp = [this, edit](TObject&, WORD& key) { ShortcutKeyUp(*edit, key); };
    }
    chbAutoRun.OnClick = [this](TObject&) { ApplyAutoRun(chbAutoRun); };
    const std::pair<TImage*, UINT> links[] = {{&imgFaceBook, IDS_HINT_FACEBOOK}, {&imgGplus, IDS_HINT_GPLUS},
                                              {&imgTwitter, IDS_HINT_TWITTER},   {&imgRSS, IDS_HINT_RSS},
                                              {&imgDelicious, IDS_HINT_DELICIOUS},
                                              {&imgStumbleUpon, IDS_HINT_STUMBLEUPON}};
    for (const auto& [image, hint] : links) Hints.Add(image->Handle(), LoadResString(hint));
    imgFaceBook.SetTag(1);
    imgGplus.SetTag(6);
    imgTwitter.SetTag(2);
    imgRSS.SetTag(3);
    imgDelicious.SetTag(4);
    imgStumbleUpon.SetTag(5);
    imgDelicious.SetVisible(false);
    imgStumbleUpon.SetVisible(false);
    lbLink.SetTag(0);
    lbLink.SetFontColor(RGB(0, 0, 255));
    lbLink.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    Hints.Add(lbLink.Handle(), LoadResString(IDS_HINT_WEBSITE));
    lbLink.OnMouseEnter = [this](TObject&) { OnLinkMouseEnter(); };
    lbLink.OnMouseLeave = [this](TObject&) { OnLinkMouseLeave(); };
    for (TImage* image : {&imgFaceBook, &imgGplus, &imgTwitter, &imgRSS, &imgDelicious, &imgStumbleUpon})
        image->OnClick = [this](TObject& sender) { OnLinkClick(sender); };
    lbLink.OnClick = [this](TObject& sender) { OnLinkClick(sender); };
    pnWebBrowser.SetVisible(false);

    // Components act once the whole design is read; the single-instance guard may end the program here.
    LoadComponents();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

WindowBounds TfrmMain::ControlBounds(int left, int top, int width, int height) const {
    return Scaled(WindowBounds{left, top, width, height});
}

void TfrmMain::FormDpiChanged() {
    // Made again from the new font when the pointer next enters the link.
    if (lbLink.Font() == linkFont_.get()) lbLink.SetFont(Font());
    linkFont_.reset();
}

void TfrmMain::ReloadTrayImages() {
    imgTrayOn.reset(LoadTrayImage(true));
    imgTrayOff.reset(LoadTrayImage(false));
    UpdateTrayIcon();
}

void TfrmMain::FormCreate() {
    if (OneInstance.CheckPrevInstance()) {
        TApplication::Instance().Terminate();
        return;
    }
    SettingsRoot = HKEY_CURRENT_USER;
    SettingsPath = std::wstring(kSettingsKeyPath);

    const std::wstring title = TApplication::Instance().Title();
    SetCaption(title);
    TrayIcon.SetHint(title);
    TrayIcon.SetIcon(TApplication::Instance().Icon());
    TrayIcon.SetVisible(true);

    BlockerShortcut = DefaultSettings().BlockerShortcut;
    TouchpadShortcut = DefaultSettings().TouchpadShortcut;
    BlockerHotkeyId = GlobalAddAtomA(ToAnsi(title + L".Blocker").c_str());
    TouchpadHotkeyId = GlobalAddAtomA(ToAnsi(title + L".Touchpad").c_str());

    // Between one and five minutes, fixed for the run, so many installations do not report in step.
    std::random_device seed;
    std::mt19937 random(seed());
    tmrMinutes.SetInterval(60000 + std::uniform_int_distribution<UINT>(0, 239999)(random));
    tmrMinutes.SetEnabled(true);

    // Waits for a report serve the messages through the application, so its message hook sees them.
    StartKelvane(website::kReportBase, pnWebBrowser.Handle(), [] {
        TApplication& app = TApplication::Instance();
        app.ProcessMessages();
        return !app.Terminated();
    });

    session_.emplace(Handle());
    FirstTimeInitialization();
}

void TfrmMain::FirstTimeInitialization() {
    if (!Loading) return;
    Loading = false;
    FillIntervalList();
    LoadSettings();
    ApplyAutoRun(chbAutoRun);
    chbBlockEventsClick();
    BlockerEnabled = grpBlocker.GetCheckBoxChecked();
    if (!Visible()) ApplyBlockerHooks();  // showing the window installs them otherwise
    UpdateTrayIcon();
    ShowBalloon(3000, StatusText(StatusKind::Blocker));
}

void TfrmMain::FormDestroy() {
    session_.reset();
    EndHookThread();
    if (BlockerHotkeyId) GlobalDeleteAtom(BlockerHotkeyId);
    if (TouchpadHotkeyId) GlobalDeleteAtom(TouchpadHotkeyId);
    BlockerHotkeyId = TouchpadHotkeyId = 0;
    StopKelvane();
}

// ---- Blocker switch and accounting ----

void TfrmMain::ApplyBlockerHooks() {
    if (!BlockerEnabled) {
        UninstallHooks();
        return;
    }
    // Every input event of the desktop waits for the hooks, and the hooks run only while the
    // loop pumps: before that they would stall the whole desktop for the rest of the start-up.
    if (!messageLoopRunning_) {
        if (!hooksPosted_) hooksPosted_ = PostMessageW(Handle(), kWmApplyHooks, 0, 0) != FALSE;
        return;
    }
    InstallHooks(Handle());
}

void TfrmMain::SetBlockerEnabled(bool value) {
    if (value == BlockerEnabled) return;
    BlockerEnabled = value;
    grpBlocker.SetCheckBoxChecked(value);  // raises the switch again, which then finds nothing to do
    ApplyBlockerHooks();
    UpdateCounterLabel();
    UpdateTrayIcon();
    UpdatePopupMenu();
}

void TfrmMain::actBlockerSwitch(TObject& sender) {
    const bool wasUpdating = Updating;
    Updating = true;
    bool state;
    if (auto* group = dynamic_cast<TCheckGroupBox*>(&sender))
        state = group->GetCheckBoxChecked();
    else if (auto* box = dynamic_cast<TCheckBox*>(&sender))
        state = box->Checked();
    else
        state = !BlockerEnabled;  // the menu item, the hotkey, or anything else toggles
    try {
        SetBlockerEnabled(state);
    } catch (...) {
        Updating = wasUpdating;
        throw;
    }
    Updating = wasUpdating;
    if (!Loading && !Updating) {
        if (&sender != static_cast<TObject*>(&miPopupBlocker)) {
            ShowBalloon(3000, StatusText(StatusKind::Blocker));
            MessageBeep(0);
        }
        TrimWorkingSet();
    }
}

void TfrmMain::SetPauseFullScreen(bool value) {
    PauseFullScreen = value;
    if (!value)
        fullScreen_.reset();
    else if (!fullScreen_)
        fullScreen_.emplace();
    tmrFullScreen.SetEnabled(value);
}

void TfrmMain::SetBlockCount(std::int32_t n) {
    BlockCount = n;
    if (Visible()) UpdateCounterLabel();
}

void TfrmMain::UpdateCounterLabel() {
    lbBlockCount.SetText(FormatText(LoadResString(IDS_CLICKS_BLOCKED), {DecimalTextW(BlockCount)}));
}

void TfrmMain::OnBlockedEvent(const MSG& msg) {
    // Only presses count; swallowed double clicks, moves and wheel turns do not.
    if (rule::IsCountedPress(msg.wParam)) {
        SetBlockCount(BlockCount + 1);
        if (chbBeepOnClick.Checked()) MessageBeep(0);
    }
}

// ---- Settings ----

bool TfrmMain::LoadSettings() {
    const AppSettings s = LoadAppSettings(SettingsRoot, SettingsPath);
    savedSettings_ = s;

    if (auto bounds = ParseBounds(s.Bounds)) {
        // The window keeps its own size; saved at another DPI, it keeps the saved centre.
        RECT now{};
        GetWindowRect(Handle(), &now);
        const BoundsCorner at =
            RestoredCorner(*bounds, s.BoundsDpi, Dpi(), now.right - now.left, now.bottom - now.top);
        SetWindowPos(Handle(), nullptr, at.Left, at.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        CenterInWorkArea(Handle());
    }
    ClampToWorkArea(Handle());

    WasVisible = s.Visible;
    if (WasVisible) Show(); else Hide();

    // A check box raises its click event only when its state changes. The controls start at the
    // defaults, so an absent value raises nothing, and the events see the values applied before them.
    chbAutoRun.SetChecked(s.AutoRun);
    chbBalloons.SetChecked(s.Balloons);
    chbInternet.SetChecked(s.Internet);
    grpBlocker.SetCheckBoxChecked(s.BlockerEnabled);
    chbBlockEvents.SetChecked(s.BlockEvents);
    chbBeepOnClick.SetChecked(s.BeepOnClick);
    SetBlockCount(s.BlockCount);
    BlockerState.BlockInterval = static_cast<std::uint32_t>(s.Delay);
    chbShtBlocker.SetChecked(s.BlockerSwitch);
    BlockerShortcut = s.BlockerShortcut;
    chbShtTouchpad.SetChecked(s.TouchpadSwitch);
    TouchpadShortcut = s.TouchpadShortcut;
    SetPauseFullScreen(s.PauseFullScreen);
    BlockerState.Smart.Store({s.IgnoreShortcutKeys, s.IgnoreHeldKeys});
    Devices.Load(s);
    Devices.Apply();

    SyncControls();
    return true;
}

bool TfrmMain::SaveSettings() {
    const AppSettings s = CurrentSettings();
    SaveAppSettings(s, SettingsRoot, SettingsPath);
    savedSettings_ = s;
    return true;
}

void TfrmMain::SaveSettingsWhenChanged() {
    if (Loading) return;  // nothing read yet: a save now would overwrite what is stored
    if (!savedSettings_ || CurrentSettings() != *savedSettings_) SaveSettings();
}

AppSettings TfrmMain::CurrentSettings() const {
    AppSettings s;
    // In screen coordinates, as LoadSettings' SetWindowPos takes them back.
    const ScreenRect r = NormalBoundsOnScreen(Handle());
    s.Bounds = FormatBounds({r.Left, r.Top, r.Right, r.Bottom});
    s.BoundsDpi = Dpi();
    s.Visible = WasVisible;
    s.AutoRun = chbAutoRun.Checked();
    s.Balloons = chbBalloons.Checked();
    s.Internet = chbInternet.Checked();
    s.BlockerEnabled = grpBlocker.GetCheckBoxChecked();
    s.BlockEvents = chbBlockEvents.Checked();
    s.BeepOnClick = chbBeepOnClick.Checked();
    s.BlockCount = BlockCount;
    s.Delay = static_cast<std::int32_t>(BlockerState.BlockInterval);
    s.BlockerSwitch = chbShtBlocker.Checked();
    s.BlockerShortcut = BlockerShortcut;
    s.TouchpadSwitch = chbShtTouchpad.Checked();
    s.TouchpadShortcut = TouchpadShortcut;
    s.PauseFullScreen = PauseFullScreen;
    s.IgnoreShortcutKeys = BlockerState.Smart.IgnoreShortcutKeys;
    s.IgnoreHeldKeys = BlockerState.Smart.IgnoreHeldKeys;
    Devices.Store(s);
    return s;
}

void TfrmMain::ApplyAutoRun(TCheckBox& checkBox) {
    SetRunEntry(checkBox.Checked());
}

// ---- Tray feedback ----

std::wstring TfrmMain::StatusText(StatusKind kind) const {
    StatusInputs in;
    in.title = TApplication::Instance().Title();
    in.version = FileVersionString();
    in.blockerEnabled = BlockerEnabled;
    // A shortcut the system refused is not offered: pressing it would do nothing.
    in.blockerShortcutShown = chbShtBlocker.Checked() && !blockerShortcutRefused_;
    in.blockerCaption = miPopupBlocker.Caption;
    in.blockerShortcut = BlockerShortcut;
    in.touchpadAvailable = TouchpadOffered();
    in.touchpadEnabled = TouchpadState();
    in.touchpadShortcutShown = chbShtTouchpad.Checked() && !touchpadShortcutRefused_;
    in.touchpadCaption = miPopupTouchpad.Caption;
    in.touchpadShortcut = TouchpadShortcut;
    switch (kind) {
    case StatusKind::Tip:
        return TipText(in);
    case StatusKind::Blocker:
        return BlockerStatusText(in, LoadStatusWords());
    case StatusKind::Touchpad:
        return TouchpadStatusText(in, LoadStatusWords());
    }
    return {};
}

void TfrmMain::UpdateTrayIcon() {
    TrayIcon.SetIcon(BlockerEnabled ? imgTrayOn.get() : imgTrayOff.get());
    TrayIcon.SetHint(StatusText(StatusKind::Tip));
}

void TfrmMain::ShowBalloon(int timeout, const std::wstring& text) {
    if (!chbBalloons.Checked()) return;
    TrayIcon.SetInfoTimeout(timeout);
    TrayIcon.ShowBalloonTip(TTrayIconInfoType::tiiInfo, TApplication::Instance().Title(), text);
}

void TfrmMain::UpdatePopupMenu() {
    miPopupBlocker.Checked = BlockerEnabled;
    const bool blockerShown = chbShtBlocker.Checked() && !blockerShortcutRefused_;
    miPopupBlocker.ShortCutText = ShortCutDisplay(blockerShown ? ParseShortCut(ToAnsi(BlockerShortcut)) : 0);
    miSmartFullScreen.Checked = PauseFullScreen;
    miSmartShortcuts.Checked = BlockerState.Smart.IgnoreShortcutKeys;
    miSmartHeldKeys.Checked = BlockerState.Smart.IgnoreHeldKeys;
    miSmartExternalMouse.Checked = Devices.IgnoreMouse;
    miSmartExternalKeyboard.Checked = Devices.IgnoreKeyboard;
    Devices.FillMenu(miSmartDevices);
    if (!SynapticsAvailable) touchpadReport_ = touchpad::ReadSystemTouchpad();
    if (!TouchpadOffered()) {
        miPopupTouchpad.Visible = false;
        miPopupTouchpad.Enabled = false;
        return;
    }
    miPopupTouchpad.Caption = LoadResString(TouchpadState() ? IDS_DISABLE_TOUCHPAD : IDS_ENABLE_TOUCHPAD);
    const bool touchpadShown = chbShtTouchpad.Checked() && !touchpadShortcutRefused_;
    miPopupTouchpad.ShortCutText = ShortCutDisplay(touchpadShown ? ParseShortCut(ToAnsi(TouchpadShortcut)) : 0);
    miPopupTouchpad.Visible = true;
    miPopupTouchpad.Enabled = true;
}

// ---- Settings window ----

void TfrmMain::FillIntervalList() {
    cmbInterval.BeginUpdate();
    cmbInterval.Clear();
    const std::wstring sec = LoadResString(IDS_SEC);
    for (const auto& entry : kIntervalList)
        cmbInterval.AddItem(std::wstring(entry.Prefix) + sec, static_cast<LPARAM>(entry.Milliseconds));
    cmbInterval.EndUpdate();
}

void TfrmMain::cmbIntervalChange() {
    const int index = cmbInterval.ItemIndex();
    if (index >= 0) BlockerState.BlockInterval = static_cast<std::uint32_t>(cmbInterval.ItemData(index));
}

void TfrmMain::chbBlockEventsClick() {
    BlockerState.BlockOtherEvents = chbBlockEvents.Checked();
}

void TfrmMain::EnableShortcutEdit(TEdit& edit, bool enabled) {
    edit.SetEnabled(enabled);
    edit.SetColor(GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
}

void TfrmMain::SyncControls() {
    const bool wasUpdating = Updating;
    Updating = true;
    try {
        std::vector<std::uint32_t> entries;
        for (int i = 0; i < cmbInterval.Count(); ++i) entries.push_back(static_cast<std::uint32_t>(cmbInterval.ItemData(i)));
        const IntervalChoice choice = ChooseInterval(entries, BlockerState.BlockInterval);
        cmbInterval.SetItemIndex(choice.Index ? static_cast<int>(*choice.Index) : -1);
        BlockerState.BlockInterval = choice.Interval;

        edShtBlocker.SetText(BlockerShortcut);
        edShtTouchpad.SetText(TouchpadShortcut);
        EnableShortcutEdit(edShtBlocker, chbShtBlocker.Checked());
        EnableShortcutEdit(edShtTouchpad, chbShtTouchpad.Checked());

        const bool touchpad = TouchpadOffered();
        chbShtTouchpad.SetEnabled(touchpad);
        lbShtTouchpad.SetEnabled(touchpad);
        if (!touchpad) EnableShortcutEdit(edShtTouchpad, false);
    } catch (...) {
        Updating = wasUpdating;
        throw;
    }
    Updating = wasUpdating;
}

void TfrmMain::ShortcutCheckBoxClick(TObject& sender) {
    if (Loading) return;
    if (auto* box = dynamic_cast<TCheckBox*>(&sender)) {
        if (box->Tag() == 1) EnableShortcutEdit(edShtBlocker, box->Checked());
        if (box->Tag() == 2) EnableShortcutEdit(edShtTouchpad, box->Checked() && TouchpadOffered());
    }
    // In the first moments after start the run-once timer registers them.
    if (!Updating) RegisterHotkeys();
}

// ---- Hotkeys and shortcut capture ----

void TfrmMain::RegisterHotkeys() {
    UnregisterHotKey(Handle(), BlockerHotkeyId);
    blockerShortcutRefused_ = false;
    if (chbShtBlocker.Checked()) {
        BlockerShortcut = edShtBlocker.Text();
        blockerShortcutRefused_ = !RegisterShortcutHotkey(Handle(), BlockerShortcut, BlockerHotkeyId);
    }
    UnregisterHotKey(Handle(), TouchpadHotkeyId);
    touchpadShortcutRefused_ = false;
    if (chbShtTouchpad.Checked()) {
        TouchpadShortcut = edShtTouchpad.Text();
        touchpadShortcutRefused_ = !RegisterShortcutHotkey(Handle(), TouchpadShortcut, TouchpadHotkeyId);
    }
    MarkShortcutEdit(edShtBlocker, blockerShortcutRefused_);
    MarkShortcutEdit(edShtTouchpad, touchpadShortcutRefused_);
    UpdatePopupMenu();
    UpdateTrayIcon();
}

void TfrmMain::MarkShortcutEdit(TEdit& edit, bool refused) {
    edit.SetFontColor(refused ? std::optional<COLORREF>(RGB(255, 0, 0)) : std::nullopt);
    if (refused)
        Hints.Add(edit.Handle(), LoadResString(IDS_SHORTCUT_TAKEN));
    else
        Hints.Remove(edit.Handle());
}

// The capture follows the modifiers from the key messages the edit receives: the thread's key
// state can disagree with them (under Wine it was seen to say Ctrl is up while Ctrl's own press
// was being handled).
void TfrmMain::ShortcutKeyDown(TEdit& edit, WORD key) {
    if (!IsModifierKey(key)) return;  // Delete, Backspace, others
    // Shows the modifiers held so far: the key just pressed by its own name.
    HeldModifierKeys others = captureKeys_;
    others.KeyUp(key);
    captureKeys_.KeyDown(key);
    edit.SetText(FromAnsi(FormatShortCut(ComposeShortCut(key, others.Held()))));
}

void TfrmMain::ShortcutKeyUp(TEdit& edit, WORD key) {
    if (IsModifierKey(key)) {
        captureKeys_.KeyUp(key);
        return;
    }
    if (key == VK_DELETE || key == VK_BACK || key == VK_TAB) return;
    const std::string text = FormatShortCut(CapturedShortCut(key, captureKeys_.Held()));
    if (text.empty()) {
        // A typing key, or one without a name: the shortcut stays, and so does its text.
        edit.SetText(&edit == &edShtBlocker ? BlockerShortcut : TouchpadShortcut);
        return;
    }
    edit.SetText(FromAnsi(text));
    RegisterHotkeys();
}

// ---- Touchpad ----

bool TfrmMain::TouchpadState() const {
    if (SynapticsAvailable) return IsTouchpadEnabled();
    // Where the system reports the state it is the truth, as the driver's is.
    return touchpad::ReadSystemTouchpad().enabled.value_or(WantedTouchpadState);
}

bool TfrmMain::TouchpadOffered() const { return touchpad::PlanSwitch(SynapticsAvailable, touchpadReport_).offered; }

void TfrmMain::SetTouchpadState(bool value) {
    if (value == TouchpadState()) return;
    WantedTouchpadState = value;
    if (!SynapticsAvailable) return;
    // A refused write shows up as an unchanged state at the next query.
    if (value)
        EnableTouchpad();
    else
        DisableTouchpad();
    UpdatePopupMenu();
    UpdateTrayIcon();
}

void TfrmMain::actTouchpadSwitch(TObject& sender) {
    const bool feedback = &sender != static_cast<TObject*>(&miPopupTouchpad);
    if (!SynapticsAvailable) {
        // The system switches a precision touchpad on Ctrl+Win+F24. The hotkey's own modifiers are
        // still down now and would join the combination: it goes out once the user lets go of them.
        if (comboRequestedAt_ || comboSettling_) return;  // one switch at a time
        comboRequestedAt_ = GetTickCount();
        comboFeedback_ = feedback;
        tmrTouchpad.SetInterval(touchpad::kModifierPollMs);
        tmrTouchpad.SetEnabled(true);
        return;
    }
    SetTouchpadState(!TouchpadState());
    FinishTouchpadSwitch(feedback);
}

void TfrmMain::FinishTouchpadSwitch(bool feedback) {
    if (feedback) {
        ShowBalloon(3000, StatusText(StatusKind::Touchpad));
        MessageBeep(0);
    }
    TrimWorkingSet();
}

void TfrmMain::tmrTouchpadTimer() {
    if (comboRequestedAt_) {
        const touchpad::WaitStep step =
            touchpad::NextWaitStep(*comboRequestedAt_, GetTickCount(), touchpad::ModifierHeld());
        if (step == touchpad::WaitStep::Wait) return;
        comboRequestedAt_.reset();
        if (step == touchpad::WaitStep::GiveUp) {
            // Held for seconds: the user meant something else; nothing is switched.
            tmrTouchpad.SetEnabled(false);
            return;
        }
        const bool before = TouchpadState();
        // Nothing switched when the system refused the keys; the texts then show the old state.
        if (touchpad::SendCombination()) WantedTouchpadState = !before;
        if (touchpad::PlanSwitch(false, touchpadReport_).stateReported) {
            // The system's state is read again once it has had a moment to apply the switch.
            comboSettling_ = true;
            tmrTouchpad.SetInterval(touchpad::kStateSettleMs);
            return;
        }
    } else if (!comboSettling_) {
        tmrTouchpad.SetEnabled(false);
        return;
    }
    comboSettling_ = false;
    tmrTouchpad.SetEnabled(false);
    UpdatePopupMenu();
    UpdateTrayIcon();
    FinishTouchpadSwitch(comboFeedback_);
}

void TfrmMain::OnLinkMouseEnter() {
    if (!linkFont_) {
        LOGFONTW lf{};
        GetObjectW(Font(), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        linkFont_.reset(CreateFontIndirectW(&lf));
    }
    if (linkFont_) lbLink.SetFont(static_cast<HFONT>(linkFont_.get()));
}

void TfrmMain::OnLinkMouseLeave() {
    lbLink.SetFont(Font());
}

// ---- Window events ----

void TfrmMain::FormShow() {
    if (FirstShow) {
        FirstShow = false;
        ::SetFocus(Handle());  // no control starts focused
    }
    SyncControls();
    UpdateCounterLabel();
    ApplyBlockerHooks();
    TrimWorkingSet();
}

void TfrmMain::FormHide() {
    TrimWorkingSet();
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    canClose = CanClose;
    if (!CanClose) {
        // The close button only hides the settings window into the tray.
        Hide();
        WasVisible = Visible();
        SaveSettings();
    }
}

void TfrmMain::FormClose() {
    Report("stop", "", false);
    SaveSettings();
}

void TfrmMain::FormKeyDown(WORD& key, bool alt, bool, bool) {
    if (key == VK_ESCAPE) {
        key = 0;
        Close();
    } else if (key == VK_F1 && alt) {
        key = 0;
        if (miPopupAbout.Enabled && miPopupAbout.Visible) miPopupAbout.Click();
    }
}

LRESULT TfrmMain::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kWmApplyHooks) {
        messageLoopRunning_ = true;
        hooksPosted_ = false;
        ApplyBlockerHooks();
        return 0;
    }
    // Counted here when the system's own modal loops (the tray menu, a window being moved) dispatch
    // it straight to the window, past the application's message hook.
    if (msg == WM_BLOCKED_EVENT) {
        OnBlockedEvent(MSG{Handle(), msg, wp, lp, 0, {}});
        return 0;
    }
    if (msg == WM_INPUT_DEVICES_CHANGED) {
        Devices.Apply();
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return WMQueryEndSession();
    // Win+L and Ctrl+Alt+Del take the keyboard to another desktop, where the hooks see no release.
    if (msg == WM_WTSSESSION_CHANGE && IsSessionReturn(wp)) SettleHeldKeys();
    // The system may sleep for good (a flat battery) or end the session without closing us: what
    // a user did is stored first.
    if (msg == WM_POWERBROADCAST && wp == PBT_APMSUSPEND) {
        SaveSettings();
        return TRUE;
    }
    if (msg == WM_ENDSESSION && wp) SaveSettings();
    // The taskbar turned light or dark: the tray icon follows.
    if (IsColorSetChange(msg, lp)) ReloadTrayImages();
    if (msg == WM_ENDSESSION && !wp) {
        // Someone cancelled the end of the session: closing the window hides it again.
        EndingSession = false;
        CanClose = false;
    }
    return TForm::WndProc(msg, wp, lp);
}

LRESULT TfrmMain::WMQueryEndSession() {
    EndingSession = true;
    WasVisible = Visible();
    SaveSettings();
    CanClose = true;
    return 1;
}

void TfrmMain::OnMessage(MSG& msg, bool& handled) {
    // A thread message can come from any program on the desktop; the program's own go to its windows.
    if (msg.hwnd == nullptr) return;
    switch (msg.message) {
    case WM_BLOCKED_EVENT:
        handled = true;
        OnBlockedEvent(msg);
        break;
    case kWmSwallowed:
        handled = true;
        break;
    case WM_HOTKEY:
        if (msg.wParam == BlockerHotkeyId) {
            handled = true;
            actBlockerSwitch(*this);
        } else if (msg.wParam == TouchpadHotkeyId) {
            handled = true;
            actTouchpadSwitch(*this);
        }
        break;
    case WM_ACTIVATE_INSTANCE:
        // Left unhandled: the application window sees it too.
        if (miPopupSetup.Enabled) miPopupSetup.Click();
        TApplication::Instance().BringToFront();
        tmrMinutesTimer();
        break;
    default:
        break;
    }
}

void TfrmMain::tmrRunOnceTimer() {
    tmrRunOnce.SetEnabled(false);
    Updating = false;
    RegisterHotkeys();
    // Again once start-up has settled: a system that dropped the hooks during a slow start
    // gets them back now rather than at the first minutes tick.
    ApplyBlockerHooks();
    TrimWorkingSet();
}

void TfrmMain::tmrMinutesTimer() {
    // Before the report, which may wait for its server: counts and choices survive a crash or a
    // forced end with at most a few minutes lost.
    SaveSettingsWhenChanged();
    SYSTEMTIME today;
    const double now = NowAsDays(today);
    const TickReport tick = MinutesTickReport(FirstReportPending, now, LastReportTime, RunningReportSpread());
    if (!tick.Name.empty()) Report(tick.Name, DateText(today.wYear, today.wMonth, today.wDay), tick.Force);
    if (BlockerEnabled) {
        // Puts the hooks back should the system have dropped them (the new ones before the old go).
        InstallHooks(Handle());
    }
    if (fullScreen_) fullScreen_->Check();
    TrayIcon.UpdateIcon();
    TrimWorkingSet();
}

// ---- Usage reports and the update check ----

void TfrmMain::Report(std::string_view name, std::string_view extra, bool force) {
    SYSTEMTIME local;
    const double now = NowAsDays(local);
    const ReportGate gate{EndingSession, FirstReportPending, TApplication::Instance().Terminated()};
    const ReportDecision decision = DecideReport(gate, force, chbInternet.Checked(), now, LastReportTime);
    if (decision.Advance) LastReportTime = now;
    if (decision.Send && KelvaneInstance) KelvaneInstance->Send(name, ComposeQuery(extra));
}

std::string TfrmMain::ComposeQuery(std::string_view extra) const {
    ReportInputs in;
    in.Version = ToUtf8(FileVersionString());
    in.AutoRun = chbAutoRun.Checked();
    in.Balloons = chbBalloons.Checked();
    in.BlockerEnabled = BlockerEnabled;
    in.BlockInterval = BlockerState.BlockInterval;
    in.BlockEvents = chbBlockEvents.Checked();
    in.BeepOnClick = chbBeepOnClick.Checked();
    in.BlockCount = BlockCount;
    in.BlockerSwitch = chbShtBlocker.Checked();
    in.BlockerShortcut = ToUtf8(BlockerShortcut);
    in.TouchpadSwitch = chbShtTouchpad.Checked();
    in.TouchpadShortcut = ToUtf8(TouchpadShortcut);
    return quorlin::ComposeQuery(in, extra);
}

void TfrmMain::OpenWebsiteWithVersion() {
    const std::string_view ping = OnOffLiterals[chbInternet.Checked() ? 1 : 0];
    OpenUrlInBrowser(std::wstring(website::kRoot) + L"?version=" + FileVersionString() + L"&ping=" +
                     std::wstring(ping.begin(), ping.end()));
}

// ---- Tray and menu commands ----

void TfrmMain::TrayIconClick(TObject&) {
    if (ModifiersHeldNow() & ssAlt) miPopupSetup.Click();
}

void TfrmMain::actSetupExecute() {
    Show();
    SetForegroundWindow(Handle());
    TApplication::Instance().BringToFront();
}

TfrmMain::AboutAndSetupBlocked::AboutAndSetupBlocked(TfrmMain& form)
    : form_(form), about_(form.miPopupAbout.Enabled), setup_(form.miPopupSetup.Enabled) {
    form.miPopupAbout.Enabled = false;
    form.miPopupSetup.Enabled = false;
}

TfrmMain::AboutAndSetupBlocked::~AboutAndSetupBlocked() {
    form_.miPopupAbout.Enabled = about_;
    form_.miPopupSetup.Enabled = setup_;
}

void TfrmMain::actAboutExecute() {
    const AboutAndSetupBlocked blocked(*this);
    ShowAbout();
    TrimWorkingSet();
}

void TfrmMain::ShowAbout() {
    if (about_) {
        SetForegroundWindow(about_->Handle());
        return;
    }
    TfrmAbout about(Handle());
    about.OnLinkClick = [this](TObject& sender) { OnLinkClick(sender); };
    about.OnOpened = [this] { Report("about", "", false); };
    about_ = &about;
    struct Forget {
        TfrmAbout*& slot;
        ~Forget() { slot = nullptr; }
    } forget{about_};
    about.ShowModal();
}

void TfrmMain::OnLinkClick(TObject& sender) {
    const auto* control = dynamic_cast<const TWinControl*>(&sender);
    const int tag = control ? control->Tag() : 0;
    const auto* target = std::find_if(std::begin(website::kLinkTargets), std::end(website::kLinkTargets),
                                      [tag](const website::LinkTarget& t) { return t.Tag == tag; });
    if (target != std::end(website::kLinkTargets))
        OpenUrlInBrowser(target->Address);
    else
        OpenWebsiteWithVersion();
    Report("openlink", "id=" + std::to_string(tag), false);
}

void TfrmMain::actCloseExecute() {
    if (CloseDialogActive) return;
    CloseDialogActive = true;
    WasVisible = Visible();
    // Put back in every case, also when the question cannot be asked.
    struct Done {
        bool& active;
        ~Done() { active = false; }
    } done{CloseDialogActive};
    const AboutAndSetupBlocked blocked(*this);
    const std::wstring title = TApplication::Instance().Title();
    const std::wstring text =
        LoadResString(IDS_CLOSE_QUESTION1) + L"\"" + title + L"\"" + LoadResString(IDS_CLOSE_QUESTION2);
    // No, the second button, has the focus: Enter and Esc both answer No.
    const int answer = ShowMessageForm(text, TMessageKind::mkConfirmation,
                                       ButtonBit(TMessageButton::btnYes) | ButtonBit(TMessageButton::btnNo), Handle(),
                                       TApplication::Instance().Icon(), title, 0, 2);
    if (answer == IDYES) {
        CanClose = true;
        Close();
    }
}

}  // namespace quorlin
