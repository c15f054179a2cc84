// Reference object sizes of the area editor: the object segment (object mode) and the
// foreground and background rectangles (perspective mode) of an area's TAreaGeometry, their
// conversion between screen pixels and cells, their volumes and volume limits, the fit of the
// background to the foreground's proportions, and the limits of the editor's faders. Plain
// C++, no Qt.
//
// Every function accepts any int32 input (geometry read from a file, shapes dragged anywhere):
// products are formed in 64 bits and results saturate at the int32 range.
#pragma once

#include <cstdint>
#include <optional>

#include "setup/records.h"

namespace zep4 {

// Number of cells of a grid; the Standard rule caps a maximum volume here.
constexpr int32_t kGridCells = 6480;

// A rectangle on the picture in pixels (position and size).
struct TPixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const TPixelRect&) const = default;
};

// A rectangle in cells: column, row, width in columns, height in rows.
struct TCellRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const TCellRect&) const = default;
};

// Cells to pixels: x and width trunc(cells * 8.0), y and height trunc(cells * 7.5).
TPixelRect CellRectToPixels(const TCellRect& cells);
// Pixels to cells, rounded: trunc(x / 8.0 + 0.5), trunc(y / 7.5 + 0.5), the same for the sizes.
TCellRect PixelRectToCells(const TPixelRect& pixels);

// The three rectangles of a geometry in cells, and on screen.
TCellRect FrontCells(const TAreaGeometry& g);
TCellRect BackCells(const TAreaGeometry& g);
TPixelRect FrontPixels(const TAreaGeometry& g);
TPixelRect BackPixels(const TAreaGeometry& g);

// width * height; 64-bit product saturated at the int32 range.
int32_t Volume(int32_t width, int32_t height);

// The Standard rule's upper limit: trunc(volume * 2.5), capped at 6480 cells.
int32_t StandardMaxVolume(int32_t volume);
// trunc(volume * 2.5) without the cap (the defaults of a new geometry).
int32_t TwoAndAHalfTimes(int32_t volume);
// The Standard rule's lower limit: the largest integer strictly below 3 * volume / 10 for a
// volume of 1 or more (200 gives 59, 50 gives 14, 7 gives 2), 0 for 0; a negative volume gives
// the mirror image (-200 gives -59). Integer arithmetic, exact for every int32.
int32_t StandardMinVolume(int32_t volume);

// "Standard" on the perspective page and the object page: the limits of the foreground (the
// object segment in object mode) or of the background from their volumes.
void ApplyStandardFrontLimits(TAreaGeometry& g);
void ApplyStandardBackLimits(TAreaGeometry& g);

// The background rectangle fitted to the foreground's proportions, keeping the background's
// on-screen area: r = front width / front height (single precision), A = back width * back
// height (pixels), w = sqrt(A * r), h = A / w + 0.5; the result is the back's position
// converted to cells (rounded) with width trunc(w / 8.0 + 0.5) and height trunc(h / 7.5 + 0.5).
// A foreground without area (width or height 0 or less) gives no proportion: the background
// keeps its own, converted to cells. A background without area gives width and height 0.
TCellRect FitBackground(const TPixelRect& front, const TPixelRect& back);

// True when a dragged rectangle has a width and a height above 0; a drag that leaves less is
// discarded and the stored geometry stays.
bool UsableShape(const TPixelRect& shape);

// The foreground handle released: FrontLeft..FrontHeight from `front` (rounded to cells),
// FrontVolume; FrontMinVolume := 1 when the volume fell below it; FrontMaxVolume := the volume
// when it is not above it; then the background fitted (FitBackground) with its BackVolume.
// Returns false and changes nothing when `front` is not usable.
bool StoreFrontRectangle(TAreaGeometry& g, const TPixelRect& front, const TPixelRect& back);

// The background handle released: the background fitted to the foreground's proportions,
// BackVolume; BackMinVolume := 1 when the volume fell below it; BackMaxVolume := the volume
// when it is not above it. Returns false and changes nothing when `back` is not usable.
bool StoreBackRectangle(TAreaGeometry& g, const TPixelRect& front, const TPixelRect& back);

// The object segment released: FrontLeft..FrontHeight from `segment`, FrontVolume;
// FrontMaxVolume := the volume when it is below it; FrontMinVolume := the volume when the
// volume is below it. Returns false and changes nothing when `segment` is not usable.
bool StoreObjectSegment(TAreaGeometry& g, const TPixelRect& segment);

// value * 100 / reference (integer division toward zero, 64 bits), or nothing when the
// reference is 0: the percentage a fader label shows.
std::optional<int32_t> LimitPercent(int32_t value, int32_t reference);

// Ranges of the faders of the object page and the perspective page for a reference volume:
// the maximum fader runs from the volume (100 %) up to the area's cell count, the minimum
// fader from a tenth of the volume (10 %) up to the volume (100 %).
struct TFaderRange {
    int32_t minimum = 0;
    int32_t maximum = 0;
    bool operator==(const TFaderRange&) const = default;
};
TFaderRange MaxVolumeRange(int32_t volume, int32_t cellCount);
TFaderRange MinVolumeRange(int32_t volume);

// The maximum of both cell faders of the area page: the cell count, or 1 for an area without
// cells (cell count + 1).
int32_t CellFaderMaximum(int32_t cellCount);

// The coupling of the area page's Min. and Max. cell faders. After "Min." moved to `min`, the
// maximum it forces: `max` raised to `min` when it lies below. After "Max." moved to `max`, the
// minimum it forces: `min` lowered to `max` when it lies above, unless the minimum is 1.
int32_t MaxCellsAfterMinMoved(int32_t min, int32_t max);
int32_t MinCellsAfterMaxMoved(int32_t min, int32_t max);

}  // namespace zep4
