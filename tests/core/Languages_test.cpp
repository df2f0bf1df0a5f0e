// The choice of the text language, and shortcut texts in every language of the resource script:
// the key captions are read from the very string tables the program is built with.
#include "base/Language.h"
#include "shortcuts/ShortcutText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

using namespace quorlin;

TEST(TextLanguage, WindowsLanguageWithRegionalFallbackAndStoredOverride) {
    const std::pair<std::uint16_t, std::uint16_t> byWindows[] = {
        {0x0409, 0x0409}, {0x0809, 0x0409},  // en-US, en-GB
        {0x0407, 0x0407}, {0x0C07, 0x0407}, {0x0807, 0x0407},  // de-DE, de-AT, de-CH
        {0x0C0C, 0x040C}, {0x080C, 0x040C},  // fr-CA, fr-BE
        {0x040A, 0x0C0A}, {0x080A, 0x0C0A},  // es-ES traditional sort, es-MX
        {0x0816, 0x0416}, {0x0410, 0x0410}, {0x0415, 0x0415}, {0x0411, 0x0411},  // pt-PT, it, pl, ja
        {0x0804, 0x0804}, {0x1004, 0x0804},  // zh-CN, zh-SG
        {0x0404, 0x0409}, {0x0C04, 0x0409}, {0x1404, 0x0409},  // zh-TW, zh-HK, zh-MO: traditional characters
        {0x0419, 0x0409}, {0x041F, 0x0409}, {0x0000, 0x0409},  // ru, tr, neutral: no table
    };
    for (auto [windows, table] : byWindows)
        EXPECT_EQ(ChooseTextLanguage(std::nullopt, windows), table) << std::hex << windows;

    const std::pair<const wchar_t*, std::uint16_t> byStored[] = {
        {L"de", 0x0407}, {L"DE-at", 0x0407}, {L"pt_BR", 0x0416}, {L"pt", 0x0416}, {L"en", 0x0409},
        {L"ja-JP", 0x0411}, {L"zh", 0x0804}, {L"zh-Hans-CN", 0x0804}, {L"zh-SG", 0x0804}, {L"fr", 0x040C},
    };
    for (auto [stored, table] : byStored) EXPECT_EQ(ChooseTextLanguage(stored, 0x0411), table) << stored;
    // A stored value that names no table leaves Windows' choice.
    for (const wchar_t* stored : {L"", L"ru", L"zh-TW", L"zh-Hant", L"d", L"german", L"de-", L"-de", L"de de", L"d\u00e9"})
        EXPECT_EQ(ChooseTextLanguage(stored, 0x0C07), 0x0407) << stored;
}

