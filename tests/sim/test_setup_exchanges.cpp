// The setup transfer against the simulator: data blocks stored by their number, block
// requests served from block 0 to block 16 and no further, the refusals, the block faults,
// the state file, and the built program keeping its setup across a restart. Frames are
// written out byte for byte here, not built with the program's frame code.
#include "sensor_simulator.h"
#include "sim_client.h"
#include "sim_command_line.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zep4::sim {
namespace {

using test::BlockText;
using test::ExpectFrames;
using test::FramesLength;
using test::Hex;
using test::kSensorBlockHead;
using test::kVersionQuery;
using test::TSimClient;

const QByteArray kLoginZep4 = Hex("1B 30 00 00 00 2B 7A 65 70 34 FF FF FF FF FF FF 04");
const char* const kLoginAck = test::kLoginAck;

const char* const kBegin = "1B 50 00 00 00 4B";
const char* const kEnd = "1B 51 00 00 00 4A";
const char* const kNextBlock = "1B 6C 06 00 00 71";
const char* const kBeginAck = "1B 50 06 00 00 4D";
const char* const kBlockAck = "1B 53 06 00 00 4E";
const char* const kEndAck = "1B 51 06 00 00 4C";
const char* const kBeginNak = "1B 50 15 00 00 5E";
const char* const kBlockNak = "1B 53 15 00 00 5D";
const char* const kEndNak = "1B 51 15 00 00 5F";
const char* const kFirstBlockNak = "1B 6B 15 00 00 65";

constexpr qsizetype kBlockFrame = test::kBlockFrameLength;
constexpr qsizetype kBlockData = 1024;
constexpr qsizetype kImageBytes = 16 * kBlockData;

QByteArray FirstBlockRequest(int imageByte) { return Hex("1B 6B 01 01 00 70") + char(imageByte); }

// 1024 data bytes that differ from block to block and image to image.
QByteArray Pattern(int imageByte, int block) {
    QByteArray data(kBlockData, '\0');
    for (qsizetype k = 0; k < kBlockData; ++k) data[k] = char((k * 31 + block * 7 + imageByte * 101 + 1) & 0xFF);
    return data;
}

// A setup data block as the program sends it.
QByteArray DataBlock(int imageByte, int block, const QByteArray& data) {
    return Hex("1B 53 00 82 00 CA") + char(imageByte) + char(block) + data;
}

QByteArray NextBlocks(int count) { return Hex(kNextBlock).repeated(count); }

class SetupExchanges : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.listen(0)) << sim.errorString().toStdString(); }

    // A new logged-in client; its login acknowledgement is taken off what it received.
    std::unique_ptr<TSimClient> LoggedIn(TSensorSimulator& simulator) {
        auto client = std::make_unique<TSimClient>();
        EXPECT_TRUE(client->connectTo(simulator.port()));
        client->send(kLoginZep4);
        EXPECT_TRUE(client->waitForBytes(6));
        EXPECT_EQ(client->received.toHex(' '), Hex(kLoginAck).toHex(' '));
        client->received.clear();
        client->reads.clear();
        return client;
    }
    std::unique_ptr<TSimClient> LoggedIn() { return LoggedIn(sim); }

    // Sends the requests followed by a version query, and waits for its reply: everything
    // the requests get comes before it, so a missing reply shows without waiting for time.
    static void Exchange(TSimClient& client, const QByteArray& requests, const std::vector<std::string>& replies) {
        std::vector<std::string> all = replies;
        all.push_back("version");
        client.send(requests + Hex(kVersionQuery));
        ASSERT_TRUE(client.waitForBytes(FramesLength(all)));
        ExpectFrames(client.received, all);
    }

    // Reads blocks 0..last of an image out with block requests; the data of each block.
    static std::vector<QByteArray> ReadOut(TSimClient& client, int imageByte, int last) {
        client.received.clear();
        std::vector<std::string> replies;
        for (int b = 0; b <= last; ++b) replies.push_back(BlockText(imageByte, b));
        Exchange(client, FirstBlockRequest(imageByte) + NextBlocks(last), replies);
        std::vector<QByteArray> blocks;
        for (int b = 0; b <= last; ++b) blocks.push_back(client.received.mid(b * kBlockFrame + 8, kBlockData));
        client.received.clear();
        return blocks;
    }

    TSensorSimulator sim;
};

