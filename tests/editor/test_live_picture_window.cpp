// The live picture in the area editor, against the simulator in-process and offscreen: "Get
// Picture" into CameraPicture, live test mode with its requests and pieces, the compression
// fader and the camera switch, freeze, the watchdog after a picture cut short, the
// 65535/65536-byte limit, StopLivePicture, the link going down, and the test overlay's layers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QAbstractSlider>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

#include "editor/draw_form.h"
#include "named_child.h"
#include "editor/picture_stream.h"
#include "link/link.h"
#include "picture_exchanges.h"
#include "scripted_dialogs.h"
#include "screenshot.h"
#include "sensor_simulator.h"
#include "setup/setup_defaults.h"
#include "setup/setup_store.h"
#include "ui/language.h"
#include "ui/picture_qt.h"

using namespace zep4;

namespace {

const QByteArray kLogin = QByteArray::fromHex("1B300000002B7A657034FFFFFFFFFFFF04");

QByteArray Bytes(const TPictureCommand& c) { return QByteArray(reinterpret_cast<const char*>(c.data()), 5); }

std::span<const uint8_t> Span(const QByteArray& b) {
    return {reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size())};
}

// A picture from the simulator's builder, padded inside its data segment to exactly `total`
// bytes, its length field saying so: still a JPEG file the decoder accepts.
QByteArray PaddedPicture(qsizetype total, int camera = 0) {
    sim::TLivePictureRequest request;
    request.camera = camera;
    request.quality = 35;
    const QByteArray base = sim::BuildLivePicture(request);
    const qsizetype segment = (uint8_t(base[4]) << 8) | uint8_t(base[5]);
    const qsizetype pad = total - base.size();
    EXPECT_GE(pad, 0);
    EXPECT_LE(segment + pad, 65535);
    QByteArray out = base.left(4);
    out.append(char((segment + pad) >> 8)).append(char((segment + pad) & 0xFF));
    out.append(base.mid(6, segment - 2)).append(QByteArray(pad, '\0')).append(base.mid(4 + segment));
    for (int k = 0; k < 4; ++k) out[10 + k] = char((total >> (24 - 8 * k)) & 0xFF);
    EXPECT_EQ(out.size(), total);
    return out;
}

// The editor with a picture stream on a link that is not connected; pictures are handed to
// the stream directly.
class LiveOffline : public ::testing::Test {
protected:
    test::TScriptedDialogs dialogs;
    TLanguage language{dialogs};
    std::unique_ptr<TSetupStore> owned = std::make_unique<TSetupStore>();
    TSetupStore& store = *owned;
    TLink link{dialogs, LinkBuiltinText};
    TPictureStream stream{link};
    std::unique_ptr<TDrawForm> form;

    void SetUp() override {
        ResetSetupRecords(store, "Kamera");
        form = std::make_unique<TDrawForm>(store, dialogs, language);
        form->ResetEditor();
        form->setPictureStream(&stream);
        form->show();
    }
    template <typename T = QWidget>
    T* child(const char* name) {
        return test::namedChild<T>(form.get(), name);
    }
    QToolButton* button(const char* name) { return child<QToolButton>(name); }
    // Hands a picture to the stream in pieces of `piece` bytes.
    void feed(const QByteArray& picture, qsizetype piece = 4096) {
        for (qsizetype at = 0; at < picture.size(); at += piece)
            stream.AssemblePictureBlock(Span(picture.mid(at, piece)));
    }
    QImage overlayImage() {
        QWidget* box = child("PaintBox2");
        box->show();
        QImage image(box->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        box->render(&image);
        return image;
    }
};

TEST_F(LiveOffline, LiveButtonsNeedAStreamAndAConnection) {
    // Without a stream the bottom bar's live buttons stay disabled.
    TDrawForm bare(store, dialogs, language);
    for (const char* name : {"FlatSpeedButton16", "FlatSpeedButton22", "FlatSpeedButton21", "FlatSpeedButton23"}) {
        EXPECT_FALSE(bare.findChild<QToolButton*>(QString::fromLatin1(name))->isEnabled()) << name;
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
    // Not connected: the link's text in a warning, nothing sent, StartTestmode back up.
    QTest::mouseClick(button("FlatSpeedButton16"), Qt::LeftButton);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.type, MessageType::Warning);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        EXPECT_EQ(m.text, LinkBuiltinText(40));
    }
    EXPECT_FALSE(button("FlatSpeedButton22")->isChecked());
    EXPECT_FALSE(stream.PictureActive);
    EXPECT_FALSE(stream.Timer2.isActive());
    EXPECT_FALSE(child("PaintBox2")->isVisible());
}

