// A camera picture as plain RGB pixels: the model's form of the reference pictures, turned
// into a QImage only where a window shows it.
#pragma once

#include <cstdint>
#include <vector>

namespace zep4 {

struct TPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgb;  // Width x Height x 3 bytes, rows top to bottom

    static TPicture Filled(int width, int height, uint8_t r, uint8_t g, uint8_t b);
    static TPicture Black(int width, int height) { return Filled(width, height, 0, 0, 0); }
    bool isNull() const { return Width <= 0 || Height <= 0; }
    bool operator==(const TPicture&) const = default;
};

}  // namespace zep4
