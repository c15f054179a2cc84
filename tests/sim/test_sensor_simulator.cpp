// The simulator in-process on an ephemeral loopback port: the login, the version query, the
// keep-alive, requests in pieces and back to back, dropped bytes, the fault options, the
// second client, the exchange table and the verbose lines. Replies are compared with bytes
// written out here.
#include "sensor_simulator.h"
#include "sim_client.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zep4::sim {
namespace {

using test::ExpectFrames;
using test::FramesLength;
using test::Hex;
using test::kLoginAck;
using test::kLoginNak;
using test::kVersionNak;
using test::kVersionQuery;
using test::kVersionReplyLength;
using test::LoginBytes;
using test::TSimClient;

const QByteArray kLoginZep4 = Hex("1B 30 00 00 00 2B 7A 65 70 34 FF FF FF FF FF FF 04");

class SensorSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.listen(0)) << sim.errorString().toStdString();
        ASSERT_NE(sim.port(), 0);
        QObject::connect(&sim, &TSensorSimulator::bytesReceived, [this](qint64 n) { simRead += n; });
    }

    std::unique_ptr<TSimClient> Connect() {
        auto client = std::make_unique<TSimClient>();
        EXPECT_TRUE(client->connectTo(sim.port()));
        return client;
    }

    // Sends and waits until the simulator has read and handled the bytes.
    bool SendAndWaitHandled(TSimClient& client, const QByteArray& bytes) {
        const qint64 target = simRead + bytes.size();
        client.send(bytes);
        return QTest::qWaitFor([&] { return simRead >= target; }, 5000);
    }

    void SetFaults(const TFaultOptions& faults) { sim.setFaults(faults); }

    TSensorSimulator sim;
    qint64 simRead = 0;
};