TEST_F(SetupExchanges, BlockRequestsServeBlocks0To16ThenNoMore) {
    auto client = LoggedIn();
    for (int imageByte = 1; imageByte <= 5; ++imageByte) {
        SCOPED_TRACE(imageByte);
        client->received.clear();
        // The first-block request, 16 next-block requests for blocks 1 to 16, and one more
        // that gets nothing, as does any further one.
        std::vector<std::string> replies;
        for (int b = 0; b <= 16; ++b) replies.push_back(BlockText(imageByte, b));
        Exchange(*client, FirstBlockRequest(imageByte) + NextBlocks(18), replies);
        if (HasFatalFailure()) return;
        // Block 16 lies past the words a transfer carries: zero.
        EXPECT_EQ(client->received.mid(16 * kBlockFrame + 8, kBlockData), QByteArray(kBlockData, '\0'));
        if (imageByte <= 4) {
            // Factory values of a camera image in block 12 (words 12288..13311).
            const QByteArray block12 = client->received.mid(12 * kBlockFrame + 8, kBlockData);
            const struct {
                int word;
                int value;
            } words[] = {{12960, 1}, {12962, 6}, {12973, 0}, {13024, 1}, {13026, 1},
                         {13033, 32}, {13038, 50}, {13040, 80}};
            for (const auto& w : words)
                EXPECT_EQ(uint8_t(block12[w.word - 12288]), w.value) << "word " << w.word;
        }
    }
}

TEST_F(SetupExchanges, FirstBlockRequestStartsAgainAtBlock0) {
    auto client = LoggedIn();
    Exchange(*client, FirstBlockRequest(2) + NextBlocks(2) + FirstBlockRequest(4) + NextBlocks(1),
             {"block 2 0", "block 2 1", "block 2 2", "block 4 0", "block 4 1"});
    // A new transfer ends the reading out: next-block requests get nothing until the next
    // first-block request, and so does one on a connection that never asked for a first block.
    client->received.clear();
    Exchange(*client, Hex(kBegin) + NextBlocks(1) + Hex(kEnd) + NextBlocks(1), {kBeginAck, kEndAck});
    client->socket.disconnectFromHost();  // one client at a time: the next one waits for it
    auto other = LoggedIn();
    Exchange(*other, NextBlocks(1), {});
}

TEST_F(SetupExchanges, BlocksAreStoredByTheirNumberAndReadBack) {
    auto client = LoggedIn();
    const std::vector<QByteArray> before = ReadOut(*client, 3, 15);
    const std::vector<QByteArray> otherBefore = ReadOut(*client, 2, 15);
    // Blocks 5, 0 and 15 of image 3, in that order.
    Exchange(*client,
             Hex(kBegin) + DataBlock(3, 5, Pattern(3, 5)) + DataBlock(3, 0, Pattern(3, 0)) +
                 DataBlock(3, 15, Pattern(3, 15)) + Hex(kEnd),
             {kBeginAck, kBlockAck, kBlockAck, kBlockAck, kEndAck});
    client->received.clear();
    const std::vector<QByteArray> after = ReadOut(*client, 3, 15);
    ASSERT_EQ(after.size(), 16u);
    for (int b = 0; b < 16; ++b) {
        SCOPED_TRACE(b);
        const bool sent = b == 0 || b == 5 || b == 15;
        EXPECT_EQ(after[size_t(b)], sent ? Pattern(3, b) : before[size_t(b)]);
    }
    EXPECT_EQ(ReadOut(*client, 2, 15), otherBefore);
    // Another connection sees the same setup.
    client->socket.disconnectFromHost();
    auto other = LoggedIn();
    EXPECT_EQ(ReadOut(*other, 3, 5)[5], Pattern(3, 5));
}

