#include "sim_command_line.h"

#include "setup/text1252.h"

#include <QStringList>

#include <string>

namespace zep4::sim {

namespace {

// The 8-bit text of a command-line value; nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> To1252(const QString& text) {
    const std::string utf8 = text.toStdString();
    const std::string bytes = utf8ToCp1252(utf8);
    if (cp1252ToUtf8(bytes) != utf8) return std::nullopt;
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

bool ReadNumber(const QCommandLineParser& parser, const QCommandLineOption& option, int minimum, int maximum,
                int& value, QString& error) {
    if (!parser.isSet(option)) return true;
    const QString text = parser.value(option);
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < minimum || number > maximum) {
        error = QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\"")
                    .arg(option.names().constLast())
                    .arg(minimum)
                    .arg(maximum)
                    .arg(text);
        return false;
    }
    value = number;
    return true;
}

}  // namespace

std::optional<std::vector<int>> ParseSplitSizes(const QString& text) {
    std::vector<int> sizes;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int size = part.trimmed().toInt(&ok);
        if (!ok || size < 1) return std::nullopt;
        sizes.push_back(size);
    }
    return sizes;
}

std::optional<TBlockNumberFault> ParseBlockNumberFault(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2) return std::nullopt;
    bool blockOk = false;
    bool numberOk = false;
    const int block = parts[0].trimmed().toInt(&blockOk);
    const int number = parts[1].trimmed().toInt(&numberOk);
    if (!blockOk || !numberOk || block < 0 || block > 1000000000 || number < 0 || number > 255) return std::nullopt;
    return TBlockNumberFault{block, number};
}

TSimulatorCommandLine::TSimulatorCommandLine()
    : port(QStringList{QStringLiteral("p"), QStringLiteral("port")},
           QStringLiteral("Listen on 127.0.0.1:<port> (default %1; 0 picks a free port).").arg(kDefaultPort),
           QStringLiteral("port")),
      password(QStringLiteral("password"), QStringLiteral("The sensor password (default \"zep4\")."),
               QStringLiteral("text")),
      versionText(QStringLiteral("version-text"),
                  QStringLiteral("Firmware version in the version reply, 5 characters (default V3.60)."),
                  QStringLiteral("text")),
      split(QStringLiteral("split"),
            QStringLiteral("Send every reply in pieces of these sizes; the last size repeats (e.g. 2,4)."),
            QStringLiteral("n[,m...]")),
      splitPause(QStringLiteral("split-pause"),
                 QStringLiteral("Pause between two pieces of a split reply (default 5 ms)."), QStringLiteral("ms")),
      delay(QStringLiteral("delay"), QStringLiteral("Send every reply this long after its request arrived."),
            QStringLiteral("ms")),
      refuse(QStringLiteral("refuse"),
             QStringLiteral("Answer the n-th request of a connection with a negative acknowledgement."),
             QStringLiteral("n")),
      silentAfter(QStringLiteral("silent-after"),
                  QStringLiteral("Answer nothing from the n-th request of a connection on."), QStringLiteral("n")),
      closeAfter(QStringLiteral("close-after"),
                 QStringLiteral("Close the connection when its n-th request arrives, without answering it."),
                 QStringLiteral("n")),
      badBlockCheck(QStringLiteral("bad-block-check"),
                    QStringLiteral("Send the n-th setup block of a connection with the check byte CA instead of F5."),
                    QStringLiteral("n")),
      wrongBlockNumber(QStringLiteral("wrong-block-number"),
                       QStringLiteral("Send the n-th setup block of a connection with block number b instead of its "
                                      "own (its data stay its own)."),
                       QStringLiteral("n:b")),
      cutPicture(QStringLiteral("cut-picture"),
                 QStringLiteral("Send only the first half of the n-th picture of a connection."), QStringLiteral("n")),
      overlongPicture(QStringLiteral("overlong-picture"),
                      QStringLiteral("Let the n-th picture of a connection declare 1000 bytes more than it has."),
                      QStringLiteral("n")),
      badRecordsPicture(QStringLiteral("bad-records-picture"),
                        QStringLiteral("Give the n-th picture of a connection a record list whose last length runs "
                                       "past its end."),
                        QStringLiteral("n")),
      state(QStringLiteral("state"),
            QStringLiteral("Keep the setup images in this file: read at start, written at the end of every "
                           "transmission and when the simulator ends."),
            QStringLiteral("file")),
      verbose(QStringList{QStringLiteral("v"), QStringLiteral("verbose")},
              QStringLiteral("Print every frame received and every reply sent.")) {}

