// The simulated sensor's live pictures: the answer to "Pic" + camera digit + compression digit
// is one JPEG picture of a synthetic scene of that camera (a textured background, objects that
// move with the clock, the camera number and the time burnt in), with the sensor's data laid
// in an application segment right after the start of image:
//
//   0..1     FF D8 (start of image)
//   2..3     FF EA (application segment 10), 4..5 the segment's length
//   6..9     "JPEG"
//   10..13   the picture's total length, big-endian
//   14..16   hours, minutes, seconds of the picture
//   21       the camera number 1..4
//   68..931  the alarm cell bit map: 72 rows of 12 bytes, bit 7 of byte n of row r is
//            column 8 n of a 96 x 72 map; column c, row r covers the picture point
//            (8 (c - 3) + 3, 8 r - 13)
//   936..    the record list, ended by a zero byte: per moving object its trace (0x80), its
//            outline (0x90), its label (0x10) and its centre (0x91)
//
// The alarm map and the records are in the coordinates of the picture as the program shows it:
// with the edges of 6 (left), 2 (top) and 8 (right) pixels cut off and the rest enlarged to
// 720 x 540.
//
// then the rest of the JPEG file, ending with FF D9. Every picture stays under 65536 bytes.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

#include "setup/records.h"

namespace zep4::sim {

class TSensorSimulator;

constexpr int kSegmentMarker = 0xEA;       // the application segment carrying the data
constexpr qsizetype kAlarmMapOffset = 68;
constexpr qsizetype kAlarmMapBytes = 864;  // 72 rows of 12 bytes
constexpr qsizetype kRecordListOffset = 936;
constexpr int kMovingObjects = 12;         // each gives 4 records
constexpr qsizetype kPicturePieceSize = 4096;  // a picture leaves in pieces of this size
constexpr qsizetype kMaxLivePicture = 65535;

// How a picture is spoilt on request.
enum class TPictureFault {
    None,
    CutShort,     // only the first half of the picture is sent
    Overlong,     // the length field declares 1000 bytes more than the picture has
    BadRecords,   // the record list has no end: its last record's length runs past the list
                  // into the JPEG data, with no zero byte after it
};

struct TLivePictureRequest {
    int camera = 0;       // 0..3
    int quality = 60;     // JPEG quality 1..100
    int hours = 0, minutes = 0, seconds = 0;  // the stamp and the clock burnt in
    double time = 0;      // seconds; places the moving objects
    // The areas of the camera (time zone 1): the alarm map marks moving cells inside them.
    // Without them no alarm bit is set.
    const std::array<TCellGrid, kAreas>* areas = nullptr;
    // Given: this alarm map in place of the one the scene gives.
    std::optional<std::array<uint8_t, kAlarmMapBytes>> alarmMap;
    TPictureFault fault = TPictureFault::None;
    // Records in the list; beyond 4 per moving object more objects are drawn, and the list is
    // cut after this many.
    int recordCount = 4 * kMovingObjects;
};

// The JPEG quality of a compression digit: "1" 80, "2" 60, "3" 35 (more compression, smaller
// pictures); any other digit gives 60.
int PictureQuality(char compressionDigit);

// The picture as the sensor sends it (with CutShort: only what is sent).
QByteArray BuildLivePicture(const TLivePictureRequest& request);

// Installs the picture request "Pic" + camera digit + compression digit.
void InstallPictureExchanges(TSensorSimulator& simulator);

}  // namespace zep4::sim
