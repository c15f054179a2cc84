// Sensor commands: info (log in and read the firmware version), encode (the bytes a
// transmission of one device image carries), receive and transmit (the setup transfer).
// They run the same procedure classes as the windows, with the same time-outs and pauses.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "commands.h"
#include "link/device_image.h"
#include "link/frames.h"
#include "link/link.h"
#include "link/login_procedure.h"
#include "link/transfer_procedures.h"
#include "camera_word.h"
#include "setup/file_io.h"
#include "setup/setup_defaults.h"
#include "setup/setup_file.h"
#include "ui/dialogs.h"

namespace zep4ctl {
namespace {

// What the windows would show in a dialog goes to stderr.
class TConsoleDialogs : public zep4::TDialogs {
public:
    zep4::MessageResult message(QWidget*, zep4::MessageType, zep4::MessageButtons buttons,
                                const QString& text) override {
        Warn(text.toStdString());
        return buttons == zep4::MessageButtons::Ok ? zep4::MessageResult::Ok : zep4::MessageResult::Abort;
    }
    std::optional<zep4::FileDialogResult> file(QWidget*, const zep4::FileDialogRequest&) override {
        return std::nullopt;
    }
};

const QCommandLineOption kHost(QStringLiteral("host"), QStringLiteral("Address or host name of the sensor."),
                               QStringLiteral("H"));
const QCommandLineOption kPort(QStringLiteral("port"), QStringLiteral("TCP port of the sensor (default 81)."),
                               QStringLiteral("P"), QStringLiteral("81"));
const QCommandLineOption kPassword(QStringLiteral("password"), QStringLiteral("The sensor password."),
                                   QStringLiteral("PW"));

void AddConnectionOptions(QCommandLineParser& parser) {
    parser.addOption(kHost);
    parser.addOption(kPort);
    parser.addOption(kPassword);
}

// A connected, logged-in link with the sensor's version read, as the connection manager
// leaves it.
struct TSession {
    TConsoleDialogs dialogs;
    zep4::TLink link{dialogs, [](int line) { return zep4::LinkBuiltinText(line); }};
    zep4::TLoginProcedure login{link};
    QString version;
    bool oldFirmware = false;
};

// Connects and logs in; on failure returns the message saying what failed.
std::string Open(TSession& s, const QCommandLineParser& parser) {
    const int port = parser.value(kPort).toInt();
    const QString host = parser.value(kHost);
    const std::string where = host.toStdString() + ":" + std::to_string(port);

    std::string failure;
    QEventLoop loop;
    auto fail = [&](const std::string& why) {
        failure = why;
        loop.quit();
    };
    using P = zep4::TLoginProcedure;
    QObject::connect(&s.login, &P::connectTimedOut, &loop, [&] { fail("no connection to " + where + " within 15 s"); });
    QObject::connect(&s.login, &P::loginTimedOut, &loop, [&] { fail("no login reply from " + where + " within 10 s"); });
    QObject::connect(&s.login, &P::loginRefused, &loop,
                     [&] { fail("the sensor at " + where + " refused the login (wrong password?)"); });
    QObject::connect(&s.login, &P::versionTimedOut, &loop,
                     [&] { fail("no reply to the version query from " + where + " within 2 s"); });
    QObject::connect(&s.login, &P::versionRejected, &loop,
                     [&] { fail("the sensor at " + where + " sent an invalid reply to the version query"); });
    QObject::connect(&s.link, &zep4::TLink::socketError, &loop, [&](int code, const QString&) {
        fail("connection to " + where + " failed: " + s.link.ClientSocket1.errorString().toStdString() +
             " (socket error " + std::to_string(code) + ")");
    });
    QObject::connect(&s.link, &zep4::TLink::disconnected, &loop,
                     [&] { fail("the sensor at " + where + " closed the connection"); });
    QObject::connect(&s.login, &P::versionChecked, &loop, [&](const QString& version, bool old) {
        s.version = version;
        s.oldFirmware = old;
        loop.quit();
    });
    s.login.start(host, static_cast<quint16>(port), parser.value(kPassword));
    loop.exec();
    return failure;
}

// A wrong command line: the message and exit status 2.
int Usage(const std::string& message) {
    std::cerr << "zep4ctl: " << message << std::endl;
    return kExitUsage;
}

int CheckConnectionOptions(const QCommandLineParser& parser) {
    if (!parser.isSet(kHost) || !parser.isSet(kPassword)) return Usage("--host and --password are required");
    bool ok = false;
    const int port = parser.value(kPort).toInt(&ok);
    if (!ok || port < 1 || port > 65535) return Usage("--port must be a number from 1 to 65535");
    return kExitOk;
}

int RunInfo(const QCommandLineParser& parser, const QStringList&) {
    if (int bad = CheckConnectionOptions(parser)) return bad;
    TSession s;
    const std::string failure = Open(s, parser);
    if (!failure.empty()) return Fail(failure);
    std::cout << "version " << s.version.toStdString() << std::endl;
    if (s.oldFirmware) Warn("the sensor firmware is older than version 3.50");
    s.link.closeSocket();
    return kExitOk;
}

const QCommandLineOption kImage(QStringLiteral("image"),
                                QStringLiteral("1 to 4 for the image of camera 1 to 4, 5 for the global image."),
                                QStringLiteral("N"));
const QCommandLineOption kOut(QStringLiteral("out"), QStringLiteral("The file to write."), QStringLiteral("FILE"));

int RunEncode(const QCommandLineParser& parser, const QStringList& args) {
    bool ok = false;
    const int image = parser.value(kImage).toInt(&ok);
    if (!parser.isSet(kImage) || !ok || image < 1 || image > 5) return Usage("--image must be a number from 1 to 5");
    if (!parser.isSet(kOut)) return Usage("--out FILE is required");
    std::string error;
    const auto file = zep4::ReadSetupFile(ToPath(args[0]), error);
    if (!file) return Fail(error);
    auto store = std::make_unique<zep4::TSetupStore>();
    std::vector<std::string> warnings;
    zep4::ApplyImageToStore(*file, *store, warnings);
    const zep4::TDeviceImage* words;
    if (image == 5) {
        zep4::EncodeGlobalImage(*store);
        words = &store->TxGlobalImage;
    } else {
        zep4::EncodeCameraImage(*store, image - 1);
        words = &store->TxImage[image - 1];
    }
    std::vector<uint8_t> bytes(zep4::kImageWordsSent);
    for (int i = 0; i < zep4::kImageWordsSent; ++i) bytes[i] = static_cast<uint8_t>((*words)[i] & 0xFF);
    std::string why;
    if (!zep4::WriteFileAtomically(ToPath(parser.value(kOut)), bytes, why))
        return Fail("\"" + parser.value(kOut).toStdString() + "\" cannot be written: " + why);
    return kExitOk;
}

// --- receive and transmit ---------------------------------------------------------------

const QCommandLineOption kCameras(QStringLiteral("cameras"),
                                  QStringLiteral("The cameras, a comma-separated list such as 1,3."),
                                  QStringLiteral("LIST"));
const QCommandLineOption kAll(QStringLiteral("all"), QStringLiteral("The whole setup: all cameras."));
const QCommandLineOption kBase(QStringLiteral("base"),
                               QStringLiteral("The setup the received cameras go into (default: a new setup)."),
                               QStringLiteral("IN.zep"));
const QCommandLineOption kClearStatistics(QStringLiteral("clear-statistics"),
                                          QStringLiteral("Ask the sensor to clear the statistics of these cameras."),
                                          QStringLiteral("LIST"));

// "1,3" -> cameras 1 and 3. Nothing for an empty list, a number outside 1..4 or anything else.
std::optional<std::array<bool, 4>> ParseCameraList(const QString& text) {
    std::array<bool, 4> chosen{};
    const QStringList items = text.split(QLatin1Char(','));
    for (const QString& item : items) {
        bool ok = false;
        const int camera = item.trimmed().toInt(&ok);
        if (!ok || camera < 1 || camera > 4) return std::nullopt;
        chosen[camera - 1] = true;
    }
    return chosen;
}

// The cameras of --cameras or --all; writes a usage message and returns nothing when the
// command line names neither or both, or a list that is wrong.
std::optional<std::pair<std::array<bool, 4>, bool>> ChosenCameras(const QCommandLineParser& parser) {
    if (parser.isSet(kCameras) == parser.isSet(kAll)) {
        Usage("give either --cameras LIST or --all");
        return std::nullopt;
    }
    if (parser.isSet(kAll)) return std::pair(std::array<bool, 4>{}, true);
    const auto cameras = ParseCameraList(parser.value(kCameras));
    if (!cameras) {
        Usage("--cameras must list camera numbers from 1 to 4, such as 1,3");
        return std::nullopt;
    }
    return std::pair(*cameras, false);
}

// Reads a setup file into a new store; nullptr with the message written when it fails.
std::unique_ptr<zep4::TSetupStore> LoadSetup(const QString& argument) {
    std::string error;
    const auto file = zep4::ReadSetupFile(ToPath(argument), error);
    if (!file) {
        Fail(error);
        return nullptr;
    }
    auto store = std::make_unique<zep4::TSetupStore>();
    std::vector<std::string> warnings;
    zep4::ApplyImageToStore(*file, *store, warnings);
    for (const std::string& w : warnings) Warn(w);
    return store;
}

std::string ImageName(int image) {
    return image == zep4::kGlobalImage ? std::string("global setup") : "camera " + std::to_string(image + 1);
}

// Runs a transfer procedure until it finishes or fails, or the connection goes. Each image
// completed prints one line "<image> <verb>". Returns the failure's text, empty on success.
template <typename Procedure>
std::string RunTransfer(TSession& s, Procedure& procedure, const char* verb, QString (*text)(int),
                        const std::function<void()>& start) {
    std::string failure;
    QEventLoop loop;
    QObject::connect(&procedure, &Procedure::imageCompleted, &loop,
                     [&](int image) { std::cout << ImageName(image) << " " << verb << std::endl; });
    QObject::connect(&procedure, &Procedure::finished, &loop, [&] { loop.quit(); });
    QObject::connect(&procedure, &Procedure::failed, &loop, [&](typename Procedure::Failure f) {
        failure = text(zep4::StatusLine(f)).toStdString();
        loop.quit();
    });
    QObject::connect(&procedure, &Procedure::nothingChosen, &loop, [&] {
        failure = "no camera chosen";
        loop.quit();
    });
    QObject::connect(&s.link, &zep4::TLink::disconnected, &loop, [&] {
        failure = "the sensor closed the connection";
        loop.quit();
    });
    QObject::connect(&s.link, &zep4::TLink::socketError, &loop, [&](int, const QString&) {
        failure = "connection failed: " + s.link.ClientSocket1.errorString().toStdString();
        loop.quit();
    });
    // Started from the running loop, so that an outcome signalled at once still ends it.
    QTimer::singleShot(0, &loop, start);
    loop.exec();
    return failure;
}

int RunReceive(const QCommandLineParser& parser, const QStringList&) {
    if (int bad = CheckConnectionOptions(parser)) return bad;
    const auto chosen = ChosenCameras(parser);
    if (!chosen) return kExitUsage;
    if (!parser.isSet(kOut)) return Usage("--out OUT.zep is required");

    std::unique_ptr<zep4::TSetupStore> store;
    if (parser.isSet(kBase)) {
        store = LoadSetup(parser.value(kBase));
        if (!store) return kExitFailure;
    } else {
        store = std::make_unique<zep4::TSetupStore>();
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        zep4::ResetSetupRecords(*store, ec ? std::string() : CameraWordFromLanguageIni(here));
    }

    TSession s;
    if (const std::string failure = Open(s, parser); !failure.empty()) return Fail(failure);
    zep4::TReceiveProcedure receive(s.link, *store);
    receive.receiveWindowShown = true;
    const std::string failure = RunTransfer(s, receive, "received", zep4::ReceiveBuiltinText,
                                            [&] { receive.startReceive(chosen->first, chosen->second); });
    receive.receiveWindowShown = false;
    s.link.closeSocket();
    // A failed receive writes nothing: what was received is incomplete.
    if (!failure.empty()) return Fail(failure);

    std::string error;
    if (!zep4::SaveSetupFile(ToPath(parser.value(kOut)), *store, zep4::MakeSaveHeader(zep4::LocalTimeNow()), error))
        return Fail(error);
    return kExitOk;
}

int RunTransmit(const QCommandLineParser& parser, const QStringList& args) {
    if (int bad = CheckConnectionOptions(parser)) return bad;
    const auto chosen = ChosenCameras(parser);
    if (!chosen) return kExitUsage;
    std::array<bool, 4> clear{};
    if (parser.isSet(kClearStatistics)) {
        const auto list = ParseCameraList(parser.value(kClearStatistics));
        if (!list) return Usage("--clear-statistics must list camera numbers from 1 to 4, such as 2,4");
        clear = *list;
    }
    const auto store = LoadSetup(args[0]);
    if (!store) return kExitFailure;

    TSession s;
    if (const std::string failure = Open(s, parser); !failure.empty()) return Fail(failure);
    zep4::TTransmitProcedure transmit(s.link, *store);
    transmit.sendWindowShown = true;
    const std::string failure = RunTransfer(s, transmit, "sent", zep4::TransmitBuiltinText,
                                            [&] { transmit.startTransmit(chosen->first, chosen->second, clear); });
    transmit.sendWindowShown = false;
    s.link.closeSocket();
    if (!failure.empty()) return Fail(failure);
    return kExitOk;
}

const TCommand kCommands[] = {
    {QStringLiteral("info"), {}, QStringLiteral("Log in to a sensor and print its firmware version."),
     AddConnectionOptions, RunInfo},
    {QStringLiteral("encode"),
     {{QStringLiteral("FILE.zep"), QStringLiteral("The setup file.")}},
     QStringLiteral("Write the 16384 bytes a transmission of one device image carries."),
     [](QCommandLineParser& p) {
         p.addOption(kImage);
         p.addOption(kOut);
     },
     RunEncode},
    {QStringLiteral("receive"), {},
     QStringLiteral("Receive the setup of chosen cameras, or the whole setup, from a sensor into a setup file."),
     [](QCommandLineParser& p) {
         AddConnectionOptions(p);
         p.addOption(kCameras);
         p.addOption(kAll);
         p.addOption(kOut);
         p.addOption(kBase);
     },
     RunReceive},
    {QStringLiteral("transmit"),
     {{QStringLiteral("IN.zep"), QStringLiteral("The setup file to send.")}},
     QStringLiteral("Send the setup of chosen cameras, or the whole setup, to a sensor."),
     [](QCommandLineParser& p) {
         AddConnectionOptions(p);
         p.addOption(kCameras);
         p.addOption(kAll);
         p.addOption(kClearStatistics);
     },
     RunTransmit},
};

}  // namespace

std::span<const TCommand> SensorCommands() { return kCommands; }

}  // namespace zep4ctl
