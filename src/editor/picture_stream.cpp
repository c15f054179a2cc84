#include "editor/picture_stream.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "link/link.h"

namespace zep4 {

TPictureStream::TPictureStream(TLink& link, QObject* parent)
    : QObject(parent), PictureBuffer(kPictureBufferSize, 0), link_(link) {
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(kStartWaitMs);
    connect(&Timer2, &QTimer::timeout, this, &TPictureStream::Timer2Timer);

    link_.registerProcedure(
        TLink::Row::PictureStream, [this] { return PictureActive; }, [this] { onReply(); });
    // A link that goes down ends the transfer: no request can follow.
    auto lost = [this] {
        const bool wasActive = PictureActive || SinglePicture || LiveTest || Timer2.isActive();
        PictureActive = SinglePicture = LiveTest = false;
        Timer2.stop();
        if (!wasActive) return;
        emit stateChanged();
        emit linkLost();
    };
    connect(&link_, &TLink::disconnected, this, lost);
    connect(&link_, &TLink::socketError, this, lost);
}

// Connected, not merely connecting: a request sent while the connection is still being made
// would not leave, and the transfer would wait for ever.
bool TPictureStream::socketActive() const { return link_.ClientSocket1.state() == QAbstractSocket::ConnectedState; }

// Every request starts the reply anew: the link's reply length goes to 0 before it is sent.
void TPictureStream::send(const uint8_t* bytes, int length) {
    link_.replyLength = 0;
    consumed_ = 0;
    link_.sendBytes(bytes, length);
    // A send clears the link's accumulator; what arrives from now on is the new reply.
    consumed_ = 0;
}

void TPictureStream::sendRequest() {
    requestedCamera_ = PictureCommand[3] >= '1' && PictureCommand[3] <= '4' ? PictureCommand[3] - '1' : 0;
    send(PictureCommand.data(), int(PictureCommand.size()));
}

QString TPictureStream::missingConnectionText() const { return link_.text(40); }

// Both requests: the command for the camera, the stream reset, the transfer flags, the send.
bool TPictureStream::begin(int camera, int compression, bool single) {
    if (!socketActive()) return false;
    compression_ = compression;
    PictureCommand = BuildPictureCommand(camera, compression);
    assembler_.resetStream();
    PictureActive = true;
    SinglePicture = single;
    LiveTest = !single;
    emit stateChanged();
    sendRequest();
    return true;
}

bool TPictureStream::getPicture(int camera, int compression) { return begin(camera, compression, true); }

bool TPictureStream::startLiveTest(int camera, int compression) {
    if (!begin(camera, compression, false)) return false;
    Timer2.setInterval(kStartWaitMs);
    Timer2.start();
    return true;
}

void TPictureStream::endTransfer() {
    PictureActive = false;
    LiveTest = false;
    Timer2.stop();
    emit stateChanged();
}

void TPictureStream::stopLiveTest() { endTransfer(); }

bool TPictureStream::stop() {
    const bool wasActive = PictureActive;
    SinglePicture = false;
    endTransfer();
    return wasActive;
}

void TPictureStream::setCamera(int camera, int compression) {
    compression_ = compression;
    PictureCommand = BuildPictureCommand(camera, compression);
}

void TPictureStream::setCompression(int compression) { compression_ = compression; }

// The link presents, after each read, everything received since the request; the assembler
// gets only what is new since the last presentation, so that it sees the pieces as they came.
void TPictureStream::onReply() {
    const int length = std::clamp(link_.replyLength, 0, int(link_.replyBuffer.size()));
    if (consumed_ > length) consumed_ = 0;  // the reply was started anew meanwhile
    const int from = consumed_;
    consumed_ = length;
    if (length > from) AssemblePictureBlock({link_.replyBuffer.data() + from, size_t(length - from)});
}

void TPictureStream::AssemblePictureBlock(std::span<const uint8_t> block) {
    const TPictureAssembler::TOutcome outcome = assembler_.addBlock(block);
    if (outcome.started) {
        Timer2.setInterval(kCompleteWaitMs);
        Timer2.start();
    }
    if (outcome.result != TPictureAssembler::TResult::Complete) return;

    Timer2.stop();
    if (!frozen_) {
        const std::span<const uint8_t> picture = assembler_.picture();
        PictureLength = int(picture.size());
        if (PictureLength <= 0 || PictureLength > kMaxPictureLength) {
            PictureLength = 0;
            return;
        }
        if (!DecodeBusy) {
            DecodeBusy = true;
            std::memcpy(PictureBuffer.data(), picture.data(), picture.size());
            // A picture that cannot be shown is simply not shown; the stream goes on.
            try {
                emit pictureComplete();
            } catch (const std::exception&) {
            }
            DecodeBusy = false;
        }
    }
    if (SinglePicture) {
        SinglePicture = LiveTest = PictureActive = false;
        emit stateChanged();
        emit singlePictureDone();
    }
    if (LiveTest) {
        if (PreviewCycle) AdvanceCameraDigit(PictureCommand);
        if (socketActive()) {
            assembler_.resetStream();
            PictureActive = true;
            SetCompressionDigit(PictureCommand, compression_);
            sendRequest();
            Timer2.setInterval(kStartWaitMs);
            Timer2.start();
        }
    }
}

void TPictureStream::Timer2Timer() {
    // Inside the link's read handler a picture may be completing: try again next time.
    if (link_.readInProgress) return;
    Timer2.stop();
    assembler_.reset();
    PictureLength = 0;
    const bool changed = !PictureActive || !LiveTest || SinglePicture;
    PictureActive = true;
    LiveTest = true;
    SinglePicture = false;
    if (changed) emit stateChanged();
    emit watchdogRequested();
    sendRequest();
    Timer2.start();
}

}  // namespace zep4
