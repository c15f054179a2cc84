// The link and the login procedure over loopback against a scripted peer: the bytes that go
// out, replies in pieces, refusals and time-outs.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "link/frames.h"
#include "link/link.h"
#include "link/login_procedure.h"
#include "scripted_dialogs.h"
#include "scripted_peer.h"

using namespace zep4;

namespace {

class LinkTest : public ::testing::Test {
protected:
    test::TScriptedDialogs dialogs;
    TLink link{dialogs, [](int line) { return LinkBuiltinText(line); }};
    TLoginProcedure login{link};
    ScriptedPeer peer;

    // Connects with the password and waits until the peer has the login frame.
    void connectAndLogin(const QString& password = QStringLiteral("secret")) {
        login.start(QStringLiteral("127.0.0.1"), peer.port(), password);
        ASSERT_TRUE(peer.waitForBytes(kLoginFrameSize));
        peer.received.clear();
    }
    void acceptLogin() {
        QSignalSpy loggedIn(&login, &TLoginProcedure::loggedIn);
        peer.send(ScriptedPeer::bytes({0x1B, 0x30, 0x06, 0x00, 0x00, 0x2D}));
        ASSERT_TRUE(loggedIn.wait(3000));
        ASSERT_TRUE(peer.waitForBytes(6));
        peer.received.clear();
    }
    static QByteArray versionReply(const char* version) {
        QByteArray r = ScriptedPeer::bytes({0x1B, 0x32, 0x06, 0x00, 0x00, 0x2F});
        r.append(QByteArray(67, '\0'));
        r.replace(11, 5, QByteArray(version, 5));
        return r;
    }
};

}  // namespace

TEST_F(LinkTest, TimersHaveTheirIntervals) {
    EXPECT_EQ(login.Timer1.interval(), 15000);
    EXPECT_EQ(login.Timer2.interval(), 10000);
    EXPECT_EQ(login.Timer3.interval(), 2000);
}

TEST_F(LinkTest, LoginFrameForShortExactAndLongPasswords) {
    struct Case {
        const char* password;
        int carried;
        int length;
    };
    for (const Case c : {Case{"abc", 3, 3}, Case{"abcdefghij", 10, 10}, Case{"abcdefghijkl", 10, 12}}) {
        ScriptedPeer fresh;
        login.start(QStringLiteral("127.0.0.1"), fresh.port(), QString::fromLatin1(c.password));
        ASSERT_TRUE(fresh.waitForBytes(17));
        const QByteArray f = fresh.received;
        EXPECT_EQ(f.size(), 17);
        EXPECT_EQ(f.left(6), ScriptedPeer::bytes({0x1B, 0x30, 0x00, 0x00, 0x00, 0x2B}));
        EXPECT_EQ(f.mid(6, c.carried), QByteArray(c.password, c.carried));
        EXPECT_EQ(static_cast<uint8_t>(f[16]), c.length);
        EXPECT_TRUE(login.loginBusy);
        EXPECT_TRUE(login.Timer2.isActive());
        EXPECT_FALSE(login.Timer1.isActive());
        login.cancel();
    }
}

TEST_F(LinkTest, AcknowledgementInPiecesIsAcceptedAndTheVersionQueryFollows) {
    connectAndLogin();
    QSignalSpy loggedIn(&login, &TLoginProcedure::loggedIn);
    QSignalSpy refused(&login, &TLoginProcedure::loginRefused);
    peer.send(ScriptedPeer::bytes({0x1B, 0x30}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.replyLength == 2; }, 3000));
    EXPECT_TRUE(login.loginBusy);  // two bytes are not the reply yet
    EXPECT_EQ(refused.count(), 0);
    peer.send(ScriptedPeer::bytes({0x06, 0x00, 0x00, 0x2D}));
    ASSERT_TRUE(loggedIn.wait(3000));
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received, ScriptedPeer::bytes({0x1B, 0x32, 0x00, 0x00, 0x00, 0x29}));
    EXPECT_TRUE(login.versionBusy);
    EXPECT_TRUE(login.Timer3.isActive());
    EXPECT_FALSE(login.Timer2.isActive());
}

TEST_F(LinkTest, RepliesThatDoNotFitRefuseTheLogin) {
    const QByteArray ack = ScriptedPeer::bytes({0x1B, 0x30, 0x06, 0x00, 0x00, 0x2D});
    const QByteArray cases[] = {
        ScriptedPeer::bytes({0x1B, 0x30, 0x15, 0x00, 0x00, 0x3E}),  // negative acknowledgement
        ack + ack,                                                     // two replies back to back
        ScriptedPeer::bytes({0x1B, 0x31, 0x06, 0x00, 0x00, 0x2C}),  // the answer to another command
    };
    for (const QByteArray& reply : cases) {
        ScriptedPeer fresh;
        QSignalSpy refused(&login, &TLoginProcedure::loginRefused);
        QSignalSpy gone(&link, &TLink::disconnected);
        login.start(QStringLiteral("127.0.0.1"), fresh.port(), QStringLiteral("pw"));
        ASSERT_TRUE(fresh.waitForBytes(17));
        fresh.send(reply);
        ASSERT_TRUE(refused.wait(3000)) << reply.toHex().toStdString();
        EXPECT_FALSE(login.loginBusy);
        EXPECT_FALSE(link.isActive());
    }
}

struct VersionCase {
    const char* version;
    bool old;
};

