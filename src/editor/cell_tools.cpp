#include "editor/cell_tools.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace zep4 {

namespace {

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

int32_t saturate(int64_t v) {
    if (v < kIntMin) return kIntMin;
    if (v > kIntMax) return kIntMax;
    return static_cast<int32_t>(v);
}

bool validIndex(int32_t index) { return index >= 0 && index < 4; }

}  // namespace

// --- cell geometry ------------------------------------------------------------------------------

int32_t TruncToInt(double v) {
    if (std::isnan(v)) return 0;
    const double t = std::trunc(v);
    if (t <= double(kIntMin)) return kIntMin;
    if (t >= double(kIntMax)) return kIntMax;
    return static_cast<int32_t>(t);
}

int32_t Rounded(double v) { return TruncToInt(v + 0.5); }

int32_t CellOriginX(int column) { return TruncToInt(kCellWidth * column); }
int32_t CellOriginY(int row) { return TruncToInt(kCellHeight * row); }
TPixelPoint CellOrigin(int column, int row) { return {CellOriginX(column), CellOriginY(row)}; }
int32_t CellSampleX(int column) { return TruncToInt(kCellWidth * column + 4.0); }
int32_t CellSampleY(int row) { return TruncToInt(kCellHeight * row + 3.75); }
TPixelPoint CellSamplePoint(int column, int row) { return {CellSampleX(column), CellSampleY(row)}; }

int32_t PixelToColumn(int32_t x) { return TruncToInt(x / kCellWidth); }
int32_t PixelToRow(int32_t y) { return TruncToInt(y / kCellHeight); }

bool InGrid(int column, int row) {
    return column >= 0 && column < kCellColumns && row >= 0 && row < kCellRows;
}

std::optional<TCellPos> CellAtPixel(int32_t x, int32_t y) {
    if (x < 0 || x >= kPictureWidth || y < 0 || y >= kPictureHeight) return std::nullopt;
    return TCellPos{PixelToColumn(x), PixelToRow(y)};
}

TCellPos ClampedCellAtPixel(int32_t x, int32_t y) {
    return {std::clamp(PixelToColumn(x), 0, kCellColumns - 1), std::clamp(PixelToRow(y), 0, kCellRows - 1)};
}

int32_t ColumnsToPixels(int32_t columns) { return TruncToInt(columns * kCellWidth); }
int32_t RowsToPixels(int32_t rows) { return TruncToInt(rows * kCellHeight); }
int32_t PixelsToColumnsRounded(int32_t pixels) { return Rounded(pixels / kCellWidth); }
int32_t PixelsToRowsRounded(int32_t pixels) { return Rounded(pixels / kCellHeight); }

int32_t SnapToCellLeft(int32_t x) { return TruncToInt(std::trunc(x / kCellWidth) * kCellWidth); }
int32_t SnapToCellTop(int32_t y) { return TruncToInt(std::trunc(y / kCellHeight) * kCellHeight); }
int32_t SnapToCellRight(int32_t x) { return TruncToInt(std::trunc(x / kCellWidth + 1) * kCellWidth); }
int32_t SnapToCellBottom(int32_t y) { return TruncToInt(std::trunc(y / kCellHeight + 1) * kCellHeight); }

// --- cells of the current area ------------------------------------------------------------------

bool ValidSelection(const TSetupStore& store) {
    return validIndex(store.CurrentTimeZone) && validIndex(store.CurrentCamera) && validIndex(store.CurrentArea);
}

TAreaSetup* CurrentAreaOrNull(TSetupStore& store) {
    return ValidSelection(store) ? &store.currentArea() : nullptr;
}

const TAreaSetup* CurrentAreaOrNull(const TSetupStore& store) {
    if (!ValidSelection(store)) return nullptr;
    return &store.camera(store.CurrentTimeZone, store.CurrentCamera).Areas[store.CurrentArea];
}

bool AreaTakenElsewhere(const TSetupStore& store, int column, int row) {
    if (!ValidSelection(store) || !InGrid(column, row)) return false;
    const TCameraSetup& camera = store.camera(store.CurrentTimeZone, store.CurrentCamera);
    for (int area = 0; area < kAreas; ++area) {
        if (area == store.CurrentArea) continue;
        if (camera.Areas[area].Cells.at(row, column) != 0) return true;
    }
    return false;
}

int32_t CountSetCells(const TCellGrid& grid) {
    int32_t count = 0;
    for (uint8_t cell : grid.Cell) count += cell != 0 ? 1 : 0;
    return count;
}

int32_t RecountCellCount(TSetupStore& store) {
    TAreaSetup* area = CurrentAreaOrNull(store);
    if (!area) return 0;
    area->CellCount = CountSetCells(area->Cells);
    return area->CellCount;
}

void RefreshAreaCounts(TSetupStore& store) {
    TAreaSetup* area = CurrentAreaOrNull(store);
    if (!area) return;
    area->CellCount = CountSetCells(area->Cells);
    if (area->CellCount < area->MaxCells) area->MaxCells = area->CellCount;
    if (area->MaxCells < area->MinCells) area->MinCells = area->MaxCells;
}

