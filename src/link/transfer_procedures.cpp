#include "link/transfer_procedures.h"

#include "link/device_image.h"
#include "link/frames.h"
#include "link/link.h"
#include "setup/setup_store.h"

namespace zep4 {
namespace {

// The check bytes of the sensor's acknowledgements of P, S and Q.
const uint8_t kStartAck = Acknowledgement(cmd::BeginTransfer)[5];
const uint8_t kBlockAck = Acknowledgement(cmd::DataBlock)[5];
const uint8_t kEndAck = Acknowledgement(cmd::EndTransfer)[5];

void sendFrame(TLink& link, const TCommandFrame& frame) { link.sendBytes(frame.data(), static_cast<int>(frame.size())); }

}  // namespace

// ---------------------------------------------------------------------------------------
// The images of a transfer

bool TTransferCursor::chooseImages(const std::array<bool, 4>& cameras, bool wholeSetup) {
    clearCursor();
    for (int c = 0; c < kCameras; ++c) imageChosen[c] = cameras[c] || wholeSetup;
    imageChosen[kGlobalImage] = true;
    imageCursor = -1;
    if (!takeNextImage()) return false;
    // Only the global image: no camera was chosen.
    if (currentImage == kGlobalImage && !wholeSetup) {
        clearCursor();
        return false;
    }
    return true;
}

bool TTransferCursor::takeNextImage() {
    for (int i = imageCursor + 1; i < kTransferImages; ++i)
        if (imageChosen[i]) {
            imageCursor = currentImage = i;
            blockNumber = 0;
            return true;
        }
    return false;
}

void TTransferCursor::clearCursor() {
    for (bool& chosen : imageChosen) chosen = false;
    transferState = blockNumber = currentImage = imageCursor = 0;
}

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
    // The whole setup sends every camera as the setup holds it now.
    for (int c = 0; c < kCameras; ++c)
        if (cameras[c] || wholeSetup) EncodeCameraImage(store_, c);
    EncodeGlobalImage(store_);
    if (!chooseImages(cameras, wholeSetup)) {
        emit nothingChosen();
        return;
    }
    transferState = 0;
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
    // The next image's start frame, or the end frame after the last.
    if (takeNextImage()) transferState = 0;
    sendStep();
}

void TTransmitProcedure::fail(Failure failure) {
    Timer1.stop();
    link_.replyLength = 0;
    resetTransmit();
    emit failed(failure);
}

void TTransmitProcedure::resetTransmit() {
    clearCursor();
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
    if (!chooseImages(cameras, wholeSetup)) {
        emit nothingChosen();
        return;
    }
    transferState = 1;
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
    // The next image's first-block request, or the end frame after the last.
    if (takeNextImage()) transferState = 1;
    requestStep();
}

void TReceiveProcedure::fail(Failure failure) {
    Timer1.stop();
    link_.replyLength = 0;
    resetReceive();
    emit failed(failure);
}

void TReceiveProcedure::resetReceive() {
    clearCursor();
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
