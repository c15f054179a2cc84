// zep4ctl's sensor commands: info against the simulator (in this process, so the tool runs
// asynchronously while the simulator answers), and encode.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "sensor_simulator.h"
#include "test_support.h"

using namespace zep4;

namespace {

struct TResult {
    int exitCode = -1;
    QString out, err;
};

TResult RunTool(const QStringList& args, const QString& dir = QString()) {
    QProcess process;
    if (!dir.isEmpty()) process.setWorkingDirectory(dir);
    process.start(QStringLiteral(ZEP4CTL_PATH), args);
    TResult r;
    // Waiting with the event loop running lets the simulator in this process answer.
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "zep4ctl did not finish";
        return r;
    }
    r.exitCode = process.exitCode();
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.err = QString::fromUtf8(process.readAllStandardError());
    return r;
}

class Zep4ctlInfo : public ::testing::Test {
protected:
    sim::TSensorSimulator simulator;
    void SetUp() override {
        sim::InstallConnectionExchanges(simulator);
        ASSERT_TRUE(simulator.listen(0));
    }
    QStringList args(const char* password) {
        return {"info", "--host", "127.0.0.1", "--port", QString::number(simulator.port()), "--password", password};
    }
};

}  // namespace

TEST_F(Zep4ctlInfo, PrintsTheVersion) {
    const TResult r = RunTool(args("zep4"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "version V3.60\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Zep4ctlInfo, WarnsAboutOldFirmware) {
    sim::TSimulatorOptions options = simulator.options();
    options.versionText = "V3.49";
    simulator.setOptions(options);
    const TResult r = RunTool(args("zep4"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "version V3.49\n");
    EXPECT_TRUE(r.err.contains("older than version 3.50")) << r.err.toStdString();
}

TEST_F(Zep4ctlInfo, FailuresNameWhatFailed) {
    const TResult refused = RunTool(args("wrong"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("refused the login")) << refused.err.toStdString();
    EXPECT_EQ(refused.err.count('\n'), 1);

    sim::TFaultOptions faults;
    faults.silentAfterRequest = 2;  // the version query gets no answer
    simulator.setFaults(faults);
    const TResult silent = RunTool(args("zep4"));
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.err.contains("version query")) << silent.err.toStdString();

    const QStringList toClosedPort = args("zep4");
    simulator.close();
    const TResult nobody = RunTool(toClosedPort);
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_TRUE(nobody.err.contains("failed")) << nobody.err.toStdString();

    const TResult usage = RunTool({"info", "--host", "127.0.0.1"});
    EXPECT_EQ(usage.exitCode, 2);
}

TEST(Zep4ctlEncode, WritesTheLowBytesOfTheImageWords) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    ASSERT_EQ(RunTool({"new", "a.zep"}, folder).exitCode, 0);
    ASSERT_EQ(RunTool({"encode", "a.zep", "--image", "1", "--out", "cam1.bin"}, folder).exitCode, 0);
    const auto camera = test::readFileBytes(dir / "cam1.bin");
    ASSERT_EQ(camera.size(), 16384u);
    EXPECT_EQ(camera[0], 0xFF);      // area 1 full: eight set cells per word
    EXPECT_EQ(camera[810], 0x00);    // area 2 empty
    EXPECT_EQ(camera[12960], 1);     // reset time 1 s
    EXPECT_EQ(camera[12962], 6);     // sensitivity index 5
    EXPECT_EQ(camera[13033], 32);    // at most 32 objects
    EXPECT_EQ(camera[16383], 0);

    ASSERT_EQ(RunTool({"encode", "a.zep", "--image", "5", "--out", "global.bin"}, folder).exitCode, 0);
    const auto global = test::readFileBytes(dir / "global.bin");
    ASSERT_EQ(global.size(), 16384u);
    EXPECT_EQ(global[13], 192);  // alarm host address
    EXPECT_EQ(global[83], 255);  // week plan of time zone 1
    EXPECT_EQ(global[1792], 192);

    EXPECT_EQ(RunTool({"encode", "a.zep", "--image", "6", "--out", "x.bin"}, folder).exitCode, 2);
    EXPECT_EQ(RunTool({"encode", "missing.zep", "--image", "1", "--out", "x.bin"}, folder).exitCode, 1);
}