void TSimulatorCommandLine::addTo(QCommandLineParser& parser) const {
    parser.addOptions({port, password, versionText, split, splitPause, delay, refuse, silentAfter, closeAfter,
                       badBlockCheck, wrongBlockNumber, cutPicture, overlongPicture, badRecordsPicture, state,
                       verbose});
}

bool TSimulatorCommandLine::read(const QCommandLineParser& parser, TSimulatorOptions& options, quint16& portNumber,
                                 QString& error) const {
    int portValue = kDefaultPort;
    if (!ReadNumber(parser, port, 0, 65535, portValue, error)) return false;
    portNumber = quint16(portValue);

    if (parser.isSet(password)) {
        const std::optional<QByteArray> bytes = To1252(parser.value(password));
        if (!bytes) {
            error = QStringLiteral("--password holds a character that the sensor's 8-bit text cannot carry");
            return false;
        }
        if (bytes->isEmpty() || bytes->size() > 255) {
            error = QStringLiteral("--password needs 1 to 255 characters (the login carries its length in one byte)");
            return false;
        }
        options.password = *bytes;
    }
    if (parser.isSet(versionText)) {
        const std::optional<QByteArray> bytes = To1252(parser.value(versionText));
        if (!bytes || bytes->size() != 5) {
            error = QStringLiteral("--version-text needs exactly 5 characters, such as V3.60, not \"%1\"")
                        .arg(parser.value(versionText));
            return false;
        }
        options.versionText = *bytes;
    }

    TFaultOptions& faults = options.faults;
    if (parser.isSet(split)) {
        const std::optional<std::vector<int>> sizes = ParseSplitSizes(parser.value(split));
        if (!sizes) {
            error = QStringLiteral("--split needs sizes of 1 or more separated by commas, such as 2,4, not \"%1\"")
                        .arg(parser.value(split));
            return false;
        }
        faults.splitSizes = *sizes;
    }
    if (!ReadNumber(parser, splitPause, 0, 60000, faults.splitPauseMs, error)) return false;
    if (!ReadNumber(parser, delay, 0, 3600000, faults.delayMs, error)) return false;
    if (!ReadNumber(parser, refuse, 0, 1000000000, faults.refuseRequest, error)) return false;
    if (!ReadNumber(parser, silentAfter, 0, 1000000000, faults.silentAfterRequest, error)) return false;
    if (!ReadNumber(parser, closeAfter, 0, 1000000000, faults.closeAfterRequest, error)) return false;
    if (!ReadNumber(parser, badBlockCheck, 0, 1000000000, faults.badCheckBlock, error)) return false;
    if (!ReadNumber(parser, cutPicture, 0, 1000000000, faults.cutPicture, error)) return false;
    if (!ReadNumber(parser, overlongPicture, 0, 1000000000, faults.overlongPicture, error)) return false;
    if (!ReadNumber(parser, badRecordsPicture, 0, 1000000000, faults.badRecordsPicture, error)) return false;
    if (parser.isSet(wrongBlockNumber)) {
        const std::optional<TBlockNumberFault> fault = ParseBlockNumberFault(parser.value(wrongBlockNumber));
        if (!fault) {
            error = QStringLiteral("--wrong-block-number needs n:b, the n-th block and the number 0 to 255 it "
                                   "carries, such as 3:9, not \"%1\"")
                        .arg(parser.value(wrongBlockNumber));
            return false;
        }
        faults.wrongNumberBlock = fault->block;
        faults.wrongBlockNumber = fault->number;
    }
    if (parser.isSet(state)) {
        options.stateFile = parser.value(state);
        if (options.stateFile.isEmpty()) {
            error = QStringLiteral("--state needs the name of a file");
            return false;
        }
    }
    options.verbose = parser.isSet(verbose);
    return true;
}

}  // namespace zep4::sim
