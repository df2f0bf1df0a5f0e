// Program under test for the tray icon: the real application object, a form that owns a popup
// menu and the tray icon as the main window does, and a log of what happens, one line each.
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
    kBalloon = 4,     // SetInfoTimeout(3000), ShowBalloonTip(tiiInfo, title, argument)
    kUpdate = 5,      // UpdateIcon
    kMinimize = 6,    // minimise the application window
    kRemoveBalloon = 7,  // ShowInfoBalloon with empty InfoText
    kQuit = 8,
};

class TrayForm : public TForm {
public:
    TPopupMenu pmPopup{*this};
    TTrayIcon TrayIcon{*this};
    TMenuItem& miSetup = pmPopup.Add(L"&Settings");
    TMenuItem& miBlocker = pmPopup.Add(L"&Blocker");
    TMenuItem& miSplit = pmPopup.Add(L"-");
    TMenuItem& miClose = pmPopup.Add(L"&Close");

    TrayForm() : TForm(L"TTrayAppForm", 200, 80) {
        // The design.
        TrayIcon.MinimizeToTray = true;
        TrayIcon.MinimizeOnStart = true;
        TrayIcon.SetPopupMenu(&pmPopup);
        TrayIcon.SetInfoTimeout(3000);
        TrayIcon.OnClick = [](TObject&) { proglog::Line("click"); };
        TrayIcon.OnDblClick = [](TObject&) { proglog::Line("dblclick"); };
        TrayIcon.OnMinimize = [](TObject&) { proglog::Line("minimize"); };
        TrayIcon.OnPopupMenu = [](TObject&) { proglog::Line("menu-closed"); };
        miSetup.Default = true;
        miSetup.ShortCutText = L"Alt+Click";
        miSetup.OnClick = [](TObject&) { proglog::Line("item:Settings"); };
        miBlocker.OnClick = [this](TObject& sender) {
            proglog::Line("item:Blocker");
            static_cast<TMenuItem&>(sender).Checked = !miBlocker.Checked;
        };
        miClose.OnClick = [](TObject&) { proglog::Line("item:Close"); };
        pmPopup.OnPopup = [this](TObject&) {
            proglog::Line(std::string("popup component=") + (pmPopup.PopupComponent == &TrayIcon ? "tray" : "other"));
        };
        LoadComponents();
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
            TrayIcon.SetInfoTimeout(3000);
            proglog::Line(std::string("balloon=") +
                (TrayIcon.ShowBalloonTip(TTrayIconInfoType::tiiInfo, L"Quorlin", arg) ? "1" : "0"));
            break;
        case kUpdate:
            proglog::Line(std::string("update=") + (TrayIcon.UpdateIcon() ? "1" : "0"));
            break;
        case kMinimize:
            ShowWindow(TApplication::Instance().Handle(), SW_MINIMIZE);
            break;
        case kRemoveBalloon:
            TrayIcon.SetInfoText(L"");
            proglog::Line(std::string("remove-balloon=") + (TrayIcon.ShowInfoBalloon() ? "1" : "0"));
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
        char line[64];
        std::snprintf(line, sizeof line, "shell=0x%lx", static_cast<unsigned long>(ShellVersion()));
        proglog::Line(line);
        proglog::Line(std::string("showmainform=") + (app.ShowMainForm() ? "1" : "0"));

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
