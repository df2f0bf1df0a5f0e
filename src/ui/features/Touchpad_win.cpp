#include "ui/features/Touchpad_win.h"

#include "base/Keys.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "shortcuts/ShortcutText_win.h"
#include "touchpad/PrecisionTouchpad_win.h"
#include "touchpad/SynapticsUtils_win.h"

namespace quorlin {

Touchpad::Touchpad(FeatureHost& host)
    : Feature(host), timer_(touchpad::kModifierPollMs), report_(touchpad::ReadSystemTouchpad()) {
    wanted_ = touchpad::InitialState(SynapticsAvailable, IsTouchpadEnabled(), report_);
    timer_.OnTimer = [this] { TimerTick(); };
    Model().TouchpadOffered = touchpad::PlanSwitch(SynapticsAvailable, report_).offered;
}

void Touchpad::AddMenuItems(TrayMenu& menu) {
    item_ = &menu.root.Add(LoadResString(IDS_MI_TOUCHPAD));
    item_->OnClick = [this] { Toggle(Feedback::Quiet); };
}

bool Touchpad::State() const {
    if (SynapticsAvailable) return IsTouchpadEnabled();
    // Where the system reports the state it is the truth, as the driver's is.
    return touchpad::ReadSystemTouchpad().enabled.value_or(wanted_);
}

void Touchpad::MenuOpening() {
    if (!SynapticsAvailable) report_ = touchpad::ReadSystemTouchpad();
}

void Touchpad::Refresh() {
    AppModel& m = Model();
    m.TouchpadOffered = touchpad::PlanSwitch(SynapticsAvailable, report_).offered;
    m.TouchpadEnabled = State();
    item_->Visible = item_->Enabled = m.TouchpadOffered;
    if (!m.TouchpadOffered) return;
    item_->Caption = LoadResString(m.TouchpadEnabled ? IDS_DISABLE_TOUCHPAD : IDS_ENABLE_TOUCHPAD);
    item_->ShortCutText = m.TouchpadShortcutShown() ? ShortcutMenuText(m.Settings.TouchpadShortcut) : L"";
}

void Touchpad::SetState(bool value) {
    if (value == State()) return;
    wanted_ = value;
    if (!SynapticsAvailable) return;
    // A refused write shows up as an unchanged state at the next query.
    if (value)
        EnableTouchpad();
    else
        DisableTouchpad();
    host_.refresh();
}

void Touchpad::Toggle(Feedback feedback) {
    if (!SynapticsAvailable) {
        // The system switches a precision touchpad on Ctrl+Win+F24. The hotkey's own modifiers are
        // still down now and would join the combination: it goes out once the user lets go of them.
        if (requestedAt_ || settling_) return;  // one switch at a time
        requestedAt_ = GetTickCount();
        feedback_ = feedback;
        timer_.SetInterval(touchpad::kModifierPollMs);
        timer_.SetEnabled(true);
        return;
    }
    SetState(!State());
    Finish(feedback);
}

void Touchpad::Finish(Feedback feedback) {
    if (feedback == Feedback::Shown) host_.feedback(StatusKind::Touchpad);
    TrimWorkingSet();
}

void Touchpad::TimerTick() {
    if (requestedAt_) {
        const touchpad::WaitStep step = touchpad::NextWaitStep(*requestedAt_, GetTickCount(), AnyModifierHeldNow());
        if (step == touchpad::WaitStep::Wait) return;
        requestedAt_.reset();
        if (step == touchpad::WaitStep::GiveUp) {
            // Held for seconds: the user meant something else; nothing is switched.
            timer_.SetEnabled(false);
            return;
        }
        const bool before = State();
        // Nothing switched when the system refused the keys; the texts then show the old state.
        if (touchpad::SendCombination()) wanted_ = !before;
        if (touchpad::PlanSwitch(false, report_).stateReported) {
            // The system's state is read again once it has had a moment to apply the switch.
            settling_ = true;
            timer_.SetInterval(touchpad::kStateSettleMs);
            return;
        }
    } else if (!settling_) {
        timer_.SetEnabled(false);
        return;
    }
    settling_ = false;
    timer_.SetEnabled(false);
    host_.refresh();
    Finish(feedback_);
}

}  // namespace quorlin
