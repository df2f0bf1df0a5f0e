#include "shell/MessageForm_win.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/Text_win.h"
#include "base/Unique_win.h"
#include "base/resource.h"
#include "shell/Application_win.h"
#include "shell/Dpi_win.h"
#include "shell/MessageForm.h"
#include "shell/Placement_win.h"

namespace quorlin {

namespace {

// The system's message font at dpi; none when it cannot be read.
UniqueGdiObject MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    if (!NonClientMetricsForDpi(metrics, dpi)) return {};
    return UniqueGdiObject(CreateFontIndirectW(&metrics.lfMessageFont));
}

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

// Puts the text on the clipboard as CF_TEXT; raises "Cannot open clipboard" when another program
// holds it.
void PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) throw std::runtime_error(ToUtf8(LoadResString(IDS_CANNOT_OPEN_CLIPBOARD)));
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

TMessageForm::TMessageForm(std::wstring_view text, std::wstring_view caption, HICON icon, HWND owner)
    : TForm(L"TMessageForm", 0, 0, owner), text_(text) {
    if (UniqueGdiObject font = MessageFont(Dpi())) SetFont(std::move(font));
    const std::wstring yes = LoadResString(IDS_MSG_YES), no = LoadResString(IDS_MSG_NO);
    QuestionLayoutInput in;
    RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    {
        HDC dc = GetDC(Handle());
        const HGDIOBJ old = SelectObject(dc, Font());
        SIZE letters{};
        GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
        in.Measures = MeasuresFor(letters.cx, letters.cy);
        for (const std::wstring* c : {&yes, &no}) {
            RECT r{};
            DrawTextW(dc, c->c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
            in.CaptionWidth = std::max(in.CaptionWidth, static_cast<int>(r.right - r.left));
        }
        // Wraps at word boundaries within half the screen unless a single word is wider.
        DrawTextW(dc, text_.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        SelectObject(dc, old);
        ReleaseDC(Handle(), dc);
    }
    in.TextWidth = textRect.right;
    in.TextHeight = textRect.bottom;
    const HICON picture = icon ? icon : LoadIconW(nullptr, IDI_QUESTION);
    in.Icon = IconSize(picture);
    const QuestionLayout layout = LayOutQuestion(in);

    SetClientSize(layout.ClientWidth, layout.ClientHeight);
    RECT outer{};
    GetWindowRect(Handle(), &outer);
    const ScreenPoint at = ScreenCentre(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                        outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(Handle(), nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetCaption(std::wstring(caption));

    image_.emplace(Handle(), WindowBounds{layout.IconAt.X, layout.IconAt.Y, in.Icon.X, in.Icon.Y}, picture);
    message_.emplace(Handle(), layout.Message, text_);
    // Yes is the dialog's default; No, the second button, starts focused and framed instead.
    yes_.emplace(Handle(), layout.Yes, yes, true);
    no_.emplace(Handle(), layout.No, no);
    yes_->OnClick = [this] { SetModalResult(IDYES); };
    no_->OnClick = [this] { SetModalResult(IDNO); };
    yes_->OnEnter = [this] { ShowAsDefault(*yes_); };
    no_->OnEnter = [this] { ShowAsDefault(*no_); };
    no_->SetDefault(true);
    activeControl_ = no_->Handle();
}

UniqueGdiObject TMessageForm::CreateFormFont(int dpi) const {
    UniqueGdiObject font = MessageFont(dpi);
    return font ? std::move(font) : TForm::CreateFormFont(dpi);
}

void TMessageForm::ShowAsDefault(TButton& button) {
    // The focused button is the one Enter clicks, so it wears the default frame alone.
    yes_->SetDefault(&button == &*yes_);
    no_->SetDefault(&button == &*no_);
}

void TMessageForm::FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) {
    if (key == VK_RETURN || key == VK_ESCAPE) {
        // Taken with any modifier too, so the dialog navigation does not act on them either.
        const bool plain = !alt && !ctrl && !shift;
        const bool enter = key == VK_RETURN;
        key = 0;
        if (!plain) return;
        // Enter: the focused button, else the default Yes; Esc: No.
        const bool yes = enter && GetFocus() != no_->Handle();
        SetModalResult(yes ? IDYES : IDNO);
        return;
    }
    if (key == 'C' && ctrl && !alt && !shift) {
        key = 0;
        MessageBeep(0);
        CopyToClipboard();
        return;
    }
    if (ctrl) return;
    for (TButton* button : {&*yes_, &*no_}) {
        if (AcceleratorOf(button->Text()) == key) {
            key = 0;
            SetModalResult(button == &*yes_ ? IDYES : IDNO);
            return;
        }
    }
}

void TMessageForm::CopyToClipboard() {
    PutOnClipboard(ToAnsi(MessageCopyText(Caption(), text_, {yes_->Text(), no_->Text()})));
}

LRESULT TMessageForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ACTIVATE) {
        if (LOWORD(wp) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) activeControl_ = focus;
        } else if (activeControl_ && IsWindow(activeControl_)) {
            // Back to the control that had the focus, not to the frame.
            KeysFromNow();
            ::SetFocus(activeControl_);
            return 0;
        }
    }
    return TForm::WndProc(msg, wp, lp);
}

int AskYesNo(std::wstring_view text, std::wstring_view caption, HICON icon, HWND owner) {
    // Owned by the asking window, so that it stays in front of it.
    const HWND ownerWindow = owner && IsWindow(owner) ? owner : nullptr;
    TMessageForm form(text, caption, icon, ownerWindow);
    CenterOverControl(form.Handle(), owner);
    return form.ShowModal();
}

}  // namespace quorlin
