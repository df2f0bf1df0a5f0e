#include "ui/model/StatusText.h"

namespace quorlin {

std::wstring FormatText(const std::wstring& format, const std::vector<std::wstring>& args) {
    std::wstring out;
    out.reserve(format.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c == L'%' && i + 1 < format.size()) {
            const wchar_t kind = format[i + 1];
            if (kind == L'%') {
                out += L'%';
                ++i;
                continue;
            }
            if ((kind == L's' || kind == L'd') && next < args.size()) {
                out += args[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::wstring TipText(const StatusInputs& in) {
    std::wstring tip = in.title + L" (" + in.version + L")";
    if (in.blockerShortcutShown) tip += L"\r\n" + in.blockerCaption + L": " + in.blockerShortcut;
    if (in.touchpadAvailable && in.touchpadShortcutShown)
        tip += L"\r\n" + in.touchpadCaption + L": " + in.touchpadShortcut;
    return tip;
}

namespace {
std::wstring StateText(const std::wstring& what, bool state, bool shortcutShown, const std::wstring& shortcut,
                       const StatusWords& words) {
    std::wstring text = FormatText(words.isFormat, {what, state ? words.on : words.off});
    if (shortcutShown) text += L" " + FormatText(words.useFormat, {shortcut});
    return text;
}
}  // namespace

std::wstring BlockerStatusText(const StatusInputs& in, const StatusWords& words) {
    return StateText(words.blocking, in.blockerEnabled, in.blockerShortcutShown, in.blockerShortcut, words);
}

std::wstring TouchpadStatusText(const StatusInputs& in, const StatusWords& words) {
    return StateText(words.touchpad, in.touchpadEnabled, in.touchpadShortcutShown, in.touchpadShortcut, words);
}

std::wstring MenuText(std::wstring_view name) {
    std::wstring text;
    for (wchar_t c : name) {
        if (c == L'&') text += L'&';
        text += c;
    }
    return text;
}

}  // namespace quorlin
