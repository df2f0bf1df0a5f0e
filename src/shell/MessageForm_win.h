// The program's own modal question: an icon, a word-wrapped message and the buttons Yes and No,
// sized from the system's message font and placed over the window that asks. It runs in the
// application's loop, so the message hook sees every message while it is open.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "shell/Controls_win.h"
#include "shell/Form_win.h"
#include "shell/Image_win.h"

namespace quorlin {

class TMessageForm : public TForm {
public:
    // Built and laid out hidden at the middle of the primary screen. No has the focus, so Enter
    // and Esc both answer No. icon null: the system's question icon. owner: the window it stays in
    // front of; none gives the application window.
    TMessageForm(std::wstring_view text, std::wstring_view caption, HICON icon, HWND owner = nullptr);

protected:
    void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The message font at that DPI, else the form's default.
    UniqueGdiObject CreateFormFont(int dpi) const override;

private:
    void ShowAsDefault(TButton& button);
    void CopyToClipboard();

    std::wstring text_;
    // Made once the layout is known, in the form's font.
    std::optional<TImage> image_;
    std::optional<TLabel> message_;
    std::optional<TButton> yes_, no_;
    HWND activeControl_ = nullptr;  // focused again whenever the dialog is activated
};

// Asks the question: builds the dialog, centres it over owner (or in the work area when owner is
// missing or hidden), runs it modally and destroys it. IDYES, IDNO, or IDCANCEL when the dialog was
// closed or the application ended meanwhile.
int AskYesNo(std::wstring_view text, std::wstring_view caption, HICON icon, HWND owner);

}  // namespace quorlin
