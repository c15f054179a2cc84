#include "sim_client.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace zep4::sim::test {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text)); }

QByteArray LoginBytes(const QByteArray& password, int lengthByte, char filler) {
    QByteArray frame = Hex("1B 30 00 00 00 2B");
    QByteArray field = password.left(10);
    while (field.size() < 10) field.append(filler);
    frame += field;
    frame.append(char(lengthByte));
    return frame;
}

QByteArray LoginBytes(const QByteArray& password) { return LoginBytes(password, int(password.size())); }

namespace {

// The header an expected reply stands for, and its whole length.
QByteArray ExpectedHead(const std::string& expected, qsizetype& length) {
    int image = 0;
    int block = 0;
    if (std::sscanf(expected.c_str(), "block %d %d", &image, &block) == 2) {
        length = kBlockFrameLength;
        return Hex(kSensorBlockHead) + char(image) + char(block);
    }
    if (expected == "version") {
        length = kVersionReplyLength;
        return Hex(kVersionReplyHead);
    }
    const QByteArray bytes = Hex(expected.c_str());
    length = bytes.size();
    return bytes;
}

}  // namespace

void ExpectFrames(const QByteArray& received, const std::vector<std::string>& expected) {
    qsizetype at = 0;
    for (const std::string& e : expected) {
        SCOPED_TRACE(e);
        qsizetype length = 0;
        const QByteArray head = ExpectedHead(e, length);
        EXPECT_EQ(received.mid(at, head.size()).toHex(' '), head.toHex(' '));
        at += length;
    }
    EXPECT_EQ(received.size(), at) << "other bytes than the replies expected";
}

qsizetype FramesLength(const std::vector<std::string>& expected) {
    qsizetype n = 0;
    for (const std::string& e : expected) {
        qsizetype length = 0;
        ExpectedHead(e, length);
        n += length;
    }
    return n;
}

std::string BlockText(int imageByte, int block) {
    return "block " + std::to_string(imageByte) + " " + std::to_string(block);
}

TSimClient::TSimClient() {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
        const QByteArray bytes = socket.readAll();
        if (bytes.isEmpty()) return;
        received += bytes;
        reads.push_back(bytes.size());
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, [this] { disconnected = true; });
}

bool TSimClient::connectTo(quint16 port) {
    socket.connectToHost(QHostAddress::LocalHost, port);
    return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000);
}

void TSimClient::send(const QByteArray& bytes) {
    socket.write(bytes);
    socket.flush();
}

bool TSimClient::waitForBytes(qsizetype count, int timeoutMs) {
    return QTest::qWaitFor([&] { return received.size() >= count; }, timeoutMs);
}

bool TSimClient::waitForDisconnected(int timeoutMs) {
    return QTest::qWaitFor([this] { return disconnected; }, timeoutMs);
}

}  // namespace zep4::sim::test
