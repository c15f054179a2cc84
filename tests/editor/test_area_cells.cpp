// Whole-area operations and the cell counts: "Set all fields of the area" next to other areas,
// "Delete current area" and the clamps of the following refresh, AreaTakenElsewhere, and a
// selection out of range.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "editor_fixture.h"

using namespace zep4;
using namespace zep4::test;

namespace {

class AreaCells : public EditorStore {};

TEST_F(AreaCells, SetAllOnAFullArea0SetsNothingInArea1) {
    select(2, 1, 1);
    setCells(area(2, 1, 0), Block(0, 89, 0, 71));
    EXPECT_EQ(SetAllCells(store), 0);
    EXPECT_TRUE(SetCellsOf(current().Cells).empty());
    EXPECT_EQ(current().CellCount, 0);
    EXPECT_EQ(current().MaxCells, 0);
}

TEST_F(AreaCells, SetAllTakesEveryCellNoOtherAreaHolds) {
    select(2, 1, 1);
    setCells(area(2, 1, 0), Block(0, 9, 0, 71));    // 720 cells
    setCells(area(2, 1, 2), Block(80, 89, 0, 9));   // 100 cells
    setCells(area(2, 1, 3), Block(40, 40, 40, 40), 2);  // any non-zero byte holds a cell
    setCells(current(), Block(20, 29, 20, 29));     // already set: set again and counted
    current().CellCount = 3;
    current().MaxCells = 17;
    setCells(area(2, 2, 0), Block(0, 89, 0, 71));   // another camera: no effect
    setCells(area(1, 1, 0), Block(0, 89, 0, 71));   // another time zone: no effect

    EXPECT_EQ(SetAllCells(store), 6480 - 720 - 100 - 1);
    EXPECT_EQ(current().CellCount, 6480 - 821);
    EXPECT_EQ(current().MaxCells, 6480 - 821);
    for (const auto& [c, r] : SetCellsOf(current().Cells)) {
        EXPECT_FALSE(AreaTakenElsewhere(store, c, r)) << c << "," << r;
        EXPECT_EQ(current().Cells.at(r, c), 1);
    }
    EXPECT_EQ(CountSetCells(area(2, 1, 0).Cells), 720);
    EXPECT_EQ(CountSetCells(area(2, 1, 2).Cells), 100);
}

TEST_F(AreaCells, DeleteThenRefreshClampsMaxAndMin) {
    select(0, 3, 2);
    setCells(current(), Block(0, 19, 0, 9));
    current().CellCount = 200;
    current().MaxCells = 150;
    current().MinCells = 10;
    setCells(area(0, 3, 1), Block(50, 59, 50, 59));

    DeleteCurrentArea(store);
    EXPECT_TRUE(SetCellsOf(current().Cells).empty());
    EXPECT_EQ(current().CellCount, 0);
    EXPECT_EQ(current().MaxCells, 150);  // until the next refresh
    RefreshAreaCounts(store);
    EXPECT_EQ(current().MaxCells, 0);
    EXPECT_EQ(current().MinCells, 0);
    EXPECT_EQ(CountSetCells(area(0, 3, 1).Cells), 100);
}

TEST_F(AreaCells, RefreshRecountsAndClamps) {
    struct Case {
        int cells;  // set cells in the grid (the stored CellCount is stale)
        int32_t max, min;
        int32_t count, maxAfter, minAfter;
    };
    const Case cases[] = {
        {50, 80, 60, 50, 50, 50},  // max above the count, then min above max
        {50, 80, 10, 50, 50, 10},  // only max
        {50, 30, 40, 50, 30, 30},  // only min
        {50, 30, 10, 50, 30, 10},  // nothing to clamp
        {50, 50, 50, 50, 50, 50},  // equal values stay
        {0, 6480, 1, 0, 0, 0},     // empty area
        {6480, 6480, 1, 6480, 6480, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cells << " cells, max " << c.max << ", min " << c.min);
        select(1, 0, 3);
        std::memset(current().Cells.Cell, 0, sizeof current().Cells.Cell);
        std::memset(current().Cells.Cell, 1, size_t(c.cells));
        current().CellCount = 1234;
        current().MaxCells = c.max;
        current().MinCells = c.min;
        RefreshAreaCounts(store);
        EXPECT_EQ(current().CellCount, c.count);
        EXPECT_EQ(current().MaxCells, c.maxAfter);
        EXPECT_EQ(current().MinCells, c.minAfter);
    }
}

TEST_F(AreaCells, AreaTakenElsewhere) {
    select(1, 2, 1);
    area(1, 2, 0).Cells.at(5, 10) = 1;  // another area of this camera and time zone
    area(1, 2, 3).Cells.at(6, 10) = 2;  // non-zero counts as set
    current().Cells.at(7, 10) = 1;      // the current area itself
    area(1, 3, 0).Cells.at(8, 10) = 1;  // another camera
    area(0, 2, 0).Cells.at(9, 10) = 1;  // another time zone
    area(1, 2, 2).Cells.at(71, 89) = 1; // last cell of the grid

    struct Case {
        int column, row;
        bool taken;
    };
    const Case cases[] = {
        {10, 5, true}, {10, 6, true}, {10, 7, false}, {10, 8, false}, {10, 9, false},
        {89, 71, true}, {0, 0, false}, {-1, 0, false}, {90, 0, false}, {0, 72, false}, {0, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.column << "," << c.row);
        EXPECT_EQ(AreaTakenElsewhere(store, c.column, c.row), c.taken);
    }
    // From area 0's point of view its own cell is not taken, area 1's is.
    select(1, 2, 0);
    EXPECT_FALSE(AreaTakenElsewhere(store, 10, 5));
    EXPECT_TRUE(AreaTakenElsewhere(store, 10, 7));
}

TEST_F(AreaCells, SelectionOutOfRangeChangesNothing) {
    // Every grid holds cells and odd counts, so that any write would show.
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam)
            for (int a = 0; a < kAreas; ++a) {
                setCells(area(tz, cam, a), Block(a * 20, a * 20 + 9, 0, 9));
                area(tz, cam, a).CellCount = 7;
                area(tz, cam, a).MaxCells = 9;
                area(tz, cam, a).MinCells = 11;
            }
    std::vector<uint8_t> before(sizeof store.TimeZoneBlocks);
    std::memcpy(before.data(), &store.TimeZoneBlocks, before.size());

