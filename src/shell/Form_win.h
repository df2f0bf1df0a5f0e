// A top-level window of the program (the settings window, dialogs): owned by the application
// window, fixed single border with the system menu only, its own components and controls.
#pragma once
#include <windows.h>

#include <string>

#include "shell/Component.h"
#include "shell/Unique_win.h"

namespace quorlin {

class TForm : public TComponentOwner {
public:
    // Creates the window, hidden, with the given client size at a position the system picks;
    // className is the window class registered for this kind of window (e.g. L"TfrmMain").
    // Members of a derived form can therefore create their controls on Handle() right away.
    TForm(const wchar_t* className, int clientWidth, int clientHeight);
    ~TForm() override;

    HWND Handle() const { return handle_.get(); }

    void SetCaption(const std::wstring& text);
    std::wstring Caption() const;
    HFONT Font() const { return static_cast<HFONT>(font_.get()); }

    bool Visible() const { return handle_ && IsWindowVisible(handle_.get()); }
    void Show();
    void Hide();
    // Asks FormCloseQuery; when allowed, FormClose runs and the window hides.
    void Close();
    bool KeyPreview = true;

    // Offers a key message of this thread to the form that owns its window, when that form has
    // key preview; true when FormKeyDown consumed the key. Also runs dialog navigation (Tab).
    static bool PreviewMessage(MSG& msg);

protected:
    // Window events.
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    virtual void FormClose() {}
    // key is set to 0 to consume it.
    virtual void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) { (void)key, (void)alt, (void)ctrl, (void)shift; }
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
    UniqueGdiObject font_;
    UniqueWindow handle_;
};

}  // namespace quorlin
