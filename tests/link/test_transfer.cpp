// The setup transfer: the transmit and receive procedures against a peer that answers as the
// test says (frame sequences, refusals, pieces, time-outs), the round trip through the
// simulator, and the two windows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QEventLoop>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "link/device_image.h"
#include "link/link.h"
#include "link/login_procedure.h"
#include "link/transfer_forms.h"
#include "link/transfer_procedures.h"
#include "named_child.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "screenshot.h"
#include "sensor_simulator.h"
#include "setup/setup_defaults.h"
#include "setup/setup_store.h"
#include "transfer_peer.h"
#include "ui/language.h"

using namespace zep4;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

std::unique_ptr<TSetupStore> DefaultStore() {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Kamera");
    return store;
}

// Changes in every camera of every time zone and in the global blocks, with values the
// decoders give back as they are (rectangles of even size, indices in range).
void Scribble(TSetupStore& s) {
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            TCameraSetup& c = s.camera(tz, cam);
            for (int a = 0; a < kAreas; ++a) {
                TAreaSetup& area = c.Areas[a];
                for (int i = 0; i < kCellsPerGrid; ++i) area.Cells.Cell[i] = (i * 7 + tz * 3 + cam * 5 + a) % 13 == 0;
                area.MinCells = 10 + a + tz;
                area.MaxCells = 300 + 17 * a + 61 * cam;
                area.SensitivityIndex = (a + tz + cam) % 10;
                area.DetectionCountIndex = (cam + a) % 5;
                area.ReferenceArea = a == 1;
                area.AreaWatchdog = 1;
                TAreaGeometry& g = c.Geometry[a];
                g.FrontLeft = 10 + 2 * a;
                g.FrontTop = 6 + tz;
                g.FrontWidth = 20;
                g.FrontHeight = 12;
                g.FrontMaxVolume = 200 + cam;
                g.FrontSensitivityIndex = 4;
                g.BackLeft = 30;
                g.BackTop = 40 + 2 * cam;
                g.BackWidth = 8;
                g.BackHeight = 6;
            }
            c.ChannelActive = (tz + cam) % 2;
            c.SpeedIndex = (tz + cam) % 3;
            c.MaxObjects = 5 + cam;
            c.BinaryFilter = tz % 4;
            for (int k = 0; k < 8; ++k) c.Logic[k] = {k % 8, k % 2};
            TPersonSetup& p = s.PersonSetup[tz][cam];
            p.Contrast = 2;
            p.ShadowFilter = 1;
            p.PersonContour = 55;
            for (int a = 0; a < kAreas; ++a) p.PersonDetection[a] = a % 2;
        }
    TGlobalSetup& g = s.Global;
    g.Rs232BaudIndex = 3;
    g.AlarmViaLan = 1;
    for (int z = 0; z < kTimeZones; ++z)
        for (int i = 0; i < kWeekPlanBytes; ++i) g.WeekPlan[z][i] = uint8_t((z * 31 + i) % 256);
    g.SpecialDays[0] = {24, 12, 2};
    for (int c = 0; c < kCameras; ++c) {
        g.Dome[c].DomeAddress = 7 + c;
        for (int i = 0; i < 256; ++i) g.Dome[c].BoxPreset[i] = uint8_t((i + c) % 200);
    }
    const uint8_t host[4] = {192, 168, 0, 77};
    std::copy(host, host + 4, g.AlarmHostAddress);
}

// The words of image 0..4 as they travel: the low byte of words 0..16383.
QByteArray WireImage(TSetupStore& s, int image) {
    const TDeviceImage* words;
    if (image == kGlobalImage) {
        EncodeGlobalImage(s);
        words = &s.TxGlobalImage;
    } else {
        EncodeCameraImage(s, image);
        words = &s.TxImage[image];
    }
    QByteArray bytes(kImageWordsSent, '\0');
    for (int i = 0; i < kImageWordsSent; ++i) bytes[i] = char((*words)[i] & 0xFF);
    return bytes;
}

