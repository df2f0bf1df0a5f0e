// The two system-wide shortcuts: registered from the model once start-up has settled and at every
// change, refused when the system or the capture rules refuse them, and captured anew from the
// keys a shortcut box receives.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "shortcuts/Capture.h"
#include "ui/features/Feature.h"

namespace quorlin {

enum class ShortcutSlot { Blocker, Touchpad };

class Hotkeys : public Feature {
public:
    // The switches the two hotkeys run.
    Hotkeys(FeatureHost& host, std::function<void()> blockerHotkey, std::function<void()> touchpadHotkey);
    ~Hotkeys() override;

    // Takes the shortcuts the model names (after start-up, and at every change of them).
    void Register();
    // A shortcut switched on or off.
    void SetSwitch(ShortcutSlot slot, bool on);

    // The capture in a shortcut box. Each answers the text the box shows next, if it changes.
    void CaptureStart(TShiftState held) { captureKeys_.Reset(held); }
    std::optional<std::wstring> CaptureKeyDown(WORD key);
    std::optional<std::wstring> CaptureKeyUp(ShortcutSlot slot, WORD key);

    void Apply() override;
    void Settled() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::function<void()> blockerHotkey_, touchpadHotkey_;
    ATOM blockerId_ = 0, touchpadId_ = 0;
    bool settled_ = false;  // before that, the start-up registers them once
    HeldModifierKeys captureKeys_;  // the modifiers held, as the focused shortcut box saw them
};

}  // namespace quorlin
