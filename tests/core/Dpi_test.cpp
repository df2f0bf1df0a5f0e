#include <gtest/gtest.h>

#include <climits>

#include "settings/Settings.h"
#include "shell/Dpi.h"

using namespace quorlin;

TEST(DpiScaling, DesignDpiKeepsEveryCoordinate) {
    for (int v : {0, 1, 7, 13, 17, 308, 409, -5, INT_MAX, INT_MIN}) EXPECT_EQ(ScaleForDpi(v, 96), v) << v;
    const WindowBounds design{176, 22, 96, 23};
    EXPECT_EQ(ScaleBoundsForDpi(design, 96), design);
}

TEST(DpiScaling, RoundsHalvesAwayFromZeroAsMulDiv) {
    EXPECT_EQ(ScaleForDpi(409, 144), 614);  // 613.5
    EXPECT_EQ(ScaleForDpi(17, 144), 26);    // 25.5
    EXPECT_EQ(ScaleForDpi(-5, 144), -8);    // -7.5
    EXPECT_EQ(ScaleForDpi(13, 120), 16);    // 16.25
    EXPECT_EQ(ScaleForDpi(15, 120), 19);    // 18.75
    EXPECT_EQ(ScaleForDpi(12, 192), 24);
    EXPECT_EQ(MulDivRound(7, 1, -2), -4) << "a negative divisor as MulDiv takes it";
}

TEST(DpiScaling, OutOfRangeAndZeroDivisorGiveMinusOneAsMulDiv) {
    EXPECT_EQ(MulDivRound(1, 1, 0), -1);
    EXPECT_EQ(ScaleForDpi(INT_MAX, 192), -1);
    EXPECT_EQ(ScaleForDpi(INT_MIN, 192), -1);
}

TEST(DpiScaling, BoundsScalePartByPart) {
    EXPECT_EQ(ScaleBoundsForDpi({16, 64, 230, 17}, 144), (WindowBounds{24, 96, 345, 26}));
    EXPECT_EQ(ScaleBoundsForDpi({12, 384, 16, 16}, 120), (WindowBounds{15, 480, 20, 20}));
}

TEST(DpiScaling, RescalingBetweenMonitorsCanReturnToTheStart) {
    const WindowBounds at144 = ScaleBoundsForDpi({12, 56, 164, 17}, 144);
    EXPECT_EQ(RescaleBoundsForDpi(at144, 144, 96), (WindowBounds{12, 56, 164, 17}));
    EXPECT_EQ(RescaleBoundsForDpi(at144, 144, 144), at144);
    // From a DPI other than the design's, a rounded half can be one pixel off.
    const WindowBounds at192 = RescaleBoundsForDpi(at144, 144, 192);
    EXPECT_EQ(at192.Height, 35) << "25.5 became 26 at 144 DPI, which is 34.67 at 192";
    EXPECT_EQ(ScaleBoundsForDpi({12, 56, 164, 17}, 192).Height, 34);
}

TEST(StoredBounds, EarlierVersionsAndTheSameDpiKeepTheStoredCorner) {
    const BoundsRect stored{120, 80, 428, 489};
    EXPECT_EQ(RestoredCorner(stored, 0, 144, 462, 614), (BoundsCorner{120, 80})) << "no DPI stored: as before";
    EXPECT_EQ(RestoredCorner(stored, -96, 144, 462, 614), (BoundsCorner{120, 80})) << "a nonsense DPI counts as none";
    EXPECT_EQ(RestoredCorner(stored, 96, 96, 308, 409), (BoundsCorner{120, 80}));
    EXPECT_EQ(RestoredCorner({120, 80, 0, 0}, 96, 144, 462, 614), (BoundsCorner{120, 80})) << "no rectangle";
}

TEST(StoredBounds, AnotherDpiKeepsTheStoredCentre) {
    // Saved at 96 DPI as 308 x 409 with its centre at (274, 284); restored at 144 DPI as 462 x 614.
    EXPECT_EQ(RestoredCorner({120, 80, 428, 489}, 96, 144, 462, 614), (BoundsCorner{43, -23}));
    // And back: saved at 144 DPI, restored at 96.
    EXPECT_EQ(RestoredCorner({43, -23, 505, 591}, 144, 96, 308, 409), (BoundsCorner{120, 80}));
}

TEST(StoredBounds, ExtremeStoredRectanglesStayInRange) {
    EXPECT_EQ(RestoredCorner({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 96, 144, 462, 614),
              (BoundsCorner{-232, -308}));
    EXPECT_EQ(RestoredCorner({INT32_MIN, 0, INT32_MIN + 1, 1}, 96, 144, INT32_MAX, 4),
              (BoundsCorner{INT32_MIN, -2}));
}

TEST(StoredBounds, TheDpiIsAPersistedSettingThatEarlierValuesLackAsZero) {
    EXPECT_EQ(DefaultSettings().BoundsDpi, 0);
}