// A readable form of a frame sequence: "P" begin, "S2:15" block 15 of image byte 2, "Q" end,
// "k3" first-block request for image byte 3, "l" next-block request; "?" for a frame whose
// fixed bytes differ from the frame table.
std::string Sequence(const std::vector<QByteArray>& frames) {
    using B = ScriptedPeer;
    std::string out;
    for (const QByteArray& f : frames) {
        if (!out.empty()) out += ' ';
        if (f == B::bytes({0x1B, 0x50, 0x00, 0x00, 0x00, 0x4B})) out += "P";
        else if (f == B::bytes({0x1B, 0x51, 0x00, 0x00, 0x00, 0x4A})) out += "Q";
        else if (f == B::bytes({0x1B, 0x6C, 0x06, 0x00, 0x00, 0x71})) out += "l";
        else if (f.size() == 7 && f.left(6) == B::bytes({0x1B, 0x6B, 0x01, 0x01, 0x00, 0x70}))
            out += "k" + std::to_string(uint8_t(f[6]));
        else if (f.size() == 1032 && f.left(6) == B::bytes({0x1B, 0x53, 0x00, 0x82, 0x00, 0xCA}))
            out += "S" + std::to_string(uint8_t(f[6])) + ":" + std::to_string(uint8_t(f[7]));
        else out += "?";
    }
    return out;
}

// "P S<i>:0 .. S<i>:15" for each image byte, then "Q".
std::string TransmitSequence(std::initializer_list<int> imageBytes) {
    std::string out;
    for (int i : imageBytes) {
        out += out.empty() ? "P" : " P";
        for (int b = 0; b < 16; ++b) out += " S" + std::to_string(i) + ":" + std::to_string(b);
    }
    return out + " Q";
}

// "k<i>" and seventeen "l" (one after each of blocks 0..16) for each image byte, then "Q".
std::string ReceiveSequence(std::initializer_list<int> imageBytes) {
    std::string out;
    for (int i : imageBytes) {
        out += (out.empty() ? "k" : " k") + std::to_string(i);
        for (int b = 0; b <= 16; ++b) out += " l";
    }
    return out + " Q";
}

// The sensor's side of a readout: block 0 of the named image for a first-block request, the
// following blocks for next-block requests up to block 16, nothing after it, and the end
// acknowledgement. `images[i]` holds the bytes of image byte i + 1.
struct Readout {
    std::array<QByteArray, 5> images;
    int image = -1;
    int next = 0;

    Readout() {
        for (QByteArray& i : images) i = QByteArray(kImageWordsSent, '\0');
    }
    QByteArray blockOf(int number) const {
        return TransferPeer::block(image + 1, number, number < 16 ? images[image].mid(number * 1024, 1024) : QByteArray());
    }
    QByteArray operator()(const QByteArray& frame) {
        switch (uint8_t(frame[1])) {
        case 0x6B:
            image = uint8_t(frame[6]) - 1;
            next = 1;
            return blockOf(0);
        case 0x6C: return image >= 0 && next <= 16 ? blockOf(next++) : QByteArray();
        case 0x51: return TransferPeer::ack(0x51);
        default: return {};
        }
    }
};

class TransferTest : public ::testing::Test {
protected:
    test::TScriptedDialogs dialogs;
    TLink link{dialogs, [](int line) { return LinkBuiltinText(line); }};
    std::unique_ptr<TSetupStore> store = DefaultStore();
    TTransmitProcedure transmit{link, *store};
    TReceiveProcedure receive{link, *store};
    TransferPeer peer;

    void SetUp() override {
        // The pauses are the protocol's; here they would only slow the tests down.
        transmit.startPauseMs = transmit.imagePauseMs = 0;
        receive.imagePauseMs = 0;
        link.connectToHost(QStringLiteral("127.0.0.1"), peer.port());
        ASSERT_TRUE(peer.waitForClient());
        ASSERT_TRUE(QTest::qWaitFor([this] { return link.ClientSocket1.state() == QAbstractSocket::ConnectedState; }));
    }
    void readoutFrom(Readout& sensor) {
        peer.responder = [&sensor](const QByteArray& frame, int) { return sensor(frame); };
    }
};

// --- Transmit ----------------------------------------------------------------------------

TEST_F(TransferTest, TransmitSendsTheChosenCamerasThenTheGlobalImageThenTheEnd) {
    transmit.sendWindowShown = true;
    QSignalSpy finished(&transmit, &TTransmitProcedure::finished);
    QSignalSpy completed(&transmit, &TTransmitProcedure::imageCompleted);
    Scribble(*store);
    transmit.startTransmit({false, true, false, true}, false, {});
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Sequence(peer.frames), TransmitSequence({2, 4, 5}));
    ASSERT_EQ(completed.count(), 3);
    EXPECT_EQ(completed.at(2).at(0).toInt(), kGlobalImage);

    // Each block carries the low bytes of its 1024 words of the image.
    auto copy = DefaultStore();
    Scribble(*copy);
    const QByteArray camera4 = WireImage(*copy, 3), global = WireImage(*copy, kGlobalImage);
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(peer.frames[17 + 1 + b].mid(8), camera4.mid(b * 1024, 1024)) << "block " << b;
        EXPECT_EQ(peer.frames[2 * 17 + 1 + b].mid(8), global.mid(b * 1024, 1024)) << "block " << b;
    }
}

