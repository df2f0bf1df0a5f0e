#include <gtest/gtest.h>

#include <climits>

#include "settings/Settings.h"
#include "shell/Dpi.h"

using namespace quorlin;

TEST(DpiScaling, DesignDpiKeepsEveryCoordinate) {
    for (int v : {0, 7, 13, 409, -5, INT_MAX, INT_MIN}) EXPECT_EQ(ScaleForDpi(v, 96), v) << v;
    EXPECT_EQ(ScaleBoundsForDpi({176, 22, 96, 23}, 96), (WindowBounds{176, 22, 96, 23}));
}

TEST(DpiScaling, RoundsHalvesAwayFromZeroAndFailsAsMulDiv) {
    EXPECT_EQ(ScaleBoundsForDpi({16, 64, 230, 17}, 144), (WindowBounds{24, 96, 345, 26}));  // 25.5 up
    EXPECT_EQ(ScaleForDpi(-5, 144), -8);                                                      // -7.5 down
    EXPECT_EQ(ScaleForDpi(13, 120), 16);                                                      // 16.25
    EXPECT_EQ(MulDivRound(7, 1, -2), -4);
    EXPECT_EQ(MulDivRound(1, 1, 0), -1);
    EXPECT_EQ(ScaleForDpi(INT_MAX, 192), -1) << "beyond 32 bits";
}

TEST(DpiScaling, RescalingFromTheDesignsMultipleReturnsToTheDesign) {
    const WindowBounds design{12, 56, 164, 17};
    EXPECT_EQ(RescaleBoundsForDpi(ScaleBoundsForDpi(design, 144), 144, 96), design);
    EXPECT_EQ(RescaleBoundsForDpi(design, 96, 96), design);
}

TEST(StoredBounds, EarlierVersionsAndTheSameDpiKeepTheCornerAnotherDpiTheCentre) {
    const BoundsRect at96{120, 80, 428, 489};  // 308 x 409, centre (274, 284)
    EXPECT_EQ(RestoredCorner(at96, 0, 144, 462, 614), (BoundsCorner{120, 80})) << "no DPI stored: as before";
    EXPECT_EQ(RestoredCorner(at96, -96, 144, 462, 614), (BoundsCorner{120, 80}));
    EXPECT_EQ(RestoredCorner(at96, 96, 96, 308, 409), (BoundsCorner{120, 80}));
    EXPECT_EQ(RestoredCorner({120, 80, 0, 0}, 96, 144, 462, 614), (BoundsCorner{120, 80})) << "no rectangle";
    EXPECT_EQ(RestoredCorner(at96, 96, 144, 462, 614), (BoundsCorner{43, -23}));
    EXPECT_EQ(RestoredCorner({43, -23, 505, 591}, 144, 96, 308, 409), (BoundsCorner{120, 80}));
    EXPECT_EQ(RestoredCorner({INT32_MIN, 0, INT32_MIN + 1, 1}, 96, 144, INT32_MAX, 4), (BoundsCorner{INT32_MIN, -2}));
    EXPECT_EQ(DefaultSettings().BoundsDpi, 0);
}
