// The texts that follow from the touchpad's state: the tip names the touchpad line only when the
// switch is available and its shortcut shown, the status text says the state it was given, and
// translated formats with any placeholders stay harmless.
#include "FuzzInput.h"
#include "ui/model/StatusText.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    StatusInputs s;
    s.blockerEnabled = in.Flag();
    s.blockerShortcutShown = in.Flag();
    s.touchpadAvailable = in.Flag();
    s.touchpadEnabled = in.Flag();
    s.touchpadShortcutShown = in.Flag();
    s.title = in.WideText<std::wstring>();
    s.touchpadCaption = in.WideText<std::wstring>();
    s.touchpadShortcut = in.WideText<std::wstring>();
    s.blockerCaption = in.WideText<std::wstring>();
    s.blockerShortcut = in.WideText<std::wstring>();
    StatusWords words;
    if (in.Flag()) {
        words.isFormat = in.WideText<std::wstring>();
        words.useFormat = in.WideText<std::wstring>();
    }

    const std::wstring tip = TipText(s);
    const std::wstring touchpadLine = L"\r\n" + s.touchpadCaption + L": " + s.touchpadShortcut;
    const bool tipHasLine = tip.size() >= touchpadLine.size() &&
                            tip.compare(tip.size() - touchpadLine.size(), touchpadLine.size(), touchpadLine) == 0;
    if (s.touchpadAvailable && s.touchpadShortcutShown) FUZZ_CHECK(tipHasLine);

    const std::wstring status = TouchpadStatusText(s, words);
    FUZZ_CHECK(status.rfind(FormatText(words.isFormat, {words.touchpad, s.touchpadEnabled ? words.on : words.off}), 0) == 0);
    // Without placeholders a format comes out as it stands, apart from "%%".
    if (words.isFormat.find(L'%') == std::wstring::npos) FUZZ_CHECK(FormatText(words.isFormat, {L"x"}) == words.isFormat);
    return 0;
}