TEST_F(SetupExchanges, FramesNamingNoImageOrBlockAreRefused) {
    struct TCase {
        const char* what;
        QByteArray request;
        std::vector<std::string> replies;
    };
    const TCase cases[] = {
        {"data block, image byte 0", DataBlock(0, 0, Pattern(0, 0)), {kBlockNak}},
        {"data block, image byte 6", DataBlock(6, 0, Pattern(6, 0)), {kBlockNak}},
        {"data block, image byte 255", DataBlock(255, 3, Pattern(255, 3)), {kBlockNak}},
        {"data block numbered 16", DataBlock(1, 16, Pattern(1, 16)), {kBlockNak}},
        {"data block numbered 200", DataBlock(5, 200, Pattern(5, 200)), {kBlockNak}},
        // Refused, and the next-block request after it gets nothing.
        {"first-block request, image byte 0", FirstBlockRequest(0) + NextBlocks(1), {kFirstBlockNak}},
        {"first-block request, image byte 6", FirstBlockRequest(6) + NextBlocks(1), {kFirstBlockNak}},
    };
    const TSetupImages images = sim.setupMemory().images();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto client = LoggedIn();
        Exchange(*client, Hex(kBegin) + c.request, [&] {
            std::vector<std::string> r{kBeginAck};
            r.insert(r.end(), c.replies.begin(), c.replies.end());
            return r;
        }());
        EXPECT_TRUE(sim.setupMemory().images() == images) << "something was stored";
    }
}

TEST_F(SetupExchanges, RefuseAnswersTheNthAcknowledgementWithAWrongCheckByte) {
    // Requests of the connection: 1 login, 2 begin, 3 block 7 of image 1, 4 end.
    struct TCase {
        int refuse;
        std::vector<std::string> replies;
        bool stored;
    };
    const TCase cases[] = {
        {2, {kBeginNak, kBlockAck, kEndAck}, true},
        {3, {kBeginAck, kBlockNak, kEndAck}, false},
        {4, {kBeginAck, kBlockAck, kEndNak}, true},
    };
    const QByteArray factory = sim.setupMemory().image(0).mid(7 * kBlockData, kBlockData);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.refuse);
        sim.setupMemory().reset();
        sim.setFaults({.refuseRequest = c.refuse});
        auto client = std::make_unique<TSimClient>();
        ASSERT_TRUE(client->connectTo(sim.port()));
        std::vector<std::string> replies{kLoginAck};
        replies.insert(replies.end(), c.replies.begin(), c.replies.end());
        Exchange(*client, kLoginZep4 + Hex(kBegin) + DataBlock(1, 7, Pattern(1, 7)) + Hex(kEnd), replies);
        EXPECT_EQ(sim.setupMemory().image(0).mid(7 * kBlockData, kBlockData), c.stored ? Pattern(1, 7) : factory);
    }
}

TEST_F(SetupExchanges, BlockFaultsSpoilTheNthBlockSent) {
    struct TCase {
        const char* what;
        TFaultOptions faults;
        int spoilt;            // 0-based index of the spoilt block among the 5 read
        const char* head;      // its first 8 bytes
    };
    const TCase cases[] = {
        {"bad check byte on the 3rd block", {.badCheckBlock = 3}, 2, "1B 6C 00 82 00 CA 04 02"},
        {"2nd block numbered 9", {.wrongNumberBlock = 2, .wrongBlockNumber = 9}, 1, "1B 6C 00 82 00 F5 04 09"},
        {"5th block numbered 16", {.wrongNumberBlock = 5, .wrongBlockNumber = 16}, 4, "1B 6C 00 82 00 F5 04 10"},
        {"both on the 1st block", {.badCheckBlock = 1, .wrongNumberBlock = 1, .wrongBlockNumber = 200}, 0,
         "1B 6C 00 82 00 CA 04 C8"},
    };
    auto plain = LoggedIn();
    const std::vector<QByteArray> data = ReadOut(*plain, 4, 4);
    plain->socket.disconnectFromHost();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        sim.setFaults(c.faults);
        auto client = LoggedIn();  // blocks count from 1 per connection
        client->send(FirstBlockRequest(4) + NextBlocks(4));
        ASSERT_TRUE(client->waitForBytes(5 * kBlockFrame));
        ASSERT_EQ(client->received.size(), 5 * kBlockFrame);
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            const QByteArray frame = client->received.mid(i * kBlockFrame, kBlockFrame);
            const QByteArray head = i == c.spoilt ? Hex(c.head) : Hex(kSensorBlockHead) + char(4) + char(i);
            EXPECT_EQ(frame.left(8).toHex(' '), head.toHex(' '));
            // The data stay those of the block's own number, and the numbering goes on.
            EXPECT_EQ(frame.mid(8), data[size_t(i)]);
        }
    }
}

