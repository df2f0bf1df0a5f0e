// The fake touchpad driver's helper DLL: its call log. The driver loads it by name from its own
// folder, so the driver works only when this DLL is found there, as a real vendor's helper.
#include <windows.h>

#include <cstring>

extern "C" __declspec(dllexport) void SynapticsDoubleLog(const char* line) {
    // Read at each line, so a test can point the log elsewhere while a program runs.
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path - sizeof(wchar_t), type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\QuorlinTest\\SynapticsDouble", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (RegQueryValueExW(key, L"LogFile", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            path[0] = L'\0';
        RegCloseKey(key);
    }
    if (!path[0]) {
        const DWORD n = GetTempPathW(MAX_PATH, path);
        if (n == 0 || n + 24 > MAX_PATH) return;
        wcscat(path, L"synaptics-double.log");
    }
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char text[256];
    const size_t len = strnlen(line, sizeof text - 2);
    memcpy(text, line, len);
    text[len] = '\n';
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(len + 1), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}
