// The command line of zep4-sim: its options and how their values become the simulator's
// options. Kept apart from main() so that the tests can read command lines too.
#pragma once

#include "sensor_simulator.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <vector>

namespace zep4::sim {

// The sensor itself listens on port 81, which needs root rights on Linux; the simulator
// takes a free port above 1024 by default.
constexpr quint16 kDefaultPort = 4081;

struct TSimulatorCommandLine {
    TSimulatorCommandLine();

    void addTo(QCommandLineParser& parser) const;

    // Takes the values of a parsed command line. False, with `error` saying which value is
    // wrong and why, when one cannot be used.
    bool read(const QCommandLineParser& parser, TSimulatorOptions& options, quint16& port, QString& error) const;

    QCommandLineOption port;
    QCommandLineOption password;
    QCommandLineOption versionText;
    QCommandLineOption split;
    QCommandLineOption splitPause;
    QCommandLineOption delay;
    QCommandLineOption refuse;
    QCommandLineOption silentAfter;
    QCommandLineOption closeAfter;
    QCommandLineOption badBlockCheck;
    QCommandLineOption wrongBlockNumber;
    QCommandLineOption cutPicture;
    QCommandLineOption overlongPicture;
    QCommandLineOption badRecordsPicture;
    QCommandLineOption state;
    QCommandLineOption verbose;
};

// "2,4" -> {2, 4}. Nothing when the text is not a comma-separated list of sizes of 1 or more.
std::optional<std::vector<int>> ParseSplitSizes(const QString& text);

struct TBlockNumberFault {
    int block = 0;   // the n-th block sent, 0..1000000000 (0: off)
    int number = 0;  // the block number it carries, 0..255
};
// "3:9" -> the 3rd block carries the number 9. Nothing for anything else.
std::optional<TBlockNumberFault> ParseBlockNumberFault(const QString& text);

}  // namespace zep4::sim
