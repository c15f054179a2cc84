// Rasterisation of the editor's polygon into a mask of its own, the size of the camera picture.
// The mask, not the picture on screen, decides which cells a polygon covers, so the colours of
// the camera picture can never join or drop a cell. Plain C++, no Qt.
//
// Pixel rule. Pixel (x, y) is the integer point (x, y). It belongs to the mask of a polygon
// (vertices v0..vn-1, the ring closed from vn-1 back to v0) when either holds:
//
//  1. Brush, even-odd ("alternate") rule: on the scan line of row y, take every edge (a, b)
//     with (a.y > y) != (b.y > y) (an edge counts at its lower end point and not at its upper
//     one; horizontal edges never count) and its crossing
//         c = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y),
//     computed exactly; the pixel is inside when the number of crossings c <= x is odd.
//     Equivalently, with the crossings sorted, the pixels ceil(c0)..ceil(c1)-1,
//     ceil(c2)..ceil(c3)-1, ... of the row are filled.
//  2. Pen, 1 pixel wide: the pixel lies on the line of one of the ring's edges. A line from a
//     to b covers both end points and, along its major axis (x when |dx| >= |dy|, otherwise y),
//     exactly one pixel per step, at the nearest minor coordinate with a half rounded toward
//     +infinity: for an x-major line y = floor(a.y + (x - a.x) * dy / dx + 1/2), for a y-major
//     line x = floor(a.x + (y - a.y) * dx / dy + 1/2). This is the Bresenham (midpoint) line;
//     it is the same set whichever end it is drawn from.
//
// Consequences: every lattice point of the closed polygon (interior and boundary) is in the
// mask; a polygon of two vertices covers exactly the pen's line between them (the brush of a
// ring there and back is empty); a single vertex covers one pixel; with fewer than one nothing.
// Vertex coordinates may be any int32 values: crossings are exact in 128-bit arithmetic and
// only pixels inside the 720 x 540 mask are visited or written.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zep4 {

struct TPixelPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const TPixelPoint&) const = default;
};

// 720 x 540 bytes, 0 = clear, 1 = set. Reads outside the mask give false, writes are dropped.
class TPixelMask {
public:
    static constexpr int kWidth = 720;
    static constexpr int kHeight = 540;

    TPixelMask() : bits_(size_t(kWidth) * kHeight, 0) {}

    static bool contains(int64_t x, int64_t y) { return x >= 0 && x < kWidth && y >= 0 && y < kHeight; }
    bool at(int64_t x, int64_t y) const { return contains(x, y) && bits_[size_t(y) * kWidth + size_t(x)] != 0; }
    void set(int64_t x, int64_t y) {
        if (contains(x, y)) bits_[size_t(y) * kWidth + size_t(x)] = 1;
    }
    // Sets pixels x0..x1 of row y, both inclusive, limited to the mask.
    void setSpan(int64_t y, int64_t x0, int64_t x1);
    int64_t count() const;

private:
    std::vector<uint8_t> bits_;
};

// Pen rule (2) for one line, both end points included.
void DrawPenLine(TPixelMask& mask, TPixelPoint a, TPixelPoint b);
// Brush rule (1) for the ring through `vertices`.
void FillEvenOdd(TPixelMask& mask, std::span<const TPixelPoint> vertices);
// Brush and pen of the ring through `vertices` (a repeated closing vertex changes nothing).
TPixelMask FillPolygonMask(std::span<const TPixelPoint> vertices);

}  // namespace zep4
