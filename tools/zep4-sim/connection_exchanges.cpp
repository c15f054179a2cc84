// The exchanges of a new connection: the login, the version query that follows it, and the
// keep-alive the program sends while the link is idle.
#include "sensor_simulator.h"

#include "link/frames.h"

#include <algorithm>
#include <cstring>

namespace zep4::sim {

namespace {

QByteArray ToBytes(const TCommandFrame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
}

// Writes `text` into `reply` at `offset`: at most `size` bytes, the rest filled with `fill`.
void PutText(QByteArray& reply, qsizetype offset, qsizetype size, const QByteArray& text, char fill) {
    for (qsizetype i = 0; i < size; ++i) reply[offset + i] = i < text.size() ? text[i] : fill;
}

}  // namespace

bool PasswordAccepted(const TSimulatorOptions& options, const QByteArray& loginFrame) {
    if (loginFrame.size() < qsizetype(kLoginFrameSize)) return false;
    const int length = static_cast<uint8_t>(loginFrame[16]);
    if (length != options.password.size()) return false;
    const qsizetype compared = std::min<qsizetype>(length, kPasswordField);
    return loginFrame.mid(6, compared) == options.password.left(compared);
}

QByteArray VersionReply(const TSimulatorOptions& options) {
    QByteArray reply(qsizetype(kVersionReplySize), '\0');
    const QByteArray head = ToBytes(Acknowledgement(cmd::VersionQuery));
    std::memcpy(reply.data(), head.constData(), size_t(head.size()));
    // Main firmware: version text and date.
    PutText(reply, kVersionTextOffset, kVersionTextSize, options.versionText, ' ');
    for (int i = 0; i < 4; ++i) reply[18 + i] = char(options.firmwareDate[i]);
    // Dome controller: type (zero-ended within its 18 bytes), version text and date.
    PutText(reply, 38, 17, options.domeType, '\0');
    reply[55] = '\0';
    PutText(reply, 56, 5, options.domeVersionText, ' ');
    for (int i = 0; i < 4; ++i) reply[61 + i] = char(options.domeDate[i]);
    // Serial number, 24 bits, high byte first.
    reply[70] = char((options.serialNumber >> 16) & 0xFF);
    reply[71] = char((options.serialNumber >> 8) & 0xFF);
    reply[72] = char(options.serialNumber & 0xFF);
    return reply;
}

void InstallConnectionExchanges(TSensorSimulator& simulator) {
    TExchange login;
    login.name = QStringLiteral("login");
    login.needsLogin = false;
    login.handler = [&simulator](TSimSession& session, const TRequestFrame& frame) {
        // Every login decides anew: a wrong password on a logged-in connection logs it out.
        const bool accepted = PasswordAccepted(simulator.options(), frame.bytes);
        session.setLoggedIn(accepted);
        return ToBytes(Acknowledgement(cmd::Login, accepted));
    };
    login.refusal = [](TSimSession& session, const TRequestFrame&) {
        session.setLoggedIn(false);
        return ToBytes(Acknowledgement(cmd::Login, false));
    };
    simulator.setExchange(TFrameKey::command(cmd::Login), std::move(login));

    TExchange version;
    version.name = QStringLiteral("version query");
    version.handler = [&simulator](TSimSession&, const TRequestFrame&) { return VersionReply(simulator.options()); };
    simulator.setExchange(TFrameKey::command(cmd::VersionQuery), std::move(version));

    TExchange keepAlive;
    keepAlive.name = QStringLiteral("keep-alive");
    keepAlive.needsLogin = false;
    keepAlive.handler = [](TSimSession&, const TRequestFrame&) { return QByteArray(); };
    simulator.setExchange(TFrameKey::keepAlive(), std::move(keepAlive));
}

}  // namespace zep4::sim
