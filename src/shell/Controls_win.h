// Thin wrappers over the standard Win32 controls the settings window is built from. Each wrapper
// owns its control window (created at construction, destroyed with the wrapper); its events are
// plain callbacks. Notifications that a control sends to its parent come back to the wrapper: windows that
// hold wrapped controls pass their messages to ReflectControlMessage first (wrapped containers
// such as the group box do so themselves).
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shell/Placement.h"
#include "base/Unique_win.h"

namespace quorlin {

// Key events of an edit box; a handler that sets key to 0 keeps the key press from the control's
// own handling (a character that the key produces still arrives).
using TKeyEvent = std::function<void(WORD& key)>;
using TNotifyEvent = std::function<void()>;

class TWinControl {
public:
    virtual ~TWinControl();
    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;

    HWND Handle() const { return hwnd_.get(); }
    HWND ParentHandle() const;

    // Left, top, width, height in the parent's client coordinates.
    WindowBounds Bounds() const;
    void SetBounds(const WindowBounds& bounds);

    std::wstring Text() const;
    void SetText(std::wstring_view text);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The control's own visibility flag (a hidden parent does not clear it).
    bool Visible() const;
    void SetVisible(bool visible);

    // The font is not owned: whoever creates it keeps it alive as long as the control uses it.
    HFONT Font() const;
    void SetFont(HFONT font);

    // Background colour; none gives the system's choice.
    void SetColor(std::optional<COLORREF> color);
    // Text colour; none gives the system's choice.
    void SetFontColor(std::optional<COLORREF> color);
    // The pointer shape over the control (a shared system cursor); null gives the class cursor.
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    void SetFocus();

    // The wrapper of a window, or null when the window is no wrapped control of the calling thread.
    static TWinControl* FromHandle(HWND hwnd);

protected:
    // Creates the control as a visible child of parent; it takes the parent's font.
    TWinControl(HWND parent, const wchar_t* windowClass, DWORD style, DWORD exStyle, const WindowBounds& bounds,
                std::wstring_view text = {});

    // A notification code from the control's WM_COMMAND to its parent.
    virtual void Notify(WORD /*code*/) {}
    // Every message of the control's window; overrides end with DefaultProc.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend bool ReflectControlMessage(UINT, WPARAM, LPARAM, LRESULT&);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HBRUSH ControlColor(HDC dc);

    UniqueWindow hwnd_;
    int tag_ = 0;
    std::optional<COLORREF> color_;
    std::optional<COLORREF> fontColor_;
    HCURSOR cursor_ = nullptr;
    UniqueGdiObject brush_;
};

// Hands WM_COMMAND and WM_CTLCOLOR* from a wrapped child back to the child's wrapper.
// Returns true (and the result) when the message was taken.
bool ReflectControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Draws the parent's themed background into rc of dc when visual styles are active; false otherwise.
bool DrawParentThemeBackground(HWND child, HDC dc, const RECT& rc);

class TCheckBox : public TWinControl {
public:
    TCheckBox(HWND parent, const WindowBounds& bounds, std::wstring_view text, bool checked = false);

    bool Checked() const;
    // A change raises OnClick, as a user's click would; setting the current state raises nothing.
    void SetChecked(bool checked);

    TNotifyEvent OnClick;

protected:
    virtual void Click();
    void Notify(WORD code) override;
};

// A frame with its caption on the top edge; holds other controls as its children.
class TGroupBox : public TWinControl {
public:
    TGroupBox(HWND parent, const WindowBounds& bounds, std::wstring_view caption);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Paints the group box's own background (themed parent background, or its colour) into rc.
    void EraseArea(HDC dc, const RECT& rc);
};

class TLabel : public TWinControl {
public:
    enum class Align { Left, Center, Right };
    TLabel(HWND parent, const WindowBounds& bounds, std::wstring_view text, Align align = Align::Left);
    TNotifyEvent OnClick;

protected:
    void Notify(WORD code) override;
};

class TEdit : public TWinControl {
public:
    TEdit(HWND parent, const WindowBounds& bounds, std::wstring_view text = {}, bool readOnly = false);
    bool ReadOnly() const;

    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;  // the edit got the focus
    TKeyEvent OnKeyDown;  // WM_KEYDOWN and WM_SYSKEYDOWN
    TKeyEvent OnKeyUp;    // WM_KEYUP and WM_SYSKEYUP

protected:
    void Notify(WORD code) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A drop-down list whose items each carry a number.
class TComboBox : public TWinControl {
public:
    TComboBox(HWND parent, const WindowBounds& bounds, int dropDownItems = 10);

    void Clear();
    int AddItem(std::wstring_view text, LPARAM data);
    int Count() const;
    std::wstring ItemText(int index) const;
    LPARAM ItemData(int index) const;
    int ItemIndex() const;  // -1 when nothing is selected
    void SetItemIndex(int index);
    // Several changes with one repaint at the end.
    void BeginUpdate();
    void EndUpdate();

    TNotifyEvent OnChange;  // the user picked an item

protected:
    void Notify(WORD code) override;
};

// A plain container with a centred caption; it takes no focus.
class TPanel : public TWinControl {
public:
    TPanel(HWND parent, const WindowBounds& bounds, std::wstring_view caption);
};

// A push button; "&" in the caption marks its accelerator letter.
class TButton : public TWinControl {
public:
    TButton(HWND parent, const WindowBounds& bounds, std::wstring_view caption, bool isDefault = false);
    // Drawn with the thick frame of the button that Enter clicks.
    void SetDefault(bool isDefault);
    TNotifyEvent OnClick;
    TNotifyEvent OnEnter;  // the button got the focus

protected:
    void Notify(WORD code) override;
};

}  // namespace quorlin
