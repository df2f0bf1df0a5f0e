#include "shell/TextFit.h"

#include <gtest/gtest.h>

using namespace quorlin;

// A window 300 x 200: a paragraph; a group holding a caption beside an edit box, a check box and a
// right-aligned label; a centred button. Wrapped text takes 15 pixels a line.
TEST(TextFit, TextsThatFitMoveNothingLongerOnesWidenTheWindowThenWrapAndPushDown) {
    std::vector<FitItem> items{
        {{10, 10, 280, 30}, -1, FitAnchor::Stretch, 0, FitWrap::Always},  {{8, 50, 284, 100}, -1, FitAnchor::Stretch, 150},
        {{12, 20, 150, 15}, 1, FitAnchor::Left, 140, FitWrap::WhenShort}, {{170, 16, 100, 23}, 1, FitAnchor::Right},
        {{12, 50, 200, 17}, 1, FitAnchor::Left, 180, FitWrap::WhenShort}, {{12, 75, 260, 15}, 1, FitAnchor::Stretch, 90},
        {{112, 160, 75, 25}, -1, FitAnchor::Centre}};
    const auto lines = [&items](std::size_t i, int width) { return 15 * ((items[i].Need + width - 1) / width); };
    FitResult r = FitTexts(items, 300, 200, 150, lines);
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(r.Bounds[i], items[i].Bounds) << i;
    EXPECT_EQ(r.ClientWidth, 300);
    EXPECT_EQ(r.ClientHeight, 200);

    items[2].Need = 190;  // 40 more beside the edit box, which moves right with the window's edge
    items[4].Need = 290;  // to the group's edge less 12: 264 now, 304 when the window grows by 40
    r = FitTexts(items, 300, 200, 150, lines);
    EXPECT_EQ(r.ClientWidth, 340);
    const WindowBounds wider[] = {{10, 10, 320, 30}, {8, 50, 324, 100}, {12, 20, 190, 15}, {210, 16, 100, 23},
                                  {12, 50, 290, 17}, {12, 75, 300, 15}, {132, 160, 75, 25}};
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(r.Bounds[i], wider[i]) << i;

    items[0].Need = 800;  // the paragraph: 3 lines in 320 pixels, 15 more than it has
    items[2].Need = 250;  // 60 more than the window may grow: 2 lines beside the edit box
    r = FitTexts(items, 300, 200, 40, lines);
    const WindowBounds wrapped[] = {{10, 10, 320, 45}, {8, 65, 324, 115}, {12, 20, 190, 30}, {210, 16, 100, 23},
                                    {12, 65, 290, 17}, {12, 90, 300, 15}, {132, 190, 75, 25}};
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(r.Bounds[i], wrapped[i]) << i;
    EXPECT_EQ(r.ClientHeight, 230);
}
