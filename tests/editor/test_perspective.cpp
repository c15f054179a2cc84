// Reference object sizes: pixel and cell conversions, volumes, the Standard limits, the fit of
// the background to the foreground and what each handle release stores.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "editor/perspective.h"
#include "setup/setup_defaults.h"

using namespace zep4;

namespace {

TAreaGeometry defaults() {
    TAreaGeometry g{};
    SetDefaultGeometry(g);
    return g;
}

TEST(StandardLimits, MinimumIsTheLargestIntegerStrictlyBelowThreeTenths) {
    struct Case {
        int32_t volume, minimum;
    };
    const Case cases[] = {{200, 59}, {50, 14}, {7, 2}, {0, 0}, {1, 0},  {3, 0},  {4, 1},
                          {10, 2},   {20, 5},  {100, 29}, {6480, 1943}, {-200, -59}, {-7, -2},
                          {std::numeric_limits<int32_t>::max(), 644245094},
                          {std::numeric_limits<int32_t>::min(), -644245094}};
    for (const Case& c : cases) EXPECT_EQ(StandardMinVolume(c.volume), c.minimum) << c.volume;

    // Against the definition itself, for every volume a grid can hold.
    for (int32_t v = 1; v <= kGridCells; ++v) {
        const int32_t m = StandardMinVolume(v);
        ASSERT_LT(10 * int64_t(m), 3 * int64_t(v)) << v;
        ASSERT_GE(10 * int64_t(m + 1), 3 * int64_t(v)) << v;
    }
}

TEST(StandardLimits, MaximumIsTwoAndAHalfTimesCappedAtTheGrid) {
    struct Case {
        int32_t volume, capped, uncapped;
    };
    const Case cases[] = {{200, 500, 500}, {50, 125, 125}, {7, 17, 17},      {0, 0, 0},
                          {2592, 6480, 6480}, {2593, 6480, 6482}, {4000, 6480, 10000}, {-3, -7, -7}};
    for (const Case& c : cases) {
        EXPECT_EQ(StandardMaxVolume(c.volume), c.capped) << c.volume;
        EXPECT_EQ(TwoAndAHalfTimes(c.volume), c.uncapped) << c.volume;
    }
    EXPECT_EQ(TwoAndAHalfTimes(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max());
}

TEST(StandardLimits, TheDefaultsOfANewGeometryFollowTheRules) {
    const TAreaGeometry g = defaults();
    EXPECT_EQ(g.FrontVolume, Volume(g.FrontWidth, g.FrontHeight));
    EXPECT_EQ(g.FrontMinVolume, StandardMinVolume(200));
    EXPECT_EQ(g.FrontMaxVolume, TwoAndAHalfTimes(200));
    EXPECT_EQ(g.BackVolume, Volume(g.BackWidth, g.BackHeight));
    EXPECT_EQ(g.BackMinVolume, 14);
    EXPECT_EQ(g.BackMaxVolume, 125);
}

TEST(StandardLimits, StandardOnTheForegroundAndTheBackground) {
    TAreaGeometry g = defaults();
    g.FrontVolume = 4000;  // 80 x 50 cells
    g.BackVolume = 50;
    g.BackMinVolume = g.BackMaxVolume = 3;
    ApplyStandardFrontLimits(g);
    ApplyStandardBackLimits(g);
    EXPECT_EQ(g.FrontMaxVolume, 6480) << "capped, not 10000";
    EXPECT_EQ(g.FrontMinVolume, 1199);
    EXPECT_EQ(g.BackMinVolume, 14);
    EXPECT_EQ(g.BackMaxVolume, 125);
}

TEST(Conversions, CellsToPixelsTruncateAndPixelsToCellsRound) {
    EXPECT_EQ(CellRectToPixels({13, 30, 10, 20}), (TPixelRect{104, 225, 80, 150}));
    EXPECT_EQ(CellRectToPixels({50, 8, 5, 10}), (TPixelRect{400, 60, 40, 75}));
    EXPECT_EQ(CellRectToPixels({0, 1, 1, 3}), (TPixelRect{0, 7, 8, 22}));  // 7.5 and 22.5 truncated
    // Rounded: 3 pixels are 0 columns, 4 pixels a whole one; 3.74 / 3.75 pixels for a row.
    EXPECT_EQ(PixelRectToCells({3, 3, 4, 4}), (TCellRect{0, 0, 1, 1}));
    EXPECT_EQ(PixelRectToCells({11, 11, 3, 3}), (TCellRect{1, 1, 0, 0}));
    EXPECT_EQ(PixelRectToCells({104, 225, 80, 150}), (TCellRect{13, 30, 10, 20}));
    // Any coordinate is safe.
    const int32_t big = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(PixelRectToCells({big, big, big, big}).width, 268435456);
    EXPECT_EQ(CellRectToPixels({big, big, big, big}).left, big);
    EXPECT_EQ(Volume(big, big), big);
    EXPECT_EQ(Volume(-90, 72), -6480);
}

TEST(BackgroundFit, TheBackgroundKeepsItsAreaAndTakesTheForegroundsProportions) {
    struct Case {
        const char* name;
        TPixelRect front, back;
        TCellRect fitted;
    };
    const Case cases[] = {
        // 3000 square pixels at 80 : 150 give w = 40, h = 75.5: 5 x 10 cells.
        {"80 x 150 over 40 x 75", {104, 225, 80, 150}, {400, 60, 40, 75}, {50, 8, 5, 10}},
        // A wide foreground turns a tall background wide: A = 2400, r = 4, w = 97.98, h = 24.99.
        {"wide foreground", {0, 0, 160, 40}, {200, 100, 40, 60}, {25, 13, 12, 3}},
        {"position is rounded", {0, 0, 80, 80}, {403, 64, 40, 40}, {50, 9, 5, 5}},
        {"background without area", {0, 0, 80, 150}, {400, 60, 0, 75}, {50, 8, 0, 0}},
        {"foreground without area keeps the background", {0, 0, 80, 0}, {400, 60, 40, 75}, {50, 8, 5, 10}},
    };
    for (const Case& c : cases) EXPECT_EQ(FitBackground(c.front, c.back), c.fitted) << c.name;
}

TEST(HandleRelease, ForegroundStoresItsRectangleAndFitsTheBackground) {
    TAreaGeometry g = defaults();
    ASSERT_TRUE(StoreFrontRectangle(g, {160, 150, 80, 150}, {400, 60, 40, 75}));
    EXPECT_EQ((TCellRect{g.FrontLeft, g.FrontTop, g.FrontWidth, g.FrontHeight}), (TCellRect{20, 20, 10, 20}));
    EXPECT_EQ(g.FrontVolume, 200);
    EXPECT_EQ(g.FrontMinVolume, 59) << "limits inside the new volume stay";
    EXPECT_EQ(g.FrontMaxVolume, 500);
    EXPECT_EQ((TCellRect{g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight}), (TCellRect{50, 8, 5, 10}));
    EXPECT_EQ(g.BackVolume, 50);

    // Shrunk below its minimum, the minimum drops to 1; grown over its maximum, the maximum follows.
    ASSERT_TRUE(StoreFrontRectangle(g, {0, 0, 32, 30}, {400, 60, 40, 75}));
    EXPECT_EQ(g.FrontVolume, 16);
    EXPECT_EQ(g.FrontMinVolume, 1);
    EXPECT_EQ(g.FrontMaxVolume, 500);
    ASSERT_TRUE(StoreFrontRectangle(g, {0, 0, 320, 300}, {400, 60, 40, 75}));
    EXPECT_EQ(g.FrontVolume, 1600);
    EXPECT_EQ(g.FrontMaxVolume, 1600);
    // The maximum equal to the volume is also "not above it".
    g.FrontMaxVolume = 1600;
    ASSERT_TRUE(StoreFrontRectangle(g, {0, 0, 320, 300}, {400, 60, 40, 75}));
    EXPECT_EQ(g.FrontMaxVolume, 1600);
}

TEST(HandleRelease, ObjectSegmentBelowItsMinimumTakesTheVolumeAsMinimum) {
    TAreaGeometry g = defaults();
    ASSERT_TRUE(StoreObjectSegment(g, {0, 0, 32, 30}));  // 4 x 4 cells
    EXPECT_EQ(g.FrontVolume, 16);
    EXPECT_EQ(g.FrontMinVolume, 16) << "not 1 as in perspective mode";
    EXPECT_EQ(g.FrontMaxVolume, 500);
    ASSERT_TRUE(StoreObjectSegment(g, {0, 0, 400, 300}));
    EXPECT_EQ(g.FrontVolume, 2000);
    EXPECT_EQ(g.FrontMaxVolume, 2000);
    EXPECT_EQ(g.FrontMinVolume, 16);
    EXPECT_EQ(g.BackWidth, 5) << "the background is not touched in object mode";
}

TEST(HandleRelease, BackgroundKeepsItsNewAreaAtTheForegroundsProportions) {
    TAreaGeometry g = defaults();
    // Foreground 80 x 150 pixels; the background dragged to 60 x 60 (3600 px): w 43.8, h 82.7.
    ASSERT_TRUE(StoreBackRectangle(g, {104, 225, 80, 150}, {300, 90, 60, 60}));
    EXPECT_EQ((TCellRect{g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight}), (TCellRect{38, 12, 5, 11}));
    EXPECT_EQ(g.BackVolume, 55);
    EXPECT_EQ(g.BackMinVolume, 14);
    EXPECT_EQ(g.BackMaxVolume, 125);
    ASSERT_TRUE(StoreBackRectangle(g, {104, 225, 80, 150}, {300, 90, 8, 8}));
    EXPECT_EQ(g.BackVolume, 2);
    EXPECT_EQ(g.BackMinVolume, 1);
    ASSERT_TRUE(StoreBackRectangle(g, {104, 225, 80, 150}, {0, 0, 400, 400}));
    EXPECT_EQ(g.BackMaxVolume, g.BackVolume);
}

TEST(HandleRelease, AShapeWithoutWidthOrHeightIsDiscarded) {
    const TPixelRect degenerate[] = {{10, 10, 0, 40}, {10, 10, 40, 0}, {10, 10, -8, 40}, {10, 10, 40, -1}};
    for (const TPixelRect& shape : degenerate) {
        TAreaGeometry g = defaults();
        const TAreaGeometry before = g;
        EXPECT_FALSE(StoreFrontRectangle(g, shape, {400, 60, 40, 75}));
        EXPECT_FALSE(StoreBackRectangle(g, {104, 225, 80, 150}, shape));
        EXPECT_FALSE(StoreObjectSegment(g, shape));
        EXPECT_EQ(std::memcmp(&g, &before, sizeof g), 0);
    }
}

TEST(FaderLimits, RangesPercentagesAndTheCellFaders) {
    EXPECT_EQ(MaxVolumeRange(200, 6480), (TFaderRange{200, 6480}));
    EXPECT_EQ(MinVolumeRange(200), (TFaderRange{20, 200}));
    EXPECT_EQ(MinVolumeRange(7), (TFaderRange{0, 7}));
    EXPECT_EQ(LimitPercent(500, 200), 250);
    EXPECT_EQ(LimitPercent(59, 200), 29);
    EXPECT_EQ(LimitPercent(5, 0), std::nullopt) << "a segment of 0 cells has no percentage";
    EXPECT_EQ(LimitPercent(std::numeric_limits<int32_t>::max(), 1), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(CellFaderMaximum(6480), 6480);
    EXPECT_EQ(CellFaderMaximum(0), 1) << "an area without cells";
}

TEST(CellLimits, MinAndMaxFollowEachOther) {
    struct Case {
        int32_t min, max, maxAfterMin, minAfterMax;
    };
    const Case cases[] = {
        {10, 50, 50, 10},  // in order: nothing moves
        {60, 50, 60, 50},  // crossed: Min. pushes Max. up, Max. pulls Min. down
        {1, 0, 1, 1},      // a minimum of 1 stays when Max. goes below it (an area without cells)
        {50, 50, 50, 50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MaxCellsAfterMinMoved(c.min, c.max), c.maxAfterMin) << c.min << " " << c.max;
        EXPECT_EQ(MinCellsAfterMaxMoved(c.min, c.max), c.minAfterMax) << c.min << " " << c.max;
    }
}

}  // namespace
