#include "modbus/CMessageFormatter.h"

#include <cstring>

namespace {

// Hostile templates must not make us allocate without bound.
constexpr int kMaximumFieldWidth = 1024;

struct InsertFormat {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    int precision = -1;
    bool wide64 = false; // ll, I64, j: the integer is taken at 64 bits, else at 32 bits
    QChar conversion = u's';
};

// Parses the printf-style text between the exclamation marks. Returns false when it is not a
// form we render (the caller then renders the argument plainly and reports the problem).
bool ParseFormat(QStringView formatText, InsertFormat& format, QString& problem)
{
    qsizetype i = 0;
    for (; i < formatText.size(); ++i) {
        const QChar c = formatText[i];
        if (c == u'-') format.leftAlign = true;
        else if (c == u'+') format.plusSign = true;
        else if (c == u' ') format.spaceSign = true;
        else if (c == u'#') format.alternate = true;
        else if (c == u'0') format.zeroPad = true;
        else break;
    }
    auto readNumber = [&](int& target) {
        long long value = 0;
        bool any = false;
        while (i < formatText.size() && formatText[i].isDigit() && formatText[i].unicode() < 128) {
            value = value * 10 + (formatText[i].unicode() - u'0');
            if (value > kMaximumFieldWidth)
                value = kMaximumFieldWidth + 1;
            any = true;
            ++i;
        }
        if (any)
            target = static_cast<int>(value);
        return any;
    };
    if (i < formatText.size() && formatText[i] == u'*') {
        problem = QStringLiteral("a '*' width or precision is not supported");
        return false;
    }
    readNumber(format.width);
    if (i < formatText.size() && formatText[i] == u'.') {
        ++i;
        if (i < formatText.size() && formatText[i] == u'*') {
            problem = QStringLiteral("a '*' width or precision is not supported");
            return false;
        }
        format.precision = 0;
        readNumber(format.precision);
    }
    if (format.width > kMaximumFieldWidth || format.precision > kMaximumFieldWidth) {
        problem = QStringLiteral("field width or precision above %1").arg(kMaximumFieldWidth);
        return false;
    }
    const QStringView rest = formatText.mid(i);
    const QStringView lengths[] = {u"I64", u"I32", u"ll", u"hh", u"h", u"l", u"L", u"w", u"j", u"z", u"t", u"q"};
    QStringView remaining = rest;
    for (QStringView length : lengths) {
        if (remaining.startsWith(length)) {
            format.wide64 = length == u"I64" || length == u"ll" || length == u"j" || length == u"q";
            remaining = remaining.mid(length.size());
            break;
        }
    }
    if (remaining.size() != 1) {
        problem = QStringLiteral("unknown format \"%1\"").arg(formatText);
        return false;
    }
    format.conversion = remaining[0];
    static constexpr char16_t kKnown[] = u"diuxXocCsS";
    if (!std::char_traits<char16_t>::find(kKnown, std::size(kKnown) - 1, format.conversion.unicode())) {
        problem = QStringLiteral("format \"%1\" is not a text or integer format").arg(formatText);
        return false;
    }
    return true;
}

QString Pad(QString text, const InsertFormat& format, bool numeric)
{
    if (text.size() >= format.width)
        return text;
    const qsizetype fill = format.width - text.size();
    if (format.leftAlign)
        return text + QString(fill, u' ');
    if (numeric && format.zeroPad && format.precision < 0) {
        // Zeros go after a sign or a 0x prefix.
        qsizetype at = 0;
        if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+' || text[0] == u' '))
            at = 1;
        if (text.mid(at, 2).compare(u"0x", Qt::CaseInsensitive) == 0)
            at += 2;
        text.insert(at, QString(fill, u'0'));
        return text;
    }
    return QString(fill, u' ') + text;
}

QString FormatInteger(std::int64_t value, const InsertFormat& format)
{
    const QChar c = format.conversion;
    QString digits;
    QString prefix;
    if (c == u'd' || c == u'i') {
        const std::int64_t v = format.wide64 ? value : static_cast<std::int32_t>(value);
        const bool negative = v < 0;
        const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        digits = QString::number(magnitude);
        prefix = negative ? QStringLiteral("-") : format.plusSign ? QStringLiteral("+") : format.spaceSign ? QStringLiteral(" ") : QString();
    } else {
        const std::uint64_t v = format.wide64 ? static_cast<std::uint64_t>(value)
                                              : static_cast<std::uint32_t>(value);
        if (c == u'u')
            digits = QString::number(v);
        else if (c == u'o')
            digits = QString::number(v, 8);
        else {
            digits = QString::number(v, 16);
            if (c == u'X')
                digits = digits.toUpper();
            if (format.alternate && v != 0)
                prefix = c == u'X' ? QStringLiteral("0X") : QStringLiteral("0x");
        }
    }
    if (format.precision >= 0 && digits.size() < format.precision)
        digits.prepend(QString(format.precision - digits.size(), u'0'));
    if (format.precision == 0 && value == 0)
        digits.clear();
    return Pad(prefix + digits, format, true);
}

QString RenderArgument(const CMessageArgument& arg, QStringView formatText, QString& problem)
{
    auto plain = [&arg] { return arg.IsText() ? arg.Text() : QString::number(arg.Number()); };
    if (formatText.isEmpty()) {
        if (!arg.IsText())
            problem = QStringLiteral("an integer argument is inserted without a format");
        return plain();
    }
    InsertFormat format;
    if (!ParseFormat(formatText, format, problem))
        return plain();
    const QChar c = format.conversion;
    const bool textFormat = c == u's' || c == u'S';
    const bool charFormat = c == u'c' || c == u'C';
    if (textFormat) {
        if (!arg.IsText()) {
            problem = QStringLiteral("an integer argument is inserted with a text format");
            return plain();
        }
        QString text = arg.Text();
        if (format.precision >= 0)
            text.truncate(format.precision);
        return Pad(text, format, false);
    }
    if (arg.IsText()) {
        problem = QStringLiteral("a text argument is inserted with format \"%1\"").arg(formatText);
        return plain();
    }
    if (charFormat) {
        const auto code = static_cast<std::uint32_t>(arg.Number()) & 0xFFFF;
        return Pad(QString(QChar(static_cast<char16_t>(code))), format, false);
    }
    return FormatInteger(arg.Number(), format);
}

} // namespace

