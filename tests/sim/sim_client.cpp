#include "sim_client.h"

#include <QTest>

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