TEST_F(LiveOffline, PictureOf65535BytesIsShownAnd65536AreDropped) {
    const QImage before = form->picture();
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);

    feed(PaddedPicture(65536, 1));
    EXPECT_EQ(complete.count(), 0);
    EXPECT_FALSE(stream.assembler().collecting());
    EXPECT_EQ(form->picture(), before);
    // The picture had started: the watchdog waits its 10 s and asks again.
    EXPECT_TRUE(stream.Timer2.isActive());
    EXPECT_EQ(stream.Timer2.interval(), TPictureStream::kCompleteWaitMs);

    feed(PaddedPicture(65535, 1));
    ASSERT_EQ(complete.count(), 1);
    EXPECT_EQ(stream.PictureLength, 65535);
    EXPECT_FALSE(stream.Timer2.isActive());
    EXPECT_NE(form->picture(), before);
    EXPECT_EQ(form->picture().size(), QSize(720, 540));
    EXPECT_EQ(form->testOverlay().cameraNumber, 2);
    EXPECT_EQ(form->testOverlay().pictureSize, 65535u);
}

TEST_F(LiveOffline, DamagedPictureLeavesThePreviousOneOnScreen) {
    feed(PaddedPicture(40000));
    const QImage shown = form->picture();
    // A complete picture by its header and end marker whose JPEG data are broken.
    QByteArray broken = PaddedPicture(40000);
    for (qsizetype k = 3000; k < 39000; ++k) broken[k] = char(0xFF);
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    feed(broken);
    EXPECT_EQ(complete.count(), 1);
    EXPECT_FALSE(stream.DecodeBusy);
    EXPECT_EQ(form->picture(), shown);
    // The next good picture is shown again.
    feed(PaddedPicture(40000, 2));
    EXPECT_EQ(complete.count(), 2);
    EXPECT_NE(form->picture(), shown);
}

// Pictures of random bytes behind a valid start, length and end marker, with every layer on:
// whatever they hold, decoding and painting stay inside the picture's bytes.
TEST_F(LiveOffline, RandomPicturesNeverCrash) {
    for (const char* name : {"FlatSpeedButton13", "FlatSpeedButton12", "FlatSpeedButton14"}) button(name)->setChecked(true);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    for (int round = 0; round < 40; ++round) {
        const qsizetype length = 16 + qsizetype(next() % 3000);
        QByteArray picture(length, '\0');
        for (qsizetype k = 0; k < length; ++k) picture[k] = char(next() >> 16);
        if (round % 2) picture = PaddedPicture(30000 + round).left(length) + picture;  // a real start
        picture[0] = char(0xFF);
        picture[1] = char(0xD8);
        picture.replace(6, 4, "JPEG");
        for (int k = 0; k < 4; ++k) picture[10 + k] = char((picture.size() >> (24 - 8 * k)) & 0xFF);
        picture[picture.size() - 2] = char(0xFF);
        picture[picture.size() - 1] = char(0xD9);
        feed(picture, 1 + qsizetype(next() % 5000));
        overlayImage();
    }
    EXPECT_EQ(complete.count(), 40);
}

