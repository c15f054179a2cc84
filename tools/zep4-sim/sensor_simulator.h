// The ZEP-4 sensor's side of the TCP link, for tests and for trying the program without a
// sensor: a server on 127.0.0.1 that serves one client at a time, cuts what the client sends
// into request frames, answers each through a table of exchanges, and can misbehave on
// request (replies in pieces, late, refused, missing, or the connection dropped).
//
// Exchanges are registered by frame kind (a command code, the keep-alive, the picture
// request): a handler receives the request frame and returns the reply bytes, or nothing
// for no reply. The faults are applied outside the handlers, so every exchange gets them.
#pragma once

#include "request_splitter.h"
#include "setup_memory.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace zep4::sim {

// The check byte that --bad-block-check puts into a block in place of 0xF5: the check byte of
// the program's own blocks, so a block that looks right in every other way.
constexpr uint8_t kBadBlockCheckByte = kProgramBlockCheck;

// Ways to misbehave. Request numbers count from 1 per connection; every command frame and
// picture request is a request, the keep-alive and dropped bytes are not. Setup data blocks
// sent by the simulator count from 1 per connection as well. 0 turns a fault off.
struct TFaultOptions {
    std::vector<int> splitSizes;  // send replies in pieces of these sizes, the last repeating
    int splitPauseMs = 5;         // pause between two pieces
    int delayMs = 0;              // every reply leaves this long after its request arrived
    int refuseRequest = 0;        // answer this request with a negative acknowledgement
    int silentAfterRequest = 0;   // no reply to this request and every later one
    int closeAfterRequest = 0;    // close the connection when this request arrives
    int badCheckBlock = 0;        // send this block with kBadBlockCheckByte as its check byte
    int wrongNumberBlock = 0;     // send this block with the number wrongBlockNumber in byte 7
    int wrongBlockNumber = 0;     //   (0..255); its data stay those of its own number
    // Pictures count from 1 per connection, over every picture request answered.
    int cutPicture = 0;           // send only the first half of this picture
    int overlongPicture = 0;      // this picture declares 1000 bytes more than it has
    int badRecordsPicture = 0;    // this picture's record list runs past its end
};

// What the simulated sensor holds. Text is 8-bit (Windows-1252), as on the wire.
struct TSimulatorOptions {
    QByteArray password = "zep4";
    QByteArray versionText = "V3.60";  // 5 characters; cut or padded with blanks on the wire
    // The rest of the 73-byte version reply (the release data of the firmware window).
    uint8_t firmwareDate[4] = {20, 24, 5, 17};  // century, year, month, day
    QByteArray domeType = "NONE";               // up to 17 characters, zero-ended on the wire
    QByteArray domeVersionText = "V1.00";
    uint8_t domeDate[4] = {20, 23, 11, 2};
    uint32_t serialNumber = 40001;              // 24 bits on the wire
    // The file that keeps the setup images across runs (see setup_memory.h); empty: none.
    QString stateFile;
    TFaultOptions faults;
    bool verbose = false;                       // emit verboseLine for every frame and reply
};

class TSensorSimulator;

// Reading the setup out with block requests, per connection: the image the last first-block
// request named and the number of the block the next next-block request gets.
struct TSetupReadout {
    int image = -1;  // 0..4; -1: no first-block request yet (next-block requests get no reply)
    int nextBlock = 0;
};

// One client connection: its socket, request splitter, request count, login state and
// the queue of replies waiting to be sent. Owned by the simulator.
class TSimSession : public QObject {
    Q_OBJECT
public:
    TSimSession(TSensorSimulator& simulator, QTcpSocket* socket, int number);
    ~TSimSession() override;

    int number() const { return number_; }             // 1 for the first client of the run
    QString peerText() const;
    bool loggedIn() const { return loggedIn_; }
    void setLoggedIn(bool loggedIn) { loggedIn_ = loggedIn; }
    int requestCount() const { return requestCount_; }  // requests received so far
    int blocksSent() const { return blocksSent_; }      // setup data blocks answered so far
    TSetupReadout& setupReadout() { return setupReadout_; }
    // A picture is about to be sent: its number on the connection, from 1.
    int countPicture() { return ++picturesSent_; }

    // Starts reading (a waiting client's bytes may already be buffered).
    void start();

signals:
    void finished();  // the connection is closed; the simulator deletes the session

private:
    struct TOutgoing {
        QByteArray bytes;
        QString name;
        qint64 arrivedMs = 0;  // when its request arrived, on clock_
        qint64 dueMs = 0;      // when it may leave
        bool close = false;    // close the connection instead of sending
        int pieceSize = 0;     // without --split: leaves in pieces of this size (0: whole)
    };

    void onReadyRead();
    void onDisconnected();
    void handleFrame(const TRequestFrame& frame);
    void applyBlockFaults(QByteArray& block);
    void queueReply(const QByteArray& bytes, const QString& name, qint64 arrivedMs, int pieceSize = 0);
    void queueClose(qint64 arrivedMs);
    void pump();
    void writePiece();

