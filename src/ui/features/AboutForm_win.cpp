#include "ui/features/AboutForm_win.h"

#include "base/Language.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "shell/Application_win.h"
#include "shell/Dpi_win.h"
#include "shell/Placement_win.h"
#include "shell/TextFit_win.h"

namespace quorlin {

namespace {

// Systems before Vista have no 128-pixel icons; a 48-pixel one is centred in the same place.
bool BeforeVista() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW(&info) && info.dwMajorVersion < 6;
#pragma GCC diagnostic pop
}

WindowBounds IconBounds() {
    return BeforeVista() ? WindowBounds{52, 52, 48, 48} : WindowBounds{12, 12, 128, 128};
}

std::wstring VersionText() {
    std::wstring text = LoadResString(IDS_VERSION);
    return text.empty() ? FileVersionString() : text + L" " + FileVersionString();
}

}  // namespace

TfrmAbout::TfrmAbout(HWND owner)
    : TForm(L"TfrmAbout", 332, 153, owner),
      imgIcon(Handle(), Scaled(IconBounds()), L"A"),
      lbTitle(Handle(), Scaled({144, 12, 180, 24}), TApplication::Instance().Title(), TLabel::Align::Center),
      lbVersion(Handle(), Scaled({144, 40, 180, 16}), VersionText(), TLabel::Align::Center),
      lbInfo(Handle(), Scaled({144, 64, 180, 16}), LoadResString(IDS_ABOUT_SLOGAN), TLabel::Align::Center),
      lbCopyright(Handle(), Scaled({144, 84, 180, 16}), LoadResString(IDS_ABOUT_MAKER), TLabel::Align::Center),
      btnOK(Handle(), Scaled({196, 116, 75, 25}), LoadResString(IDS_MSG_OK), true) {
    SetCaption(LoadResString(IDS_ABOUT));
    FormDpiChanged();
    // Room for longer translations: the centred column widens, the button stays under its middle.
    using enum FitAnchor;
    const FitControl controls[] = {
        {imgIcon.Handle()},
        {lbTitle.Handle(), -1, Stretch, FitText::Label},   {lbVersion.Handle(), -1, Stretch, FitText::Label},
        {lbInfo.Handle(), -1, Stretch, FitText::Label},    {lbCopyright.Handle(), -1, Stretch, FitText::Label},
        {btnOK.Handle(), -1, Centre},
    };
    RECT client{};
    GetClientRect(Handle(), &client);
    if (const SIZE fitted = FitControls(controls, {client.right, client.bottom}, Scale(150),
                                        CurrentTextLanguage() != kEnglishLangId);
        fitted.cx != client.right || fitted.cy != client.bottom)
        SetClientSize(fitted.cx, fitted.cy);

    imgIcon.SetTag(0);
    lbInfo.SetTag(1992);
    lbCopyright.SetTag(1977);
    auto opens = [this](const TWinControl& link) {
        return [this, tag = link.Tag()] {
            if (OnLinkClick) OnLinkClick(tag);
        };
    };
    for (TLabel* link : {&lbInfo, &lbCopyright}) {
        link->SetCursor(LoadCursorW(nullptr, IDC_HAND));
        link->OnClick = opens(*link);
    }
    imgIcon.OnClick = opens(imgIcon);
    btnOK.OnClick = [this] { SetModalResult(IDOK); };
    tmrRunOnce.OnTimer = [this] {
        tmrRunOnce.SetEnabled(false);
        if (OnOpened) OnOpened();
    };
    tmrRunOnce.SetEnabled(true);
    CenterOverControl(Handle(), owner);
}

void TfrmAbout::FormDpiChanged() {
    UniqueGdiObject font = CreateArialForDpi(21, FW_BOLD, Dpi());
    if (!font) return;
    lbTitle.SetFont(static_cast<HFONT>(font.get()));
    titleFont_ = std::move(font);
}

void TfrmAbout::FormKeyDown(WORD& key, bool alt, bool ctrl, bool shift) {
    // OK is the default and the cancel button: Enter and Esc both close with OK.
    if ((key == VK_RETURN || key == VK_ESCAPE) && !alt && !ctrl && !shift) {
        key = 0;
        SetModalResult(IDOK);
    }
}

LRESULT TfrmAbout::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QUERYENDSESSION) {
        // The session may end: the window lets go of its owner and closes.
        SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, 0);
        SetModalResult(IDCANCEL);
        return 1;
    }
    return TForm::WndProc(msg, wp, lp);
}

}  // namespace quorlin
