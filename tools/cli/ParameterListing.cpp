#include "ParameterListing.h"

#include "app/CParameterSheet.h"
#include "app/DeviceIdentity.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"

#include <QJsonObject>

#include <algorithm>

namespace {

std::vector<ParameterRow> RowsOf(const std::shared_ptr<CDevInterface>& set)
{
    CParameterSheet sheet;
    sheet.SetDevice(set);
    return sheet.Rows();
}

QString Padded(const QString& text, qsizetype width)
{
    return text.leftJustified(width, u' ');
}

} // namespace

ModelNames ModelNamesOf(const CDevInterface& set)
{
    const int row = CDevType::Find(set.GetModelCode(), set.GetFirmware());
    if (row < 0)
        return {QString::fromUtf16(set.GetSection()), QString()};
    return {QString::fromUtf16(CDevType::Entries()[static_cast<std::size_t>(row)].modelName), CDevType::GetModelName(row)};
}

QString ModelHeadline(const CDevInterface& set)
{
    const ModelNames names = ModelNamesOf(set);
    return QStringLiteral("%1  %2  code %3  firmware %4")
        .arg(names.name, names.displayName)
        .arg(set.GetModelCode())
        .arg(FirmwareVersionText(set.GetFirmware()));
}

QString ParameterListText(const std::shared_ptr<CDevInterface>& device)
{
    const CDevInterface& set = *device;
    const std::vector<ParameterRow> rows = RowsOf(device);
    qsizetype nameWidth = 0;
    qsizetype displayWidth = 0;
    for (const ParameterRow& row : rows) {
        if (row.caption)
            continue;
        nameWidth = std::max(nameWidth, set.NameAt(row.index).size());
        displayWidth = std::max(displayWidth, row.name.size());
    }
    QString text;
    for (const ParameterRow& row : rows) {
        if (row.caption) {
            text += row.name + u'\n';
            continue;
        }
        QString line = QStringLiteral("  ") + Padded(set.NameAt(row.index).toString(), nameWidth + 2)
            + Padded(row.name, displayWidth + 2) + row.value;
        while (line.endsWith(u' '))
            line.chop(1);
        text += line + u'\n';
    }
    return text;
}

QJsonArray ParameterListJson(const std::shared_ptr<CDevInterface>& device)
{
    const CDevInterface& set = *device;
    QJsonArray parameters;
    for (const ParameterRow& row : RowsOf(device)) {
        if (row.caption)
            continue;
        const CParValue& value = set.GetAt(row.index).GetValue();
        QJsonArray words;
        for (const std::uint16_t word : value.GetWords())
            words.append(word);
        parameters.append(QJsonObject{
            {QStringLiteral("index"), row.index},
            {QStringLiteral("name"), set.NameAt(row.index).toString()},
            {QStringLiteral("display"), row.name},
            {QStringLiteral("text"), row.value},
            {QStringLiteral("address"), value.GetAddress()},
            {QStringLiteral("words"), words},
        });
    }
    return parameters;
}
