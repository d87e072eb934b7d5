#include "connection/ComSettings.h"

#include "app/CSettingsProfile.h"

#include <array>

namespace {

const QString kGroup = QStringLiteral("ComSettings");

} // namespace

ComSettings::ComSettings()
{
    LoadComSettings();
}

void ComSettings::LoadComSettings()
{
    const auto profile = CSettingsProfile::Open();
    profile->beginGroup(kGroup);
    auto readInt = [&profile](const char* name, std::int32_t fallback) {
        bool ok = false;
        const int value = profile->value(QLatin1String(name)).toInt(&ok);
        return ok ? value : fallback;
    };
    auto readText = [&profile](const char* name, const QString& fallback) {
        const QVariant value = profile->value(QLatin1String(name));
        return value.isValid() ? value.toString() : fallback;
    };
    Address = readInt("Address", 1);
    COMPort = readInt("COMPort", 0);
    COMPortName = readText("COMPortName", QString());
    COMPortDisplayName = readText("COMPortDisplayName", QString());
    IRCOMPortName = readText("IRCOMPortName", QString());
    IRCOMPortDisplayName = readText("IRCOMPortDisplayName", QString());
    Baudrate = readInt("Baudrate", 5);
    // Eight data bits are the only character size the devices speak; a stored 7 is not honoured.
    Character = 1;
    Parity = readInt("Parity", 1);
    Stop = readInt("Stop", 0);
    Mode = readInt("Mode", ModeSerial);
    ServerAddress = readText("ServerAddress", QStringLiteral("192.168.0.1"));
    ServicePort = readText("ServicePort", QStringLiteral("502"));
    profile->endGroup();
}

void ComSettings::SaveComSettings() const
{
    const auto profile = CSettingsProfile::Open();
    profile->beginGroup(kGroup);
    profile->setValue(QStringLiteral("Address"), Address);
    profile->setValue(QStringLiteral("COMPort"), COMPort);
    profile->setValue(QStringLiteral("COMPortName"), COMPortName);
    profile->setValue(QStringLiteral("COMPortDisplayName"), COMPortDisplayName);
    profile->setValue(QStringLiteral("IRCOMPortName"), IRCOMPortName);
    profile->setValue(QStringLiteral("IRCOMPortDisplayName"), IRCOMPortDisplayName);
    profile->setValue(QStringLiteral("Baudrate"), Baudrate);
    profile->setValue(QStringLiteral("Character"), Character);
    profile->setValue(QStringLiteral("Parity"), Parity);
    profile->setValue(QStringLiteral("Stop"), Stop);
    profile->setValue(QStringLiteral("Mode"), Mode);
    profile->setValue(QStringLiteral("ServerAddress"), ServerAddress);
    profile->setValue(QStringLiteral("ServicePort"), ServicePort);
    profile->endGroup();
    profile->sync();
}

std::int32_t ComSettings::GetBaudRate() const
{
    static constexpr std::array<std::int32_t, 6> kRates{1200, 2400, 4800, 9600, 19200, 38400};
    return Baudrate >= 0 && Baudrate < static_cast<std::int32_t>(kRates.size()) ? kRates[static_cast<std::size_t>(Baudrate)] : 1200;
}

std::int32_t ComSettings::GetDataBits() const
{
    return Character == 1 ? 8 : 7;
}

std::int32_t ComSettings::GetStopBits() const
{
    return Stop == 1 ? 2 : 0;
}
