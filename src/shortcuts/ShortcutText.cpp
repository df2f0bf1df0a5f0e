#include "shortcuts/ShortcutText.h"

namespace quorlin {

namespace {

// Key codes the text scan tries, in order. It goes past 255 on purpose: such a code names the key
// of its low byte, so it is only found when no lower code carries that name (the unnamed codes
// 1 to 7 thereby remain reachable).
constexpr unsigned kFirstScannedKey = 0x08;
constexpr unsigned kLastScannedKey = 0x255;

std::string KeyName(std::uint8_t key, const KeyCaptionTable& c, const KeyTextSystem& system) {
    switch (key) {
        case 0x08: return c.BkSp;
        case 0x09: return c.Tab;
        case 0x0D: return c.Enter;
        case 0x1B: return c.Esc;
        case 0x20: return c.Space;
        case 0x21: return c.PgUp;
        case 0x22: return c.PgDn;
        case 0x23: return c.End;
        case 0x24: return c.Home;
        case 0x25: return c.Left;
        case 0x26: return c.Up;
        case 0x27: return c.Right;
        case 0x28: return c.Down;
        case 0x2D: return c.Ins;
        case 0x2E: return c.Del;
        default: break;
    }
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    // The numeric keypad's digits read the same as the main keyboard's.
    if (key >= 0x60 && key <= 0x69) return std::string(1, static_cast<char>(key - 0x30));
    if (key >= 0x70 && key <= 0x87) {
        std::string name = std::to_string(key - 0x6F);
        name.insert(name.begin(), 'F');
        return name;
    }
    return system.SystemKeyName(key);
}

}  // namespace

TShortCut ComposeShortCut(std::uint16_t key, TShiftState shift) {
    if (key > 0xFF) return 0;
    unsigned value = key;
    if (shift & ssShift) value |= scShift;
    if (shift & ssCtrl) value |= scCtrl;
    if (shift & ssAlt) value |= scAlt;
    return static_cast<TShortCut>(value);
}

ShortCutParts SplitShortCut(TShortCut value) {
    ShortCutParts parts;
    parts.key = static_cast<std::uint16_t>(value & 0x1FFF);
    if (value & scShift) parts.shift |= ssShift;
    if (value & scCtrl) parts.shift |= ssCtrl;
    if (value & scAlt) parts.shift |= ssAlt;
    return parts;
}

std::string FormatShortCut(TShortCut value, const KeyCaptionTable& captions, const KeyTextSystem& system) {
    std::string name = KeyName(static_cast<std::uint8_t>(value & 0xFF), captions, system);
    if (name.empty()) return {};
    std::string text;
    if (value & scShift) text += captions.ShiftPrefix;
    if (value & scCtrl) text += captions.CtrlPrefix;
    if (value & scAlt) text += captions.AltPrefix;
    return text + name;
}

bool StripPrefix(std::string& text, std::string_view prefix, const KeyTextSystem& system) {
    if (prefix.empty() || text.size() < prefix.size()) return false;
    if (!system.SameTextIgnoreCase(std::string_view(text).substr(0, prefix.size()), prefix)) return false;
    text.erase(0, prefix.size());
    return true;
}

TShortCut ParseShortCut(std::string_view text, const KeyCaptionTable& captions, const KeyTextSystem& system) {
    std::string rest(text);
    unsigned modifiers = 0;
    // Each match shortens the text, so this ends; prefixes may repeat and come in any order.
    for (;;) {
        if (StripPrefix(rest, captions.ShiftPrefix, system)) modifiers |= scShift;
        else if (StripPrefix(rest, "^", system)) modifiers |= scCtrl;
        else if (StripPrefix(rest, captions.CtrlPrefix, system)) modifiers |= scCtrl;
        else if (StripPrefix(rest, captions.AltPrefix, system)) modifiers |= scAlt;
        else break;
    }
    if (rest.empty()) return 0;

    for (unsigned code = kFirstScannedKey; code <= kLastScannedKey; ++code) {
        const std::string name = FormatShortCut(static_cast<TShortCut>(code), captions, system);
        // A code without a name cannot be what the text names, even where the locale's comparison
        // would call the text equal to nothing (it ignores some characters).
        if (name.empty()) continue;
        if (system.SameTextIgnoreCase(name, rest)) return static_cast<TShortCut>(code | modifiers);
    }
    return 0;
}

TShortCut ReadShortCut(std::string_view text, const KeyCaptionTable& local, const KeyTextSystem& system) {
    if (const TShortCut value = ParseShortCut(text, KeyCaptionTable{}, system)) return value;
    return local == KeyCaptionTable{} ? 0 : ParseShortCut(text, local, system);
}

std::string ShownShortCutText(std::string_view stored, const KeyCaptionTable& local, const KeyTextSystem& system) {
    const TShortCut value = ReadShortCut(stored, local, system);
    const std::string shown = value ? FormatShortCut(value, local, system) : std::string();
    return shown.empty() ? std::string(stored) : shown;
}

std::string StoredShortCutText(std::string_view text, const KeyCaptionTable& local, const KeyTextSystem& system) {
    if (ParseShortCut(text, KeyCaptionTable{}, system)) return std::string(text);
    const TShortCut value = ReadShortCut(text, local, system);
    const std::string stored = value ? FormatShortCut(value, KeyCaptionTable{}, system) : std::string();
    return stored.empty() ? std::string(text) : stored;
}

}  // namespace quorlin
