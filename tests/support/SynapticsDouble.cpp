#include "SynapticsDouble.h"

#include "TestSupport.h"

namespace testsupport {
namespace {

constexpr const wchar_t* kClassKeys[] = {
    L"Software\\Classes\\CLSID\\{9C042297-D1CD-4F0D-B1AB-9F48AD6A6DFF}",  // API object
    L"Software\\Classes\\CLSID\\{9345312C-D098-4BB1-B2B2-D529EB995173}",  // device object
};
constexpr const wchar_t* kFiles[] = {L"SynapticsDouble.dll", L"SynapticsDoubleDep.dll"};

bool SetText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
    return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring LogPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_CURRENT_USER, kSynapticsDoubleKey, L"LogFile", RRF_RT_REG_SZ, nullptr, path, &size))
        return {};
    return path;
}

}  // namespace

std::wstring InstallSynapticsDouble() {
    // A new folder each time: Wine keeps a DLL that failed to load open, so its files cannot be replaced.
    static int installs = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"SynapticsDriver-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++installs);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return {};
    for (const wchar_t* file : kFiles) {
        if (!CopyFileW((ExeDir() + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE)) return {};
    }
    const std::wstring dll = folder + L"\\" + kFiles[0];
    for (const wchar_t* key : kClassKeys) {
        const std::wstring server = std::wstring(key) + L"\\InprocServer32";
        if (!SetText(HKEY_LOCAL_MACHINE, server, nullptr, dll) ||
            !SetText(HKEY_LOCAL_MACHINE, server, L"ThreadingModel", L"Both"))
            return {};
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSynapticsDoubleKey);
    if (!SetText(HKEY_CURRENT_USER, kSynapticsDoubleKey, L"LogFile", TempFile(L"synaptics-double"))) return {};
    return dll;
}

void UnregisterSynapticsDouble() {
    for (const wchar_t* key : kClassKeys) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
}

void SetSynapticsDouble(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kSynapticsDoubleKey, name, REG_DWORD, &value, sizeof value);
}

DWORD GetSynapticsDouble(const wchar_t* name, DWORD fallback) {
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, kSynapticsDoubleKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size)
               ? fallback
               : value;
}

std::vector<std::string> SynapticsDoubleLog() {
    std::vector<std::string> lines;
    const std::string text = ReadFileText(LogPath());
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

void ClearSynapticsDoubleLog() { DeleteFileW(LogPath().c_str()); }

}  // namespace testsupport