TEST_F(TransferTest, TheWholeSetupSendsAllFiveImagesWithNoCameraChosen) {
    transmit.sendWindowShown = true;
    QSignalSpy finished(&transmit, &TTransmitProcedure::finished);
    transmit.startTransmit({}, true, {});
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Sequence(peer.frames), TransmitSequence({1, 2, 3, 4, 5}));
}

TEST_F(TransferTest, NoCameraChosenSendsNothing) {
    QSignalSpy nothing(&transmit, &TTransmitProcedure::nothingChosen);
    QSignalSpy nothingReceived(&receive, &TReceiveProcedure::nothingChosen);
    transmit.startTransmit({}, false, {});
    receive.startReceive({}, false);
    EXPECT_EQ(nothing.count(), 1);
    EXPECT_EQ(nothingReceived.count(), 1);
    EXPECT_FALSE(transmit.Timer1.isActive());
    EXPECT_FALSE(receive.Timer1.isActive());
    QTest::qWait(20);
    EXPECT_TRUE(peer.received.isEmpty());
}

TEST_F(TransferTest, TheTimeOutsAreOneSecondAfterTheStartAndFiveAfterABlock) {
    transmit.sendWindowShown = true;
    peer.responder = [](const QByteArray& frame, int index) {
        return index == 0 ? TransferPeer::acknowledgeAll(frame, index) : QByteArray();
    };
    transmit.startTransmit({true, false, false, false}, false, {});
    EXPECT_EQ(transmit.Timer1.interval(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([this] { return peer.frames.size() == 2; }));
    EXPECT_EQ(transmit.Timer1.interval(), 5000);
    EXPECT_TRUE(transmit.Timer1.isActive());
    receive.receiveWindowShown = true;
    transmit.resetTransmit();
    receive.startReceive({true, false, false, false}, false);
    EXPECT_EQ(receive.Timer1.interval(), 5000);
}

TEST_F(TransferTest, AWrongAcknowledgementInTheMiddleIsATransferError) {
    transmit.sendWindowShown = true;
    QSignalSpy failed(&transmit, &TTransmitProcedure::failed);
    // The fourth acknowledgement of the image (that of block 2) carries the start code 0x4D.
    peer.responder = [](const QByteArray& frame, int index) {
        return index == 3 ? TransferPeer::ack(0x50) : TransferPeer::acknowledgeAll(frame, index);
    };
    transmit.startTransmit({true, false, false, false}, false, {});
    ASSERT_TRUE(failed.wait(3000));
    EXPECT_EQ(failed.at(0).at(0).value<TTransmitProcedure::Failure>(), TTransmitProcedure::Failure::TransferError);
    QTest::qWait(20);
    EXPECT_EQ(peer.frames.size(), 4u);  // nothing after the refused block
    EXPECT_EQ(transmit.transferState, 0);
    EXPECT_FALSE(transmit.Timer1.isActive());
}

TEST_F(TransferTest, ARepliesOfSevenBytesIsIgnoredUntilTheTimeOut) {
    transmit.sendWindowShown = true;
    transmit.blockTimeoutMs = 100;
    QSignalSpy failed(&transmit, &TTransmitProcedure::failed);
    peer.responder = [](const QByteArray& frame, int index) {
        return index == 2 ? TransferPeer::ack(0x53) + QByteArray(1, '\0') : TransferPeer::acknowledgeAll(frame, index);
    };
    transmit.startTransmit({true, false, false, false}, false, {});
    ASSERT_TRUE(failed.wait(3000));
    EXPECT_EQ(failed.at(0).at(0).value<TTransmitProcedure::Failure>(), TTransmitProcedure::Failure::TimedOut);
    EXPECT_EQ(peer.frames.size(), 3u);
}

TEST_F(TransferTest, TheStatisticsFlagsTravelInTheGlobalImage) {
    transmit.sendWindowShown = true;
    QSignalSpy finished(&transmit, &TTransmitProcedure::finished);
    transmit.startTransmit({true, false, false, false}, false, {false, false, true, false});
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(store->Global.ClearStatistics[2], 1);
    EXPECT_EQ(store->Global.ClearStatistics[1], 0);
    // Words 1681..1684 of the global image, in its block 1 at 657..660.
    const QByteArray block1 = peer.frames[17 + 1 + 1].mid(8);
    EXPECT_EQ(block1.mid(657, 4), ScriptedPeer::bytes({0, 0, 1, 0}));
}

TEST_F(TransferTest, ClosingInAPauseSendsNothingMore) {
    transmit.sendWindowShown = true;
    transmit.startPauseMs = 50;
    QSignalSpy started(&transmit, &TTransmitProcedure::imageStarted);
    transmit.startTransmit({true, false, false, false}, false, {});
    ASSERT_TRUE(started.wait(3000));
    transmit.sendWindowShown = false;
    transmit.resetTransmit();
    QTest::qWait(100);
    EXPECT_EQ(peer.frames.size(), 1u);
}

// --- Receive -----------------------------------------------------------------------------

TEST_F(TransferTest, ReceiveRequestsEachBlockUntilBlock16ThenTheGlobalImageThenTheEnd) {
    receive.receiveWindowShown = true;
    Readout sensor;
    readoutFrom(sensor);
    QSignalSpy finished(&receive, &TReceiveProcedure::finished);
    QSignalSpy completed(&receive, &TReceiveProcedure::imageCompleted);
    receive.startReceive({false, false, true, false}, false);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Sequence(peer.frames), ReceiveSequence({3, 5}));
    ASSERT_EQ(completed.count(), 2);
    EXPECT_EQ(completed.at(0).at(0).toInt(), 2);
    EXPECT_EQ(completed.at(1).at(0).toInt(), kGlobalImage);
}

