#include "app/CResourceDatabase.h"

#include "app/ProgramDirectory.h"
#include "modbus/CMessageFormatter.h"
#include "modbus/CPrivateException.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <climits>

namespace {

// Built into the program: when loading fails there is no language file to take them from.
constexpr char16_t kLoadErrorPattern[] = u"Can't read resource file \"%1!s!\".%n%2!s!";
constexpr char16_t kIllegalFormat[] = u"Illegal format";
constexpr qsizetype kMaximumCauseLength = 1024;

// The leading decimal number of a text: blanks, an optional sign, digits up to the first other
// character; 0 when there are none.
int LeadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9') {
        value = value * 10 + (text[i++].unicode() - u'0');
        if (value > 0x80000000LL)
            value = 0x80000000LL;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

} // namespace

CResourceDatabase& CResourceDatabase::Instance()
{
    static CResourceDatabase database;
    return database;
}

CResourceDatabase::CResourceDatabase() = default;
CResourceDatabase::~CResourceDatabase() = default;

void CResourceDatabase::ResetDatabase()
{
    m_xml.CreateDocument(QStringLiteral("root"));
}

void CResourceDatabase::LoadLanguageFile(const QString& fileName)
{
    try {
        m_xml.LoadDocument(QDir(ProgramDirectory()).filePath(fileName));
        if (QueryText(QStringLiteral("/root/application")) != u"KORVA"
            || QueryText(QStringLiteral("/root/filetype")) != u"language"
            || QueryText(QStringLiteral("/root/language")).isEmpty())
            throw CPrivateException(QString::fromUtf16(kIllegalFormat));
    } catch (const CException& error) {
        const std::array<CMessageArgument, 2> args{fileName, error.ErrorText().left(kMaximumCauseLength)};
        throw CPrivateException(CMessageFormatter::FormatInserts(QStringView(kLoadErrorPattern), args));
    }
}

QString CResourceDatabase::QueryText(const QString& expression) const
{
    try {
        return m_xml.GetNodeText(expression);
    } catch (const CException&) {
        return {};
    }
}

QString CResourceDatabase::GetGuiText(int dialogId, int controlId) const
{
    return QueryText(QStringLiteral("/root/gui[@name='%1']/text[@name='%2']").arg(dialogId).arg(controlId));
}

QString CResourceDatabase::GetMessageText(QStringView key) const
{
    return QueryText(QStringLiteral("/root/message/text[@name='%1']").arg(key));
}

QString CResourceDatabase::GetParameterText(const QString& section, const QString& textName) const
{
    return QueryText(QStringLiteral("/root/parameter[@name='%1']/text[@name='%2']").arg(section, textName));
}

QString CResourceDatabase::GetListItemText(const QString& section, const QString& listName, int value) const
{
    const QString list = QStringLiteral("/root/parameter[@name='%1']/list[@name='%2']").arg(section, listName);
    QString text = QueryText(QStringLiteral("%1/item[value=\"%2\"]/text").arg(list).arg(value));
    if (text.isEmpty())
        text = QueryText(QStringLiteral("%1/text[@name='%2']").arg(list).arg(value));
    return text;
}

int CResourceDatabase::GetListItemValue(const QString& section, const QString& listName, int index) const
{
    const QString list = QStringLiteral("/root/parameter[@name='%1']/list[@name='%2']").arg(section, listName);
    const QString value = QueryText(QStringLiteral("%1/item[@name='%2']/value").arg(list).arg(index));
    if (!value.isEmpty())
        return LeadingNumber(value);
    if (!QueryText(QStringLiteral("%1/text[@name='%2']").arg(list).arg(index)).isEmpty())
        return index;
    return -1;
}

QString CResourceDatabase::GetLanguageName() const
{
    return QueryText(QStringLiteral("/root/language"));
}
