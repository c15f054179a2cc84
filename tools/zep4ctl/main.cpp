// zep4ctl: command-line access to setup files (and, as further commands, to the sensor).
// "zep4ctl COMMAND ARGUMENTS..."; exit 0 on success, 1 when the work failed, 2 on a wrong
// command line.
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <exception>
#include <iostream>
#include <vector>

#include "commands.h"
#include "setup/memory_tuning.h"

namespace zep4ctl {

std::filesystem::path ToPath(const QString& argument) {
#ifdef _WIN32
    return std::filesystem::path(argument.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(argument).toStdString());
#endif
}

int Fail(const std::string& message) {
    std::cerr << "zep4ctl: " << message << std::endl;
    return kExitFailure;
}

void Warn(const std::string& message) { std::cerr << "zep4ctl: warning: " << message << std::endl; }

namespace {

std::vector<const TCommand*> AllCommands() {
    std::vector<const TCommand*> all;
    for (const TCommand& c : SetupFileCommands()) all.push_back(&c);
    for (const TCommand& c : SensorCommands()) all.push_back(&c);
    return all;
}

const TCommand* FindCommand(const QString& name) {
    for (const TCommand* c : AllCommands())
        if (c->name == name) return c;
    return nullptr;
}

QString Synopsis(const TCommand& c) {
    QString s = c.name;
    for (const TArgument& a : c.arguments) s += ' ' + a.name;
    return s;
}

QString UsageText() {
    QString text = QStringLiteral("Usage: zep4ctl COMMAND ARGUMENTS...\n\nCommands:\n");
    int width = 0;
    for (const TCommand* c : AllCommands()) width = std::max(width, int(Synopsis(*c).size()));
    for (const TCommand* c : AllCommands())
        text += "  " + Synopsis(*c).leftJustified(width + 2) + c->summary + '\n';
    text += QStringLiteral(
        "\nOptions:\n  -h, --help     Show this help.\n  -v, --version  Show the version.\n"
        "\nRun \"zep4ctl COMMAND --help\" for the help of one command.\n"
        "Exit status: 0 success, 1 failure (message on stderr), 2 wrong command line.\n");
    return text;
}

int UsageError(const QString& message, const QString& usage) {
    std::cerr << "zep4ctl: " << message.toStdString() << "\n\n" << usage.toStdString();
    return kExitUsage;
}

int RunCommand(const TCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(command.summary);
    const QCommandLineOption help = parser.addHelpOption();
    for (const TArgument& a : command.arguments) parser.addPositionalArgument(a.name, a.description, a.name);
    if (command.addOptions) command.addOptions(parser);
    // The parser's help starts with "Usage: <program> [options] ARGS"; name the command too.
    const QString usage = parser.helpText().replace(
        QRegularExpression(QStringLiteral("^Usage: \\S+")), QStringLiteral("Usage: zep4ctl ") + command.name);
    if (!parser.parse(args)) return UsageError(parser.errorText(), usage);
    if (parser.isSet(help)) {
        std::cout << usage.toStdString();
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    const qsizetype wanted = qsizetype(command.arguments.size());
    if (positional.size() < wanted)
        return UsageError(
            QStringLiteral("%1: missing argument %2").arg(command.name, command.arguments[positional.size()].name), usage);
    if (positional.size() > wanted)
        return UsageError(QStringLiteral("%1: unexpected argument \"%2\"").arg(command.name, positional[wanted]), usage);
    return command.run(parser, positional);
}

int Main(const QStringList& arguments) {
    // Everything after the command belongs to the command and its own parser.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QString());
    const QString usage = UsageText();
    if (!parser.parse(arguments)) return UsageError(parser.errorText(), usage);
    if (parser.isSet(help)) {
        std::cout << usage.toStdString();
        return kExitOk;
    }
    if (parser.isSet(version)) {
        std::cout << "zep4ctl " << QCoreApplication::applicationVersion().toStdString() << '\n';
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) return UsageError(QStringLiteral("no command given"), usage);
    const TCommand* command = FindCommand(positional[0]);
    if (!command) return UsageError(QStringLiteral("unknown command \"%1\"").arg(positional[0]), usage);
    return RunCommand(*command, QStringList{arguments.value(0)} + positional.mid(1));
}

}  // namespace
}  // namespace zep4ctl

int main(int argc, char** argv) {
    zep4::KeepLargeBuffersForReuse();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zep4ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEP4_VERSION));
    try {
        return zep4ctl::Main(QCoreApplication::arguments());
    } catch (const std::exception& e) {
        return zep4ctl::Fail(std::string("unexpected failure: ") + e.what());
    }
}
