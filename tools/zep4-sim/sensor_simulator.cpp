#include "sensor_simulator.h"

#include "picture_exchanges.h"

#include "link/frames.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace zep4::sim {

namespace {

// Clients that connect while one is served wait in turn; beyond this many they are
// accepted and closed at once.
constexpr size_t kMaxWaitingClients = 4;

QByteArray ToBytes(const TCommandFrame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
}

// "CA" for 0xCA.
QString ByteText(uint8_t byte) { return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper(); }

// The sizes in which a reply of `total` bytes leaves, for messages.
QString PiecesText(const std::vector<int>& sizes, qsizetype total) {
    QStringList pieces;
    qsizetype sent = 0;
    for (size_t i = 0; sent < total; ++i) {
        const qsizetype size = std::min<qsizetype>(total - sent, std::max(1, sizes[std::min(i, sizes.size() - 1)]));
        if (pieces.size() == 8) {
            pieces << QStringLiteral("...");
            break;
        }
        pieces << QString::number(size);
        sent += size;
    }
    return pieces.join('+');
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TSimSession

TSimSession::TSimSession(TSensorSimulator& simulator, QTcpSocket* socket, int number)
    : QObject(&simulator), simulator_(simulator), socket_(socket), number_(number) {
    socket_->setParent(this);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TSimSession::pump);
}

TSimSession::~TSimSession() {
    // The socket dies with the session; it must not call back into a half-destroyed one.
    socket_->disconnect(this);
    socket_->abort();
}

QString TSimSession::peerText() const {
    return QStringLiteral("%1:%2").arg(socket_->peerAddress().toString()).arg(socket_->peerPort());
}

void TSimSession::start() {
    clock_.start();
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);  // pieces must not be merged
    connect(socket_, &QTcpSocket::readyRead, this, &TSimSession::onReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &TSimSession::onDisconnected);
    simulator_.say(QStringLiteral("client %1 connected from %2").arg(number_).arg(peerText()));
    // A waiting client's first bytes may already be buffered. Handled from the event loop,
    // so that whoever starts the session has finished with it first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (socket_->state() != QAbstractSocket::ConnectedState)
                onDisconnected();
            else if (socket_->bytesAvailable() > 0)
                onReadyRead();
        },
        Qt::QueuedConnection);
}

void TSimSession::onReadyRead() {
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty()) return;
    if (!closing_ && !finished_) {
        for (const TRequestFrame& frame : splitter_.feed(bytes)) {
            if (closing_ || finished_) break;
            handleFrame(frame);
        }
    }
    emit simulator_.bytesReceived(bytes.size());
}

void TSimSession::onDisconnected() {
    if (finished_) return;
    finished_ = true;
    timer_.stop();
    queue_.clear();
    simulator_.say(QStringLiteral("client %1 disconnected").arg(number_));
    emit finished();
}

void TSimSession::handleFrame(const TRequestFrame& frame) {
    if (frame.kind == TFrameKind::Unrecognised) {
        simulator_.say(QStringLiteral("   dropped %1 byte(s) that start no frame: %2")
                           .arg(frame.bytes.size())
                           .arg(TSensorSimulator::HexText(frame.bytes)));
        return;
    }
    const qint64 arrived = clock_.elapsed();
    emit simulator_.frameReceived(frame.bytes);

    const TExchange* exchange = simulator_.exchange(frame.key());
    const QString name = exchange && !exchange->name.isEmpty() ? exchange->name : FrameName(frame);
    const bool isRequest = frame.kind != TFrameKind::KeepAlive;
    if (isRequest) ++requestCount_;
    simulator_.say(QStringLiteral("<- %1%2: %3")
                       .arg(isRequest ? QStringLiteral("#%1 ").arg(requestCount_) : QString())
                       .arg(name)
                       .arg(TSensorSimulator::HexText(frame.bytes)));

    const TFaultOptions& faults = simulator_.options().faults;
    if (isRequest && faults.closeAfterRequest > 0 && requestCount_ >= faults.closeAfterRequest) {
        simulator_.say(QStringLiteral("   closing the connection instead of answering (close-after %1)")
                           .arg(faults.closeAfterRequest));
        queueClose(arrived);
        return;
    }
    if (isRequest && faults.silentAfterRequest > 0 && requestCount_ >= faults.silentAfterRequest) {
        simulator_.say(QStringLiteral("   no reply (silent-after %1)").arg(faults.silentAfterRequest));
        return;
    }
    if (!exchange || !exchange->handler) {
        simulator_.say(QStringLiteral("   ignored: the simulator does not answer this request"));
        return;
    }
    if (exchange->needsLogin && !loggedIn_) {
        simulator_.say(QStringLiteral("   ignored: not logged in"));
        return;
    }

    QByteArray reply;
    if (isRequest && faults.refuseRequest == requestCount_) {
        if (exchange->refusal)
            reply = exchange->refusal(*this, frame);
        else if (frame.kind == TFrameKind::Command)
            reply = ToBytes(Acknowledgement(frame.code, false));
        simulator_.say(QStringLiteral("   refused (refuse %1)").arg(faults.refuseRequest));
    } else {
        reply = exchange->handler(*this, frame);
        if (exchange->sendsDataBlocks && reply.size() == qsizetype(kDataBlockFrameSize)) applyBlockFaults(reply);
    }
    if (!reply.isEmpty()) queueReply(reply, name, arrived, exchange->pieceSize);
}