TEST_F(LiveOffline, TestOverlayLayersFollowTheirButtons) {
    sim::TLivePictureRequest request;
    std::array<uint8_t, sim::kAlarmMapBytes> map{};
    map[2 * 12 + 0] = 0x10;  // row 2, column 3: the dot box (2, 1) to (5, 4)
    request.alarmMap = map;
    const QByteArray picture = sim::BuildLivePicture(request);
    feed(picture);
    ASSERT_TRUE(form->testOverlay().valid);
    ASSERT_EQ(form->testOverlay().alarmDots.size(), 1u);
    ASSERT_EQ(form->testOverlay().records.size(), 48u);

    const QColor orange(252, 156, 51);
    TOverlayRecord centre;
    for (const TOverlayRecord& r : form->testOverlay().records)
        if (r.type == 0x91 && r.points[0].x > 40 && r.points[0].y > 60 && r.points[0].x < 680 && r.points[0].y < 520) centre = r;
    ASSERT_EQ(centre.type, 0x91);
    const QColor cross(centre.colour.r, centre.colour.g, centre.colour.b);
    auto pixel = [](const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); };
    struct Case {
        bool alarm, text, objects;
    } cases[] = {{false, false, false}, {true, false, false}, {false, true, false}, {false, false, true}, {true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alarm << c.text << c.objects);
        button("FlatSpeedButton13")->setChecked(c.alarm);
        button("FlatSpeedButton12")->setChecked(c.text);
        button("FlatSpeedButton14")->setChecked(c.objects);
        const QImage image = overlayImage();
        EXPECT_EQ(pixel(image, 3, 2) == orange, c.alarm);
        // The info lines start at (5, 5) on the menu colour.
        EXPECT_EQ(pixel(image, 6, 6) == OverlayInfoBackground() || pixel(image, 6, 6) == QColor(255, 0, 0), c.text);
        EXPECT_EQ(pixel(image, centre.points[0].x + 1, centre.points[0].y) == cross, c.objects);
    }
    // No "JPEG" at offset 6: nothing at all.
    QByteArray plain = picture;
    plain[7] = 'X';
    feed(plain);
    EXPECT_FALSE(form->testOverlay().valid);
    const QImage empty = overlayImage();
    for (int y = 0; y < empty.height(); y += 3)
        for (int x = 0; x < empty.width(); x += 3) ASSERT_EQ(qAlpha(empty.pixel(x, y)), 0) << x << "," << y;
}

// ---------------------------------------------------------------------------------------------

class LiveAgainstSimulator : public LiveOffline {
protected:
    sim::TSensorSimulator sim;
    std::vector<QByteArray> requests;  // picture requests the simulator received
    int reads = 0;                     // reads of the link's socket

    void SetUp() override {
        LiveOffline::SetUp();
        ASSERT_TRUE(sim.listen(0));
        QObject::connect(&sim, &sim::TSensorSimulator::frameReceived, [this](const QByteArray& f) {
            if (f.startsWith("Pic")) requests.push_back(f);
        });
        QObject::connect(&link.ClientSocket1, &QTcpSocket::readyRead, [this] { ++reads; });
        QSignalSpy connected(&link, &TLink::connected);
        link.connectToHost(QStringLiteral("127.0.0.1"), sim.port());
        ASSERT_TRUE(connected.wait(5000));
        QSignalSpy replied(&sim, &sim::TSensorSimulator::replySent);
        link.sendBytes(reinterpret_cast<const uint8_t*>(kLogin.constData()), int(kLogin.size()));
        ASSERT_TRUE(replied.wait(5000));
        QTest::qWait(20);
        dialogs.messages.clear();
    }
    void TearDown() override {
        form->StopLivePicture();
        link.closeSocket();
    }
    bool waitFor(const std::function<bool()>& condition, int ms = 10000) { return QTest::qWaitFor(condition, ms); }
    void chooseCamera(int camera) {
        QListWidget* list = child<QListWidget>("ListBox1");
        list->setCurrentRow(camera);
        form->ListBox1Click();
    }
};

