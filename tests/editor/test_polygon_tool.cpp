// The polygon tool: membership decided by the polygon's own mask at the cells' sample points,
// the even-odd fill, erasing inside the polygon only, the 49-vertex limit, and closing.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "editor_fixture.h"

using namespace zep4;
using namespace zep4::test;

namespace {

using Points = std::vector<TPixelPoint>;

// The cells whose sample point satisfies `inside`.
template <typename F>
CellSet CellsWhere(F inside) {
    CellSet s;
    for (int c = 0; c < kCellColumns; ++c)
        for (int r = 0; r < kCellRows; ++r)
            if (inside(CellSampleX(c), CellSampleY(r))) s.insert({c, r});
    return s;
}

// Square x 80..160, y 75..150: sample points 84..156 (columns 10..19) and 78..146 (rows 10..19).
const Points kSquare = {{80, 75}, {160, 75}, {160, 150}, {80, 150}};

TEST(PolygonCells, Shapes) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    struct Case {
        const char* name;
        Points vertices;
        CellSet cells;
    };
    const Case cases[] = {
        {"square", kSquare, Block(10, 19, 10, 19)},
        {"square clicked the other way round", {{80, 150}, {160, 150}, {160, 75}, {80, 75}}, Block(10, 19, 10, 19)},
        {"square with its first vertex repeated at the end", {{80, 75}, {160, 75}, {160, 150}, {80, 150}, {80, 75}},
         Block(10, 19, 10, 19)},
        // The edges pass exactly through sample points: the pen covers them.
        {"square through sample points", {{84, 78}, {156, 78}, {156, 146}, {84, 146}}, Block(10, 19, 10, 19)},
        {"square just inside sample points", {{85, 79}, {155, 79}, {155, 145}, {85, 145}}, Block(11, 18, 11, 18)},
        // The hypotenuse x + y = 400 is a diagonal the pen draws through every point on it.
        {"right triangle", {{0, 0}, {400, 0}, {0, 400}}, CellsWhere([](int x, int y) { return x + y <= 400; })},
        {"two vertices: the pen's line", {{4, 3}, {716, 3}}, Block(0, 89, 0, 0)},
        {"two vertices, vertical", {{84, 0}, {84, 539}}, Block(10, 10, 0, 71)},
        {"all vertices on one point", {{84, 78}, {84, 78}, {84, 78}}, Block(10, 10, 10, 10)},
        {"far beyond the picture", {{-1000000000, -1000000000}, {1000000000, -1000000000}, {1000000000, 1000000000},
                                    {-1000000000, 1000000000}}, Block(0, 89, 0, 71)},
        {"int32 extremes", {{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}}, Block(0, 89, 0, 71)},
        {"wholly outside", {{800, 600}, {900, 600}, {900, 700}}, {}},
        {"one vertex", {{84, 78}}, {}},
        {"none", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(SameCells(SetCellsOf(PolygonCells(c.vertices)), c.cells));
    }
}

TEST(PolygonCells, EvenOddLeavesTheCentreOfAStarOut) {
    // A pentagram around (360, 270): the inner pentagon is crossed twice and stays out.
    const Points star = {{360, 70}, {478, 432}, {170, 208}, {550, 208}, {242, 432}};
    const CellSet cells = SetCellsOf(PolygonCells(star));
    EXPECT_FALSE(cells.count({44, 35})) << "centre (356, 266)";
    EXPECT_TRUE(cells.count({44, 13})) << "top spike (356, 101)";
    EXPECT_TRUE(cells.count({25, 28})) << "left spike (204, 213)";
    EXPECT_FALSE(cells.count({25, 27})) << "above the left spike (204, 206)";
}

// Area 1 of camera 0 is full, area 0 holds a block; the picture under the overlay is never an
// input, so the same cells result whatever it shows (an all-black default picture included).
class PolygonWrite : public EditorStore {
protected:
    void SetUp() override {
        select(0, 0, 1);
        setCells(current(), Block(0, 89, 0, 71));
        current().CellCount = 6480;
    }
};

TEST_F(PolygonWrite, EraseClearsOnlyCellsInsideThePolygon) {
    ApplyPolygon(store, kSquare, 0);
    CellSet expected = Block(0, 89, 0, 71);
    for (const auto& cell : Block(10, 19, 10, 19)) expected.erase(cell);
    EXPECT_TRUE(SameCells(SetCellsOf(current().Cells), expected));
    EXPECT_EQ(current().CellCount, 6480 - 100);
}

TEST_F(PolygonWrite, DrawLeavesCellsOfOtherAreas) {
    setCells(current(), Block(0, 89, 0, 71), 0);
    setCells(area(0, 0, 0), Block(15, 30, 15, 30));
    ApplyPolygon(store, kSquare, 1);
    CellSet expected = Block(10, 19, 10, 19);
    for (const auto& cell : Block(15, 30, 15, 30)) expected.erase(cell);
    EXPECT_TRUE(SameCells(SetCellsOf(current().Cells), expected));
    EXPECT_TRUE(SameCells(SetCellsOf(area(0, 0, 0).Cells), Block(15, 30, 15, 30)));
}

TEST_F(PolygonWrite, FewerThanTwoVerticesChangeNothing) {
    const Points one = {{84, 78}};
    EXPECT_EQ(ApplyPolygon(store, one, 0), 0);
    EXPECT_EQ(ApplyPolygon(store, Points{}, 0), 0);
    EXPECT_EQ(CountSetCells(current().Cells), 6480);
}

// --- the gesture ---------------------------------------------------------------------------

void ClickAll(TPolygonGesture& g, const Points& clicks, uint8_t firstValue = 1) {
    for (size_t k = 0; k < clicks.size(); ++k) g.click(clicks[k].x, clicks[k].y, k == 0 ? firstValue : 1);
}

// `count` clicks: kSquare's corners with points on its top edge up to 49 clicks, then clicks far
// away at (700, 530), in cell (87, 70).
Points SquareClicks(int count) {
    Points p = kSquare;
    for (int k = 1; int(p.size()) < std::min(count, 49); ++k) p.insert(p.begin() + 1, {160 - k, 75});
    while (int(p.size()) < count) p.push_back({700, 530});
    return p;
}

TEST(PolygonGesture, AtMost49ClicksBecomeVertices) {
    for (int clicks : {48, 49, 50, 51, 60, 200}) {
        SCOPED_TRACE(testing::Message() << clicks << " clicks");
        const Points p = SquareClicks(clicks);
        const int kept = std::min(clicks, 49);
        TPolygonGesture g;
        ClickAll(g, p);
        EXPECT_EQ(g.pointCount(), kept);
        EXPECT_EQ(g.rubberBand().size(), size_t(kept + 1));
        const auto shape = g.close();
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->vertices, Points(p.begin(), p.begin() + kept));
        // Clicks beyond the 49th never reach the polygon.
        EXPECT_TRUE(SameCells(SetCellsOf(PolygonCells(shape->vertices)), Block(10, 19, 10, 19)));
        EXPECT_FALSE(g.collecting());
    }
}

