#include "CProgressLine.h"

#include "ConsoleOutput.h"

#include "app/CResourceDatabase.h"

#include <algorithm>
#include <cmath>

CProgressLine::CProgressLine(const char* messageKey)
    : m_shown(IsErrorTerminal()), m_text(CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(messageKey)))
{
}

CProgressLine::~CProgressLine()
{
    if (m_shown && m_percent >= 0)
        PrintError(QStringLiteral("\n"));
}

void CProgressLine::SetProgress(double fraction)
{
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    if (!m_shown || m_percent.exchange(percent) == percent)
        return;
    PrintError(QStringLiteral("\r%1 %2%").arg(m_text).arg(percent, 3));
}
