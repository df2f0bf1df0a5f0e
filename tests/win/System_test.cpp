// Version, resource texts and system-folder loading, read from this test executable's own resources.
#include <gtest/gtest.h>

#include "base/Unique_win.h"
#include "base/resource.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "version.h"

using namespace quorlin;

TEST(System, FileVersionComesFromTheVersionResource) {
    const std::wstring expected = std::to_wstring(QUORLIN_VERSION_MAJOR) + L"." + std::to_wstring(QUORLIN_VERSION_MINOR) +
                                  L"." + std::to_wstring(QUORLIN_VERSION_PATCH) + L"." +
                                  std::to_wstring(QUORLIN_VERSION_BUILD);
    EXPECT_EQ(FileVersionString(), expected);
}

TEST(System, ResourceTextsKeepNonAsciiCharactersAndQuotes) {
    EXPECT_EQ(LoadResString(IDS_INTERNET), L"&Online features (Updates, Kelvane\u2122, etc.)");
    EXPECT_EQ(LoadResString(IDS_USE_FORMAT), L"use \"%s\" to switch");
    EXPECT_EQ(LoadResString(IDS_MI_SETUP), L"Settings\tAlt+Click");
    EXPECT_EQ(LoadResString(IDS_CLICKS_BLOCKED), L"Clicks blocked: %d");
    EXPECT_EQ(LoadResString(59999), L"");  // missing id: empty, no crash
}

TEST(System, SystemLibrariesComeFromTheSystemFolder) {
    UniqueModule m(LoadSystemLibrary(L"version.dll"));
    ASSERT_TRUE(m);
    wchar_t path[MAX_PATH] = {}, sys[MAX_PATH] = {};
    GetModuleFileNameW(m.get(), path, MAX_PATH);
    GetSystemDirectoryW(sys, MAX_PATH);
    EXPECT_EQ(_wcsnicmp(path, sys, wcslen(sys)), 0) << path;
    EXPECT_NE(GetProc<FARPROC>(m.get(), "VerQueryValueA"), nullptr);
    EXPECT_FALSE(LoadSystemLibrary(L"no-such-library-here.dll"));
}
