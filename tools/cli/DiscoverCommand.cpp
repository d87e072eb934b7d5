// korva-cli discover: the devices that answer on Ethernet (Direct), found with the connect
// dialog's discovery scans, scan after scan until the time is up.

#include "CCommandFailure.h"
#include "CInterruptWatcher.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "ConsoleOutput.h"
#include "DirectConnection.h"

#include "connection/CDeviceDiscovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kDefaultTimeout = 3.0;
constexpr double kLongestTimeout = 3600.0;

double TimeoutOf(const CCommandLine& line)
{
    if (!line.Has(QStringLiteral("--timeout")))
        return kDefaultTimeout;
    bool ok = false;
    const double seconds = line.Value(QStringLiteral("--timeout")).toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > kLongestTimeout)
        throw CUsageError(QStringLiteral("--timeout takes a number of seconds above 0, up to 3600"));
    return seconds;
}

// Ends the scans when the time is up or on an interrupt: a scan that is waiting for answers is
// cancelled, again and again until the scanning loop has seen it, since a cancel that falls
// between two scans is forgotten by the next one.
class ScanDeadline {
public:
    ScanDeadline(CDeviceDiscovery& discovery, const CInterruptWatcher& interrupts, Clock::time_point end)
        : m_discovery(discovery), m_interrupts(interrupts), m_end(end), m_thread([this] { Run(); })
    {
    }
    ~ScanDeadline()
    {
        {
            const std::lock_guard lock(m_guard);
            m_finished = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    ScanDeadline(const ScanDeadline&) = delete;
    ScanDeadline& operator=(const ScanDeadline&) = delete;

    bool IsExpired() const { return Clock::now() >= m_end || m_interrupts.WasInterrupted(); }

private:
    void Run()
    {
        constexpr std::chrono::milliseconds kSlice{20};
        std::unique_lock lock(m_guard);
        while (!m_finished && !IsExpired())
            m_wake.wait_for(lock, kSlice);
        while (!m_finished) {
            m_discovery.Cancel();
            m_wake.wait_for(lock, kSlice);
        }
    }

    CDeviceDiscovery& m_discovery;
    const CInterruptWatcher& m_interrupts;
    const Clock::time_point m_end;
    std::mutex m_guard;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace

int RunDiscover(CCommandLine& line)
{
    line.Parse({kLanguageOption, {"--timeout", true}, {"--json", false}});
    line.ExpectOperands(0, 0, QString());
    const double timeout = TimeoutOf(line);
    const bool json = line.Has(QStringLiteral("--json"));
    ChooseDirectNetwork();
    LoadLanguageOf(line);

    // The watcher first, so that the deadline's thread starts with the signals blocked.
    const CInterruptWatcher watcher([] {});
    CDeviceDiscovery discovery;
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout));
    ScanDeadline deadline(discovery, watcher, end);
    QJsonArray devices;
    while (!deadline.IsExpired()) {
        for (const DiscoveredDevice& device : discovery.Scan()) {
            if (json)
                devices.append(QJsonObject{{QStringLiteral("mac"), device.nodeText},
                                           {QStringLiteral("address"), device.addressText},
                                           {QStringLiteral("model"), device.modelName}});
            else
                PrintOut(QStringLiteral("%1  %2  %3\n").arg(device.nodeText, device.addressText.leftJustified(15), device.modelName));
        }
    }
    if (json)
        PrintOut(QString::fromUtf8(QJsonDocument(devices).toJson(QJsonDocument::Indented)));
    return ExitSuccess;
}
