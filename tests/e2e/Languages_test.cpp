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

BOOL CALLBACK CollectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(list)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The English texts a translation must not show: whole texts, and the parts of several words
// around a format's placeholders. The product name, key names and single words the language has as
// English has them ("OK", "Touchpad") are allowed.
std::vector<std::wstring> EnglishTexts() {
    if (kLanguage == quorlin::kEnglishLangId) return {};
    std::vector<UINT> blocks;
    EnumResourceNamesW(GetModuleHandleW(nullptr), RT_STRING, CollectBlock, reinterpret_cast<LONG_PTR>(&blocks));
    std::vector<std::wstring> texts;
    for (UINT block : blocks)
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            if (id == IDS_TITLE || id == IDS_PING || id >= IDS_KEY_ALT_PREFIX) continue;  // name, panel, keys
            const std::wstring english = English(id);
            // A single word the language has too ("OK", "Version") is allowed; several are untranslated.
            if (english.empty() || (english == Local(id) && english.find(L' ') == std::wstring::npos)) continue;
            const std::wstring whole = WithoutAmpersands(english);
            if (whole.find(L'%') == std::wstring::npos) {
                texts.push_back(whole);
                continue;
            }
            std::wstring rest = whole + L"%s";
            for (std::size_t at; (at = rest.find(L'%')) != std::wstring::npos; rest.erase(0, at + 2)) {
                std::wstring part = rest.substr(0, at);
                part.erase(0, part.find_first_not_of(L" \""));
                part.erase(part.find_last_not_of(L" \"") + 1);
                if (part.find(L' ') != std::wstring::npos) texts.push_back(part);
            }
        }
    return texts;
}

void ExpectNoEnglish(const std::wstring& shown) {
    static const std::vector<std::wstring> english = EnglishTexts();
    const std::wstring text = WithoutAmpersands(shown);
    for (const std::wstring& e : english) {
        const bool severalWords = e.find(L' ') != std::wstring::npos;
        EXPECT_FALSE(severalWords ? text.find(e) != std::wstring::npos : text == e)
            << quorlin::ToUtf8(e) << " in " << quorlin::ToUtf8(shown);
    }
}

std::vector<std::wstring> VisibleTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        if (std::wstring t = TextOf(c); !t.empty()) texts.push_back(t);
        for (std::wstring& t : VisibleTexts(c)) texts.push_back(std::move(t));
    }
    return texts;
}

void PressChord(std::initializer_list<WORD> keys) {
    WaitAfterKeys(650);
    for (WORD k : keys) SendKey(k, false);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) SendKey(*it, true);
    TypeKeyNoted(VK_SHIFT);
}

class LanguageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        WriteText(L"BlockerShortcut", L"Ctrl+F9");
    }
    void TearDown() override { app_.Stop(); }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    std::wstring ShownCtrlF9() const { return Local(IDS_KEY_CTRL_PREFIX) + L"F9"; }
    QuorlinProcess app_;
};

}  // namespace

