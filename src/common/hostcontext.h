#pragma once
// Everything that depends on the computer, passed down from main (or built by
// a test for each simulated computer): its name, its network, where its files
// live, and the services that reach the person (boxes, sounds).
#include "common/hostresolver.h"

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class DialogService;
class SoundPlayer;
class DatagramNetwork;

struct NetworkSettings {
    static constexpr quint16 DefaultPort = 37139;
    // Datagrams and TCP messages are bound to this address (all IPv4
    // addresses in production, one loopback address per test computer).
    QHostAddress bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    // Where "." and the own copy of a broadcast go.
    QHostAddress selfAddress = QHostAddress(QHostAddress::LocalHost);
    // Broadcast targets; when discoverBroadcasts is on, the broadcast address
    // of every up IPv4 interface is added at start.
    QList<QHostAddress> broadcastTargets;
    bool discoverBroadcasts = true;
    // Networks that count as this computer's own besides those of its
    // interfaces: a broadcast reaches them, so nothing goes to them by
    // unicast as to other networks, and their requests are not remembered.
    QList<QPair<QHostAddress, int>> ownSubnets;
    quint16 datagramPort = DefaultPort;
    quint16 messagePort = DefaultPort;
};

// Waits and intervals of the program; tests shorten them.
struct Timings {
    int presenceFirstMs = 1000;     // presence timer interval at creation
    int presenceIntervalMs = 20000; // interval after the first sweep
    int openWaitMs = 500;           // wait after the first request
    int closeWaitMs = 100;          // wait after the departure notice
    int userInfoWaitMs = 500;       // wait for the User Information connection
    int deliveryTimeoutMs = 5000;   // one message target, connect to close
    int receiveIdleMs = 60000;      // an incoming connection without data
    int receiveRecordMs = 60000;    // a whole incoming record, from its connection
    int receiveRateWindowMs = 5000; // an incoming connection's rate is checked per window
};

class HostContext {
public:
    HostContext();

    // The system's computer name up to the first dot, upper-cased with the
    // user's locale rules; read afresh at every call.
    QString LocalComputerName() const;
    std::function<QString()> computerNameSource;

    NetworkSettings network;
    Timings timings;
    QString configDir; // settings.ini lives here
    QString workDir;   // address-book files and sounds by bare name
    QString dataDir;   // installed data (sounds)
    // The person's own data folder, where the messages are kept after exit
    // (made 0700 when used). Empty: messages are kept in memory only.
    QString historyDir;
    // Desktop entries the session starts at login: the person's own folder
    // and the system's, in order of precedence. Empty: the person's start
    // is left as it is.
    QString autostartDir;
    QStringList systemAutostartDirs;
    QString instanceName = QStringLiteral("CORVANE3");

    DialogService* dialogs = nullptr;
    SoundPlayer* sound = nullptr;
    DatagramNetwork* datagrams = nullptr;
    HostResolver resolver;
};

// The system's host name up to the first dot, in upper case.
QString SystemComputerName();

} // namespace corvane
