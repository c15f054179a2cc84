// zep4-sim: a stand-in for the ZEP-4 sensor on 127.0.0.1, for tests and for trying the
// program without a sensor. Runs until SIGINT or SIGTERM. Exit status 0 after a clean end,
// 1 when the port cannot be had or the state file is damaged, 2 on a wrong command line.
#include "sensor_simulator.h"
#include "sim_command_line.h"
#include "setup/text1252.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <iostream>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop through a pipe, so that the program quits from the
// loop rather than from inside the signal handler.
bool InstallQuitSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return false;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(gSignalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zep4-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stand-in for the ZEP-4 sensor: answers the login, the version query, the keep-alive and\n"
        "the setup transfer (it keeps five setup images, factory ones at first) on 127.0.0.1, one\n"
        "client at a time (others wait their turn), and misbehaves on request. Requests and the\n"
        "setup blocks it sends count from 1 per connection; the keep-alive is not a request.\n"
        "Ends on SIGINT or SIGTERM. Exit status 1 when the port cannot be had or the state file is\n"
        "damaged, 2 on a wrong command line."));
    const QCommandLineOption help = parser.addHelpOption();
    const zep4::sim::TSimulatorCommandLine commandLine;
    commandLine.addTo(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "zep4-sim: " << parser.errorText().toStdString() << "\n\n" << parser.helpText().toStdString();
        return 2;
    }
    if (parser.isSet(help)) {
        std::cout << parser.helpText().toStdString() << std::flush;
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::cerr << "zep4-sim: unexpected argument \"" << parser.positionalArguments().constFirst().toStdString()
                  << "\"\n\n"
                  << parser.helpText().toStdString();
        return 2;
    }
    zep4::sim::TSimulatorOptions options;
    quint16 port = zep4::sim::kDefaultPort;
    QString error;
    if (!commandLine.read(parser, options, port, error)) {
        std::cerr << "zep4-sim: " << error.toStdString() << '\n';
        return 2;
    }

    zep4::sim::TSensorSimulator simulator(options);
    QObject::connect(&simulator, &zep4::sim::TSensorSimulator::verboseLine, &app,
                     [](const QString& line) { std::cout << line.toStdString() << std::endl; });
    QObject::connect(&simulator, &zep4::sim::TSensorSimulator::warning, &app,
                     [](const QString& text) { std::cerr << "zep4-sim: warning: " << text.toStdString() << std::endl; });
    // A damaged state file is not replaced by factory images: the next transmission would
    // overwrite it, and whatever was in it would be lost without anybody having looked.
    const zep4::sim::TStateLoad state = simulator.loadState(error);
    if (state == zep4::sim::TStateLoad::Unreadable) {
        std::cerr << "zep4-sim: cannot use the state file \"" << options.stateFile.toStdString() << "\": "
                  << error.toStdString() << ". Delete it, or name another file with --state.\n";
        return 1;
    }
    if (!simulator.listen(port)) {
        std::cerr << "zep4-sim: cannot listen on 127.0.0.1:" << port << ": " << simulator.errorString().toStdString()
                  << '\n';
        return 1;
    }
    if (!InstallQuitSignals(app)) std::cerr << "zep4-sim: warning: SIGINT and SIGTERM will not end it cleanly\n";

    // The password is shown as it is typed; on the wire it is 8-bit text.
    std::cout << "zep4-sim listening on 127.0.0.1:" << simulator.port() << " (password \""
              << zep4::cp1252ToUtf8(options.password.toStdString()) << "\")" << std::endl;
    if (state == zep4::sim::TStateLoad::Loaded)
        std::cout << "setup images read from \"" << options.stateFile.toStdString() << "\"" << std::endl;
    else if (!options.stateFile.isEmpty())
        std::cout << "factory setup images; \"" << options.stateFile.toStdString()
                  << "\" is written at the end of the first transmission" << std::endl;
    const int status = app.exec();
    simulator.close();
    // Blocks of a transmission that never reached its end frame are still what the sensor
    // holds; a restarted simulator must hold them too.
    if (simulator.setupMemory().unsaved() && !options.stateFile.isEmpty()) {
        if (simulator.saveState(error)) {
            if (options.verbose) std::cout << "setup images written to " << options.stateFile.toStdString() << std::endl;
        } else {
            std::cerr << "zep4-sim: warning: the setup images could not be written to the state file \""
                      << options.stateFile.toStdString() << "\": " << error.toStdString() << std::endl;
        }
    }
    if (options.verbose) std::cout << "zep4-sim stopped" << std::endl;
    return status;
}
