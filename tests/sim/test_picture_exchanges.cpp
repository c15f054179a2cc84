// Live pictures from the simulator: the data items at their fixed offsets (written out here
// byte for byte), the picture sent in pieces, the camera and compression digits, the alarm
// map over the areas the simulator holds, and the three picture faults.
#include "picture_exchanges.h"
#include "sensor_simulator.h"
#include "sim_client.h"
#include "sim_command_line.h"

#include "link/device_image.h"
#include "setup/jpeg_codec.h"
#include "setup/setup_defaults.h"
#include "setup/setup_store.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTime>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zep4::sim {
namespace {

using test::Hex;
using test::TSimClient;

const QByteArray kLoginZep4 = Hex("1B 30 00 00 00 2B 7A 65 70 34 FF FF FF FF FF FF 04");

uint8_t at(const QByteArray& b, qsizetype i) { return uint8_t(b[i]); }
uint32_t bigEndian32(const QByteArray& b, qsizetype i) {
    return uint32_t(at(b, i)) << 24 | uint32_t(at(b, i + 1)) << 16 | uint32_t(at(b, i + 2)) << 8 | at(b, i + 3);
}
int word16(const QByteArray& b, qsizetype i) { return at(b, i) << 8 | at(b, i + 1); }

struct TRecord {
    qsizetype offset;
    int length, type;
};

// The record list from offset 936, walked by its lengths, up to the zero byte that ends it;
// stops at the end of `limit` bytes.
std::vector<TRecord> Records(const QByteArray& picture, qsizetype limit, bool* ended = nullptr) {
    std::vector<TRecord> list;
    qsizetype p = 936;
    if (ended) *ended = false;
    while (p + 2 < limit) {
        if (at(picture, p) == 0) {
            if (ended) *ended = true;
            break;
        }
        list.push_back({p, at(picture, p + 1), at(picture, p + 2)});
        p += at(picture, p + 1) + 1;
    }
    return list;
}

class PictureExchanges : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.listen(0)) << sim.errorString().toStdString(); }

    std::unique_ptr<TSimClient> LoggedIn() {
        auto client = std::make_unique<TSimClient>();
        EXPECT_TRUE(client->connectTo(sim.port()));
        client->send(kLoginZep4);
        EXPECT_TRUE(client->waitForBytes(6));
        client->received.clear();
        client->reads.clear();
        return client;
    }

    // Sends a request and returns the reply as the client received it.
    QByteArray Picture(TSimClient& client, const QByteArray& request) {
        QSignalSpy sent(&sim, &TSensorSimulator::replySent);
        client.received.clear();
        client.reads.clear();
        client.send(request);
        EXPECT_TRUE(QTest::qWaitFor([&] { return sent.count() > 0; }, 10000)) << request.toStdString();
        if (sent.isEmpty()) return {};
        const QByteArray reply = sent.at(0).at(0).toByteArray();
        EXPECT_TRUE(client.waitForBytes(reply.size()));
        EXPECT_EQ(client.received.size(), reply.size());
        return client.received;
    }

    // Area 0 of camera `camera` (time zone 1) covers every cell in the simulator's setup, or
    // (`full` false) no area has any cell.
    void SetArea0(int camera, bool full) {
        auto store = std::make_unique<TSetupStore>();
        ResetSetupRecords(*store, "Kamera");
        for (uint8_t& cell : store->camera(0, camera).Areas[0].Cells.Cell) cell = full ? 1 : 0;
        TDeviceImage words;
        ASSERT_TRUE(EncodeCameraImage(*store, camera, words));
        QByteArray image(16384, '\0');
        for (qsizetype i = 0; i < image.size(); ++i) image[i] = char(words[size_t(i)] & 0xFF);
        ASSERT_TRUE(sim.setupMemory().setImage(camera, image));
    }

    TSensorSimulator sim;
};

