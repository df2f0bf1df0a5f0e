// A fake touchpad driver for tests: an in-process COM server with the two classes of the driver's
// API. Tests steer it through HKCU\Software\QuorlinTest\SynapticsDouble (read at every call) and
// read back every call it received from its log (see tests/support/SynapticsDouble.h).
#include <windows.h>
#include <objbase.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <new>


namespace {

// The driver's identifiers and layouts, declared here apart from the program's own declarations,
// so that a wrong position or argument list in the program shows up as a wrong call in the log.
constexpr CLSID kApiClass = {0x9C042297, 0xD1CD, 0x4F0D, {0xB1, 0xAB, 0x9F, 0x48, 0xAD, 0x6A, 0x6D, 0xFF}};
constexpr IID kApiInterface = {0x41320763, 0xF0EC, 0x4B7F, {0x9A, 0x2E, 0xB4, 0xDA, 0x92, 0xC8, 0x0F, 0xE7}};
constexpr CLSID kDeviceClass = {0x9345312C, 0xD098, 0x4BB1, {0xB2, 0xB2, 0xD5, 0x29, 0xEB, 0x99, 0x51, 0x73}};
constexpr IID kDeviceInterface = {0xE7D5F8AC, 0x866C, 0x4C8C, {0xAF, 0x5F, 0xF2, 0x8D, 0xE4, 0x91, 0x86, 0x47}};
constexpr LONG kDisabledProperty = 0x10000171;
constexpr wchar_t kKey[] = L"Software\\QuorlinTest\\SynapticsDouble";

struct Object;
using Slot = HRESULT(STDMETHODCALLTYPE*)(Object*);
struct UnknownSlots {
    HRESULT(STDMETHODCALLTYPE* queryInterface)(Object*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* addRef)(Object*);
    ULONG(STDMETHODCALLTYPE* release)(Object*);
};
struct ApiSlots {
    UnknownSlots unknown;
    HRESULT(STDMETHODCALLTYPE* initialize)(Object*);
    HRESULT(STDMETHODCALLTYPE* findDevice)(Object*, LONG, LONG, LONG* handle);
};
struct DeviceSlots {
    UnknownSlots unknown;
    HRESULT(STDMETHODCALLTYPE* getProperty)(Object*, LONG property, LONG* value);
    Slot slot4, slot5;
    HRESULT(STDMETHODCALLTYPE* setProperty)(Object*, LONG property, LONG value);
    Slot slot7to14[8];
    HRESULT(STDMETHODCALLTYPE* bind)(Object*, LONG handle);
};
static_assert(offsetof(ApiSlots, findDevice) == 4 * sizeof(void*));
static_assert(offsetof(DeviceSlots, setProperty) == 6 * sizeof(void*));
static_assert(offsetof(DeviceSlots, bind) == 15 * sizeof(void*));

struct Object {
    const void* slots;
    const IID* iid;
    const char* name;
    LONG refs = 1;
};

// The helper DLL is loaded by name when the driver is first asked for an object, as vendors' drivers
// load theirs: it is found only when the process lets the driver's folder into its DLL search.
using LogFn = void (*)(const char*);
LogFn g_log = nullptr;

bool LoadHelper() {
    if (g_log) return true;
    if (HMODULE helper = LoadLibraryW(L"SynapticsDoubleDep.dll"))
        g_log = reinterpret_cast<LogFn>(reinterpret_cast<void*>(GetProcAddress(helper, "SynapticsDoubleLog")));
    return g_log != nullptr;
}

LONG g_objects = 0;  // live objects and server locks, for DllCanUnloadNow
LONG g_locks = 0;

void Log(const char* format, ...) {
    char line[200];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (g_log) g_log(line);
}

DWORD Setting(const wchar_t* name, DWORD fallback) {
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
               ? value
               : fallback;
}

// A slow driver: every call of the touchpad's interfaces takes CallDelayMs (default 0).
void Slow() {
    if (const DWORD ms = Setting(L"CallDelayMs", 0)) Sleep(ms);
}

HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, *self->iid)) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    InterlockedIncrement(&self->refs);
    *out = self;
    return S_OK;
}
ULONG STDMETHODCALLTYPE AddRef(Object* self) { return InterlockedIncrement(&self->refs); }
ULONG STDMETHODCALLTYPE Release(Object* self) {
    const LONG left = InterlockedDecrement(&self->refs);
    if (left == 0) {
        Log("%s.release", self->name);
        delete self;
        InterlockedDecrement(&g_objects);
    }
    return left;
}

