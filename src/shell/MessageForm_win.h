// The program's own modal message dialog: an icon, a word-wrapped message and a row of buttons,
// sized from the system's message font and placed over the window that asks. It runs in the
// application's loop, so the message hook sees every message while it is open.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Controls_win.h"
#include "shell/Form_win.h"
#include "shell/Image_win.h"
#include "shell/MessageForm.h"

namespace quorlin {

class TMessageForm : public TForm {
public:
    // Builds and lays out the dialog, hidden, at the middle of the primary screen. icon may be
    // null (the kind's system icon, if any, stands in); an empty caption gives the kind's one.
    // owner: the window it stays in front of; none gives the application window.
    TMessageForm(std::wstring_view text, TMessageKind kind, TMessageButtons buttons, HICON icon,
                 std::wstring_view caption, int defaultButton, HWND owner = nullptr);

protected:
    void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The message font at that DPI, else the form's default.
    UniqueGdiObject CreateFormFont(int dpi) const override;

private:
    struct Button {
        TMessageButton Kind;
        std::unique_ptr<TButton> Control;
    };
    void ButtonClick(std::size_t index);
    void ShowAsDefault(std::size_t index);
    std::ptrdiff_t FocusedButton() const;
    void CopyToClipboard();

    std::wstring text_;
    std::unique_ptr<TImage> image_;    // "Image"
    std::unique_ptr<TLabel> message_;  // "Message"
    std::vector<Button> buttons_;      // in creation order
    TMessageButton default_;
    TMessageButton cancel_;
    HWND activeControl_ = nullptr;     // focused again whenever the dialog is activated
};

// helpContext: the program has no help to show, so a Help button leaves the dialog open and
// does nothing else.
std::unique_ptr<TMessageForm> BuildMessageForm(std::wstring_view text, TMessageKind kind, TMessageButtons buttons,
                                               HICON icon, std::wstring_view caption, int helpContext,
                                               int defaultButton, HWND owner = nullptr);

// Asks the question: builds the dialog, centres it over owner (or in the work area when owner is
// missing or hidden), runs it modally and destroys it. The result is the clicked button's dialog
// command identifier; IDCANCEL when the dialog was closed or the application ended meanwhile.
int ShowMessageForm(std::wstring_view text, TMessageKind kind, TMessageButtons buttons, HWND owner, HICON icon,
                    std::wstring_view caption, int helpContext, int defaultButton);

// The button widths measured so far in this run (0: not yet measured).
const ButtonWidthTable& RememberedButtonWidths();

}  // namespace quorlin