TEST_F(TransferTest, TheWholeSetupReceivesAllFiveImages) {
    receive.receiveWindowShown = true;
    Readout sensor;
    readoutFrom(sensor);
    QSignalSpy finished(&receive, &TReceiveProcedure::finished);
    receive.startReceive({}, true);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Sequence(peer.frames), ReceiveSequence({1, 2, 3, 4, 5}));
}

TEST_F(TransferTest, ABlockIsStoredWhereItsNumberSays) {
    receive.receiveWindowShown = true;
    QByteArray data(1024, '\0');
    for (int k = 0; k < 1024; ++k) data[k] = char(k % 251);
    peer.responder = [&](const QByteArray& frame, int) {
        return uint8_t(frame[1]) == 0x6B ? TransferPeer::block(1, 5, data) : QByteArray();
    };
    QSignalSpy progress(&receive, &TReceiveProcedure::progress);
    receive.startReceive({true, false, false, false}, false);
    ASSERT_TRUE(QTest::qWaitFor([this] { return peer.frames.size() == 2; }));
    const TDeviceImage& image = store->RxImage[0];
    for (int k = 0; k < 1024; ++k) ASSERT_EQ(image[5120 + k], k % 251) << k;
    EXPECT_EQ(image[5119], 0);
    EXPECT_EQ(image[6144], 0);
    EXPECT_EQ(receive.blockNumber, 5);
    EXPECT_EQ(progress.last().at(0).toInt(), 5);
    receive.resetReceive();
}

TEST_F(TransferTest, AFirstBlockNumbered16DoesNotCompleteTheImage) {
    receive.receiveWindowShown = true;
    peer.responder = [](const QByteArray& frame, int) {
        return uint8_t(frame[1]) == 0x6B ? TransferPeer::block(1, 16, {}) : QByteArray();
    };
    QSignalSpy completed(&receive, &TReceiveProcedure::imageCompleted);
    receive.startReceive({true, false, false, false}, false);
    ASSERT_TRUE(QTest::qWaitFor([this] { return peer.frames.size() == 2; }));
    EXPECT_EQ(Sequence(peer.frames), "k1 l");
    EXPECT_EQ(completed.count(), 0);
    EXPECT_EQ(receive.transferState, 3);
    receive.resetReceive();
}

TEST_F(TransferTest, BadBlocksAreBlockErrorsAndNeverStored) {
    struct Case {
        const char* what;
        int number;
        uint8_t check;
    };
    for (const Case c : {Case{"the program's own check byte 0xCA", 0, 0xCA}, Case{"a number beyond the image", 97, 0xF5},
                         Case{"the last number that does not fit", 255, 0xF5}}) {
        SCOPED_TRACE(c.what);
        receive.receiveWindowShown = true;
        std::fill(store->RxImage[0].begin(), store->RxImage[0].end(), 0);
        peer.frames.clear();
        peer.responder = [&](const QByteArray&, int) { return TransferPeer::block(1, c.number, QByteArray(1024, '\x55'), c.check); };
        QSignalSpy failed(&receive, &TReceiveProcedure::failed);
        receive.startReceive({true, false, false, false}, false);
        ASSERT_TRUE(failed.wait(3000));
        EXPECT_EQ(failed.at(0).at(0).value<TReceiveProcedure::Failure>(), TReceiveProcedure::Failure::BlockError);
        EXPECT_EQ(std::count(store->RxImage[0].begin(), store->RxImage[0].end(), 0x55), 0);
        EXPECT_EQ(receive.transferState, 0);
        EXPECT_FALSE(receive.Timer1.isActive());
    }
}

