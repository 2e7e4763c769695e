// The main window's place at creation, computed from the work area's size alone.
#include "window_placement.h"

#include <gtest/gtest.h>

TEST(MainWindowPlacement, CentredByTheWorkAreaSize) {
    const WindowPlacement p = PlaceInWorkArea(RECT{0, 0, 1024, 740});
    EXPECT_EQ(p.nLeft, 364);
    EXPECT_EQ(p.nTop, 302);
    EXPECT_EQ(p.nWidth, 295);
    EXPECT_EQ(p.nHeight, 135);
}

TEST(MainWindowPlacement, WorkAreaOffsetIsNotAdded) {
    // Task bar on the left: the work area starts at 60, the window still goes to (964-295)/2.
    EXPECT_EQ(PlaceInWorkArea(RECT{60, 0, 1024, 740}).nLeft, 334);
    // Task bar on top: the same for the vertical offset.
    EXPECT_EQ(PlaceInWorkArea(RECT{0, 30, 1024, 768}).nTop, 301);
}

TEST(MainWindowPlacement, OddAndTooSmallAreasTruncateTowardsZero) {
    EXPECT_EQ(PlaceInWorkArea(RECT{0, 0, 296, 136}).nLeft, 0);   // 1/2
    EXPECT_EQ(PlaceInWorkArea(RECT{0, 0, 294, 134}).nLeft, 0);   // -1/2
    EXPECT_EQ(PlaceInWorkArea(RECT{0, 0, 200, 100}).nLeft, -47); // -95/2
    EXPECT_EQ(PlaceInWorkArea(RECT{0, 0, 200, 100}).nTop, -17);  // -35/2
}

TEST(MainWindowPlacement, SystemWorkAreaAndFallbackGiveAWindowOnTheScreen) {
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const WindowPlacement p = ComputeWindowPlacement();
    EXPECT_EQ(p.nLeft, (work.right - work.left - 295) / 2);
    EXPECT_EQ(p.nTop, (work.bottom - work.top - 135) / 2);

    const RECT fallback = FallbackWorkArea();
    EXPECT_GE(fallback.right - fallback.left, 295);
    EXPECT_GE(fallback.bottom - fallback.top, 135);
}