TEST_F(LiveAgainstSimulator, GetPictureStoresThePictureInCameraPicture) {
    chooseCamera(1);
    const TPicture before = store.CameraPicture[0];
    QSignalSpy done(&stream, &TPictureStream::singlePictureDone);
    reads = 0;
    QTest::mouseClick(button("FlatSpeedButton16"), Qt::LeftButton);
    EXPECT_TRUE(stream.PictureActive);
    EXPECT_TRUE(stream.SinglePicture);
    EXPECT_FALSE(stream.LiveTest);
    EXPECT_TRUE(form->pictureActive());
    ASSERT_TRUE(done.wait(10000));

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], QByteArray("Pic22"));
    EXPECT_FALSE(stream.PictureActive);
    EXPECT_FALSE(stream.SinglePicture);
    EXPECT_FALSE(form->pictureActive());
    EXPECT_GT(reads, 1) << "the picture came in one read";
    // Camera 2's picture: the one on screen, and no longer black.
    const TPicture& stored = store.CameraPicture[1];
    EXPECT_EQ(stored, FromQImage(form->picture(), 720, 540));
    EXPECT_NE(stored, TPicture::Black(720, 540));
    EXPECT_EQ(store.CameraPicture[0], before);
    EXPECT_EQ(form->testOverlay().cameraNumber, 2);
    // Nothing more is asked for.
    QTest::qWait(100);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_FALSE(child("PaintBox2")->isVisible());
}

TEST_F(LiveAgainstSimulator, LiveModeAssemblesPictureAfterPictureFromPieces) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    reads = 0;
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    EXPECT_TRUE(button("FlatSpeedButton22")->isChecked());
    EXPECT_TRUE(stream.LiveTest);
    EXPECT_TRUE(child("PaintBox2")->isVisible());
    EXPECT_TRUE(stream.Timer2.isActive());
    EXPECT_EQ(stream.Timer2.interval(), TPictureStream::kStartWaitMs);
    // The main window's keep-alive stays quiet while pictures are asked for, and the edit
    // overlay rests.
    EXPECT_TRUE(link.anyProcedureWaiting());
    EXPECT_TRUE(form->pictureActive());

    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    const QImage first = form->picture();
    const int readsForFirst = reads;
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 3; }));
    EXPECT_GT(readsForFirst, 1);
    // Each picture is followed by the next request, for camera 1 at the fader's compression.
    EXPECT_GE(requests.size(), 3u);
    for (const QByteArray& r : requests) EXPECT_EQ(r, QByteArray("Pic12"));
    // The scene moves.
    EXPECT_NE(form->picture(), first);
    EXPECT_EQ(form->testOverlay().records.size(), 48u);

    // The fader changes the compression digit of the next request.
    child<QAbstractSlider>("GFader1")->setValue(3);
    const size_t asked = requests.size();
    ASSERT_TRUE(waitFor([&] { return requests.size() >= asked + 2; }));
    EXPECT_EQ(requests.back(), QByteArray("Pic13"));

    // StoppTestmode: everything up and hidden, the picture on screen kept for camera 1.
    QTest::mouseClick(button("FlatSpeedButton23"), Qt::LeftButton);
    EXPECT_FALSE(stream.PictureActive);
    EXPECT_FALSE(stream.LiveTest);
    EXPECT_FALSE(stream.Timer2.isActive());
    EXPECT_FALSE(button("FlatSpeedButton22")->isChecked());
    EXPECT_FALSE(child("PaintBox2")->isVisible());
    EXPECT_EQ(store.CameraPicture[0], FromQImage(form->picture(), 720, 540));
}

TEST_F(LiveAgainstSimulator, StreamSwitchedToAnotherCamera) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    const QImage camera1 = form->picture();

    chooseCamera(2);
    // The picture of camera 1 stays with camera 1; the next request asks for camera 3.
    EXPECT_EQ(store.CameraPicture[0], FromQImage(camera1, 720, 540));
    EXPECT_EQ(Bytes(stream.PictureCommand), QByteArray("Pic32"));
    ASSERT_TRUE(waitFor([&] { return form->testOverlay().cameraNumber == 3; }));
    EXPECT_EQ(requests.back(), QByteArray("Pic32"));

    form->StopLivePicture();
    EXPECT_EQ(store.CameraPicture[2], FromQImage(form->picture(), 720, 540));
    EXPECT_EQ(store.CameraPicture[0], FromQImage(camera1, 720, 540));
}