    TCellMask all{};
    std::memset(all.Cell, 1, sizeof all.Cell);
    const TPixelPoint square[] = {{0, 0}, {719, 0}, {719, 539}, {0, 539}};
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"ApplyCells draw", [&] { EXPECT_EQ(ApplyCells(store, all, 1), 0); }},
        {"ApplyCells erase", [&] { EXPECT_EQ(ApplyCells(store, all, 0), 0); }},
        {"ApplyRectangle", [&] { EXPECT_EQ(ApplyRectangle(store, {0, 0, 720, 540}, 1), 0); }},
        {"ApplyPolygon", [&] { EXPECT_EQ(ApplyPolygon(store, square, 0), 0); }},
        {"SetAllCells", [&] { EXPECT_EQ(SetAllCells(store), 0); }},
        {"DeleteCurrentArea", [&] { DeleteCurrentArea(store); }},
        {"RefreshAreaCounts", [&] { RefreshAreaCounts(store); }},
        {"RecountCellCount", [&] { EXPECT_EQ(RecountCellCount(store), 0); }},
        {"AreaTakenElsewhere", [&] { EXPECT_FALSE(AreaTakenElsewhere(store, 0, 0)); }},
    };
    const int selections[][3] = {
        {4, 0, 0}, {-1, 0, 0}, {0, 4, 0}, {0, -1, 0}, {0, 0, 4}, {0, 0, -1}, {1 << 30, 1 << 30, 1 << 30},
    };
    for (const auto& s : selections) {
        select(s[0], s[1], s[2]);
        EXPECT_FALSE(ValidSelection(store));
        EXPECT_EQ(CurrentAreaOrNull(store), nullptr);
        for (const auto& [name, operation] : operations) {
            SCOPED_TRACE(testing::Message() << name << " with time zone " << s[0] << ", camera " << s[1]
                                            << ", area " << s[2]);
            operation();
            EXPECT_EQ(std::memcmp(before.data(), &store.TimeZoneBlocks, before.size()), 0);
        }
    }
}

}  // namespace
