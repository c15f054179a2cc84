#include "editor/polygon_fill.h"

#include <algorithm>

namespace zep4 {

namespace {

// Products of two int32 differences need 65 bits; 128-bit integers keep every crossing exact.
__extension__ typedef __int128 Wide;

// floor(n / d) and ceil(n / d) for d > 0.
Wide floorDiv(Wide n, Wide d) {
    Wide q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}
Wide ceilDiv(Wide n, Wide d) {
    Wide q = n / d;
    if (n % d != 0 && n > 0) ++q;
    return q;
}

// A value known to lie between two int32 values, as int64.
int64_t narrow(Wide v) { return static_cast<int64_t>(v); }

}  // namespace

void TPixelMask::setSpan(int64_t y, int64_t x0, int64_t x1) {
    if (y < 0 || y >= kHeight) return;
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, kWidth - 1);
    if (x0 > x1) return;
    std::fill(bits_.begin() + y * kWidth + x0, bits_.begin() + y * kWidth + x1 + 1, uint8_t{1});
}

int64_t TPixelMask::count() const {
    return std::count_if(bits_.begin(), bits_.end(), [](uint8_t b) { return b != 0; });
}

void DrawPenLine(TPixelMask& mask, TPixelPoint a, TPixelPoint b) {
    const int64_t dx = int64_t(b.x) - a.x;
    const int64_t dy = int64_t(b.y) - a.y;
    if (dx == 0 && dy == 0) {
        mask.set(a.x, a.y);
        return;
    }
    if ((dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy)) {
        // x-major: one pixel per column, walked from the left end, only over the mask's columns.
        if (dx < 0) std::swap(a, b);
        const int64_t ex = int64_t(b.x) - a.x;  // > 0
        const int64_t ey = int64_t(b.y) - a.y;
        const int64_t first = std::max<int64_t>(a.x, 0);
        const int64_t last = std::min<int64_t>(b.x, TPixelMask::kWidth - 1);
        for (int64_t x = first; x <= last; ++x) {
            const Wide num = Wide(2) * Wide(x - a.x) * Wide(ey) + Wide(ex);
            mask.set(x, a.y + narrow(floorDiv(num, Wide(2) * ex)));
        }
    } else {
        // y-major: one pixel per row.
        if (dy < 0) std::swap(a, b);
        const int64_t ex = int64_t(b.x) - a.x;
        const int64_t ey = int64_t(b.y) - a.y;  // > 0
        const int64_t first = std::max<int64_t>(a.y, 0);
        const int64_t last = std::min<int64_t>(b.y, TPixelMask::kHeight - 1);
        for (int64_t y = first; y <= last; ++y) {
            const Wide num = Wide(2) * Wide(y - a.y) * Wide(ex) + Wide(ey);
            mask.set(a.x + narrow(floorDiv(num, Wide(2) * ey)), y);
        }
    }
}

void FillEvenOdd(TPixelMask& mask, std::span<const TPixelPoint> vertices) {
    const size_t n = vertices.size();
    if (n < 3) return;  // a point or a line there and back encloses nothing
    std::vector<int64_t> crossings;
    crossings.reserve(n);
    for (int64_t y = 0; y < TPixelMask::kHeight; ++y) {
        crossings.clear();
        for (size_t k = 0; k < n; ++k) {
            const TPixelPoint& a = vertices[k];
            const TPixelPoint& b = vertices[(k + 1) % n];
            if ((a.y > y) == (b.y > y)) continue;
            // a.y != b.y here, and y lies between them, so the crossing lies between a.x and b.x.
            Wide num = Wide(y - a.y) * Wide(int64_t(b.x) - a.x);
            Wide den = Wide(int64_t(b.y) - a.y);
            if (den < 0) {
                num = -num;
                den = -den;
            }
            // For an integer x: c <= x exactly when ceil(c) <= x, so ceil(c) decides everything.
            crossings.push_back(a.x + narrow(ceilDiv(num, den)));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2)
            mask.setSpan(y, crossings[k], crossings[k + 1] - 1);
    }
}

TPixelMask FillPolygonMask(std::span<const TPixelPoint> vertices) {
    TPixelMask mask;
    FillEvenOdd(mask, vertices);
    const size_t n = vertices.size();
    for (size_t k = 0; k < n; ++k) DrawPenLine(mask, vertices[k], vertices[(k + 1) % n]);
    return mask;
}

}  // namespace zep4
