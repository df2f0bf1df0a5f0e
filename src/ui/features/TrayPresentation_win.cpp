#include "ui/features/TrayPresentation_win.h"

#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "shell/Application_win.h"
#include "shell/Dpi_win.h"
#include "shell/Theme_win.h"
#include "shortcuts/ShortcutText_win.h"

namespace quorlin {

namespace {

// The tray picture of a state, drawn for the taskbar's theme, from the frame of the notification
// area's own size: the small-icon size at the system DPI, which the taskbar is drawn at.
HICON LoadTrayImage(bool blockerOn) {
    const bool light = TaskbarUsesLightTheme();
    const UINT id = blockerOn ? (light ? IDI_TRAY_ON_LIGHT : IDI_TRAY_ON) : (light ? IDI_TRAY_OFF_LIGHT : IDI_TRAY_OFF);
    const int dpi = SystemDpi();
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi), 0));
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

TrayPresentation::TrayPresentation(FeatureHost& host, TTrayIcon& icon) : Feature(host), icon_(icon) {
    ReloadImages();
}

void TrayPresentation::Show() {
    Refresh();
    icon_.SetVisible(true);
}

std::wstring TrayPresentation::StatusText(StatusKind kind) const {
    StatusInputs in = Model().Status(
        TApplication::Instance().Title(), FileVersionString(), LoadResString(IDS_MI_BLOCKER),
        LoadResString(Model().TouchpadEnabled ? IDS_DISABLE_TOUCHPAD : IDS_ENABLE_TOUCHPAD));
    in.blockerShortcut = ShownShortcut(in.blockerShortcut);
    in.touchpadShortcut = ShownShortcut(in.touchpadShortcut);
    switch (kind) {
    case StatusKind::Tip:
        return TipText(in);
    case StatusKind::Blocker:
        return BlockerStatusText(in, LoadStatusWords());
    case StatusKind::Touchpad:
        return TouchpadStatusText(in, LoadStatusWords());
    case StatusKind::DevicesRefused:
        return LoadResString(IDS_DEVICES_REFUSED);
    }
    return {};
}

void TrayPresentation::Balloon(StatusKind kind) {
    if (!Settings().Balloons) return;
    // The refused device options warn; the states inform.
    icon_.ShowBalloon(TApplication::Instance().Title(), StatusText(kind), 3000, kind == StatusKind::DevicesRefused);
}

void TrayPresentation::Refresh() {
    // Each new picture is a message to the shell: sent only when it changes.
    HICON picture = Settings().BlockerEnabled ? on_.get() : off_.get();
    if (picture != shown_) {
        shown_ = picture;
        icon_.SetIcon(picture);
    }
    icon_.SetHint(StatusText(StatusKind::Tip));
}

void TrayPresentation::MinutesTick() { icon_.UpdateIcon(); }

bool TrayPresentation::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
    // The taskbar turned light or dark: the tray icon follows.
    if (IsColorSetChange(msg, lp)) ReloadImages();
    return false;
}

void TrayPresentation::ReloadImages() {
    on_.reset(LoadTrayImage(true));
    off_.reset(LoadTrayImage(false));
    shown_ = nullptr;
    if (icon_.Visible()) Refresh();
}

}  // namespace quorlin
