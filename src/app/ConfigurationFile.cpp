#include "app/ConfigurationFile.h"

#include "app/CXmlReaderWriter.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "model/ParTextReader.h"
#include "modbus/CPrivateException.h"

#include <QStringView>

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr QStringView kRoot = u"root";
constexpr QStringView kRootPath = u"/root";
constexpr QStringView kApplication = u"KORVA";
constexpr QStringView kFileType = u"configuration";
// Written by this program; every version from 1.0 is read. Version 1.0 files lack the firmware
// key, which was 1.0 for every device of that time.
constexpr QStringView kVersionWritten = u"1.5";
constexpr std::array<QStringView, 6> kVersionsRead = {u"1.0", u"1.1", u"1.2", u"1.3", u"1.4", u"1.5"};
constexpr QStringView kVersionWithoutFirmware = u"1.0";
constexpr std::uint32_t kFirmwareOfVersion1_0 = 0x10000;

bool IsReadableVersion(const QString& version)
{
    return std::find(kVersionsRead.begin(), kVersionsRead.end(), version) != kVersionsRead.end();
}

// Loads the file and returns its version text. A file that cannot be parsed, or lacks or
// misstates any identity element, is no configuration file.
QString LoadAndIdentify(CXmlReaderWriter& xml, const QString& path)
{
    try {
        xml.LoadDocument(path);
        if (xml.GetNodeText(QStringLiteral("/root/application")) != kApplication
            || xml.GetNodeText(QStringLiteral("/root/filetype")) != kFileType)
            throw CPrivateException("illfileerr");
        return xml.GetNodeText(QStringLiteral("/root/version"));
    } catch (const CException&) {
        throw CPrivateException("illfileerr");
    }
}

std::uint16_t ReadWord(const CXmlReaderWriter& xml, int address)
{
    QString text;
    try {
        text = xml.GetNodeText(QStringLiteral("/root/parameter[@adrs='%1']").arg(address));
    } catch (const CException&) {
        throw CPrivateException("desfileerr");
    }
    return static_cast<std::uint16_t>(ParTextReader::ReadSaturatedInt32(text) & 0xFFFF);
}

} // namespace

void SaveConfigurationFile(const CDevInterface& device, const QString& path)
{
    CXmlReaderWriter xml;
    const QString root = kRootPath.toString();
    xml.CreateDocument(kRoot.toString());
    xml.AppendTextElement(root, QStringLiteral("application"), kApplication.toString());
    xml.AppendTextElement(root, QStringLiteral("filetype"), kFileType.toString());
    xml.AppendTextElement(root, QStringLiteral("version"), kVersionWritten.toString());
    xml.AppendTextElement(root, QStringLiteral("device"), QString::number(device.GetModelCode()));
    // Written as a signed 32-bit number; reading converts it back to the same key.
    xml.AppendTextElement(root, QStringLiteral("devver"),
                          QString::number(static_cast<std::int32_t>(device.GetFirmware())));

    for (int index = 0; index < device.GetCount(); ++index) {
        const CParValue& value = device.GetAt(index).GetValue();
        const auto words = value.GetWords();
        for (std::size_t position = 0; position < words.size(); ++position) {
            xml.AppendAttributedElement(root, QStringLiteral("parameter"),
                                        QString::number(words[position]), QStringLiteral("adrs"),
                                        QString::number(value.GetAddress() + static_cast<int>(position)));
        }
    }
    xml.SaveDocument(path);
}

std::unique_ptr<CDevInterface> LoadConfigurationFile(const QString& path)
{
    CXmlReaderWriter xml;
    const QString version = LoadAndIdentify(xml, path);
    if (!IsReadableVersion(version))
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
