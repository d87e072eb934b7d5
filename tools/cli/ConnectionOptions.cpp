#include "ConnectionOptions.h"

#include "CCommandFailure.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::array<std::int32_t, 6> kBaudRates = {1200, 2400, 4800, 9600, 19200, 38400};
// In the order of ComSettings::Parity.
const std::array<QString, 5> kParities = {QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even"),
                                          QStringLiteral("mark"), QStringLiteral("space")};
// Modbus unit identifiers; 0 is the broadcast, which no device answers.
constexpr int kHighestUnit = 255;

int NumberOption(const CCommandLine& line, const QString& option, int least, int most)
{
    bool ok = false;
    const int value = line.Value(option).toInt(&ok);
    if (!ok || value < least || value > most)
        throw CUsageError(QStringLiteral("%1 takes a number from %2 to %3").arg(option).arg(least).arg(most));
    return value;
}

// HOST, HOST:PORT, [IPv6] or [IPv6]:PORT; a bare IPv6 address has no port.
void ApplyTcp(const QString& target, ComSettings& settings)
{
    QString host = target;
    std::optional<QString> port;
    if (target.startsWith(u'[')) {
        const qsizetype close = target.indexOf(u']');
        const QString after = close < 0 ? QString() : target.mid(close + 1);
        if (close < 0 || !(after.isEmpty() || after.startsWith(u':')))
            throw CUsageError(QStringLiteral("--tcp takes HOST or HOST:PORT"));
        host = target.mid(1, close - 1);
        if (!after.isEmpty())
            port = after.mid(1);
    } else if (target.count(u':') == 1) {
        host = target.section(u':', 0, 0);
        port = target.section(u':', 1);
    }
    if (host.isEmpty())
        throw CUsageError(QStringLiteral("--tcp takes HOST or HOST:PORT"));
    if (port) {
        bool ok = false;
        const uint number = port->toUInt(&ok);
        if (!ok || number == 0 || number > 0xFFFF)
            throw CUsageError(QStringLiteral("--tcp: the port is a number from 1 to 65535"));
        settings.ServicePort = QString::number(number);
    }
    settings.Mode = ComSettings::ModeTcp;
    settings.ServerAddress = host;
}

void ApplySerial(const CCommandLine& line, ComSettings& settings)
{
    settings.Mode = ComSettings::ModeSerial;
    settings.COMPortName = line.Value(QStringLiteral("--serial"));
    settings.COMPortDisplayName = settings.COMPortName;
    if (line.Has(QStringLiteral("--baud"))) {
        const int baud = line.Value(QStringLiteral("--baud")).toInt();
        const auto found = std::find(kBaudRates.begin(), kBaudRates.end(), baud);
        if (found == kBaudRates.end())
            throw CUsageError(QStringLiteral("--baud takes 1200, 2400, 4800, 9600, 19200 or 38400"));
        settings.Baudrate = static_cast<std::int32_t>(found - kBaudRates.begin());
    }
    if (line.Has(QStringLiteral("--parity"))) {
        const auto found = std::find(kParities.begin(), kParities.end(), line.Value(QStringLiteral("--parity")));
        if (found == kParities.end())
            throw CUsageError(QStringLiteral("--parity takes none, odd, even, mark or space"));
        settings.Parity = static_cast<std::int32_t>(found - kParities.begin());
    }
    if (line.Has(QStringLiteral("--stop")))
        settings.Stop = NumberOption(line, QStringLiteral("--stop"), 1, 2) - 1;
}

} // namespace

std::vector<CCommandLine::KnownOption> ConnectionOptionList()
{
    return {{"--tcp", true},  {"--serial", true}, {"--baud", true}, {"--parity", true},
            {"--stop", true}, {"--direct", true}, {"--unit", true}};
}

bool ParseNodeAddress(const QString& text, ComSettings::NodeAddress& node)
{
    static const QRegularExpression form(QStringLiteral("^([0-9A-Fa-f]{2})([:-]?)([0-9A-Fa-f]{2})\\2([0-9A-Fa-f]{2})\\2"
                                                        "([0-9A-Fa-f]{2})\\2([0-9A-Fa-f]{2})\\2([0-9A-Fa-f]{2})$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return false;
    const int groups[] = {1, 3, 4, 5, 6, 7};
    for (std::size_t i = 0; i < node.size(); ++i)
        node[i] = static_cast<std::uint8_t>(match.captured(groups[i]).toUInt(nullptr, 16));
    return true;
}

ComSettings ConnectionSettingsOf(const CCommandLine& line)
{
    const bool tcp = line.Has(QStringLiteral("--tcp"));
    const bool serial = line.Has(QStringLiteral("--serial"));
    const bool direct = line.Has(QStringLiteral("--direct"));
    if (int(tcp) + int(serial) + int(direct) != 1)
        throw CUsageError(QStringLiteral("%1 needs one connection: --tcp HOST[:PORT], --serial DEVICE or --direct MAC")
                              .arg(line.Command()));
    const bool serialLine = line.Has(QStringLiteral("--baud")) || line.Has(QStringLiteral("--parity"))
        || line.Has(QStringLiteral("--stop"));
    if (serialLine && !serial)
        throw CUsageError(QStringLiteral("--baud, --parity and --stop go with --serial"));

    // Loads the stored settings.
    ComSettings settings;
    if (tcp)
        ApplyTcp(line.Value(QStringLiteral("--tcp")), settings);
    if (serial)
        ApplySerial(line, settings);
    if (direct) {
        if (!ParseNodeAddress(line.Value(QStringLiteral("--direct")), settings.TargetNode))
            throw CUsageError(QStringLiteral("--direct takes a MAC address such as 00:11:22:aa:bb:cc"));
        settings.Mode = ComSettings::ModeDirect;
    }
    settings.Address = line.Has(QStringLiteral("--unit")) ? NumberOption(line, QStringLiteral("--unit"), 1, kHighestUnit) : 1;
    return settings;
}
