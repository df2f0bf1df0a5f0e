#include "shortcuts/ShortcutText_win.h"

#include <array>
#include <climits>

#include "base/Text_win.h"
#include "base/resource.h"

namespace quorlin {

namespace {

struct CaptionId {
    UINT id;
    std::string KeyCaptionTable::*text;
};

constexpr std::array<CaptionId, 18> kCaptionIds{{
    {IDS_KEY_BKSP, &KeyCaptionTable::BkSp},
    {IDS_KEY_TAB, &KeyCaptionTable::Tab},
    {IDS_KEY_ESC, &KeyCaptionTable::Esc},
    {IDS_KEY_ENTER, &KeyCaptionTable::Enter},
    {IDS_KEY_SPACE, &KeyCaptionTable::Space},
    {IDS_KEY_PGUP, &KeyCaptionTable::PgUp},
    {IDS_KEY_PGDN, &KeyCaptionTable::PgDn},
    {IDS_KEY_END, &KeyCaptionTable::End},
    {IDS_KEY_HOME, &KeyCaptionTable::Home},
    {IDS_KEY_LEFT, &KeyCaptionTable::Left},
    {IDS_KEY_UP, &KeyCaptionTable::Up},
    {IDS_KEY_RIGHT, &KeyCaptionTable::Right},
    {IDS_KEY_DOWN, &KeyCaptionTable::Down},
    {IDS_KEY_INS, &KeyCaptionTable::Ins},
    {IDS_KEY_DEL, &KeyCaptionTable::Del},
    {IDS_KEY_SHIFT_PREFIX, &KeyCaptionTable::ShiftPrefix},
    {IDS_KEY_CTRL_PREFIX, &KeyCaptionTable::CtrlPrefix},
    {IDS_KEY_ALT_PREFIX, &KeyCaptionTable::AltPrefix},
}};

// Written once at start, read-only afterwards.
KeyCaptionTable& ProcessCaptions() {
    static KeyCaptionTable table;
    return table;
}

}  // namespace

std::string Win32KeyText::SystemKeyName(std::uint8_t key) const {
    // Scan code in bits 16-23; the extended-key and "don't care" bits stay clear.
    const LONG param = static_cast<LONG>(MapVirtualKeyA(key, 0) << 16);
    if (param == 0) return {};
    std::array<char, 256> buffer{};
    const int length = GetKeyNameTextA(param, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0) return {};
    return std::string(buffer.data());  // up to the first NUL
}

bool Win32KeyText::SameTextIgnoreCase(std::string_view a, std::string_view b) const {
    if (a.size() > INT_MAX || b.size() > INT_MAX) return false;
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

KeyCaptionTable ReadKeyCaptionTable(HINSTANCE module, LANGID language) {
    KeyCaptionTable table;
    for (const auto& [id, text] : kCaptionIds) {
        if (auto ansi = ToAnsiExactly(LoadResString(module, id, language)); ansi && !ansi->empty())
            table.*text = std::move(*ansi);
    }
    return table;
}

void LoadKeyCaptionTable() {
    static bool loaded = false;  // GUI thread only
    if (loaded) return;
    loaded = true;
    ProcessCaptions() = ReadKeyCaptionTable(GetModuleHandleW(nullptr), CurrentTextLanguage());
}

const KeyCaptionTable& KeyCaptions() { return ProcessCaptions(); }

std::string FormatShortCut(TShortCut value) { return FormatShortCut(value, KeyCaptionTable{}, Win32KeyText{}); }

TShortCut ParseShortCut(const std::string& text) { return ReadShortCut(text, KeyCaptions(), Win32KeyText{}); }

std::wstring ShownShortcut(TShortCut value) { return FromAnsi(FormatShortCut(value, KeyCaptions(), Win32KeyText{})); }

// Unchanged texts come back as they were given, also where the code page could not hold all of them.
std::wstring ShownShortcut(std::wstring_view stored) {
    const std::string ansi = ToAnsi(stored);
    const std::string shown = ShownShortCutText(ansi, KeyCaptions(), Win32KeyText{});
    return shown == ansi ? std::wstring(stored) : FromAnsi(shown);
}

std::wstring StoredShortcut(std::wstring_view text) {
    const std::string ansi = ToAnsi(text);
    const std::string stored = StoredShortCutText(ansi, KeyCaptions(), Win32KeyText{});
    return stored == ansi ? std::wstring(text) : FromAnsi(stored);
}

std::wstring ShortcutMenuText(std::wstring_view text) {
    const TShortCut value = ParseShortCut(ToAnsi(text));
    return value ? ShownShortcut(value) : std::wstring();
}

}  // namespace quorlin
