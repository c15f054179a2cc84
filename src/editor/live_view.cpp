#include "editor/live_view.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include "setup/jpeg_codec.h"

#include <algorithm>
#include <array>

#include "setup/records.h"
#include "setup/text1252.h"

namespace zep4 {

namespace {

// The part of the 720 x 540 picture that is enlarged to the whole picture.
constexpr int kCropLeft = 6;
constexpr int kCropTop = 2;
constexpr int kCropRight = kPictureWidth - 8;
constexpr int kCropBottom = kPictureHeight;
constexpr int kMaxLiveSide = 2048;

// The pixels of a dot, relative to the top left of its 3 x 3 box: the platform's ellipse of
// that size, a plus (as the edit overlay draws its cells).
constexpr int kDotPixels[5][2] = {{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}};

QColor toQColor(const TRgb& c) { return QColor(c.r, c.g, c.b); }

QString fromCp1252(const std::string& bytes) { return QString::fromStdString(cp1252ToUtf8(bytes)); }

// Text with an opaque background of `background`, its top left at (x, y), as the platform
// writes text with a solid brush.
void textOut(QPainter& p, int x, int y, const QString& text, const QColor& background) {
    const QFontMetrics metrics(p.font());
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    p.fillRect(box, background);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

QColor OverlayInfoBackground() { return QColor(240, 240, 240); }

// ---------------------------------------------------------------------------------------------

void TLivePictureDecoder::buildMaps(int width, int height) {
    mapWidth_ = width;
    mapHeight_ = height;
    // Shown pixel x comes from x_b = 6 + x * 706 / 720 of the 720 x 540 stretch, which comes
    // from x_b * width / 720 of the decoded picture; likewise for the rows.
    columns_.resize(kPictureWidth);
    for (int x = 0; x < kPictureWidth; ++x) {
        const int xb = kCropLeft + x * (kCropRight - kCropLeft) / kPictureWidth;
        columns_[size_t(x)] = std::min(width - 1, int(int64_t(xb) * width / kPictureWidth));
    }
    rows_.resize(kPictureHeight);
    for (int y = 0; y < kPictureHeight; ++y) {
        const int yb = kCropTop + y * (kCropBottom - kCropTop) / kPictureHeight;
        rows_[size_t(y)] = std::min(height - 1, int(int64_t(yb) * height / kPictureHeight));
    }
}

bool TLivePictureDecoder::decode(std::span<const uint8_t> jpeg, QImage& out, std::string& error) {
    // The sensor's pictures are 720 x 540; a header claiming far more is damaged.
    if (!DecodeJpegArgb32(jpeg.data(), jpeg.size(), kMaxLiveSide, decoded_, width_, height_, error)) {
        width_ = height_ = 0;
        return false;
    }
    if (width_ != mapWidth_ || height_ != mapHeight_) buildMaps(width_, height_);
    if (out.width() != kPictureWidth || out.height() != kPictureHeight || out.format() != QImage::Format_RGB32)
        out = QImage(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    const int* columns = columns_.data();
    for (int y = 0; y < kPictureHeight; ++y) {
        const uint32_t* source = decoded_.data() + size_t(rows_[size_t(y)]) * size_t(width_);
        auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < kPictureWidth; ++x) line[x] = source[columns[x]];
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

TTestOverlayPainter::TTestOverlayPainter()
    : alarmLayer_(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied) {
    alarmLayer_.fill(Qt::transparent);
}

void TTestOverlayPainter::clear() { setPicture({}); }

void TTestOverlayPainter::setPicture(std::span<const uint8_t> picture) {
    overlay_ = ParseTestOverlay(picture);
    if (!alarmLayerEmpty_) alarmLayer_.fill(Qt::transparent);
    alarmLayerEmpty_ = overlay_.alarmDots.empty();
    const QRgb colour = toQColor(kOverlayAlarmColour).rgba();
    // The lowest rows of the map lie below the picture and are cut off.
    for (const TOverlayBox& box : overlay_.alarmDots)
        for (const auto& d : kDotPixels) {
            const int x = box.left + d[0];
            const int y = box.top + d[1];
            if (x >= 0 && x < kPictureWidth && y >= 0 && y < kPictureHeight)
                reinterpret_cast<QRgb*>(alarmLayer_.scanLine(y))[x] = colour;
        }
}

void TTestOverlayPainter::paint(QPainter& p, const TTestOverlayLayers& layers, const TTestOverlayLabels& labels) const {
    if (!overlay_.valid) return;
    if (layers.alarmCells && !alarmLayerEmpty_) p.drawImage(0, 0, alarmLayer_);
    if (layers.text && overlay_.hasInfo) {
        const std::array<std::string, 3> lines =
            OverlayInfoLines(overlay_, labels.camera, labels.size, labels.sizeUnit, labels.stamp);
        p.save();
        p.setPen(toQColor(kOverlayTextColour));
        for (int k = 0; k < 3; ++k) textOut(p, 5, 5 + 15 * k, QString::fromStdString(lines[size_t(k)]), OverlayInfoBackground());
        p.restore();
    }
    if (layers.objects) paintRecords(p);
}

void TTestOverlayPainter::paintRecords(QPainter& p) const {
    p.save();
    QFont small = p.font();
    small.setPointSize(6);
    QPolygon line;
    for (const TOverlayRecord& r : overlay_.records) {
        const QColor colour = toQColor(r.colour);
        switch (r.type) {
            case 0x80:
            case 0x90:
                // A polyline of no point or of one point draws nothing.
                if (r.points.size() < 2) break;
                line.resize(0);
                for (const TPixelPoint& pt : r.points) line << QPoint(pt.x, pt.y);
                p.setPen(QPen(colour, 1));
                p.setBrush(colour);
                p.drawPolyline(line);
                break;
            case 0x10:
                if (r.points.empty()) break;
                p.setFont(small);
                p.setPen(colour);
                textOut(p, r.points[0].x, r.points[0].y, fromCp1252(r.text), toQColor(kOverlayTextBackground));
                break;
            case 0x91: {
                if (r.points.empty()) break;
                const TPixelPoint c = r.points[0];
                p.setPen(QPen(colour, 1));
                p.drawLine(c.x - kCrossArm, c.y, c.x + kCrossArm, c.y);
                p.drawLine(c.x, c.y - kCrossArm, c.x, c.y + kCrossArm);
                break;
            }
            default: break;
        }
    }
    p.restore();
}

}  // namespace zep4
