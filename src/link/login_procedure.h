// Connecting to a sensor: the connect time-out, the login with the sensor password, and the
// firmware version query that follows it. The connection manager window and zep4ctl drive it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace zep4 {

class TLink;

class TLoginProcedure : public QObject {
    Q_OBJECT
public:
    explicit TLoginProcedure(TLink& link, QObject* parent = nullptr);

    // Opens the connection to `host` (a host name, or a dotted address) and arms the connect
    // time-out. The password is sent in the login frame once the connection is up.
    void start(const QString& host, quint16 port, const QString& password);
    // Stops the time-outs and closes the connection.
    void cancel();

    bool loginBusy = false;
    bool versionBusy = false;
    QTimer Timer1;  // connect time-out, 15 s
    QTimer Timer2;  // login time-out, 10 s
    QTimer Timer3;  // version reply time-out, 2 s

    void onLoginReply();
    void onVersionReply();

signals:
    void connectTimedOut();
    void loginTimedOut();
    void loginRefused();
    // The login was accepted; the version query is on its way.
    void loggedIn();
    // The version reply: its five characters, and whether the firmware is older than 3.50.
    void versionChecked(const QString& version, bool oldFirmware);
    void versionRejected();
    void versionTimedOut();

private:
    void onConnected();
    void sendVersionQuery();

    TLink& link_;
    QString password_;
};

}  // namespace zep4
