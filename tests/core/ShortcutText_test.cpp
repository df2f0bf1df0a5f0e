#include "shortcuts/ShortcutText.h"
#include "shortcuts/Hotkeys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>

using namespace quorlin;

namespace {

// A keyboard layout of our own: a few named keys, comparison ignoring ASCII case.
class FakeKeyText : public KeyTextSystem {
public:
    std::map<std::uint8_t, std::string> names{
        {0x10, "Shift"}, {0x11, "Ctrl"},  {0x12, "Alt"},   {0x14, "Caps Lock"},
        {0x6A, "Num *"}, {0x90, "Num Lock"}, {0xBA, ";"}, {0xDE, "'"},
    };
    mutable int nameRequests = 0;

    std::string SystemKeyName(std::uint8_t key) const override {
        ++nameRequests;
        auto it = names.find(key);
        return it == names.end() ? std::string() : it->second;
    }
    bool SameTextIgnoreCase(std::string_view a, std::string_view b) const override {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }
};

class ShortcutText : public ::testing::Test {
protected:
    FakeKeyText system;
    KeyCaptionTable captions;

    std::string Format(TShortCut v) const { return FormatShortCut(v, captions, system); }
    TShortCut Parse(std::string_view t) const { return ParseShortCut(t, captions, system); }
};

}  // namespace

TEST_F(ShortcutText, StoredDefaultsRoundTrip) {
    EXPECT_EQ(Parse("Ctrl+F9"), 0x4078);
    EXPECT_EQ(Parse("Ctrl+Alt+F9"), 0xC078);
    EXPECT_EQ(Format(0x4078), "Ctrl+F9");
    EXPECT_EQ(Format(0xC078), "Ctrl+Alt+F9");
    EXPECT_EQ(Format(0x8070), "Alt+F1");  // the About item's fixed value
    EXPECT_EQ(Parse("Alt+F1"), 0x8070);
}

TEST_F(ShortcutText, PrefixesInAnyCaseOrderAndRepetition) {
    for (const char* text : {"ctrl+alt+f9", "Alt+Ctrl+F9", "^Alt+F9", "Ctrl+Ctrl+Alt+F9", "ALT+^ctrl+alt+F9",
                             "alt+^^F9"}) {
        EXPECT_EQ(Parse(text), 0xC078) << text;
    }
    EXPECT_EQ(Format(0xC078), "Ctrl+Alt+F9");
    EXPECT_EQ(Parse("Shift+Ctrl+Alt+A"), 0xE041);
    EXPECT_EQ(Parse("alt+ctrl+shift+a"), 0xE041);
    EXPECT_EQ(Format(0xE041), "Shift+Ctrl+Alt+A");
    EXPECT_EQ(Format(0xE078), "Shift+Ctrl+Alt+F9");
    EXPECT_EQ(Format(0x2041), "Shift+A");
    EXPECT_EQ(Format(0x0078), "F9");
}

TEST_F(ShortcutText, TextsThatNameNoShortcutGiveZero) {
    for (const char* text : {"", "Ctrl+", "Ctrl+Alt+", "^", "Ctrl + F9", "Ctrl+ F9", "Ctrl +F9", " Ctrl+F9", "Ctrl+F9 ",
                             "F25", "F0", "F09", "Ctrl+Banana", "Ctrl+F9+", "Ctrl-F9", "Num  Lock", "Ctrl+Alt+F9x"}) {
        EXPECT_EQ(Parse(text), 0) << '"' << text << '"';
    }
}

