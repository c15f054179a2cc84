#include "editor/perspective.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "editor/cell_tools.h"

namespace zep4 {
namespace {

int32_t saturate(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

TPixelRect CellRectToPixels(const TCellRect& c) {
    return {ColumnsToPixels(c.left), RowsToPixels(c.top), ColumnsToPixels(c.width), RowsToPixels(c.height)};
}

TCellRect PixelRectToCells(const TPixelRect& p) {
    return {PixelsToColumnsRounded(p.left), PixelsToRowsRounded(p.top), PixelsToColumnsRounded(p.width),
            PixelsToRowsRounded(p.height)};
}

TCellRect FrontCells(const TAreaGeometry& g) { return {g.FrontLeft, g.FrontTop, g.FrontWidth, g.FrontHeight}; }
TCellRect BackCells(const TAreaGeometry& g) { return {g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight}; }
TPixelRect FrontPixels(const TAreaGeometry& g) { return CellRectToPixels(FrontCells(g)); }
TPixelRect BackPixels(const TAreaGeometry& g) { return CellRectToPixels(BackCells(g)); }

int32_t Volume(int32_t width, int32_t height) { return saturate(int64_t(width) * height); }

// trunc(v * 2.5) is exactly 5v / 2 truncated toward zero, which C++ integer division does.
int32_t TwoAndAHalfTimes(int32_t volume) { return saturate(int64_t(volume) * 5 / 2); }

int32_t StandardMaxVolume(int32_t volume) { return std::min(TwoAndAHalfTimes(volume), kGridCells); }

// trunc(v * 0.3) with 0.3 a little below three tenths: for v >= 1 the product lies just below
// 3v / 10, so an exact multiple of ten drops to the integer below. In integers that is
// floor((3v - 1) / 10); negative volumes truncate toward zero, the mirror image.
int32_t StandardMinVolume(int32_t volume) {
    if (volume == 0) return 0;
    const int64_t magnitude = volume < 0 ? -int64_t(volume) : int64_t(volume);
    const int64_t below = (3 * magnitude - 1) / 10;
    return saturate(volume < 0 ? -below : below);
}

void ApplyStandardFrontLimits(TAreaGeometry& g) {
    g.FrontMaxVolume = StandardMaxVolume(g.FrontVolume);
    g.FrontMinVolume = StandardMinVolume(g.FrontVolume);
}

void ApplyStandardBackLimits(TAreaGeometry& g) {
    g.BackMaxVolume = StandardMaxVolume(g.BackVolume);
    g.BackMinVolume = StandardMinVolume(g.BackVolume);
}

bool UsableShape(const TPixelRect& shape) { return shape.width > 0 && shape.height > 0; }

TCellRect FitBackground(const TPixelRect& front, const TPixelRect& back) {
    TCellRect fitted = PixelRectToCells(back);
    if (!UsableShape(front)) return fitted;
    if (back.width <= 0 || back.height <= 0) {
        fitted.width = fitted.height = 0;
        return fitted;
    }
    const float ratio = float(front.width) / float(front.height);
    const float area = float(int64_t(back.width) * int64_t(back.height));
    const double w = std::sqrt(double(area) * double(ratio));
    const double h = double(area) / w + 0.5;
    fitted.width = Rounded(w / kCellWidth);
    fitted.height = Rounded(h / kCellHeight);
    return fitted;
}

namespace {

void setFront(TAreaGeometry& g, const TCellRect& c) {
    g.FrontLeft = c.left;
    g.FrontTop = c.top;
    g.FrontWidth = c.width;
    g.FrontHeight = c.height;
    g.FrontVolume = Volume(c.width, c.height);
}

void setBack(TAreaGeometry& g, const TCellRect& c) {
    g.BackLeft = c.left;
    g.BackTop = c.top;
    g.BackWidth = c.width;
    g.BackHeight = c.height;
    g.BackVolume = Volume(c.width, c.height);
}

}  // namespace

bool StoreFrontRectangle(TAreaGeometry& g, const TPixelRect& front, const TPixelRect& back) {
    if (!UsableShape(front)) return false;
    setFront(g, PixelRectToCells(front));
    if (g.FrontVolume < g.FrontMinVolume) g.FrontMinVolume = 1;
    if (g.FrontMaxVolume <= g.FrontVolume) g.FrontMaxVolume = g.FrontVolume;
    setBack(g, FitBackground(front, back));
    return true;
}

bool StoreBackRectangle(TAreaGeometry& g, const TPixelRect& front, const TPixelRect& back) {
    if (!UsableShape(back)) return false;
    setBack(g, FitBackground(front, back));
    if (g.BackVolume < g.BackMinVolume) g.BackMinVolume = 1;
    if (g.BackMaxVolume <= g.BackVolume) g.BackMaxVolume = g.BackVolume;
    return true;
}

bool StoreObjectSegment(TAreaGeometry& g, const TPixelRect& segment) {
    if (!UsableShape(segment)) return false;
    setFront(g, PixelRectToCells(segment));
    if (g.FrontMaxVolume < g.FrontVolume) g.FrontMaxVolume = g.FrontVolume;
    if (g.FrontVolume < g.FrontMinVolume) g.FrontMinVolume = g.FrontVolume;
    return true;
}

std::optional<int32_t> LimitPercent(int32_t value, int32_t reference) {
    if (reference == 0) return std::nullopt;
    return saturate(int64_t(value) * 100 / reference);
}

TFaderRange MaxVolumeRange(int32_t volume, int32_t cellCount) { return {volume, cellCount}; }

TFaderRange MinVolumeRange(int32_t volume) { return {volume / 10, volume}; }

int32_t CellFaderMaximum(int32_t cellCount) { return cellCount > 0 ? cellCount : saturate(int64_t(cellCount) + 1); }

int32_t MaxCellsAfterMinMoved(int32_t min, int32_t max) { return max < min ? min : max; }

int32_t MinCellsAfterMaxMoved(int32_t min, int32_t max) { return max < min && min != 1 ? max : min; }

}  // namespace zep4
