// What the test overlay shows over a live picture: the alarmed cells, the text information and
// the object records that the sensor embeds in each picture. ParseTestOverlay turns the bytes
// of one picture into plain data in picture pixels; the window only paints it. Plain C++, no Qt.
//
// Data items of a live picture (byte offsets):
//   6..9     the letters "JPEG"; without them the picture has no overlay at all
//   11..13   the low three bytes of the picture length, big-endian (shown as its size)
//   14..16   three stamp bytes, shown as "%02d.%02d.%02d"
//   21       the camera number
//   68..931  the alarm cell bit map: 72 rows of 12 bytes, bit 7 of byte n of row r is column
//            n * 8 of a 96 x 72 map, bit 0 column n * 8 + 7
//   936..    the record list: a record at p has a non-zero byte p (a zero byte ends the list),
//            its length L at p + 1, its type at p + 2 and its payload from p + 3; the next
//            record starts at p + L + 1
//
// Only the picture's own bytes are read. An item that does not fit in the picture is absent
// (a short picture has no alarm map, no text information or no records). The record walk ends
// at a zero first byte, at a zero length, and at the first record whose bytes would reach past
// the picture's end; each step advances, so the walk ends for every picture.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/polygon_fill.h"

namespace zep4 {

struct TRgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const TRgb&) const = default;
};

constexpr TRgb kOverlayAlarmColour{252, 156, 51};  // orange dots of the alarm cell map
constexpr TRgb kOverlayTextColour{255, 0, 0};      // clRed: texts of the info lines and records
constexpr TRgb kOverlayTextBackground{128, 128, 128};  // clGray behind record texts
constexpr TRgb kOverlayTraceColour{0, 255, 0};     // clLime: traces of type 0x80

// The 16 colours of the overlay palette (clBlack .. clWhite); an index above 15 gives 9 (red).
TRgb OverlayPaletteColour(int index);

// Box of one dot (an ellipse inside it), left/top/right/bottom in picture pixels.
struct TOverlayBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TOverlayBox&) const = default;
};

// One object record, in the order of the list.
//   0x80  trace: polyline through `points` in kOverlayTraceColour (x = 8 column - 8,
//         y = 8 row - 24); (L - 2) / 2 points
//   0x90  outline: polyline through `points` in `colour` (x = 16-bit x, y = 16-bit y - 16);
//         (L - 2) / 4 points after the colour index byte
//   0x10  label: `text` (at most 79 bytes, Windows-1252) at `points[0]` = (8 x, 8 y), red on
//         grey, 6 points high
//   0x91  centre: a cross of arms kCrossArm around `points[0]` in `colour`
// Records of other types are skipped and not listed. A polyline of no point draws nothing.
struct TOverlayRecord {
    uint8_t type = 0;
    TRgb colour;
    std::vector<TPixelPoint> points;
    std::string text;
    bool operator==(const TOverlayRecord&) const = default;
};

constexpr int kCrossArm = 2;
constexpr size_t kMaxRecordText = 79;

struct TTestOverlay {
    // "JPEG" at offsets 6..9; when false nothing else is filled and nothing is drawn.
    bool valid = false;
    // Set bits of the alarm cell map in rows 2..71 (outer) and columns 3..92 (inner), as the
    // boxes of their dots: (8 (c - 3) + 2, 8 r - 15) to (8 (c - 3) + 5, 8 r - 12).
    std::vector<TOverlayBox> alarmDots;
    // Text information; hasInfo is false when the picture ends before byte 21.
    bool hasInfo = false;
    int cameraNumber = 0;      // byte 21
    uint32_t pictureSize = 0;  // bytes 11..13, big-endian
    std::string stamp;         // bytes 14..16 as "%02d.%02d.%02d"
    std::vector<TOverlayRecord> records;
};

// The overlay of the picture `picture` (its bytes and nothing beyond them).
TTestOverlay ParseTestOverlay(std::span<const uint8_t> picture);

// The three lines of the text information, written at x = 5 and y = 5, 20, 35:
// cameraLabel + " " + camera, sizeLabel + " " + size + " " + sizeUnit, stampLabel + " " + stamp.
// The labels come from the language file; empty when the overlay has no information.
std::array<std::string, 3> OverlayInfoLines(const TTestOverlay& overlay, std::string_view cameraLabel,
                                            std::string_view sizeLabel, std::string_view sizeUnit,
                                            std::string_view stampLabel);

}  // namespace zep4