TEST_F(ShortcutText, KeyNamesByCode) {
    EXPECT_EQ(Format(0x08), "BkSp");
    EXPECT_EQ(Format(0x09), "Tab");
    EXPECT_EQ(Format(0x0D), "Enter");
    EXPECT_EQ(Format(0x1B), "Esc");
    const char* navigation[] = {"Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Format(static_cast<TShortCut>(0x20 + i)), navigation[i]);
    EXPECT_EQ(Format(0x2D), "Ins");
    EXPECT_EQ(Format(0x2E), "Del");
    EXPECT_EQ(Format(0x30), "0");
    EXPECT_EQ(Format(0x39), "9");
    EXPECT_EQ(Format(0x41), "A");
    EXPECT_EQ(Format(0x5A), "Z");
    EXPECT_EQ(Format(0x60), "0");
    EXPECT_EQ(Format(0x69), "9");
    EXPECT_EQ(Format(0x70), "F1");
    EXPECT_EQ(Format(0x79), "F10");
    EXPECT_EQ(Format(0x87), "F24");
    // Everything else is the system's name.
    EXPECT_EQ(Format(0x11), "Ctrl");
    EXPECT_EQ(Format(0x6A), "Num *");
    EXPECT_EQ(Format(0xBA), ";");
    EXPECT_EQ(Format(0x88), "");  // one past F24, unnamed by this layout
}

TEST_F(ShortcutText, CaptionedAndComputedNamesDoNotAskTheSystem) {
    for (unsigned code : {0x08u, 0x09u, 0x0Du, 0x1Bu, 0x20u, 0x28u, 0x2Du, 0x2Eu, 0x35u, 0x4Bu, 0x65u, 0x78u, 0x87u})
        Format(static_cast<TShortCut>(code | scCtrl));
    EXPECT_EQ(system.nameRequests, 0);
    Format(0x88);
    EXPECT_EQ(system.nameRequests, 1);
}

TEST_F(ShortcutText, EveryNamedKeyRoundTripsWithEveryModifierSet) {
    for (unsigned key = 0x08; key <= 0xFF; ++key) {
        const bool numpadDigit = key >= 0x60 && key <= 0x69;
        for (unsigned mods : {0u, 0x2000u, 0x4000u, 0x8000u, 0x6000u, 0xA000u, 0xC000u, 0xE000u}) {
            const auto value = static_cast<TShortCut>(key | mods);
            const std::string text = Format(value);
            if (text.empty()) continue;
            // The keypad's digits read like the main keyboard's, so they come back as those.
            const auto expected = static_cast<TShortCut>((numpadDigit ? key - 0x30 : key) | mods);
            EXPECT_EQ(Parse(text), expected) << text;
        }
    }
}

TEST_F(ShortcutText, NumpadFiveReadsAsTheDigitKey) {
    EXPECT_EQ(Format(0x65), "5");
    EXPECT_EQ(Parse(Format(0x65)), 0x35);
    EXPECT_EQ(Format(0x4065), "Ctrl+5");
}

TEST_F(ShortcutText, NoKeyNameMeansNoText) {
    EXPECT_EQ(Format(0), "");
    EXPECT_EQ(Format(0x6000), "");
    EXPECT_EQ(Format(0xE000), "");
    EXPECT_EQ(Format(0xC0FF), "");  // a key this layout does not name
    // Bits 8-12 are not part of the text.
    EXPECT_EQ(Format(0x5F78), "Ctrl+F9");
    EXPECT_EQ(Format(0x0141), "A");
}

TEST_F(ShortcutText, KeyNamesFromTheSystem) {
    // Holding Ctrl alone during capture.
    EXPECT_EQ(Format(ComposeShortCut(0x11, 0)), "Ctrl");
    EXPECT_EQ(Parse("Ctrl+Alt"), 0x4012);  // "Alt+" needs more text than there is
    EXPECT_EQ(Parse("Alt+Ctrl"), 0x8011);
    EXPECT_EQ(Parse("Shift+Shift"), 0x2010);
    EXPECT_EQ(Parse("Shift"), 0x10);
    // A system name may contain spaces; they must then be matched exactly.
    EXPECT_EQ(Parse("Shift+num lock"), 0x2090);
    EXPECT_EQ(Format(0x2090), "Shift+Num Lock");
    EXPECT_EQ(Parse("Ctrl+'"), 0x40DE);
}

TEST_F(ShortcutText, ScanPastTheByteOnlyWhenNoLowerCodeHasTheName) {
    // Codes 1 to 7 lie below the scan's start; their names are found again at 0x101 to 0x107.
    system.names[0x05] = "XButton2";
    EXPECT_EQ(Parse("XButton2"), 0x105);
    EXPECT_EQ(Parse("Ctrl+xbutton2"), 0x4105);
    // The same name on a lower code wins.
    system.names[0xE5] = "XButton2";
    EXPECT_EQ(Parse("XButton2"), 0xE5);
    // A name for key 0 is reachable only through 0x100.
    system.names[0x00] = "Zero";
    EXPECT_EQ(Parse("Alt+Zero"), 0x8100);
}

TEST_F(ShortcutText, ComposeKeepsOnlyShiftCtrlAltOfAByteKey) {
    EXPECT_EQ(ComposeShortCut(0x78, ssCtrl | ssAlt), 0xC078);
    EXPECT_EQ(ComposeShortCut(0x178, ssCtrl), 0);
    EXPECT_EQ(ComposeShortCut(0x100, 0), 0);
    EXPECT_EQ(ComposeShortCut(0x41, ssShift | ssLeft | ssDouble), 0x2041);
    EXPECT_EQ(ComposeShortCut(0x41, ssLeft | ssRight | ssMiddle | ssDouble), 0x41);
    EXPECT_EQ(ComposeShortCut(0xFF, ssShift | ssAlt | ssCtrl), 0xE0FF);
    EXPECT_EQ(ComposeShortCut(0, 0), 0);
}

TEST_F(ShortcutText, SplitKeepsThirteenKeyBits) {
    EXPECT_EQ(SplitShortCut(0xC078), (ShortCutParts{0x78, ssAlt | ssCtrl}));
    EXPECT_EQ(SplitShortCut(0xC078).shift, 6);
    EXPECT_EQ(SplitShortCut(0x2141), (ShortCutParts{0x141, ssShift}));
    EXPECT_EQ(SplitShortCut(0xFFFF), (ShortCutParts{0x1FFF, ssShift | ssCtrl | ssAlt}));
    EXPECT_EQ(SplitShortCut(0), (ShortCutParts{0, 0}));
    // Split undoes Compose for every byte key and modifier set.
    for (unsigned key = 0; key <= 0xFF; ++key)
        for (TShiftState s = 0; s < 8; ++s)
            ASSERT_EQ(SplitShortCut(ComposeShortCut(static_cast<std::uint16_t>(key), s)),
                      (ShortCutParts{static_cast<std::uint16_t>(key), s}));
}

TEST_F(ShortcutText, StripPrefixRemovesOnlyAMatchingFront) {
    std::string text = "cTRL+F9";
    EXPECT_TRUE(StripPrefix(text, "Ctrl+", system));
    EXPECT_EQ(text, "F9");
    EXPECT_FALSE(StripPrefix(text, "Ctrl+", system));  // shorter than the prefix
    EXPECT_EQ(text, "F9");
    text = "Alt+F9";
    EXPECT_FALSE(StripPrefix(text, "Ctrl+", system));
    EXPECT_EQ(text, "Alt+F9");
    text = "Ctrl+";
    EXPECT_TRUE(StripPrefix(text, "Ctrl+", system));
    EXPECT_EQ(text, "");
    text = "F9";
    EXPECT_FALSE(StripPrefix(text, "", system));
    EXPECT_EQ(text, "F9");
}

TEST_F(ShortcutText, TranslatedCaptionsChangeBothDirections) {
    captions.CtrlPrefix = "Strg+";
    captions.ShiftPrefix = "Umschalt+";
    captions.Del = "Entf";
    captions.Ins = "Einfg";
    captions.Space = "Leertaste";
    EXPECT_EQ(Format(0x402E), "Strg+Entf");
    EXPECT_EQ(Format(0xE020), "Umschalt+Strg+Alt+Leertaste");
    EXPECT_EQ(Parse("strg+entf"), 0x402E);
    EXPECT_EQ(Parse("Umschalt+Einfg"), 0x202D);
    EXPECT_EQ(Parse("^Entf"), 0x402E);  // the caret is not translated
    EXPECT_EQ(Parse("Ctrl+Del"), 0);
    EXPECT_EQ(Parse("Del"), 0);
    EXPECT_EQ(Parse("Strg+F9"), 0x4078);
}

TEST_F(ShortcutText, EmptyCaptionsNeitherHangNorMatch) {
    captions.CtrlPrefix = "";
    captions.Del = "";
    EXPECT_EQ(Parse("F9"), 0x78);
    EXPECT_EQ(Parse("Ctrl+F9"), 0);
    EXPECT_EQ(Format(0x4078), "F9");
    EXPECT_EQ(Format(0x402E), "");
}

// Every language of the resource script (its key captions read from its file; "" English): shown in
// its names, stored in English, read in both; a name two languages share names one key, and no name
// is English's for another key.
TEST_F(ShortcutText, EveryLanguageShowsItsNamesAndStoresEnglish) {
    const KeyCaptionTable english;
    std::map<std::string, unsigned> keyOf;  // a key's name in any language -> the key
    for (const std::string language : {"", ".de", ".fr", ".es", ".it", ".pt-BR", ".pl", ".ja", ".zh-CN"}) {
        std::ifstream file(QUORLIN_RES_DIR "/strings" + language + ".rc");
        const std::string rc((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::vector<std::string> names;  // in the order the file has them, which is the table's
        const std::regex caption("IDS_KEY_\\w+\\s+\"([^\"]*)\"");
        for (std::sregex_iterator it(rc.begin(), rc.end(), caption), end; it != end; ++it) names.push_back((*it)[1]);
        ASSERT_EQ(names.size(), 18u) << language;
        captions = {names[17], names[1], names[2], names[3], names[4], names[5], names[6], names[7], names[8],
                    names[9], names[10], names[11], names[12], names[13], names[14], names[15], names[16], names[0]};
        EXPECT_TRUE(!language.empty() || captions == english);
        for (unsigned key : {0x08u, 0x09u, 0x0Du, 0x1Bu, 0x20u, 0x21u, 0x22u, 0x23u, 0x24u, 0x25u, 0x26u, 0x27u, 0x28u, 0x2Du, 0x2Eu}) {
            const auto value = static_cast<TShortCut>(key | scCtrl | scShift | scAlt);
            const std::string shown = Format(value), stored = FormatShortCut(value, english, system);
            EXPECT_EQ(ReadShortCut(shown, captions, system), value) << language << ' ' << shown;
            EXPECT_EQ(ShownShortCutText(stored, captions, system), shown) << language;
            EXPECT_EQ(StoredShortCutText(shown, captions, system), stored) << language;
            EXPECT_EQ(StoredShortCutText(stored, captions, system), stored) << language;
            EXPECT_EQ(keyOf.try_emplace(Format(static_cast<TShortCut>(key)), key).first->second, key) << language;
            const TShortCut asEnglish = ParseShortCut(Format(static_cast<TShortCut>(key)), english, system);
            EXPECT_TRUE(asEnglish == 0 || asEnglish == key) << language;
        }
    }
    EXPECT_EQ(keyOf.at("Fin"), 0x23u);  // End in French and Spanish
    EXPECT_EQ(ReadShortCut("strg+ENTF", captions, system), 0);  // German typed under Chinese
}

TEST(Hotkeys, ShortcutValueGivesKeyAndSystemModifiers) {
    EXPECT_EQ(HotkeyFromShortCut(0x4078), (HotkeyParts{0x78, kModControl}));               // Ctrl+F9
    EXPECT_EQ(HotkeyFromShortCut(0xC078), (HotkeyParts{0x78, kModControl | kModAlt}));     // Ctrl+Alt+F9
    EXPECT_EQ(HotkeyFromShortCut(0x2041), (HotkeyParts{0x41, kModShift}));                 // Shift+A
    EXPECT_EQ(HotkeyFromShortCut(0xE074), (HotkeyParts{0x74, kModShift | kModControl | kModAlt}));
    EXPECT_EQ(HotkeyFromShortCut(0x0074), (HotkeyParts{0x74, 0}));  // a key alone is a shortcut too
    EXPECT_EQ(HotkeyFromShortCut(0), (HotkeyParts{}));
}
