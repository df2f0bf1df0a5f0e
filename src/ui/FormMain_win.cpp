#include "ui/FormMain_win.h"

#include <algorithm>
#include <random>

#include "base/Decimal.h"
#include "base/Keys.h"
#include "base/Language.h"
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
#include "shell/TextFit_win.h"
#include "shortcuts/ShortcutText_win.h"
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
      pnWebBrowser(Handle(), ControlBounds(252, 175, 32, 24), L"Ping") {
    TApplication::Instance().SetMainWindow(Handle());
    routing_ = true;
    TrayMenu menu{pmPopup};
    for (Feature* f : features) f->AddMenuItems(menu);

    pnWebBrowser.SetVisible(false);

    Start();
}

TfrmMain::Controls::Controls(TfrmMain& f)
    : lbInfo(f.Handle(), f.ControlBounds(10, 10, 292, 50), LoadResString(IDS_INFO)),
      chbAutoRun(f.Handle(), f.ControlBounds(16, 64, 230, 17), LoadResString(IDS_AUTORUN), DefaultSettings().AutoRun),
      chbBalloons(f.Handle(), f.ControlBounds(16, 88, 250, 17), LoadResString(IDS_BALLOONS), DefaultSettings().Balloons),
      grpBlocker(f.Handle(), f.ControlBounds(8, 114, 292, 120), LoadResString(IDS_GRP_BLOCKER)),
      lbInterval(grpBlocker.Handle(), f.ControlBounds(12, 26, 152, 15), LoadResString(IDS_INTERVAL)),
      cmbInterval(grpBlocker.Handle(), f.ControlBounds(176, 22, 96, 23)),
      chbBlockEvents(grpBlocker.Handle(), f.ControlBounds(12, 52, 212, 17), LoadResString(IDS_BLOCK_EVENTS),
                     DefaultSettings().BlockEvents),
      chbBeepOnClick(grpBlocker.Handle(), f.ControlBounds(12, 76, 200, 17), LoadResString(IDS_BEEP),
                     DefaultSettings().BeepOnClick),
      lbBlockCount(grpBlocker.Handle(), f.ControlBounds(12, 96, 260, 15), LoadResString(IDS_CLICKS_BLOCKED),
                   TLabel::Align::Right),
      grpShortcuts(f.Handle(), f.ControlBounds(8, 240, 292, 104), LoadResString(IDS_GRP_SHORTCUTS)),
      chbShtBlocker(grpShortcuts.Handle(), f.ControlBounds(12, 28, 164, 17), LoadResString(IDS_SHT_BLOCKER),
                    DefaultSettings().BlockerSwitch),
      edShtBlocker(grpShortcuts.Handle(), f.ControlBounds(176, 24, 96, 23), L"", true),
      edShtTouchpad(grpShortcuts.Handle(), f.ControlBounds(176, 52, 96, 23), L"", true),
      chbShtTouchpad(grpShortcuts.Handle(), f.ControlBounds(12, 56, 164, 17), LoadResString(IDS_SHT_TOUCHPAD),
                     DefaultSettings().TouchpadSwitch),
      lbShtTouchpad(grpShortcuts.Handle(), f.ControlBounds(12, 80, 260, 15), LoadResString(IDS_SHT_TOUCHPAD_NOTE)),
      chbInternet(f.Handle(), f.ControlBounds(16, 356, 272, 17), LoadResString(IDS_INTERNET), DefaultSettings().Internet),
      imgFaceBook(f.Handle(), f.ControlBounds(12, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_PAGE)),
      imgGplus(f.Handle(), f.ControlBounds(32, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_CIRCLES)),
      imgTwitter(f.Handle(), f.ControlBounds(52, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_FOLLOW)),
      imgRSS(f.Handle(), f.ControlBounds(72, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_FEED)),
      imgDelicious(f.Handle(), f.ControlBounds(92, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_BOOKMARK)),
      imgStumbleUpon(f.Handle(), f.ControlBounds(112, 384, 16, 16), MAKEINTRESOURCEW(IDI_LINK_RECOMMEND)),
      lbLink(f.Handle(), f.ControlBounds(142, 384, 158, 15), WebsiteCaption()),
      Hints(f.Handle()) {}

TfrmMain::Controls& TfrmMain::Ctl() {
    if (controls_) return *controls_;
    controls_ = std::make_unique<Controls>(*this);
    WireControls(*controls_);
    FitTexts(*controls_);
    SyncControls();
    UpdateCounterLabel();
    return *controls_;
}

