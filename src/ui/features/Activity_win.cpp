#include "ui/features/Activity_win.h"

#include "base/Messages.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/ForegroundProgram_win.h"
#include "blocker/InputDeviceList_win.h"
#include "blocker/InputHooks_win.h"
#include "touchpad/PrecisionTouchpad_win.h"
#include "touchpad/SynapticsUtils_win.h"
#include "ui/model/Diagnostics.h"

namespace quorlin {

namespace {

// The version the system really runs: GetVersionEx answers as for the newest system the manifest names.
void ReadWindowsVersion(activity::DiagnosticsFacts& f) {
    using Fn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    const auto get = GetProc<Fn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (!get || get(&v) != 0) return;
    f.WindowsMajor = v.dwMajorVersion;
    f.WindowsMinor = v.dwMinorVersion;
    f.WindowsBuild = v.dwBuildNumber;
}

BOOL CALLBACK AddMonitorDpi(HMONITOR monitor, HDC, RECT*, LPARAM lp) {
    reinterpret_cast<std::vector<int>*>(lp)->push_back(MonitorDpi(monitor));
    return TRUE;
}

// Anything counted: a device option was on, or the order was observed.
bool Observed() { return InputOrderSoFar() != activity::InputOrderCounts{}; }

}  // namespace

Activity::Activity(FeatureHost& host, std::function<void(std::uint32_t)> setInterval)
    : Feature(host), setInterval_(std::move(setInterval)) {}

void Activity::AddMenuItems(TrayMenu& menu) {
    menu.root.Add(LoadResString(IDS_MI_ACTIVITY)).OnClick = [this] { Open(); };
}

void Activity::Open() {
    if (window_) {
        window_->BringToFront();
        return;
    }
    ActivityWindow::Host host;
    host.interval = [this] { return static_cast<std::uint32_t>(Settings().Delay); };
    host.useInterval = [this](std::uint32_t ms) {
        setInterval_(ms);
        host_.refresh();
    };
    host.diagnostics = [this] { return Diagnostics(); };
    host.closed = [this] { PostMessageW(host_.window, WM_ACTIVITY_CLOSED, 0, 0); };
    host.canObserve = [this] {
        return !Settings().IgnoreExternalMouse && !Settings().IgnoreExternalKeyboard && !Observed();
    };
    host.observe = [](bool on) { ObserveInputOrder(on); };
    host.readFrom = clearedAt_;
    host.cleared = [this](std::uint32_t at) { clearedAt_ = at; };
    window_ = std::make_unique<ActivityWindow>(std::move(host));
}

bool Activity::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_ACTIVITY_CLOSED) return false;
    // Any program can post it: only a window the user closed goes.
    if (window_ && !IsWindowVisible(window_->Handle())) window_.reset();
    result = 0;
    return true;
}

std::wstring Activity::Diagnostics() const {
    activity::DiagnosticsFacts f;
    f.Version = FileVersionString();
    ReadWindowsVersion(f);
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorDpi, reinterpret_cast<LPARAM>(&f.MonitorDpis));
    f.Touchpad = SynapticsAvailable                                      ? L"driver interface"
                 : touchpad::ReadSystemTouchpad().present.value_or(false) ? L"precision touchpad"
                                                                          : L"none";
    const auto& overrides = Settings().DeviceOverrides;
    for (const InputDevice& d : ListInputDevices())
        f.Devices.push_back({d.Type == devices::Kind::Mouse, d.Name, IsBuiltIn(d, overrides),
                             StoredPlacement(overrides, d.Path) != devices::Placement::Automatic});
    const HookHealth hooks = ReadHookHealth();
    if (hooks.InstalledTick) f.HooksInstalledSecondsAgo = (GetTickCount() - *hooks.InstalledTick) / 1000;
    f.HooksFoundRemoved = hooks.FoundRemoved;
    f.HooksPutBack = hooks.PutBack;
    if (BlockerState.Foreground) f.ForegroundEventArrives = BlockerState.Foreground->EventArrives();
    if (Observed()) f.InputOrder = InputOrderSoFar();
    f.Settings = &Settings();
    return activity::DiagnosticsText(f);
}

}  // namespace quorlin
