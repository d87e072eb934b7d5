// korva-cli: the configuration program's jobs from the command line, for scripts and fleets. It
// runs the program's own flows (device read, device write with its identity test, monitor poll)
// with the same model tables, validation, messages, language files and file format.

#include "CCommandFailure.h"
#include "CCommandLine.h"
#include "Commands.h"
#include "ConsoleOutput.h"

#include "modbus/CException.h"

#include <QCoreApplication>

#include <exception>
#include <map>

namespace {

const char* const kUsage = R"text(Usage:
  korva-cli models
  korva-cli new MODEL -o FILE
  korva-cli show FILE [--json]
  korva-cli set FILE NAME=VALUE [NAME=VALUE ...] [-o OUT]
  korva-cli read CONNECTION -o FILE
  korva-cli write FILE CONNECTION
  korva-cli monitor CONNECTION [--once] [--json]
  korva-cli discover [--timeout SECONDS] [--json]
)text";

const char* const kHelp = R"text(
The jobs of the KORVA configuration program from the command line: the same device models,
checks, messages, language files and configuration files (.cfg), and the same exchanges with
the device.

Commands:
  models    One line per model offered for editing: model name, display name, model code,
            firmware range ("1.1+" means 1.1 and every later version).
  new       A configuration file of MODEL (a name that models lists) with every parameter at
            its default value.
  show      The parameters of a configuration file as the program lists them: the groups,
            then each parameter's name (the NAME that set takes), display name and value.
            --json prints {"model", "code", "firmware", "parameters": [{"index", "name",
            "display", "text", "address", "words"}]}.
  set       Changes parameters as the program's editors do and saves the file (to OUT when
            -o is given). Text and number values are checked as typed in the program; a choice
            is named by its text as show prints it, or by its value; channels are a comma list
            of channel numbers ("3,17"; empty for none). If any value is refused, or the
            parameters contradict each other, nothing is saved.
  read      Reads every parameter of the connected device into FILE.
  write     Writes FILE to the connected device: only to a device of the same model family
            with a firmware version that FILE's model supports; nothing is written otherwise.
  monitor   Prints what the monitor window shows after every poll (model, status, status
            values, lamps, buzzer, inputs); polls again 500 ms after each one until
            interrupted, or once with --once. --json prints one JSON object per poll.
  discover  Lists the devices that answer on Ethernet (Direct) (MAC address, IPv4 address,
            model) until the time is up (default 3 seconds).

CONNECTION is one of
  --tcp HOST[:PORT]                    Modbus TCP
  --serial DEVICE [--baud N] [--parity none|odd|even|mark|space] [--stop 1|2]
                                       Modbus RTU on a serial port (N: 1200 to 38400)
  --direct MAC                         Ethernet (Direct) to the device with this MAC address
with --unit N for the unit identifier (default 1). What is left open (the TCP port, the serial
line settings) comes from the communication settings the program stored last.

Every command takes --lang FILE (English.lng or Japanese.lng) for its texts and messages; the
default is the program's display language. Progress of read and write is shown on standard
error when it is a terminal; Ctrl-C cancels read, write and monitor.

Environment:
  KORVA_DIRECT_LOOPBACK=PORT  Ethernet (Direct) goes to 127.0.0.1:PORT on the loopback
                              interface instead of every adapter: for trying the tool with
                              korva-devsim --direct 127.0.0.1:0, without a network.

Exit codes:
  0  success
  1  communication or device error (also a device of the wrong model, an interrupted
     read or write, a failed monitor --once)
  2  usage error
  3  file error (a configuration or language file that cannot be read or written)
  4  rejected value or failed consistency check (nothing was changed)
Messages go to standard error.
)text";

using Command = int (*)(CCommandLine&);

const std::map<QString, Command>& CommandTable()
{
    static const std::map<QString, Command> table = {
        {QStringLiteral("models"), RunModels},     {QStringLiteral("new"), RunNew},
        {QStringLiteral("show"), RunShow},         {QStringLiteral("set"), RunSet},
        {QStringLiteral("read"), RunRead},         {QStringLiteral("write"), RunWrite},
        {QStringLiteral("monitor"), RunMonitor},   {QStringLiteral("discover"), RunDiscover},
    };
    return table;
}

int Run(const QStringList& arguments)
{
    if (arguments.isEmpty() || arguments.front() == u"help") {
        if (arguments.isEmpty())
            throw CUsageError(QStringLiteral("no command given"));
        PrintOut(QString::fromUtf8(kUsage) + QString::fromUtf8(kHelp));
        return ExitSuccess;
    }
    CCommandLine line(arguments);
    if (line.WantsHelp()) {
        PrintOut(QString::fromUtf8(kUsage) + QString::fromUtf8(kHelp));
        return ExitSuccess;
    }
    const auto command = CommandTable().find(line.Command());
    if (command == CommandTable().end())
        throw CUsageError(QStringLiteral("unknown command %1").arg(line.Command()));
    return command->second(line);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The program's settings profile: the stored display language and communication settings.
    QCoreApplication::setApplicationName(QStringLiteral("KORVA"));
    try {
        return Run(app.arguments().mid(1));
    } catch (const CUsageError& error) {
        PrintError(QStringLiteral("korva-cli: %1\n%2").arg(error.Message(), QString::fromUtf8(kUsage)));
        return error.Code();
    } catch (const CCommandFailure& error) {
        if (!error.Message().isEmpty())
            PrintError(error.Message() + u'\n');
        return error.Code();
    } catch (const CException& error) {
        // Errors of the program's family that no command sorted: they come from the device side.
        PrintError(error.ErrorText() + u'\n');
        return ExitDevice;
    } catch (const std::exception& error) {
        // Never a silent abort: whatever went wrong is said.
        PrintError(QStringLiteral("korva-cli: %1\n").arg(QString::fromLocal8Bit(error.what())));
        return ExitDevice;
    }
}
