// Moving the setup between the program and the sensor: the transmit procedure (start frame,
// 16 acknowledged data blocks per image, end frame) and the receive procedure (block
// requests, blocks stored by their number, each complete image decoded into the setup).
// The transmit and receive windows and zep4ctl drive them; their outcomes are signals that
// the caller turns into its own texts.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

namespace zep4 {

class TLink;
class TSetupStore;

constexpr int kGlobalImage = 4;  // image 0..3: camera 1..4; image 4: the global image
constexpr int kTransferImages = 5;

// Which images a transfer moves, and how far it has come: the state both procedures share.
struct TTransferCursor {
    bool imageChosen[kTransferImages] = {};
    int transferState = 0;
    int blockNumber = 0;
    int currentImage = 0;
    int imageCursor = 0;

    // Chooses the cameras whose flag is set and the global image, which always travels last;
    // with `wholeSetup` all five. currentImage := the first chosen, blockNumber := 0. False
    // when no camera is chosen and it is not the whole setup.
    bool chooseImages(const std::array<bool, 4>& cameras, bool wholeSetup);
    // Moves currentImage and imageCursor to the next chosen image, blockNumber := 0; false
    // after the last.
    bool takeNextImage();
    void clearCursor();
};

class TTransmitProcedure : public QObject, public TTransferCursor {
    Q_OBJECT
public:
    enum class Failure { TimedOut, TransferError };

    TTransmitProcedure(TLink& link, TSetupStore& store, QObject* parent = nullptr);

    // While true, every reply goes to this procedure (the transmit window is open).
    bool sendWindowShown = false;

    // Sends the chosen cameras and the global image, or with `wholeSetup` all five images.
    // `clearStatistics` sets the setup's ClearStatistics flags before the global image is built.
    void startTransmit(const std::array<bool, 4>& cameras, bool wholeSetup, const std::array<bool, 4>& clearStatistics);
    void sendStep();
    void onTransmitReply();
    void resetTransmit();

    QTimer Timer1;      // reply time-out: 1000 ms after a start frame, 5000 ms after a block or the end
    QTimer PauseTimer;  // the pauses: 300 ms after a start acknowledgement, 1500 ms after an image

    // The protocol's times; tests shorten them, the program never does.
    int startTimeoutMs = 1000;
    int blockTimeoutMs = 5000;
    int startPauseMs = 300;
    int imagePauseMs = 1500;

signals:
    void nothingChosen();
    void imageStarted(int image);    // its start frame was acknowledged
    void progress(int blocks);       // blocks of the current image acknowledged, 0..16
    void imageCompleted(int image);  // all 16 blocks acknowledged
    void finished();                 // the end frame was acknowledged
    void failed(TTransmitProcedure::Failure failure);

private:
    void pause(int ms, void (TTransmitProcedure::*then)());
    void afterStartPause();
    void afterImagePause();
    void fail(Failure failure);

    TLink& link_;
    TSetupStore& store_;
    void (TTransmitProcedure::*afterPause_)() = nullptr;
};

class TReceiveProcedure : public QObject, public TTransferCursor {
    Q_OBJECT
public:
    enum class Failure { TimedOut, BlockError, EndError, StartRefused };

    TReceiveProcedure(TLink& link, TSetupStore& store, QObject* parent = nullptr);

    // While true, every reply goes to this procedure (the receive window is open).
    bool receiveWindowShown = false;

    // Receives the chosen cameras and the global image, or with `wholeSetup` all five.
    void startReceive(const std::array<bool, 4>& cameras, bool wholeSetup);
    void requestStep();
    void onReceiveReply();
    void resetReceive();

    bool pauseActive = false;
    QTimer Timer1;  // reply time-out, 5000 ms
    QTimer Timer2;  // the pause between images, 1500 ms

    // The protocol's times; tests shorten them, the program never does.
    int replyTimeoutMs = 5000;
    int imagePauseMs = 1500;
    // The block numbered 16 completes an image.
    static constexpr int kLastBlock = 16;

signals:
    void nothingChosen();
    void imageStarted(int image);    // its first-block request went out
    void progress(int block);        // number of the block last received
    void imageCompleted(int image);  // decoded into the setup
    void finished();
    void failed(TReceiveProcedure::Failure failure);

private:
    void completeImage();
    void afterImagePause();
    void fail(Failure failure);

    TLink& link_;
    TSetupStore& store_;
};

// The status texts of the two windows in English, by their line of the language section
// (transmit lines 13 to 18, receive lines 12 to 19); empty for another line. The windows
// show them until a language file replaces them; zep4ctl prints them.
QString TransmitBuiltinText(int line);
QString ReceiveBuiltinText(int line);
// The line of the status text that names a failure.
int StatusLine(TTransmitProcedure::Failure failure);
int StatusLine(TReceiveProcedure::Failure failure);

}  // namespace zep4
