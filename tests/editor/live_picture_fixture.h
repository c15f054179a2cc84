// Live pictures written out byte by byte for the tests: the start of image, "JPEG" at 6, the
// length at 10..13, the data items at their offsets, and 0xFF 0xD9 as the last two bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace zep4::test {

using Bytes = std::vector<uint8_t>;

inline void PutBigEndian32(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

// A picture of `length` bytes (at least 16) declaring `declared` as its length; the bytes in
// between run through a pattern that never forms an end marker.
inline Bytes LivePicture(size_t length, uint32_t declared) {
    Bytes b(length);
    for (size_t k = 0; k < length; ++k) b[k] = uint8_t(0x20 + k % 61);
    b[0] = 0xFF;
    b[1] = 0xD8;
    b[6] = 'J';
    b[7] = 'P';
    b[8] = 'E';
    b[9] = 'G';
    PutBigEndian32(b, 10, declared);
    b[length - 2] = 0xFF;
    b[length - 1] = 0xD9;
    return b;
}

inline Bytes LivePicture(size_t length) { return LivePicture(length, uint32_t(length)); }

}  // namespace zep4::test