TEST_F(SensorSimulator, LoginComparesThePasswordAndItsLength) {
    struct TCase {
        const char* what;
        QByteArray configured;
        QByteArray sent;  // bytes 6..15 (cut to 10, filler after)
        int lengthByte;
        char filler;
        bool accepted;
    };
    const TCase cases[] = {
        {"right password", "zep4", "zep4", 4, '\xFF', true},
        {"filler of another value", "zep4", "zep4", 4, '\0', true},
        {"wrong password", "zep4", "zep5", 4, '\xFF', false},
        {"other case", "zep4", "ZEP4", 4, '\xFF', false},
        {"length byte one too long", "zep4", "zep4", 5, '\xFF', false},
        {"password cut short", "zep4", "zep", 3, '\xFF', false},
        {"ten characters", "0123456789", "0123456789", 10, '\xFF', true},
        {"12 characters: first 10 and length 12", "abcdefghijkl", "abcdefghij", 12, '\xFF', true},
        {"12 characters: the last two are never sent", "abcdefghijXY", "abcdefghij", 12, '\xFF', true},
        {"12 characters with length 10", "abcdefghijkl", "abcdefghij", 10, '\xFF', false},
        {"12 characters, tenth differs", "abcdefghijkl", "abcdefghiX", 12, '\xFF', false},
        {"8-bit characters", "k\xE4se", "k\xE4se", 4, '\xFF', true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TSimulatorOptions options = sim.options();
        options.password = c.configured;
        sim.setOptions(options);
        auto client = Connect();
        client->send(LoginBytes(c.sent, c.lengthByte, c.filler));
        ASSERT_TRUE(client->waitForBytes(6));
        EXPECT_EQ(client->received.toHex(' '), Hex(c.accepted ? kLoginAck : kLoginNak).toHex(' '));
        // A refused login leaves the connection logged out: the version query that follows
        // is ignored until a right login.
        client->received.clear();
        if (c.accepted) {
            client->send(Hex(kVersionQuery));
            ASSERT_TRUE(client->waitForBytes(kVersionReplyLength));
            ExpectFrames(client->received, {"version"});
        } else {
            client->send(Hex(kVersionQuery) + LoginBytes(c.configured) + Hex(kVersionQuery));
            ASSERT_TRUE(client->waitForBytes(6 + kVersionReplyLength));
            ExpectFrames(client->received, {kLoginAck, "version"});
        }
    }
}

TEST_F(SensorSimulator, VersionReplyCarriesTheVersionAndReleaseData) {
    struct TCase {
        QByteArray versionText;
        uint32_t serialNumber;
        const char* serialBytes;  // bytes 70..72
    };
    const TCase cases[] = {{"V3.60", 65538, "01 00 02"}, {"V3.49", 0xABCDEF, "AB CD EF"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.versionText.toStdString());
        TSimulatorOptions options = sim.options();
        options.versionText = c.versionText;
        options.serialNumber = c.serialNumber;
        options.domeType = "DOME-X";
        sim.setOptions(options);
        auto client = Connect();
        client->send(kLoginZep4 + Hex(kVersionQuery));
        ASSERT_TRUE(client->waitForBytes(6 + kVersionReplyLength));
        ExpectFrames(client->received, {kLoginAck, "version"});
        const QByteArray reply = client->received.mid(6);
        EXPECT_EQ(reply.mid(11, 5), c.versionText);
        EXPECT_EQ(reply.mid(70, 3).toHex(' '), Hex(c.serialBytes).toHex(' '));
        // The dome type is a text ended by a zero byte within bytes 38..55.
        EXPECT_EQ(reply.mid(38, 7), QByteArray("DOME-X\0", 7));
    }
}

TEST_F(SensorSimulator, RequestsBeforeTheLoginAreIgnored) {
    auto client = Connect();
    client->send(Hex(kVersionQuery) + "Pic10" + Hex("1B 40 00 00 00 5B") + kLoginZep4 + Hex(kVersionQuery));
    ASSERT_TRUE(client->waitForBytes(6 + kVersionReplyLength));
    ExpectFrames(client->received, {kLoginAck, "version"});
}

TEST_F(SensorSimulator, RequestsInPiecesAndBackToBack) {
    auto client = Connect();
    // The login in pieces of 1, 5 and 11 bytes, each read by the simulator on its own.
    ASSERT_TRUE(SendAndWaitHandled(*client, kLoginZep4.left(1)));
    ASSERT_TRUE(SendAndWaitHandled(*client, kLoginZep4.mid(1, 5)));
    EXPECT_TRUE(client->received.isEmpty());
    ASSERT_TRUE(SendAndWaitHandled(*client, kLoginZep4.mid(6)));
    ASSERT_TRUE(client->waitForBytes(6));
    // Two version queries in one write, and one cut across a write boundary.
    const QByteArray three = Hex(kVersionQuery) + Hex(kVersionQuery) + Hex(kVersionQuery);
    ASSERT_TRUE(SendAndWaitHandled(*client, three.left(14)));
    client->send(three.mid(14));
    ASSERT_TRUE(client->waitForBytes(6 + 3 * kVersionReplyLength));
    ExpectFrames(client->received, {kLoginAck, "version", "version", "version"});
}

TEST_F(SensorSimulator, KeepAliveAndUnrecognisedBytesGetNoReply) {
    auto client = Connect();
    // Before the login, among garbage, and after it: nothing answers them, and nothing of
    // them gets in the way of the requests around them.
    const QByteArray garbage = QByteArray("xyz\0", 4) + Hex("1B 99") + Hex("1B 32 00 00 00 28") + "KAX" + "PicX1";
    ASSERT_TRUE(SendAndWaitHandled(*client, "KAT" + garbage + kLoginZep4));
    ASSERT_TRUE(client->waitForBytes(6));
    ASSERT_TRUE(SendAndWaitHandled(*client, "KAT"));
    ASSERT_TRUE(SendAndWaitHandled(*client, garbage));
    client->send(Hex(kVersionQuery));
    ASSERT_TRUE(client->waitForBytes(6 + kVersionReplyLength));
    ExpectFrames(client->received, {kLoginAck, "version"});
}

TEST_F(SensorSimulator, SplitSendsEveryReplyInPieces) {
    TFaultOptions faults;
    faults.splitSizes = {2, 4};
    faults.splitPauseMs = 30;
    SetFaults(faults);
    auto client = Connect();
    client->send(kLoginZep4);
    ASSERT_TRUE(client->waitForBytes(6));
    EXPECT_EQ(client->reads, (std::vector<qsizetype>{2, 4}));
    // Pieces of 2, then 4 again and again: the 73 bytes come whole and in order.
    faults.splitPauseMs = 1;
    SetFaults(faults);
    client->send(Hex(kVersionQuery));
    ASSERT_TRUE(client->waitForBytes(6 + kVersionReplyLength));
    ExpectFrames(client->received, {kLoginAck, "version"});
    EXPECT_GT(client->reads.size(), 3u);
}

TEST_F(SensorSimulator, DelayHoldsEveryReplyAndKeepsTheirOrder) {
    TFaultOptions faults;
    faults.delayMs = 150;
    SetFaults(faults);
    auto client = Connect();
    QElapsedTimer clock;
    clock.start();
    client->send(kLoginZep4 + Hex(kVersionQuery));
    ASSERT_TRUE(client->waitForBytes(1));
    EXPECT_GE(clock.elapsed(), 150);
    ASSERT_TRUE(client->waitForBytes(6 + kVersionReplyLength));
    ExpectFrames(client->received, {kLoginAck, "version"});
}

TEST_F(SensorSimulator, RefuseAnswersTheNthRequestNegatively) {
    struct TCase {
        const char* what;
        int refuse;
        QByteArray requests;
        std::vector<std::string> replies;
    };
    const TCase cases[] = {
        {"the login: it stays logged out", 1,
         kLoginZep4 + Hex(kVersionQuery) + kLoginZep4 + Hex(kVersionQuery),
         {kLoginNak, kLoginAck, "version"}},
        {"the version query; the keep-alive is no request", 2,
         "KAT" + kLoginZep4 + Hex(kVersionQuery) + Hex(kVersionQuery),
         {kLoginAck, kVersionNak, "version"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TFaultOptions faults;
        faults.refuseRequest = c.refuse;
        SetFaults(faults);
        auto client = Connect();
        client->send(c.requests);
        ASSERT_TRUE(client->waitForBytes(FramesLength(c.replies)));
        ExpectFrames(client->received, c.replies);
    }
}

TEST_F(SensorSimulator, SilentAfterAndCloseAfter) {
    struct TCase {
        const char* what;
        TFaultOptions faults;
        std::vector<std::string> replies;  // everything before the connection closes
    };
    const QByteArray requests = kLoginZep4 + Hex(kVersionQuery) + Hex(kVersionQuery) + Hex(kVersionQuery);
    const TCase cases[] = {
        {"silent from the second request", {.silentAfterRequest = 2, .closeAfterRequest = 4}, {kLoginAck}},
        {"silent from the first request", {.silentAfterRequest = 1, .closeAfterRequest = 3}, {}},
        {"closed at the second request", {.closeAfterRequest = 2}, {kLoginAck}},
        {"closed at the third request", {.closeAfterRequest = 3}, {kLoginAck, "version"}},
        {"closed after a delayed reply has left", {.delayMs = 100, .closeAfterRequest = 2}, {kLoginAck}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetFaults(c.faults);
        auto client = Connect();
        client->send(requests);
        ASSERT_TRUE(client->waitForDisconnected());
        ExpectFrames(client->received, c.replies);
    }
    // Requests count per connection: a new client logs in again as request 1.
    TFaultOptions faults;
    faults.closeAfterRequest = 2;
    SetFaults(faults);
    auto client = Connect();
    client->send(kLoginZep4);
    ASSERT_TRUE(client->waitForBytes(6));
    client->send(Hex(kVersionQuery));
    ASSERT_TRUE(client->waitForDisconnected());
    ExpectFrames(client->received, {kLoginAck});
}

TEST_F(SensorSimulator, SecondClientWaitsUntilTheFirstLeaves) {
    auto first = Connect();
    first->send(kLoginZep4);
    ASSERT_TRUE(first->waitForBytes(6));
    auto second = Connect();
    second->send(kLoginZep4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.waitingClients() == 1; }, 5000));
    first->send(Hex(kVersionQuery));
    ASSERT_TRUE(first->waitForBytes(6 + kVersionReplyLength));
    EXPECT_TRUE(second->received.isEmpty());
    first->socket.disconnectFromHost();
    ASSERT_TRUE(second->waitForBytes(6));
    ExpectFrames(second->received, {kLoginAck});
}

TEST_F(SensorSimulator, ExchangesRegisteredLaterGetTheFaultsToo) {
    // A stand-in for a later exchange: read date and time answers 14 bytes.
    TExchange dateTime;
    dateTime.name = QStringLiteral("read date/time");
    dateTime.handler = [](TSimSession&, const TRequestFrame&) {
        return Hex("1B 40 06 00 00 5D 0A 1E 11 03 09 0C 14 F7");
    };
    sim.setExchange(TFrameKey::command(0x40), dateTime);
    const QByteArray read = Hex("1B 40 00 00 00 5B");
    TFaultOptions faults;
    faults.refuseRequest = 3;
    faults.splitSizes = {5};
    faults.splitPauseMs = 1;
    SetFaults(faults);
    auto client = Connect();
    client->send(kLoginZep4 + read + read);
    const std::vector<std::string> replies{kLoginAck, "1B 40 06 00 00 5D 0A 1E 11 03 09 0C 14 F7",
                                           "1B 40 15 00 00 4E"};
    ASSERT_TRUE(client->waitForBytes(FramesLength(replies)));
    ExpectFrames(client->received, replies);
}

TEST_F(SensorSimulator, VerboseNamesEveryFrameAndReply) {
    TSimulatorOptions options = sim.options();
    options.verbose = true;
    sim.setOptions(options);
    QStringList lines;
    QObject::connect(&sim, &TSensorSimulator::verboseLine, [&](const QString& line) { lines << line; });
    auto client = Connect();
    client->send(Hex(kVersionQuery) + "KAT" + kLoginZep4);
    ASSERT_TRUE(client->waitForBytes(6));
    const auto has = [&](const QString& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(text); });
    };
    EXPECT_TRUE(has(QStringLiteral("<- #1 version query: 1B 32 00 00 00 29"))) << lines.join('\n').toStdString();
    EXPECT_TRUE(has(QStringLiteral("ignored: not logged in")));
    EXPECT_TRUE(has(QStringLiteral("<- keep-alive: 4B 41 54")));
    EXPECT_TRUE(has(QStringLiteral("<- #2 login: 1B 30 00 00 00 2B 7A 65 70 34 FF FF FF FF FF FF 04")));
    EXPECT_TRUE(has(QStringLiteral("-> login: 1B 30 06 00 00 2D")));
}

TEST(SensorSimulatorListen, TakenPortIsReported) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    TSensorSimulator sim;
    EXPECT_FALSE(sim.listen(holder.serverPort()));
    EXPECT_FALSE(sim.errorString().isEmpty());
    EXPECT_FALSE(sim.isListening());
}

}  // namespace
}  // namespace zep4::sim