TEST_F(TransferTest, ABlockInPiecesIsTakenWhenItIsComplete) {
    receive.receiveWindowShown = true;
    peer.responder = nullptr;
    receive.startReceive({true, false, false, false}, false);
    ASSERT_TRUE(peer.waitForBytes(7));
    const QByteArray block = TransferPeer::block(1, 0, QByteArray(1024, '\x21'));
    peer.send(block.left(600));
    ASSERT_TRUE(QTest::qWaitFor([this] { return link.replyLength == 600; }));
    EXPECT_EQ(receive.transferState, 2);  // still waiting for the block
    EXPECT_EQ(store->RxImage[0][0], 0);
    peer.send(block.mid(600));
    ASSERT_TRUE(QTest::qWaitFor([this] { return receive.transferState == 3; }));
    EXPECT_EQ(store->RxImage[0][1023], 0x21);
    ASSERT_TRUE(peer.waitForBytes(7 + 6));
    EXPECT_EQ(peer.received.mid(7), ScriptedPeer::bytes({0x1B, 0x6C, 0x06, 0x00, 0x00, 0x71}));
    receive.resetReceive();
}

TEST_F(TransferTest, ACameraReceivedStaysWhenTheNextOneTimesOut) {
    receive.receiveWindowShown = true;
    receive.replyTimeoutMs = 100;
    auto source = DefaultStore();
    Scribble(*source);
    Readout sensor;
    sensor.images[0] = WireImage(*source, 0);
    sensor.images[1] = WireImage(*source, 1);
    // Camera 2 goes silent after its block 3.
    peer.responder = [&sensor](const QByteArray& frame, int) {
        if (sensor.image == 1 && sensor.next == 4) return QByteArray();
        return sensor(frame);
    };
    QSignalSpy failed(&receive, &TReceiveProcedure::failed);
    receive.startReceive({true, true, false, false}, false);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0).at(0).value<TReceiveProcedure::Failure>(), TReceiveProcedure::Failure::TimedOut);
    auto untouched = DefaultStore();
    for (int tz = 0; tz < kTimeZones; ++tz) {
        EXPECT_EQ(0, std::memcmp(&store->camera(tz, 0).Areas, &source->camera(tz, 0).Areas, sizeof(TAreaSetup) * kAreas))
            << "camera 1 in time zone " << tz + 1;
        EXPECT_EQ(0, std::memcmp(&store->camera(tz, 1), &untouched->camera(tz, 1), sizeof(TCameraSetup)))
            << "camera 2 in time zone " << tz + 1;
    }
}

TEST_F(TransferTest, AWrongEndAcknowledgementIsAnEndError) {
    receive.receiveWindowShown = true;
    Readout sensor;
    peer.responder = [&sensor](const QByteArray& frame, int) {
        return uint8_t(frame[1]) == 0x51 ? TransferPeer::ack(0x53) : sensor(frame);
    };
    QSignalSpy failed(&receive, &TReceiveProcedure::failed);
    receive.startReceive({true, false, false, false}, false);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0).at(0).value<TReceiveProcedure::Failure>(), TReceiveProcedure::Failure::EndError);
}

// --- Round trip through the simulator --------------------------------------------------------

// A simulator on a free port and a link logged in to it.
struct SimulatorSession {
    sim::TSensorSimulator simulator;
    test::TScriptedDialogs dialogs;
    TLink link{dialogs, [](int line) { return LinkBuiltinText(line); }};
    TLoginProcedure login{link};

    void open(const sim::TFaultOptions& faults = {}) {
        simulator.setFaults(faults);
        ASSERT_TRUE(simulator.listen(0));
        QSignalSpy checked(&login, &TLoginProcedure::versionChecked);
        login.start(QStringLiteral("127.0.0.1"), simulator.port(), QStringLiteral("zep4"));
        ASSERT_TRUE(checked.wait(5000));
    }
};

