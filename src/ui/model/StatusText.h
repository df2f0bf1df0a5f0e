// The texts the program shows about its state: the tray tip and the balloon texts.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

// Replaces "%s" and "%d" placeholders in order with args; "%%" gives "%". A placeholder without an
// argument is left as it stands, so a translated format with too many placeholders stays harmless.
std::wstring FormatText(const std::wstring& format, const std::vector<std::wstring>& args);

// The resource texts the status texts are built from (translatable).
struct StatusWords {
    std::wstring off = L"Off";
    std::wstring on = L"On";
    std::wstring isFormat = L"%s is %s";
    std::wstring blocking = L"Blocking of accidental clicks";
    std::wstring touchpad = L"Touchpad device";
    std::wstring useFormat = L"use \"%s\" to switch";
};

struct StatusInputs {
    std::wstring title;                // application title
    std::wstring version;              // FileVersionString
    bool blockerEnabled = true;
    bool blockerShortcutShown = true;  // chbShtBlocker checked
    std::wstring blockerCaption;       // caption of the tray menu's blocker item
    std::wstring blockerShortcut;      // e.g. "Ctrl+F9"
    bool touchpadAvailable = false;
    bool touchpadEnabled = false;
    bool touchpadShortcutShown = false;  // chbShtTouchpad checked
    std::wstring touchpadCaption;        // the touchpad item's caption at its last update
    std::wstring touchpadShortcut;
};

std::wstring TipText(const StatusInputs& in);
std::wstring BlockerStatusText(const StatusInputs& in, const StatusWords& words);
std::wstring TouchpadStatusText(const StatusInputs& in, const StatusWords& words);

// A name (a file, a device) as a menu shows it: every "&" doubled, since a menu takes a single one
// for the underline of the next letter.
std::wstring MenuText(std::wstring_view name);

}  // namespace quorlin
