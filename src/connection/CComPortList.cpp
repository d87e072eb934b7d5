#include "connection/CComPortList.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

constexpr int kBasePorts = 16;

// "ttyUSB10" sorts after "ttyUSB2": compare the name part, then the number.
bool NaturalLess(const QString& a, const QString& b)
{
    static const QRegularExpression split(QStringLiteral("^(.*?)(\\d*)$"));
    const auto ma = split.match(a);
    const auto mb = split.match(b);
    const int byName = QString::compare(ma.captured(1), mb.captured(1));
    if (byName != 0)
        return byName < 0;
    const qulonglong na = ma.captured(2).toULongLong();
    const qulonglong nb = mb.captured(2).toULongLong();
    if (na != nb)
        return na < nb;
    return a < b;
}

} // namespace

CComPortList::CComPortList() : CComPortList(&CComPortList::SystemPorts) {}

CComPortList::CComPortList(const PortSource& source)
{
    for (int n = 1; n <= kBasePorts; ++n)
        m_ports[n - 1] = {QStringLiteral("/dev/ttyS%1").arg(n - 1), QStringLiteral("COM%1").arg(n)};

    std::vector<SerialPortRecord> records = source ? source() : std::vector<SerialPortRecord>{};
    std::sort(records.begin(), records.end(),
              [](const SerialPortRecord& a, const SerialPortRecord& b) { return NaturalLess(a.portName, b.portName); });

    // Built-in serial ports keep their COM numbers; every other port follows the last of them.
    static const QRegularExpression builtIn(QStringLiteral("^ttyS(\\d+)$"));
    auto pathOf = [](const SerialPortRecord& record) {
        return record.stablePath.isEmpty() ? record.systemLocation : record.stablePath;
    };
    std::vector<const SerialPortRecord*> others;
    for (const SerialPortRecord& record : records) {
        const auto match = builtIn.match(record.portName);
        if (!match.hasMatch()) {
            others.push_back(&record);
            continue;
        }
        const int n = match.captured(1).toInt() + 1;
        const QString comName = QStringLiteral("COM%1").arg(n);
        QString display = record.description;
        if (!display.contains(comName))
            display = display.isEmpty() ? comName : QStringLiteral("%1 (%2)").arg(display, comName);
        m_ports[n - 1] = {pathOf(record), display};
    }
    std::int32_t nextKey = m_ports.rbegin()->first + 1;
    for (const SerialPortRecord* record : others) {
        QString display = record->description;
        if (!display.contains(record->portName))
            display = display.isEmpty() ? record->portName
                                        : QStringLiteral("%1 (%2)").arg(display, record->portName);
        m_ports[nextKey++] = {pathOf(*record), display};
    }
}

const CComPortList::ComPortInfo* CComPortList::At(int position) const
{
    if (position < 0 || position >= GetCount())
        return nullptr;
    return &std::next(m_ports.begin(), position)->second;
}

QString CComPortList::GetDisplayName(int position) const
{
    const ComPortInfo* info = At(position);
    return info ? info->displayName : QString();
}

QString CComPortList::GetDevicePath(int position) const
{
    const ComPortInfo* info = At(position);
    return info ? info->devicePath : QString();
}

std::vector<CComPortList::SerialPortRecord> CComPortList::SystemPorts()
{
    // The by-id links survive re-plugging and renumbering; map each link's target to it.
    std::map<QString, QString> stableByTarget;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        stableByTarget[link.canonicalFilePath()] = link.absoluteFilePath();

    std::vector<SerialPortRecord> records;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortRecord record;
        record.portName = info.portName();
        record.systemLocation = info.systemLocation();
        record.description = info.description();
        const auto stable = stableByTarget.find(QFileInfo(info.systemLocation()).canonicalFilePath());
        if (stable != stableByTarget.end())
            record.stablePath = stable->second;
        records.push_back(record);
    }
    return records;
}
