#include "CCommandLine.h"

#include "CCommandFailure.h"

#include <algorithm>

namespace {

bool IsHelp(const QString& word)
{
    return word == u"--help" || word == u"-h";
}

} // namespace

CCommandLine::CCommandLine(const QStringList& arguments)
{
    m_wantsHelp = std::any_of(arguments.begin(), arguments.end(), IsHelp);
    if (arguments.isEmpty())
        throw CUsageError(QStringLiteral("no command given"));
    m_command = arguments.front();
    m_rest = arguments.mid(1);
}

void CCommandLine::Parse(const std::vector<KnownOption>& options)
{
    m_operands.clear();
    m_values.clear();
    bool optionsEnded = false;
    for (qsizetype i = 0; i < m_rest.size(); ++i) {
        const QString& word = m_rest[i];
        if (optionsEnded || !word.startsWith(u'-') || word == u"-") {
            m_operands << word;
            continue;
        }
        if (word == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = word.startsWith(u"--") ? word.indexOf(u'=') : -1;
        const QString name = equals >= 0 ? word.left(equals) : word;
        const auto known = std::find_if(options.begin(), options.end(),
                                       [&](const KnownOption& option) { return name == QLatin1String(option.name); });
        if (known == options.end())
            throw CUsageError(QStringLiteral("%1 does not take the option %2").arg(m_command, name));
        if (m_values.contains(name))
            throw CUsageError(QStringLiteral("%1 is given twice").arg(name));
        QString value;
        if (!known->takesValue) {
            if (equals >= 0)
                throw CUsageError(QStringLiteral("%1 takes no value").arg(name));
        } else if (equals >= 0) {
            value = word.mid(equals + 1);
        } else if (i + 1 < m_rest.size()) {
            value = m_rest[++i];
        } else {
            throw CUsageError(QStringLiteral("%1 needs a value").arg(name));
        }
        m_values.insert(name, value);
    }
}

void CCommandLine::ExpectOperands(qsizetype least, qsizetype most, const QString& what) const
{
    if (m_operands.size() < least)
        throw CUsageError(QStringLiteral("%1 needs %2").arg(m_command, what));
    if (m_operands.size() > most)
        throw CUsageError(QStringLiteral("%1: unexpected %2").arg(m_command, m_operands[most]));
}
