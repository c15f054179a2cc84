// zep4ctl's sensor commands: info, receive and transmit against the simulator (in this
// process, so the tool runs asynchronously while the simulator answers), and encode.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <cstring>
#include <filesystem>
#include <memory>

#include "link/device_image.h"
#include "link/frames.h"
#include "setup/setup_defaults.h"
#include "setup/setup_file.h"
#include "setup/setup_store.h"

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

namespace {

// A setup whose camera `camera` has area 2 drawn as a band of rows in every time zone.
std::unique_ptr<TSetupStore> SetupWithBand(int camera, int firstRow) {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Kamera");
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int row = firstRow; row < firstRow + 5; ++row)
            for (int column = 0; column < kCellColumns; ++column) store->camera(tz, camera).Areas[1].Cells.at(row, column) = 1;
    return store;
}

void Save(TSetupStore& store, const std::filesystem::path& file) {
    std::string error;
    ASSERT_TRUE(SaveSetupFile(file, store, MakeSaveHeader(LocalTimeNow()), error)) << error;
}

std::unique_ptr<TSetupStore> Open(const std::filesystem::path& file) {
    auto store = std::make_unique<TSetupStore>();
    std::vector<std::string> warnings;
    std::string error;
    EXPECT_TRUE(OpenSetupFile(file, *store, warnings, error)) << error;
    return store;
}

QByteArray WireImage(TSetupStore& store, int camera) {
    EncodeCameraImage(store, camera);
    QByteArray bytes(kImageWordsSent, '\0');
    for (int i = 0; i < kImageWordsSent; ++i) bytes[i] = char(store.TxImage[camera][i] & 0xFF);
    return bytes;
}

class Zep4ctlTransfer : public Zep4ctlInfo {
protected:
    test::TempDir dir;
    QString folder = QString::fromStdString(dir.path().string());
    QStringList args(const char* command) {
        QStringList a = Zep4ctlInfo::args("zep4");
        a[0] = QString::fromLatin1(command);
        return a;
    }
};

}  // namespace

// Transfers run in real time, with the sensor's pauses: one transmit and one receive of one
// camera and the global image each.
TEST_F(Zep4ctlTransfer, TransmitSendsTheChosenCameraAndTheStatisticsRequest) {
    auto store = SetupWithBand(1, 10);
    Save(*store, dir / "a.zep");
    const TResult r = RunTool(args("transmit") << "a.zep" << "--cameras" << "2" << "--clear-statistics" << "2,3", folder);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "camera 2 sent\nglobal setup sent\n");
    EXPECT_EQ(simulator.setupMemory().image(1), WireImage(*store, 1));
    EXPECT_EQ(simulator.setupMemory().image(4).mid(1681, 4), QByteArray::fromHex("00010100"));
}

TEST_F(Zep4ctlTransfer, ReceiveReplacesTheChosenCameraInTheBaseSetup) {
    auto sensor = SetupWithBand(0, 30);
    ASSERT_TRUE(simulator.setupMemory().setImage(0, WireImage(*sensor, 0)));
    auto base = SetupWithBand(2, 50);
    Save(*base, dir / "base.zep");
    const TResult r = RunTool(args("receive") << "--cameras" << "1" << "--base" << "base.zep" << "--out" << "b.zep", folder);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "camera 1 received\nglobal setup received\n");
    const auto received = Open(dir / "b.zep");
    for (int tz = 0; tz < kTimeZones; ++tz) {
        EXPECT_EQ(0, std::memcmp(&received->camera(tz, 0).Areas, &sensor->camera(tz, 0).Areas, sizeof(TAreaSetup) * kAreas));
        EXPECT_EQ(0, std::memcmp(&received->camera(tz, 2).Areas, &base->camera(tz, 2).Areas, sizeof(TAreaSetup) * kAreas));
    }
}

TEST_F(Zep4ctlTransfer, AFailedReceiveWritesNothing) {
    sim::TFaultOptions faults;
    faults.badCheckBlock = 1;
    simulator.setFaults(faults);
    const TResult r = RunTool(args("receive") << "--all" << "--out" << "b.zep", folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "zep4ctl: Block error!\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "b.zep"));
}

TEST_F(Zep4ctlTransfer, WrongCommandLinesAreRefusedBeforeConnecting) {
    ASSERT_EQ(RunTool({"new", "a.zep"}, folder).exitCode, 0);
    const QStringList cases[] = {
        args("receive") << "--out" << "b.zep",
        args("receive") << "--all" << "--cameras" << "1" << "--out" << "b.zep",
        args("receive") << "--cameras" << "0" << "--out" << "b.zep",
        args("receive") << "--cameras" << "1,,2" << "--out" << "b.zep",
        args("receive") << "--all",
        args("transmit") << "a.zep" << "--cameras" << "1" << "--clear-statistics" << "5",
    };
    for (const QStringList& c : cases) {
        const TResult r = RunTool(c, folder);
        EXPECT_EQ(r.exitCode, 2) << c.join(' ').toStdString();
    }
    EXPECT_EQ(RunTool(args("transmit") << "missing.zep" << "--all", folder).exitCode, 1);
    EXPECT_FALSE(simulator.hasClient());
}
