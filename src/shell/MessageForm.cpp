#include "shell/MessageForm.h"

#include <algorithm>
#include <climits>
#include <cwctype>

namespace quorlin {

namespace {

// The system's icon size, reserved even for a smaller picture.
constexpr int kIconSide = 32;

}  // namespace

int MulDivRounded(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const long long product = static_cast<long long>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const unsigned long long p = product < 0 ? 0ULL - static_cast<unsigned long long>(product)
                                             : static_cast<unsigned long long>(product);
    const unsigned long long q = denominator < 0 ? 0ULL - static_cast<unsigned long long>(denominator)
                                                 : static_cast<unsigned long long>(denominator);
    const unsigned long long quotient = (p + q / 2) / q;
    // The system answers -1 when the result does not fit.
    if (quotient > static_cast<unsigned long long>(INT_MAX)) return -1;
    const int magnitude = static_cast<int>(quotient);
    return negative ? -magnitude : magnitude;
}

MessageMeasures MeasuresFor(int lettersWidth, int lettersHeight) {
    const int w = lettersWidth / 52, h = lettersHeight;
    MessageMeasures m;
    m.HorzMargin = MulDivRounded(8, w, 4);
    m.VertMargin = MulDivRounded(8, h, 8);
    m.HorzSpacing = MulDivRounded(10, w, 4);
    m.VertSpacing = MulDivRounded(10, h, 8);
    m.ButtonMinWidth = MulDivRounded(50, w, 4);
    m.ButtonHeight = MulDivRounded(14, h, 8);
    m.ButtonSpacing = MulDivRounded(4, w, 4);
    return m;
}

QuestionLayout LayOutQuestion(const QuestionLayoutInput& in) {
    const MessageMeasures& m = in.Measures;
    const int iconTextWidth = in.TextWidth + std::max(in.Icon.X, kIconSide) + m.HorzSpacing;
    const int iconTextHeight = std::max(in.TextHeight, in.Icon.Y);
    const int buttonWidth = std::max(m.ButtonMinWidth, in.CaptionWidth + 8);
    const int rowWidth = 2 * buttonWidth + m.ButtonSpacing;

    QuestionLayout layout;
    layout.ClientWidth = std::max(iconTextWidth, rowWidth) + 2 * m.HorzMargin;
    layout.ClientHeight = iconTextHeight + m.ButtonHeight + m.VertSpacing + 2 * m.VertMargin;
    layout.IconAt = {m.HorzMargin, m.VertMargin};
    // The message starts right after the icon area.
    layout.Message = {iconTextWidth - in.TextWidth + m.HorzMargin, m.VertMargin, in.TextWidth, in.TextHeight};
    const int x = (layout.ClientWidth - rowWidth) / 2;
    const int y = iconTextHeight + m.VertMargin + m.VertSpacing;
    layout.Yes = {x, y, buttonWidth, m.ButtonHeight};
    layout.No = {x + buttonWidth + m.ButtonSpacing, y, buttonWidth, m.ButtonHeight};
    return layout;
}

ScreenPoint ScreenCentre(int screenWidth, int screenHeight, int outerWidth, int outerHeight) {
    return {screenWidth / 2 - outerWidth / 2, screenHeight / 2 - outerHeight / 2};
}

wchar_t AcceleratorOf(std::wstring_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(caption[i + 1]));
        ++i;  // "&&" shows one "&" and marks nothing
    }
    return 0;
}

std::wstring MessageCopyText(std::wstring_view caption, std::wstring_view message,
                             const std::vector<std::wstring>& buttonCaptions) {
    const std::wstring divider(27, L'-');
    std::wstring buttons;
    for (const std::wstring& c : buttonCaptions) {
        for (wchar_t ch : c)
            if (ch != L'&') buttons += ch;
        buttons += L"   ";
    }
    std::wstring text;
    for (std::wstring_view line : {std::wstring_view(divider), caption, std::wstring_view(divider), message,
                                   std::wstring_view(divider), std::wstring_view(buttons),
                                   std::wstring_view(divider)}) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

}  // namespace quorlin
