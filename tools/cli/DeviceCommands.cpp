// korva-cli read, write and monitor: the device flows of the program's toolbar commands and
// monitor window, run directly on this thread. SIGINT and SIGTERM cancel them the way the
// progress window's Cancel and the monitor's close box do.

#include "CCommandFailure.h"
#include "CInterruptWatcher.h"
#include "CProgressLine.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "ConnectionOptions.h"
#include "ConsoleOutput.h"
#include "DirectConnection.h"
#include "MonitorReport.h"
#include "ParameterListing.h"

#include "app/CMonitorPoll.h"
#include "app/CReadDeviceTask.h"
#include "app/CWriteDeviceTask.h"
#include "model/CDevInterface.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

#include <QJsonDocument>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::vector<CCommandLine::KnownOption> DeviceOptions(std::initializer_list<CCommandLine::KnownOption> own)
{
    std::vector<CCommandLine::KnownOption> options = ConnectionOptionList();
    options.push_back(kLanguageOption);
    options.insert(options.end(), own);
    return options;
}

// Runs a read or write with progress on a terminal, and with an interrupt as its cancel. A
// failure is reported as the program reports it after a device command ("comerr").
void RunTransfer(CDeviceTask& task, CModbusInterface& client, const char* progressKey)
{
    std::atomic<bool> cancel{false};
    const CInterruptWatcher watcher([&] {
        cancel = true;
        client.Cancel();
    });
    CProgressLine progress(progressKey);
    const DeviceTaskControl control{[&](double fraction) { progress.SetProgress(fraction); },
                                    [&] { return cancel.load(); }};
    switch (task.Run(control)) {
    case CDeviceTask::Outcome::Completed:
        return;
    case CDeviceTask::Outcome::Failed:
        throw CCommandFailure(ExitDevice, CPrivateException::ComposeMessage("comerr", {task.GetErrorText()}));
    default:
        // Interrupted: like a cancelled command of the program, nothing to report.
        throw CCommandFailure(ExitDevice, QString());
    }
}

// The client for the line's connection.
void Connect(const CCommandLine& line, CModbusInterface& client)
{
    ComSettings settings = ConnectionSettingsOf(line);
    if (settings.Mode == ComSettings::ModeDirect) {
        ChooseDirectNetwork();
        FindOwnNode(settings);
    }
    client.SetComSettings(settings);
}

} // namespace

int RunRead(CCommandLine& line)
{
    line.Parse(DeviceOptions({{"-o", true}}));
    line.ExpectOperands(0, 0, QString());
    const QString output = RequiredValue(line, QStringLiteral("-o"), QStringLiteral("FILE"));
    CModbusInterface client;
    Connect(line, client);
    LoadLanguageOf(line);

    CReadDeviceTask task(client);
    RunTransfer(task, client, "uploading");
    const auto set = task.GetResult();
    SaveSet(*set, output);
    PrintOut(ModelHeadline(*set) + u'\n');
    return ExitSuccess;
}

int RunWrite(CCommandLine& line)
{
    line.Parse(DeviceOptions({}));
    line.ExpectOperands(1, 1, QStringLiteral("FILE"));
    CModbusInterface client;
    Connect(line, client);
    LoadLanguageOf(line);

    const auto set = LoadSet(line.Operands().front());
    CheckSet(*set);
    CWriteDeviceTask task(client, set);
    RunTransfer(task, client, "downloading");
    return ExitSuccess;
}

int RunMonitor(CCommandLine& line)
{
    line.Parse(DeviceOptions({{"--once", false}, {"--json", false}}));
    line.ExpectOperands(0, 0, QString());
    CModbusInterface client;
    Connect(line, client);
    LoadLanguageOf(line);
    const bool once = line.Has(QStringLiteral("--once"));
    const bool json = line.Has(QStringLiteral("--json"));

    CMonitorPoll poll(client);
    const CInterruptWatcher watcher([&] { poll.Stop(); });
    QString lastError;
    for (bool first = true; !poll.IsStopped(); first = false) {
        if (!first) {
            // The pause after each poll, cut short by an interrupt.
            const auto resume = std::chrono::steady_clock::now() + CMonitorPoll::kPollPause;
            while (!poll.IsStopped() && std::chrono::steady_clock::now() < resume)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (poll.IsStopped())
                break;
        }
        poll.PollTask();
        if (poll.IsStopped())
            break;
        const MonitorSnapshot snapshot = poll.GetSnapshot();
        if (json)
            PrintOut(QString::fromUtf8(QJsonDocument(MonitorReportJson(snapshot)).toJson(QJsonDocument::Compact)) + u'\n');
        else
            PrintOut((first ? QString() : QStringLiteral("\n")) + MonitorReportText(snapshot));
        // The window shows only its status line; the reason goes to standard error, once per
        // change, so that a failing device does not flood it.
        if (snapshot.state == MonitorFailed && snapshot.errorText != lastError)
            PrintError(snapshot.errorText + u'\n');
        lastError = snapshot.state == MonitorFailed ? snapshot.errorText : QString();
        if (once)
            return snapshot.state == MonitorOk ? ExitSuccess : ExitDevice;
    }
    // Interrupted: a monitoring session ends this way.
    return once ? ExitDevice : ExitSuccess;
}
