// Stand-in browser for tests: registered as the handler of a URL protocol, it appends the
// address it was given (its first argument) as one UTF-8 line to the file named by the
// environment variable QUORLIN_URL_RECORD, or to %TEMP%\quorlin-urlrecorder.txt.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/Unique_win.h"

namespace {

std::wstring RecordPath() {
    wchar_t buf[MAX_PATH]{};
    const DWORD n = GetEnvironmentVariableW(L"QUORLIN_URL_RECORD", buf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(buf, n);
    const DWORD t = GetTempPathW(MAX_PATH, buf);
    return std::wstring(buf, t < MAX_PATH ? t : 0) + L"quorlin-urlrecorder.txt";
}

std::string Utf8(const std::wstring& s) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring address = argv && argc > 1 ? argv[1] : L"";
    if (argv) LocalFree(argv);

    quorlin::UniqueHandle file(CreateFileW(RecordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_ALWAYS, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        (void)file.release();
        return 1;
    }
    const std::string line = Utf8(address) + "\n";
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return 0;
}