TEST_F(PictureExchanges, PictureCarriesTheDataItemsAtTheirOffsetsAndIsAJpegFile) {
    auto client = LoggedIn();
    const QTime before = QTime::currentTime();
    const QByteArray picture = Picture(*client, "Pic22");
    const QTime after = QTime::currentTime();
    ASSERT_GT(picture.size(), 2000);

    // Start of image, the application segment 10 and its length: 2 + 930 data bytes up to the
    // record list, 12 objects of 4 records (trace 23, outline 24, label 10 or 11 with "Obj 1" ..
    // "Obj 12", centre 8 bytes) and the zero byte that ends the list: 2 + 930 + 783 + 1.
    EXPECT_EQ(picture.left(6).toHex(' '), Hex("FF D8 FF EA 06 B4").toHex(' '));
    EXPECT_EQ(picture.mid(6, 4), QByteArray("JPEG"));
    EXPECT_EQ(bigEndian32(picture, 10), uint32_t(picture.size()));
    EXPECT_LE(picture.size(), 65535);
    EXPECT_EQ(at(picture, picture.size() - 2), 0xFF);
    EXPECT_EQ(at(picture, picture.size() - 1), 0xD9);
    EXPECT_EQ(at(picture, 21), 2);  // camera 2
    // The stamp: hours, minutes, seconds of the moment the picture was made.
    const QTime stamp(at(picture, 14), at(picture, 15), at(picture, 16));
    ASSERT_TRUE(stamp.isValid());
    EXPECT_TRUE(stamp >= before.addMSecs(-before.msec()) && stamp <= after) << stamp.toString().toStdString();
    // The encoder's own segments follow it directly (its start of image left out).
    EXPECT_EQ(picture.mid(4 + 0x06B4, 2).toHex(' '), Hex("FF E0").toHex(' '));

    bool ended = false;
    const std::vector<TRecord> records = Records(picture, picture.size(), &ended);
    ASSERT_TRUE(ended);
    ASSERT_EQ(records.size(), 48u);
    EXPECT_EQ(records[0].offset, 936);
    for (size_t k = 0; k < records.size(); k += 4) {
        EXPECT_EQ(records[k].type, 0x80);
        EXPECT_EQ(records[k].length, 22);  // 10 points of 2 bytes
        EXPECT_EQ(records[k + 1].type, 0x90);
        EXPECT_EQ(records[k + 1].length, 23);  // colour, 5 points of 4 bytes
        EXPECT_EQ(records[k + 2].type, 0x10);
        EXPECT_EQ(records[k + 3].type, 0x91);
        EXPECT_EQ(records[k + 3].length, 7);
    }
    const TRecord label = records[2];
    EXPECT_EQ(picture.mid(label.offset + 5, label.length - 4), QByteArray("Obj 1"));
    // The list ends right before the JPEG data: the zero byte is the segment's last.
    EXPECT_EQ(records.back().offset + records.back().length + 1, 4 + 0x06B4 - 1);

    TPicture decoded;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t*>(picture.constData()), size_t(picture.size()), decoded, error))
        << error;
    EXPECT_EQ(decoded.Width, 720);
    EXPECT_EQ(decoded.Height, 540);
}

TEST_F(PictureExchanges, PictureLeavesInPiecesOf4096Bytes) {
    auto client = LoggedIn();
    const QByteArray picture = Picture(*client, "Pic12");
    ASSERT_GT(picture.size(), 3 * 4096);
    EXPECT_GE(client->reads.size(), 3u);
    // Pieces may merge on their way, but none is split further than its 4096 bytes.
    qsizetype total = 0;
    for (qsizetype read : client->reads) total += read;
    EXPECT_EQ(total, picture.size());
    EXPECT_LE(client->reads.front(), 4096);
}

TEST_F(PictureExchanges, CameraDigitNamesTheCameraAndCompressionDigitTheQuality) {
    auto client = LoggedIn();
    struct Case {
        const char* request;
        int cameraByte;
    } cases[] = {{"Pic12", 1}, {"Pic22", 2}, {"Pic32", 3}, {"Pic42", 4}, {"Pic52", 1}, {"Pic02", 1}};
    for (const Case& c : cases) EXPECT_EQ(at(Picture(*client, c.request), 21), c.cameraByte) << c.request;

    const qsizetype fine = Picture(*client, "Pic11").size();
    const qsizetype middle = Picture(*client, "Pic12").size();
    const qsizetype coarse = Picture(*client, "Pic13").size();
    EXPECT_GT(fine, middle);
    EXPECT_GT(middle, coarse);
    EXPECT_LE(fine, 65535);
}

TEST_F(PictureExchanges, AlarmMapMarksMovingObjectsInsideTheAreas) {
    auto client = LoggedIn();
    auto setBits = [](const QByteArray& picture) {
        int bits = 0;
        for (qsizetype i = 68; i < 68 + 864; ++i)
            for (int b = 0; b < 8; ++b) bits += (at(picture, i) >> b) & 1;
        return bits;
    };
    // No cell in any area: no alarm.
    SetArea0(2, false);
    SetArea0(0, false);
    const QByteArray quiet = Picture(*client, "Pic32");
    EXPECT_EQ(setBits(quiet), 0);

    SetArea0(2, true);
    const QByteArray alarm = Picture(*client, "Pic32");
    EXPECT_GT(setBits(alarm), 50);
    // Every object's centre (its 0x91 record) lies on a set bit: map column c, row r covers
    // the point (8 (c - 3) + 3, 8 r - 13).
    for (const TRecord& r : Records(alarm, alarm.size())) {
        if (r.type != 0x91) continue;
        const int x = word16(alarm, r.offset + 4);
        const int y = word16(alarm, r.offset + 6);
        if (x < 16 || y < 16 || x > 700 || y > 520) continue;  // objects at the edge of the picture
        const int c = (x - 3 + 4) / 8 + 3;
        const int row = (y + 13 + 4) / 8;
        EXPECT_TRUE((at(alarm, 68 + row * 12 + c / 8) >> (7 - c % 8)) & 1) << "centre " << x << "," << y;
    }
    // Other cameras keep their empty areas.
    EXPECT_EQ(setBits(Picture(*client, "Pic12")), 0);
}

