// The test overlay's data read from a live picture: the "JPEG" check, the text information, the
// alarm cell map, the object records with their coordinates and colours, and a record walk that
// stays inside the picture whatever its bytes say.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "editor/test_overlay.h"
#include "live_picture_fixture.h"

using namespace zep4;
using namespace zep4::test;

namespace {

using Points = std::vector<TPixelPoint>;

// A picture of `length` bytes with no alarm bit and an empty record list, and a writer for
// records from offset 936 on.
struct OverlayPicture {
    Bytes bytes;
    size_t next = 936;

    explicit OverlayPicture(size_t length = 2000) : bytes(LivePicture(length)) {
        std::fill(bytes.begin() + 14, bytes.begin() + std::min<size_t>(937, length - 2), uint8_t{0});
    }
    // A record: first byte 1, length L = 2 + payload size, type, payload.
    OverlayPicture& record(uint8_t type, const Bytes& payload) { return raw(1, uint8_t(payload.size() + 2), type, payload); }
    OverlayPicture& raw(uint8_t first, uint8_t length, uint8_t type, const Bytes& payload) {
        bytes[next] = first;
        bytes[next + 1] = length;
        bytes[next + 2] = type;
        std::copy(payload.begin(), payload.end(), bytes.begin() + long(next) + 3);
        next += size_t(length) + 1;
        bytes[next] = 0;  // the list ends here unless another record follows
        return *this;
    }
    void alarmBit(int column, int row) { bytes[68 + size_t(row) * 12 + size_t(column) / 8] |= uint8_t(0x80 >> (column % 8)); }
    TTestOverlay parse() const { return ParseTestOverlay(bytes); }
};

TEST(OverlayData, PicturesWithoutJpegMarkGetNoOverlay) {
    const Bytes good = OverlayPicture().bytes;
    Bytes lower = good;
    lower[7] = 'p';
    Bytes shifted = good;
    shifted[6] = 'X';
    const Bytes cases[] = {lower, shifted, Bytes(9, 0), Bytes{}, Bytes(good.begin(), good.begin() + 9)};
    for (const auto& bytes : cases) {
        const TTestOverlay overlay = ParseTestOverlay(bytes);
        EXPECT_FALSE(overlay.valid);
        EXPECT_FALSE(overlay.hasInfo);
        EXPECT_TRUE(overlay.alarmDots.empty());
        EXPECT_TRUE(overlay.records.empty());
    }
    // The mark alone is enough; nothing else fits in a picture of ten bytes.
    const TTestOverlay tiny = ParseTestOverlay(std::span(good).first(10));
    EXPECT_TRUE(tiny.valid);
    EXPECT_FALSE(tiny.hasInfo);
}

TEST(OverlayData, TextInformation) {
    OverlayPicture p;
    p.bytes[21] = 3;
    p.bytes[10] = 0x7F;  // not part of the size shown
    p.bytes[11] = 0x01;
    p.bytes[12] = 0x02;
    p.bytes[13] = 0x03;
    p.bytes[14] = 9;
    p.bytes[15] = 5;
    p.bytes[16] = 255;
    const TTestOverlay overlay = p.parse();
    ASSERT_TRUE(overlay.hasInfo);
    EXPECT_EQ(overlay.cameraNumber, 3);
    EXPECT_EQ(overlay.pictureSize, 0x010203u);
    EXPECT_EQ(overlay.stamp, "09.05.255");
    const auto lines = OverlayInfoLines(overlay, "Kamera:", "Größe:", "Bytes", "Zeit:");
    EXPECT_EQ(lines[0], "Kamera: 3");
    EXPECT_EQ(lines[1], "Größe: 66051 Bytes");
    EXPECT_EQ(lines[2], "Zeit: 09.05.255");
    // A picture that ends before the camera number has no information.
    const TTestOverlay shortPicture = ParseTestOverlay(std::span(p.bytes).first(21));
    EXPECT_TRUE(shortPicture.valid);
    EXPECT_FALSE(shortPicture.hasInfo);
    EXPECT_EQ(OverlayInfoLines(shortPicture, "a", "b", "c", "d")[0], "");
}

TEST(OverlayData, AlarmCellMap) {
    struct Case {
        int column, row;
        bool drawn;
        TOverlayBox box;
    };
    const Case cases[] = {
        {3, 2, true, {2, 1, 5, 4}},          // top-left corner of the drawn part
        {92, 71, true, {714, 553, 717, 556}},  // below the picture: rows are 8 pixels apart
        {9, 10, true, {50, 65, 53, 68}},     // byte 1, bit 6
        {8, 2, true, {42, 1, 45, 4}},        // byte 1, bit 7
        {2, 2, false, {}}, {93, 2, false, {}}, {95, 71, false, {}}, {3, 0, false, {}}, {3, 1, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bit of column " << c.column << ", row " << c.row);
        OverlayPicture p;
        p.alarmBit(c.column, c.row);
        const TTestOverlay overlay = p.parse();
        if (c.drawn) {
            ASSERT_EQ(overlay.alarmDots.size(), 1u);
            EXPECT_EQ(overlay.alarmDots[0], c.box);
        } else {
            EXPECT_TRUE(overlay.alarmDots.empty());
        }
    }
}

TEST(OverlayData, FullAlarmMapInDrawingOrder) {
    OverlayPicture p;
    std::fill(p.bytes.begin() + 68, p.bytes.begin() + 68 + 864, uint8_t{0xFF});
    const TTestOverlay overlay = p.parse();
    ASSERT_EQ(overlay.alarmDots.size(), 70u * 90u);
    EXPECT_EQ(overlay.alarmDots.front(), (TOverlayBox{2, 1, 5, 4}));
    EXPECT_EQ(overlay.alarmDots[1], (TOverlayBox{10, 1, 13, 4}));  // columns inner
    EXPECT_EQ(overlay.alarmDots[90], (TOverlayBox{2, 9, 5, 12}));   // then the next row
    // A picture that ends inside the map has none.
    EXPECT_TRUE(ParseTestOverlay(std::span(p.bytes).first(931)).alarmDots.empty());
    EXPECT_EQ(ParseTestOverlay(std::span(p.bytes).first(932)).alarmDots.size(), 70u * 90u);
}

TEST(OverlayData, Palette) {
    const TRgb expected[] = {
        {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},     {128, 0, 128},
        {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    for (int k = 0; k < 16; ++k) EXPECT_EQ(OverlayPaletteColour(k), expected[k]) << k;
    for (int k : {16, 99, 255, -1}) EXPECT_EQ(OverlayPaletteColour(k), (TRgb{255, 0, 0})) << k;
}

TEST(OverlayData, Records) {
    const TRgb lime{0, 255, 0}, blue{0, 0, 255}, red{255, 0, 0}, aqua{0, 255, 255};
    Bytes longPayload(102, 'x');  // x, y and 100 characters
    longPayload[0] = 3;
    longPayload[1] = 4;
    struct Case {
        const char* name;
        uint8_t type;
        Bytes payload;
        TOverlayRecord expected;
    };
    const Case cases[] = {
        {"trace without points (L = 2)", 0x80, {}, {0x80, lime, {}, ""}},
        {"trace of one point (L = 4)", 0x80, {10, 5}, {0x80, lime, {{72, 16}}, ""}},
        {"trace, odd payload", 0x80, {1, 3, 90, 72, 7}, {0x80, lime, {{0, 0}, {712, 552}}, ""}},
        {"outline", 0x90, {12, 0x01, 0x02, 0x00, 0x20, 0x00, 0x05, 0x00, 0x10, 0xEE},
         {0x90, blue, {{258, 16}, {5, 0}}, ""}},
        {"outline, colour above 15", 0x90, {200, 0x00, 0x01, 0x00, 0x01, 0xEE}, {0x90, red, {{1, -15}}, ""}},
        {"label", 0x10, {3, 4, 'P', 'e', 'r', 's', 0xF6}, {0x10, red, {{24, 32}}, "Pers\xF6"}},
        {"label cut to 79 characters", 0x10, longPayload, {0x10, red, {{24, 32}}, std::string(79, 'x')}},
        {"centre", 0x91, {14, 0x01, 0x00, 0x00, 0x50}, {0x91, aqua, {{256, 80}}, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OverlayPicture p;
        p.record(c.type, c.payload);
        const TTestOverlay overlay = p.parse();
        ASSERT_EQ(overlay.records.size(), 1u);
        EXPECT_EQ(overlay.records[0], c.expected);
    }
}

TEST(OverlayData, RecordsInListOrderOtherTypesSkipped) {
    OverlayPicture p;
    p.record(0x80, {2, 4}).record(0x55, {1, 2, 3}).record(0x91, {9, 0, 1, 0, 2}).raw(7, 3, 0x10, {0, 0, 'A'});
    const TTestOverlay overlay = p.parse();
    ASSERT_EQ(overlay.records.size(), 3u);
    EXPECT_EQ(overlay.records[0].type, 0x80);
    EXPECT_EQ(overlay.records[1].type, 0x91);
    EXPECT_EQ(overlay.records[2].type, 0x10);  // any non-zero first byte continues the list
    EXPECT_EQ(overlay.records[2].text, "");    // L = 3 leaves no text
}

// Pictures whose record bytes would lead outside the picture: the walk ends where the bytes do.
TEST(OverlayData, RecordWalkStaysInsideThePicture) {
    struct Case {
        const char* name;
        Bytes bytes;
        size_t records;  // records listed before the walk ended
    };
    auto pictureWith = [](auto&& write, size_t length = 1200) {
        OverlayPicture p(length);
        write(p);
        return p.bytes;
    };
    const Case cases[] = {
        {"length past the end", pictureWith([](OverlayPicture& p) {
             p.record(0x80, {1, 1});
             p.bytes[p.next] = 1;
             p.bytes[p.next + 1] = 255;  // 255 more bytes, but the picture ends sooner
             p.bytes[p.next + 2] = 0x80;
         }, 1000), 1},
        {"zero length", pictureWith([](OverlayPicture& p) {
             p.record(0x91, {1, 0, 1, 0, 1});
             p.bytes[p.next] = 1;
             p.bytes[p.next + 1] = 0;
             p.bytes[p.next + 2] = 1;  // would read as the next record's first byte
             p.bytes[p.next + 3] = 4;
             p.bytes[p.next + 4] = 0x80;
         }), 1},
        {"first byte is the last byte of the picture", pictureWith([](OverlayPicture& p) {
             p.bytes[936] = 1;
         }, 937), 0},
        {"length byte is the last byte", pictureWith([](OverlayPicture& p) {
             p.bytes[936] = 1;
             p.bytes[937] = 1;
         }, 938), 0},
        {"records up to the very end, no terminator", [] {
             OverlayPicture p(1200);
             while (p.next + 6 <= 1200) p.record(0x80, {1, 1});  // 5 bytes each
             Bytes b = p.bytes;
             b.resize(p.next);
             return b;
         }(), 52},
        {"centre whose fields run past the end", [] {
             OverlayPicture p(1200);
             p.record(0x80, {1, 1});
             const size_t at = p.next;
             p.raw(1, 2, 0x91, {});  // L = 2: the 5 field bytes belong to what follows
             Bytes b = p.bytes;
             b.resize(at + 7);  // one field byte short
             return b;
         }(), 1},
        {"outline whose last point runs one byte past the end", [] {
             OverlayPicture p(1200);
             const size_t at = p.next;
             p.raw(1, 6, 0x90, {9, 0, 1, 0});  // (6 - 2) / 4 = 1 point needs bytes up to at + 7
             Bytes b = p.bytes;
             b.resize(at + 7);
             return b;
         }(), 0},
        {"outline whose last point just fits", [] {
             OverlayPicture p(1200);
             const size_t at = p.next;
             p.raw(1, 6, 0x90, {9, 0, 1, 0});
             Bytes b = p.bytes;
             b.resize(at + 8);
             return b;
         }(), 1},
        {"a list of one-byte lengths", [] {
             Bytes b = OverlayPicture(5000).bytes;
             std::fill(b.begin() + 936, b.end(), uint8_t{1});  // every step advances two bytes
             return b;
         }(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(ParseTestOverlay(c.bytes).valid);
        EXPECT_EQ(ParseTestOverlay(c.bytes).records.size(), c.records);
    }
}

TEST(OverlayData, BytesAfterThePictureAreNeverRead) {
    // The full buffer holds a valid centre record; a picture cut in its middle must not show it.
    OverlayPicture p;
    p.record(0x80, {1, 1});
    const size_t at = p.next;
    p.record(0x91, {9, 0, 100, 0, 100});
    for (size_t cut = at; cut < at + 8; ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(ParseTestOverlay(std::span(p.bytes).first(cut)).records.size(), 1u);
    }
    EXPECT_EQ(ParseTestOverlay(std::span(p.bytes).first(at + 8)).records.size(), 2u);
}

TEST(OverlayData, RandomBytesEndTheWalk) {
    std::mt19937 random(4711);
    for (int round = 0; round < 3000; ++round) {
        const size_t length = std::uniform_int_distribution<size_t>(0, 1400)(random);
        Bytes b(length);
        for (auto& byte : b) byte = uint8_t(random() % 4 == 0 ? random() % 4 : random());
        if (length >= 10) std::memcpy(b.data() + 6, "JPEG", 4);
        const TTestOverlay overlay = ParseTestOverlay(b);
        const size_t bound = length > 936 ? (length - 936) / 2 : 0;
        ASSERT_LE(overlay.records.size(), bound) << "round " << round;
        for (const auto& r : overlay.records) ASSERT_LE(r.text.size(), kMaxRecordText);
    }
}

}  // namespace
