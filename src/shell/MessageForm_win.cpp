#include "shell/MessageForm_win.h"

#include <cstddef>
#include <cstring>

#include "base/Text_win.h"
#include "base/Unique_win.h"
#include "base/resource.h"
#include "shell/Application_win.h"
#include "shell/Component.h"
#include "shell/Dpi_win.h"
#include "shell/Placement_win.h"

namespace quorlin {

namespace {

struct KindInfo {
    UINT Caption;
    const wchar_t* SystemIcon;  // null: none
};

// By TMessageKind.
const KindInfo kKinds[] = {
    {IDS_MSG_WARNING, IDI_EXCLAMATION},
    {IDS_MSG_ERROR, IDI_HAND},
    {IDS_MSG_INFORMATION, IDI_ASTERISK},
    {IDS_MSG_CONFIRM, IDI_QUESTION},
    {0, nullptr},
};

// By TMessageButton.
constexpr UINT kButtonCaptions[kMessageButtonCount] = {
    IDS_MSG_YES,   IDS_MSG_NO,  IDS_MSG_OK,        IDS_MSG_CANCEL,     IDS_MSG_ABORT, IDS_MSG_RETRY,
    IDS_MSG_IGNORE, IDS_MSG_ALL, IDS_MSG_NO_TO_ALL, IDS_MSG_YES_TO_ALL, IDS_MSG_HELP,
};

ButtonWidthTable& ButtonWidths() {
    static ButtonWidthTable widths{};
    return widths;
}

std::wstring ButtonCaption(TMessageButton button) {
    return LoadResString(kButtonCaptions[static_cast<int>(button)]);
}

// The system's message font at dpi; none when it cannot be read.
UniqueGdiObject MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    if (!NonClientMetricsForDpi(metrics, dpi)) return {};
    return UniqueGdiObject(CreateFontIndirectW(&metrics.lfMessageFont));
}

// A device context of the window with the font selected, for measuring text.
class Canvas {
public:
    Canvas(HWND window, HFONT font) : window_(window), dc_(GetDC(window)), old_(SelectObject(dc_, font)) {}
    ~Canvas() {
        SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
};

ScreenPoint IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    const UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (colour) {
        GetObjectW(colour.get(), sizeof bm, &bm);
        return {bm.bmWidth, bm.bmHeight};
    }
    // A monochrome icon keeps its AND and XOR masks one above the other.
    GetObjectW(mask.get(), sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight / 2};
}

// Puts the text on the clipboard as CF_TEXT; raises "Cannot open clipboard" when another
// program holds it.
void PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) throw EComponentError(ToUtf8(LoadResString(IDS_CANNOT_OPEN_CLIPBOARD)));
    struct Closer {
        ~Closer() { CloseClipboard(); }
    } closer;
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
    if (!block) return;
    void* bytes = GlobalLock(block.get());
    if (!bytes) return;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block.get());
    EmptyClipboard();
    // The clipboard owns the block once it took it.
    if (SetClipboardData(CF_TEXT, block.get())) (void)block.release();
}

}  // namespace

const ButtonWidthTable& RememberedButtonWidths() { return ButtonWidths(); }

