// The message dialog's layout arithmetic, with measures from any font and texts of any size the
// system can draw (up to 32767 pixels): the two buttons sit in one row inside the client area, below
// the message, and nothing overflows (UBSan traps signed overflow).
#include "FuzzInput.h"
#include "shell/MessageForm.h"

#include <climits>

using namespace quorlin;

namespace {
int Pixels(FuzzInput& in) { return in.Number<std::uint16_t>() & 0x7FFF; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    // MulDiv itself takes any numbers.
    const auto a = in.Number<int>(), b = in.Number<int>(), c = in.Number<int>();
    const int q = MulDivRounded(a, b, c);
    if (c != 0 && q != -1) {
        const long long exact = static_cast<long long>(a) * b;
        FUZZ_CHECK(std::llabs(static_cast<long long>(q) * c - exact) <= std::llabs(static_cast<long long>(c)) / 2 + 1);
    }

    QuestionLayoutInput li;
    li.Measures = MeasuresFor(Pixels(in) * 52 / 8, Pixels(in) / 8);
    li.CaptionWidth = Pixels(in) / 8;
    li.TextWidth = Pixels(in);
    li.TextHeight = Pixels(in);
    li.Icon = ScreenPoint{Pixels(in) / 8, Pixels(in) / 8};

    const QuestionLayout layout = LayOutQuestion(li);
    FUZZ_CHECK(layout.Message.Left >= 0 && layout.Message.Left + layout.Message.Width <= layout.ClientWidth);
    for (const WindowBounds& button : {layout.Yes, layout.No}) {
        FUZZ_CHECK(button.Left >= 0 && button.Left + button.Width <= layout.ClientWidth);
        FUZZ_CHECK(button.Top >= layout.Message.Top + layout.Message.Height);
        FUZZ_CHECK(button.Top + button.Height <= layout.ClientHeight);
    }
    FUZZ_CHECK(layout.No.Left >= layout.Yes.Left + layout.Yes.Width);
    const ScreenPoint centre = ScreenCentre(Pixels(in), Pixels(in), layout.ClientWidth, layout.ClientHeight);
    (void)centre;
    return 0;
}
