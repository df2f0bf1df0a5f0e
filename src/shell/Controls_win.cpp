#include "shell/Controls_win.h"

#include <commctrl.h>

#include <stdexcept>

#include "base/System_win.h"
#include "shell/Window_win.h"

namespace quorlin {

namespace {

constexpr wchar_t kWrapperProp[] = L"Quorlin.Control";
constexpr UINT_PTR kSubclassId = 0x51C0;

HMODULE UxTheme() {
    // Kept for the process's lifetime because painting asks for it again and again.
    static const UniqueModule module(LoadSystemLibrary(L"uxtheme.dll"));
    return module.get();
}

}  // namespace

// ---- TWinControl ---------------------------------------------------------------------------

TWinControl::TWinControl(HWND parent, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                         const WindowBounds& bounds, std::wstring_view text)
    : hwnd_(CreateWindowExW(exStyle, windowClass, std::wstring(text).c_str(), style | WS_CHILD | WS_VISIBLE,
                            bounds.Left, bounds.Top, bounds.Width, bounds.Height, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr)) {
    if (!hwnd_) throw std::runtime_error("cannot create a control window");
    SetPropW(hwnd_.get(), kWrapperProp, this);
    SetWindowSubclass(hwnd_.get(), SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    HFONT font = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

TWinControl::~TWinControl() {
    if (HWND h = hwnd_.get()) {
        // No message may reach a wrapper that is half destroyed.
        RemoveWindowSubclass(h, SubclassProc, kSubclassId);
        RemovePropW(h, kWrapperProp);
    }
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    // Any program can send a message naming any window, and any program can give its own windows
    // a property of this name: only a window of this thread holds one of our wrappers.
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return nullptr;
    return static_cast<TWinControl*>(GetPropW(hwnd, kWrapperProp));
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TWinControl*>(ref);
    if (msg == WM_NCDESTROY) {
        // The window goes first (for example with its parent): the wrapper must not destroy it again.
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        RemovePropW(hwnd, kWrapperProp);
        (void)self->hwnd_.release();
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    return Guarded([&]() -> LRESULT {
        LRESULT result = 0;
        if (ReflectControlMessage(msg, wp, lp, result)) return result;
        if (msg == WM_SETCURSOR && self->cursor_ && LOWORD(lp) == HTCLIENT) {
            ::SetCursor(self->cursor_);
            return TRUE;
        }
        return self->WndProc(msg, wp, lp);
    });
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }

LRESULT TWinControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(hwnd_.get(), msg, wp, lp); }

bool ReflectControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (TWinControl* child = TWinControl::FromHandle(reinterpret_cast<HWND>(lp))) {
            child->Notify(HIWORD(wp));
            result = 0;
            return true;
        }
        return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (TWinControl* child = TWinControl::FromHandle(reinterpret_cast<HWND>(lp))) {
            if (HBRUSH brush = child->ControlColor(reinterpret_cast<HDC>(wp))) {
                result = reinterpret_cast<LRESULT>(brush);
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

HBRUSH TWinControl::ControlColor(HDC dc) {
    if (!color_ && !fontColor_) return nullptr;
    if (fontColor_) SetTextColor(dc, *fontColor_);
    if (!color_) {
        // Only the text colour is the control's own; the background stays the dialog face.
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    SetBkColor(dc, *color_);
    return static_cast<HBRUSH>(brush_.get());
}

HWND TWinControl::ParentHandle() const { return GetParent(hwnd_.get()); }

WindowBounds TWinControl::Bounds() const {
    RECT r{};
    GetWindowRect(hwnd_.get(), &r);
    MapWindowPoints(HWND_DESKTOP, ParentHandle(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TWinControl::SetBounds(const WindowBounds& b) {
    SetWindowPos(hwnd_.get(), nullptr, b.Left, b.Top, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TWinControl::Text() const {
    const int n = GetWindowTextLengthW(hwnd_.get());
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_.get(), text.data(), n + 1)));
    return text;
}

void TWinControl::SetText(std::wstring_view text) { SetWindowTextW(hwnd_.get(), std::wstring(text).c_str()); }

bool TWinControl::Enabled() const { return IsWindowEnabled(hwnd_.get()) != FALSE; }

void TWinControl::SetEnabled(bool enabled) { EnableWindow(hwnd_.get(), enabled); }

bool TWinControl::Visible() const { return (GetWindowLongW(hwnd_.get(), GWL_STYLE) & WS_VISIBLE) != 0; }

void TWinControl::SetVisible(bool visible) { ShowWindow(hwnd_.get(), visible ? SW_SHOWNOACTIVATE : SW_HIDE); }

HFONT TWinControl::Font() const { return reinterpret_cast<HFONT>(SendMessageW(hwnd_.get(), WM_GETFONT, 0, 0)); }

void TWinControl::SetFont(HFONT font) { SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void TWinControl::SetColor(std::optional<COLORREF> color) {
    color_ = color;
    brush_.reset(color ? CreateSolidBrush(*color) : nullptr);
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

void TWinControl::SetFontColor(std::optional<COLORREF> color) {
    fontColor_ = color;
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

void TWinControl::SetFocus() { ::SetFocus(hwnd_.get()); }

bool DrawParentThemeBackground(HWND child, HDC dc, const RECT& rc) {
    HMODULE ux = UxTheme();
    if (!ux || !GetParent(child)) return false;
    using IsAppThemedFn = BOOL(WINAPI*)();
    using DrawParentFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    auto isAppThemed = reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(GetProcAddress(ux, "IsAppThemed")));
    auto isThemeActive = reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(GetProcAddress(ux, "IsThemeActive")));
    auto drawParent =
        reinterpret_cast<DrawParentFn>(reinterpret_cast<void*>(GetProcAddress(ux, "DrawThemeParentBackground")));
    if (!isAppThemed || !isThemeActive || !drawParent || !isAppThemed() || !isThemeActive()) return false;
    return SUCCEEDED(drawParent(child, dc, &rc));
}

// ---- TCheckBox -----------------------------------------------------------------------------

TCheckBox::TCheckBox(HWND parent, const WindowBounds& bounds, std::wstring_view text, bool checked)
    : TWinControl(parent, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, bounds, text) {
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (Checked() == checked) return;
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

void TCheckBox::Click() {
    if (OnClick) OnClick();
}

void TCheckBox::Notify(WORD code) {
    // The control has already toggled its state when it reports the click.
    if (code == BN_CLICKED) Click();
}

// ---- TGroupBox -----------------------------------------------------------------------------

TGroupBox::TGroupBox(HWND parent, const WindowBounds& bounds, std::wstring_view caption)
    // Control parent: dialog navigation (Tab, mnemonics) reaches the controls inside.
    // Clip children: the frame and caption are never drawn over the controls inside.
    : TWinControl(parent, L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, bounds, caption) {}

void TGroupBox::EraseArea(HDC dc, const RECT& rc) {
    if (DrawParentThemeBackground(Handle(), dc, rc)) return;
    // The colour the parent gives its static controls, as the frame's own caption uses.
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(ParentHandle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Handle())));
    FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        // The standard group box leaves its inside unpainted; this one is opaque.
        RECT rc{};
        GetClientRect(Handle(), &rc);
        EraseArea(reinterpret_cast<HDC>(wp), rc);
        return 1;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        // The controls inside look as if they sat on the group box's parent.
        if (HWND parent = ParentHandle()) return SendMessageW(parent, msg, wp, lp);
        break;
    }
    return DefaultProc(msg, wp, lp);
}

// ---- TLabel --------------------------------------------------------------------------------

TLabel::TLabel(HWND parent, const WindowBounds& bounds, std::wstring_view text, Align align)
    : TWinControl(parent, L"STATIC",
                  (align == Align::Right ? SS_RIGHT : align == Align::Center ? SS_CENTER : SS_LEFT) | SS_NOTIFY, 0,
                  bounds, text) {}

void TLabel::Notify(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

// ---- TEdit ---------------------------------------------------------------------------------

TEdit::TEdit(HWND parent, const WindowBounds& bounds, std::wstring_view text, bool readOnly)
    : TWinControl(parent, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | (readOnly ? ES_READONLY : 0), WS_EX_CLIENTEDGE,
                  bounds, text) {}

bool TEdit::ReadOnly() const { return (GetWindowLongW(Handle(), GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::Notify(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange();
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS && OnEnter) OnEnter();
    const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    const bool up = msg == WM_KEYUP || msg == WM_SYSKEYUP;
    if ((down && OnKeyDown) || (up && OnKeyUp)) {
        WORD key = static_cast<WORD>(wp);
        (down ? OnKeyDown : OnKeyUp)(key);
        if (key == 0) return 0;
        wp = key;
    }
    return DefaultProc(msg, wp, lp);
}

// ---- TComboBox -----------------------------------------------------------------------------

TComboBox::TComboBox(HWND parent, const WindowBounds& bounds, int dropDownItems)
    // The window's height includes the opened list; the closed box takes the font's height.
    : TWinControl(parent, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
                  {bounds.Left, bounds.Top, bounds.Width, bounds.Height + dropDownItems * 16}) {}

void TComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

int TComboBox::AddItem(std::wstring_view text, LPARAM data) {
    const std::wstring s(text);
    const auto index = static_cast<int>(SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
    if (index >= 0) SendMessageW(Handle(), CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return index;
}

int TComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

std::wstring TComboBox::ItemText(int index) const {
    const auto n = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const auto got = SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

LPARAM TComboBox::ItemData(int index) const {
    const LRESULT data = SendMessageW(Handle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? 0 : data;
}

int TComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void TComboBox::BeginUpdate() { SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0); }

void TComboBox::EndUpdate() {
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TComboBox::Notify(WORD code) {
    if (code == CBN_SELCHANGE && OnChange) OnChange();
}

// ---- TPanel --------------------------------------------------------------------------------

TPanel::TPanel(HWND parent, const WindowBounds& bounds, std::wstring_view caption)
    : TWinControl(parent, L"STATIC", SS_CENTER | SS_CENTERIMAGE | WS_CLIPCHILDREN, 0, bounds, caption) {}

// ---- TButton -------------------------------------------------------------------------------

TButton::TButton(HWND parent, const WindowBounds& bounds, std::wstring_view caption, bool isDefault)
    // BS_NOTIFY: the parent hears when the button gets the focus.
    : TWinControl(parent, L"BUTTON", (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY | WS_TABSTOP, 0,
                  bounds, caption) {}

void TButton::SetDefault(bool isDefault) {
    const DWORD style = (static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)) & ~static_cast<DWORD>(BS_TYPEMASK)) |
                        (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    SendMessageW(Handle(), BM_SETSTYLE, style, TRUE);
}

void TButton::Notify(WORD code) {
    if (code == BN_CLICKED && OnClick) OnClick();
    if (code == BN_SETFOCUS && OnEnter) OnEnter();
}

}  // namespace quorlin
