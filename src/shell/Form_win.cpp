#include "shell/Form_win.h"

#include <vector>

#include "shell/Controls_win.h"

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

}  // namespace

TForm::TForm(const wchar_t* className, int clientWidth, int clientHeight, HWND owner, TBorderStyle border) {
    const DWORD exStyle = kExStyle | (border == TBorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0);
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
    TWindowClass::Options options;
    options.style = CS_DBLCLKS;
    options.cursor = LoadCursorW(nullptr, IDC_ARROW);
    options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, exStyle);
    // Owned by one of the program's windows: no taskbar button of its own.
    CreateHandle(className, options, exStyle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top,
                 owner ? owner : TApplication::Instance().Handle());
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
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE)));
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

bool TForm::PreTranslateMessage(MSG& msg) {
    // Only messages of this form's own window and its controls.
    if (!msg.hwnd || !Handle() || GetAncestor(msg.hwnd, GA_ROOT) != Handle()) return false;
    if (KeyPreview && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
        WORD key = static_cast<WORD>(msg.wParam);
        FormKeyDown(key, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
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
    case WM_GETFONT:
        // A plain window keeps no font; controls created on the form take this one.
        return reinterpret_cast<LRESULT>(font_.get());
    default:
        break;
    }
    return DefWindowProcW(Handle(), msg, wp, lp);
}

}  // namespace quorlin