TMessageForm::TMessageForm(std::wstring_view text, TMessageKind kind, TMessageButtons buttons, HICON icon,
                           std::wstring_view caption, int defaultButton, HWND owner)
    : TForm(L"TMessageForm", 0, 0, owner),
      text_(text),
      default_(DefaultButtonOf(buttons)),
      cancel_(CancelButtonOf(buttons)) {
    if (UniqueGdiObject font = MessageFont(Dpi())) SetFont(std::move(font));
    const KindInfo& info = kKinds[static_cast<int>(kind)];

    MessageLayoutInput in;
    in.Buttons = buttons;
    RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    {
        const Canvas canvas(Handle(), Font());
        SIZE letters{};
        GetTextExtentPoint32W(canvas.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
        in.Measures = MeasuresFor(letters.cx, letters.cy);
        in.ButtonWidth = CommonButtonWidth(buttons, in.Measures.ButtonMinWidth, ButtonWidths(), [&](TMessageButton b) {
            const std::wstring c = ButtonCaption(b);
            RECT r{};
            DrawTextW(canvas.get(), c.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
            return static_cast<int>(r.right - r.left);
        });
        // Wraps at word boundaries within half the screen unless a single word is wider.
        DrawTextW(canvas.get(), text_.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    }
    in.TextWidth = textRect.right;
    in.TextHeight = textRect.bottom;
    HICON picture = icon;
    if (icon)
        in.GivenIcon = IconSize(icon);
    else if (info.SystemIcon)
        picture = LoadIconW(nullptr, info.SystemIcon);
    in.SystemIcon = info.SystemIcon != nullptr;
    const MessageLayout layout = LayOutMessage(in);

    SetClientSize(layout.ClientWidth, layout.ClientHeight);
    RECT outer{};
    GetWindowRect(Handle(), &outer);
    const ScreenPoint at = ScreenCentre(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                        outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(Handle(), nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    if (!caption.empty())
        SetCaption(std::wstring(caption));
    else if (kind == TMessageKind::mkCustom)
        SetCaption(TApplication::Instance().Title());
    else
        SetCaption(LoadResString(info.Caption));

    if (picture) {
        const ScreenPoint size = IconSize(picture);
        image_ = std::make_unique<TImage>(Handle(), WindowBounds{layout.IconAt.X, layout.IconAt.Y, size.X, size.Y},
                                          picture);
    }
    message_ = std::make_unique<TLabel>(Handle(), layout.Message, text_);

    const std::vector<TMessageButton> kinds = ButtonsInOrder(buttons);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        auto control = std::make_unique<TButton>(Handle(), layout.Buttons[i], ButtonCaption(kinds[i]),
                                                 kinds[i] == default_);
        control->OnClick = [this, i](TObject&) { ButtonClick(i); };
        control->OnEnter = [this, i](TObject&) { ShowAsDefault(i); };
        buttons_.push_back({kinds[i], std::move(control)});
    }
    if (const int chosen = ChosenButtonNumber(defaultButton, static_cast<int>(buttons_.size()))) {
        TButton& button = *buttons_[static_cast<std::size_t>(chosen - 1)].Control;
        button.SetDefault(true);
        activeControl_ = button.Handle();
    } else if (!buttons_.empty()) {
        // As a form focuses its first control.
        activeControl_ = buttons_.front().Control->Handle();
    }
}

UniqueGdiObject TMessageForm::CreateFormFont(int dpi) const {
    UniqueGdiObject font = MessageFont(dpi);
    return font ? std::move(font) : TForm::CreateFormFont(dpi);
}

void TMessageForm::ButtonClick(std::size_t index) {
    // Help (result 0) leaves the dialog open: the program has no help to show.
    if (const int result = ModalResultOf(buttons_[index].Kind)) SetModalResult(result);
}

void TMessageForm::ShowAsDefault(std::size_t index) {
    // The focused button is the one Enter clicks, so it wears the default frame alone.
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i].Control->SetDefault(i == index);
}

std::ptrdiff_t TMessageForm::FocusedButton() const {
    const HWND focus = GetFocus();
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].Control->Handle() == focus) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

void TMessageForm::FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) {
    if (key == VK_RETURN || key == VK_ESCAPE) {
        // Taken with any modifier too, so the dialog navigation does not act on them either.
        const bool plain = !alt && !ctrl && !shift;
        const bool enter = key == VK_RETURN;
        key = 0;
        if (!plain) return;
        std::ptrdiff_t target = enter ? FocusedButton() : -1;
        for (std::size_t i = 0; target < 0 && i < buttons_.size(); ++i)
            if (buttons_[i].Kind == (enter ? default_ : cancel_)) target = static_cast<std::ptrdiff_t>(i);
        if (target >= 0) ButtonClick(static_cast<std::size_t>(target));
        return;
    }
    if (key == 'C' && ctrl && !alt && !shift) {
        key = 0;
        MessageBeep(0);
        CopyToClipboard();
        return;
    }
    if (ctrl) return;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (AcceleratorOf(buttons_[i].Control->Text()) == key) {
            key = 0;
            ButtonClick(i);
            return;
        }
    }
}

void TMessageForm::CopyToClipboard() {
    std::vector<std::wstring> captions;
    for (const Button& b : buttons_) captions.push_back(b.Control->Text());
    PutOnClipboard(ToAnsi(MessageCopyText(Caption(), text_, captions)));
}

LRESULT TMessageForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ACTIVATE) {
        if (LOWORD(wp) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) activeControl_ = focus;
        } else if (activeControl_ && IsWindow(activeControl_)) {
            // Back to the control that had the focus, not to the frame.
            ::SetFocus(activeControl_);
            return 0;
        }
    }
    return TForm::WndProc(msg, wp, lp);
}

std::unique_ptr<TMessageForm> BuildMessageForm(std::wstring_view text, TMessageKind kind, TMessageButtons buttons,
                                               HICON icon, std::wstring_view caption, int /*helpContext*/,
                                               int defaultButton, HWND owner) {
    return std::make_unique<TMessageForm>(text, kind, buttons, icon, caption, defaultButton, owner);
}

int ShowMessageForm(std::wstring_view text, TMessageKind kind, TMessageButtons buttons, HWND owner, HICON icon,
                    std::wstring_view caption, int helpContext, int defaultButton) {
    // Owned by the asking window, so that it stays in front of it.
    const HWND ownerWindow = owner && IsWindow(owner) ? owner : nullptr;
    const std::unique_ptr<TMessageForm> form =
        BuildMessageForm(text, kind, buttons, icon, caption, helpContext, defaultButton, ownerWindow);
    CenterOverControl(form->Handle(), owner);
    return form->ShowModal();
}

}  // namespace quorlin
