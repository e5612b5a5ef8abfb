// corvane-send: sends a text as a message to the copy on one computer, the
// way "net send" did. The exit code says whether the record was delivered.
#include "cliargs.h"

#include "common/ansicodec.h"
#include "common/fieldsplit.h"
#include "common/hostcontext.h"
#include "editor/messagebody.h"
#include "messaging/messageclient.h"
#include "messaging/tmsg.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

using namespace corvane;

namespace {

const char kHelp[] =
    "Usage: corvane-send [options] HOST TEXT\n"
    "\n"
    "Sends TEXT as a message to the messenger on HOST (a computer name or an IPv4\n"
    "address) over TCP port 37139. The text becomes a small RTF document; the\n"
    "sender and the alias are this computer's name unless --alias is given; the\n"
    "recipient field is HOST as written. TEXT \"-\" reads the text from standard\n"
    "input (UTF-8).\n"
    "\n"
    "Exit codes: 0 the message was delivered: the receiver filed it (it closes the\n"
    "connection only then); 1 it was not (unknown computer, connection refused or\n"
    "reset, no close in time), with the reason on stderr; 2 bad arguments.\n"
    "\n"
    "Example:\n"
    "  corvane-send --alias Anna HOST2 \"Lunch at one?\"\n";

int Usage(const QString& message) {
    std::fprintf(stderr, "corvane-send: %s\nTry 'corvane-send --help'.\n", qPrintable(message));
    return 2;
}

void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "corvane-send: %s\n", qPrintable(text));
}

QList<cli::OptionSpec> Options() {
    return {
        {QStringLiteral("help"), {}, QStringLiteral("show this help")},
        {QStringLiteral("alias"), QStringLiteral("NAME"),
         QStringLiteral("sender and alias (default: this computer's name)")},
        {QStringLiteral("timeout"), QStringLiteral("SECONDS"),
         QStringLiteral("give up after this time (default 5)")},
        {QStringLiteral("port"), QStringLiteral("N"),
         QStringLiteral("message port (default 37139)")},
    };
}

// The text as a small RTF document, in one record to host; the exit code.
int Deliver(HostContext& context, const QString& host, const QString& alias, const QString& text) {
    QTextDocument document;
    document.setPlainText(text);
    TMsg record;
    record.Sender = ToAnsi(alias);
    record.Recipient = ToAnsi(host);
    record.Body = RichTextToString(document);
    record.SenderAlias = record.Sender;

    QStringList errors;
    const QList<DeliveryOutcome> outcomes = DeliverToAll(context, {host}, record.Encode(), &errors);
    if (outcomes.value(0) == DeliveryOutcome::Delivered)
        return 0;
    std::fprintf(
        stderr, "corvane-send: not delivered to %s: %s\n", qPrintable(host),
        qPrintable(errors.value(0).isEmpty() ? QStringLiteral("unknown error") : errors.value(0)));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Documents need fonts, and fonts need a GUI application; no window opens.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QGuiApplication app(argc, argv);
    QStringList argList = QCoreApplication::arguments();
    argList.removeFirst();

    const QList<cli::OptionSpec> specs = Options();
    cli::Args args;
    QString error;
    if (!args.Parse(argList, specs, &error))
        return Usage(error);
    if (args.Has(QStringLiteral("help"))) {
        std::fputs(kHelp, stdout);
        std::fputs("\nOptions:\n", stdout);
        std::fputs(qPrintable(cli::OptionsHelp(specs)), stdout);
        return 0;
    }
    const QStringList& pos = args.Positional();
    if (pos.size() != 2)
        return Usage(
            pos.size() < 2
                ? QStringLiteral("HOST and TEXT are needed")
                : QStringLiteral("unexpected argument '%1' (put TEXT in quotes)").arg(pos[2]));
    const QString host = pos[0];
    QString text = pos[1];
    if (host.isEmpty())
        return Usage(QStringLiteral("HOST is empty"));
    if (text == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            std::fprintf(stderr, "corvane-send: cannot read standard input\n");
            return 1;
        }
        text = QString::fromUtf8(in.readAll());
    }
    if (text.isEmpty())
        return Usage(QStringLiteral("TEXT is empty"));

    HostContext context;
    qint64 port = NetworkSettings::DefaultPort;
    qint64 timeoutMs = 5000;
    if (!args.Int(QStringLiteral("port"), 1, 65535, &port, &error) ||
        !args.Seconds(QStringLiteral("timeout"), &timeoutMs, &error))
        return Usage(error);
    context.network.messagePort = quint16(port);
    context.timings.deliveryTimeoutMs = int(std::min<qint64>(timeoutMs, 24 * 3600 * 1000));

    const QString alias = args.Value(QStringLiteral("alias"), context.LocalComputerName());
    // Empty fields vanish and the separator byte splits a field, so the
    // receiver would read the fields shifted.
    if (alias.isEmpty())
        return Usage(QStringLiteral("the alias is empty (give --alias)"));
    if (ToAnsi(alias).contains(FieldSeparatorByte) || ToAnsi(host).contains(FieldSeparatorByte))
        return Usage(QStringLiteral("the alias and HOST may not contain the character \u00A9"));
    return Deliver(context, host, alias, text);
}
