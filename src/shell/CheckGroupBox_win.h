// A group box whose caption is a check box: checking or clearing it enables or disables the
// other controls inside the group and raises OnCheckBoxClick.
#pragma once
#include "shell/Controls_win.h"

namespace quorlin {

class TCheckGroupBox : public TGroupBox {
public:
    // The caption check box is created checked and visible; creating it raises nothing.
    TCheckGroupBox(HWND parent, const WindowBounds& bounds, std::wstring_view caption);

    bool GetCheckBoxChecked() const;
    // A change raises OnCheckBoxClick once before returning; either way the state is applied
    // to the controls inside again.
    void SetCheckBoxChecked(bool checked);

    bool CheckBoxVisible() const;
    // Shows or hides the caption check box; a hidden one leaves the caption to the frame.
    // The controls inside are left as they are.
    void SetCheckBoxVisible(bool visible);

    bool AutoDisableControls() const { return autoDisableControls_; }
    void SetAutoDisableControls(bool value);

    // From the box's left edge to the end of its caption, as wide as the caption with its check box.
    int CaptionWidth() const;

    // The caption check box (first child, tab position 0 inside the group).
    TCheckBox& CheckBox() { return checkBox_; }

    TNotifyEvent OnCheckBoxClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Size of the check mark in pixels (13 at 96 DPI); the check box is this plus 6 design pixels
    // wider than its text.
    int CheckMarkSize() const;
    // Gives the check box the caption, places it on the frame line and erases behind it.
    void AdjustCheckBox();
    // Enables the other controls inside while the box is checked (or hidden) and the group enabled.
    void UpdateControlsEnabled();
    void CheckBoxClick();
    RECT CheckBoxRect() const;
    void EraseBehindCheckBox(HDC dc);

    TCheckBox checkBox_;
    bool autoDisableControls_ = true;
};

}  // namespace quorlin
