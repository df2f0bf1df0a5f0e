// The touchpad switch's connection against the fake driver of tests/doubles: the driver's folder is
// in the DLL search only while a connected driver is in use.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "SynapticsDouble.h"
#include "TestSupport.h"
#include "touchpad/SynapticsUtils_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

constexpr DWORD kSearchUserDirs = 0x00000400;  // LOAD_LIBRARY_SEARCH_USER_DIRS: added folders only

class SynapticsConnection : public ::testing::Test {
protected:
    // A fresh driver folder with a DLL of a name found nowhere else, to ask the search about.
    void Install() {
        const std::wstring dll = InstallSynapticsDouble();
        ASSERT_FALSE(dll.empty());
        probe_ = L"SearchProbe" + std::to_wstring(++probes_) + L".dll";
        const std::wstring folder = dll.substr(0, dll.find_last_of(L'\\'));
        ASSERT_TRUE(CopyFileW((ExeDir() + L"\\PlantedDll.dll").c_str(), (folder + L"\\" + probe_).c_str(), FALSE));
    }
    void TearDown() override {
        ReleaseSynapticsApi();
        UnregisterSynapticsDouble();
    }
    bool ProbeInSearch() const {
        HMODULE m = LoadLibraryExW(probe_.c_str(), nullptr, kSearchUserDirs);
        if (m) FreeLibrary(m);
        return m != nullptr;
    }
    std::wstring probe_;
    int probes_ = 0;
};

TEST_F(SynapticsConnection, TheDriversFolderIsSearchedOnlyWhileAConnectedDriverIsInUse) {
    Install();
    ASSERT_FALSE(ProbeInSearch());
    InitSynapticsApi();
    ASSERT_TRUE(SynapticsAvailable);
    EXPECT_TRUE(ProbeInSearch()) << "the driver may load its own DLLs";
    ReleaseSynapticsApi();
    EXPECT_FALSE(ProbeInSearch());
}

TEST_F(SynapticsConnection, EveryFailedConnectionTakesTheDriversFolderOutOfTheSearchAtOnce) {
    const std::pair<const wchar_t*, DWORD> failures[] = {
        {L"InitResult", 0x80004005}, {L"FindResult", 1 /*S_FALSE*/}, {L"BindResult", 0x80004005}};
    for (const auto& [name, result] : failures) {
        SCOPED_TRACE(std::string(name, name + lstrlenW(name)));
        Install();
        SetSynapticsDouble(name, result);
        InitSynapticsApi();
        EXPECT_FALSE(SynapticsAvailable);
        EXPECT_FALSE(ProbeInSearch());
        ReleaseSynapticsApi();
    }
}

}  // namespace
