#include "touchpad/SynapticsUtils_win.h"

#include <windows.h>
#include <objbase.h>

#include <string>

#include "base/ComPtr_win.h"
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

// The folder of a class's in-process server DLL, from its registration; empty when unknown.
std::wstring ServerFolder(const CLSID& clsid) {
    wchar_t guid[64] = {};
    if (StringFromGUID2(clsid, guid, 64) == 0) return {};
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
    wchar_t path[MAX_PATH + 2] = {};
    DWORD type = 0, size = sizeof path - sizeof(wchar_t);  // room for a terminator of our own
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     &type, path, &size) != ERROR_SUCCESS)
        return {};
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH + 2] = {};
        const DWORD n = ExpandEnvironmentStringsW(path, expanded, MAX_PATH + 1);
        if (n == 0 || n > MAX_PATH + 1) return {};
        lstrcpynW(path, expanded, MAX_PATH + 1);
    }
    std::wstring folder(path);
    if (folder.size() >= 2 && folder.front() == L'"') folder = folder.substr(1, folder.find(L'"', 1) - 1);
    const auto slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash < 2) return {};  // a bare name: nothing to add
    return folder.substr(0, slash);
}

// The program keeps DLL loading to the system folder; the driver's server lives in a folder of its
// own and loads its own DLLs from there, so that one folder is let in while the driver is used.
void AllowServerFolder(SynapticsObjects& o) {
    using AddFn = void*(WINAPI*)(PCWSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto add = kernel ? reinterpret_cast<AddFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "AddDllDirectory")))
                            : nullptr;
    const std::wstring folder = ServerFolder(syncom::CLSID_SynAPI);
    if (add && !folder.empty()) o.serverFolder = add(folder.c_str());
}

void ForgetServerFolder(SynapticsObjects& o) {
    using RemoveFn = BOOL(WINAPI*)(void*);
    if (!o.serverFolder) return;
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (const auto remove = reinterpret_cast<RemoveFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "RemoveDllDirectory"))))
        remove(o.serverFolder);
    o.serverFolder = nullptr;
}

bool WriteDisabled(LONG value) {
    SynapticsObjects& o = Objects();
    if (!SynapticsAvailable || !o.device) return false;
    return o.device->SetProperty(syncom::DeviceDisabledProperty, value) == S_OK;
}

}  // namespace

void InitSynapticsApi() {
    SynapticsAvailable = false;
    (void)CoInitialize(nullptr);
    SynapticsObjects& o = Objects();
    AllowServerFolder(o);
    if (CoCreateInstance(syncom::CLSID_SynAPI, nullptr, CLSCTX_INPROC_SERVER, syncom::IID_ISynAPI, o.api.put_void()) !=
        S_OK)
        return;
    if (o.api->Initialize() != S_OK) return;
    LONG handle = -1;
    if (o.api->FindDevice(0, 2, &handle) != S_OK) return;
    if (CoCreateInstance(syncom::CLSID_SynDevice, nullptr, CLSCTX_INPROC_SERVER, syncom::IID_ISynDevice,
                         o.device.put_void()) != S_OK)
        return;
    if (o.device->Select(handle) != S_OK) return;
    SynapticsAvailable = true;
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
