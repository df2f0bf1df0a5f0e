#include "shell/Form_win.h"

#include <algorithm>
#include <vector>

#include "shell/Controls_win.h"
#include "shell/Dpi.h"
#include "shell/Dpi_win.h"
#include "shell/Image_win.h"
#include "base/Keys.h"

namespace quorlin {

namespace {
// The dialog frame: a caption with only the close box, no icon, no resizing.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

BOOL CALLBACK CollectUsableWindow(HWND window, LPARAM lp) {
    auto& found = *reinterpret_cast<std::vector<HWND>*>(lp);
    if (IsWindowVisible(window) && IsWindowEnabled(window)) found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
    return TRUE;
}

// Every window inside the form, at any depth.
std::vector<HWND> Descendants(HWND form) {
    std::vector<HWND> found;
    EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

WindowBounds BoundsInParent(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

TForm::TForm(const wchar_t* className, int clientWidth, int clientHeight, HWND owner, TBorderStyle border) {
    const DWORD exStyle = kExStyle | (border == TBorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0);
    TWindowClass::Options options;
    options.style = CS_DBLCLKS;
    options.cursor = LoadCursorW(nullptr, IDC_ARROW);
    options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, exStyle);
    // Owned by one of the program's windows: no taskbar button of its own.
    CreateHandle(className, options, exStyle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top,
                 owner ? owner : TApplication::Instance().Handle());
    // The monitor is known once the window exists.
    dpi_ = WindowDpi(Handle());
    font_ = TForm::CreateFormFont(dpi_);
    if (dpi_ != kDesignDpi) SetClientSize(Scale(clientWidth), Scale(clientHeight));
    if (border == TBorderStyle::Single) {
        // An owned window does not take the application's icon by itself.
        if (HICON icon = TApplication::Instance().Icon()) {
            SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
    }
    TApplication::Instance().AddMessageFilter(*this);
}

TForm::~TForm() { TApplication::Instance().RemoveMessageFilter(*this); }

void TForm::SetCaption(const std::wstring& text) {
    if (Handle()) SetWindowTextW(Handle(), text.c_str());
}

std::wstring TForm::Caption() const {
    if (!Handle()) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void TForm::SetClientSize(int width, int height) {
    if (!Handle()) return;
    const SIZE outer = OuterSizeForClient(width, height, static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)),
                                          static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE)), dpi_);
    SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::Scale(int designValue) const { return ScaleForDpi(designValue, dpi_); }

WindowBounds TForm::Scaled(const WindowBounds& design) const { return ScaleBoundsForDpi(design, dpi_); }

UniqueGdiObject TForm::CreateFormFont(int dpi) const { return CreateArialForDpi(12, FW_NORMAL, dpi); }

void TForm::ApplyDpi(int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == dpi_) return;
    // Scaled from where the controls first stood, so that moving back and forth does not let
    // rounding creep in; a control made since then joins at the DPI of its making.
    if (layout_.empty()) layoutDpi_ = dpi_;
    const std::vector<HWND> controls = Descendants(Handle());
    for (HWND w : controls) {
        const bool known = std::any_of(layout_.begin(), layout_.end(), [w](const PlacedControl& p) { return p.Window == w; });
        if (!known) layout_.push_back({w, RescaleBoundsForDpi(BoundsInParent(w), dpi_, layoutDpi_)});
    }
    std::erase_if(layout_, [](const PlacedControl& p) { return !IsWindow(p.Window); });
    dpi_ = dpi;
    for (const PlacedControl& p : layout_) {
        const WindowBounds b = RescaleBoundsForDpi(p.Bounds, layoutDpi_, dpi_);
        SetWindowPos(p.Window, nullptr, b.Left, b.Top, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The old font is deleted only once no control uses it any more.
    UniqueGdiObject font = CreateFormFont(dpi_);
    if (font) {
        const HGDIOBJ old = font_.get();
        for (HWND w : controls)
            if (reinterpret_cast<HGDIOBJ>(SendMessageW(w, WM_GETFONT, 0, 0)) == old)
                SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        font_ = std::move(font);
    }
    for (HWND w : controls)
        if (auto* image = dynamic_cast<TImage*>(TWinControl::FromHandle(w))) image->FitPicture();
    FormDpiChanged();
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TForm::Show() {
    if (!Handle()) return;
    ShowWindow(Handle(), SW_SHOW);
}

void TForm::Hide() {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

void TForm::Close() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) return;
    FormClose();
    if (modal_) {
        if (modalResult_ == 0) modalResult_ = IDCANCEL;
        return;
    }
    Hide();
    if (TApplication::Instance().MainWindow() == Handle()) TApplication::Instance().Terminate();
}

int TForm::ShowModal() {
    if (GetCapture()) ReleaseCapture();
    // Undone in every case, also when the loop ends by an error.
    struct ModalState {
        TForm& form;
        HWND previous = GetActiveWindow();
        std::vector<HWND> disabled;
        explicit ModalState(TForm& f) : form(f) {
            form.modalResult_ = 0;
            form.modal_ = true;
        }
        ~ModalState() {
            form.modal_ = false;
            // Enabled before the form hides, so that activation can come back to them and does
            // not go to another program's window.
            for (HWND w : disabled)
                if (IsWindow(w)) EnableWindow(w, TRUE);
            form.Hide();
            if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
        }
    } state(*this);
    // Disabled first, so that no window takes input once the form shows.
    std::vector<HWND> others;
    EnumThreadWindows(GetCurrentThreadId(), CollectUsableWindow, reinterpret_cast<LPARAM>(&others));
    for (HWND w : others) {
        if (w == Handle()) continue;
        EnableWindow(w, FALSE);
        state.disabled.push_back(w);
    }
    Show();
    SetForegroundWindow(Handle());
    return TApplication::Instance().RunModalLoop(Handle(), modalResult_);
}

void TForm::KeysFromNow() { held_.Reset(ModifiersHeld(KeyRecord::Thread)); }

bool TForm::PreTranslateMessage(MSG& msg) {
    // Only messages of this form's own window and its controls.
    if (!msg.hwnd || !Handle() || GetAncestor(msg.hwnd, GA_ROOT) != Handle()) return false;
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    if (down) held_.KeyDown(static_cast<std::uint16_t>(msg.wParam));
    if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) held_.KeyUp(static_cast<std::uint16_t>(msg.wParam));
    if (KeyPreview && down) {
        WORD key = static_cast<WORD>(msg.wParam);
        const TShiftState held = held_.Held();
        FormKeyDown(key, (held & ssAlt) != 0, (held & ssCtrl) != 0, (held & ssShift) != 0);
        if (key == 0) return true;
    }
    return IsDialogMessageW(Handle(), &msg) != FALSE;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT reflected = 0;
    if (ReflectControlMessage(msg, wp, lp, reflected)) return reflected;
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wp) FormShow(); else FormHide();
        break;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) KeysFromNow();
        break;
    case WM_DPICHANGED:
        ApplyDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_GETFONT:
        // A plain window keeps no font; controls created on the form take this one.
        return reinterpret_cast<LRESULT>(font_.get());
    default:
        break;
    }
    return DefWindowProcW(Handle(), msg, wp, lp);
}

}  // namespace quorlin
