// The About window and the links of the real Quorlin.exe: reached from the settings window's
// system menu and the tray menu, one at a time, and the addresses the links hand to the browser
// (a recording program registered as the browser).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"
#include "ui/model/Website.h"
#include "version.h"

using namespace testsupport;
namespace website = quorlin::website;

namespace {

std::string Narrow(std::wstring_view w) { return std::string(w.begin(), w.end()); }
const std::string kSiteWithVersion = "http://" QUORLIN_WEBSITE_HOST "/?version=" QUORLIN_VERSION_TEXT "&ping=On";

class AboutEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        record_ = TempFile(L"urls");
        ASSERT_TRUE(SetEnvironmentVariableW(L"QUORLIN_URL_RECORD", record_.c_str()));
        const std::wstring recorder = L"\"" + ExeDir() + L"\\urlrecorder.exe\" \"%1\"";
        ASSERT_TRUE(RegisterUrlHandler(HKEY_LOCAL_MACHINE, L"http", recorder));
        ASSERT_TRUE(RegisterUrlHandler(HKEY_LOCAL_MACHINE, L"https", recorder));
    }
    void TearDown() override {
        if (VisibleMenu()) TypeKey(VK_ESCAPE);
        app_.Stop();
    }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    std::vector<HWND> AboutWindows() const { return TopLevelWindows(app_.Pid(), L"TfrmAbout"); }
    // Opens the settings window's system menu from the keyboard and chooses its first entry.
    void ChooseFirstSystemMenuEntry() {
        SetForegroundWindow(app_.Window());
        PumpUntil([&] { return GetForegroundWindow() == app_.Window(); }, 1000);
        WaitAfterKeys(650);
        SendKey(VK_MENU, false);
        SendKey(VK_SPACE, false);
        SendKey(VK_SPACE, true);
        SendKey(VK_MENU, true);
        ASSERT_TRUE(PumpUntil([] { return VisibleMenu() != nullptr; }, 3000)) << "no system menu";
        // Opened from the keyboard, the menu comes with its first entry highlighted.
        PumpFor(300);
        TypeKeyNoted(VK_RETURN);
    }
    void ClickAt(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        WaitAfterKeys(650);
        Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        MoveTo(900, 600);  // away, so that a second click is not a double click
    }
    std::string Recorded() const { return ReadFileText(record_); }

    QuorlinProcess app_;
    std::wstring record_;
};

TEST_F(AboutEndToEnd, SystemMenuOpensOneAboutWindowWhoseIconOpensTheWebsite) {
    StartApp();
    ChooseFirstSystemMenuEntry();
    ASSERT_TRUE(PumpUntil([&] { return AboutWindows().size() == 1; }, 3000)) << "About did not open";
    HWND about = AboutWindows().front();
    EXPECT_EQ(TextOf(about), L"About");
    EXPECT_TRUE(FindChild(about, L"Static", L"Quorlin"));
    const std::string version = "Version " QUORLIN_VERSION_TEXT;
    EXPECT_TRUE(FindChild(about, L"Static", std::wstring(version.begin(), version.end())));
    EXPECT_FALSE(IsWindowEnabled(app_.Window())) << "the settings window waits while About is open";

    // The icon opens the website with the version.
    HWND icon = nullptr;
    for (HWND c = GetWindow(about, GW_CHILD); c && !icon; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = c;
    ASSERT_TRUE(icon);
    ClickAt(icon);
    EXPECT_TRUE(PumpUntil([&] { return Recorded() == kSiteWithVersion + "\n"; }, 15000)) << Recorded();

    // OK closes it; the settings window takes input again.
    SetForegroundWindow(about);
    PumpUntil([&] { return GetForegroundWindow() == about; }, 1000);
    TypeKeyNoted(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return AboutWindows().empty(); }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(app_.Window()) != FALSE; }, 2000));
}

TEST_F(AboutEndToEnd, WhileAboutIsOpenTheTrayMenuOffersNeitherAboutNorSettings) {
    StartApp();
    SetForegroundWindow(app_.Window());
    TypeKeyNoted(VK_ESCAPE);  // hides the settings window
    ASSERT_TRUE(PumpUntil([&] { return !app_.Visible(); }, 3000));
    // Tray menu without a touchpad: Block accidental clicks, Settings, About, -, Close.
    ASSERT_TRUE(app_.OpenTrayMenu());
    for (WORD k : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) TypeKeyNoted(k);
    ASSERT_TRUE(PumpUntil([&] { return AboutWindows().size() == 1; }, 3000));

    // Both items are disabled now: choosing them opens nothing.
    for (int step : {2, 3}) {
        ASSERT_TRUE(app_.OpenTrayMenu());
        for (int i = 0; i < step; ++i) TypeKeyNoted(VK_DOWN);
        TypeKeyNoted(VK_RETURN);
        PumpFor(800);
        if (VisibleMenu()) TypeKeyNoted(VK_ESCAPE);
    }
    EXPECT_EQ(AboutWindows().size(), 1u);
    EXPECT_FALSE(app_.Visible()) << "Settings opened while About was open";
}

TEST_F(AboutEndToEnd, EachLinkOfTheSettingsWindowOpensItsAddress) {
    StartApp();
    // The visible link pictures, left to right, then the website label.
    std::vector<HWND> links;
    for (HWND c = GetWindow(app_.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            RECT r{};
            GetWindowRect(c, &r);
            if (r.bottom - r.top == 16) links.push_back(c);  // the 16-pixel link pictures
        }
    ASSERT_EQ(links.size(), 4u);
    std::wstring caption(website::kHost);
    CharUpperW(caption.data());
    links.push_back(FindChild(app_.Window(), L"Static", caption));
    ASSERT_TRUE(links.back());
    std::string expected;
    const std::string addresses[] = {Narrow(website::kFacebookPage), Narrow(website::kGplusPage),
                                     Narrow(website::kTwitterPage), Narrow(website::kFeed), kSiteWithVersion};
    for (std::size_t i = 0; i < links.size(); ++i) {
        ClickAt(links[i]);
        expected += addresses[i] + "\n";
        EXPECT_TRUE(PumpUntil([&] { return Recorded() == expected; }, 15000)) << i << ": " << Recorded();
    }
}

}  // namespace
