// Cell geometry: origins and sample points of cells, pixel to cell conversions with truncation
// toward zero, the rounded conversions, and saturation for coordinates far outside the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/cell_tools.h"

using namespace zep4;

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct CellPoints {
    int column, row;
    TPixelPoint origin;  // trunc(8.0 i), trunc(7.5 j)
    TPixelPoint sample;  // trunc(8.0 i + 4.0), trunc(7.5 j + 3.75)
};

TEST(CellGeometry, OriginAndSamplePoint) {
    const CellPoints cases[] = {
        {0, 0, {0, 0}, {4, 3}},
        {1, 1, {8, 7}, {12, 11}},      // 7.5 -> 7, 11.25 -> 11
        {2, 2, {16, 15}, {20, 18}},    // 18.75 -> 18
        {3, 3, {24, 22}, {28, 26}},    // 22.5 -> 22, 26.25 -> 26
        {10, 5, {80, 37}, {84, 41}},   // 37.5 -> 37, 41.25 -> 41
        {89, 71, {712, 532}, {716, 536}},  // 532.5 -> 532, 536.25 -> 536
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.column << "," << c.row);
        EXPECT_EQ(CellOrigin(c.column, c.row), c.origin);
        EXPECT_EQ(CellSamplePoint(c.column, c.row), c.sample);
    }
}

TEST(CellGeometry, PixelToCellTruncatesTowardZero) {
    struct Case {
        int32_t pixel;
        int32_t column;  // trunc(pixel / 8.0)
        int32_t row;     // trunc(pixel / 7.5)
    };
    const Case cases[] = {
        {0, 0, 0},   {7, 0, 0},    {8, 1, 1},    {14, 1, 1},   {15, 1, 2},
        {719, 89, 95}, {720, 90, 96}, {539, 67, 71}, {540, 67, 72},
        {-1, 0, 0},  {-7, 0, 0},   {-8, -1, -1}, {-16, -2, -2},
        {kMax, 268435455, 286331152}, {kMin, -268435456, -286331153},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.pixel);
        EXPECT_EQ(PixelToColumn(c.pixel), c.column);
        EXPECT_EQ(PixelToRow(c.pixel), c.row);
    }
}

TEST(CellGeometry, CellAtPixelReportsPixelsOutsideThePicture) {
    EXPECT_EQ(CellAtPixel(0, 0), (TCellPos{0, 0}));
    EXPECT_EQ(CellAtPixel(85, 40), (TCellPos{10, 5}));
    EXPECT_EQ(CellAtPixel(719, 539), (TCellPos{89, 71}));
    // Truncation toward zero would put -1 in column 0; the pixel is still outside the picture.
    EXPECT_EQ(CellAtPixel(-1, 0), std::nullopt);
    EXPECT_EQ(CellAtPixel(0, -1), std::nullopt);
    EXPECT_EQ(CellAtPixel(720, 0), std::nullopt);
    EXPECT_EQ(CellAtPixel(0, 540), std::nullopt);
    EXPECT_EQ(CellAtPixel(kMin, kMax), std::nullopt);
}

TEST(CellGeometry, ClampedCellStaysInTheGrid) {
    EXPECT_EQ(ClampedCellAtPixel(-100, -100), (TCellPos{0, 0}));
    EXPECT_EQ(ClampedCellAtPixel(10000, 10000), (TCellPos{89, 71}));
    EXPECT_EQ(ClampedCellAtPixel(kMin, kMax), (TCellPos{0, 71}));
    EXPECT_EQ(ClampedCellAtPixel(kMax, kMin), (TCellPos{89, 0}));
    EXPECT_EQ(ClampedCellAtPixel(716, 536), (TCellPos{89, 71}));
}

TEST(CellGeometry, RoundedIsTruncationOfValuePlusHalf) {
    struct Case {
        double value;
        int32_t rounded;
    };
    const Case cases[] = {
        {2.5, 3}, {2.49, 2}, {0.0, 0}, {-0.4, 0}, {-0.6, 0}, {-1.6, -1}, {-2.5, -2},
        {1e12, kMax}, {-1e12, kMin}, {std::nan(""), 0}, {INFINITY, kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        EXPECT_EQ(Rounded(c.value), c.rounded);
    }
}

TEST(CellGeometry, CellsAndPixelsOfShapes) {
    // cells to pixels: trunc(n * 8.0), trunc(n * 7.5)
    EXPECT_EQ(ColumnsToPixels(13), 104);
    EXPECT_EQ(RowsToPixels(30), 225);
    EXPECT_EQ(RowsToPixels(5), 37);
    EXPECT_EQ(RowsToPixels(kMax), kMax);  // saturates
    // pixels to cells rounded: trunc(p / 8.0 + 0.5), trunc(p / 7.5 + 0.5)
    EXPECT_EQ(PixelsToColumnsRounded(3), 0);   // 0.875
    EXPECT_EQ(PixelsToColumnsRounded(4), 1);   // 1.0
    EXPECT_EQ(PixelsToColumnsRounded(11), 1);  // 1.875
    EXPECT_EQ(PixelsToColumnsRounded(12), 2);  // 2.0
    EXPECT_EQ(PixelsToRowsRounded(37), 5);     // 5.43
    EXPECT_EQ(PixelsToRowsRounded(41), 5);     // 5.97
    EXPECT_EQ(PixelsToRowsRounded(42), 6);     // 6.1
}

TEST(CellGeometry, SnappingToCellCorners) {
    struct Case {
        int32_t x, y;
        int32_t left, top, right, bottom;
    };
    const Case cases[] = {
        // left = trunc(trunc(x/8)*8), top = trunc(trunc(y/7.5)*7.5),
        // right = trunc(trunc(x/8+1)*8), bottom = trunc(trunc(y/7.5+1)*7.5)
        {85, 40, 80, 37, 88, 45},
        {0, 0, 0, 0, 8, 7},
        {719, 539, 712, 532, 720, 540},
        {-4, -4, 0, 0, 0, 0},       // -0.5 truncates to 0; -0.5 + 1 truncates to 0
        {-12, -12, -8, -7, 0, 0},
        {kMax, kMax, 2147483640, 2147483640, kMax, kMax},  // the far corner saturates
        {kMin, kMin, kMin, -2147483647, -2147483640, -2147483640},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.x << "," << c.y);
        EXPECT_EQ(SnapToCellLeft(c.x), c.left);
        EXPECT_EQ(SnapToCellTop(c.y), c.top);
        EXPECT_EQ(SnapToCellRight(c.x), c.right);
        EXPECT_EQ(SnapToCellBottom(c.y), c.bottom);
    }
}

}  // namespace