namespace {

// Letters compare apart from ASCII case; other bytes (UTF-8 here) exactly.
class FakeKeyText : public KeyTextSystem {
public:
    std::string SystemKeyName(std::uint8_t key) const override { return key == 0x11 ? "Ctrl" : ""; }
    bool SameTextIgnoreCase(std::string_view a, std::string_view b) const override {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
        return true;
    }
};

struct Caption {
    const char* id;
    std::string KeyCaptionTable::*text;
    TShortCut value;  // the key it names, or the modifier bit of a prefix
};
const Caption kCaptions[] = {
    {"BKSP", &KeyCaptionTable::BkSp, 0x08},   {"TAB", &KeyCaptionTable::Tab, 0x09},
    {"ENTER", &KeyCaptionTable::Enter, 0x0D}, {"ESC", &KeyCaptionTable::Esc, 0x1B},
    {"SPACE", &KeyCaptionTable::Space, 0x20}, {"PGUP", &KeyCaptionTable::PgUp, 0x21},
    {"PGDN", &KeyCaptionTable::PgDn, 0x22},   {"END", &KeyCaptionTable::End, 0x23},
    {"HOME", &KeyCaptionTable::Home, 0x24},   {"LEFT", &KeyCaptionTable::Left, 0x25},
    {"UP", &KeyCaptionTable::Up, 0x26},       {"RIGHT", &KeyCaptionTable::Right, 0x27},
    {"DOWN", &KeyCaptionTable::Down, 0x28},   {"INS", &KeyCaptionTable::Ins, 0x2D},
    {"DEL", &KeyCaptionTable::Del, 0x2E},     {"SHIFT_PREFIX", &KeyCaptionTable::ShiftPrefix, scShift},
    {"CTRL_PREFIX", &KeyCaptionTable::CtrlPrefix, scCtrl}, {"ALT_PREFIX", &KeyCaptionTable::AltPrefix, scAlt},
};
const char* const kLanguages[] = {"", "de", "fr", "es", "it", "pt-BR", "pl", "ja", "zh-CN"};

// The key captions of one string table of the resource script ("" the English one), in UTF-8.
KeyCaptionTable ResourceCaptions(const std::string& language) {
    std::ifstream file(std::string(QUORLIN_RES_DIR) + (language.empty() ? "/strings.rc" : "/strings." + language + ".rc"));
    std::stringstream text;
    text << file.rdbuf();
    std::map<std::string, std::string> found;
    const std::string content = text.str();
    const std::regex line(R"(IDS_KEY_(\w+)\s+"([^"]*)\")");
    for (std::sregex_iterator it(content.begin(), content.end(), line), end; it != end; ++it) found[(*it)[1]] = (*it)[2];
    KeyCaptionTable table;
    for (const Caption& c : kCaptions) {
        EXPECT_TRUE(found.count(c.id)) << language << " lacks " << c.id;
        table.*c.text = found[c.id];
    }
    return table;
}

}  // namespace

class ShortcutsInLanguage : public ::testing::TestWithParam<const char*> {};

TEST_P(ShortcutsInLanguage, ShownInTheLanguageStoredInEnglishReadInBoth) {
    const FakeKeyText system;
    const KeyCaptionTable english;
    const KeyCaptionTable local = ResourceCaptions(GetParam());
    if (*GetParam() == '\0') {
        EXPECT_EQ(local, english);  // the English table is the defaults
    }

    std::vector<TShortCut> values{0x4078, 0xC078, 0xE041, 0x2035};
    for (const Caption& c : kCaptions)
        if (c.value < 0x100) values.push_back(static_cast<TShortCut>(c.value | scCtrl | scShift));
    for (const TShortCut value : values) {
        const std::string shown = FormatShortCut(value, local, system);
        const std::string stored = FormatShortCut(value, english, system);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(ReadShortCut(shown, local, system), value) << shown;
        EXPECT_EQ(ReadShortCut(stored, local, system), value) << stored;
        EXPECT_EQ(ShownShortCutText(stored, local, system), shown) << stored;
        EXPECT_EQ(StoredShortCutText(shown, local, system), stored) << shown;
        EXPECT_EQ(StoredShortCutText(stored, local, system), stored) << stored;
    }
    // A name the language shares with English names the same key there: reading English first
    // never takes a text typed in the language for another key.
    for (const Caption& c : kCaptions)
        for (const Caption& other : kCaptions)
            if (c.value != other.value) {
                EXPECT_FALSE(system.SameTextIgnoreCase(local.*c.text, english.*other.text)) << local.*c.text;
            }
    // Texts that name nothing stay as they are, in both directions.
    for (const char* text : {"", "Ctrl+", "F25", "Strg + F9", "Quorlin"}) {
        EXPECT_EQ(ShownShortCutText(text, local, system), text);
        EXPECT_EQ(StoredShortCutText(text, local, system), text);
    }
}

INSTANTIATE_TEST_SUITE_P(AllTables, ShortcutsInLanguage, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) {
                             std::string name = *info.param ? info.param : "en";
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST(ShortcutsInLanguage, NamesTwoLanguagesShareReadAlikeInBoth) {
    const FakeKeyText system;
    int shared = 0;
    for (const char* a : kLanguages)
        for (const char* b : kLanguages) {
            if (std::string(a) >= b) continue;
            const KeyCaptionTable first = ResourceCaptions(a), second = ResourceCaptions(b);
            for (const Caption& c : kCaptions) {
                if (c.value >= 0x100 || first.*c.text != second.*c.text) continue;
                ++shared;
                const std::string text = "Ctrl+" + first.*c.text;
                EXPECT_EQ(ReadShortCut(text, first, system), c.value | scCtrl) << a << ' ' << text;
                EXPECT_EQ(ReadShortCut(text, second, system), c.value | scCtrl) << b << ' ' << text;
            }
        }
    EXPECT_GT(shared, 20);  // "Tab", "Esc" everywhere, "Fin" in French and Spanish, arrows in Japanese and Chinese
    // Hand-typed in German, read there and not elsewhere.
    EXPECT_EQ(ReadShortCut("strg+ENTF", ResourceCaptions("de"), system), 0x402E);
    EXPECT_EQ(ReadShortCut("strg+ENTF", ResourceCaptions("fr"), system), 0);
    EXPECT_EQ(ReadShortCut("Maj+Suppr", ResourceCaptions("fr"), system), 0x202E);
}