void TfrmMain::WireControls(Controls& c) {
    // The controls change the model through the features; each event finds nothing to do when
    // the control only took the model's state.
    AppSettings& s = model_.Settings;
    c.chbAutoRun.OnClick = [this, &c, &s] {
        if (c.chbAutoRun.Checked() != s.AutoRun) SetRunEntry(s.AutoRun = c.chbAutoRun.Checked());
    };
    c.chbBalloons.OnClick = [&c, &s] { s.Balloons = c.chbBalloons.Checked(); };
    c.grpBlocker.SetCheckBoxVisible(true);
    c.grpBlocker.SetCheckBoxChecked(s.BlockerEnabled);
    c.grpBlocker.OnCheckBoxClick = [this, &c] { blocker.Switch(c.grpBlocker.GetCheckBoxChecked(), Feedback::Shown); };
    c.cmbInterval.BeginUpdate();
    const std::wstring point = LoadResString(IDS_DECIMAL_POINT);
    for (const auto& entry : kIntervalList) {
        std::wstring prefix(entry.Prefix);
        if (point.size() == 1) std::replace(prefix.begin(), prefix.end(), L'.', point[0]);
        c.cmbInterval.AddItem(prefix + LoadResString(IDS_SEC), static_cast<LPARAM>(entry.Milliseconds));
    }
    c.cmbInterval.EndUpdate();
    c.cmbInterval.OnChange = [this, &c] {
        if (const int index = c.cmbInterval.ItemIndex(); index >= 0)
            blocker.SetInterval(static_cast<std::uint32_t>(c.cmbInterval.ItemData(index)));
    };
    c.chbBlockEvents.OnClick = [this, &c] { blocker.SetBlockEvents(c.chbBlockEvents.Checked()); };
    c.chbBeepOnClick.OnClick = [&c, &s] { s.BeepOnClick = c.chbBeepOnClick.Checked(); };
    c.grpShortcuts.SetCheckBoxVisible(false);
    c.chbShtBlocker.OnClick = [this, &c] { hotkeys.SetSwitch(ShortcutSlot::Blocker, c.chbShtBlocker.Checked()); };
    c.chbShtTouchpad.OnClick = [this, &c] { hotkeys.SetSwitch(ShortcutSlot::Touchpad, c.chbShtTouchpad.Checked()); };
    for (auto [edit, slot] : {std::pair{&c.edShtBlocker, ShortcutSlot::Blocker}, {&c.edShtTouchpad, ShortcutSlot::Touchpad}}) {
        edit->OnEnter = [this] { hotkeys.CaptureStart(ModifiersHeld(KeyRecord::Thread)); };
        edit->OnKeyDown = [this, edit](WORD& key) {
            if (auto text = hotkeys.CaptureKeyDown(key)) edit->SetText(*text);
        };
        edit->OnKeyUp = [this, edit, slot](WORD& key) {
            if (auto text = hotkeys.CaptureKeyUp(slot, key)) edit->SetText(*text);
        };
    }
    c.chbInternet.OnClick = [&c, &s] { s.Internet = c.chbInternet.Checked(); };
    // The links, with what each opens (website::kLinkTargets) as its tag.
    const std::tuple<TImage*, UINT, int> links[] = {
        {&c.imgFaceBook, IDS_HINT_FACEBOOK, 1}, {&c.imgGplus, IDS_HINT_GPLUS, 6},         {&c.imgTwitter, IDS_HINT_TWITTER, 2},
        {&c.imgRSS, IDS_HINT_RSS, 3},           {&c.imgDelicious, IDS_HINT_DELICIOUS, 4}, {&c.imgStumbleUpon, IDS_HINT_STUMBLEUPON, 5}};
    for (const auto& [image, hint, tag] : links) {
        c.Hints.Add(image->Handle(), LoadResString(hint));
        image->SetTag(tag);
        image->OnClick = [this, tag] { about.OpenLink(tag); };
    }
    c.imgDelicious.SetVisible(false);
    c.imgStumbleUpon.SetVisible(false);
    c.lbLink.SetFontColor(RGB(0, 0, 255));
    c.lbLink.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    c.Hints.Add(c.lbLink.Handle(), LoadResString(IDS_HINT_WEBSITE));
    c.lbLink.OnMouseEnter = [this, &c] {
        if (!linkFont_) {
            LOGFONTW lf{};
            GetObjectW(Font(), sizeof lf, &lf);
            lf.lfUnderline = TRUE;
            linkFont_.reset(CreateFontIndirectW(&lf));
        }
        if (linkFont_) c.lbLink.SetFont(static_cast<HFONT>(linkFont_.get()));
    };
    c.lbLink.OnMouseLeave = [this, &c] { c.lbLink.SetFont(Font()); };
    c.lbLink.OnClick = [this] { about.OpenLink(0); };
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
    // Apply: the system follows the model; the hotkeys wait for the run-once timer (Settled).
    SetRunEntry(model_.Settings.AutoRun);
    for (Feature* f : features) f->Apply();
    started_ = true;
    Refresh();
    UpdateCounterLabel();
    // The controls are made before the window shows, so that it paints them once.
    if (model_.Settings.Visible) {
        Ctl();
        Show();
    }
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
    if (!controls_) return;  // made when first shown, from the model as it is then
    Controls& c = *controls_;
    const AppSettings& s = model_.Settings;
    c.chbAutoRun.SetChecked(s.AutoRun);
    c.chbBalloons.SetChecked(s.Balloons);
    c.grpBlocker.SetCheckBoxChecked(s.BlockerEnabled);
    const IntervalChoice choice = ChooseInterval(static_cast<std::uint32_t>(s.Delay));
    c.cmbInterval.SetItemIndex(choice.Index ? static_cast<int>(*choice.Index) : -1);
    c.chbBlockEvents.SetChecked(s.BlockEvents);
    c.chbBeepOnClick.SetChecked(s.BeepOnClick);
    c.chbShtBlocker.SetChecked(s.BlockerSwitch);
    c.chbShtTouchpad.SetChecked(s.TouchpadSwitch);
    c.chbInternet.SetChecked(s.Internet);
    const bool touchpad = model_.TouchpadOffered;
    c.chbShtTouchpad.SetEnabled(touchpad);
    c.lbShtTouchpad.SetEnabled(touchpad);
    // A refused shortcut is shown in red, with the reason under the pointer.
    const std::tuple<TEdit*, const std::wstring*, bool, bool> edits[] = {
        {&c.edShtBlocker, &s.BlockerShortcut, s.BlockerSwitch, model_.BlockerShortcutRefused},
        {&c.edShtTouchpad, &s.TouchpadShortcut, s.TouchpadSwitch && touchpad, model_.TouchpadShortcutRefused}};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto [edit, text, on, refused] = edits[i];
        if (const std::wstring shown = ShownShortcut(*text); GetFocus() != edit->Handle() && edit->Text() != shown)
            edit->SetText(shown);
        if (edit->Enabled() != on) EnableShortcutEdit(*edit, on);
        if (marked_[i] == refused) continue;
        marked_[i] = refused;
        edit->SetFontColor(refused ? std::optional<COLORREF>(RGB(255, 0, 0)) : std::nullopt);
        if (refused)
            c.Hints.Add(edit->Handle(), LoadResString(IDS_SHORTCUT_TAKEN));
        else
            c.Hints.Remove(edit->Handle());
    }
}