TEST_F(LanguageEndToEnd, WindowTipQuestionAndReportInTheLanguage) {
    LoopbackHttpServer proxy;
    ASSERT_TRUE(SetEnvironmentVariableW(L"http_proxy", (L"http://127.0.0.1:" + std::to_wstring(proxy.Port())).c_str()));
    StartApp();

    const std::vector<std::wstring> texts = VisibleTexts(app_.Window());
    for (UINT id : {IDS_INFO, IDS_AUTORUN, IDS_BALLOONS, IDS_GRP_BLOCKER, IDS_INTERVAL, IDS_BLOCK_EVENTS, IDS_BEEP,
                    IDS_GRP_SHORTCUTS, IDS_SHT_BLOCKER, IDS_SHT_TOUCHPAD, IDS_SHT_TOUCHPAD_NOTE, IDS_INTERNET})
        EXPECT_NE(std::find(texts.begin(), texts.end(), Local(id)), texts.end()) << quorlin::ToUtf8(Local(id));
    EXPECT_NE(std::find(texts.begin(), texts.end(), ShownCtrlF9()), texts.end()) << "the shortcut in the language";
    for (const std::wstring& t : texts) ExpectNoEnglish(t);

    const std::wstring tip = app_.TrayTip();
    EXPECT_NE(tip.find(Local(IDS_MI_BLOCKER) + L": " + ShownCtrlF9()), std::wstring::npos) << quorlin::ToUtf8(tip);
    ExpectNoEnglish(tip);

    // The report query: the start report that a second start's tick sends, the same bytes as in English.
    QuorlinProcess second;
    second.Launch();
    ASSERT_NE(second.WaitExit(10000), STILL_ACTIVE);
    ASSERT_TRUE(PumpUntil([&] { return !proxy.RequestLines().empty(); }, 8000)) << "no report arrived";
    std::string request = proxy.RequestLines().front();
    request.erase(request.find("&date="));
    if (const auto port = request.find(":80/"); port != std::string::npos) request.erase(port, 3);  // Wine adds it
    EXPECT_EQ(request, "GET http://" QUORLIN_WEBSITE_HOST "/ping/start/?version=" QUORLIN_VERSION_TEXT
                       "&auto=On&tips=On&block=On&delay=500&also=On&beep=On&count=0&sht1=Ctrl+F9");

    // Close in the tray menu: the question and its buttons in the language; No leaves it running.
    ASSERT_TRUE(app_.OpenTrayMenu());
    TypeKeyNoted(VK_UP);
    TypeKeyNoted(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !TopLevelWindows(app_.Pid(), L"TMessageForm").empty(); }, 3000));
    const HWND question = TopLevelWindows(app_.Pid(), L"TMessageForm").front();
    const std::vector<std::wstring> asked = VisibleTexts(question);
    EXPECT_NE(std::find(asked.begin(), asked.end(), Local(IDS_CLOSE_QUESTION1) + L"\"Quorlin\"" + Local(IDS_CLOSE_QUESTION2)),
              asked.end());
    for (const std::wstring& t : asked) ExpectNoEnglish(t);
    const HWND no = FindChild(question, L"Button", Local(IDS_MSG_NO));
    ASSERT_TRUE(no);
    SafeClickWindow(no);
    EXPECT_TRUE(PumpUntil([&] { return TopLevelWindows(app_.Pid(), L"TMessageForm").empty(); }, 3000));
    EXPECT_TRUE(app_.Running());
}

TEST_F(LanguageEndToEnd, UnderGermanStoredShortcutWorksStaysAndOthersAreStoredInEnglish) {
    if (kLanguage != 0x0407) GTEST_SKIP() << "German only";
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return !app_.HotkeyFree(MOD_CONTROL, VK_F9); }, 5000)) << "Ctrl+F9 never taken";
    const HWND blocker = FindCheckBox(app_.Window(), Local(IDS_GRP_BLOCKER));
    ASSERT_TRUE(blocker);
    PressChord({VK_CONTROL, VK_F9});
    EXPECT_TRUE(PumpUntil([&] { return !IsChecked(blocker); }, 3000)) << "the hotkey did not switch";
    app_.Stop();
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Ctrl+F9");

    WriteText(L"TouchpadShortcut", L"strg+alt+F8");  // typed by hand in German
    StartApp();
    const HWND edit = FindChild(app_.Window(), L"Edit", ShownCtrlF9());
    ASSERT_TRUE(edit);
    SafeClickWindow(edit);
    WaitAfterKeys(300);
    SendKey(VK_CONTROL, false);
    SendKey(VK_SHIFT, false);
    SendKey(VK_F5, false);
    SendKey(VK_F5, true);
    PumpFor(300);  // the modifiers go after the key, as a hand does
    SendKey(VK_SHIFT, true);
    SendKey(VK_CONTROL, true);
    const std::wstring shown = Local(IDS_KEY_SHIFT_PREFIX) + Local(IDS_KEY_CTRL_PREFIX) + L"F5";
    EXPECT_TRUE(PumpUntil([&] { return TextOf(edit) == shown; }, 2000)) << quorlin::ToUtf8(TextOf(edit));
    app_.Stop();
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Shift+Ctrl+F5");
    EXPECT_EQ(ReadText(L"TouchpadShortcut"), L"Ctrl+Alt+F8");
}
