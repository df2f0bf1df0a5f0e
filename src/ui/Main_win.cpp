// Program entry of Quorlin.exe.
#include <windows.h>
#include <objbase.h>

#include "shell/Application_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "ui/FormMain_win.h"
#include "base/resource.h"

namespace {

// Keeps DLLs that the program loads at run time out of reach of its own folder and the current one.
void HardenDllSearch() {
    using SetDirsFn = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        if (auto set = quorlin::GetProc<SetDirsFn>(kernel, "SetDefaultDllDirectories"))
            set(0x00000800 /*LOAD_LIBRARY_SEARCH_SYSTEM32*/);
    }
    SetDllDirectoryW(L"");
}

struct ComApartment {
    const bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ~ComApartment() {
        if (ok) CoUninitialize();
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HardenDllSearch();
    const ComApartment com;  // the shell and, later, the touchpad driver want a single-threaded apartment
    quorlin::LoadKeyCaptionTable();

    auto& app = quorlin::TApplication::Instance();
    app.SetTitle(quorlin::LoadResString(IDS_TITLE));
    return app.RunProgram([&] {
        app.Initialize(instance);
        return std::make_unique<quorlin::TfrmMain>();
    });
}
