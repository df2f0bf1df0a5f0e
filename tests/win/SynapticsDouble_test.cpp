// The fake touchpad driver, installed and registered as a driver would be, answers plain COM calls
// by slot number as its registry values say and logs every call in order.
#include <gtest/gtest.h>
#include <objbase.h>

#include "SynapticsDouble.h"

using namespace testsupport;

namespace {

// The driver's identifiers, written out again here: the test checks the double, not a shared header.
constexpr CLSID kApiClass = {0x9C042297, 0xD1CD, 0x4F0D, {0xB1, 0xAB, 0x9F, 0x48, 0xAD, 0x6A, 0x6D, 0xFF}};
constexpr IID kApiInterface = {0x41320763, 0xF0EC, 0x4B7F, {0x9A, 0x2E, 0xB4, 0xDA, 0x92, 0xC8, 0x0F, 0xE7}};
constexpr CLSID kDeviceClass = {0x9345312C, 0xD098, 0x4BB1, {0xB2, 0xB2, 0xD5, 0x29, 0xEB, 0x99, 0x51, 0x73}};
constexpr IID kDeviceInterface = {0xE7D5F8AC, 0x866C, 0x4C8C, {0xAF, 0x5F, 0xF2, 0x8D, 0xE4, 0x91, 0x86, 0x47}};
constexpr LONG kDisabled = 0x10000171;
enum Slot { kInit = 3, kFind = 4, kGet = 3, kSet = 6, kBind = 15 };

// Calls the operation at a position of the object's table: the layout is nothing but positions.
template <typename... Args>
HRESULT Call(IUnknown* object, int slot, Args... args) {
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, Args...);
    return reinterpret_cast<Fn>((*reinterpret_cast<void***>(object))[slot])(object, args...);
}

HRESULT Create(const CLSID& cls, const IID& iid, IUnknown** out) {
    return CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(out));
}

std::wstring LoadedFrom(const wchar_t* module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(module), path, MAX_PATH);
    return path;
}

using Log = std::vector<std::string>;

class SynapticsDoubleTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        dll_ = InstallSynapticsDouble();
        ASSERT_FALSE(dll_.empty());
        ASSERT_EQ(Create(kApiClass, kApiInterface, &api_), S_OK);
        ASSERT_EQ(Create(kDeviceClass, kDeviceInterface, &device_), S_OK);
        ClearSynapticsDoubleLog();
    }
    void TearDown() override {
        if (device_) device_->Release();
        if (api_) api_->Release();
        UnregisterSynapticsDouble();
        CoUninitialize();  // unloads the DLLs, so each test sees only its own install
    }
    std::wstring dll_;
    IUnknown* api_ = nullptr;
    IUnknown* device_ = nullptr;
};

TEST_F(SynapticsDoubleTest, LoadsFromItsOwnFolderWithItsHelperBesideIt) {
    EXPECT_EQ(LoadedFrom(L"SynapticsDouble.dll"), dll_);
    const std::wstring folder = dll_.substr(0, dll_.find_last_of(L'\\'));
    EXPECT_EQ(LoadedFrom(L"SynapticsDoubleDep.dll"), folder + L"\\SynapticsDoubleDep.dll");
}