TEST(TransferRoundTrip, ASetupSentToTheSimulatorComesBackFieldByField) {
    SimulatorSession session;
    ASSERT_NO_FATAL_FAILURE(session.open());
    auto sent = DefaultStore();
    Scribble(*sent);
    auto received = DefaultStore();
    TTransmitProcedure transmit{session.link, *sent};
    TReceiveProcedure receive{session.link, *received};
    transmit.startPauseMs = transmit.imagePauseMs = receive.imagePauseMs = 0;

    QSignalSpy transmitted(&transmit, &TTransmitProcedure::finished);
    transmit.sendWindowShown = true;
    transmit.startTransmit({}, true, {});
    ASSERT_TRUE(transmitted.wait(10000));
    transmit.sendWindowShown = false;

    QSignalSpy done(&receive, &TReceiveProcedure::finished);
    receive.receiveWindowShown = true;
    receive.startReceive({}, true);
    ASSERT_TRUE(done.wait(10000));

    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            SCOPED_TRACE("time zone " + std::to_string(tz + 1) + ", camera " + std::to_string(cam + 1));
            const TCameraSetup& a = sent->camera(tz, cam);
            const TCameraSetup& b = received->camera(tz, cam);
            for (int k = 0; k < kAreas; ++k) {
                EXPECT_EQ(0, std::memcmp(&a.Areas[k].Cells, &b.Areas[k].Cells, sizeof(TCellGrid))) << "area " << k;
                EXPECT_EQ(a.Areas[k].MinCells, b.Areas[k].MinCells);
                EXPECT_EQ(a.Areas[k].MaxCells, b.Areas[k].MaxCells);
                EXPECT_EQ(a.Areas[k].SensitivityIndex, b.Areas[k].SensitivityIndex);
                EXPECT_EQ(a.Areas[k].DetectionCountIndex, b.Areas[k].DetectionCountIndex);
                EXPECT_EQ(a.Areas[k].ReferenceArea, b.Areas[k].ReferenceArea);
                EXPECT_EQ(a.Areas[k].AreaWatchdog, b.Areas[k].AreaWatchdog);
                const TAreaGeometry &g = a.Geometry[k], &h = b.Geometry[k];
                EXPECT_EQ(std::tuple(g.FrontLeft, g.FrontTop, g.FrontWidth, g.FrontHeight, g.FrontMaxVolume),
                          std::tuple(h.FrontLeft, h.FrontTop, h.FrontWidth, h.FrontHeight, h.FrontMaxVolume));
                EXPECT_EQ(g.FrontSensitivityIndex, h.FrontSensitivityIndex);
                EXPECT_EQ(std::tuple(g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight),
                          std::tuple(h.BackLeft, h.BackTop, h.BackWidth, h.BackHeight));
            }
            EXPECT_EQ(a.ChannelActive, b.ChannelActive);
            EXPECT_EQ(a.SpeedIndex, b.SpeedIndex);
            EXPECT_EQ(a.MaxObjects, b.MaxObjects);
            EXPECT_EQ(a.BinaryFilter, b.BinaryFilter);
            for (int k = 0; k < 8; ++k)
                EXPECT_EQ(std::pair(a.Logic[k].Source, a.Logic[k].State), std::pair(b.Logic[k].Source, b.Logic[k].State));
            EXPECT_EQ(0, std::memcmp(&sent->PersonSetup[tz][cam], &received->PersonSetup[tz][cam], sizeof(TPersonSetup)));
        }
    const TGlobalSetup &g = sent->Global, &h = received->Global;
    EXPECT_EQ(g.Rs232BaudIndex, h.Rs232BaudIndex);
    EXPECT_EQ(g.AlarmViaLan, h.AlarmViaLan);
    EXPECT_EQ(0, std::memcmp(g.WeekPlan, h.WeekPlan, sizeof g.WeekPlan));
    EXPECT_EQ(std::tuple(g.SpecialDays[0].Day, g.SpecialDays[0].Month, g.SpecialDays[0].Zone),
              std::tuple(h.SpecialDays[0].Day, h.SpecialDays[0].Month, h.SpecialDays[0].Zone));
    EXPECT_EQ(0, std::memcmp(g.AlarmHostAddress, h.AlarmHostAddress, sizeof g.AlarmHostAddress));
    for (int c = 0; c < kCameras; ++c) {
        EXPECT_EQ(g.Dome[c].DomeAddress, h.Dome[c].DomeAddress);
        EXPECT_EQ(0, std::memcmp(g.Dome[c].BoxPreset, h.Dome[c].BoxPreset, sizeof g.Dome[c].BoxPreset));
    }
    // And everything else the images carry: both setups encode to the same bytes.
    for (int image = 0; image < kTransferImages; ++image)
        EXPECT_EQ(WireImage(*sent, image), WireImage(*received, image)) << "image " << image + 1;
}

