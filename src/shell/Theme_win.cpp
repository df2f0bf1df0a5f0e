#include "shell/Theme_win.h"

#include "base/Unique_win.h"

namespace quorlin {

bool TaskbarUsesLightTheme() {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    const UniqueKey key(raw);
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key.get(), L"SystemUsesLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    return type == REG_DWORD && size == sizeof value && value == 1;
}

bool IsColorSetChange(UINT msg, LPARAM lp) {
    return msg == WM_SETTINGCHANGE && lp && lstrcmpiW(reinterpret_cast<const wchar_t*>(lp), L"ImmersiveColorSet") == 0;
}

}  // namespace quorlin
