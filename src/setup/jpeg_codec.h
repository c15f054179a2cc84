// JPEG encode and decode through libjpeg-turbo, for every picture the program handles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/picture.h"

namespace zep4 {

// Quality of the reference pictures the program writes into setup and picture files.
constexpr int kDefaultJpegQuality = 90;

std::vector<uint8_t> EncodeJpeg(const TPicture& picture, int quality = kDefaultJpegQuality);

// Decodes a JPEG stream into `out`, reusing its buffer. On failure returns false and says why
// in `error`; `out` is then left as it was when the stream is no JPEG at all, and empty when
// the stream breaks off in the middle.
bool DecodeJpeg(const uint8_t* data, size_t size, TPicture& out, std::string& error);
inline bool DecodeJpeg(const std::vector<uint8_t>& data, TPicture& out, std::string& error) {
    return DecodeJpeg(data.data(), data.size(), out, error);
}

// Decodes into 32-bit pixels 0xAARRGGBB with alpha 0xFF (the layout of QImage's RGB32), reusing
// `pixels` (width x height of them). Pictures wider or higher than `maxSide` are refused, so that
// a damaged header cannot ask for hundreds of megabytes. A stream that is damaged but still
// gives a picture decodes. On failure returns false and says why in `error`.
bool DecodeJpegArgb32(const uint8_t* data, size_t size, int maxSide, std::vector<uint32_t>& pixels, int& width,
                      int& height, std::string& error);

}  // namespace zep4
