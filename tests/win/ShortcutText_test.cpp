// Shortcut texts with the real keyboard layout, CompareStringA and string tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "shortcuts/ShortcutText_win.h"
#include "base/Language.h"
#include "base/resource.h"

using namespace quorlin;

namespace {

// One block of a string table: the 16 ids (block - 1) * 16 to (block - 1) * 16 + 15, each a length
// and that many UTF-16 units; an empty text is a missing string.
std::vector<WORD> StringBlock(const std::vector<std::wstring>& texts) {
    std::vector<WORD> data;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::wstring text = i < texts.size() ? texts[i] : std::wstring();
        data.push_back(static_cast<WORD>(text.size()));
        data.insert(data.end(), text.begin(), text.end());
    }
    return data;
}

constexpr WORD BlockOf(UINT id) { return static_cast<WORD>(id / 16 + 1); }

// A copy of this test executable whose key captions are rewritten, loaded as data.
class TranslatedModule {
public:
    TranslatedModule() {
        path_ = testsupport::TempFile(L"captions") + L".dll";
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        EXPECT_TRUE(CopyFileW(self, path_.c_str(), FALSE));

        HANDLE update = BeginUpdateResourceW(path_.c_str(), FALSE);
        EXPECT_NE(update, nullptr);
        const WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
        // 65312-65327: only the Alt prefix lives here; leave it out so its default must stay.
        UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(BlockOf(IDS_KEY_ALT_PREFIX)), lang, nullptr, 0);
        // 65328-65343: Tab .. Ctrl prefix, translated, with Ins missing.
        auto middle = StringBlock({L"Tabulator", L"Escape", L"Eingabe", L"Leertaste", L"Bild auf", L"Bild ab",
                                   L"Ende", L"Pos1", L"Links", L"Oben", L"Rechts", L"Unten", L"", L"L\u00F6sch",
                                   L"Umschalt+", L"Strg+"});
        EXPECT_TRUE(UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(BlockOf(IDS_KEY_TAB)), lang, middle.data(),
                                    static_cast<DWORD>(middle.size() * sizeof(WORD))));
        // 65344-65359: BkSp is the last entry; translate it.
        std::vector<std::wstring> last(16);
        last[15] = L"R\u00FCck";
        auto tail = StringBlock(last);
        EXPECT_TRUE(UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(BlockOf(IDS_KEY_BKSP)), lang, tail.data(),
                                    static_cast<DWORD>(tail.size() * sizeof(WORD))));
        EXPECT_TRUE(EndUpdateResourceW(update, FALSE));

        module_.reset(LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        EXPECT_TRUE(module_);
    }
    ~TranslatedModule() {
        module_.reset();
        DeleteFileW(path_.c_str());
    }
    HINSTANCE get() const { return module_.get(); }

private:
    std::wstring path_;
    UniqueModule module_;
};

}  // namespace

TEST(ShortcutTextWin, SystemNamesTheModifierKeys) {
    const Win32KeyText system;
    const std::string ctrl = system.SystemKeyName(0x11);
    const std::string alt = system.SystemKeyName(0x12);
    const std::string shift = system.SystemKeyName(0x10);
    // The names come from the layout ("Ctrl" on Windows, "Control" here), so only their
    // presence and distinctness are fixed.
    EXPECT_FALSE(ctrl.empty());
    EXPECT_FALSE(alt.empty());
    EXPECT_FALSE(shift.empty());
    EXPECT_NE(ctrl, alt);
    EXPECT_NE(ctrl, shift);
    // Holding Ctrl alone during capture shows the system's name of the key.
    EXPECT_EQ(FormatShortCut(ComposeShortCut(0x11, 0)), ctrl);
    EXPECT_EQ(ParseShortCut("Ctrl+" + alt), 0x4012);
    // Keys without a scan code have no name.
    EXPECT_EQ(system.SystemKeyName(0x00), "");
    EXPECT_EQ(system.SystemKeyName(0x07), "");
    EXPECT_EQ(FormatShortCut(0xC007), "");
}