// Counts a setup data block about to be sent and spoils it as the fault options say.
void TSimSession::applyBlockFaults(QByteArray& block) {
    ++blocksSent_;
    const TFaultOptions& faults = simulator_.options().faults;
    if (faults.badCheckBlock > 0 && faults.badCheckBlock == blocksSent_) {
        simulator_.say(QStringLiteral("   block #%1 of the connection: check byte %2 in place of %3 (bad-block-check %1)")
                           .arg(blocksSent_)
                           .arg(ByteText(kBadBlockCheckByte), ByteText(uint8_t(block[5]))));
        block[5] = char(kBadBlockCheckByte);
    }
    if (faults.wrongNumberBlock > 0 && faults.wrongNumberBlock == blocksSent_) {
        const int number = std::clamp(faults.wrongBlockNumber, 0, 255);
        simulator_.say(QStringLiteral("   block #%1 of the connection: block number %2 in place of %3 (wrong-block-number %1:%2)")
                           .arg(blocksSent_)
                           .arg(number)
                           .arg(uint8_t(block[7])));
        block[7] = char(number);
    }
}

void TSimSession::queueReply(const QByteArray& bytes, const QString& name, qint64 arrivedMs, int pieceSize) {
    const int delay = std::max(0, simulator_.options().faults.delayMs);
    queue_.push_back({bytes, name, arrivedMs, arrivedMs + delay, false, pieceSize});
    pump();
}

void TSimSession::queueClose(qint64 arrivedMs) {
    closing_ = true;
    const int delay = std::max(0, simulator_.options().faults.delayMs);
    queue_.push_back({QByteArray(), QString(), arrivedMs, arrivedMs + delay, true});
    pump();
}

// Sends what is due: the head of the queue, piece by piece, then the next. Returns while it
// waits for a reply's time or for the pause between two pieces; the timer calls it again.
void TSimSession::pump() {
    while (!queue_.empty() && !finished_) {
        if (timer_.isActive()) return;
        TOutgoing& head = queue_.front();
        if (sentOfHead_ == 0) {
            const qint64 wait = head.dueMs - clock_.elapsed();
            if (wait > 0) {
                timer_.start(int(std::min<qint64>(wait, 24 * 3600 * 1000)));
                return;
            }
        }
        if (head.close) {
            queue_.clear();
            simulator_.say(QStringLiteral("   connection closed by the simulator"));
            socket_->disconnectFromHost();
            if (socket_->state() == QAbstractSocket::UnconnectedState) onDisconnected();
            return;
        }
        writePiece();
        if (finished_) return;
        if (sentOfHead_ < head.bytes.size()) {
            const int pause = simulator_.options().faults.splitPauseMs;
            if (pause > 0) {
                timer_.start(pause);
                return;
            }
            continue;
        }
        const QByteArray sent = head.bytes;
        queue_.pop_front();
        sentOfHead_ = 0;
        piecesOfHead_ = 0;
        emit simulator_.replySent(sent);
    }
}

void TSimSession::writePiece() {
    const TOutgoing& head = queue_.front();
    const std::vector<int>& sizes =
        simulator_.options().faults.splitSizes.empty() && head.pieceSize > 0 ? std::vector<int>{head.pieceSize}
                                                                            : simulator_.options().faults.splitSizes;
    const qsizetype remaining = head.bytes.size() - sentOfHead_;
    qsizetype size = remaining;
    if (!sizes.empty()) {
        const size_t index = std::min(size_t(piecesOfHead_), sizes.size() - 1);
        size = std::min<qsizetype>(remaining, std::max(1, sizes[index]));
    }
    if (sentOfHead_ == 0) {
        QString line = QStringLiteral("-> %1: %2").arg(head.name, TSensorSimulator::HexText(head.bytes));
        if (size < head.bytes.size())
            line += QStringLiteral("  [in pieces of %1]").arg(PiecesText(sizes, head.bytes.size()));
        if (simulator_.options().faults.delayMs > 0)
            line += QStringLiteral("  [%1 ms after its request]").arg(clock_.elapsed() - head.arrivedMs);
        simulator_.say(line);
    }
    socket_->write(head.bytes.constData() + sentOfHead_, size);
    socket_->flush();
    sentOfHead_ += size;
    ++piecesOfHead_;
}