TEST_F(SetupExchanges, SplitSendsABlockInPieces) {
    sim.setFaults({.splitSizes = {600, 432}, .splitPauseMs = 30});
    auto client = LoggedIn();
    client->send(FirstBlockRequest(1));
    ASSERT_TRUE(client->waitForBytes(kBlockFrame));
    EXPECT_EQ(client->reads, (std::vector<qsizetype>{600, 432}));
    EXPECT_EQ(client->received.left(8).toHex(' '), Hex("1B 6C 00 82 00 F5 01 00").toHex(' '));
}

// ---------------------------------------------------------------------------------------
// The state file

QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

const QByteArray kStateHeader = Hex("5A 45 50 34 53 49 4D 01");  // "ZEP4SIM", version 1
constexpr qsizetype kStateSize = 8 + 5 * kImageBytes;

TEST_F(SetupExchanges, StateFileKeepsTheSetupForANewSimulator) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString stateFile = dir.filePath(QStringLiteral("sensor.state"));
    TSimulatorOptions options;
    options.stateFile = stateFile;
    sim.setOptions(options);
    QString error;
    ASSERT_EQ(sim.loadState(error), TStateLoad::Missing);
    EXPECT_TRUE(sim.setupMemory().images() == FactorySetupImages());
    EXPECT_FALSE(QFile::exists(stateFile)) << "made before anything was stored";

    auto client = LoggedIn();
    // A receive stores nothing and writes nothing.
    ReadOut(*client, 5, 1);
    Exchange(*client, Hex(kEnd), {kEndAck});
    EXPECT_FALSE(QFile::exists(stateFile));
    // A transmission is written at its end.
    client->received.clear();
    Exchange(*client, Hex(kBegin) + DataBlock(5, 7, Pattern(5, 7)) + DataBlock(2, 0, Pattern(2, 0)),
             {kBeginAck, kBlockAck, kBlockAck});
    EXPECT_FALSE(QFile::exists(stateFile)) << "written before the end frame";
    client->received.clear();
    Exchange(*client, Hex(kEnd), {kEndAck});
    const QByteArray bytes = ReadFile(stateFile);
    ASSERT_EQ(bytes.size(), kStateSize);
    EXPECT_EQ(bytes.left(8).toHex(' '), kStateHeader.toHex(' '));
    EXPECT_EQ(bytes.mid(8 + 4 * kImageBytes + 7 * kBlockData, kBlockData), Pattern(5, 7));
    EXPECT_EQ(bytes.mid(8 + 1 * kImageBytes, kBlockData), Pattern(2, 0));
    // Written through a temporary file that is gone afterwards.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("sensor.state")});

    TSensorSimulator restarted(options);
    ASSERT_TRUE(restarted.listen(0));
    ASSERT_EQ(restarted.loadState(error), TStateLoad::Loaded) << error.toStdString();
    auto again = LoggedIn(restarted);
    const std::vector<QByteArray> blocks = ReadOut(*again, 5, 7);
    ASSERT_EQ(blocks.size(), 8u);
    EXPECT_EQ(blocks[7], Pattern(5, 7));
    EXPECT_EQ(ReadOut(*again, 2, 0)[0], Pattern(2, 0));
}

