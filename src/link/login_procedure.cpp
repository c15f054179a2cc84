#include "link/login_procedure.h"

#include "link/address_book.h"
#include "link/frames.h"
#include "link/link.h"
#include "setup/text1252.h"

namespace zep4 {

TLoginProcedure::TLoginProcedure(TLink& link, QObject* parent) : QObject(parent), link_(link) {
    for (auto [timer, name, ms] : {std::tuple{&Timer1, "Timer1", 15000}, std::tuple{&Timer2, "Timer2", 10000},
                                   std::tuple{&Timer3, "Timer3", 2000}}) {
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(ms);
        timer->setSingleShot(true);
    }
    connect(&Timer1, &QTimer::timeout, this, [this] {
        link_.closeSocket();
        emit connectTimedOut();
    });
    connect(&Timer2, &QTimer::timeout, this, [this] {
        loginBusy = false;
        link_.closeSocket();
        emit loginTimedOut();
    });
    connect(&Timer3, &QTimer::timeout, this, [this] {
        versionBusy = false;
        link_.closeSocket();
        emit versionTimedOut();
    });
    connect(&link_, &TLink::connected, this, &TLoginProcedure::onConnected);
    auto stopAll = [this] {
        Timer1.stop();
        Timer2.stop();
        Timer3.stop();
        loginBusy = versionBusy = false;
    };
    connect(&link_, &TLink::socketError, this, stopAll);
    connect(&link_, &TLink::disconnected, this, stopAll);
    link_.registerProcedure(TLink::Row::Login, [this] { return loginBusy; }, [this] { onLoginReply(); });
    link_.registerProcedure(TLink::Row::VersionQuery, [this] { return versionBusy; }, [this] { onVersionReply(); });
}

void TLoginProcedure::start(const QString& host, quint16 port, const QString& password) {
    password_ = password;
    loginBusy = versionBusy = false;
    link_.connectToHost(host, port);
    Timer1.start();
}

void TLoginProcedure::cancel() {
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    loginBusy = versionBusy = false;
    link_.closeSocket();
}

void TLoginProcedure::onConnected() {
    Timer1.stop();
    const std::string password = utf8ToCp1252(password_.toStdString());
    const auto frame = LoginFrame(password);
    link_.tcpAccumulatedLength = 0;
    link_.replyLength = 0;
    loginBusy = true;
    Timer2.start();
    link_.sendBytes(frame.data(), static_cast<int>(frame.size()));
}

void TLoginProcedure::onLoginReply() {
    if (!loginBusy) return;
    // A reply that has not fully arrived yet is waited for (a link may deliver the six bytes
    // in pieces); the login time-out keeps running meanwhile.
    if (link_.replyLength < 6) return;
    Timer2.stop();
    loginBusy = false;
    if (IsAcknowledged(link_.replyBuffer.data(), link_.replyLength, 6, cmd::Login)) {
        emit loggedIn();
        sendVersionQuery();
    } else {
        link_.closeSocket();
        emit loginRefused();
    }
}

void TLoginProcedure::sendVersionQuery() {
    const auto frame = CommandFrame(cmd::VersionQuery);
    link_.replyLength = 0;
    versionBusy = true;
    Timer3.start();
    link_.sendBytes(frame.data(), static_cast<int>(frame.size()));
}

void TLoginProcedure::onVersionReply() {
    if (link_.replyLength < static_cast<int>(kVersionReplySize)) return;
    versionBusy = false;
    Timer3.stop();
    const uint8_t* r = link_.replyBuffer.data();
    if (!IsAcknowledged(r, link_.replyLength, kVersionReplySize, cmd::VersionQuery)) {
        emit versionRejected();
        return;
    }
    const std::string version(reinterpret_cast<const char*>(r + kVersionTextOffset), kVersionTextSize);
    emit versionChecked(QString::fromStdString(cp1252ToUtf8(version)), IsOldFirmware(version));
}

}  // namespace zep4
