#include "ui/FormMain_win.h"

#include <random>

#include "base/Decimal.h"
#include "base/Keys.h"
#include "base/Messages.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/BlockingRule.h"
#include "settings/Settings_win.h"
#include "shell/Application_win.h"
#include "shell/Dpi_win.h"
#include "shell/OneInstance_win.h"
#include "shell/Placement_win.h"
#include "ui/model/Website.h"
#include "ui/model/StatusText.h"

namespace quorlin {

namespace {

// The website's domain name in capitals, as the link label shows it.
std::wstring WebsiteCaption() {
    std::wstring caption(website::kHost);
    for (auto& c : caption) c = static_cast<wchar_t>(towupper(c));
    return caption;
}

void EnableShortcutEdit(TEdit& edit, bool enabled) {
    edit.SetEnabled(enabled);
    edit.SetColor(GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
}

}  // namespace

TfrmMain::TfrmMain()
    : TForm(L"TfrmMain", 308, 409, nullptr, TBorderStyle::Single),
      host_{Handle(), model_, [this] { Refresh(); },
            [this](StatusKind kind) {
                tray.Balloon(kind);
                MessageBeep(0);
            },
            [this] { Save(); }, [this](std::string_view name, std::string_view extra, bool force) {
                online.Report(name, extra, force);
            }},
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
      pnWebBrowser(Handle(), ControlBounds(252, 175, 32, 24), L"Ping") {
    TApplication::Instance().SetMainWindow(Handle());
    routing_ = true;
    TrayMenu menu{pmPopup};
    for (Feature* f : features) f->AddMenuItems(menu);

    // The controls change the model through the features; each event finds nothing to do when
    // the control only took the model's state.
    AppSettings& s = model_.Settings;
    chbAutoRun.OnClick = [this, &s] {
        if (chbAutoRun.Checked() != s.AutoRun) SetRunEntry(s.AutoRun = chbAutoRun.Checked());
    };
    chbBalloons.OnClick = [this, &s] { s.Balloons = chbBalloons.Checked(); };
    grpBlocker.SetCheckBoxVisible(true);
    grpBlocker.SetCheckBoxChecked(s.BlockerEnabled);
    grpBlocker.OnCheckBoxClick = [this] { blocker.Switch(grpBlocker.GetCheckBoxChecked(), Feedback::Shown); };
    cmbInterval.BeginUpdate();
    for (const auto& entry : kIntervalList)
        cmbInterval.AddItem(std::wstring(entry.Prefix) + LoadResString(IDS_SEC), static_cast<LPARAM>(entry.Milliseconds));
    cmbInterval.EndUpdate();
    cmbInterval.OnChange = [this] {
        if (const int index = cmbInterval.ItemIndex(); index >= 0)
            blocker.SetInterval(static_cast<std::uint32_t>(cmbInterval.ItemData(index)));
    };
    chbBlockEvents.OnClick = [this] { blocker.SetBlockEvents(chbBlockEvents.Checked()); };
    chbBeepOnClick.OnClick = [this, &s] { s.BeepOnClick = chbBeepOnClick.Checked(); };
    grpShortcuts.SetCheckBoxVisible(false);
    chbShtBlocker.OnClick = [this] { hotkeys.SetSwitch(ShortcutSlot::Blocker, chbShtBlocker.Checked()); };
    chbShtTouchpad.OnClick = [this] { hotkeys.SetSwitch(ShortcutSlot::Touchpad, chbShtTouchpad.Checked()); };
    for (auto [edit, slot] : {std::pair{&edShtBlocker, ShortcutSlot::Blocker}, {&edShtTouchpad, ShortcutSlot::Touchpad}}) {
        edit->OnEnter = [this] { hotkeys.CaptureStart(ModifiersHeld(KeyRecord::Thread)); };
        edit->OnKeyDown = [this, edit](WORD& key) {
            if (auto text = hotkeys.CaptureKeyDown(key)) edit->SetText(*text);
        };
        edit->OnKeyUp = [this, edit, slot](WORD& key) {
            if (auto text = hotkeys.CaptureKeyUp(slot, key)) edit->SetText(*text);
        };
    }
    chbInternet.OnClick = [this, &s] { s.Internet = chbInternet.Checked(); };
    // The links, with what each opens (website::kLinkTargets) as its tag.
    const std::tuple<TImage*, UINT, int> links[] = {
        {&imgFaceBook, IDS_HINT_FACEBOOK, 1}, {&imgGplus, IDS_HINT_GPLUS, 6},         {&imgTwitter, IDS_HINT_TWITTER, 2},
        {&imgRSS, IDS_HINT_RSS, 3},           {&imgDelicious, IDS_HINT_DELICIOUS, 4}, {&imgStumbleUpon, IDS_HINT_STUMBLEUPON, 5}};
    for (const auto& [image, hint, tag] : links) {
        Hints.Add(image->Handle(), LoadResString(hint));
        image->SetTag(tag);
        image->OnClick = [this, tag] { about.OpenLink(tag); };
    }
    imgDelicious.SetVisible(false);
    imgStumbleUpon.SetVisible(false);
    lbLink.SetFontColor(RGB(0, 0, 255));
    lbLink.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    Hints.Add(lbLink.Handle(), LoadResString(IDS_HINT_WEBSITE));
    lbLink.OnMouseEnter = [this] {
        if (!linkFont_) {
            LOGFONTW lf{};
            GetObjectW(Font(), sizeof lf, &lf);
            lf.lfUnderline = TRUE;
            linkFont_.reset(CreateFontIndirectW(&lf));
        }
        if (linkFont_) lbLink.SetFont(static_cast<HFONT>(linkFont_.get()));
    };
    lbLink.OnMouseLeave = [this] { lbLink.SetFont(Font()); };
    lbLink.OnClick = [this] { about.OpenLink(0); };
    pnWebBrowser.SetVisible(false);

    Start();
}

TfrmMain::~TfrmMain() {
    // The window lives a little longer than the features: messages from then on reach none.
    started_ = routing_ = false;
    TApplication::Instance().OnMessage = nullptr;
}

void TfrmMain::Start() {
    TApplication& app = TApplication::Instance();
    // A second instance hands over to the first and ends before anything of it shows.
    if (CheckPrevInstance()) {
        SwitchToPrevInstance();
        app.Terminate();
        return;
    }
    app.OnMessage = [this](MSG& msg, bool& handled) {
        // A thread message can come from any program on the desktop; the program's own go to its windows.
        if (msg.hwnd == nullptr) return;
        // Counted and switched as they are taken from the queue; the window procedure takes them
        // where the system's own modal loops (the tray menu, a move) dispatch them.
        if (msg.message == WM_BLOCKED_EVENT || msg.message == WM_HOTKEY) {
            LRESULT result = 0;
            handled = Route(msg.message, msg.wParam, msg.lParam, result);
        }
        if (msg.message != WM_ACTIVATE_INSTANCE) return;
        // Left unhandled: the application window sees it too.
        about.ShowSettings();
        TApplication::Instance().BringToFront();
        MinutesTick();
    };
    TrayIcon.OnPressed = [this] {
        for (Feature* f : features) f->TrayPressed();
    };
    TrayIcon.OnClick = [this] {
        if (ModifiersHeld(KeyRecord::Now) & ssAlt) about.ShowSettings();
    };
    // The menu's default item (Settings).
    TrayIcon.OnDoubleClick = [this] {
        if (TMenuItem* item = pmPopup.DefaultItem()) item->Click();
    };
    TrayIcon.OnMenu = [this](POINT at) { pmPopup.Popup(at.x, at.y); };
    pmPopup.OnPopup = [this] {
        for (Feature* f : features) f->MenuOpening();
        Refresh();
    };
    tmrRunOnce.OnTimer = [this] {
        tmrRunOnce.SetEnabled(false);
        for (Feature* f : features) f->Settled();
        TrimWorkingSet();
    };
    tmrRunOnce.SetEnabled(true);
    tmrMinutes.OnTimer = [this] { MinutesTick(); };

    SetCaption(app.Title());
    // Between one and five minutes, fixed for the run, so many installations do not report in step.
    std::random_device seed;
    std::mt19937 random(seed());
    tmrMinutes.SetInterval(60000 + std::uniform_int_distribution<UINT>(0, 239999)(random));
    tmrMinutes.SetEnabled(true);

    // Load: what is stored replaces the defaults before anything acts on them.
    model_.Load(LoadAppSettings());
    PlaceFromSettings();
    // Apply: the system follows the model. The hooks wait for the message loop, the hotkeys for
    // the run-once timer (Settled).
    SetRunEntry(model_.Settings.AutoRun);
    for (Feature* f : features) f->Apply();
    started_ = true;
    Refresh();
    UpdateCounterLabel();
    if (model_.Settings.Visible) Show();
    tray.Show();
    tray.Balloon(StatusKind::Blocker);
}

void TfrmMain::PlaceFromSettings() {
    const AppSettings& s = model_.Settings;
    if (auto bounds = ParseBounds(s.Bounds)) {
        // The window keeps its own size; saved at another DPI, it keeps the saved centre.
        RECT now{};
        GetWindowRect(Handle(), &now);
        const BoundsCorner at = RestoredCorner(*bounds, s.BoundsDpi, Dpi(), now.right - now.left, now.bottom - now.top);
        SetWindowPos(Handle(), nullptr, at.Left, at.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        CenterInWorkArea(Handle());
    }
    ClampToWorkArea(Handle());
}

void TfrmMain::Refresh() {
    if (!started_ || !routing_) return;
    for (Feature* f : features) f->Refresh();
    SyncControls();
}

void TfrmMain::SyncControls() {
    const AppSettings& s = model_.Settings;
    chbAutoRun.SetChecked(s.AutoRun);
    chbBalloons.SetChecked(s.Balloons);
    grpBlocker.SetCheckBoxChecked(s.BlockerEnabled);
    const IntervalChoice choice = ChooseInterval(static_cast<std::uint32_t>(s.Delay));
    cmbInterval.SetItemIndex(choice.Index ? static_cast<int>(*choice.Index) : -1);
    chbBlockEvents.SetChecked(s.BlockEvents);
    chbBeepOnClick.SetChecked(s.BeepOnClick);
    chbShtBlocker.SetChecked(s.BlockerSwitch);
    chbShtTouchpad.SetChecked(s.TouchpadSwitch);
    chbInternet.SetChecked(s.Internet);
    const bool touchpad = model_.TouchpadOffered;
    chbShtTouchpad.SetEnabled(touchpad);
    lbShtTouchpad.SetEnabled(touchpad);
    // A refused shortcut is shown in red, with the reason under the pointer.
    const std::tuple<TEdit*, const std::wstring*, bool, bool> edits[] = {
        {&edShtBlocker, &s.BlockerShortcut, s.BlockerSwitch, model_.BlockerShortcutRefused},
        {&edShtTouchpad, &s.TouchpadShortcut, s.TouchpadSwitch && touchpad, model_.TouchpadShortcutRefused}};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto [edit, text, on, refused] = edits[i];
        if (GetFocus() != edit->Handle() && edit->Text() != *text) edit->SetText(*text);
        if (edit->Enabled() != on) EnableShortcutEdit(*edit, on);
        if (marked_[i] == refused) continue;
        marked_[i] = refused;
        edit->SetFontColor(refused ? std::optional<COLORREF>(RGB(255, 0, 0)) : std::nullopt);
        if (refused)
            Hints.Add(edit->Handle(), LoadResString(IDS_SHORTCUT_TAKEN));
        else
            Hints.Remove(edit->Handle());
    }
}

void TfrmMain::UpdateCounterLabel() {
    lbBlockCount.SetText(FormatText(LoadResString(IDS_CLICKS_BLOCKED), {DecimalTextW(model_.Settings.BlockCount)}));
}

void TfrmMain::ShowSettings() {
    Show();
    SetForegroundWindow(Handle());
    TApplication::Instance().BringToFront();
}

void TfrmMain::Save() {
    if (!started_) return;  // nothing read yet: a save now would overwrite what is stored
    // In screen coordinates, as PlaceFromSettings' SetWindowPos takes them back.
    const ScreenRect r = NormalBoundsOnScreen(Handle());
    model_.Settings.Bounds = FormatBounds({r.Left, r.Top, r.Right, r.Bottom});
    model_.Settings.BoundsDpi = Dpi();
    model_.SaveDone(SaveAppSettings(model_.Settings));
}

void TfrmMain::SaveWhenChanged() {
    if (!started_) return;
    const ScreenRect r = NormalBoundsOnScreen(Handle());
    model_.Settings.Bounds = FormatBounds({r.Left, r.Top, r.Right, r.Bottom});
    model_.Settings.BoundsDpi = Dpi();
    if (model_.NeedsSave()) Save();
}

void TfrmMain::MinutesTick() {
    // Before the report, which may wait for its server: counts and choices survive a crash or a
    // forced end with at most a few minutes lost.
    SaveWhenChanged();
    for (Feature* f : features) f->MinutesTick();
    TrimWorkingSet();
}

bool TfrmMain::Route(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // Controls made before the features send their notifications already.
    if (!routing_) return false;
    for (Feature* f : features)
        if (f->OnMessage(msg, wp, lp, result)) return true;
    return false;
}

// ---- Window events ----

void TfrmMain::FormShow() {
    if (!shown_) {
        shown_ = true;
        ::SetFocus(Handle());  // no control starts focused
    }
    SyncControls();
    UpdateCounterLabel();
    blocker.ApplyHooks();
    TrimWorkingSet();
}

void TfrmMain::FormHide() { TrimWorkingSet(); }

void TfrmMain::FormCloseQuery(bool& canClose) {
    canClose = model_.CanClose;
    if (canClose) return;
    // The close button only hides the settings window into the tray.
    Hide();
    model_.Settings.Visible = false;
    Save();
}

void TfrmMain::FormClose() {
    online.Report("stop", "", false);
    Save();
}

void TfrmMain::FormKeyDown(WORD& key, bool alt, bool, bool) {
    if (key == VK_ESCAPE) {
        key = 0;
        Close();
    } else if (key == VK_F1 && alt) {
        key = 0;
        about.Open();
    }
}

void TfrmMain::FormDpiChanged() {
    // Made again from the new font when the pointer next enters the link.
    if (lbLink.Font() == linkFont_.get()) lbLink.SetFont(Font());
    linkFont_.reset();
}

LRESULT TfrmMain::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (Route(msg, wp, lp, result)) return result;
    return TForm::WndProc(msg, wp, lp);
}

WindowBounds TfrmMain::ControlBounds(int left, int top, int width, int height) const {
    return Scaled(WindowBounds{left, top, width, height});
}

}  // namespace quorlin