HRESULT STDMETHODCALLTYPE Initialize(Object*) {
    Slow();
    Log("api.init");
    return static_cast<HRESULT>(Setting(L"InitResult", S_OK));
}
// The handle is written whatever the result, so a caller that ignores the result gets caught.
HRESULT STDMETHODCALLTYPE FindDevice(Object*, LONG first, LONG second, LONG* handle) {
    Slow();
    Log("api.find %ld %ld", first, second);
    if (!handle) return E_POINTER;
    *handle = static_cast<LONG>(Setting(L"DeviceHandle", 7));
    return static_cast<HRESULT>(Setting(L"FindResult", S_OK));
}
HRESULT STDMETHODCALLTYPE GetProperty(Object*, LONG property, LONG* value) {
    Slow();
    Log("device.get 0x%lx", property);
    if (!value) return E_POINTER;
    if (property != kDisabledProperty) return E_INVALIDARG;
    *value = static_cast<LONG>(Setting(L"Property", 0));
    return static_cast<HRESULT>(Setting(L"ReadResult", S_OK));
}
HRESULT STDMETHODCALLTYPE SetProperty(Object*, LONG property, LONG value) {
    Slow();
    Log("device.set 0x%lx %ld", property, value);
    if (property != kDisabledProperty) return E_INVALIDARG;
    const auto result = static_cast<HRESULT>(Setting(L"WriteResult", S_OK));
    if (result == S_OK) RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Property", REG_DWORD, &value, sizeof value);
    return result;
}
// Like a driver, refuses a handle other than the one its search handed out.
HRESULT STDMETHODCALLTYPE Bind(Object*, LONG handle) {
    Log("device.bind %ld", handle);
    if (handle != static_cast<LONG>(Setting(L"DeviceHandle", 7))) return E_INVALIDARG;
    return static_cast<HRESULT>(Setting(L"BindResult", S_OK));
}
// The log line is written before returning, so it survives a caller whose argument count differs.
template <int N>
HRESULT STDMETHODCALLTYPE Unexpected(Object*) {
    Log("unexpected slot %d", N);
    return E_NOTIMPL;
}

constexpr UnknownSlots kUnknown = {QueryInterface, AddRef, Release};
constexpr ApiSlots kApiSlots = {kUnknown, Initialize, FindDevice};
constexpr DeviceSlots kDeviceSlots = {kUnknown,          GetProperty,
                                      Unexpected<4>,     Unexpected<5>,
                                      SetProperty,       {Unexpected<7>, Unexpected<8>, Unexpected<9>, Unexpected<10>,
                                                          Unexpected<11>, Unexpected<12>, Unexpected<13>, Unexpected<14>},
                                      Bind};

class Factory : public IClassFactory {
public:
    explicit Factory(bool device) : device_(device) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factories are static; their references count as server locks.
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&g_locks); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&g_locks); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Log(device_ ? "create device" : "create api");
        auto* object = device_ ? new (std::nothrow) Object{&kDeviceSlots, &kDeviceInterface, "device"}
                               : new (std::nothrow) Object{&kApiSlots, &kApiInterface, "api"};
        if (!object) return E_OUTOFMEMORY;
        InterlockedIncrement(&g_objects);
        const HRESULT result = ::QueryInterface(object, iid, out);
        ::Release(object);
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? InterlockedIncrement(&g_locks) : InterlockedDecrement(&g_locks);
        return S_OK;
    }

private:
    const bool device_;
};

Factory g_apiFactory(false);
Factory g_deviceFactory(true);

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!LoadHelper()) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    if (IsEqualCLSID(clsid, kApiClass)) return g_apiFactory.QueryInterface(iid, out);
    if (IsEqualCLSID(clsid, kDeviceClass)) return g_deviceFactory.QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }
