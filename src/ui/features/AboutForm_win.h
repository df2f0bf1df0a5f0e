// The About window: the program's icon, title and version, the maker's lines as links, and OK.
// It exists only while it is shown.
#pragma once
#include <windows.h>

#include <functional>

#include "shell/Controls_win.h"
#include "shell/Form_win.h"
#include "shell/Image_win.h"
#include "shell/Timer_win.h"

namespace quorlin {

class TfrmAbout : public TForm {
public:
    // owner: the settings window, which the About window stays with and is centred over.
    explicit TfrmAbout(HWND owner);

    // A click on the icon or on one of the maker's lines, with that control's Tag.
    std::function<void(int tag)> OnLinkClick;
    // 500 ms after the window opened.
    std::function<void()> OnOpened;

    TImage imgIcon;
    TLabel lbTitle;
    TLabel lbVersion;
    TLabel lbInfo;
    TLabel lbCopyright;
    TButton btnOK;
    TTimer tmrRunOnce{500};

protected:
    void FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) override;
    // The title's own font, made for the window's DPI.
    void FormDpiChanged() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    UniqueGdiObject titleFont_;
};

}  // namespace quorlin