TEST(PolygonGesture, RubberBandEndsAtThePointer) {
    TPolygonGesture g;
    EXPECT_TRUE(g.rubberBand().empty());
    g.pointer(5, 5);  // ignored while idle
    EXPECT_TRUE(g.rubberBand().empty());
    EXPECT_TRUE(g.click(10, 20, 1));
    EXPECT_FALSE(g.click(30, 40, 1));
    g.pointer(50, 60);
    EXPECT_EQ(Points(g.rubberBand().begin(), g.rubberBand().end()), (Points{{10, 20}, {30, 40}, {50, 60}}));
}

TEST(PolygonGesture, FirstVertexChoosesDrawOrErase) {
    for (uint8_t first : {uint8_t{0}, uint8_t{1}}) {
        TPolygonGesture g;
        g.click(80, 75, first);
        g.click(160, 75, uint8_t(1 - first));  // later buttons do not change it
        g.click(160, 150, uint8_t(1 - first));
        const auto shape = g.close();
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->drawValue, first);
    }
}

TEST(PolygonGesture, CloseWithFewerThanTwoVerticesIsDropped) {
    TPolygonGesture g;
    EXPECT_EQ(g.close(), std::nullopt);  // nothing clicked
    g.click(100, 100, 0);
    EXPECT_EQ(g.close(), std::nullopt);  // held on the first vertex
    EXPECT_EQ(g.pointCount(), 1);        // collecting goes on
    g.click(200, 100, 1);
    const auto shape = g.close();
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->vertices, (Points{{100, 100}, {200, 100}}));
    EXPECT_EQ(shape->drawValue, 0);
}

TEST(PolygonGesture, ResetWritesNothingAndStartsAgain) {
    TPolygonGesture g;
    ClickAll(g, kSquare, 0);
    g.reset();
    EXPECT_FALSE(g.collecting());
    EXPECT_EQ(g.close(), std::nullopt);
    ClickAll(g, {{1, 1}, {2, 2}}, 1);
    const auto shape = g.close();
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->vertices, (Points{{1, 1}, {2, 2}}));
    EXPECT_EQ(shape->drawValue, 1);
}

}  // namespace