    TSensorSimulator& simulator_;
    QTcpSocket* socket_;
    int number_;
    TRequestSplitter splitter_;
    bool loggedIn_ = false;
    int requestCount_ = 0;
    int blocksSent_ = 0;
    TSetupReadout setupReadout_;
    int picturesSent_ = 0;
    bool closing_ = false;   // a close is queued or done: what arrives now is not read
    bool finished_ = false;
    std::deque<TOutgoing> queue_;
    qsizetype sentOfHead_ = 0;  // bytes of queue_.front() already written
    int piecesOfHead_ = 0;
    QTimer timer_;
    QElapsedTimer clock_;
};

// A request handler: the frame as received in, the reply out (empty: no reply).
using TRequestHandler = std::function<QByteArray(TSimSession& session, const TRequestFrame& frame)>;

struct TExchange {
    QString name;                 // short name for messages, e.g. "login"
    TRequestHandler handler;
    bool needsLogin = true;       // ignored (no reply) until the connection has logged in
    // The reply when the fault options refuse this request. Unset: for a command frame the
    // negative acknowledgement of its code, for a text frame no reply.
    TRequestHandler refusal;
    // Its replies are setup data blocks: each counts as a block sent and gets the block
    // faults (bad check byte, wrong block number).
    bool sendsDataBlocks = false;
    // Its replies leave in pieces of this many bytes with --split-pause between them, as a
    // real link delivers a long reply (unless --split gives the pieces); 0: in one write.
    int pieceSize = 0;
};

class TSensorSimulator : public QObject {
    Q_OBJECT
public:
    explicit TSensorSimulator(TSimulatorOptions options = {}, QObject* parent = nullptr);
    ~TSensorSimulator() override;

    // Listens on 127.0.0.1; port 0 picks a free one. False (see errorString) when the port
    // cannot be had.
    bool listen(quint16 port);
    quint16 port() const;
    bool isListening() const;
    QString errorString() const;
    // Stops listening and drops every client.
    void close();

    const TSimulatorOptions& options() const { return options_; }
    // Changes take effect with the next request (and the next connection for its counts).
    void setOptions(const TSimulatorOptions& options) { options_ = options; }
    void setFaults(const TFaultOptions& faults) { options_.faults = faults; }

    // The exchange table. Registering a key again replaces its exchange.
    void setExchange(TFrameKey key, TExchange exchange);
    void removeExchange(TFrameKey key);
    const TExchange* exchange(TFrameKey key) const;

    // The setup images the sensor keeps; shared by every connection and by the exchanges.
    TSetupMemory& setupMemory() { return setupMemory_; }
    const TSetupMemory& setupMemory() const { return setupMemory_; }
    // Reads options().stateFile into the setup memory: Missing (the factory images stay, and
    // the file is made at the first save) also when no state file is set. Unreadable, with
    // `error` saying why, when the file is there but cannot be read or is damaged; the images
    // stay as they were, and the next save would replace the file.
    TStateLoad loadState(QString& error);
    // Writes the setup memory to options().stateFile; true without writing when none is set.
    // The setup exchanges call it at the end of a transfer that stored blocks, and zep4-sim
    // once more when it ends with blocks not yet written.
    bool saveState(QString& error);

    bool hasClient() const { return bool(current_); }
    int waitingClients() const { return int(waiting_.size()); }

    // For messages: the first bytes of `bytes` in hexadecimal, "1B 30 06 ...".
    static QString HexText(const QByteArray& bytes, qsizetype maxBytes = 80);

signals:
    void clientConnected();
    void clientDisconnected();
    // After each read from the client, once what was read has been handled: the number of
    // bytes read (tests wait on it to know that the simulator has seen what they wrote).
    void bytesReceived(qint64 count);
    // Every complete frame received from the client (not the dropped bytes), before it is
    // answered.
    void frameReceived(const QByteArray& frame);
    // Every reply, once its last byte has been handed to the socket.
    void replySent(const QByteArray& reply);
    // With options().verbose: one line per frame received, reply sent and connection event.
    void verboseLine(const QString& line);
    // Something went wrong that the user should hear of, verbose or not (the state file could
    // not be written).
    void warning(const QString& text);

public:
    // Emits verboseLine with options().verbose; for the exchanges' own remarks (indented by
    // three blanks by convention).
    void say(const QString& line);

private:
    friend class TSimSession;
    void onNewConnection();
    void onSessionFinished();
    void serveNextWaiting();

    TSimulatorOptions options_;
    TSetupMemory setupMemory_;
    std::map<TFrameKey, TExchange> exchanges_;
    QTcpServer* server_;
    QString error_;
    TSimSession* current_ = nullptr;
    std::deque<QPointer<QTcpSocket>> waiting_;
    int clientsSeen_ = 0;
};

// Installs the exchanges of the connection: login, version query, keep-alive.
void InstallConnectionExchanges(TSensorSimulator& simulator);

// Installs the setup transfer: begin 0x50, data block 0x53 and end 0x51 (the program sends a
// setup), first-block request 0x6B and next-block request 0x6C (it reads the setup out).
void InstallSetupExchanges(TSensorSimulator& simulator);

// Whether a login frame carries the configured password: the length byte (byte 16) equals
// the password's length, and bytes 6.. hold its first min(length, 10) bytes.
bool PasswordAccepted(const TSimulatorOptions& options, const QByteArray& loginFrame);

// The 73-byte answer to the version query: positive acknowledgement of 0x32, then the
// release data of `options` (see docs/simulator.md for the byte positions).
QByteArray VersionReply(const TSimulatorOptions& options);

}  // namespace zep4::sim