TEST(ShortcutTextWin, DefaultsThroughTheProcessTable) {
    LoadKeyCaptionTable();
    // This program's own string table holds the default texts.
    EXPECT_EQ(KeyCaptions(), ReadKeyCaptionTable(GetModuleHandleW(nullptr), kEnglishLangId));
    EXPECT_EQ(KeyCaptions(), KeyCaptionTable{});
    EXPECT_EQ(ParseShortCut("Ctrl+F9"), 0x4078);
    EXPECT_EQ(ParseShortCut("Ctrl+Alt+F9"), 0xC078);
    EXPECT_EQ(FormatShortCut(0x4078), "Ctrl+F9");
    EXPECT_EQ(FormatShortCut(0xC078), "Ctrl+Alt+F9");
    EXPECT_EQ(ParseShortCut("alt+^F9"), 0xC078);
    EXPECT_EQ(ParseShortCut("SHIFT+ctrl+alt+a"), 0xE041);
    EXPECT_EQ(FormatShortCut(0xE041), "Shift+Ctrl+Alt+A");
    EXPECT_EQ(FormatShortCut(0x65), "5");
    EXPECT_EQ(ParseShortCut("5"), 0x35);
    for (const char* text : {"", "Ctrl+", "Ctrl + F9", "Ctrl+ F9", " F9", "F9 ", "F25", "Ctrl+Banana"})
        EXPECT_EQ(ParseShortCut(text), 0) << '"' << text << '"';
}

TEST(ShortcutTextWin, LoadingTwiceKeepsTheFirstTable) {
    LoadKeyCaptionTable();
    const KeyCaptionTable* first = &KeyCaptions();
    LoadKeyCaptionTable();
    EXPECT_EQ(&KeyCaptions(), first);
    EXPECT_EQ(KeyCaptions().CtrlPrefix, "Ctrl+");
}

TEST(ShortcutTextWin, TranslatedStringTableChangesWhatIsShownAndAccepted) {
    TranslatedModule translated;
    ASSERT_NE(translated.get(), nullptr);
    const KeyCaptionTable captions = ReadKeyCaptionTable(translated.get(), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    EXPECT_EQ(captions.CtrlPrefix, "Strg+");
    EXPECT_EQ(captions.ShiftPrefix, "Umschalt+");
    EXPECT_EQ(captions.PgUp, "Bild auf");
    EXPECT_EQ(captions.AltPrefix, "Alt+");  // missing: default kept
    EXPECT_EQ(captions.Ins, "Ins");         // empty: default kept

    const Win32KeyText system;
    EXPECT_EQ(FormatShortCut(0x4078, captions, system), "Strg+F9");
    EXPECT_EQ(FormatShortCut(0xE021, captions, system), "Umschalt+Strg+Alt+Bild auf");
    EXPECT_EQ(ParseShortCut("strg+alt+bild AUF", captions, system), 0xC021);
    EXPECT_EQ(ParseShortCut("Ctrl+F9", captions, system), 0);
    EXPECT_EQ(ParseShortCut("PgUp", captions, system), 0);
    EXPECT_EQ(ParseShortCut("^Ende", captions, system), 0x4023);
    EXPECT_EQ(ParseShortCut("Alt+Ins", captions, system), 0x802D);

    // Non-ASCII captions arrive in the ANSI code page and compare apart from case there.
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP();
    EXPECT_EQ(captions.Del, "L\xF6sch");
    EXPECT_EQ(captions.BkSp, "R\xFC" "ck");
    EXPECT_EQ(FormatShortCut(0x402E, captions, system), "Strg+L\xF6sch");
    EXPECT_EQ(ParseShortCut("STRG+L\xD6SCH", captions, system), 0x402E);
    EXPECT_EQ(ParseShortCut("r\xDC" "CK", captions, system), 0x08);
}

TEST(ShortcutTextWin, EveryNamedKeyReadsBackToTheSameText) {
    LoadKeyCaptionTable();
    int named = 0;
    for (unsigned key = 0x08; key <= 0xFF; ++key) {
        const auto value = static_cast<TShortCut>(key | 0x6000);
        const std::string text = FormatShortCut(value);
        if (text.empty()) continue;
        ++named;
        // Keys that share a name (the keypad's digits and the main keyboard's, keys differing only
        // by the extended bit) read back as the lowest code with that name.
        const TShortCut parsed = ParseShortCut(text);
        EXPECT_EQ(parsed & 0xE000, 0x6000) << text;
        EXPECT_LE(parsed & 0xFF, key) << text;
        EXPECT_EQ(FormatShortCut(parsed), text) << text;
    }
    EXPECT_GT(named, 100);
}

TEST(ShortcutTextWin, TextTheLocaleIgnoresNamesNoKey) {
    // The locale's comparison treats a lone soft hyphen as equal to nothing; no unnamed key code
    // may be taken for it.
    const Win32KeyText system;
    ASSERT_TRUE(system.SameTextIgnoreCase("\xAD", "")) << "premise about this locale's comparison";
    EXPECT_EQ(ParseShortCut("\xAD"), 0);
    EXPECT_EQ(ParseShortCut("Ctrl+\xAD"), 0);
}
