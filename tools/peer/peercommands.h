#pragma once
// The subcommands of corvane-peer. Each takes the arguments after its name
// and returns the process exit code.
#include "cliargs.h"

#include <QString>
#include <QStringList>
#include <optional>

class QEventLoop;

namespace corvane {
class HostContext;
}

namespace corvane::peer {

enum ExitCode {
    ExitOk = 0,
    ExitFailed = 1,   // the network said no: unknown computer, refused, cannot bind
    ExitUsage = 2,    // bad arguments
    ExitTimedOut = 3, // a listener's time ran out before its count was reached
};

int Send(const QStringList& args);
int Listen(const QStringList& args);
int SendRecord(const QStringList& args);
int ListenRecords(const QStringList& args);

// Shared by the subcommands.
int UsageError(const QString& command, const QString& message);
void PrintHelp(const QString& text, const QList<cli::OptionSpec>& specs);
// Parses a subcommand's arguments. Returns the exit code when the command
// ends here (bad arguments, or --help printed), nothing when it goes on.
std::optional<int> ParseCommand(const QString& command, const QStringList& argv,
                                const QList<cli::OptionSpec>& specs, const QString& help,
                                cli::Args* args);
// --port, --bind, --self, --broadcast and --name applied to a context.
QList<cli::OptionSpec> NetworkOptions(bool datagrams);
bool ApplyNetworkOptions(const cli::Args& args, HostContext& context, QString* error);
// Runs the loop until something exits it, or until timeoutMs (when above 0)
// passes; returns the loop's code, or timeoutCode when the time ran out.
int RunUntil(QEventLoop& loop, qint64 timeoutMs, int timeoutCode);

} // namespace corvane::peer
