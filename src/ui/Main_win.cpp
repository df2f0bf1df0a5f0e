// Program entry of Quorlin.exe.
#include <windows.h>

#include <cstdlib>
#include <optional>

#include "shell/Application_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "touchpad/SynapticsUtils_win.h"
#include "base/System_win.h"
#include "base/Language.h"
#include "base/Text_win.h"
#include "ui/FormMain_win.h"
#include "base/resource.h"
#include "settings/Settings_win.h"
#include "shell/OneInstance_win.h"
#include "ui/StartCommand.h"

namespace {

// Keeps DLLs that the program loads at run time out of reach of its own folder and the current
// one: the system folder, and folders added one by one (the touchpad driver's own).
void HardenDllSearch() {
    using SetDirsFn = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        if (auto set = quorlin::GetProc<SetDirsFn>(kernel, "SetDefaultDllDirectories"))
            set(0x00000800 /*LOAD_LIBRARY_SEARCH_SYSTEM32*/ | 0x00000400 /*LOAD_LIBRARY_SEARCH_USER_DIRS*/);
    }
    SetDllDirectoryW(L"");
}

// How long "/exit" waits for the running instance to save and end.
constexpr DWORD kEndInstanceTimeoutMs = 10000;

// "/exit" and "/uninstall" (run by the installer from the installed file): the running instance of
// this very executable, found by its title as a second start finds it, ends as at the end of the
// session; "/uninstall" then deletes the logon entry, after that end, since the instance could
// still write it. A copy run from elsewhere and its logon entry are left alone. 0 when no instance
// of this executable runs any more.
int RunStartCommand(quorlin::StartCommand command) {
    quorlin::TApplication::Instance().SetTitle(quorlin::LoadResString(IDS_TITLE));
    const std::wstring exe = quorlin::RunningExePath();
    const bool ended = quorlin::EndPrevInstance(kEndInstanceTimeoutMs, exe);
    if (command == quorlin::StartCommand::Uninstall) quorlin::RemoveRunEntryOf(exe);
    return ended ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int) {
    HardenDllSearch();
    if (const auto command = quorlin::ParseStartCommand(arguments ? arguments : L"");
        command != quorlin::StartCommand::Run)
        return RunStartCommand(command);
    quorlin::InitSynapticsApi();  // brings COM up only for an installed driver
    // The language of every text, once, before any is loaded.
    const auto stored = quorlin::SettingsReader().ReadString(quorlin::kLanguageSetting);
    quorlin::SetTextLanguage(quorlin::ChooseTextLanguage(
        stored ? std::optional<std::wstring_view>(*stored) : std::nullopt, GetUserDefaultUILanguage()));
    quorlin::LoadKeyCaptionTable();

    auto& app = quorlin::TApplication::Instance();
    app.SetTitle(quorlin::LoadResString(IDS_TITLE));
    // Destroyed after the loop and the touchpad's release.
    std::optional<quorlin::TfrmMain> mainWindow;
    return app.RunProgram(
        [&] {
            app.Initialize(instance);
            mainWindow.emplace();
        },
        quorlin::ReleaseSynapticsApi);
}

// Replaces the C++ library's default handler of an error that nothing catches. That one prints the
// error's type to the standard error stream, which this windowed program does not have, and brings
// the library's name demangler into the executable (about 45 KiB). Ending at once is what is left.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
