// A top-level window of the program (the settings window, dialogs): owned by the application
// window, fixed single border with the system menu only, its own components and controls.
#pragma once
#include <windows.h>

#include <string>

#include "base/Unique_win.h"
#include "shell/Application_win.h"
#include "shell/Component.h"
#include "shell/Window_win.h"

namespace quorlin {

class TForm : public TComponentOwner, public TWindow, private TMessageFilter {
public:
    // Creates the window, hidden, with the given client size at a position the system picks;
    // className is the window class registered for this kind of window (e.g. L"TfrmMain").
    // Members of a derived form can therefore create their controls on Handle() right away.
    TForm(const wchar_t* className, int clientWidth, int clientHeight);
    ~TForm() override;

    using TWindow::Handle;

    void SetCaption(const std::wstring& text);
    std::wstring Caption() const;
    HFONT Font() const { return static_cast<HFONT>(font_.get()); }

    bool Visible() const { return Handle() && IsWindowVisible(Handle()); }
    void Show();
    void Hide();
    // Asks FormCloseQuery; when allowed, FormClose runs and the window hides.
    void Close();
    bool KeyPreview = true;

protected:
    // Window events.
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    virtual void FormClose() {}
    // key is set to 0 to consume it.
    virtual void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) { (void)key, (void)alt, (void)ctrl, (void)shift; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Key preview (FormKeyDown) and dialog navigation for messages to this form and its controls.
    bool PreTranslateMessage(MSG& msg) override;
    UniqueGdiObject font_;
};

}  // namespace quorlin
