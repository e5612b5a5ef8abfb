// corvane-peer: speaks the messenger's wire formats from the command line, for
// tests and for people who debug a network.
#include "peercommands.h"

#include "common/hostcontext.h"
#include "transport/datagramnetwork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>
#include <cstdio>
#include <limits>

namespace corvane::peer {

int UsageError(const QString& command, const QString& message) {
    const QString name = command.isEmpty() ? QStringLiteral("corvane-peer")
                                           : QStringLiteral("corvane-peer ") + command;
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(name), qPrintable(message),
                 qPrintable(name));
    return ExitUsage;
}

std::optional<int> ParseCommand(const QString& command, const QStringList& argv,
                                const QList<cli::OptionSpec>& specs, const QString& help,
                                cli::Args* args) {
    QString error;
    if (!args->Parse(argv, specs, &error))
        return UsageError(command, error);
    if (args->Has(QStringLiteral("help"))) {
        PrintHelp(help, specs);
        return ExitOk;
    }
    return std::nullopt;
}

void PrintHelp(const QString& text, const QList<cli::OptionSpec>& specs) {
    QString out = text;
    if (!specs.isEmpty())
        out += QStringLiteral("\nOptions:\n") + cli::OptionsHelp(specs);
    std::fputs(qPrintable(out), stdout);
}

QList<cli::OptionSpec> NetworkOptions(bool datagrams) {
    QList<cli::OptionSpec> specs = {
        {QStringLiteral("port"), QStringLiteral("N"),
         QStringLiteral("port to use (default %1)").arg(NetworkSettings::DefaultPort)},
        {QStringLiteral("bind"), QStringLiteral("ADDRESS"),
         QStringLiteral("local IPv4 address to use (default: all)")},
    };
    if (datagrams) {
        specs.append({QStringLiteral("self"), QStringLiteral("ADDRESS"),
                      QStringLiteral("where \".\" and the own copy of \"*\" go (default: the --bind "
                                     "address, else 127.0.0.1)")});
        specs.append({QStringLiteral("broadcast"), QStringLiteral("ADDRESS"),
                      QStringLiteral("send \"*\" to this address instead of the broadcast address of "
                                     "every up interface (repeatable)"),
                      true});
    }
    return specs;
}

namespace {

bool ParseIPv4(const QString& text, QHostAddress* out) {
    QHostAddress a;
    if (!a.setAddress(text) || a.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    *out = a;
    return true;
}

} // namespace

bool ApplyNetworkOptions(const cli::Args& args, HostContext& context, QString* error) {
    auto& net = context.network;
    qint64 port = NetworkSettings::DefaultPort;
    if (!args.Int(QStringLiteral("port"), 1, 65535, &port, error))
        return false;
    net.datagramPort = net.messagePort = quint16(port);
    if (args.Has(QStringLiteral("bind"))) {
        if (!ParseIPv4(args.Value(QStringLiteral("bind")), &net.bindAddress)) {
            *error = QStringLiteral("--bind needs an IPv4 address, not '%1'").arg(args.Value(QStringLiteral("bind")));
            return false;
        }
        if (net.bindAddress != QHostAddress(QHostAddress::AnyIPv4))
            net.selfAddress = net.bindAddress;
    }
    if (args.Has(QStringLiteral("self")) &&
        !ParseIPv4(args.Value(QStringLiteral("self")), &net.selfAddress)) {
        *error = QStringLiteral("--self needs an IPv4 address, not '%1'").arg(args.Value(QStringLiteral("self")));
        return false;
    }
    if (args.Has(QStringLiteral("broadcast"))) {
        net.discoverBroadcasts = false;
        for (const QString& text : args.Values(QStringLiteral("broadcast"))) {
            QHostAddress a;
            if (!ParseIPv4(text, &a)) {
                *error = QStringLiteral("--broadcast needs an IPv4 address, not '%1'").arg(text);
                return false;
            }
            net.broadcastTargets.append(a);
        }
    }
    return true;
}

int RunUntil(QEventLoop& loop, qint64 timeoutMs, int timeoutCode) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::CoarseTimer);
    if (timeoutMs > 0) {
        QObject::connect(&timer, &QTimer::timeout, &loop, [&loop, timeoutCode] { loop.exit(timeoutCode); });
        timer.start(int(std::min<qint64>(timeoutMs, std::numeric_limits<int>::max())));
    }
    return loop.exec();
}

} // namespace corvane::peer

namespace {

using namespace corvane::peer;

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList&);
};

const Command kCommands[] = {
    {"send", "send one framed datagram to a slot on a target", &Send},
    {"listen", "print every datagram packet that arrives, one line each", &Listen},
    {"send-record", "send one message record to a computer over TCP", &SendRecord},
    {"listen-records", "print every message record that arrives over TCP", &ListenRecords},
};

void PrintMainHelp() {
    QString text = QStringLiteral(
        "Usage: corvane-peer COMMAND [options] [arguments]\n"
        "\n"
        "Speaks the messenger's wire formats: framed datagrams on UDP port 37139 and\n"
        "message records on TCP port 37139.\n"
        "\n"
        "Commands:\n");
    for (const Command& c : kCommands)
        text += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(c.name).leftJustified(16), QLatin1String(c.summary));
    text += QStringLiteral(
        "\n"
        "'corvane-peer COMMAND --help' explains a command and its options.\n"
        "Exit codes: 0 done, 1 the network refused (unknown computer, port taken,\n"
        "connection refused), 2 bad arguments, 3 a listener's --timeout ran out\n"
        "before its --count was reached.\n");
    std::fputs(qPrintable(text), stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-peer"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty())
        return UsageError({}, QStringLiteral("a command is needed"));
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        if (!args.isEmpty()) {
            for (const Command& c : kCommands)
                if (args.first() == QLatin1String(c.name))
                    return c.run({QStringLiteral("--help")});
            return UsageError({}, QStringLiteral("unknown command '%1'").arg(args.first()));
        }
        PrintMainHelp();
        return ExitOk;
    }
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.run(args);
    return UsageError({}, QStringLiteral("unknown command '%1'").arg(name));
}
