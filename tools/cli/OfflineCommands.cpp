// korva-cli models, new, show and set: the offered models and configuration files, with the
// program's model tables, validation and file format.

#include "CAssignmentEditor.h"
#include "CCommandFailure.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "ConsoleOutput.h"
#include "ParameterListing.h"

#include "app/DeviceIdentity.h"
#include "app/ModelChoice.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CPrivateException.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <limits>

namespace {

QString RowName(int row)
{
    return QString::fromUtf16(CDevType::Entries()[static_cast<std::size_t>(row)].modelName);
}

QString FirmwareRangeText(const DevTypeEntry& entry)
{
    if (entry.firmwareMaximum == CDevType::kAnyFirmware)
        return FirmwareVersionText(entry.firmwareMinimum) + u'+';
    return FirmwareVersionText(entry.firmwareMinimum) + u'-' + FirmwareVersionText(entry.firmwareMaximum);
}

} // namespace

int RunModels(CCommandLine& line)
{
    line.Parse({kLanguageOption});
    line.ExpectOperands(0, 0, QString());
    LoadLanguageOf(line);

    const std::vector<ModelChoice> choices = OfferedModelChoices();
    qsizetype nameWidth = 0;
    qsizetype displayWidth = 0;
    for (const ModelChoice& choice : choices) {
        nameWidth = std::max(nameWidth, RowName(choice.registryRow).size());
        displayWidth = std::max(displayWidth, choice.displayName.size());
    }
    QString text;
    for (const ModelChoice& choice : choices) {
        const DevTypeEntry& entry = CDevType::Entries()[static_cast<std::size_t>(choice.registryRow)];
        text += QStringLiteral("%1  %2  %3  %4\n")
                    .arg(RowName(choice.registryRow).leftJustified(nameWidth), choice.displayName.leftJustified(displayWidth))
                    .arg(entry.modelCode)
                    .arg(FirmwareRangeText(entry));
    }
    PrintOut(text);
    return ExitSuccess;
}

int RunNew(CCommandLine& line)
{
    line.Parse({kLanguageOption, {"-o", true}});
    line.ExpectOperands(1, 1, QStringLiteral("MODEL"));
    const QString output = RequiredValue(line, QStringLiteral("-o"), QStringLiteral("FILE"));
    LoadLanguageOf(line);

    const QString model = line.Operands().front();
    QStringList names;
    for (const ModelChoice& choice : OfferedModelChoices()) {
        if (RowName(choice.registryRow) == model) {
            const auto set = CreateChosenModel(choice.registryRow);
            CheckSet(*set);
            SaveSet(*set, output);
            return ExitSuccess;
        }
        names << RowName(choice.registryRow);
    }
    throw CUsageError(CPrivateException::ComposeMessage("cli.nomodel", {model, names.join(QStringLiteral(", "))}));
}

int RunShow(CCommandLine& line)
{
    line.Parse({kLanguageOption, {"--json", false}});
    line.ExpectOperands(1, 1, QStringLiteral("FILE"));
    LoadLanguageOf(line);

    const auto set = LoadSet(line.Operands().front());
    if (line.Has(QStringLiteral("--json"))) {
        const QJsonObject object{
            {QStringLiteral("model"), ModelNamesOf(*set).name},
            {QStringLiteral("code"), set->GetModelCode()},
            {QStringLiteral("firmware"), static_cast<qint64>(set->GetFirmware())},
            {QStringLiteral("parameters"), ParameterListJson(set)},
        };
        PrintOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
    } else {
        PrintOut(ModelHeadline(*set) + u'\n' + ParameterListText(set));
    }
    return ExitSuccess;
}

int RunSet(CCommandLine& line)
{
    line.Parse({kLanguageOption, {"-o", true}});
    line.ExpectOperands(2, std::numeric_limits<qsizetype>::max(), QStringLiteral("FILE and NAME=VALUE"));
    if (line.Has(QStringLiteral("-o")))
        RequiredValue(line, QStringLiteral("-o"), QStringLiteral("OUT"));
    for (const QString& assignment : line.Operands().mid(1))
        if (assignment.indexOf(u'=') <= 0)
            throw CUsageError(QStringLiteral("set takes assignments NAME=VALUE, not %1").arg(assignment));
    LoadLanguageOf(line);

    const QString input = line.Operands().front();
    const auto set = LoadSet(input);
    // Every assignment is tried on the loaded copy; the file is written only when all of them
    // and the consistency check pass.
    CAssignmentEditor editor(set);
    for (const QString& assignment : line.Operands().mid(1))
        editor.Apply(assignment);
    CheckSet(*set);
    SaveSet(*set, line.Has(QStringLiteral("-o")) ? line.Value(QStringLiteral("-o")) : input);
    return ExitSuccess;
}