TEST_F(PictureExchanges, FaultsSpoilTheNthPictureOfTheConnection) {
    enum class Kind { Cut, Overlong, BadRecords };
    for (Kind kind : {Kind::Cut, Kind::Overlong, Kind::BadRecords}) {
        SCOPED_TRACE(int(kind));
        TFaultOptions faults;
        (kind == Kind::Cut ? faults.cutPicture : kind == Kind::Overlong ? faults.overlongPicture : faults.badRecordsPicture) = 2;
        sim.setFaults(faults);
        auto client = LoggedIn();
        const QByteArray first = Picture(*client, "Pic12");
        const QByteArray second = Picture(*client, "Pic12");
        const QByteArray third = Picture(*client, "Pic12");
        for (const QByteArray* whole : {&first, &third}) {
            EXPECT_EQ(bigEndian32(*whole, 10), uint32_t(whole->size()));
            bool ended = false;
            EXPECT_EQ(Records(*whole, whole->size(), &ended).size(), 48u);
            EXPECT_TRUE(ended);
        }
        const uint32_t declared = bigEndian32(second, 10);
        switch (kind) {
            case Kind::Cut:
                // Only the first half leaves; the length field still names the whole picture.
                EXPECT_EQ(second.size(), qsizetype(declared) / 2);
                EXPECT_NE(second.right(2).toHex(' '), Hex("FF D9").toHex(' '));
                break;
            case Kind::Overlong:
                EXPECT_EQ(declared, uint32_t(second.size() + 1000));
                EXPECT_EQ(second.right(2).toHex(' '), Hex("FF D9").toHex(' '));
                break;
            case Kind::BadRecords: {
                EXPECT_EQ(declared, uint32_t(second.size()));
                // 48 records, then one of length 0xFF (type 0x90) and no zero byte: the walk
                // runs past the segment into the JPEG data.
                const qsizetype segmentEnd = 4 + word16(second, 4);
                const std::vector<TRecord> records = Records(second, segmentEnd);
                ASSERT_EQ(records.size(), 49u);
                EXPECT_EQ(records.back().length, 0xFF);
                EXPECT_EQ(records.back().type, 0x90);
                EXPECT_GT(records.back().offset + 0xFF + 1, segmentEnd);
                TPicture decoded;
                std::string error;
                EXPECT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t*>(second.constData()), size_t(second.size()),
                                       decoded, error))
                    << error;
                break;
            }
        }
        client.reset();
        QTest::qWait(0);
    }
}

TEST(PictureFaultOptions, CommandLineSetsTheThreePictureFaults) {
    struct Case {
        QStringList arguments;
        int cut, overlong, badRecords;
        bool ok;
    } cases[] = {
        {{"--cut-picture", "3"}, 3, 0, 0, true},
        {{"--overlong-picture", "1"}, 0, 1, 0, true},
        {{"--bad-records-picture", "7"}, 0, 0, 7, true},
        {{"--cut-picture", "x"}, 0, 0, 0, false},
        {{"--overlong-picture", "-1"}, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        TSimulatorCommandLine line;
        QCommandLineParser parser;
        line.addTo(parser);
        ASSERT_TRUE(parser.parse(QStringList{"zep4-sim"} + c.arguments));
        TSimulatorOptions options;
        quint16 port = 0;
        QString error;
        EXPECT_EQ(line.read(parser, options, port, error), c.ok) << c.arguments.join(' ').toStdString();
        if (!c.ok) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        EXPECT_EQ(options.faults.cutPicture, c.cut);
        EXPECT_EQ(options.faults.overlongPicture, c.overlong);
        EXPECT_EQ(options.faults.badRecordsPicture, c.badRecords);
    }
}

// The bench and the window tests take pictures straight from the builder: the same bytes
// with a given alarm map.
TEST(LivePictureBuilder, GivenAlarmMapStandsAtOffset68) {
    TLivePictureRequest request;
    request.camera = 3;
    request.hours = 12;
    request.minutes = 34;
    request.seconds = 56;
    std::array<uint8_t, kAlarmMapBytes> map{};
    for (size_t i = 0; i < map.size(); ++i) map[i] = uint8_t(i % 2 ? 0xAA : 0x55);
    request.alarmMap = map;
    const QByteArray picture = BuildLivePicture(request);
    EXPECT_EQ(picture.mid(14, 3).toHex(' '), Hex("0C 22 38").toHex(' '));
    EXPECT_EQ(at(picture, 21), 4);
    EXPECT_EQ(picture.mid(68, 864), QByteArray(reinterpret_cast<const char*>(map.data()), 864));
}

}  // namespace
}  // namespace zep4::sim
