// A sensor stand-in for procedure tests that says exactly what the test tells it to, and
// records every byte it receives.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class ScriptedPeer : public QObject {
public:
    ScriptedPeer() {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            client = server.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, this, [this] { received += client->readAll(); });
        });
    }
    quint16 port() const { return server.serverPort(); }
    bool waitForClient(int ms = 3000) { return QTest::qWaitFor([this] { return client != nullptr; }, ms); }
    bool waitForBytes(qsizetype n, int ms = 3000) {
        return QTest::qWaitFor([this, n] { return received.size() >= n; }, ms);
    }
    // Sends the bytes and waits until they have left this end.
    void send(const QByteArray& bytes) {
        client->write(bytes);
        client->flush();
    }
    static QByteArray bytes(std::initializer_list<int> values) {
        QByteArray b;
        for (int v : values) b.append(static_cast<char>(v));
        return b;
    }

    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray received;
};
