#include "app/ConfigurationFile.h"

#include "app/CXmlReaderWriter.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "model/ParTextReader.h"
#include "modbus/CPrivateException.h"

#include <QStringList>

#include <cstdint>

namespace {

const QString kRoot = QStringLiteral("root");
const QString kRootPath = QStringLiteral("/root");
const QString kApplication = QStringLiteral("KORVA");
const QString kFileType = QStringLiteral("configuration");
// Written by this program; every version from 1.0 is read. Version 1.0 files lack the firmware
// key, which was 1.0 for every device of that time.
const QString kVersionWritten = QStringLiteral("1.5");
const QStringList kVersionsRead = {QStringLiteral("1.0"), QStringLiteral("1.1"), QStringLiteral("1.2"),
                                   QStringLiteral("1.3"), QStringLiteral("1.4"), QStringLiteral("1.5")};
const QString kVersionWithoutFirmware = QStringLiteral("1.0");
constexpr std::uint32_t kFirmwareOfVersion1_0 = 0x10000;

// The identity elements; a file lacking any of them, or that cannot be parsed, is no
// configuration file.
void CheckIdentity(CXmlReaderWriter& xml, const QString& path, QString& version)
{
    try {
        xml.LoadDocument(path);
        if (xml.GetNodeText(QStringLiteral("/root/application")) != kApplication
            || xml.GetNodeText(QStringLiteral("/root/filetype")) != kFileType)
            throw CPrivateException("illfileerr");
        version = xml.GetNodeText(QStringLiteral("/root/version"));
    } catch (const CPrivateException&) {
        throw CPrivateException("illfileerr");
    }
}

std::uint16_t ReadWord(const CXmlReaderWriter& xml, int address)
{
    QString text;
    try {
        text = xml.GetNodeText(QStringLiteral("/root/parameter[@adrs='%1']").arg(address));
    } catch (const CPrivateException&) {
        throw CPrivateException("desfileerr");
    }
    return static_cast<std::uint16_t>(ParTextReader::ReadSaturatedInt32(text) & 0xFFFF);
}

} // namespace

void SaveConfigurationFile(const CDevInterface& device, const QString& path)
{
    CXmlReaderWriter xml;
    xml.CreateDocument(kRoot);
    xml.AppendTextElement(kRootPath, QStringLiteral("application"), kApplication);
    xml.AppendTextElement(kRootPath, QStringLiteral("filetype"), kFileType);
    xml.AppendTextElement(kRootPath, QStringLiteral("version"), kVersionWritten);
    xml.AppendTextElement(kRootPath, QStringLiteral("device"), QString::number(device.GetModelCode()));
    // Written as a signed 32-bit number; reading converts it back to the same key.
    xml.AppendTextElement(kRootPath, QStringLiteral("devver"),
                          QString::number(static_cast<std::int32_t>(device.GetFirmware())));

    for (int index = 0; index < device.GetCount(); ++index) {
        const CParValue& value = device.GetAt(index).GetValue();
        const auto words = value.GetWords();
        for (std::size_t position = 0; position < words.size(); ++position) {
            xml.AppendAttributedElement(kRootPath, QStringLiteral("parameter"),
                                        QString::number(words[position]), QStringLiteral("adrs"),
                                        QString::number(value.GetAddress() + static_cast<int>(position)));
        }
    }
    xml.SaveDocument(path);
}

std::unique_ptr<CDevInterface> LoadConfigurationFile(const QString& path)
{
    CXmlReaderWriter xml;
    QString version;
    CheckIdentity(xml, path, version);
    if (!kVersionsRead.contains(version))
        throw CPrivateException("verfileerr");

    // A missing device or firmware element is reported as the XML access error itself.
    const auto modelCode = static_cast<std::uint16_t>(
        ParTextReader::ReadSaturatedInt32(xml.GetNodeText(QStringLiteral("/root/device"))) & 0xFFFF);
    const std::uint32_t firmware = version == kVersionWithoutFirmware
        ? kFirmwareOfVersion1_0
        : static_cast<std::uint32_t>(
              ParTextReader::ReadSaturatedInt32(xml.GetNodeText(QStringLiteral("/root/devver"))));

    std::unique_ptr<CDevInterface> device = CDevType::CreateFor(modelCode, firmware, ModelUse::Configuration);
    if (!device)
        throw CPrivateException("desfileerr");

    // Every register of the model must be in the file; elements for other registers are
    // ignored, and of several for the same register the first counts.
    for (int index = 0; index < device->GetCount(); ++index) {
        CParValue& value = device->GetAt(index).GetValue();
        auto words = value.GetWords();
        for (std::size_t position = 0; position < words.size(); ++position)
            words[position] = ReadWord(xml, value.GetAddress() + static_cast<int>(position));
    }
    return device;
}