// The simulator's faults, each on a fresh connection: what the procedures make of them.
TEST(TransferAgainstSimulator, InjectedFaultsEndOrPassTheTransfer) {
    struct Case {
        const char* what;
        sim::TFaultOptions faults;
        bool transmit;
        const char* outcome;  // "finished" or the failure
    };
    auto faults = [](auto set) {
        sim::TFaultOptions f;
        set(f);
        return f;
    };
    const Case cases[] = {
        // Requests 1 and 2 are the login and the version query; 3 the begin frame, 5 block 1.
        {"refused block acknowledgement", faults([](auto& f) { f.refuseRequest = 5; }), true, "TransferError"},
        {"replies in pieces of 600 and 432", faults([](auto& f) { f.splitSizes = {600, 432}; }), false, "finished"},
        {"wrong check byte", faults([](auto& f) { f.badCheckBlock = 3; }), false, "BlockError"},
        {"block number beyond the image", faults([](auto& f) {
             f.wrongNumberBlock = 2;
             f.wrongBlockNumber = 97;
         }),
         false, "BlockError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatorSession session;
        ASSERT_NO_FATAL_FAILURE(session.open(c.faults));
        auto store = DefaultStore();
        TTransmitProcedure transmit{session.link, *store};
        TReceiveProcedure receive{session.link, *store};
        transmit.startPauseMs = transmit.imagePauseMs = receive.imagePauseMs = 0;

        QString outcome;
        QEventLoop loop;
        auto end = [&](QString what) {
            outcome = what;
            loop.quit();
        };
        QObject::connect(&transmit, &TTransmitProcedure::finished, &loop, [&] { end("finished"); });
        QObject::connect(&receive, &TReceiveProcedure::finished, &loop, [&] { end("finished"); });
        QObject::connect(&transmit, &TTransmitProcedure::failed, &loop, [&](TTransmitProcedure::Failure f) {
            end(f == TTransmitProcedure::Failure::TransferError ? "TransferError" : "TimedOut");
        });
        QObject::connect(&receive, &TReceiveProcedure::failed, &loop, [&](TReceiveProcedure::Failure f) {
            end(f == TReceiveProcedure::Failure::BlockError ? "BlockError" : "other failure");
        });
        QTimer::singleShot(10000, &loop, [&] { end("no outcome"); });
        if (c.transmit) {
            transmit.sendWindowShown = true;
            transmit.startTransmit({true, false, false, false}, false, {});
        } else {
            receive.receiveWindowShown = true;
            receive.startReceive({true, false, false, false}, false);
        }
        loop.exec();
        EXPECT_EQ(outcome.toStdString(), c.outcome);
    }
}

// --- The windows -------------------------------------------------------------------------

class TransferFormTest : public TransferTest {
protected:
    TLanguage language{dialogs};

    void SetUp() override {
        TransferTest::SetUp();
        // The shipped English texts, as a user sees the windows.
        ASSERT_TRUE(language.load(test::sourceDir() / "lang" / "English.txt", nullptr));
    }

    template <typename T = QPushButton>
    static T* child(QWidget* form, const char* name) {
        return test::namedChild<T>(form, name);
    }
    static void click(QWidget* form, const char* name) { QTest::mouseClick(child(form, name), Qt::LeftButton); }
    static std::array<bool, 4> cameraButtons(QWidget* form) {
        std::array<bool, 4> down{};
        for (int c = 0; c < 4; ++c)
            down[c] = child(form, ("FlatSpeedButton" + std::to_string(c + 1)).c_str())->isChecked();
        return down;
    }
};

TEST_F(TransferFormTest, SendWindowShowsProgressAndSuccessThenClosesItself) {
    TSendForm form(link, *store, language);
    form.procedure().startPauseMs = form.procedure().imagePauseMs = 0;
    store->CurrentCamera = 2;
    form.show();
    EXPECT_EQ(cameraButtons(&form), (std::array<bool, 4>{false, false, true, false}));
    click(&form, "FlatSpeedButton5");  // "1 - 4"
    EXPECT_EQ(cameraButtons(&form), (std::array<bool, 4>{true, true, true, true}));
    // Camera 1's start is acknowledged, then the sensor waits: the status names the camera.
    peer.responder = [](const QByteArray& frame, int index) {
        return index < 6 ? TransferPeer::acknowledgeAll(frame, index) : QByteArray();
    };
    child<QCheckBox>(&form, "FlatCheckBox3")->setChecked(true);
    click(&form, "FlatSpeedButton6");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.progressValue() == 5; }));
    EXPECT_EQ(form.statusText(), form.text(15) + "1");
    EXPECT_EQ(store->Global.ClearStatistics[2], 1);
    test::saveScreenshot(&form, QStringLiteral("send_progress"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.frames.size() == 7; }));
    peer.responder = TransferPeer::acknowledgeAll;
    QSignalSpy finished(&form.procedure(), &TTransmitProcedure::finished);
    peer.send(TransferPeer::ack(0x53));  // the answer the sensor held back
    ASSERT_TRUE(finished.wait(5000)) << form.statusText().toStdString() << " " << Sequence(peer.frames);
    EXPECT_EQ(form.statusText(), form.text(17));
    test::saveScreenshot(&form, QStringLiteral("send_done"));
    EXPECT_EQ(form.progressValue(), 0);
    EXPECT_TRUE(form.Timer2.isActive());
    EXPECT_EQ(form.Timer2.interval(), 1500);
    form.Timer2.setInterval(0);
    form.Timer2.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }));
    EXPECT_FALSE(form.procedure().sendWindowShown);
    EXPECT_FALSE(child<QCheckBox>(&form, "FlatCheckBox3")->isChecked());
}

