#include "editor/test_overlay.h"

#include <algorithm>
#include <cstdio>

namespace zep4 {

namespace {

constexpr size_t kMagicOffset = 6;
constexpr size_t kSizeOffset = 11;
constexpr size_t kStampOffset = 14;
constexpr size_t kCameraOffset = 21;
constexpr size_t kAlarmMapOffset = 68;
constexpr size_t kAlarmMapRows = 72;
constexpr size_t kAlarmMapRowBytes = 12;
constexpr size_t kRecordsOffset = 936;

constexpr TRgb kPalette[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128},   {128, 128, 128}, {192, 192, 192}, {255, 0, 0}, {0, 255, 0},  {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

int32_t word16(std::span<const uint8_t> b, size_t at) { return int32_t(b[at]) << 8 | b[at + 1]; }

void parseAlarmMap(std::span<const uint8_t> picture, TTestOverlay& overlay) {
    if (picture.size() < kAlarmMapOffset + kAlarmMapRows * kAlarmMapRowBytes) return;
    const uint8_t* map = picture.data() + kAlarmMapOffset;
    for (int32_t r = 2; r < int32_t(kAlarmMapRows); ++r)
        for (int32_t c = 3; c <= 92; ++c) {
            const uint8_t byte = map[size_t(r) * kAlarmMapRowBytes + size_t(c / 8)];
            if ((byte >> (7 - c % 8)) & 1)
                overlay.alarmDots.push_back({8 * (c - 3) + 2, 8 * r - 15, 8 * (c - 3) + 5, 8 * r - 12});
        }
}

void parseInfo(std::span<const uint8_t> picture, TTestOverlay& overlay) {
    if (picture.size() <= kCameraOffset) return;
    overlay.hasInfo = true;
    overlay.cameraNumber = picture[kCameraOffset];
    overlay.pictureSize = uint32_t(picture[kSizeOffset]) << 16 | uint32_t(picture[kSizeOffset + 1]) << 8 |
                          picture[kSizeOffset + 2];
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d.%02d.%02d", picture[kStampOffset], picture[kStampOffset + 1],
                  picture[kStampOffset + 2]);
    overlay.stamp = stamp;
}

// The last byte a record of `type` and length `length` at `p` reads: its own bytes p..p + L,
// and the fixed fields of its type even where a short length would leave them out.
size_t lastByteRead(size_t p, uint8_t type, size_t length) {
    size_t last = std::max(p + length, p + 2);
    switch (type) {
        case 0x90: {
            const size_t count = length >= 2 ? (length - 2) / 4 : 0;
            last = std::max(last, p + 3 + 4 * count);  // colour index, then 4 bytes a point
            break;
        }
        case 0x10: last = std::max(last, p + 4); break;  // x and y
        case 0x91: last = std::max(last, p + 7); break;  // colour index, x, y
        default: break;
    }
    return last;
}

void parseRecords(std::span<const uint8_t> picture, TTestOverlay& overlay) {
    const size_t size = picture.size();
    size_t p = kRecordsOffset;
    while (p + 1 < size && picture[p] != 0) {
        const size_t length = picture[p + 1];
        if (length == 0) break;
        const uint8_t type = p + 2 < size ? picture[p + 2] : 0;
        if (lastByteRead(p, type, length) >= size) break;

        const size_t payload = p + 3;
        TOverlayRecord record;
        record.type = type;
        switch (type) {
            case 0x80: {
                record.colour = kOverlayTraceColour;
                const size_t count = length >= 2 ? (length - 2) / 2 : 0;
                for (size_t k = 0; k < count; ++k)
                    record.points.push_back({8 * int32_t(picture[payload + 2 * k]) - 8,
                                             8 * int32_t(picture[payload + 2 * k + 1]) - 24});
                break;
            }
            case 0x90: {
                record.colour = OverlayPaletteColour(picture[payload]);
                const size_t count = length >= 2 ? (length - 2) / 4 : 0;
                for (size_t k = 0; k < count; ++k) {
                    const size_t at = payload + 1 + 4 * k;
                    record.points.push_back({word16(picture, at), word16(picture, at + 2) - 16});
                }
                break;
            }
            case 0x10: {
                record.colour = kOverlayTextColour;
                record.points.push_back({8 * int32_t(picture[payload]), 8 * int32_t(picture[payload + 1])});
                const size_t textLength = std::min(length >= 4 ? length - 4 : 0, kMaxRecordText);
                record.text.assign(reinterpret_cast<const char*>(picture.data() + payload + 2), textLength);
                break;
            }
            case 0x91:
                record.colour = OverlayPaletteColour(picture[payload]);
                record.points.push_back({word16(picture, payload + 1), word16(picture, payload + 3)});
                break;
            default: break;
        }
        if (type == 0x80 || type == 0x90 || type == 0x10 || type == 0x91) overlay.records.push_back(std::move(record));
        p += length + 1;
    }
}

}  // namespace

TRgb OverlayPaletteColour(int index) { return kPalette[index >= 0 && index <= 15 ? index : 9]; }

TTestOverlay ParseTestOverlay(std::span<const uint8_t> picture) {
    TTestOverlay overlay;
    if (picture.size() < kMagicOffset + 4 || !std::equal(picture.begin() + kMagicOffset,
                                                         picture.begin() + kMagicOffset + 4, "JPEG"))
        return overlay;
    overlay.valid = true;
    parseInfo(picture, overlay);
    parseAlarmMap(picture, overlay);
    parseRecords(picture, overlay);
    return overlay;
}

std::array<std::string, 3> OverlayInfoLines(const TTestOverlay& overlay, std::string_view cameraLabel,
                                            std::string_view sizeLabel, std::string_view sizeUnit,
                                            std::string_view stampLabel) {
    if (!overlay.valid || !overlay.hasInfo) return {};
    return {std::string(cameraLabel) + " " + std::to_string(overlay.cameraNumber),
            std::string(sizeLabel) + " " + std::to_string(overlay.pictureSize) + " " + std::string(sizeUnit),
            std::string(stampLabel) + " " + overlay.stamp};
}

}  // namespace zep4