TEST_F(SynapticsDoubleTest, DefaultsLetTheWholeSequenceSucceed) {
    LONG handle = -1, value = -1;
    EXPECT_EQ(Call(api_, kInit), S_OK);
    EXPECT_EQ(Call(api_, kFind, 0L, 2L, &handle), S_OK);
    EXPECT_EQ(handle, 7);
    EXPECT_EQ(Call(device_, kBind, handle), S_OK);
    EXPECT_EQ(Call(device_, kGet, kDisabled, &value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(Call(device_, kSet, kDisabled, 1L), S_OK);
    EXPECT_EQ(Call(device_, kGet, kDisabled, &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(GetSynapticsDouble(L"Property", 99), 1u);
    device_->Release(), device_ = nullptr;
    api_->Release(), api_ = nullptr;
    EXPECT_EQ(SynapticsDoubleLog(),
              (Log{"api.init", "api.find 0 2", "device.bind 7", "device.get 0x10000171", "device.set 0x10000171 1",
                   "device.get 0x10000171", "device.release", "api.release"}));
}

TEST_F(SynapticsDoubleTest, AnswersWhatTheRegistrySaysAtEachCall) {
    SetSynapticsDouble(L"InitResult", static_cast<DWORD>(E_FAIL));
    SetSynapticsDouble(L"FindResult", S_FALSE);
    SetSynapticsDouble(L"DeviceHandle", 12);
    SetSynapticsDouble(L"BindResult", static_cast<DWORD>(E_ACCESSDENIED));
    LONG handle = -1, value = -1;
    EXPECT_EQ(Call(api_, kInit), E_FAIL);
    EXPECT_EQ(Call(api_, kFind, 0L, 2L, &handle), S_FALSE);
    EXPECT_EQ(handle, 12);
    EXPECT_EQ(Call(device_, kBind, 7L), E_INVALIDARG);  // not the handle the search gave
    EXPECT_EQ(Call(device_, kBind, 12L), E_ACCESSDENIED);

    SetSynapticsDouble(L"Property", 2);  // switched behind the program's back
    EXPECT_EQ(Call(device_, kGet, kDisabled, &value), S_OK);
    EXPECT_EQ(value, 2);
    SetSynapticsDouble(L"WriteResult", S_FALSE);
    EXPECT_EQ(Call(device_, kSet, kDisabled, 0L), S_FALSE);
    EXPECT_EQ(GetSynapticsDouble(L"Property", 99), 2u);  // anything but S_OK is a refusal: nothing changes
    SetSynapticsDouble(L"ReadResult", static_cast<DWORD>(E_UNEXPECTED));
    EXPECT_EQ(Call(device_, kGet, kDisabled, &value), E_UNEXPECTED);
    EXPECT_EQ(Call(device_, kGet, kDisabled + 1, &value), E_INVALIDARG);
    EXPECT_EQ(Call(device_, kSet, kDisabled + 1, 0L), E_INVALIDARG);
    EXPECT_EQ(SynapticsDoubleLog(),
              (Log{"api.init", "api.find 0 2", "device.bind 7", "device.bind 12", "device.get 0x10000171",
                   "device.set 0x10000171 0", "device.get 0x10000171", "device.get 0x10000172",
                   "device.set 0x10000172 0"}));
}

TEST_F(SynapticsDoubleTest, UnusedDeviceSlotsAnswerNotImplementedAndAreLogged) {
    Log expected;
    for (int slot : {4, 5, 7, 8, 9, 10, 11, 12, 13, 14}) {
        EXPECT_EQ(Call(device_, slot), E_NOTIMPL) << slot;
        expected.push_back("unexpected slot " + std::to_string(slot));
    }
    EXPECT_EQ(SynapticsDoubleLog(), expected);
}

TEST_F(SynapticsDoubleTest, LogsCreationsAndOnlyTheLastReleaseInOrder) {
    IUnknown* second = nullptr;
    ASSERT_EQ(Create(kApiClass, kApiInterface, &second), S_OK);
    api_->AddRef();
    api_->Release();
    api_->Release(), api_ = nullptr;
    second->Release();
    device_->Release(), device_ = nullptr;
    EXPECT_EQ(SynapticsDoubleLog(), (Log{"create api", "api.release", "api.release", "device.release"}));
}

TEST(SynapticsDoubleInstall, WithoutItsHelperBesideItTheDoubleDoesNotLoad) {
    CoInitialize(nullptr);
    const std::wstring dll = InstallSynapticsDouble();
    ASSERT_FALSE(dll.empty());
    const std::wstring folder = dll.substr(0, dll.find_last_of(L'\\'));
    ASSERT_TRUE(DeleteFileW((folder + L"\\SynapticsDoubleDep.dll").c_str()));
    // The current folder is searched too, and under ctest it is the build folder, which holds a helper.
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(folder.c_str());
    IUnknown* object = nullptr;
    EXPECT_TRUE(FAILED(Create(kApiClass, kApiInterface, &object)));  // Wine: E_ACCESSDENIED
    EXPECT_EQ(object, nullptr);
    SetCurrentDirectoryW(current);
    UnregisterSynapticsDouble();
    CoUninitialize();
}

TEST_F(SynapticsDoubleTest, UnregisteredClassesAreNotFound) {
    UnregisterSynapticsDouble();
    IUnknown* object = nullptr;
    EXPECT_EQ(Create(kDeviceClass, kDeviceInterface, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
