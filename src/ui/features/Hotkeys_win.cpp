#include "ui/features/Hotkeys_win.h"

#include "base/Text_win.h"
#include "shell/Application_win.h"
#include "shortcuts/Hotkeys_win.h"
#include "shortcuts/ShortcutText_win.h"

namespace quorlin {

namespace {

// False when the system refused the shortcut, or when the capture would have: a typing key taken
// system-wide would never reach any program again.
bool Take(HWND window, const std::wstring& text, int id) {
    if (!CaptureAccepts(ParseShortCut(ToAnsi(text)))) return false;
    return RegisterShortcutHotkey(window, text, id);
}

}  // namespace

Hotkeys::Hotkeys(FeatureHost& host, std::function<void()> blockerHotkey, std::function<void()> touchpadHotkey)
    : Feature(host), blockerHotkey_(std::move(blockerHotkey)), touchpadHotkey_(std::move(touchpadHotkey)) {
    const std::wstring title = TApplication::Instance().Title();
    blockerId_ = GlobalAddAtomA(ToAnsi(title + L".Blocker").c_str());
    touchpadId_ = GlobalAddAtomA(ToAnsi(title + L".Touchpad").c_str());
}

Hotkeys::~Hotkeys() {
    if (blockerId_) GlobalDeleteAtom(blockerId_);
    if (touchpadId_) GlobalDeleteAtom(touchpadId_);
}

void Hotkeys::Apply() {
    // A text typed by hand in the user's language is kept in the stored form from now on.
    Settings().BlockerShortcut = StoredShortcut(Settings().BlockerShortcut);
    Settings().TouchpadShortcut = StoredShortcut(Settings().TouchpadShortcut);
}

void Hotkeys::Settled() {
    settled_ = true;
    Register();
}

void Hotkeys::Register() {
    if (!settled_) return;
    AppModel& m = Model();
    UnregisterHotKey(host_.window, blockerId_);
    m.BlockerShortcutRefused = m.Settings.BlockerSwitch && !Take(host_.window, m.Settings.BlockerShortcut, blockerId_);
    UnregisterHotKey(host_.window, touchpadId_);
    m.TouchpadShortcutRefused =
        m.Settings.TouchpadSwitch && !Take(host_.window, m.Settings.TouchpadShortcut, touchpadId_);
    host_.refresh();
}

void Hotkeys::SetSwitch(ShortcutSlot slot, bool on) {
    bool& value = slot == ShortcutSlot::Blocker ? Settings().BlockerSwitch : Settings().TouchpadSwitch;
    if (value == on) return;
    value = on;
    // The box shows the change before the hotkey goes: whoever sees it free sees the box greyed.
    host_.refresh();
    Register();
}

// The capture follows the modifiers from the key messages the box receives: the thread's key state
// can disagree with them (under Wine it was seen to say Ctrl is up while Ctrl's own press was
// being handled).
std::optional<std::wstring> Hotkeys::CaptureKeyDown(WORD key) {
    if (!IsModifierKey(key)) return std::nullopt;  // Delete, Backspace, others
    // Shows the modifiers held so far: the key just pressed by its own name.
    HeldModifierKeys others = captureKeys_;
    others.KeyUp(key);
    captureKeys_.KeyDown(key);
    return ShownShortcut(ComposeShortCut(key, others.Held()));
}

std::optional<std::wstring> Hotkeys::CaptureKeyUp(ShortcutSlot slot, WORD key) {
    if (IsModifierKey(key)) {
        captureKeys_.KeyUp(key);
        return std::nullopt;
    }
    if (key == VK_DELETE || key == VK_BACK || key == VK_TAB) return std::nullopt;
    std::wstring& shortcut = slot == ShortcutSlot::Blocker ? Settings().BlockerShortcut : Settings().TouchpadShortcut;
    const std::string text = FormatShortCut(CapturedShortCut(key, captureKeys_.Held()));
    // A typing key, or one without a name: the shortcut stays, and so does its text.
    if (!text.empty()) {
        shortcut = FromAnsi(text);  // the stored form, whatever the language shown
        Register();
    }
    return ShownShortcut(shortcut);
}

bool Hotkeys::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_HOTKEY) return false;
    result = 0;
    if (wp == blockerId_)
        blockerHotkey_();
    else if (wp == touchpadId_)
        touchpadHotkey_();
    else
        return false;
    return true;
}

}  // namespace quorlin
