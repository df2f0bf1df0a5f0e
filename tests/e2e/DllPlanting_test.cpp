// A copy of the real Quorlin.exe in a folder of its own with DLLs planted beside it under system
// DLLs' names (tests/doubles/PlantedDll.cpp, which leaves "<name>.loaded" when loaded).
//
// Wine takes its own built-in DLLs before any file of the same name, so planting shows only when
// the child is told to prefer files ("native"). Then Wine's own built-in DLLs pull version.dll
// and uxtheme.dll in by name through their imports, before or beside the program's code, so only
// winhttp.dll, which nothing but the program asks for, tells whether the program's own loading
// searches beside the executable.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "LoopbackHttp.h"
#include "QuorlinProcess.h"
#include "TestSupport.h"

using namespace testsupport;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class DllPlanting : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        dir_ = TempFile(L"planted");
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        for (const wchar_t* exe : {L"Quorlin.exe", L"loadlib.exe"})
            ASSERT_TRUE(CopyFileW((ExeDir() + L"\\" + exe).c_str(), (dir_ + L"\\" + exe).c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((ExeDir() + L"\\PlantedDll.dll").c_str(), (dir_ + L"\\winhttp.dll").c_str(), FALSE));
        const std::wstring proxy = L"http://127.0.0.1:" + std::to_wstring(proxy_.Port());
        ASSERT_TRUE(SetEnvironmentVariableW(L"http_proxy", proxy.c_str()));
        // Wine's per-program setting: a DLL file beside the program before the built-in one.
        for (const std::wstring exe : {L"Quorlin.exe", L"loadlib.exe"})
            WriteText(L"winhttp", L"native,builtin", (L"Software\\Wine\\AppDefaults\\" + exe + L"\\DllOverrides").c_str());
    }
    void TearDown() override {
        if (app_.process) {
            app_.Kill();
            app_.Wait(5000);
        }
    }

    LoopbackHttpServer proxy_;
    std::wstring dir_;
    Process app_;
};

}  // namespace

TEST_F(DllPlanting, PlantedWinHttpIsNeverLoadedWhileReportsGoOut) {
    // What the planted file does to a program that loads by bare name.
    const Process naive = Start(dir_ + L"\\loadlib.exe", L"winhttp.dll");
    ASSERT_EQ(naive.Wait(10000), 0u);
    ASSERT_TRUE(Exists(dir_ + L"\\winhttp.dll.loaded")) << "the planted DLL would be taken";
    ASSERT_TRUE(DeleteFileW((dir_ + L"\\winhttp.dll.loaded").c_str()));

    // The program's first report: a second start makes the running instance run its minutes tick.
    app_ = Start(dir_ + L"\\Quorlin.exe");
    ASSERT_TRUE(PumpUntil([&] { return !TopLevelWindows(app_.id, L"TfrmMain").empty(); }, 15000));
    PumpFor(2000);
    QuorlinProcess second;
    second.Launch();
    ASSERT_NE(second.WaitExit(10000), STILL_ACTIVE);
    EXPECT_TRUE(PumpUntil([&] { return !proxy_.Requests().empty(); }, 15000)) << "no report went out";
    EXPECT_EQ(app_.Wait(0), STILL_ACTIVE);
    EXPECT_FALSE(Exists(dir_ + L"\\winhttp.dll.loaded"));
}
