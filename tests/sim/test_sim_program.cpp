// The command line of zep4-sim, and the built program once as a process: its start line,
// one login, and a clean end on SIGTERM.
#include "sim_client.h"
#include "sim_command_line.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

namespace zep4::sim {
namespace {

using test::Hex;

struct TReadResult {
    bool ok = false;
    QString error;
    TSimulatorOptions options;
    quint16 port = 0;
};

TReadResult Read(const QStringList& arguments) {
    QCommandLineParser parser;
    const TSimulatorCommandLine commandLine;
    commandLine.addTo(parser);
    TReadResult r;
    if (!parser.parse(QStringList{QStringLiteral("zep4-sim")} + arguments)) {
        r.error = parser.errorText();
        return r;
    }
    r.ok = commandLine.read(parser, r.options, r.port, r.error);
    return r;
}

TEST(SimCommandLine, DefaultsAndValues) {
    const TReadResult none = Read({});
    ASSERT_TRUE(none.ok) << none.error.toStdString();
    EXPECT_EQ(none.port, 4081);
    EXPECT_EQ(none.options.password, QByteArray("zep4"));
    EXPECT_EQ(none.options.versionText, QByteArray("V3.60"));
    EXPECT_FALSE(none.options.verbose);

    const TReadResult all = Read({"--port", "0", "--password", "Käse12345678", "--version-text", "V3.49", "--split",
                                  "2,4", "--split-pause", "0", "--delay", "250", "--refuse", "3", "--silent-after",
                                  "5", "--close-after", "7", "--verbose"});
    ASSERT_TRUE(all.ok) << all.error.toStdString();
    EXPECT_EQ(all.port, 0);
    EXPECT_EQ(all.options.password, QByteArray("K\xE4se12345678"));  // 8-bit, 12 characters
    EXPECT_EQ(all.options.versionText, QByteArray("V3.49"));
    EXPECT_EQ(all.options.faults.splitSizes, (std::vector<int>{2, 4}));
    EXPECT_EQ(all.options.faults.splitPauseMs, 0);
    EXPECT_EQ(all.options.faults.delayMs, 250);
    EXPECT_EQ(all.options.faults.refuseRequest, 3);
    EXPECT_EQ(all.options.faults.silentAfterRequest, 5);
    EXPECT_EQ(all.options.faults.closeAfterRequest, 7);
    EXPECT_TRUE(all.options.verbose);
}

TEST(SimCommandLine, WrongValuesAreNamed) {
    struct TCase {
        QStringList arguments;
        const char* errorPart;
    };
    const TCase cases[] = {
        {{"--port", "65536"}, "--port needs a whole number from 0 to 65535"},
        {{"--port", "eighty"}, "--port"},
        {{"--split", "2,x"}, "--split needs sizes of 1 or more"},
        {{"--split", "0"}, "--split"},
        {{"--split", ""}, "--split"},
        {{"--delay", "-1"}, "--delay"},
        {{"--refuse", "two"}, "--refuse"},
        {{"--version-text", "V3.6"}, "--version-text needs exactly 5 characters"},
        {{"--password", ""}, "--password needs 1 to 255 characters"},
        {{"--password", QStringLiteral("\u4E2D")}, "--password holds a character"},
        {{"--frobnicate"}, "frobnicate"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const TReadResult r = Read(c.arguments);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.errorPart))) << r.error.toStdString();
    }
}

TEST(SimProgram, StartsLogsInAndEndsOnSigterm) {
    // A free port: taken from the system, let go, and handed to the program.
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QProcess program;
    program.start(QStringLiteral(ZEP4_SIM_PROGRAM),
                  {"--port", QString::number(port), "--password", "secret", "--verbose"});
    ASSERT_TRUE(program.waitForStarted(5000)) << program.errorString().toStdString();
    QByteArray output;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            output += program.readAllStandardOutput();
            return output.contains('\n') || program.state() == QProcess::NotRunning;
        },
        10000));
    const QByteArray expected = "zep4-sim listening on 127.0.0.1:" + QByteArray::number(port) + " (password \"secret\")\n";
    ASSERT_EQ(output.left(output.indexOf('\n') + 1).toStdString(), expected.toStdString())
        << program.readAllStandardError().toStdString();

    test::TSimClient client;
    ASSERT_TRUE(client.connectTo(port));
    client.send(Hex("1B 30 00 00 00 2B 73 65 63 72 65 74 FF FF FF FF 06"));
    ASSERT_TRUE(client.waitForBytes(6));
    EXPECT_EQ(client.received.toHex(' '), Hex(test::kLoginAck).toHex(' '));

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    output += program.readAllStandardOutput();
    EXPECT_TRUE(output.contains("-> login: 1B 30 06 00 00 2D")) << output.toStdString();
}

}  // namespace
}  // namespace zep4::sim
