// The commands of zep4ctl. Each command is one entry of a table: its name, the arguments it
// takes, a line of help, an optional hook that adds its own options to its parser, and the
// function that does the work. New commands (sensor exchanges, device images) are further
// entries of the table.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zep4ctl {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,  // the work failed: a file could not be read, was damaged, ...
    kExitUsage = 2,    // the command line was wrong
};

struct TArgument {
    QString name;  // as shown in the usage, e.g. "FILE.zep"
    QString description;
};

struct TCommand {
    QString name;
    std::vector<TArgument> arguments;  // the positional arguments, all required
    QString summary;
    // Adds the command's own options; may be empty.
    std::function<void(QCommandLineParser&)> addOptions;
    // Runs the command with its parsed options and its positional arguments.
    std::function<int(const QCommandLineParser&, const QStringList&)> run;
};

// The setup-file commands: new, check, export, import.
std::span<const TCommand> SetupFileCommands();
// The sensor commands: info, encode, receive, transmit.
std::span<const TCommand> SensorCommands();

// Helpers shared by the commands.
std::filesystem::path ToPath(const QString& argument);
// Writes one line "zep4ctl: <message>" to stderr and returns kExitFailure.
int Fail(const std::string& message);
void Warn(const std::string& message);

}  // namespace zep4ctl