class VersionCheck : public LinkTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionCheck, WarnsBelow350Only) {
    connectAndLogin();
    acceptLogin();
    QSignalSpy checked(&login, &TLoginProcedure::versionChecked);
    const QByteArray reply = versionReply(GetParam().version);
    peer.send(reply.left(30));  // the long reply arrives in two pieces
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.replyLength == 30; }, 3000));
    EXPECT_TRUE(login.versionBusy);
    peer.send(reply.mid(30));
    ASSERT_TRUE(checked.wait(3000));
    EXPECT_EQ(checked.at(0).at(0).toString(), QString::fromLatin1(GetParam().version));
    EXPECT_EQ(checked.at(0).at(1).toBool(), GetParam().old);
    EXPECT_FALSE(login.versionBusy);
    EXPECT_TRUE(link.isActive());  // the connection stays open
}

INSTANTIATE_TEST_SUITE_P(, VersionCheck,
                         ::testing::Values(VersionCase{"V3.49", true}, VersionCase{"V3.50", false},
                                           VersionCase{"V3.60", false}, VersionCase{"V4.00", false}));

TEST_F(LinkTest, AVersionReplyOfTheWrongShapeIsRejectedAndTheConnectionStays) {
    connectAndLogin();
    acceptLogin();
    QSignalSpy rejected(&login, &TLoginProcedure::versionRejected);
    QByteArray reply = versionReply("V3.60");
    reply[2] = 0x15;
    peer.send(reply);
    ASSERT_TRUE(rejected.wait(3000));
    EXPECT_TRUE(link.isActive());
}

TEST_F(LinkTest, LoginTimeOutClosesTheConnection) {
    login.Timer2.setInterval(50);
    QSignalSpy timedOut(&login, &TLoginProcedure::loginTimedOut);
    connectAndLogin();
    ASSERT_TRUE(timedOut.wait(3000));
    EXPECT_FALSE(login.loginBusy);
    EXPECT_FALSE(link.isActive());
}

// The one test that waits a designed time-out in real time: two seconds for the version.
TEST_F(LinkTest, VersionTimeOutInRealTime) {
    connectAndLogin();
    acceptLogin();
    QSignalSpy timedOut(&login, &TLoginProcedure::versionTimedOut);
    const int remaining = login.Timer3.remainingTime();
    EXPECT_GT(remaining, 1500);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(timedOut.wait(5000));
    EXPECT_GE(clock.elapsed(), remaining - 20);
    EXPECT_FALSE(login.versionBusy);
    EXPECT_FALSE(link.isActive());
}

#ifdef __linux__
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A listener whose queue is full: the kernel drops further connection attempts, so a client
// waits for the connection as it would for a sensor that does not answer.
TEST_F(LinkTest, ConnectTimeOut) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ASSERT_EQ(::listen(fd, 0), 0);
    const quint16 port = ntohs(a.sin_port);
    QTcpSocket filler;
    filler.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(filler.waitForConnected(2000));

    login.Timer1.setInterval(300);
    QSignalSpy timedOut(&login, &TLoginProcedure::connectTimedOut);
    QSignalSpy connected(&link, &TLink::connected);
    login.start(QStringLiteral("127.0.0.1"), port, QStringLiteral("pw"));
    ASSERT_TRUE(timedOut.wait(3000));
    EXPECT_EQ(connected.count(), 0);
    EXPECT_FALSE(link.isActive());
    ::close(fd);
}
#endif

TEST_F(LinkTest, DispatcherHandsTheReplyToTheFirstWaitingRowOnly) {
    std::vector<int> calls;
    bool pictureWaiting = true, transmitWaiting = true;
    link.registerProcedure(TLink::Row::PictureStream, [&] { return pictureWaiting; }, [&] { calls.push_back(11); });
    link.registerProcedure(TLink::Row::Transmit, [&] { return transmitWaiting; }, [&] { calls.push_back(2); });
    link.replyLength = 3;
    link.dispatchReply();
    transmitWaiting = false;
    link.dispatchReply();
    pictureWaiting = false;
    link.dispatchReply();
    EXPECT_EQ(calls, (std::vector<int>{2, 11}));
    EXPECT_EQ(link.replyLength, 0);  // nobody waited: the reply is dropped
}

TEST_F(LinkTest, RepliesBeyondTheBufferAreCutNotWrittenPastIt) {
    int lastLength = 0;
    bool waiting = false;
    link.registerProcedure(TLink::Row::PictureStream, [&] { return waiting; }, [&] { lastLength = link.replyLength; });
    connectAndLogin();
    acceptLogin();
    login.versionBusy = false;
    login.Timer3.stop();
    waiting = true;
    peer.send(QByteArray(TLink::kBufferSize + 5000, 'x'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastLength == TLink::kBufferSize; }, 5000));
    EXPECT_EQ(link.tcpAccumulatedLength, TLink::kBufferSize);
}

TEST_F(LinkTest, SendingWithoutAConnectionWarnsAndSendsNothing) {
    const uint8_t kat[3] = {'K', 'A', 'T'};
    link.sendBytes(kat, 3);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Warning);
    EXPECT_EQ(dialogs.messages[0].text, LinkBuiltinText(40));
}

TEST_F(LinkTest, PeerClosingIsReportedAsADisconnect) {
    connectAndLogin();
    QSignalSpy gone(&link, &TLink::disconnected);
    QSignalSpy failed(&link, &TLink::socketError);
    peer.client->close();
    ASSERT_TRUE(gone.wait(3000));
    EXPECT_EQ(failed.count(), 0);
    EXPECT_FALSE(login.loginBusy);
    EXPECT_FALSE(login.Timer2.isActive());
}
