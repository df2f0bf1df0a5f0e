// The rules of the program's one question dialog (Yes or No): the layout arithmetic from the
// message font, accelerators and the text Ctrl+C copies. Platform-free so they are tested
// natively; MessageForm_win builds the real window from them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "shell/Placement.h"

namespace quorlin {

// The system's MulDiv for the values the layout uses: number * numerator / denominator, rounded
// to nearest with halves away from zero; -1 when the denominator is 0 or the result does not fit.
int MulDivRounded(int number, int numerator, int denominator);

// Distances derived from the dialog font's average character, in pixels.
struct MessageMeasures {
    int HorzMargin = 0, VertMargin = 0, HorzSpacing = 0, VertSpacing = 0;
    int ButtonMinWidth = 0, ButtonHeight = 0, ButtonSpacing = 0;
    friend bool operator==(const MessageMeasures&, const MessageMeasures&) = default;
};
// From the extent of the 52 letters "A".."Z", "a".."z" in the dialog font.
MessageMeasures MeasuresFor(int lettersWidth, int lettersHeight);

struct QuestionLayoutInput {
    MessageMeasures Measures;
    // The widest caption of the two buttons; the buttons are 8 pixels wider, at least the minimum.
    int CaptionWidth = 0;
    int TextWidth = 0, TextHeight = 0;  // the wrapped message's rectangle
    ScreenPoint Icon;                   // the picture's width and height
};

struct QuestionLayout {
    int ClientWidth = 0, ClientHeight = 0;
    ScreenPoint IconAt;  // top-left corner of the picture
    WindowBounds Message;
    WindowBounds Yes, No;
};

QuestionLayout LayOutQuestion(const QuestionLayoutInput& in);

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