// ---------------------------------------------------------------------------------------
// TSensorSimulator

TSensorSimulator::TSensorSimulator(TSimulatorOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &TSensorSimulator::onNewConnection);
    InstallConnectionExchanges(*this);
    InstallSetupExchanges(*this);
    InstallPictureExchanges(*this);
}

TSensorSimulator::~TSensorSimulator() { close(); }

bool TSensorSimulator::listen(quint16 port) {
    if (server_->isListening()) server_->close();
    error_.clear();
    if (server_->listen(QHostAddress::LocalHost, port)) return true;
    error_ = server_->errorString();
    return false;
}

quint16 TSensorSimulator::port() const { return server_->serverPort(); }

bool TSensorSimulator::isListening() const { return server_->isListening(); }

QString TSensorSimulator::errorString() const { return error_; }

void TSensorSimulator::close() {
    server_->close();
    for (const QPointer<QTcpSocket>& s : waiting_)
        if (s) delete s.data();
    waiting_.clear();
    if (current_) {
        delete current_;
        current_ = nullptr;
    }
}

TStateLoad TSensorSimulator::loadState(QString& error) {
    if (options_.stateFile.isEmpty()) return TStateLoad::Missing;
    return setupMemory_.load(options_.stateFile, error);
}

bool TSensorSimulator::saveState(QString& error) {
    if (options_.stateFile.isEmpty()) return true;
    return setupMemory_.save(options_.stateFile, error);
}

void TSensorSimulator::setExchange(TFrameKey key, TExchange exchange) { exchanges_[key] = std::move(exchange); }

void TSensorSimulator::removeExchange(TFrameKey key) { exchanges_.erase(key); }

const TExchange* TSensorSimulator::exchange(TFrameKey key) const {
    const auto it = exchanges_.find(key);
    return it == exchanges_.end() ? nullptr : &it->second;
}

QString TSensorSimulator::HexText(const QByteArray& bytes, qsizetype maxBytes) {
    const qsizetype shown = std::min(bytes.size(), std::max<qsizetype>(0, maxBytes));
    QString text = QString::fromLatin1(bytes.left(shown).toHex(' ').toUpper());
    if (shown < bytes.size()) text += QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
    return text;
}

void TSensorSimulator::say(const QString& line) {
    if (options_.verbose) emit verboseLine(line);
}

void TSensorSimulator::onNewConnection() {
    while (server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        if (!socket) break;
        ++clientsSeen_;
        const QString peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        if (!current_ && waiting_.empty()) {
            current_ = new TSimSession(*this, socket, clientsSeen_);
            connect(current_, &TSimSession::finished, this, &TSensorSimulator::onSessionFinished);
            emit clientConnected();
            current_->start();
        } else if (waiting_.size() < kMaxWaitingClients) {
            say(QStringLiteral("client %1 from %2 waits: another client is being served")
                    .arg(clientsSeen_)
                    .arg(peer));
            socket->setProperty("zep4SimClient", clientsSeen_);
            connect(socket, &QTcpSocket::disconnected, this, [socket] { socket->deleteLater(); });
            waiting_.emplace_back(socket);
        } else {
            say(QStringLiteral("client %1 from %2 closed: too many clients wait").arg(clientsSeen_).arg(peer));
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
        }
    }
}

void TSensorSimulator::onSessionFinished() {
    auto* session = qobject_cast<TSimSession*>(sender());
    if (session) session->deleteLater();
    if (session != current_) return;
    current_ = nullptr;
    emit clientDisconnected();
    serveNextWaiting();
}

void TSensorSimulator::serveNextWaiting() {
    while (!current_ && !waiting_.empty()) {
        QPointer<QTcpSocket> socket = waiting_.front();
        waiting_.pop_front();
        if (!socket) continue;
        QObject::disconnect(socket, nullptr, this, nullptr);
        if (socket->state() != QAbstractSocket::ConnectedState) {  // left while it waited
            socket->deleteLater();
            continue;
        }
        current_ = new TSimSession(*this, socket, socket->property("zep4SimClient").toInt());
        connect(current_, &TSimSession::finished, this, &TSensorSimulator::onSessionFinished);
        emit clientConnected();
        current_->start();
    }
}

}  // namespace zep4::sim
