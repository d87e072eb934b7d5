#include "app/CParameterSheet.h"

#include "model/CDevInterface.h"

#include <stdexcept>

void CParameterSheet::SetDevice(std::shared_ptr<CDevInterface> device)
{
    m_device = std::move(device);
}

std::vector<ParameterRow> CParameterSheet::Rows() const
{
    std::vector<ParameterRow> rows;
    if (!m_device)
        return rows;
    rows.reserve(static_cast<std::size_t>(m_device->GetCount()));
    for (int index = 0; index < m_device->GetCount(); ++index) {
        const CParInterface& parameter = m_device->GetAt(index);
        const bool caption = parameter.GetDefinition().kind == PK_CAPTION;
        rows.push_back({index, caption, parameter.GetName(),
                        caption ? QString() : m_device->GetDisplayText(index, parameter.GetTextWithUnit())});
    }
    return rows;
}

bool CParameterSheet::IsValidIndex(int index) const
{
    return m_device && index >= 0 && index < m_device->GetCount();
}

bool CParameterSheet::IsGreyed(int index) const
{
    if (!IsValidIndex(index))
        return true;
    const std::uint32_t access = m_device->GetAt(index).GetDefinition().access;
    return m_editLock || m_device->IsDisabled(index) || ((access & PA_COMMAND) && !m_commandsEnabled);
}

bool CParameterSheet::CanEdit(int index) const
{
    return !IsGreyed(index) && !(m_device->GetAt(index).GetDefinition().access & PA_READONLY)
        && EditorOf(index) != ParEditor::None;
}

ParEditor CParameterSheet::EditorOf(int index) const
{
    if (!IsValidIndex(index))
        return ParEditor::None;
    switch (m_device->GetAt(index).GetDefinition().kind) {
    case PK_LIST16:
    case PK_LIST32:
        return ParEditor::Choice;
    case PK_TEXT:
    case PK_NETNAME:
    case PK_IPADDR:
    case PK_UINT16:
    case PK_INT16:
    case PK_UINT32HEX:
    case PK_UINT32:
    case PK_HEX16:
    case PK_SSID:
    case PK_WEPKEY:
    case PK_WPAKEY:
    case PK_ENCKEY:
        return ParEditor::Text;
    case PK_CHANNEL28:
    case PK_CHANNEL43:
        return ParEditor::Channel;
    default:
        return ParEditor::None;
    }
}

bool CParameterSheet::CountsBytes(int index) const
{
    if (!IsValidIndex(index))
        return false;
    switch (m_device->GetAt(index).GetDefinition().kind) {
    case PK_TEXT:
    case PK_NETNAME:
    case PK_SSID:
    case PK_WEPKEY:
    case PK_WPAKEY:
    case PK_ENCKEY:
        return true;
    default:
        return false;
    }
}

int CParameterSheet::ChannelCount(int index) const
{
    if (!IsValidIndex(index))
        return 0;
    switch (m_device->GetAt(index).GetDefinition().kind) {
    case PK_CHANNEL28:
        return 28;
    case PK_CHANNEL43:
        return 43;
    default:
        return 0;
    }
}

std::vector<ParChoice> CParameterSheet::Choices(int index, int& selected) const
{
    selected = 0;
    std::vector<ParChoice> choices;
    if (EditorOf(index) != ParEditor::Choice)
        return choices;
    const CParInterface& parameter = m_device->GetAt(index);
    const QString current = parameter.GetText();
    for (int position = 0; position < kMaxChoices; ++position) {
        const std::int32_t value = parameter.GetListValue(position);
        const QString text = parameter.GetListText(value);
        if (text.isEmpty())
            break;
        if (text == current)
            selected = position;
        choices.push_back({text, value});
    }
    return choices;
}

void CParameterSheet::CommitChoice(int index, std::int32_t value)
{
    if (EditorOf(index) != ParEditor::Choice)
        return;
    m_device->GetAt(index).SetValue(value);
    AfterCommit(index);
}

void CParameterSheet::CommitText(int index, const QString& text)
{
    if (EditorOf(index) != ParEditor::Text)
        return;
    m_device->GetAt(index).SetText(text);
    AfterCommit(index);
}

void CParameterSheet::CommitChannels(int index, const CParValue& channels)
{
    if (EditorOf(index) != ParEditor::Channel)
        return;
    m_device->GetAt(index).AssignValue(channels);
    AfterCommit(index);
}

void CParameterSheet::AfterCommit(int index)
{
    m_device->OnParameterChanged(index);
    const CParInterface& parameter = m_device->GetAt(index);
    if (parameter.GetDefinition().access & PA_COMMAND)
        m_pendingCommands.push_back(parameter.GetValue());
}

CParValue CParameterSheet::PopCommand()
{
    if (m_pendingCommands.empty())
        throw std::out_of_range("CParameterSheet::PopCommand: no pending command");
    CParValue value = std::move(m_pendingCommands.front());
    m_pendingCommands.pop_front();
    return value;
}
