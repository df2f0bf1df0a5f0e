// The rules of the program's message dialog: kinds, buttons, the layout arithmetic, the choice of
// the default, cancel and focused buttons, accelerators and the text Ctrl+C copies. Platform-free
// so they are tested natively; MessageForm_win builds the real window from them.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Placement.h"

namespace quorlin {

enum class TMessageKind : std::uint8_t { mkWarning, mkError, mkInformation, mkConfirmation, mkCustom };

// In the order in which their buttons are laid out from left to right.
enum class TMessageButton : std::uint8_t {
    btnYes, btnNo, btnOK, btnCancel, btnAbort, btnRetry, btnIgnore, btnAll, btnNoToAll, btnYesToAll, btnHelp
};
inline constexpr int kMessageButtonCount = 11;

// A set of buttons: bit n stands for the button with ordinal n.
using TMessageButtons = std::uint16_t;

constexpr TMessageButtons ButtonBit(TMessageButton button) {
    return static_cast<TMessageButtons>(1u << static_cast<unsigned>(button));
}
constexpr bool HasButton(TMessageButtons set, TMessageButton button) { return (set & ButtonBit(button)) != 0; }

// The requested buttons in layout order.
std::vector<TMessageButton> ButtonsInOrder(TMessageButtons set);

// The dialog command identifier a button ends the dialog with; 0 for Help, which does not end it.
int ModalResultOf(TMessageButton button);

// The button Enter clicks when no button has the focus, and the one Esc clicks; either may be a
// button that was not requested, which then marks nothing.
TMessageButton DefaultButtonOf(TMessageButtons set);
TMessageButton CancelButtonOf(TMessageButtons set);

// The caller's default-button number (1 for the first button created) if it names a button; 0 otherwise.
int ChosenButtonNumber(int defaultButton, int buttonCount);

// The system's MulDiv for the values the layout uses: number * numerator / denominator, rounded
// to nearest with halves away from zero; -1 when the denominator is 0.
int MulDivRounded(int number, int numerator, int denominator);

// Distances derived from the dialog font's average character, in pixels.
struct MessageMeasures {
    int HorzMargin = 0, VertMargin = 0, HorzSpacing = 0, VertSpacing = 0;
    int ButtonMinWidth = 0, ButtonHeight = 0, ButtonSpacing = 0;
    friend bool operator==(const MessageMeasures&, const MessageMeasures&) = default;
};
// From the extent of the 52 letters "A".."Z", "a".."z" in the dialog font.
MessageMeasures MeasuresFor(int lettersWidth, int lettersHeight);

// Caption width plus 8 per button, measured the first time a dialog of the run needs it.
using ButtonWidthTable = std::array<int, kMessageButtonCount>;
// The width all buttons of one dialog share: the largest of the minimum and the remembered widths
// of the requested buttons; measureCaption is asked only for buttons not yet remembered.
int CommonButtonWidth(TMessageButtons buttons, int minWidth, ButtonWidthTable& remembered,
                      const std::function<int(TMessageButton)>& measureCaption);

struct MessageLayoutInput {
    MessageMeasures Measures;
    int ButtonWidth = 0;
    TMessageButtons Buttons = 0;
    int TextWidth = 0, TextHeight = 0;     // the wrapped message's rectangle
    std::optional<ScreenPoint> GivenIcon;  // width and height of a given, non-empty icon
    bool SystemIcon = false;               // the kind's system icon stands in for a missing one
};

struct MessageLayout {
    int ClientWidth = 0, ClientHeight = 0;
    ScreenPoint IconAt;                    // top-left corner of the picture, when there is one
    WindowBounds Message;
    std::vector<WindowBounds> Buttons;     // in layout order
};

MessageLayout LayOutMessage(const MessageLayoutInput& in);

// Top-left corner of a window of the outer size at the middle of a screen of the given size,
// each half truncated on its own.
ScreenPoint ScreenCentre(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

// The letter after "&" in a caption, upper case; 0 when there is none ("&&" is a literal "&").
wchar_t AcceleratorOf(std::wstring_view caption);

// What Ctrl+C puts on the clipboard: divider, caption, divider, message, divider, the button
// captions each followed by three spaces with every "&" removed, divider; each line ends in CR LF.
std::wstring MessageCopyText(std::wstring_view caption, std::wstring_view message,
                             const std::vector<std::wstring>& buttonCaptions);

}  // namespace quorlin
