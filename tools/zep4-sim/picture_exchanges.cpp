// Live pictures: the picture request "Pic" + camera digit + compression digit is answered with
// one JPEG picture of the camera's synthetic scene, its data segment first (see
// picture_exchanges.h). The picture leaves in pieces, as a real link delivers it.
#include "picture_exchanges.h"

#include "sensor_simulator.h"
#include "link/device_image.h"
#include "setup/jpeg_codec.h"
#include "setup/setup_store.h"

#include <QElapsedTimer>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace zep4::sim {

namespace {

constexpr qsizetype kMagicOffset = 6;
constexpr qsizetype kLengthOffset = 10;
constexpr qsizetype kStampOffset = 14;
constexpr qsizetype kCameraOffset = 21;
constexpr qsizetype kSegmentStart = 2;  // the segment's marker, right after the start of image
constexpr qsizetype kOverlongBy = 1000;
constexpr int kTracePoints = 10;

// ---- drawing into RGB pictures -------------------------------------------------------------

struct TColour {
    int r, g, b;
};

void putPixel(TPicture& p, int x, int y, TColour c) {
    if (x < 0 || y < 0 || x >= p.Width || y >= p.Height) return;
    uint8_t* px = p.Rgb.data() + (size_t(y) * size_t(p.Width) + size_t(x)) * 3;
    px[0] = uint8_t(std::clamp(c.r, 0, 255));
    px[1] = uint8_t(std::clamp(c.g, 0, 255));
    px[2] = uint8_t(std::clamp(c.b, 0, 255));
}

void fillRect(TPicture& p, int x0, int y0, int x1, int y1, TColour c) {
    for (int y = std::max(0, y0); y < std::min(p.Height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(p.Width, x1); ++x) putPixel(p, x, y, c);
}

// A small hash of a pixel position, for the background's grain.
int grain(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return int((h ^ (h >> 16)) & 15) - 8;
}

// 5 x 7 glyphs, one row a byte, the leftmost pixel the bit 4.
const uint8_t* glyph(char ch) {
    static const uint8_t digits[10][7] = {
        {14, 17, 19, 21, 25, 17, 14}, {4, 12, 4, 4, 4, 4, 14},   {14, 17, 1, 2, 4, 8, 31},
        {31, 2, 4, 2, 1, 17, 14},     {2, 6, 10, 18, 31, 2, 2},  {31, 16, 30, 1, 1, 17, 14},
        {6, 8, 16, 30, 17, 17, 14},   {31, 1, 2, 4, 8, 8, 8},    {14, 17, 17, 14, 17, 17, 14},
        {14, 17, 17, 15, 1, 2, 12}};
    static const uint8_t colon[7] = {0, 12, 12, 0, 12, 12, 0};
    static const uint8_t letterC[7] = {14, 17, 16, 16, 16, 17, 14};
    static const uint8_t letterA[7] = {14, 17, 17, 31, 17, 17, 17};
    static const uint8_t letterM[7] = {17, 27, 21, 21, 17, 17, 17};
    static const uint8_t blank[7] = {};
    if (ch >= '0' && ch <= '9') return digits[ch - '0'];
    switch (ch) {
        case ':': return colon;
        case 'C': return letterC;
        case 'A': return letterA;
        case 'M': return letterM;
        default: return blank;
    }
}

// Text in the 5 x 7 glyphs, each pixel a `scale` x `scale` square, on a dark plate.
void drawText(TPicture& p, int x, int y, const char* text, int scale, TColour ink) {
    const int length = int(std::strlen(text));
    fillRect(p, x - scale, y - scale, x + length * 6 * scale, y + 8 * scale, {20, 20, 20});
    for (int k = 0; k < length; ++k) {
        const uint8_t* rows = glyph(text[k]);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (rows[row] & (16 >> col))
                    fillRect(p, x + (k * 6 + col) * scale, y + row * scale, x + (k * 6 + col + 1) * scale,
                             y + (row + 1) * scale, ink);
    }
}

// ---- the scene ------------------------------------------------------------------------------

const TColour kSceneColours[kCameras] = {{70, 110, 160}, {80, 140, 80}, {150, 110, 70}, {120, 120, 135}};

// The camera's background, made once: a wall with windows above, a tiled floor below, and a
// fine grain all over; each camera has its own colours and tile size.
const TPicture& background(int camera) {
    static std::array<std::unique_ptr<TPicture>, kCameras> cache;
    std::unique_ptr<TPicture>& slot = cache[size_t(camera)];
    if (slot) return *slot;
    slot = std::make_unique<TPicture>(TPicture::Black(kPictureWidth, kPictureHeight));
    TPicture& p = *slot;
    const TColour base = kSceneColours[camera];
    const int horizon = 200 + 20 * camera;
    const int tileWidth = 40 + 12 * camera;
    const int tileHeight = 20 + 4 * camera;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            TColour c;
            if (y < horizon) {
                const int shade = 40 * y / horizon;
                c = {base.r + shade, base.g + shade, base.b + shade};
            } else {
                const bool grout = (y - horizon) % tileHeight == 0 || (x + ((y - horizon) / tileHeight) * tileWidth / 2) % tileWidth == 0;
                const int depth = 30 * (y - horizon) / (kPictureHeight - horizon);
                c = grout ? TColour{base.r / 2, base.g / 2, base.b / 2}
                          : TColour{base.r * 3 / 4 + depth, base.g * 3 / 4 + depth, base.b * 3 / 4 + depth};
            }
            const int n = grain(x, y, camera);
            putPixel(p, x, y, {c.r + n, c.g + n, c.b + n});
        }
    // Windows in the wall, placed by camera.
    for (int k = 0; k < 4 + camera; ++k) {
        const int x = 40 + k * (640 / (4 + camera));
        fillRect(p, x, 50, x + 50, 50 + horizon / 2, {base.r / 3, base.g / 3, base.b / 2 + 40});
    }
    return p;
}

struct TObject {
    double x, y;  // centre, picture pixels
    int rx, ry;   // radii
    TColour colour;
    int paletteIndex;  // colour of its outline and centre records, 1..15
};

TObject objectAt(int camera, int k, double t) {
    const double phase = 0.7 * k + 1.3 * camera;
    const double speed = 0.25 + 0.05 * ((k * 7 + camera) % 5);
    TObject o;
    o.rx = 12 + (k * 7 + camera * 3) % 24;
    o.ry = o.rx + 6 + k % 3 * 4;
    o.x = 360 + 300 * std::sin(speed * t + phase);
    o.y = 330 + 150 * std::sin(0.8 * speed * t + 2 * phase);
    static const TColour colours[] = {{255, 80, 40}, {250, 230, 60}, {240, 240, 240}, {60, 220, 230},
                                      {230, 60, 200}, {255, 160, 40}};
    o.colour = colours[(k + camera) % 6];
    o.paletteIndex = 9 + (k % 7);  // 9..15: the bright colours of the palette
    return o;
}

// The object as the program shows it: the program cuts the picture's edges off (6 pixels left,
// 2 top, 8 right) and enlarges the rest to 720 x 540, and the sensor gives its data in the
// coordinates of that picture.
TObject shown(const TObject& o) {
    constexpr double sx = 720.0 / 706.0, sy = 540.0 / 538.0;
    TObject s = o;
    s.x = (o.x - 6) * sx;
    s.y = (o.y - 2) * sy;
    s.rx = int(std::lround(o.rx * sx));
    s.ry = int(std::lround(o.ry * sy));
    return s;
}

bool inside(const TObject& o, double x, double y) {
    const double dx = (x - o.x) / o.rx;
    const double dy = (y - o.y) / o.ry;
    return dx * dx + dy * dy <= 1.0;
}

void drawObject(TPicture& p, const TObject& o) {
    for (int y = int(o.y) - o.ry - 1; y <= int(o.y) + o.ry + 1; ++y)
        for (int x = int(o.x) - o.rx - 1; x <= int(o.x) + o.rx + 1; ++x) {
            if (!inside(o, x, y)) continue;
            // A darker rim, lighter towards the top left.
            const double dx = (x - o.x) / o.rx, dy = (y - o.y) / o.ry;
            const double r2 = dx * dx + dy * dy;
            const int light = int(30 * (-dx - dy));
            const TColour c = r2 > 0.8 ? TColour{o.colour.r / 2, o.colour.g / 2, o.colour.b / 2}
                                       : TColour{o.colour.r + light, o.colour.g + light, o.colour.b + light};
            putPixel(p, x, y, c);
        }
}

// ---- the data segment ----------------------------------------------------------------------

uint8_t clampByte(double v) { return uint8_t(std::clamp(int(std::lround(v)), 0, 255)); }

void put16(QByteArray& b, int v) {
    const int c = std::clamp(v, 0, 65535);
    b.append(char(c >> 8));
    b.append(char(c & 0xFF));
}

// The alarm map: the map points inside a moving object and inside an area of the camera.
std::array<uint8_t, kAlarmMapBytes> alarmMapOf(const std::vector<TObject>& objects,
                                               const std::array<TCellGrid, kAreas>* areas) {
    std::array<uint8_t, kAlarmMapBytes> map{};
    if (!areas) return map;
    for (int r = 0; r < 72; ++r)
        for (int c = 0; c < 96; ++c) {
            const int x = 8 * (c - 3) + 3;
            const int y = 8 * r - 13;
            if (x < 0 || y < 0 || x >= kPictureWidth || y >= kPictureHeight) continue;
            const int column = x / 8;
            const int row = std::min(kCellRows - 1, int(y / 7.5));
            bool inArea = false;
            for (const TCellGrid& grid : *areas) inArea = inArea || grid.at(row, column) != 0;
            if (!inArea) continue;
            if (std::any_of(objects.begin(), objects.end(), [&](const TObject& o) { return inside(o, x, y); }))
                map[size_t(r * 12 + c / 8)] |= uint8_t(0x80 >> (c % 8));
        }
    return map;
}

// The record list of the objects, ended by a zero byte (or, with BadRecords, not ended: the
// last record claims 255 bytes and the list runs on into the JPEG data).
QByteArray recordsOf(int camera, double t, const std::vector<TObject>& objects, int count, bool bad) {
    QByteArray list;
    int records = 0;
    // The next record may go in.
    auto room = [&records, count] { return records++ < count; };
    for (size_t k = 0; k < objects.size(); ++k) {
        const TObject& o = objects[k];
        // Trace: the path of the last 2.5 s, in map units (x = 8 column - 8, y = 8 row - 24).
        QByteArray trace;
        for (int i = kTracePoints - 1; i >= 0; --i) {
            const TObject past = shown(objectAt(camera, int(k), t - 0.25 * i));
            trace.append(char(clampByte((past.x + 8) / 8)));
            trace.append(char(clampByte((past.y + 24) / 8)));
        }
        if (room()) list.append(char(1)).append(char(2 + trace.size())).append(char(0x80)).append(trace);
        // Outline: the object's box, closed, in pixels (y carried as y + 16).
        const int x0 = int(o.x) - o.rx, x1 = int(o.x) + o.rx, y0 = int(o.y) - o.ry, y1 = int(o.y) + o.ry;
        const int corners[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
        if (room()) {
            list.append(char(1)).append(char(3 + 4 * 5)).append(char(0x90)).append(char(o.paletteIndex));
            for (const auto& c : corners) {
                put16(list, c[0]);
                put16(list, c[1] + 16);
            }
        }
        // Label above the box, at (8 x, 8 y).
        const QByteArray label = "Obj " + QByteArray::number(int(k + 1));
        if (room()) {
            list.append(char(1)).append(char(4 + label.size())).append(char(0x10));
            list.append(char(clampByte(x0 / 8.0))).append(char(clampByte((y0 - 12) / 8.0))).append(label);
        }
        // Centre cross.
        if (room()) {
            list.append(char(1)).append(char(7)).append(char(0x91)).append(char(o.paletteIndex));
            put16(list, int(o.x));
            put16(list, int(o.y));
        }
    }
    if (bad) {
        // A last record whose length runs past the list, and no end.
        list.append(char(1)).append(char(0xFF)).append(char(0x90)).append(char(12));
    } else {
        list.append(char(0));
    }
    return list;
}

}  // namespace

int PictureQuality(char compressionDigit) {
    switch (compressionDigit) {
        case '1': return 80;
        case '3': return 35;
        default: return 60;
    }
}

QByteArray BuildLivePicture(const TLivePictureRequest& request) {
    const int camera = std::clamp(request.camera, 0, kCameras - 1);
    std::vector<TObject> objects;
    const int recordCount = std::clamp(request.recordCount, 0, 4 * 64);
    const int objectCount = std::max(kMovingObjects, (recordCount + 3) / 4);
    for (int k = 0; k < objectCount; ++k) objects.push_back(objectAt(camera, k, request.time));

    TPicture scene = background(camera);
    for (const TObject& o : objects) drawObject(scene, o);
    char cameraText[8];
    std::snprintf(cameraText, sizeof cameraText, "CAM %d", camera + 1);
    // Bottom left: the program's text information covers the top left corner.
    drawText(scene, 20, kPictureHeight - 48, cameraText, 4, {255, 255, 255});
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", request.hours, request.minutes, request.seconds);
    drawText(scene, kPictureWidth - 16 - 8 * 6 * 3, 16, clock, 3, {255, 255, 120});

    // The data segment: from offset 6 (the segment's data) to the end of the record list.
    QByteArray data(kRecordListOffset - kMagicOffset, '\0');
    std::memcpy(data.data(), "JPEG", 4);
    data[kStampOffset - kMagicOffset] = char(request.hours);
    data[kStampOffset - kMagicOffset + 1] = char(request.minutes);
    data[kStampOffset - kMagicOffset + 2] = char(request.seconds);
    data[kCameraOffset - kMagicOffset] = char(camera + 1);
    std::vector<TObject> shownObjects;
    for (const TObject& o : objects) shownObjects.push_back(shown(o));
    const std::array<uint8_t, kAlarmMapBytes> map = request.alarmMap ? *request.alarmMap : alarmMapOf(shownObjects, request.areas);
    std::memcpy(data.data() + (kAlarmMapOffset - kMagicOffset), map.data(), map.size());
    data.append(recordsOf(camera, request.time, shownObjects, recordCount, request.fault == TPictureFault::BadRecords));

    // The JPEG: lower qualities until the whole picture fits the sensor's limit.
    std::vector<uint8_t> jpeg;
    const qsizetype headerBytes = kMagicOffset + data.size();
    for (int quality = std::clamp(request.quality, 1, 100);; quality = std::max(1, quality - 10)) {
        jpeg = EncodeJpeg(scene, quality);
        if (headerBytes + qsizetype(jpeg.size()) - 2 <= kMaxLivePicture || quality == 1) break;
    }

    QByteArray picture;
    picture.reserve(headerBytes + qsizetype(jpeg.size()));
    picture.append(char(0xFF)).append(char(0xD8)).append(char(0xFF)).append(char(kSegmentMarker));
    const qsizetype segmentLength = 2 + data.size();  // the length counts its own two bytes
    picture.append(char(segmentLength >> 8)).append(char(segmentLength & 0xFF));
    picture.append(data);
    picture.append(reinterpret_cast<const char*>(jpeg.data()) + 2, qsizetype(jpeg.size()) - 2);  // after its SOI

    const qsizetype declared = picture.size() + (request.fault == TPictureFault::Overlong ? kOverlongBy : 0);
    for (int k = 0; k < 4; ++k) picture[kLengthOffset + k] = char((declared >> (24 - 8 * k)) & 0xFF);
    if (request.fault == TPictureFault::CutShort) picture.truncate(picture.size() / 2);
    return picture;
}

void InstallPictureExchanges(TSensorSimulator& simulator) {
    // The setup of the cameras, decoded from the setup memory for the alarm map; made on the
    // first picture request.
    auto decoded = std::make_shared<std::unique_ptr<TSetupStore>>();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();

    TExchange picture;
    picture.name = QStringLiteral("picture request");
    picture.pieceSize = int(kPicturePieceSize);
    picture.handler = [&simulator, decoded, clock](TSimSession& session, const TRequestFrame& frame) {
        const QByteArray& bytes = frame.bytes;
        const char cameraDigit = bytes.size() > 3 ? bytes[3] : '1';
        const char compressionDigit = bytes.size() > 4 ? bytes[4] : '2';
        const int camera = cameraDigit >= '1' && cameraDigit <= '4' ? cameraDigit - '1' : 0;

        if (!*decoded) *decoded = std::make_unique<TSetupStore>();
        TSetupStore& store = **decoded;
        const QByteArray image = simulator.setupMemory().image(camera);
        TDeviceImage words(size_t(kDeviceImageWords), 0);
        for (qsizetype i = 0; i < image.size() && i < qsizetype(words.size()); ++i) words[size_t(i)] = uint8_t(image[i]);
        DecodeCameraImage(words, camera, store);
        std::array<TCellGrid, kAreas> areas;
        for (int a = 0; a < kAreas; ++a) areas[size_t(a)] = store.camera(0, camera).Areas[a].Cells;

        const int number = session.countPicture();
        const TFaultOptions& faults = simulator.options().faults;
        TLivePictureRequest request;
        request.camera = camera;
        request.quality = PictureQuality(compressionDigit);
        const QTime now = QTime::currentTime();
        request.hours = now.hour();
        request.minutes = now.minute();
        request.seconds = now.second();
        request.time = double(clock->elapsed()) / 1000.0;
        request.areas = &areas;
        if (faults.cutPicture == number) request.fault = TPictureFault::CutShort;
        else if (faults.overlongPicture == number) request.fault = TPictureFault::Overlong;
        else if (faults.badRecordsPicture == number) request.fault = TPictureFault::BadRecords;
        const QByteArray reply = BuildLivePicture(request);
        static const char* const faultNames[] = {"", " cut short (cut-picture)", " declaring 1000 bytes more (overlong-picture)",
                                                 " with a record list that runs past its end (bad-records-picture)"};
        simulator.say(QStringLiteral("   picture %1 of the connection: camera %2, quality %3, %4 bytes%5")
                          .arg(number)
                          .arg(camera + 1)
                          .arg(request.quality)
                          .arg(reply.size())
                          .arg(QString::fromLatin1(faultNames[int(request.fault)])));
        return reply;
    };
    simulator.setExchange(TFrameKey::pictureRequest(), std::move(picture));
}

}  // namespace zep4::sim