TEST_F(LiveAgainstSimulator, StoppedRightAfterASwitchTheOtherCameraKeepsItsPicture) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    ASSERT_TRUE(waitFor([&] { return !stream.assembler().collecting(); }));
    const QImage camera1 = form->picture();
    chooseCamera(3);
    form->StopLivePicture();
    // No picture of camera 4 came: its own picture stays and is shown; camera 1 keeps its live one.
    EXPECT_EQ(store.CameraPicture[3], TPicture::Black(720, 540));
    EXPECT_EQ(FromQImage(form->picture(), 720, 540), TPicture::Black(720, 540));
    EXPECT_EQ(store.CameraPicture[0], FromQImage(camera1, 720, 540));
}

TEST_F(LiveAgainstSimulator, FreezeKeepsThePictureWhileTheStreamGoesOn) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    QTest::mouseClick(button("FlatSpeedButton21"), Qt::LeftButton);
    ASSERT_TRUE(stream.frozen());
    const int shownPictures = complete.count();
    const QImage frozen = form->picture();
    const std::vector<uint8_t> buffer(stream.PictureBuffer.begin(), stream.PictureBuffer.begin() + stream.PictureLength);
    // Pictures keep being requested and assembled, but none is handed on.
    const size_t asked = requests.size();
    ASSERT_TRUE(waitFor([&] { return requests.size() >= asked + 3; }));
    EXPECT_EQ(complete.count(), shownPictures);
    EXPECT_TRUE(stream.PictureActive);
    EXPECT_EQ(form->picture(), frozen);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), stream.PictureBuffer.begin()));

    QTest::mouseClick(button("FlatSpeedButton21"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() > shownPictures; }));
    EXPECT_NE(form->picture(), frozen);
}

TEST_F(LiveAgainstSimulator, WatchdogAsksAgainAfterAPictureCutShort) {
    sim::TFaultOptions faults;
    faults.cutPicture = 1;
    sim.setFaults(faults);
    QSignalSpy sent(&sim, &sim::TSensorSimulator::replySent);
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    // Get Picture: the first picture never completes.
    QTest::mouseClick(button("FlatSpeedButton16"), Qt::LeftButton);
    ASSERT_TRUE(sent.wait(10000));
    ASSERT_TRUE(waitFor([&] { return stream.assembler().total() >= sent.at(0).at(0).toByteArray().size(); }));
    EXPECT_TRUE(stream.assembler().collecting());
    EXPECT_TRUE(stream.Timer2.isActive());
    EXPECT_EQ(stream.Timer2.interval(), TPictureStream::kCompleteWaitMs);
    EXPECT_EQ(complete.count(), 0);

    // Inside the link's read handler the watchdog waits.
    link.readInProgress = true;
    form->Timer2Timer();
    link.readInProgress = false;
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(stream.Timer2.isActive());

    // It fires: the same request again, as live test mode, with the test overlay.
    form->Timer2Timer();
    EXPECT_TRUE(stream.PictureActive);
    EXPECT_TRUE(stream.LiveTest);
    EXPECT_FALSE(stream.SinglePicture);
    EXPECT_TRUE(child("PaintBox2")->isVisible());
    EXPECT_TRUE(stream.Timer2.isActive());
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 2; }));
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0], QByteArray("Pic12"));
    EXPECT_EQ(requests[1], QByteArray("Pic12"));
    // Live test mode goes on until it is stopped.
    EXPECT_TRUE(stream.LiveTest);
}

TEST_F(LiveAgainstSimulator, OverlongPictureNeverCompletesAndRecordsRunningPastTheEndAreBounded) {
    sim::TFaultOptions faults;
    faults.overlongPicture = 1;
    faults.badRecordsPicture = 2;
    sim.setFaults(faults);
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QSignalSpy sent(&sim, &sim::TSensorSimulator::replySent);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(sent.wait(10000));
    ASSERT_TRUE(waitFor([&] { return stream.assembler().total() >= sent.at(0).at(0).toByteArray().size(); }));
    EXPECT_EQ(complete.count(), 0);
    EXPECT_EQ(stream.Timer2.interval(), TPictureStream::kCompleteWaitMs);
    form->Timer2Timer();
    // The second picture's record list runs on into the JPEG data: shown, with its 48 records
    // and whatever the walk finds within the picture.
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    EXPECT_GE(form->testOverlay().records.size(), 48u);
    EXPECT_EQ(form->testOverlay().pictureSize, uint32_t(stream.PictureLength));
}

