// Cell-grid arithmetic and the drawing tools of the area editor. Plain C++, no Qt.
//
// The camera picture is 720 x 540 pixels, divided into 90 columns by 72 rows of detection
// cells, each 8.0 pixels wide and 7.5 pixels high. Every conversion between pixels and cells
// uses floating-point arithmetic with these two constants and truncates toward zero when the
// result is stored as an integer; "rounded" means truncate(x + 0.5). Conversions saturate at
// the int32 range instead of overflowing, so any mouse coordinate is safe to pass in.
//
// The editor window keeps its own state (tool, selection buttons, timers) and calls these
// functions with what they need; the functions that change cells work on the current area of
// the store (CurrentTimeZone, CurrentCamera, CurrentArea) and never touch anything outside
// the four grids of that camera. With a selection outside 0..3 they change nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "editor/polygon_fill.h"
#include "setup/records.h"
#include "setup/setup_store.h"

namespace zep4 {

constexpr double kCellWidth = 8.0;
constexpr double kCellHeight = 7.5;

// A set of cells, one byte per cell (non-zero = in the set), in the grid's own layout.
using TCellMask = TCellGrid;

struct TCellPos {
    int column = 0;  // 0..89
    int row = 0;     // 0..71
    bool operator==(const TCellPos&) const = default;
};

// ---------------------------------------------------------------------------------------------
// Cell geometry

// trunc(v) as an int32; values beyond the int32 range saturate, NaN gives 0.
int32_t TruncToInt(double v);
// truncate(v + 0.5), saturating like TruncToInt.
int32_t Rounded(double v);

// Pixel origin of a cell: x = trunc(8.0 * column), y = trunc(7.5 * row).
int32_t CellOriginX(int column);
int32_t CellOriginY(int row);
TPixelPoint CellOrigin(int column, int row);
// Sample point of a cell: x = trunc(8.0 * column + 4.0), y = trunc(7.5 * row + 3.75).
int32_t CellSampleX(int column);
int32_t CellSampleY(int row);
TPixelPoint CellSamplePoint(int column, int row);

// Column trunc(x / 8.0) and row trunc(y / 7.5), not limited to the grid. Truncation is toward
// zero, so pixels -7..-1 give column 0; callers that need "outside" use CellAtPixel.
int32_t PixelToColumn(int32_t x);
int32_t PixelToRow(int32_t y);
bool InGrid(int column, int row);
// The cell under a picture pixel, or nothing when the pixel lies outside the 720 x 540 picture.
std::optional<TCellPos> CellAtPixel(int32_t x, int32_t y);
// The cell under a pixel, with column and row limited to 0..89 and 0..71.
TCellPos ClampedCellAtPixel(int32_t x, int32_t y);

// Sizes and positions between cells and pixels as the shapes of the editor use them:
// cells to pixels trunc(cells * 8.0) / trunc(cells * 7.5); pixels to cells rounded,
// trunc(pixels / 8.0 + 0.5) / trunc(pixels / 7.5 + 0.5).
int32_t ColumnsToPixels(int32_t columns);
int32_t RowsToPixels(int32_t rows);
int32_t PixelsToColumnsRounded(int32_t pixels);
int32_t PixelsToRowsRounded(int32_t pixels);

// Snapping of a pointer position to cell corners, as the rectangle tool uses it:
// left/top = the origin of the cell under the pointer, trunc(trunc(x / 8.0) * 8.0) and
// trunc(trunc(y / 7.5) * 7.5); right/bottom = the far corner of the cell under the pointer,
// trunc(trunc(x / 8.0 + 1) * 8.0) and trunc(trunc(y / 7.5 + 1) * 7.5).
int32_t SnapToCellLeft(int32_t x);
int32_t SnapToCellTop(int32_t y);
int32_t SnapToCellRight(int32_t x);
int32_t SnapToCellBottom(int32_t y);

// ---------------------------------------------------------------------------------------------
// Cells of the current area

// True when the selection names a record and an area (each index 0..3).
bool ValidSelection(const TSetupStore& store);
// The area being edited, or nullptr when the selection is out of range.
TAreaSetup* CurrentAreaOrNull(TSetupStore& store);
const TAreaSetup* CurrentAreaOrNull(const TSetupStore& store);

// True when cell (column, row) is set (any non-zero byte) in one of the other three areas of
// CurrentCamera in CurrentTimeZone. False for a cell outside the grid and for a selection out
// of range.
bool AreaTakenElsewhere(const TSetupStore& store, int column, int row);

// Number of set (non-zero) cells of a grid.
int32_t CountSetCells(const TCellGrid& grid);

// CellCount of the current area := its number of set cells. Returns the count (0 and no change
// with a selection out of range). The mouse-up of the rectangle tool and every paint of the
// overlay recount this way, also while RefreshEditor itself is skipped.
int32_t RecountCellCount(TSetupStore& store);

// The counting and clamping step of RefreshEditor: recount CellCount of the current area, then
// MaxCells := CellCount when CellCount < MaxCells, then MinCells := MaxCells when
// MaxCells < MinCells. The window calls it from RefreshEditor unless RefreshEditor stops early
// (picture transfer running or a drawing tool down).
void RefreshAreaCounts(TSetupStore& store);

// Writes drawValue (0 erase, any other value draws 1) into every cell of the current area that
// `covered` holds. Drawing leaves a cell that another area of the camera holds
// (AreaTakenElsewhere); erasing clears cells of the current area only. Recounts CellCount.
// Returns the number of cells whose byte changed.
int32_t ApplyCells(TSetupStore& store, const TCellMask& covered, uint8_t drawValue);

// "Set all fields of the area", after the user confirmed: CellCount and MaxCells := 0, then every
// cell that no other area holds is set and counted in both. Returns the new CellCount.
int32_t SetAllCells(TSetupStore& store);

// "Delete current area", after the user confirmed: clears all 6480 cells of the current area
// and sets CellCount to 0. MaxCells and MinCells follow at the next RefreshAreaCounts.
void DeleteCurrentArea(TSetupStore& store);

// ---------------------------------------------------------------------------------------------
// Rectangle tool

// The rectangle of the rectangle tool in pixels, all four bounds inclusive.
struct TDragRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const TDragRect&) const = default;
};

