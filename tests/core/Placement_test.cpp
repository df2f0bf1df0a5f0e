#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "shell/Placement.h"

using namespace quorlin;

namespace quorlin {
void PrintTo(const ScreenPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }
void PrintTo(const ScreenRect& r, std::ostream* os) {
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
}  // namespace quorlin

namespace {
constexpr ScreenRect kWork{0, 0, 1280, 984};  // 1280x1024 screen with a 40-pixel taskbar
}

TEST(Placement, ClampPullsWindowsBackIntoTheWorkArea) {
    EXPECT_EQ((ScreenPoint{0, 10}), ClampedInto(kWork, {-5, 10}, 300, 400));
    EXPECT_EQ((ScreenPoint{980, 584}), ClampedInto(kWork, {1200, 900}, 300, 400));
    EXPECT_EQ((ScreenPoint{100, 200}), ClampedInto(kWork, {100, 200}, 300, 400)) << "inside: unchanged";
    EXPECT_EQ((ScreenPoint{980, 584}), ClampedInto(kWork, {980, 584}, 300, 400)) << "touching the edges is inside";
    // Larger than the work area in both directions: the top-left corner wins, from either side.
    EXPECT_EQ((ScreenPoint{0, 0}), ClampedInto(kWork, {-50, -60}, 1400, 1000));
    EXPECT_EQ((ScreenPoint{0, 0}), ClampedInto(kWork, {500, 500}, 1400, 1000));
    // A work area that does not start at the origin (taskbar on the left or top).
    EXPECT_EQ((ScreenPoint{60, 30}), ClampedInto({60, 30, 1280, 1024}, {0, 0}, 200, 100));
}

TEST(Placement, ClampSurvivesExtremeStoredPositions) {
    EXPECT_EQ((ScreenPoint{980, 584}), ClampedInto(kWork, {INT_MAX, INT_MAX}, 300, 400));
    EXPECT_EQ((ScreenPoint{0, 0}), ClampedInto(kWork, {INT_MIN, INT_MIN}, 300, 400));
    EXPECT_EQ((ScreenPoint{0, 0}), ClampedInto(kWork, {INT_MAX, 10}, INT_MAX, INT_MAX));
}

TEST(Placement, CentreTruncatesHalvesTowardZero) {
    EXPECT_EQ((ScreenPoint{490, 292}), CenteredIn(kWork, 300, 400));
    EXPECT_EQ((ScreenPoint{489, 291}), CenteredIn(kWork, 301, 401));
    // Larger than the area: the negative half truncates toward zero (-61/2 = -30, not -31).
    EXPECT_EQ((ScreenPoint{-30, -8}), CenteredIn(kWork, 1341, 1001));
    EXPECT_EQ((ScreenPoint{1280 + 540, 20 + 292}), CenteredIn({1280, 20, 2560, 1004}, 200, 400));
}

TEST(Placement, CentreOverControlStaysInsideTheControlsWorkArea) {
    const WindowBounds mainWindow{400, 300, 308, 409};
    EXPECT_EQ((ScreenPoint{404, 404}), CenteredOver(mainWindow, kWork, 300, 200));
    // Main window near the right edge: the dialog is pulled left to stay wholly inside.
    EXPECT_EQ((ScreenPoint{880, 404}), CenteredOver({1100, 300, 308, 409}, kWork, 400, 200));
    // Dialog larger than the control: (308 - 401) / 2 truncates to -46.
    EXPECT_EQ((ScreenPoint{354, 300}), CenteredOver(mainWindow, kWork, 401, 409));
    EXPECT_EQ((ScreenPoint{0, 0}), CenteredOver({-200, -300, 100, 100}, kWork, 300, 200));
}

TEST(Placement, UrlGetsHttpOnlyWithoutAScheme) {
    EXPECT_EQ(L"http://example.org", UrlWithScheme(L"example.org"));
    EXPECT_EQ(L"https://x/y", UrlWithScheme(L"https://x/y"));
    EXPECT_EQ(L"ftp://host/file", UrlWithScheme(L"ftp://host/file"));
    EXPECT_EQ(L"http://", UrlWithScheme(L""));
    // "://" anywhere counts, even after other text; a bare ":/" or "//" does not.
    EXPECT_EQ(L"see://here", UrlWithScheme(L"see://here"));
    EXPECT_EQ(L"example.org/a://b", UrlWithScheme(L"example.org/a://b"));
    EXPECT_EQ(L"http://mailto:/x", UrlWithScheme(L"mailto:/x"));
    EXPECT_EQ(L"http://www.example.org/?version=1.0.0.1&ping=On",
              UrlWithScheme(L"www.example.org/?version=1.0.0.1&ping=On"));
}

TEST(Placement, RestoredRectangleMovesFromWorkspaceToScreenCoordinates) {
    const ScreenRect screen{0, 0, 1280, 1024};
    const ScreenRect normal{100, 60, 408, 469};  // as GetWindowPlacement reports it
    // Taskbar at the top: the work area starts 40 pixels down, and so does the window on screen.
    EXPECT_EQ((ScreenRect{100, 100, 408, 509}), WorkspaceToScreen(normal, {0, 40, 1280, 1024}, screen));
    // Taskbar at the left.
    EXPECT_EQ((ScreenRect{160, 60, 468, 469}), WorkspaceToScreen(normal, {60, 0, 1280, 1024}, screen));
    // Taskbar at the bottom or right: both coordinate systems share their origin.
    EXPECT_EQ(normal, WorkspaceToScreen(normal, {0, 0, 1240, 984}, screen));
    // A second monitor left of the primary, with its own bar at the top: only the offset within
    // that monitor counts, not where the monitor lies.
    EXPECT_EQ((ScreenRect{-1180, 90, -872, 499}),
              WorkspaceToScreen({-1180, 60, -872, 469}, {-1280, 30, 0, 1024}, {-1280, 0, 0, 1024}));
    EXPECT_EQ((ScreenRect{INT_MAX, INT_MAX, INT_MAX, INT_MAX}),
              WorkspaceToScreen({INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {0, 40, 1280, 1024}, screen));
}
