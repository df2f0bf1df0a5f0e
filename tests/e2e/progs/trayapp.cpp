// Program under test for the tray icon: the real application object, a form that owns a popup
// menu and the tray icon wired as the main window wires them, and a log of what happens, one line
// each.
// Command line: <log path> [show]   ("show": no icon at start, the form shown instead)
// Commands arrive as WM_COPYDATA to the form (class "TTrayAppForm"): dwData the command, the
// data a UTF-16 argument.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "shell/Application_win.h"
#include "shell/Form_win.h"
#include "shell/PopupMenu_win.h"
#include "shell/TrayIcon_win.h"
#include "ProgLog.h"
#include "base/Unique_win.h"

using namespace quorlin;

namespace {



// A solid 16x16 icon, so the driver can tell images apart by a pixel of the taskbar.
UniqueIcon SolidIcon(COLORREF color) {
    HDC screen = GetDC(nullptr);
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, 16, 16));
    UniqueGdiObject mask(CreateBitmap(16, 16, 1, 1, nullptr));
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap.get());
    UniqueGdiObject brush(CreateSolidBrush(color));
    RECT r{0, 0, 16, 16};
    FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    SelectObject(dc, mask.get());
    PatBlt(dc, 0, 0, 16, 16, BLACKNESS);  // all opaque
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = static_cast<HBITMAP>(bitmap.get());
    info.hbmMask = static_cast<HBITMAP>(mask.get());
    return UniqueIcon(CreateIconIndirect(&info));
}

enum Command : ULONG_PTR {
    kHint = 1,        // SetHint(argument)
    kIcon = 2,        // SetIcon: "red" or "green"
    kVisible = 3,     // SetVisible("1"/"0")
    kBalloon = 4,     // ShowBalloon(title, argument, 3000)
    kUpdate = 5,      // UpdateIcon
    kRemoveBalloon = 7,  // ShowBalloon with an empty text
    kQuit = 8,
};

class TrayForm : public TForm {
public:
    TPopupMenu pmPopup;
    TTrayIcon TrayIcon{Handle()};
    TMenuItem& miSetup = pmPopup.Add(L"&Settings");
    TMenuItem& miBlocker = pmPopup.Add(L"&Blocker");
    TMenuItem& miSplit = pmPopup.Add(L"-");
    TMenuItem& miClose = pmPopup.Add(L"&Close");
    bool fromTray = false;  // the tray icon is opening the menu

    TrayForm() : TForm(L"TTrayAppForm", 200, 80) {
        TrayIcon.OnClick = [] { proglog::Line("click"); };
        TrayIcon.OnDoubleClick = [this] {
            if (TMenuItem* item = pmPopup.DefaultItem()) item->Click();
            proglog::Line("dblclick");
        };
        TrayIcon.OnMenu = [this](POINT at) {
            fromTray = true;
            pmPopup.Popup(at.x, at.y);
            fromTray = false;
            proglog::Line("menu-closed");
        };
        miSetup.Default = true;
        miSetup.ShortCutText = L"Alt+Click";
        miSetup.OnClick = [] { proglog::Line("item:Settings"); };
        miBlocker.OnClick = [this] {
            proglog::Line("item:Blocker");
            miBlocker.Checked = !miBlocker.Checked;
        };
        miClose.OnClick = [] { proglog::Line("item:Close"); };
        pmPopup.OnPopup = [this] { proglog::Line(std::string("popup component=") + (fromTray ? "tray" : "other")); };
    }

    UniqueIcon red = SolidIcon(RGB(255, 0, 0));
    UniqueIcon green = SolidIcon(RGB(0, 255, 0));

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NULL) proglog::Line("wm_null");
        if (msg == WM_COPYDATA) {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            std::wstring arg(static_cast<const wchar_t*>(cds->lpData), cds->cbData / sizeof(wchar_t));
            try {
                Run(cds->dwData, arg);
            } catch (const std::exception& e) {
                proglog::Line(std::string("error ") + e.what());
            }
            return TRUE;
        }
        return TForm::WndProc(msg, wp, lp);
    }

private:
    void Run(ULONG_PTR command, const std::wstring& arg) {
        switch (command) {
        case kHint:
            TrayIcon.SetHint(arg);
            proglog::Line("hint");
            break;
        case kIcon:
            TrayIcon.SetIcon(arg == L"green" ? green.get() : red.get());
            proglog::Line("icon");
            break;
        case kVisible:
            TrayIcon.SetVisible(arg == L"1");
            proglog::Line(std::string("visible=") + (TrayIcon.Visible() ? "1" : "0"));
            break;
        case kBalloon:
            proglog::Line(std::string("balloon=") + (TrayIcon.ShowBalloon(L"Quorlin", arg, 3000) ? "1" : "0"));
            break;
        case kUpdate:
            proglog::Line(std::string("update=") + (TrayIcon.UpdateIcon() ? "1" : "0"));
            break;
        case kRemoveBalloon:
            proglog::Line(std::string("remove-balloon=") + (TrayIcon.ShowBalloon(L"", L"", 3000) ? "1" : "0"));
            break;
        case kQuit:
            TApplication::Instance().Terminate();
            break;
        default:
            break;
        }
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    proglog::Path() = argv[1];
    const bool show = argc > 2 && std::wstring(argv[2]) == L"show";
    LocalFree(argv);

    TApplication& app = TApplication::Instance();
    app.Initialize(instance);
    app.SetTitle(L"Quorlin");
    {
        TrayForm form;
        app.SetMainWindow(form.Handle());

        // As the main window does at creation: tip and image first (modify before the icon is
        // added, which the shell refuses), then the icon.
        form.TrayIcon.SetHint(L"Quorlin");
        form.TrayIcon.SetIcon(form.red.get());
        proglog::Line(std::string("update-before-add=") + (form.TrayIcon.UpdateIcon() ? "1" : "0"));
        if (show) {
            form.Show();
        } else {
            form.TrayIcon.SetVisible(true);
            proglog::Line(std::string("visible=") + (form.TrayIcon.Visible() ? "1" : "0"));
        }
        char ids[96];
        std::snprintf(ids, sizeof ids, "ready window=%lu form=%lu",
                      static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(form.TrayIcon.WindowHandle())),
                      static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(form.Handle())));
        proglog::Line(ids);
        app.Run();
        proglog::Line("exit");
    }
    return 0;
}