TEST_F(LiveAgainstSimulator, StopLivePictureEndsTheTransferAndNothingFollows) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    button("FlatSpeedButton21")->setChecked(true);

    // The main window calls it before "Receive setup", "Transmit setup" and the firmware window.
    form->StopLivePicture();
    EXPECT_FALSE(stream.PictureActive);
    EXPECT_FALSE(stream.LiveTest);
    EXPECT_FALSE(stream.SinglePicture);
    EXPECT_FALSE(stream.Timer2.isActive());
    EXPECT_FALSE(button("FlatSpeedButton22")->isChecked());
    EXPECT_FALSE(button("FlatSpeedButton21")->isChecked());
    EXPECT_FALSE(child("PaintBox2")->isVisible());
    EXPECT_FALSE(form->pictureActive());
    EXPECT_EQ(store.CameraPicture[0], FromQImage(form->picture(), 720, 540));
    EXPECT_FALSE(link.anyProcedureWaiting());  // the keep-alive may go out again

    // The request already on its way is answered, and the picture is dropped by the
    // dispatcher: it is not shown and no request follows it.
    const int shown = complete.count();
    const size_t askedAtStop = requests.size();
    QTest::qWait(300);
    const size_t asked = requests.size();
    EXPECT_LE(asked, askedAtStop + 1);
    QTest::qWait(300);
    EXPECT_EQ(requests.size(), asked);
    EXPECT_EQ(complete.count(), shown);

    // Idle, it does nothing: the picture on screen is not stored.
    const TPicture stored = store.CameraPicture[0];
    form->setPicture(QImage());
    form->StopLivePicture();
    EXPECT_EQ(store.CameraPicture[0], stored);
}

TEST_F(LiveAgainstSimulator, StartTestmodeReleasedEndsTheStream) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 1; }));
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    EXPECT_FALSE(stream.PictureActive);
    EXPECT_FALSE(stream.LiveTest);
    EXPECT_FALSE(stream.Timer2.isActive());
    EXPECT_FALSE(child("PaintBox2")->isVisible());
    EXPECT_EQ(store.CameraPicture[0], FromQImage(form->picture(), 720, 540));
}

TEST_F(LiveAgainstSimulator, LinkGoingDownEndsTheTransfer) {
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    button("FlatSpeedButton21")->setChecked(true);
    ASSERT_TRUE(waitFor([&] { return stream.assembler().total() > 0 || complete.count() > 0; }));
    // The main window's disconnect button closes the socket.
    link.closeSocket();
    ASSERT_TRUE(waitFor([&] { return !stream.PictureActive; }));
    EXPECT_FALSE(stream.LiveTest);
    EXPECT_FALSE(stream.Timer2.isActive());
    EXPECT_FALSE(button("FlatSpeedButton22")->isChecked());
    EXPECT_FALSE(button("FlatSpeedButton21")->isChecked());
    EXPECT_FALSE(child("PaintBox2")->isVisible());
    EXPECT_FALSE(form->pictureActive());
}

// Live test mode with every overlay layer on, over areas the simulator holds: for people to
// look at (ZEP4_SCREENSHOT_DIR).
TEST_F(LiveAgainstSimulator, Screenshot) {
    // The simulator's factory setup has area 0 of every camera full: every moving object alarms.
    for (const char* name : {"FlatSpeedButton13", "FlatSpeedButton12", "FlatSpeedButton14"}) button(name)->setChecked(true);
    QSignalSpy complete(&stream, &TPictureStream::pictureComplete);
    QTest::mouseClick(button("FlatSpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return complete.count() >= 3; }));
    EXPECT_FALSE(form->testOverlay().alarmDots.empty());
    test::saveScreenshot(form.get(), QStringLiteral("editor_live_test"));
}

}  // namespace
