#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "shell/MessageForm.h"

using namespace quorlin;

namespace quorlin {
void PrintTo(const WindowBounds& b, std::ostream* os) {
    *os << "(" << b.Left << ", " << b.Top << ", " << b.Width << " x " << b.Height << ")";
}
}  // namespace quorlin

namespace {

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

TEST(MessageForm, TheIconAreaStandsBesideTheTextAndTheRowIsCentred) {
    const QuestionLayout q = LayOutQuestion({kSeven, 30, 421, 13, ScreenPoint{32, 32}});
    EXPECT_EQ(q.ClientWidth, 14 + 32 + 18 + 421 + 14);
    EXPECT_EQ(q.ClientHeight, 13 + 32 + 16 + 23 + 13) << "the icon is taller than one line";
    EXPECT_EQ(q.Message, (WindowBounds{64, 13, 421, 13}));
    EXPECT_EQ(q.Yes, (WindowBounds{158, 61, 88, 23})) << "the minimum width wins over 30 + 8";
    EXPECT_EQ(q.No, (WindowBounds{253, 61, 88, 23}));
    // A smaller picture takes the system's 32 pixels all the same; a taller one sets the height.
    EXPECT_EQ(LayOutQuestion({kSeven, 30, 100, 40, ScreenPoint{16, 16}}).Message.Left, 64);
    const QuestionLayout tall = LayOutQuestion({kSeven, 30, 100, 40, ScreenPoint{48, 64}});
    EXPECT_EQ(tall.Message.Left, 14 + 48 + 18);
    EXPECT_EQ(tall.Yes.Top, 64 + 13 + 16);
    // A wide caption widens both buttons; a row wider than the text sets the width, an odd gap
    // truncates.
    const QuestionLayout wide = LayOutQuestion({kSeven, 95, 10, 13, ScreenPoint{32, 32}});
    EXPECT_EQ(wide.Yes.Width, 103);
    EXPECT_EQ(wide.No.Width, 103);
    EXPECT_EQ(wide.ClientWidth, 2 * 103 + 7 + 28);
    EXPECT_EQ(wide.Yes.Left, 14);
    EXPECT_EQ(LayOutQuestion({kSeven, 30, 140, 13, ScreenPoint{32, 32}}).Yes.Left, 17) << "(218 - 183) / 2";
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
