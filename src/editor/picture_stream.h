// The live picture stream: "Get Picture" (one still picture of a camera), live test mode (one
// picture after the other, each request sent when the previous picture is complete), the
// watchdog that asks again when a picture does not come or is cut short, and stopping. The
// procedure sends the 5-byte picture requests through TLink, takes every piece the link
// receives while a transfer runs (dispatcher row PictureStream), assembles the pictures with
// TPictureAssembler and reports each complete picture. Decoding and showing a picture is the
// window's: it does so when pictureComplete() is emitted.
//
// QtCore/QtNetwork only; the editor window and the preview drive it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <span>
#include <vector>

#include "editor/live_picture.h"

namespace zep4 {

class TLink;

class TPictureStream : public QObject {
    Q_OBJECT
public:
    // Timer2's intervals: waiting for a picture to start, and for a started one to complete.
    static constexpr int kStartWaitMs = 500;
    static constexpr int kCompleteWaitMs = 10000;

    explicit TPictureStream(TLink& link, QObject* parent = nullptr);

    // Whether the TCP connection is up (requests are only started then).
    bool socketActive() const;

    // "Get Picture": one picture of `camera` (0..3) with the compression digit of
    // `compression` (1..3). False, sending nothing, when the socket is not active.
    bool getPicture(int camera, int compression);
    // Live test mode: pictures of `camera` one after the other. False, sending nothing, when
    // the socket is not active.
    bool startLiveTest(int camera, int compression);
    // Ends live test mode (the StartTestmode button released): the transfer ends, a single
    // picture request stays marked as such. Nothing is sent: the sensor stops because no
    // further request follows.
    void stopLiveTest();
    // Ends any transfer (StoppTestmode, StopLivePicture). Returns whether one was running.
    bool stop();

    // Another camera was chosen while a transfer runs: the request is rebuilt for it with
    // `compression` and takes effect with the next one; nothing is sent now.
    void setCamera(int camera, int compression);
    // The fader moved: the next request carries the new compression digit.
    void setCompression(int compression);
    // The freeze button: while set, complete pictures are not handed on; the stream goes on.
    void setFrozen(bool frozen) { frozen_ = frozen; }
    bool frozen() const { return frozen_; }

    // One block as the dispatcher delivers it (AssemblePictureBlock).
    void AssemblePictureBlock(std::span<const uint8_t> block);
    // The watchdog (Timer2 fired).
    void Timer2Timer();

    // The picture-transfer state.
    bool PictureActive = false;   // the dispatcher hands received bytes to this procedure
    bool SinglePicture = false;   // the transfer fetches one picture
    bool LiveTest = false;        // the transfer runs continuously
    bool PreviewCycle = false;    // the preview: the camera digit advances after each picture
    bool DecodeBusy = false;      // a complete picture is being decoded and shown
    TPictureCommand PictureCommand{'P', 'i', 'c', '1', '2'};
    // The last complete picture handed on (kPictureBufferSize bytes) and its length.
    std::vector<uint8_t> PictureBuffer;
    int PictureLength = 0;
    const TPictureAssembler& assembler() const { return assembler_; }
    // The camera (0..3) of the request the picture now arriving answers.
    int pictureCamera() const { return requestedCamera_; }
    // The link's text for a missing connection.
    QString missingConnectionText() const;

    QTimer Timer2;  // watchdog: 500 ms waiting for a picture start, 10000 ms while one arrives

signals:
    // PictureBuffer holds a new picture of PictureLength bytes: decode and show it now.
    void pictureComplete();
    // The single picture of "Get Picture" is complete (after pictureComplete): the picture
    // on screen is the camera's picture now.
    void singlePictureDone();
    // The watchdog asked again; the transfer runs as live test mode from now on.
    void watchdogRequested();
    // PictureActive, SinglePicture or LiveTest changed.
    void stateChanged();
    // The link went down: the transfer flags are cleared and the watchdog is stopped.
    void linkLost();

private:
    void onReply();
    bool begin(int camera, int compression, bool single);
    void send(const uint8_t* bytes, int length);
    void sendRequest();
    void endTransfer();

    TLink& link_;
    TPictureAssembler assembler_;
    bool frozen_ = false;
    int compression_ = 2;
    int consumed_ = 0;  // bytes of the link's reply already handed to the assembler
    int requestedCamera_ = 0;
};

}  // namespace zep4
