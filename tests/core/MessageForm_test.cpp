#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "shell/MessageForm.h"

using namespace quorlin;
using enum TMessageButton;

namespace quorlin {
void PrintTo(const WindowBounds& b, std::ostream* os) {
    *os << "(" << b.Left << ", " << b.Top << ", " << b.Width << " x " << b.Height << ")";
}
}  // namespace quorlin

namespace {

constexpr TMessageButtons kYesNo = ButtonBit(btnYes) | ButtonBit(btnNo);
// A font whose 52 letters measure 364 x 13: average character 7 x 13.
const MessageMeasures kSeven = MeasuresFor(364, 13);

TEST(MessageForm, MeasuresRoundLikeMulDivFromTheTruncatedAverageCharacter) {
    // 8*7/4 = 14, 8*13/8 = 13, 17.5 -> 18, 16.25 -> 16, 87.5 -> 88, 22.75 -> 23, 7.
    EXPECT_EQ(kSeven, (MessageMeasures{14, 13, 18, 16, 88, 23, 7}));
    EXPECT_EQ(MeasuresFor(415, 13), kSeven) << "415 / 52 truncates to 7 before rounding";
    EXPECT_EQ(MulDivRounded(-10, 7, 4), -18) << "halves away from zero";
    EXPECT_EQ(MulDivRounded(5, 3, 0), -1);
    EXPECT_EQ(MulDivRounded(INT_MAX, 4, 2), -1) << "does not fit";
    EXPECT_EQ(MulDivRounded(INT_MAX, 2, 2), INT_MAX) << "the product may exceed 32 bits";
}

TEST(MessageForm, ButtonWidthsAreMeasuredOncePerRun) {
    ButtonWidthTable remembered{};
    int asked = 0;
    auto measure = [&asked](int width) {
        return [&asked, width](TMessageButton) { return ++asked, width; };
    };
    EXPECT_EQ(CommonButtonWidth(kYesNo, 88, remembered, measure(30)), 88) << "the minimum wins";
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(remembered[0], 38) << "caption width plus 8";
    EXPECT_EQ(CommonButtonWidth(kYesNo | ButtonBit(btnYesToAll), 88, remembered, measure(95)), 103);
    EXPECT_EQ(asked, 3) << "only the new button is measured";
    EXPECT_EQ(CommonButtonWidth(ButtonBit(btnYes), 20, remembered, measure(0)), 38) << "remembered, not measured";
}

TEST(MessageForm, TheIconAreaStandsBesideTheTextAndTheRowIsCentred) {
    const MessageLayout q = LayOutMessage({kSeven, 88, kYesNo, 421, 13, std::nullopt, /*SystemIcon=*/true});
    EXPECT_EQ(q.ClientWidth, 14 + 32 + 18 + 421 + 14);
    EXPECT_EQ(q.ClientHeight, 13 + 32 + 16 + 23 + 13) << "the icon is taller than one line";
    EXPECT_EQ(q.Message, (WindowBounds{64, 13, 421, 13}));
    EXPECT_EQ(q.Buttons, (std::vector<WindowBounds>{{158, 61, 88, 23}, {253, 61, 88, 23}}));
    // A given icon takes at least the system's 32 pixels and may be taller.
    EXPECT_EQ(LayOutMessage({kSeven, 88, ButtonBit(btnOK), 100, 40, ScreenPoint{16, 16}, true}).Message.Left, 64);
    const MessageLayout tall = LayOutMessage({kSeven, 88, ButtonBit(btnOK), 100, 40, ScreenPoint{48, 64}, false});
    EXPECT_EQ(tall.Message.Left, 14 + 48 + 18);
    EXPECT_EQ(tall.Buttons[0].Top, 64 + 13 + 16);
    // Without an icon a row wider than the text sets the width; an odd gap truncates.
    const MessageLayout wide = LayOutMessage({kSeven, 89, 0x7FF, 50, 13, std::nullopt, false});
    EXPECT_EQ(wide.Message.Left, 14);
    EXPECT_EQ(wide.ClientWidth, 11 * 89 + 10 * 7 + 28);
    EXPECT_EQ(wide.Buttons.front().Left, 14);
    EXPECT_EQ(LayOutMessage({kSeven, 88, ButtonBit(btnOK), 101, 13, std::nullopt, false}).Buttons[0].Left, 20);
}

TEST(MessageForm, ButtonsComeInOrderAndTheChoicesFollowTheirPreferences) {
    EXPECT_EQ(ButtonsInOrder(ButtonBit(btnHelp) | kYesNo), (std::vector{btnYes, btnNo, btnHelp}));
    EXPECT_EQ(ModalResultOf(btnNo), 7);
    EXPECT_EQ(ModalResultOf(btnYesToAll), 10);
    EXPECT_EQ(ModalResultOf(btnHelp), 0);
    EXPECT_EQ(DefaultButtonOf(ButtonBit(btnOK) | kYesNo), btnOK);
    EXPECT_EQ(DefaultButtonOf(kYesNo), btnYes);
    EXPECT_EQ(DefaultButtonOf(ButtonBit(btnAbort)), btnRetry);
    EXPECT_EQ(CancelButtonOf(ButtonBit(btnCancel) | kYesNo), btnCancel);
    EXPECT_EQ(CancelButtonOf(kYesNo), btnNo);
    EXPECT_EQ(CancelButtonOf(ButtonBit(btnAbort)), btnOK);
    EXPECT_EQ(ChosenButtonNumber(2, 2), 2);
    EXPECT_EQ(ChosenButtonNumber(3, 2), 0) << "past the last button";
    EXPECT_EQ(ChosenButtonNumber(0, 2), 0);
}

TEST(MessageForm, ScreenCentreAcceleratorsAndCopyText) {
    EXPECT_EQ(ScreenCentre(1280, 1024, 301, 151).X, 490) << "(1280 - 301) / 2 would give 489";
    EXPECT_EQ(AcceleratorOf(L"N&o to All"), L'O');
    EXPECT_EQ(AcceleratorOf(L"OK"), 0);
    EXPECT_EQ(AcceleratorOf(L"Salt && &pepper"), L'P');
    const std::wstring d(27, L'-');
    EXPECT_EQ(MessageCopyText(L"Title", L"Text", {L"&Yes", L"Salt && pepper"}),
              d + L"\r\nTitle\r\n" + d + L"\r\nText\r\n" + d + L"\r\nYes   Salt  pepper   \r\n" + d + L"\r\n");
}

}  // namespace
