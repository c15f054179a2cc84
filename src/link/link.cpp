#include "link/link.h"

#include <QHostAddress>
#include <algorithm>
#include <cstring>

#include "ui/dialogs.h"

namespace zep4 {

QString LinkBuiltinText(int line) {
    switch (line) {
    case 38: return QStringLiteral("The serial port is not open or cannot send.");
    case 40: return QStringLiteral("There is no connection to the sensor.");
    case 41: return QStringLiteral("Connected");
    case 42: return QStringLiteral("Connection error, code:");
    case 43: return QStringLiteral("Disconnected!");
    case 46: return QStringLiteral("The serial port cannot be opened.");
    case 48: return QStringLiteral("With \"Use COM\" only the firmware window's functions are available.");
    default: return {};
    }
}

TLink::TLink(TDialogs& dialogs, std::function<QString(int)> text, QObject* parent)
    : QObject(parent),
      tcpAccumulator(kBufferSize, 0),
      replyBuffer(kBufferSize, 0),
      dialogs_(dialogs),
      text_(std::move(text)) {
    ClientSocket1.setObjectName(QStringLiteral("ClientSocket1"));
    connect(&ClientSocket1, &QTcpSocket::connected, this, &TLink::ClientSocket1Connect);
    connect(&ClientSocket1, &QTcpSocket::readyRead, this, &TLink::ClientSocket1Read);
    connect(&ClientSocket1, &QTcpSocket::disconnected, this, &TLink::ClientSocket1Disconnect);
    connect(&ClientSocket1, &QTcpSocket::errorOccurred, this, &TLink::ClientSocket1Error);
    sendWatchdog_.setSingleShot(true);
    sendWatchdog_.setInterval(kSendStallMs);
    connect(&sendWatchdog_, &QTimer::timeout, this, &TLink::sendStalled);
    // Every byte the socket takes off its buffer counts as progress.
    connect(&ClientSocket1, &QTcpSocket::bytesWritten, this, [this] {
        if (ClientSocket1.bytesToWrite() > 0)
            sendWatchdog_.start();
        else
            sendWatchdog_.stop();
    });
}

void TLink::registerProcedure(Row row, std::function<bool()> waiting, std::function<void()> handler) {
    Entry e{row, std::move(waiting), std::move(handler)};
    auto at = std::upper_bound(entries_.begin(), entries_.end(), row,
                               [](Row r, const Entry& x) { return static_cast<int>(r) < static_cast<int>(x.row); });
    entries_.insert(at, std::move(e));
}

bool TLink::anyProcedureWaiting() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.waiting(); });
}

void TLink::connectToHost(const QString& host, quint16 port) {
    tcpAccumulatedLength = 0;
    ClientSocket1.connectToHost(host, port);
}

bool TLink::isActive() const { return ClientSocket1.state() != QAbstractSocket::UnconnectedState; }

void TLink::closeSocket() {
    sendWatchdog_.stop();
    if (ClientSocket1.state() == QAbstractSocket::UnconnectedState) return;
    ClientSocket1.abort();
    // abort() emits disconnected only for a connected socket; a connect still in progress is
    // simply dropped, and nothing more is reported for it.
}

void TLink::sendBytes(const uint8_t* frame, int length) {
    if (useSerialLink) {
        // The serial transport serves the firmware window's functions only; it is added with
        // the serial settings window.
        dialogs_.message(nullptr, MessageType::Plain, MessageButtons::Ok, text(48));
        return;
    }
    if (ClientSocket1.state() != QAbstractSocket::ConnectedState) {
        dialogs_.message(nullptr, MessageType::Warning, MessageButtons::Ok, text(40));
        return;
    }
    tcpAccumulatedLength = 0;
    // The socket buffers what it cannot send at once and sends each byte exactly once; the
    // watchdog notices a peer that stops taking bytes.
    const qint64 taken = ClientSocket1.write(reinterpret_cast<const char*>(frame), length);
    if (taken != length) {
        sendStalled();
        return;
    }
    if (ClientSocket1.bytesToWrite() > 0 && !sendWatchdog_.isActive()) sendWatchdog_.start();
}

void TLink::sendStalled() {
    // Nothing more can be sent on this connection: say so and close it, so that the
    // procedures run into their time-outs and the user sees the link is down.
    const QString status = text(42) + QStringLiteral("  ") + QString::number(int(QAbstractSocket::NetworkError)) +
                           QStringLiteral(" (the sensor takes no data)");
    abortQuietly();
    emit socketError(int(QAbstractSocket::NetworkError), status);
}

void TLink::dispatchReply() {
    for (auto& e : entries_)
        if (e.waiting()) {
            e.handler();
            return;
        }
    replyLength = 0;
}

void TLink::ClientSocket1Connect() {
    tcpAccumulatedLength = 0;
    emit connected(ClientSocket1.peerAddress().toString());
}

void TLink::ClientSocket1Read() {
    readInProgress = true;
    const QByteArray bytes = ClientSocket1.readAll();
    if (!bytes.isEmpty()) {
        // Bytes beyond the buffer since the last send are dropped; the dispatcher still sees
        // what fits.
        const int room = kBufferSize - tcpAccumulatedLength;
        const int n = std::min<int>(room, static_cast<int>(bytes.size()));
        if (n > 0) std::memcpy(tcpAccumulator.data() + tcpAccumulatedLength, bytes.constData(), n);
        tcpAccumulatedLength += n;
        std::memcpy(replyBuffer.data(), tcpAccumulator.data(), tcpAccumulatedLength);
        replyLength = tcpAccumulatedLength;
        dispatchReply();
    }
    readInProgress = false;
}

TLink::~TLink() {
    // The socket outlives the watchdog (members go in reverse order) and reports its closing
    // as it dies: nothing of this object may hear of it any more.
    QObject::disconnect(&ClientSocket1, nullptr, this, nullptr);
    sendWatchdog_.stop();
}

void TLink::abortQuietly() {
    // A failure is reported as the error it is, not as an orderly disconnect as well.
    quiet_ = true;
    if (ClientSocket1.state() != QAbstractSocket::UnconnectedState) ClientSocket1.abort();
    quiet_ = false;
}

void TLink::ClientSocket1Disconnect() {
    sendWatchdog_.stop();
    if (quiet_) return;
    emit disconnected();
}

void TLink::ClientSocket1Error(QAbstractSocket::SocketError error) {
    // The peer closing the connection is reported by the disconnect event.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    sendWatchdog_.stop();
    const int code = static_cast<int>(error);
    const QString status = text(42) + QStringLiteral("  ") + QString::number(code) + QStringLiteral(" (") +
                           ClientSocket1.errorString() + QStringLiteral(")");
    abortQuietly();
    emit socketError(code, status);
}

}  // namespace zep4