TEST_F(SetupExchanges, DamagedStateFileIsRefusedWithAReason) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray good = kStateHeader + QByteArray(5 * kImageBytes, '\x11');
    struct TCase {
        const char* what;
        QByteArray bytes;
        const char* reason;
    };
    const TCase cases[] = {
        {"empty", QByteArray(), "empty"},
        {"another file", "GIF89a" + good.mid(6), "no zep4-sim state file"},
        {"cut in its header", good.left(5), "inside its header"},
        {"header only", good.left(8), "holds 8 bytes"},
        {"one byte short", good.left(kStateSize - 1), "holds 81927 bytes"},
        {"one byte too many", good + '\0', "holds 81929 bytes"},
        {"version 2", Hex("5A 45 50 34 53 49 4D 02") + good.mid(8), "format version 2"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = dir.filePath(QString::fromLatin1(c.what));
        WriteFile(name, c.bytes);
        TSimulatorOptions options;
        options.stateFile = name;
        TSensorSimulator simulator(options);
        // Blocks stored before the load stay as they are.
        ASSERT_TRUE(simulator.setupMemory().storeBlock(0, 1, reinterpret_cast<const uint8_t*>(Pattern(1, 1).data())));
        const TSetupImages images = simulator.setupMemory().images();
        QString error;
        EXPECT_EQ(simulator.loadState(error), TStateLoad::Unreadable);
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
        EXPECT_TRUE(simulator.setupMemory().images() == images);
    }
    // The good file reads.
    WriteFile(dir.filePath("good"), good);
    TSetupMemory memory;
    QString error;
    ASSERT_EQ(memory.load(dir.filePath("good"), error), TStateLoad::Loaded) << error.toStdString();
    EXPECT_EQ(memory.image(4), QByteArray(kImageBytes, '\x11'));
}

TEST_F(SetupExchanges, UnwritableStateFileWarnsAndTheTransferStillSucceeds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSimulatorOptions options;
    options.stateFile = dir.filePath(QStringLiteral("no such folder/sensor.state"));
    sim.setOptions(options);
    QStringList warnings;
    QObject::connect(&sim, &TSensorSimulator::warning, [&](const QString& text) { warnings << text; });
    auto client = LoggedIn();
    Exchange(*client, Hex(kBegin) + DataBlock(1, 0, Pattern(1, 0)) + Hex(kEnd), {kBeginAck, kBlockAck, kEndAck});
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("no such folder/sensor.state"))) << warnings[0].toStdString();
    EXPECT_EQ(sim.setupMemory().image(0).left(kBlockData), Pattern(1, 0));
}

// ---------------------------------------------------------------------------------------
// The command line and the built program

TEST(SetupCommandLine, FaultAndStateOptions) {
    struct TCase {
        QStringList arguments;
        bool ok;
        int badCheckBlock;
        int wrongNumberBlock;
        int wrongBlockNumber;
        const char* stateFile;
        const char* errorPart;
    };
    const TCase cases[] = {
        {{"--bad-block-check", "3", "--wrong-block-number", "5:16", "--state", "/tmp/x.state"}, true, 3, 5, 16,
         "/tmp/x.state", ""},
        {{"--wrong-block-number", "1:255"}, true, 0, 1, 255, "", ""},
        {{"--wrong-block-number", "1:256"}, false, 0, 0, 0, "", "--wrong-block-number needs n:b"},
        {{"--wrong-block-number", "7"}, false, 0, 0, 0, "", "--wrong-block-number needs n:b"},
        {{"--wrong-block-number", "x:3"}, false, 0, 0, 0, "", "--wrong-block-number"},
        {{"--bad-block-check", "-2"}, false, 0, 0, 0, "", "--bad-block-check needs a whole number"},
        {{"--state", ""}, false, 0, 0, 0, "", "--state needs the name of a file"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QCommandLineParser parser;
        const TSimulatorCommandLine commandLine;
        commandLine.addTo(parser);
        ASSERT_TRUE(parser.parse(QStringList{QStringLiteral("zep4-sim")} + c.arguments));
        TSimulatorOptions options;
        quint16 port = 0;
        QString error;
        ASSERT_EQ(commandLine.read(parser, options, port, error), c.ok) << error.toStdString();
        if (!c.ok) {
            EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorPart))) << error.toStdString();
            continue;
        }
        EXPECT_EQ(options.faults.badCheckBlock, c.badCheckBlock);
        EXPECT_EQ(options.faults.wrongNumberBlock, c.wrongNumberBlock);
        EXPECT_EQ(options.faults.wrongBlockNumber, c.wrongBlockNumber);
        EXPECT_EQ(options.stateFile, QString::fromLatin1(c.stateFile));
    }
}