// The cells whose pixel origin (trunc(8.0 i), trunc(7.5 j)) lies inside `rect`, all bounds
// inclusive. Only cells of the grid are visited, so any rectangle is safe.
TCellMask RectangleCells(const TDragRect& rect);

// ApplyCells with RectangleCells(rect).
int32_t ApplyRectangle(TSetupStore& store, const TDragRect& rect, uint8_t drawValue);

// One press-drag-release of the rectangle tool. The window forwards the picture's mouse events:
//   down(x, y, v)  on mouse down with the rectangle tool; v = 0 with the right button (erase),
//                  1 with the left button (draw). Left/top := the origin of the cell under the
//                  pointer; right/bottom := its far corner (the rubber band of a click).
//   move(x, y)     on mouse move while a button is held: right/bottom := the far corner of the
//                  cell under the pointer (for the rubber band, rect()).
//   up(x, y)       on mouse up: right/bottom := the origin of the cell under the pointer; then a
//                  drag leftward (left > right) becomes left := right, right := old left - 4,
//                  and upward (top > bottom) top := bottom, bottom := old top - 3, so that the
//                  column or row where the drag began is not included. Returns the final
//                  rectangle for ApplyRectangle, or nothing when no gesture was in progress
//                  (never pressed, or cancelled).
//   cancel()       on Esc: the gesture in progress is dropped; moves are ignored and the next
//                  up() returns nothing.
class TRectangleGesture {
public:
    void down(int32_t x, int32_t y, uint8_t drawValue);
    void move(int32_t x, int32_t y);
    std::optional<TDragRect> up(int32_t x, int32_t y);
    void cancel();

    bool active() const { return active_; }
    uint8_t drawValue() const { return drawValue_; }
    const TDragRect& rect() const { return rect_; }

private:
    TDragRect rect_{};
    uint8_t drawValue_ = 1;
    bool active_ = false;
};

// ---------------------------------------------------------------------------------------------
// Polygon tool

// The cells whose sample point lies in the polygon's mask (FillPolygonMask: even-odd fill plus
// the 1-pixel outline). The picture plays no part. Fewer than two vertices cover nothing.
TCellMask PolygonCells(std::span<const TPixelPoint> vertices);

// ApplyCells with PolygonCells(vertices); with fewer than two vertices nothing changes (0).
int32_t ApplyPolygon(TSetupStore& store, std::span<const TPixelPoint> vertices, uint8_t drawValue);

// A polygon ready to be written: its vertices in click order (the ring closes from the last
// vertex back to the first) and the value chosen at its first vertex.
struct TPolygonShape {
    std::vector<TPixelPoint> vertices;
    uint8_t drawValue = 1;
};

// The polygon being collected. 50 slots: slots 0..pointCount()-1 are the vertices clicked,
// slot pointCount() is the live pointer position (the end of the rubber band). At most 49
// vertices: a 50th and later click lands in the last slot, which the pointer and closing
// overwrite, so only the first 49 clicks become vertices.
//   click(x, y, v)  on mouse down with the polygon tool; v is taken at the first vertex only
//                   (0 right button, 1 left button). Returns true for the first vertex. The
//                   window (re)starts the hold timer.
//   pointer(x, y)   on every mouse move while vertices exist, button held or not.
//   close()         when the hold timer fires: with two or more vertices returns the polygon
//                   and goes back to idle; with fewer the request is dropped (nothing returned,
//                   the vertex stays and collecting goes on).
//   reset()         Esc, or the tool switched on again or changed: back to idle, nothing written.
class TPolygonGesture {
public:
    static constexpr int kSlots = 50;
    static constexpr int kMaxVertices = kSlots - 1;

    bool click(int32_t x, int32_t y, uint8_t drawValue);
    void pointer(int32_t x, int32_t y);
    std::optional<TPolygonShape> close();
    void reset();

    int pointCount() const { return count_; }
    bool collecting() const { return count_ > 0; }
    uint8_t drawValue() const { return drawValue_; }
    std::span<const TPixelPoint> vertices() const { return {points_.data(), size_t(count_)}; }
    // The open polyline the window paints: vertices and the live pointer (empty while idle).
    std::span<const TPixelPoint> rubberBand() const {
        return count_ > 0 ? std::span<const TPixelPoint>(points_.data(), size_t(count_) + 1)
                          : std::span<const TPixelPoint>();
    }

private:
    std::array<TPixelPoint, kSlots> points_{};
    int count_ = 0;
    uint8_t drawValue_ = 1;
};

}  // namespace zep4
