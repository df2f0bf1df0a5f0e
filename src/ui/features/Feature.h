// What every feature of the program is to the main window: a module that keeps its slice of the
// model in effect, puts its items into the tray menu and takes the window messages it owns. The
// window hands each what it needs through FeatureHost; no feature knows the window or another one.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "shell/PopupMenu_win.h"
#include "ui/model/AppModel.h"

namespace quorlin {

// How a switch was asked for: by a key or a check box, which answer with a balloon and a beep, or
// from the tray menu, whose user sees the result already.
enum class Feedback { Quiet, Shown };

// Which state a balloon tells.
enum class StatusKind { Tip, Blocker, Touchpad, DevicesRefused };

struct FeatureHost {
    HWND window = nullptr;
    AppModel& model;
    // The model changed: menu items, the tray icon and the controls follow it.
    std::function<void()> refresh;
    // The balloon for a state, when balloons are on, and the beep that goes with it.
    std::function<void(StatusKind)> feedback;
    // Writes the model's settings now.
    std::function<void()> save;
    // A usage report (name, extra query text, whether the throttle is passed over).
    std::function<void(std::string_view, std::string_view, bool)> report;
};

// The tray menu as the features fill it, in the feature list's order.
struct TrayMenu {
    TPopupMenu& root;
};

// A submenu that other features put their items into (smart blocking's), whenever they ask: before
// or after its owner has put it into the tray menu.
class SharedSubmenu {
public:
    virtual TMenuItem& AddItem(std::wstring caption) = 0;

protected:
    ~SharedSubmenu() = default;
};

class Feature {
public:
    explicit Feature(FeatureHost& host) : host_(host) {}
    virtual ~Feature() = default;
    Feature(const Feature&) = delete;
    Feature& operator=(const Feature&) = delete;

    // Once, at construction of the window, in menu order.
    virtual void AddMenuItems(TrayMenu&) {}
    // After the settings were loaded: the system follows the model (hooks, entries, watches).
    virtual void Apply() {}
    // Once start-up has settled and the message loop runs.
    virtual void Settled() {}
    // The model may have changed: items show it.
    virtual void Refresh() {}
    // The tray menu opens: what must be read from the system first.
    virtual void MenuOpening() {}
    // A button went down on the tray icon, before the program takes the foreground for a menu.
    virtual void TrayPressed() {}
    // The minutes timer.
    virtual void MinutesTick() {}
    // A message for the window (WM_SYSCOMMAND of its own system menu entries too); true when this
    // feature took it (result is then returned).
    virtual bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

protected:
    FeatureHost& host_;
    AppModel& Model() const { return host_.model; }
    AppSettings& Settings() const { return host_.model.Settings; }
};

// While a modal window is open the tray's About and Settings wait; put back in every case.
class ModalScope {
public:
    explicit ModalScope(FeatureHost& host) : host_(host) {
        ++host_.model.ModalWindows;
        host_.refresh();
    }
    ~ModalScope() {
        --host_.model.ModalWindows;
        host_.refresh();
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    FeatureHost& host_;
};

}  // namespace quorlin