int32_t ApplyCells(TSetupStore& store, const TCellMask& covered, uint8_t drawValue) {
    TAreaSetup* area = CurrentAreaOrNull(store);
    if (!area) return 0;
    const uint8_t value = drawValue != 0 ? 1 : 0;
    int32_t changed = 0;
    for (int column = 0; column < kCellColumns; ++column) {
        for (int row = 0; row < kCellRows; ++row) {
            if (covered.at(row, column) == 0) continue;
            if (value == 1 && AreaTakenElsewhere(store, column, row)) continue;
            uint8_t& cell = area->Cells.at(row, column);
            if (cell != value) ++changed;
            cell = value;
        }
    }
    area->CellCount = CountSetCells(area->Cells);
    return changed;
}

int32_t SetAllCells(TSetupStore& store) {
    TAreaSetup* area = CurrentAreaOrNull(store);
    if (!area) return 0;
    area->CellCount = 0;
    area->MaxCells = 0;
    for (int column = 0; column < kCellColumns; ++column) {
        for (int row = 0; row < kCellRows; ++row) {
            if (AreaTakenElsewhere(store, column, row)) continue;
            area->Cells.at(row, column) = 1;
            ++area->CellCount;
            ++area->MaxCells;
        }
    }
    return area->CellCount;
}

void DeleteCurrentArea(TSetupStore& store) {
    TAreaSetup* area = CurrentAreaOrNull(store);
    if (!area) return;
    std::memset(area->Cells.Cell, 0, sizeof area->Cells.Cell);
    area->CellCount = 0;
}

// --- rectangle tool -----------------------------------------------------------------------------

TCellMask RectangleCells(const TDragRect& rect) {
    TCellMask mask{};
    for (int column = 0; column < kCellColumns; ++column) {
        const int32_t x = CellOriginX(column);
        if (x < rect.left || x > rect.right) continue;
        for (int row = 0; row < kCellRows; ++row) {
            const int32_t y = CellOriginY(row);
            if (y >= rect.top && y <= rect.bottom) mask.at(row, column) = 1;
        }
    }
    return mask;
}

int32_t ApplyRectangle(TSetupStore& store, const TDragRect& rect, uint8_t drawValue) {
    return ApplyCells(store, RectangleCells(rect), drawValue);
}

void TRectangleGesture::down(int32_t x, int32_t y, uint8_t drawValue) {
    drawValue_ = drawValue != 0 ? 1 : 0;
    rect_.left = SnapToCellLeft(x);
    rect_.top = SnapToCellTop(y);
    // Until the first move the rubber band shows the cell under the pointer.
    rect_.right = SnapToCellRight(x);
    rect_.bottom = SnapToCellBottom(y);
    active_ = true;
}

void TRectangleGesture::move(int32_t x, int32_t y) {
    if (!active_) return;
    rect_.right = SnapToCellRight(x);
    rect_.bottom = SnapToCellBottom(y);
}

std::optional<TDragRect> TRectangleGesture::up(int32_t x, int32_t y) {
    if (!active_) return std::nullopt;
    active_ = false;
    rect_.right = SnapToCellLeft(x);
    rect_.bottom = SnapToCellTop(y);
    // Dragged leftward or upward: the column or row where the drag began is left out.
    if (rect_.left > rect_.right) {
        const int32_t oldLeft = rect_.left;
        rect_.left = rect_.right;
        rect_.right = saturate(int64_t(oldLeft) - 4);
    }
    if (rect_.top > rect_.bottom) {
        const int32_t oldTop = rect_.top;
        rect_.top = rect_.bottom;
        rect_.bottom = saturate(int64_t(oldTop) - 3);
    }
    return rect_;
}

void TRectangleGesture::cancel() { active_ = false; }

// --- polygon tool -------------------------------------------------------------------------------

TCellMask PolygonCells(std::span<const TPixelPoint> vertices) {
    TCellMask cells{};
    if (vertices.size() < 2) return cells;
    const TPixelMask mask = FillPolygonMask(vertices);
    for (int column = 0; column < kCellColumns; ++column)
        for (int row = 0; row < kCellRows; ++row)
            if (mask.at(CellSampleX(column), CellSampleY(row))) cells.at(row, column) = 1;
    return cells;
}

int32_t ApplyPolygon(TSetupStore& store, std::span<const TPixelPoint> vertices, uint8_t drawValue) {
    if (vertices.size() < 2) return 0;
    return ApplyCells(store, PolygonCells(vertices), drawValue);
}

bool TPolygonGesture::click(int32_t x, int32_t y, uint8_t drawValue) {
    points_[size_t(count_)] = {x, y};
    ++count_;
    if (count_ >= kSlots) count_ = kMaxVertices;
    points_[size_t(count_)] = {x, y};  // the rubber band starts at the click
    const bool first = count_ == 1;
    if (first) drawValue_ = drawValue != 0 ? 1 : 0;
    return first;
}

void TPolygonGesture::pointer(int32_t x, int32_t y) {
    if (count_ > 0) points_[size_t(count_)] = {x, y};
}

std::optional<TPolygonShape> TPolygonGesture::close() {
    if (count_ < 2) return std::nullopt;
    TPolygonShape shape;
    shape.vertices.assign(points_.begin(), points_.begin() + count_);
    shape.drawValue = drawValue_;
    reset();
    return shape;
}

void TPolygonGesture::reset() { count_ = 0; }

}  // namespace zep4
