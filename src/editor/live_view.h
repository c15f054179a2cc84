// The live picture as the editor shows it: the decoded JPEG with the sensor's edges cut off,
// and the test overlay painted from what the sensor embeds in the picture (the alarmed
// cells, the text information and the object records).
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "editor/test_overlay.h"

class QPainter;

namespace zep4 {

// Decodes live pictures with libjpeg-turbo, reusing its buffers from one picture to the next.
class TLivePictureDecoder {
public:
    // Decodes `jpeg` and writes it into `out` (kPictureWidth x kPictureHeight, RGB32) as the
    // editor shows it: the picture stretched to 720 x 540, then its part from (6, 2) to
    // (712, 540) enlarged to the whole 720 x 540, so that the sensor's dark edges of 6, 2 and
    // 8 pixels are cut off. False, with `out` unchanged, when the bytes are no JPEG picture.
    bool decode(std::span<const uint8_t> jpeg, QImage& out, std::string& error);

private:
    void buildMaps(int width, int height);

    int width_ = 0, height_ = 0;
    std::vector<uint32_t> decoded_;  // width_ x height_ pixels, 0xAARRGGBB
    int mapWidth_ = 0, mapHeight_ = 0;
    std::vector<int> columns_;  // source column of each shown column
    std::vector<int> rows_;     // source row of each shown row
};

// Which layers of the test overlay are shown (the three toggle buttons).
struct TTestOverlayLayers {
    bool alarmCells = false;  // FlatSpeedButton13
    bool text = false;        // FlatSpeedButton12 "T"
    bool objects = false;     // FlatSpeedButton14
};

// The labels of the text information, from the language file.
struct TTestOverlayLabels {
    std::string camera, size, sizeUnit, stamp;
};

// Paints the test overlay of one picture. setPicture parses the picture once; paint draws it
// as often as the window repaints.
class TTestOverlayPainter {
public:
    TTestOverlayPainter();

    // The overlay of a new picture (its bytes and nothing beyond them).
    void setPicture(std::span<const uint8_t> picture);
    void clear();
    const TTestOverlay& overlay() const { return overlay_; }

    // Nothing unless the picture carried "JPEG" at offset 6. Then, as the layers say: the
    // alarm cell map (orange dots), the three lines of text information at x = 5, and the
    // object records in the order of the list.
    void paint(QPainter& painter, const TTestOverlayLayers& layers, const TTestOverlayLabels& labels) const;

private:
    void paintRecords(QPainter& painter) const;

    TTestOverlay overlay_;
    QImage alarmLayer_;  // the alarm cell map's dots, drawn in one go
    bool alarmLayerEmpty_ = true;
};

// The background of the text information lines (the platform's menu colour).
QColor OverlayInfoBackground();

}  // namespace zep4
