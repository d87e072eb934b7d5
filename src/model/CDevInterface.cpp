#include "model/CDevInterface.h"

CDevInterface::CDevInterface() = default;

CDevInterface::~CDevInterface() = default;

void CDevInterface::CheckConsistency() const
{
}

bool CDevInterface::OnParameterChanged(int)
{
    return false;
}

QString CDevInterface::GetDisplayText(int, const QString& text) const
{
    return text;
}

bool CDevInterface::IsDisabled(int index) const
{
    return index >= 0 && index < GetCount() && GetAt(index).GetDefinition().kind == PK_CAPTION;
}

void CDevInterface::LoadDefinitions(const char16_t* section, std::span<const ParDefinition> table)
{
    m_parameters.clear();
    m_parameters.reserve(table.size());
    m_section = section;
    for (const ParDefinition& row : table)
        m_parameters.emplace_back(section, row);
}

CParInterface& CDevInterface::GetAt(int index)
{
    return m_parameters.at(static_cast<std::size_t>(index));
}

const CParInterface& CDevInterface::GetAt(int index) const
{
    return m_parameters.at(static_cast<std::size_t>(index));
}

int CDevInterface::IndexOf(QStringView name) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (QStringView(GetAt(i).GetDefinition().name) == name)
            return i;
    }
    return 0;
}

CParInterface& CDevInterface::GetParameter(QStringView name)
{
    return GetAt(IndexOf(name));
}

const CParInterface& CDevInterface::GetParameter(QStringView name) const
{
    return GetAt(IndexOf(name));
}

QStringView CDevInterface::NameAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return {};
    return QStringView(GetAt(index).GetDefinition().name);
}

std::uint16_t CDevInterface::FirstWordOf(QStringView name) const
{
    const auto words = GetParameter(name).GetValue().GetWords();
    return words.empty() ? std::uint16_t{0} : words[0];
}
