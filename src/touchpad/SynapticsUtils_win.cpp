#include "touchpad/SynapticsUtils_win.h"

#include <windows.h>
#include <objbase.h>

#include <optional>
#include <string>

#include "base/ComPtr_win.h"
#include "base/System_win.h"
#include "touchpad/SYNCOMLib_TLB.h"

namespace quorlin {

bool SynapticsAvailable = false;

namespace {

struct SynapticsObjects {
    ComPtr<syncom::ISynAPI> api;
    ComPtr<syncom::ISynDevice> device;
    void* serverFolder = nullptr;  // the cookie AddDllDirectory gave
};

SynapticsObjects& Objects() {
    static SynapticsObjects objects;
    return objects;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as class registrations are keyed, without asking COM.
std::wstring GuidText(const GUID& g) {
    std::wstring text = L"{";
    auto hex = [&text](unsigned long value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += L"0123456789ABCDEF"[(value >> shift) & 0xF];
    };
    hex(g.Data1, 8);
    text += L'-';
    hex(g.Data2, 4);
    text += L'-';
    hex(g.Data3, 4);
    text += L'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) text += L'-';
        hex(g.Data4[i], 2);
    }
    return text + L'}';
}

// The in-process server registered for a class, as written; nothing when the class is not
// registered, which is how a machine without the driver looks.
std::optional<std::wstring> RegisteredServer(const CLSID& clsid) {
    const std::wstring key = L"CLSID\\" + GuidText(clsid) + L"\\InprocServer32";
    wchar_t path[MAX_PATH + 2] = {};
    DWORD type = 0, size = sizeof path - sizeof(wchar_t);  // room for a terminator of our own
    const LSTATUS status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr,
                                        RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, path, &size);
    if (status == ERROR_MORE_DATA) return std::wstring();  // registered, at a path too long to use here
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH + 2] = {};
        const DWORD n = ExpandEnvironmentStringsW(path, expanded, MAX_PATH + 1);
        if (n == 0 || n > MAX_PATH + 1) return std::wstring();
        lstrcpynW(path, expanded, MAX_PATH + 1);
    }
    return std::wstring(path);
}

// The folder of a server path; empty for a bare name.
std::wstring ServerFolder(std::wstring server) {
    if (server.size() >= 2 && server.front() == L'"') server = server.substr(1, server.find(L'"', 1) - 1);
    const auto slash = server.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash < 2) return {};
    return server.substr(0, slash);
}

// The program keeps DLL loading to the system folder; the driver's server lives in a folder of its
// own and loads its own DLLs from there, so that one folder is let in while the driver is used.
void AllowServerFolder(SynapticsObjects& o, const std::wstring& server) {
    using AddFn = void*(WINAPI*)(PCWSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto add = kernel ? GetProc<AddFn>(kernel, "AddDllDirectory") : nullptr;
    const std::wstring folder = ServerFolder(server);
    if (add && !folder.empty()) o.serverFolder = add(folder.c_str());
}

void ForgetServerFolder(SynapticsObjects& o) {
    using RemoveFn = BOOL(WINAPI*)(void*);
    if (!o.serverFolder) return;
    if (const auto remove = GetProc<RemoveFn>(GetModuleHandleW(L"kernel32.dll"), "RemoveDllDirectory"))
        remove(o.serverFolder);
    o.serverFolder = nullptr;
}

// Steps 3 to 7 of the connection; false at the first that fails. What was obtained stays held.
bool Connect(SynapticsObjects& o, CoCreateInstanceFn create) {
    if (create(syncom::CLSID_SynAPI, nullptr, CLSCTX_INPROC_SERVER, syncom::IID_ISynAPI, o.api.put_void()) != S_OK)
        return false;
    if (o.api->Initialize() != S_OK) return false;
    LONG handle = -1;
    if (o.api->FindDevice(0, 2, &handle) != S_OK) return false;
    if (create(syncom::CLSID_SynDevice, nullptr, CLSCTX_INPROC_SERVER, syncom::IID_ISynDevice, o.device.put_void()) !=
        S_OK)
        return false;
    return o.device->Select(handle) == S_OK;
}

bool WriteDisabled(LONG value) {
    SynapticsObjects& o = Objects();
    if (!SynapticsAvailable || !o.device) return false;
    return o.device->SetProperty(syncom::DeviceDisabledProperty, value) == S_OK;
}

}  // namespace

void InitSynapticsApi() {
    SynapticsAvailable = false;
    // No registration, no driver: COM is not even loaded.
    const auto server = RegisteredServer(syncom::CLSID_SynAPI);
    if (!server) return;
    const CoCreateInstanceFn create = EnterComApartment();
    if (!create) return;
    SynapticsObjects& o = Objects();
    AllowServerFolder(o, *server);
    SynapticsAvailable = Connect(o, create);
    // A driver that did not connect is never used again, so its folder leaves the search now.
    if (!SynapticsAvailable) ForgetServerFolder(o);
}

bool IsTouchpadEnabled() {
    SynapticsObjects& o = Objects();
    if (!SynapticsAvailable || !o.device) return false;
    LONG value = 0;
    if (o.device->GetProperty(syncom::DeviceDisabledProperty, &value) != S_OK) return false;
    return value == 0;
}

bool EnableTouchpad() { return WriteDisabled(0); }

bool DisableTouchpad() { return WriteDisabled(1); }

void ReleaseSynapticsApi() {
    SynapticsObjects& o = Objects();
    o.device.reset();
    o.api.reset();
    ForgetServerFolder(o);
}

}  // namespace quorlin
