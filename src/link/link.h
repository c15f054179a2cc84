// TLink: the one path between the program and the sensor. It owns the TCP client, the one
// send routine every procedure uses, the reply buffer all received bytes are collected in,
// and the dispatcher that hands the collected reply to the first procedure waiting for one.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <vector>

namespace zep4 {

class TDialogs;

// Texts of the main window's section that the link shows (lines 38 to 48), built in.
QString LinkBuiltinText(int line);

class TLink : public QObject {
    Q_OBJECT
public:
    // Rows of the dispatcher, in their order of priority.
    enum class Row {
        FirmwareUpload = 1,
        Transmit = 2,
        Receive = 3,
        DeviceService = 4,
        DomeOrder = 5,
        Login = 6,
        VersionQuery = 7,
        PasswordChange = 8,
        ReleaseQuery = 9,
        ServiceTest = 10,
        PictureStream = 11,
    };

    static constexpr int kBufferSize = 100000;
    // The send routine gives up when the socket takes no byte for this long.
    static constexpr int kSendStallMs = 5000;

    // `text` gives the texts of lines 38 to 48 in the language in force.
    TLink(TDialogs& dialogs, std::function<QString(int)> text, QObject* parent = nullptr);
    ~TLink() override;

    // A procedure's entry in the dispatcher: while `waiting` holds, replies go to `handler`.
    void registerProcedure(Row row, std::function<bool()> waiting, std::function<void()> handler);
    // Whether any procedure of the dispatcher's rows waits for a reply.
    bool anyProcedureWaiting() const;

    void connectToHost(const QString& host, quint16 port);
    bool isActive() const;  // connecting or connected
    void closeSocket();

    void sendBytes(const uint8_t* frame, int length);
    void dispatchReply();

    QTcpSocket ClientSocket1;
    std::vector<uint8_t> tcpAccumulator;
    int tcpAccumulatedLength = 0;
    std::vector<uint8_t> replyBuffer;
    int replyLength = 0;
    bool useSerialLink = false;
    bool readInProgress = false;  // the socket's read marker

    QString text(int line) const { return text_(line); }

signals:
    // The connection is up; `peerAddress` in dotted form.
    void connected(const QString& peerAddress);
    // The socket failed; `statusText` is line 42, two blanks and the error code.
    void socketError(int code, const QString& statusText);
    // The peer closed the connection, or it was closed.
    void disconnected();

private:
    void ClientSocket1Connect();
    void ClientSocket1Read();
    void ClientSocket1Disconnect();
    void ClientSocket1Error(QAbstractSocket::SocketError error);
    void sendStalled();
    void abortQuietly();

    struct Entry {
        Row row;
        std::function<bool()> waiting;
        std::function<void()> handler;
    };
    TDialogs& dialogs_;
    std::function<QString(int)> text_;
    std::vector<Entry> entries_;
    QTimer sendWatchdog_;
    bool quiet_ = false;
};

}  // namespace zep4
