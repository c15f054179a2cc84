// A sensor stand-in for the setup transfer: it cuts what the program sends into frames by
// their command code, records them, and answers each frame with what the test's responder
// returns for it (nothing for no answer). The replies are written out here from the frame
// tables, byte by byte, so that the tests do not lean on the program's own frame code.
#pragma once

#include <functional>
#include <vector>

#include "scripted_peer.h"

class TransferPeer : public ScriptedPeer {
public:
    // The answer to frame number `index` (0-based, in arrival order).
    using Responder = std::function<QByteArray(const QByteArray& frame, int index)>;

    TransferPeer() {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            // ScriptedPeer's own handler ran first: `client` is set and appends to `received`.
            connect(client, &QTcpSocket::readyRead, this, [this] { cut(); });
        });
    }

    // Frame lengths by command code: data block 1032, first-block request 7, the rest 6.
    static qsizetype frameLength(uint8_t code) { return code == 0x53 ? 1032 : code == 0x6B ? 7 : 6; }

    // The sensor's acknowledgement of a begin (0x50), data block (0x53) or end (0x51) frame.
    static QByteArray ack(uint8_t code) {
        switch (code) {
        case 0x50: return bytes({0x1B, 0x50, 0x06, 0x00, 0x00, 0x4D});
        case 0x53: return bytes({0x1B, 0x53, 0x06, 0x00, 0x00, 0x4E});
        default: return bytes({0x1B, 0x51, 0x06, 0x00, 0x00, 0x4C});
        }
    }
    // A data block as the sensor sends it: 1B 6C 00 82 00 F5, the image byte, the block number
    // and 1024 data bytes.
    static QByteArray block(int imageByte, int number, const QByteArray& data, uint8_t check = 0xF5) {
        QByteArray b = bytes({0x1B, 0x6C, 0x00, 0x82, 0x00, check, imageByte, number});
        b += data.left(1024);
        b += QByteArray(1032 - b.size(), '\0');
        return b;
    }

    // Answers every begin, block and end frame with its acknowledgement.
    static QByteArray acknowledgeAll(const QByteArray& frame, int) { return ack(uint8_t(frame[1])); }

    Responder responder = acknowledgeAll;
    std::vector<QByteArray> frames;

private:
    void cut() {
        while (received.size() - consumed_ >= 2) {
            const qsizetype length = frameLength(uint8_t(received[consumed_ + 1]));
            if (received.size() - consumed_ < length) return;
            const QByteArray frame = received.mid(consumed_, length);
            consumed_ += length;
            frames.push_back(frame);
            const QByteArray reply = responder ? responder(frame, int(frames.size()) - 1) : QByteArray();
            if (!reply.isEmpty()) send(reply);
        }
    }
    qsizetype consumed_ = 0;
};
