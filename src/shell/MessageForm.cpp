#include "shell/MessageForm.h"

#include <algorithm>
#include <climits>
#include <cwctype>

namespace quorlin {

namespace {

// The system's icon size, reserved even for a smaller picture.
constexpr int kIconSide = 32;

struct ButtonInfo {
    TMessageButton Button;
    int ModalResult;
};

constexpr ButtonInfo kButtons[kMessageButtonCount] = {
    {TMessageButton::btnYes, 6},      {TMessageButton::btnNo, 7},       {TMessageButton::btnOK, 1},
    {TMessageButton::btnCancel, 2},   {TMessageButton::btnAbort, 3},    {TMessageButton::btnRetry, 4},
    {TMessageButton::btnIgnore, 5},   {TMessageButton::btnAll, 8},      {TMessageButton::btnNoToAll, 9},
    {TMessageButton::btnYesToAll, 10}, {TMessageButton::btnHelp, 0},
};

}  // namespace

std::vector<TMessageButton> ButtonsInOrder(TMessageButtons set) {
    std::vector<TMessageButton> buttons;
    for (const ButtonInfo& info : kButtons)
        if (HasButton(set, info.Button)) buttons.push_back(info.Button);
    return buttons;
}

int ModalResultOf(TMessageButton button) { return kButtons[static_cast<int>(button)].ModalResult; }

TMessageButton DefaultButtonOf(TMessageButtons set) {
    if (HasButton(set, TMessageButton::btnOK)) return TMessageButton::btnOK;
    if (HasButton(set, TMessageButton::btnYes)) return TMessageButton::btnYes;
    return TMessageButton::btnRetry;
}

TMessageButton CancelButtonOf(TMessageButtons set) {
    if (HasButton(set, TMessageButton::btnCancel)) return TMessageButton::btnCancel;
    if (HasButton(set, TMessageButton::btnNo)) return TMessageButton::btnNo;
    return TMessageButton::btnOK;
}

int ChosenButtonNumber(int defaultButton, int buttonCount) {
    return defaultButton > 0 && defaultButton <= buttonCount ? defaultButton : 0;
}

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

int CommonButtonWidth(TMessageButtons buttons, int minWidth, ButtonWidthTable& remembered,
                      const std::function<int(TMessageButton)>& measureCaption) {
    int width = minWidth;
    for (TMessageButton button : ButtonsInOrder(buttons)) {
        int& slot = remembered[static_cast<int>(button)];
        if (slot == 0) slot = measureCaption(button) + 8;
        width = std::max(width, slot);
    }
    return width;
}

MessageLayout LayOutMessage(const MessageLayoutInput& in) {
    const MessageMeasures& m = in.Measures;
    int iconTextWidth = in.TextWidth, iconTextHeight = in.TextHeight;
    if (in.GivenIcon) {
        iconTextWidth += std::max(in.GivenIcon->X, kIconSide) + m.HorzSpacing;
        iconTextHeight = std::max(iconTextHeight, in.GivenIcon->Y);
    } else if (in.SystemIcon) {
        iconTextWidth += kIconSide + m.HorzSpacing;
        iconTextHeight = std::max(iconTextHeight, kIconSide);
    }
    const int count = static_cast<int>(ButtonsInOrder(in.Buttons).size());
    const int rowWidth = count > 0 ? count * in.ButtonWidth + (count - 1) * m.ButtonSpacing : 0;

    MessageLayout layout;
    layout.ClientWidth = std::max(iconTextWidth, rowWidth) + 2 * m.HorzMargin;
    layout.ClientHeight = iconTextHeight + m.ButtonHeight + m.VertSpacing + 2 * m.VertMargin;
    layout.IconAt = {m.HorzMargin, m.VertMargin};
    // The message starts right after the icon area.
    layout.Message = {iconTextWidth - in.TextWidth + m.HorzMargin, m.VertMargin, in.TextWidth, in.TextHeight};
    int x = (layout.ClientWidth - rowWidth) / 2;
    const int y = iconTextHeight + m.VertMargin + m.VertSpacing;
    for (int i = 0; i < count; ++i) {
        layout.Buttons.push_back({x, y, in.ButtonWidth, m.ButtonHeight});
        x += in.ButtonWidth + m.ButtonSpacing;
    }
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