TEST_F(TransferFormTest, SendWindowFailuresReleaseTheCameraButtons) {
    TSendForm form(link, *store, language);
    form.procedure().startPauseMs = 0;
    form.show();
    peer.responder = [](const QByteArray& frame, int index) {
        return index == 3 ? TransferPeer::ack(0x50) : TransferPeer::acknowledgeAll(frame, index);
    };
    click(&form, "FlatSpeedButton7");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.statusText() == form.text(16); }));
    EXPECT_EQ(cameraButtons(&form), (std::array<bool, 4>{}));
    EXPECT_EQ(form.progressValue(), 0);
    click(&form, "FlatSpeedButton6");  // no camera chosen now
    EXPECT_EQ(form.statusText(), form.text(18));
}

TEST_F(TransferFormTest, ReceiveWindowShowsTheReceivedSetupAndClosesItself) {
    TReceiveForm form(link, *store, language);
    form.procedure().imagePauseMs = 0;
    QSignalSpy closed(&form, &TReceiveForm::closed);
    form.show();
    Readout sensor;
    auto source = DefaultStore();
    Scribble(*source);
    sensor.images[0] = WireImage(*source, 0);
    // Block 9 is held back for a moment: the window shows how far it got.
    bool held = false;
    peer.responder = [&](const QByteArray& frame, int) {
        if (sensor.image == 0 && sensor.next == 10 && !held) {
            held = true;
            return QByteArray();
        }
        return sensor(frame);
    };
    QSignalSpy finished(&form.procedure(), &TReceiveProcedure::finished);
    click(&form, "FlatSpeedButton7");
    ASSERT_TRUE(QTest::qWaitFor([&] { return held; }));
    EXPECT_EQ(form.progressValue(), 9);
    EXPECT_EQ(form.statusText(), form.text(12) + "1");
    test::saveScreenshot(&form, QStringLiteral("receive_progress"));
    peer.send(sensor(ScriptedPeer::bytes({0x1B, 0x6C, 0x06, 0x00, 0x00, 0x71})));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(form.statusText(), form.text(16));
    test::saveScreenshot(&form, QStringLiteral("receive_done"));
    EXPECT_EQ(0, std::memcmp(&store->camera(1, 0).Areas[2].Cells, &source->camera(1, 0).Areas[2].Cells, sizeof(TCellGrid)));
    EXPECT_TRUE(form.Timer4.isActive());
    EXPECT_EQ(form.Timer4.interval(), 600);
    form.Timer4.setInterval(0);
    form.Timer4.start();
    ASSERT_TRUE(closed.wait(3000));
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.procedure().receiveWindowShown);
}

TEST_F(TransferFormTest, ReceiveWindowNamesEachFailure) {
    TReceiveForm form(link, *store, language);
    form.show();
    struct Case {
        const char* what;
        TransferPeer::Responder responder;
        int line;
    };
    const Case cases[] = {
        {"block error", [](const QByteArray&, int) { return TransferPeer::block(1, 0, {}, 0xCA); }, 15},
        {"no reply", [](const QByteArray&, int) { return QByteArray(); }, 18},
    };
    form.procedure().replyTimeoutMs = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        child(&form, "FlatSpeedButton1")->setChecked(true);
        peer.responder = c.responder;
        click(&form, "FlatSpeedButton7");
        EXPECT_EQ(form.statusText(), form.text(12) + "1");
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.statusText() == form.text(c.line); }));
        EXPECT_EQ(cameraButtons(&form), (std::array<bool, 4>{}));
    }
    click(&form, "FlatSpeedButton7");
    EXPECT_EQ(form.statusText(), form.text(19));
}

}  // namespace
