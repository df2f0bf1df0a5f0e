// Keyboard shortcuts as a key with held modifiers, as one 16-bit value and as text ("Ctrl+F9").
// The system's key names and its case-insensitive comparison come in through KeyTextSystem,
// so the rules here run and are tested without Windows.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Keys.h"

namespace quorlin {

// Virtual-key code in bits 0-7 (bits 8-12 pass through Split), Shift 0x2000, Ctrl 0x4000,
// Alt 0x8000. 0 means no shortcut.
using TShortCut = std::uint16_t;

inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;


// The captions of the keys the system names inconsistently, and the modifier prefixes. These
// defaults are the English ones, the form the registry and the report query keep; the user's
// language's come from its string table at start and are what the program shows.
struct KeyCaptionTable {
    std::string BkSp = "BkSp";
    std::string Tab = "Tab";
    std::string Esc = "Esc";
    std::string Enter = "Enter";
    std::string Space = "Space";
    std::string PgUp = "PgUp";
    std::string PgDn = "PgDn";
    std::string End = "End";
    std::string Home = "Home";
    std::string Left = "Left";
    std::string Up = "Up";
    std::string Right = "Right";
    std::string Down = "Down";
    std::string Ins = "Ins";
    std::string Del = "Del";
    std::string ShiftPrefix = "Shift+";
    std::string CtrlPrefix = "Ctrl+";
    std::string AltPrefix = "Alt+";

    bool operator==(const KeyCaptionTable&) const = default;
};

// What the conversions need from the system. Texts are in the system's ANSI code page.
class KeyTextSystem {
public:
    virtual ~KeyTextSystem() = default;
    // The system's name of a virtual key, or "" when it has none.
    virtual std::string SystemKeyName(std::uint8_t key) const = 0;
    // Equality apart from letter case, by the user's locale.
    virtual bool SameTextIgnoreCase(std::string_view a, std::string_view b) const = 0;
};

struct ShortCutParts {
    std::uint16_t key = 0;
    TShiftState shift = 0;

    bool operator==(const ShortCutParts&) const = default;
};

// 0 when key is above 255; only ssShift, ssCtrl and ssAlt of shift count.
TShortCut ComposeShortCut(std::uint16_t key, TShiftState shift);
// The key keeps 13 bits (value & 0x1FFF); shift gets only ssShift, ssCtrl and ssAlt.
ShortCutParts SplitShortCut(TShortCut value);

// "" when the low byte has no name, whatever modifiers are set.
std::string FormatShortCut(TShortCut value, const KeyCaptionTable& captions, const KeyTextSystem& system);
// 0 for any text that is not modifier prefixes (any order, any case, repeats allowed, "^" for
// Ctrl) directly followed by one key name.
TShortCut ParseShortCut(std::string_view text, const KeyCaptionTable& captions, const KeyTextSystem& system);

// Shortcut texts in two forms: stored (the English captions, whatever the user's language) and shown
// (the captions of the user's language, `local`). A text is read in the stored form first, then in
// the shown one (a value typed by hand).
TShortCut ReadShortCut(std::string_view text, const KeyCaptionTable& local, const KeyTextSystem& system);
// What to show for a stored text: the shortcut it names in the user's language, else the text as it is.
std::string ShownShortCutText(std::string_view stored, const KeyCaptionTable& local, const KeyTextSystem& system);
// What to store for a text: unchanged when it is in the stored form or names no shortcut, else the
// stored form of the shortcut it names in the user's language.
std::string StoredShortCutText(std::string_view text, const KeyCaptionTable& local, const KeyTextSystem& system);

// Removes prefix from the front of text when text begins with it apart from case. An empty
// prefix never matches: it would strip nothing and report success forever.
bool StripPrefix(std::string& text, std::string_view prefix, const KeyTextSystem& system);

}  // namespace quorlin
