// The real Quorlin.exe in the language Wine gives as Windows' (ctest runs this once per language, with
// LC_ALL set): the settings window, the tray tip and the close question in that language's texts with
// no English text of the program left; the report query as in English; under German, a stored
// "Ctrl+F9" works and stays, and a captured shortcut is stored in English. The expected texts come
// from this test's own copy of the string tables.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LoopbackHttp.h"
#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "base/Language.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "version.h"

using namespace testsupport;
using quorlin::LoadResString;

namespace {

const LANGID kLanguage = quorlin::ChooseTextLanguage(std::nullopt, GetUserDefaultUILanguage());
std::wstring Local(UINT id) { return LoadResString(GetModuleHandleW(nullptr), id, kLanguage); }
std::wstring English(UINT id) { return LoadResString(GetModuleHandleW(nullptr), id, quorlin::kEnglishLangId); }

std::wstring WithoutAmpersands(std::wstring text) {
    std::erase(text, L'&');
    return text;
}

// No English text of the program (formats aside), whole or within: the product name, key names and
// single words the language has as English has them ("OK", "Version") excepted.
void ExpectNoEnglish(const std::wstring& shown) {
    for (UINT id = IDS_OFF; id < IDS_KEY_ALT_PREFIX && kLanguage != quorlin::kEnglishLangId; ++id) {
        const std::wstring e = WithoutAmpersands(English(id)), text = WithoutAmpersands(shown);
        if (e.empty() || id == IDS_TITLE || id == IDS_PING || e.find(L'%') != std::wstring::npos) continue;
        const bool words = e.find(L' ') != std::wstring::npos;
        if (!words && e == WithoutAmpersands(Local(id))) continue;
        EXPECT_FALSE(words ? text.find(e) != std::wstring::npos : text == e) << quorlin::ToUtf8(e) << " in " << quorlin::ToUtf8(shown);
    }
}

std::vector<std::wstring> VisibleTexts(HWND parent, std::vector<std::wstring> texts = {}) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) texts = VisibleTexts(c, (texts.push_back(TextOf(c)), std::move(texts)));
    return texts;
}

bool Shows(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class LanguageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        WriteText(L"BlockerShortcut", L"Ctrl+F9");
    }
    void TearDown() override { app_.Stop(); }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    QuorlinProcess app_;
    const std::wstring shownCtrlF9_ = Local(IDS_KEY_CTRL_PREFIX) + L"F9";
};

}  // namespace

TEST_F(LanguageEndToEnd, WindowTipQuestionAndReportInTheLanguage) {
    LoopbackHttpServer proxy;
    ASSERT_TRUE(SetEnvironmentVariableW(L"http_proxy", (L"http://127.0.0.1:" + std::to_wstring(proxy.Port())).c_str()));
    StartApp();
    const std::vector<std::wstring> texts = VisibleTexts(app_.Window());
    EXPECT_TRUE(Shows(texts, Local(IDS_INFO)) && Shows(texts, Local(IDS_GRP_BLOCKER)) && Shows(texts, shownCtrlF9_));
    const std::wstring tip = app_.TrayTip();
    EXPECT_NE(tip.find(Local(IDS_MI_BLOCKER) + L": " + shownCtrlF9_), std::wstring::npos) << quorlin::ToUtf8(tip);
    for (const std::wstring& t : texts) ExpectNoEnglish(t);
    ExpectNoEnglish(tip);

    // The start report that a second start's tick sends: the same bytes as in English.
    QuorlinProcess second;
    second.Launch();
    ASSERT_NE(second.WaitExit(10000), STILL_ACTIVE);
    ASSERT_TRUE(PumpUntil([&] { return !proxy.RequestLines().empty(); }, 8000)) << "no report arrived";
    std::string request = proxy.RequestLines().front();
    request.erase(request.find("&date="));
    if (const auto port = request.find(":80/"); port != std::string::npos) request.erase(port, 3);  // Wine adds it
    EXPECT_EQ(request, "GET http://" QUORLIN_WEBSITE_HOST "/ping/start/?version=" QUORLIN_VERSION_TEXT
                       "&auto=On&tips=On&block=On&delay=500&also=On&beep=On&count=0&sht1=Ctrl+F9");

    // Close in the tray menu asks in the language; No leaves the program running.
    ASSERT_TRUE(app_.OpenTrayMenu());
    TypeKeyNoted(VK_UP);
    TypeKeyNoted(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !TopLevelWindows(app_.Pid(), L"TMessageForm").empty(); }, 3000));
    const HWND question = TopLevelWindows(app_.Pid(), L"TMessageForm").front();
    const std::vector<std::wstring> asked = VisibleTexts(question);
    EXPECT_TRUE(Shows(asked, Local(IDS_CLOSE_QUESTION1) + L"\"Quorlin\"" + Local(IDS_CLOSE_QUESTION2)));
    for (const std::wstring& t : asked) ExpectNoEnglish(t);
    EXPECT_TRUE(Shows(asked, Local(IDS_MSG_YES)) && Shows(asked, Local(IDS_MSG_NO)));
    TypeKeyNoted(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return TopLevelWindows(app_.Pid(), L"TMessageForm").empty(); }, 3000));
    EXPECT_TRUE(app_.Running());
    app_.Stop();  // while the proxy still serves: no connection of the program outlives it
}

TEST_F(LanguageEndToEnd, UnderGermanStoredShortcutWorksStaysAndOthersAreStoredInEnglish) {
    if (kLanguage != 0x0407) GTEST_SKIP() << "German only";
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return !app_.HotkeyFree(MOD_CONTROL, VK_F9); }, 5000)) << "Ctrl+F9 never taken";
    const HWND blocker = FindCheckBox(app_.Window(), Local(IDS_GRP_BLOCKER));
    WaitAfterKeys(650);
    for (auto [key, up] : {std::pair{VK_CONTROL, false}, {VK_F9, false}, {VK_F9, true}, {VK_CONTROL, true}}) SendKey(key, up);
    EXPECT_TRUE(PumpUntil([&] { return !IsChecked(blocker); }, 3000)) << "the hotkey did not switch";
    app_.Stop();
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Ctrl+F9");

    WriteText(L"TouchpadShortcut", L"strg+alt+F8");  // typed by hand in German
    StartApp();
    const HWND edit = FindChild(app_.Window(), L"Edit", shownCtrlF9_);
    SafeClickWindow(edit);
    WaitAfterKeys(300);
    // Ctrl and Shift held around F5, let go after it as a hand does.
    for (auto [key, up] : {std::pair{VK_CONTROL, false}, {VK_SHIFT, false}, {VK_F5, false}, {VK_F5, true}}) SendKey(key, up);
    PumpFor(300);
    for (WORD key : {VK_SHIFT, VK_CONTROL}) SendKey(key, true);
    const std::wstring shown = Local(IDS_KEY_SHIFT_PREFIX) + Local(IDS_KEY_CTRL_PREFIX) + L"F5";
    EXPECT_TRUE(PumpUntil([&] { return TextOf(edit) == shown; }, 2000)) << quorlin::ToUtf8(TextOf(edit));
    app_.Stop();
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Shift+Ctrl+F5");
    EXPECT_EQ(ReadText(L"TouchpadShortcut"), L"Ctrl+Alt+F8");
}
