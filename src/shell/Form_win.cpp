#include "shell/Form_win.h"

#include "shell/Application_win.h"
#include "shell/Controls_win.h"

namespace quorlin {

namespace {
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}  // namespace

TForm::TForm(const wchar_t* className, int clientWidth, int clientHeight) {
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);  // fails harmlessly when already registered

    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    // Owned by the application window: no taskbar button of its own. WM_NCCREATE stores the handle.
    CreateWindowExW(kExStyle, className, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                    r.bottom - r.top, TApplication::Instance().Handle(), nullptr, instance, this);
}

TForm::~TForm() {
    if (handle_) SetWindowLongPtrW(handle_.get(), GWLP_USERDATA, 0);
}

void TForm::SetCaption(const std::wstring& text) {
    if (handle_) SetWindowTextW(handle_.get(), text.c_str());
}

std::wstring TForm::Caption() const {
    if (!handle_) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_.get())) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(handle_.get(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void TForm::Show() {
    if (!handle_) return;
    ShowWindow(handle_.get(), SW_SHOW);
}

void TForm::Hide() {
    if (handle_) ShowWindow(handle_.get(), SW_HIDE);
}

void TForm::Close() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) return;
    FormClose();
    Hide();
    if (TApplication::Instance().MainWindow() == handle_.get()) TApplication::Instance().Terminate();
}

bool TForm::PreviewMessage(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = root ? reinterpret_cast<TForm*>(GetWindowLongPtrW(root, GWLP_USERDATA)) : nullptr;
    if (!form || form->handle_.get() != root) return false;
    if (form->KeyPreview && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
        WORD key = static_cast<WORD>(msg.wParam);
        form->FormKeyDown(key, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
        if (key == 0) return true;
    }
    return IsDialogMessageW(root, &msg) != FALSE;
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
    return DefWindowProcW(handle_.get(), msg, wp, lp);
}

LRESULT CALLBACK TForm::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<TForm*>(cs->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->handle_.reset(hwnd);
    }
    auto* self = reinterpret_cast<TForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self) (void)self->handle_.release();
    }
    if (!self || self->handle_.get() != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->WndProc(msg, wp, lp);
}

}  // namespace quorlin
