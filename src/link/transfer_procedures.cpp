#include "link/transfer_procedures.h"

#include "link/device_image.h"
#include "link/frames.h"
#include "link/link.h"
#include "setup/setup_store.h"

namespace zep4 {
namespace {

// The check bytes of the sensor's acknowledgements of P, S and Q.
constexpr uint8_t kStartAck = 0x4D;
constexpr uint8_t kBlockAck = 0x4E;
constexpr uint8_t kEndAck = 0x4C;
// The check byte of a data block from the sensor.
constexpr uint8_t kSensorBlockCheck = 0xF5;

void sendFrame(TLink& link, const TCommandFrame& frame) { link.sendBytes(frame.data(), static_cast<int>(frame.size())); }

// The next chosen image after `cursor`, or -1.
int nextChosen(const bool (&chosen)[kTransferImages], int cursor) {
    for (int i = cursor + 1; i < kTransferImages; ++i)
        if (chosen[i]) return i;
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Transmit

TTransmitProcedure::TTransmitProcedure(TLink& link, TSetupStore& store, QObject* parent)
    : QObject(parent), link_(link), store_(store) {
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setSingleShot(true);
    PauseTimer.setObjectName(QStringLiteral("PauseTimer"));
    PauseTimer.setSingleShot(true);
    // The sensor needs its pauses in full; a coarse timer may fire up to 5 % early.
    PauseTimer.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, [this] { fail(Failure::TimedOut); });
    connect(&PauseTimer, &QTimer::timeout, this, [this] {
        if (afterPause_) (this->*afterPause_)();
    });
    link_.registerProcedure(TLink::Row::Transmit, [this] { return sendWindowShown; }, [this] { onTransmitReply(); });
}

void TTransmitProcedure::startTransmit(const std::array<bool, 4>& cameras, bool wholeSetup,
                                       const std::array<bool, 4>& clearStatistics) {
    for (int c = 0; c < kCameras; ++c) store_.Global.ClearStatistics[c] = clearStatistics[c] ? 1 : 0;
    emit progress(0);
    imageCursor = -1;
    for (bool& chosen : imageChosen) chosen = false;
    for (int c = 0; c < kCameras; ++c) {
        // The whole setup sends every camera as the setup holds it now.
        if (!cameras[c] && !wholeSetup) continue;
        if (cameras[c]) {
            if (imageCursor == -1) imageCursor = c;
            imageChosen[c] = true;
        }
        EncodeCameraImage(store_, c);
    }
    imageChosen[kGlobalImage] = true;
    EncodeGlobalImage(store_);
    if (imageCursor == -1 && !wholeSetup) {
        emit nothingChosen();
        return;
    }
    if (wholeSetup) {
        for (bool& chosen : imageChosen) chosen = true;
        imageCursor = 0;
    }
    blockNumber = 0;
    transferState = 0;
    currentImage = imageCursor;
    sendStep();
}

void TTransmitProcedure::sendStep() {
    link_.replyLength = 0;
    if (transferState == 0) {
        Timer1.start(startTimeoutMs);
        sendFrame(link_, CommandFrame(cmd::BeginTransfer));
    } else if (transferState == 1 || transferState == 2) {
        const TDeviceImage& image = currentImage == kGlobalImage ? store_.TxGlobalImage : store_.TxImage[currentImage];
        const auto frame = DataBlockFrame(static_cast<uint8_t>(currentImage + 1), static_cast<uint8_t>(blockNumber),
                                          image.data() + blockNumber * kBlockWords);
        Timer1.start(blockTimeoutMs);
        link_.sendBytes(frame.data(), static_cast<int>(frame.size()));
    } else {
        Timer1.start(blockTimeoutMs);
        sendFrame(link_, CommandFrame(cmd::EndTransfer));
    }
}

void TTransmitProcedure::onTransmitReply() {
    // Only a 6-byte reply is judged; anything shorter or longer waits for the time-out.
    if (link_.replyLength != 6) return;
    const uint8_t* r = link_.replyBuffer.data();
    const uint8_t expected = transferState == 0 ? kStartAck : transferState == 3 ? kEndAck : kBlockAck;
    if (r[0] != kEsc || r[5] != expected) {
        fail(Failure::TransferError);
        return;
    }
    Timer1.stop();
    link_.replyLength = 0;
    switch (transferState) {
    case 0:
        transferState = 1;
        blockNumber = 0;
        emit imageStarted(currentImage);
        emit progress(0);
        pause(startPauseMs, &TTransmitProcedure::afterStartPause);
        break;
    case 1:
    case 2:
        transferState = 2;
        ++blockNumber;
        emit progress(blockNumber);
        if (blockNumber < kBlocksPerImage) {
            sendStep();
        } else {
            transferState = 3;
            emit imageCompleted(currentImage);
            pause(imagePauseMs, &TTransmitProcedure::afterImagePause);
        }
        break;
    default:
        emit progress(0);
        emit finished();
        break;
    }
}

void TTransmitProcedure::pause(int ms, void (TTransmitProcedure::*then)()) {
    // The state stays as it is during the pause, so a reply that arrives meanwhile is judged
    // by it, as during any wait.
    afterPause_ = then;
    PauseTimer.start(ms);
}

void TTransmitProcedure::afterStartPause() { sendStep(); }

void TTransmitProcedure::afterImagePause() {
    const int next = nextChosen(imageChosen, imageCursor);
    if (next >= 0) {
        imageCursor = currentImage = next;
        transferState = 0;
        blockNumber = 0;
    }
    sendStep();
}

void TTransmitProcedure::fail(Failure failure) {
    Timer1.stop();
    link_.replyLength = 0;
    resetTransmit();
    emit failed(failure);
}

void TTransmitProcedure::resetTransmit() {
    for (bool& chosen : imageChosen) chosen = false;
    transferState = blockNumber = currentImage = imageCursor = 0;
    Timer1.stop();
    // A transfer abandoned in a pause sends nothing more.
    PauseTimer.stop();
    afterPause_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// Receive

TReceiveProcedure::TReceiveProcedure(TLink& link, TSetupStore& store, QObject* parent)
    : QObject(parent), link_(link), store_(store) {
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setSingleShot(true);
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setSingleShot(true);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, [this] { fail(Failure::TimedOut); });
    connect(&Timer2, &QTimer::timeout, this, &TReceiveProcedure::afterImagePause);
    link_.registerProcedure(TLink::Row::Receive, [this] { return receiveWindowShown; }, [this] { onReceiveReply(); });
}

void TReceiveProcedure::startReceive(const std::array<bool, 4>& cameras, bool wholeSetup) {
    emit progress(0);
    imageCursor = -1;
    for (bool& chosen : imageChosen) chosen = false;
    for (int c = 0; c < kCameras; ++c)
        if (cameras[c]) {
            if (imageCursor == -1) imageCursor = c;
            imageChosen[c] = true;
        }
    imageChosen[kGlobalImage] = true;
    if (imageCursor == -1 && !wholeSetup) {
        emit nothingChosen();
        return;
    }
    if (wholeSetup) {
        for (bool& chosen : imageChosen) chosen = true;
        imageCursor = 0;
    }
    transferState = 1;
    blockNumber = 0;
    currentImage = imageCursor;
    requestStep();
}

void TReceiveProcedure::requestStep() {
    link_.replyLength = 0;
    Timer1.start(replyTimeoutMs);
    if (transferState == 1) {
        const TCommandFrame head = CommandFrame(cmd::RequestFirstBlock, 0x01, 0x01, 0x00);
        uint8_t frame[7];
        std::copy(head.begin(), head.end(), frame);
        frame[6] = static_cast<uint8_t>(currentImage + 1);
        transferState = 2;
        emit imageStarted(currentImage);
        emit progress(0);
        link_.sendBytes(frame, 7);
    } else if (transferState == 3) {
        sendFrame(link_, CommandFrame(cmd::RequestNextBlock, 0x06, 0x00, 0x00));
    } else if (transferState == 4) {
        sendFrame(link_, CommandFrame(cmd::EndTransfer));
    }
}

void TReceiveProcedure::onReceiveReply() {
    const uint8_t* r = link_.replyBuffer.data();
    const int length = link_.replyLength;
    switch (transferState) {
    case 0:
        if (length != 6) return;
        if (r[0] != kEsc || r[5] != kStartAck) return fail(Failure::StartRefused);
        Timer1.stop();
        link_.replyLength = 0;
        transferState = 1;
        blockNumber = 0;
        emit progress(0);
        requestStep();
        return;
    case 2:
    case 3: {
        if (length != static_cast<int>(kDataBlockFrameSize)) return;
        const int number = r[7];
        // A block is stored where its number says; one that would lie beyond the end of the
        // received image is a block error, never stored.
        if (r[0] != kEsc || r[5] != kSensorBlockCheck || (number + 1) * static_cast<int>(kBlockWords) > kDeviceImageWords)
            return fail(Failure::BlockError);
        Timer1.stop();
        link_.replyLength = 0;
        // Only a block that follows another completes the image: a first block numbered 16
        // is stored like any other.
        const bool followsABlock = transferState == 3;
        transferState = 3;
        blockNumber = number;
        emit progress(blockNumber);
        TDeviceImage& image = currentImage == kGlobalImage ? store_.RxGlobalImage : store_.RxImage[currentImage];
        for (size_t k = 0; k < kBlockWords; ++k) image[blockNumber * kBlockWords + k] = r[8 + k];
        requestStep();
        if (followsABlock && blockNumber == kLastBlock) completeImage();
        return;
    }
    case 4:
        if (length != 6) return;
        if (r[0] != kEsc || r[5] != kEndAck) {
            emit progress(0);
            return fail(Failure::EndError);
        }
        Timer1.stop();
        link_.replyLength = 0;
        emit progress(0);
        emit finished();
        return;
    default:
        return;
    }
}

void TReceiveProcedure::completeImage() {
    if (currentImage == kGlobalImage)
        DecodeGlobalImage(store_);
    else
        DecodeCameraImage(store_, currentImage);
    emit imageCompleted(currentImage);
    // Late blocks that arrive in the pause are judged by state 4 and ignored.
    transferState = 4;
    pauseActive = true;
    Timer2.start(imagePauseMs);
}

void TReceiveProcedure::afterImagePause() {
    pauseActive = false;
    const int next = nextChosen(imageChosen, imageCursor);
    if (next >= 0) {
        imageCursor = currentImage = next;
        transferState = 1;
        blockNumber = 0;
    }
    requestStep();
}

void TReceiveProcedure::fail(Failure failure) {
    Timer1.stop();
    link_.replyLength = 0;
    resetReceive();
    emit failed(failure);
}

void TReceiveProcedure::resetReceive() {
    for (bool& chosen : imageChosen) chosen = false;
    transferState = blockNumber = currentImage = imageCursor = 0;
    Timer1.stop();
    Timer2.stop();
    pauseActive = false;
}

// ---------------------------------------------------------------------------------------
// Texts

QString TransmitBuiltinText(int line) {
    switch (line) {
    case 13: return QStringLiteral("No reply from the sensor (time-out)!");
    case 14: return QStringLiteral("Sending the global setup");
    case 15: return QStringLiteral("Sending the setup of camera ");
    case 16: return QStringLiteral("Transfer error!");
    case 17: return QStringLiteral("The setup was sent successfully.");
    case 18: return QStringLiteral("Please choose a camera!");
    default: return {};
    }
}

QString ReceiveBuiltinText(int line) {
    switch (line) {
    case 12: return QStringLiteral("Receiving the setup of camera ");
    case 13: return QStringLiteral("Receiving the global setup");
    case 14: return QStringLiteral("The sensor refused the transfer!");
    case 15: return QStringLiteral("Block error!");
    case 16: return QStringLiteral("The setup was received successfully.");
    case 17: return QStringLiteral("Error at the end of the transfer!");
    case 18: return QStringLiteral("No reply from the sensor (time-out)!");
    case 19: return QStringLiteral("Please choose a camera!");
    default: return {};
    }
}

int StatusLine(TTransmitProcedure::Failure failure) {
    return failure == TTransmitProcedure::Failure::TimedOut ? 13 : 16;
}

int StatusLine(TReceiveProcedure::Failure failure) {
    switch (failure) {
    case TReceiveProcedure::Failure::TimedOut: return 18;
    case TReceiveProcedure::Failure::BlockError: return 15;
    case TReceiveProcedure::Failure::EndError: return 17;
    case TReceiveProcedure::Failure::StartRefused: return 14;
    }
    return 18;
}

}  // namespace zep4