// The built program with --state on a free port, and a client connected to it.
struct TProgramRun {
    // Starts it and connects; its second line (where the images come from) holds `origin`.
    void start(const QString& stateFile, const char* origin) {
        program.start(QStringLiteral(ZEP4_SIM_PROGRAM), {"--port", "0", "--state", stateFile});
        ASSERT_TRUE(program.waitForStarted(5000)) << program.errorString().toStdString();
        QByteArray output;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                output += program.readAllStandardOutput();
                return output.count('\n') >= 2 || program.state() == QProcess::NotRunning;
            },
            10000));
        const QByteArray prefix = "zep4-sim listening on 127.0.0.1:";
        ASSERT_TRUE(output.startsWith(prefix)) << output.toStdString() << program.readAllStandardError().toStdString();
        EXPECT_TRUE(output.contains(origin)) << output.toStdString();
        const quint16 port =
            quint16(output.mid(prefix.size(), output.indexOf(' ', prefix.size()) - prefix.size()).toUInt());
        ASSERT_TRUE(client.connectTo(port));
        client.send(kLoginZep4);
        ASSERT_TRUE(client.waitForBytes(6));
        ASSERT_EQ(client.received.toHex(' '), Hex(kLoginAck).toHex(' '));
        client.received.clear();
    }
    void stop() {
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    }

    QProcess program;
    TSimClient client;
};

TEST(SetupProgram, StateSurvivesARestart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString stateFile = dir.filePath(QStringLiteral("sensor.state"));
    {
        TProgramRun run;
        ASSERT_NO_FATAL_FAILURE(run.start(stateFile, "factory setup images"));
        // One transmission that ends, then a block of one that never does: the program
        // writes that one when it ends.
        const std::vector<std::string> replies{kBeginAck, kBlockAck, kEndAck};
        run.client.send(Hex(kBegin) + DataBlock(2, 4, Pattern(2, 4)) + Hex(kEnd));
        ASSERT_TRUE(run.client.waitForBytes(FramesLength(replies)));
        ExpectFrames(run.client.received, replies);
        EXPECT_EQ(ReadFile(stateFile).size(), kStateSize);
        run.client.received.clear();
        run.client.send(Hex(kBegin) + DataBlock(2, 6, Pattern(2, 6)));
        ASSERT_TRUE(run.client.waitForBytes(12));
        ExpectFrames(run.client.received, {kBeginAck, kBlockAck});
        run.stop();
    }
    {
        TProgramRun run;
        ASSERT_NO_FATAL_FAILURE(run.start(stateFile, "setup images read from"));
        std::vector<std::string> replies;
        for (int b = 0; b <= 6; ++b) replies.push_back(BlockText(2, b));
        run.client.send(FirstBlockRequest(2) + NextBlocks(6));
        ASSERT_TRUE(run.client.waitForBytes(FramesLength(replies)));
        ExpectFrames(run.client.received, replies);
        EXPECT_EQ(run.client.received.mid(4 * kBlockFrame + 8, kBlockData), Pattern(2, 4));
        EXPECT_EQ(run.client.received.mid(6 * kBlockFrame + 8, kBlockData), Pattern(2, 6));
        run.stop();
    }
    // A damaged state file: the program does not start, and says why.
    WriteFile(stateFile, ReadFile(stateFile).left(100));
    QProcess program;
    program.start(QStringLiteral(ZEP4_SIM_PROGRAM), {"--port", "0", "--state", stateFile});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 1);
    const QByteArray error = program.readAllStandardError();
    EXPECT_TRUE(error.contains("cannot use the state file") && error.contains("holds 100 bytes")) << error.toStdString();
    EXPECT_EQ(ReadFile(stateFile).size(), 100) << "the damaged file was replaced";
}

}  // namespace
}  // namespace zep4::sim
