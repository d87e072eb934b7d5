#include "CAssignmentEditor.h"

#include "CCommandFailure.h"
#include "ParameterListing.h"

#include "app/CParameterSheet.h"
#include "app/ChannelSelection.h"
#include "model/CDevInterface.h"
#include "modbus/CPrivateException.h"

#include <QStringList>

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw CCommandFailure(ExitRejected, message);
}

} // namespace

CAssignmentEditor::CAssignmentEditor(std::shared_ptr<CDevInterface> set) : m_set(std::move(set)) {}

int CAssignmentEditor::FindParameter(const QString& name) const
{
    // IndexOf falls back to row 0 for an unknown name: compare for ourselves.
    for (int index = 0; index < m_set->GetCount(); ++index)
        if (m_set->NameAt(index) == name)
            return index;
    return -1;
}

void CAssignmentEditor::Apply(const QString& assignment)
{
    const qsizetype equals = assignment.indexOf(u'=');
    if (equals <= 0)
        throw CUsageError(QStringLiteral("set takes assignments NAME=VALUE, not %1").arg(assignment));
    const QString name = assignment.left(equals);
    const QString value = assignment.mid(equals + 1);

    const int index = FindParameter(name);
    if (index < 0)
        Refuse(CPrivateException::ComposeMessage("cli.noparam", {name, ModelNamesOf(*m_set).displayName}));
    CParameterSheet sheet;
    sheet.SetDevice(m_set);
    const CParInterface& parameter = m_set->GetAt(index);
    if ((parameter.GetDefinition().access & PA_READONLY) || sheet.EditorOf(index) == ParEditor::None)
        Refuse(CPrivateException::ComposeMessage("cli.readonly", {parameter.GetName()}));
    if (!sheet.CanEdit(index))
        Refuse(CPrivateException::ComposeMessage("cli.disabled", {parameter.GetName()}));

    switch (sheet.EditorOf(index)) {
    case ParEditor::Choice:
        ApplyChoice(index, value);
        break;
    case ParEditor::Channel:
        ApplyChannels(index, value);
        break;
    default:
        try {
            sheet.CommitText(index, value);
        } catch (const CException& error) {
            Refuse(error.ErrorText());
        }
        break;
    }
}

void CAssignmentEditor::ApplyChoice(int index, const QString& value)
{
    CParameterSheet sheet;
    sheet.SetDevice(m_set);
    int selected = 0;
    const std::vector<ParChoice> choices = sheet.Choices(index, selected);
    // The text as the list shows it first; a number names a choice by its value.
    for (const ParChoice& choice : choices) {
        if (choice.text == value) {
            sheet.CommitChoice(index, choice.value);
            return;
        }
    }
    bool isNumber = false;
    const int number = value.trimmed().toInt(&isNumber);
    for (const ParChoice& choice : choices) {
        if (isNumber && choice.value == number) {
            sheet.CommitChoice(index, choice.value);
            return;
        }
    }
    QStringList offered;
    for (const ParChoice& choice : choices)
        offered << QStringLiteral("%1 (%2)").arg(choice.text).arg(choice.value);
    Refuse(CPrivateException::ComposeMessage("cli.nochoice", {m_set->GetAt(index).GetName(), value, offered.join(QStringLiteral(", "))}));
}

void CAssignmentEditor::ApplyChannels(int index, const QString& value)
{
    CParameterSheet sheet;
    sheet.SetDevice(m_set);
    const int offered = sheet.ChannelCount(index);
    const auto refuse = [&] {
        Refuse(CPrivateException::ComposeMessage("cli.channels", {m_set->GetAt(index).GetName(), offered}));
    };
    // As the channel boxes: each number checks its box, so naming one twice checks it once.
    ChannelChecks checks{};
    for (const QString& word : value.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int channel = word.trimmed().toInt(&ok);
        if (!ok || channel < 1 || channel > offered)
            refuse();
        checks[static_cast<std::size_t>(channel - 1)] = true;
    }
    if (CheckedChannelCount(checks) > kChannelSlots)
        refuse();
    CParValue channels = m_set->GetAt(index).GetValue();
    StoreChannels(checks, channels);
    sheet.CommitChannels(index, channels);
}