void TfrmMain::UpdateCounterLabel() {
    if (controls_)
        controls_->lbBlockCount.SetText(FormatText(LoadResString(IDS_CLICKS_BLOCKED), {DecimalTextW(model_.Settings.BlockCount)}));
}

void TfrmMain::FitTexts(Controls& c) {
    using enum FitAnchor;
    const int blocker = 3, shortcuts = 9;  // the group boxes' places in the list
    const FitControl controls[] = {
        {c.lbInfo.Handle(), -1, Stretch, FitText::Paragraph},
        {c.chbAutoRun.Handle(), -1, Left, FitText::CheckBox},
        {c.chbBalloons.Handle(), -1, Left, FitText::CheckBox},
        {c.grpBlocker.Handle(), -1, Stretch, FitText::Caption, c.grpBlocker.CaptionWidth() + Scale(8)},
        {c.lbInterval.Handle(), blocker, Left, FitText::Label},
        {c.cmbInterval.Handle(), blocker, Right},
        {c.chbBlockEvents.Handle(), blocker, Left, FitText::CheckBox},
        {c.chbBeepOnClick.Handle(), blocker, Left, FitText::CheckBox},
        {c.lbBlockCount.Handle(), blocker, Stretch, FitText::Label},
        {c.grpShortcuts.Handle(), -1, Stretch, FitText::Caption, c.grpShortcuts.CaptionWidth() + Scale(8)},
        {c.chbShtBlocker.Handle(), shortcuts, Left, FitText::CheckBox},
        {c.edShtBlocker.Handle(), shortcuts, Right},
        {c.edShtTouchpad.Handle(), shortcuts, Right},
        {c.chbShtTouchpad.Handle(), shortcuts, Left, FitText::CheckBox},
        {c.lbShtTouchpad.Handle(), shortcuts, Left, FitText::Label},
        {c.chbInternet.Handle(), -1, Left, FitText::CheckBox},
        {c.imgFaceBook.Handle()}, {c.imgGplus.Handle()}, {c.imgTwitter.Handle()}, {c.imgRSS.Handle()},
        {c.imgDelicious.Handle()}, {c.imgStumbleUpon.Handle()},
        {c.lbLink.Handle(), -1, Right},
    };
    RECT client{};
    GetClientRect(Handle(), &client);
    // The English design was drawn for its texts; translations get a little room beyond theirs.
    const SIZE fitted = FitControls(controls, {client.right, client.bottom}, Scale(150), CurrentTextLanguage() != kEnglishLangId);
    if (fitted.cx == client.right && fitted.cy == client.bottom) return;
    // Placed at the design's size already: the grown window stays inside the work area.
    SetClientSize(fitted.cx, fitted.cy);
    ClampToWorkArea(Handle());
}

void TfrmMain::ShowSettings() {
    Ctl();
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
    Ctl();  // made already, unless something else showed the window
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
    if (controls_ && controls_->lbLink.Font() == linkFont_.get()) controls_->lbLink.SetFont(Font());
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
