#include "shell/TextFit.h"

#include <gtest/gtest.h>

using namespace quorlin;

namespace {

// A window 300 wide and 200 high: a paragraph, a row of caption and edit box in a group, a check
// box below the row, a right-aligned label and a centred button under the group.
std::vector<FitItem> Design() {
    return {
        {{10, 10, 280, 30}, -1, FitAnchor::Stretch, 0, FitWrap::Always},      // 0 paragraph
        {{8, 50, 284, 100}, -1, FitAnchor::Stretch, 150},                     // 1 group, caption 150
        {{12, 20, 150, 15}, 1, FitAnchor::Left, 140, FitWrap::WhenShort},     // 2 caption of the row
        {{170, 16, 100, 23}, 1, FitAnchor::Right},                            // 3 edit box
        {{12, 50, 200, 17}, 1, FitAnchor::Left, 180, FitWrap::WhenShort},     // 4 check box
        {{12, 75, 260, 15}, 1, FitAnchor::Stretch, 90},                       // 5 right-aligned label
        {{112, 160, 75, 25}, -1, FitAnchor::Centre},                          // 6 button
    };
}

// Wrapping as a text of `need` pixels would: 15 pixels a line.
auto Lines(const std::vector<FitItem>& items) {
    return [&items](std::size_t i, int width) { return 15 * ((items[i].Need + width - 1) / width); };
}

}  // namespace

TEST(TextFit, TextsThatFitLeaveEverythingWhereItWas) {
    const std::vector<FitItem> items = Design();
    const FitResult r = FitTexts(items, 300, 200, 150, [](std::size_t, int) { return 30; });
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(r.Bounds[i], items[i].Bounds) << i;
    EXPECT_EQ(r.ClientWidth, 300);
    EXPECT_EQ(r.ClientHeight, 200);
}

TEST(TextFit, ALongerTextWidensTheWindowAndWhatFollowsItsEdges) {
    std::vector<FitItem> items = Design();
    items[2].Need = 190;  // the row's caption: 40 more, so the edit box moves 40 right
    items[4].Need = 290;  // the check box runs to the group's edge less 12: 264 now, 304 wanted
    const FitResult r = FitTexts(items, 300, 200, 150, [](std::size_t, int) { return 30; });
    EXPECT_EQ(r.ClientWidth, 340);
    EXPECT_EQ(r.Bounds[1], (WindowBounds{8, 50, 324, 100}));
    EXPECT_EQ(r.Bounds[2], (WindowBounds{12, 20, 190, 15}));
    EXPECT_EQ(r.Bounds[3], (WindowBounds{210, 16, 100, 23}));
    EXPECT_EQ(r.Bounds[4], (WindowBounds{12, 50, 290, 17}));
    EXPECT_EQ(r.Bounds[5], (WindowBounds{12, 75, 300, 15}));
    EXPECT_EQ(r.Bounds[6], (WindowBounds{132, 160, 75, 25}));
    EXPECT_EQ(r.Bounds[0], (WindowBounds{10, 10, 320, 30}));
    EXPECT_EQ(r.ClientHeight, 200);
}

TEST(TextFit, BeyondTheLargestGrowthTextsWrapAndPushWhatStandsBelowDown) {
    std::vector<FitItem> items = Design();
    items[0].Need = 800;  // the paragraph: 3 lines in its 320 pixels, 15 more than it has
    items[2].Need = 250;  // 100 more than it has, 60 more than the window may grow: 2 lines
    const FitResult r = FitTexts(items, 300, 200, 40, Lines(items));
    EXPECT_EQ(r.ClientWidth, 340);
    EXPECT_EQ(r.Bounds[0], (WindowBounds{10, 10, 320, 45}));
    EXPECT_EQ(r.Bounds[2], (WindowBounds{12, 20, 190, 30}));
    EXPECT_EQ(r.Bounds[3].Top, 16) << "beside the caption, not below it";
    EXPECT_EQ(r.Bounds[4].Top, 65);
    EXPECT_EQ(r.Bounds[5].Top, 90);
    EXPECT_EQ(r.Bounds[1], (WindowBounds{8, 65, 324, 115}));
    EXPECT_EQ(r.Bounds[6].Top, 190);
    EXPECT_EQ(r.ClientHeight, 230);
}
