// The rectangle tool: a press-drag-release snapped to cell corners, the leftward and upward drag
// rule, and writing the rectangle into the current area without taking cells of other areas.
#include <gtest/gtest.h>

#include <limits>

#include "editor_fixture.h"

using namespace zep4;
using namespace zep4::test;

namespace {

// A pixel inside cell (column, row), away from its edges.
TPixelPoint Inside(int column, int row) { return {CellOriginX(column) + 3, CellOriginY(row) + 3}; }

// One gesture: press in cell `from`, move through `to`, release in cell `to`.
TDragRect Drag(TCellPos from, TCellPos to, uint8_t value = 1) {
    TRectangleGesture g;
    const TPixelPoint a = Inside(from.column, from.row), b = Inside(to.column, to.row);
    g.down(a.x, a.y, value);
    g.move(b.x, b.y);
    const auto rect = g.up(b.x, b.y);
    EXPECT_TRUE(rect.has_value());
    return rect.value_or(TDragRect{});
}

CellSet CellsOf(const TCellMask& mask) { return SetCellsOf(mask); }

struct DragCase {
    const char* name;
    TCellPos from, to;
    CellSet cells;
};

TEST(RectangleTool, DragDirections) {
    const DragCase cases[] = {
        {"click without drag", {10, 5}, {10, 5}, Block(10, 10, 5, 5)},
        {"rightward 5 to 10", {5, 20}, {10, 20}, Block(5, 10, 20, 20)},
        {"leftward 10 to 5 leaves out the start column", {10, 20}, {5, 20}, Block(5, 9, 20, 20)},
        {"downward 5 to 10", {30, 5}, {30, 10}, Block(30, 30, 5, 10)},
        {"upward 10 to 5 leaves out the start row", {30, 10}, {30, 5}, Block(30, 30, 5, 9)},
        {"up and left", {40, 40}, {35, 30}, Block(35, 39, 30, 39)},
        {"down and right", {35, 30}, {40, 40}, Block(35, 40, 30, 40)},
        {"leftward by one column", {11, 3}, {10, 3}, Block(10, 10, 3, 3)},
        {"upward by one row", {2, 11}, {2, 10}, Block(2, 2, 10, 10)},
        // Rows are 7 or 8 pixels apart; both kinds of step keep the start row out.
        {"upward from an odd row", {0, 3}, {0, 1}, Block(0, 0, 1, 2)},
        {"upward from an even row", {0, 4}, {0, 2}, Block(0, 0, 2, 3)},
        {"whole grid", {0, 0}, {89, 71}, Block(0, 89, 0, 71)},
        {"whole grid dragged back", {89, 71}, {0, 0}, Block(0, 88, 0, 70)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(SameCells(CellsOf(RectangleCells(Drag(c.from, c.to))), c.cells));
    }
}

TEST(RectangleTool, ClickGivesEqualBoundsAfterRelease) {
    TRectangleGesture g;
    g.down(85, 40, 1);
    const auto rect = g.up(85, 40);
    ASSERT_TRUE(rect);
    EXPECT_EQ(*rect, (TDragRect{80, 37, 80, 37}));
}

TEST(RectangleTool, RubberBandFollowsTheFarCornerOfTheCellUnderThePointer) {
    TRectangleGesture g;
    g.down(85, 40, 1);  // cell (10, 5)
    EXPECT_EQ(g.rect(), (TDragRect{80, 37, 88, 45}));
    g.move(130, 100);  // cell (16, 13)
    EXPECT_EQ(g.rect(), (TDragRect{80, 37, 136, 105}));
}

TEST(RectangleTool, ReleaseOutsideThePictureStaysInTheGrid) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    struct Case {
        const char* name;
        TPixelPoint down, up;
        CellSet cells;
    };
    const Case cases[] = {
        {"beyond right and bottom", {84, 40}, {5000, 5000}, Block(10, 89, 5, 71)},
        {"beyond left and top", {84, 40}, {-50, -50}, Block(0, 9, 0, 4)},
        {"int32 extremes", {84, 40}, {kMax, kMax}, Block(10, 89, 5, 71)},
        {"int32 minimum", {84, 40}, {kMin, kMin}, Block(0, 9, 0, 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRectangleGesture g;
        g.down(c.down.x, c.down.y, 1);
        g.move(c.up.x, c.up.y);
        const auto rect = g.up(c.up.x, c.up.y);
        ASSERT_TRUE(rect);
        EXPECT_TRUE(SameCells(CellsOf(RectangleCells(*rect)), c.cells));
    }
}

TEST(RectangleTool, CancelDropsTheGesture) {
    TRectangleGesture g;
    g.down(10, 10, 1);
    g.cancel();
    g.move(300, 300);
    EXPECT_FALSE(g.active());
    EXPECT_EQ(g.up(300, 300), std::nullopt);
    // Without a press there is nothing to release either.
    EXPECT_EQ(TRectangleGesture{}.up(5, 5), std::nullopt);
}

TEST(RectangleTool, ButtonChoosesDrawOrErase) {
    TRectangleGesture g;
    g.down(0, 0, 0);
    EXPECT_EQ(g.drawValue(), 0);
    g.up(0, 0);
    g.down(0, 0, 7);  // any non-zero value draws, and cells only ever get 1
    EXPECT_EQ(g.drawValue(), 1);
}

// Writing a rectangle into camera 2, time zone 3, area 1, next to area 0 and area 3 of the same
// camera and an area of another camera that cover the same cells.
class RectangleWrite : public EditorStore {
protected:
    void SetUp() override {
        select(3, 2, 1);
        setCells(area(3, 2, 0), Block(0, 9, 0, 9));    // area 0: columns 0..9, rows 0..9
        setCells(area(3, 2, 3), Block(20, 29, 0, 9));  // area 3
        setCells(area(3, 1, 1), Block(0, 89, 0, 71));  // camera 1, same time zone: no effect
        setCells(area(0, 2, 0), Block(0, 89, 0, 71));  // time zone 0, same camera: no effect
        setCells(current(), Block(8, 12, 8, 12));      // area 1's own cells
    }
};

TEST_F(RectangleWrite, DrawingLeavesCellsOfOtherAreas) {
    const CellSet area0 = SetCellsOf(area(3, 2, 0).Cells), area3 = SetCellsOf(area(3, 2, 3).Cells);
    ApplyRectangle(store, Drag({5, 5}, {25, 15}), 1);

    CellSet expected = Block(8, 12, 8, 12);
    for (const auto& cell : Block(5, 25, 5, 15))
        if (!area0.count(cell) && !area3.count(cell)) expected.insert(cell);
    EXPECT_TRUE(SameCells(SetCellsOf(current().Cells), expected));
    EXPECT_EQ(current().CellCount, int32_t(expected.size()));
    EXPECT_TRUE(SameCells(SetCellsOf(area(3, 2, 0).Cells), area0));
    EXPECT_TRUE(SameCells(SetCellsOf(area(3, 2, 3).Cells), area3));
}

TEST_F(RectangleWrite, ErasingClearsOnlyTheCurrentArea) {
    const CellSet area0 = SetCellsOf(area(3, 2, 0).Cells), area3 = SetCellsOf(area(3, 2, 3).Cells);
    ApplyRectangle(store, Drag({0, 0}, {89, 71}, 0), 0);  // right button over everything

    EXPECT_TRUE(SetCellsOf(current().Cells).empty());
    EXPECT_EQ(current().CellCount, 0);
    EXPECT_TRUE(SameCells(SetCellsOf(area(3, 2, 0).Cells), area0));
    EXPECT_TRUE(SameCells(SetCellsOf(area(3, 2, 3).Cells), area3));
    EXPECT_EQ(CountSetCells(area(3, 1, 1).Cells), 6480);
}

TEST_F(RectangleWrite, ErasingPartOfTheAreaKeepsTheRest) {
    const int32_t changed = ApplyRectangle(store, Drag({10, 10}, {20, 20}, 0), 0);
    EXPECT_EQ(changed, 9);  // columns and rows 10..12 of area 1
    CellSet expected = Block(8, 12, 8, 12);
    for (const auto& cell : Block(10, 12, 10, 12)) expected.erase(cell);
    EXPECT_TRUE(SameCells(SetCellsOf(current().Cells), expected));
    EXPECT_EQ(current().CellCount, 16);
}

TEST_F(RectangleWrite, DrawnCellsHoldOne) {
    current().Cells.at(11, 11) = 5;  // a stray value from a file
    ApplyRectangle(store, Drag({11, 11}, {11, 11}), 9);
    EXPECT_EQ(current().Cells.at(11, 11), 1);
}

}  // namespace
