// A top-level window of the program (the settings window, dialogs): owned by the application
// window or another of the program's windows, a dialog frame whose caption has only the close box,
// its own controls; it can run modally.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/Unique_win.h"
#include "shell/Application_win.h"
#include "shell/Placement.h"
#include "shell/Window_win.h"
#include "shortcuts/Capture.h"

namespace quorlin {

// The frame: a single fixed border with the caption icon and system menu (the settings window),
// or a dialog frame whose caption has only the close box (dialogs).
enum class TBorderStyle { Single, Dialog };

class TForm : public TWindow, private TMessageFilter {
public:
    // Creates the window, hidden, with the given client size at a position the system picks;
    // the size is the 96-DPI design's, scaled to the DPI of the window's monitor.
    // className is the window class registered for this kind of window (e.g. L"TfrmMain").
    // Members of a derived form can therefore create their controls on Handle() right away.
    // The form stays in front of its owner; without one, the application window owns it.
    TForm(const wchar_t* className, int clientWidth, int clientHeight, HWND owner = nullptr,
          TBorderStyle border = TBorderStyle::Dialog);
    ~TForm() override;

    using TWindow::Handle;

    void SetCaption(const std::wstring& text);
    std::wstring Caption() const;
    HFONT Font() const { return static_cast<HFONT>(font_.get()); }
    // Resizes the window so that its client area has this size in pixels; the top-left corner stays.
    void SetClientSize(int width, int height);

    // The DPI the window is laid out at, and a length or bounds of the 96-DPI design at it.
    int Dpi() const { return dpi_; }
    int Scale(int designValue) const;
    WindowBounds Scaled(const WindowBounds& design) const;

    bool Visible() const { return Handle() && IsWindowVisible(Handle()); }
    void Show();
    void Hide();
    // Asks FormCloseQuery; when allowed, FormClose runs and the window hides (a modal form gets
    // the result IDCANCEL instead and hides when its loop ends).
    void Close();
    bool KeyPreview = true;

    // Shows the form and runs the application's loop until a modal result is set; meanwhile the
    // thread's other visible windows are disabled. Afterwards, in every case, the form hides, the
    // windows are enabled and the window that was active before is active again. The
    // application's termination gives IDCANCEL.
    int ShowModal();
    // A result other than 0 ends ShowModal with it.
    void SetModalResult(int result) { modalResult_ = result; }

protected:
    // Window events.
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    virtual void FormClose() {}
    // key is set to 0 to consume it.
    virtual void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) { (void)key, (void)alt, (void)ctrl, (void)shift; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Controls created afterwards take this font.
    void SetFont(UniqueGdiObject font) { font_ = std::move(font); }
    // The form's font at a DPI; a moved window's controls get it anew.
    virtual UniqueGdiObject CreateFormFont(int dpi) const;
    // After the window was laid out again at another DPI: for fonts and pictures of the form's own.
    virtual void FormDpiChanged() {}
    // The form became active: the modifiers held are read afresh (for a WndProc that answers
    // WM_ACTIVATE itself).
    void KeysFromNow();

private:
    // Key preview (FormKeyDown) and dialog navigation for messages to this form and its controls.
    bool PreTranslateMessage(MSG& msg) override;
    // Moved to a monitor of another DPI: every control scaled from where it first stood, fonts and
    // pictures made for the new DPI, the window put on the rectangle the system suggests.
    void ApplyDpi(int dpi, const RECT* suggested);

    struct PlacedControl {
        HWND Window;
        WindowBounds Bounds;  // in its parent's client area, at layoutDpi_
    };
    std::vector<PlacedControl> layout_;
    int layoutDpi_ = 0;
    int dpi_ = 96;
    UniqueGdiObject font_;
    int modalResult_ = 0;
    bool modal_ = false;
    // Followed from the key messages the form takes: its thread's key state can lag behind them
    // (seen under Wine with keys from another process), and a key preview must not miss a Ctrl.
    HeldModifierKeys held_;
};

}  // namespace quorlin