CMessageFormatter::CMessageFormatter(int systemError)
{
    char buffer[512] = {};
    // The GNU strerror_r returns the text, which need not be in our buffer.
    const char* text = strerror_r(systemError, buffer, sizeof buffer);
    m_text = QString::fromLocal8Bit(text ? text : "");
}

CMessageFormatter::CMessageFormatter(XmlResult code)
{
    switch (code) {
    case XmlResult::NoDocument: m_text = QStringLiteral("No XML document is loaded."); break;
    case XmlResult::NoMatch: m_text = QStringLiteral("The XML document has no node that matches the expression."); break;
    case XmlResult::InvalidExpression: m_text = QStringLiteral("The XPath expression is not valid."); break;
    case XmlResult::NotText: m_text = QStringLiteral("The XML node's value cannot be read as text."); break;
    case XmlResult::WriteFailed: m_text = QStringLiteral("The XML document could not be written."); break;
    }
}

CMessageFormatter::~CMessageFormatter() = default;

QString CMessageFormatter::FormatInserts(QStringView pattern, std::span<const CMessageArgument> args,
                                         QStringList* problems)
{
    QString out;
    out.reserve(pattern.size());
    auto report = [problems](const QString& problem) {
        if (problems && !problem.isEmpty())
            problems->append(problem);
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar next = pattern[++i];
        if (next == u'0')
            break;
        if (next == u'%' || next == u'.' || next == u'!') { out += next; continue; }
        if (next == u'n') { out += u'\n'; continue; }
        if (next == u'r') { out += u'\r'; continue; }
        if (next == u't') { out += u'\t'; continue; }
        if (!(next.unicode() >= u'1' && next.unicode() <= u'9')) {
            // Not an insert: the percent sign is dropped and the character kept.
            out += next;
            continue;
        }
        const qsizetype start = i - 1;
        int number = next.unicode() - u'0';
        if (i + 1 < pattern.size() && pattern[i + 1].unicode() >= u'0' && pattern[i + 1].unicode() <= u'9')
            number = number * 10 + (pattern[++i].unicode() - u'0');
        QStringView formatText;
        if (i + 1 < pattern.size() && pattern[i + 1] == u'!') {
            const qsizetype close = pattern.indexOf(u'!', i + 2);
            if (close < 0) {
                report(QStringLiteral("insert %%1 has an unterminated format").arg(number));
                out += pattern.mid(start);
                break;
            }
            formatText = pattern.mid(i + 2, close - i - 2);
            i = close;
        }
        if (number > static_cast<int>(args.size())) {
            report(QStringLiteral("insert %%1 has no argument").arg(number));
            out += pattern.mid(start, i - start + 1);
            continue;
        }
        QString problem;
        out += RenderArgument(args[static_cast<std::size_t>(number - 1)], formatText, problem);
        if (!problem.isEmpty())
            report(QStringLiteral("insert %%1: %2").arg(number).arg(problem));
    }
    return out;
}
