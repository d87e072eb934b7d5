#pragma once
// System error texts, and the insert syntax of message templates.
//
// Language files are edited by hand and may hold any text, so FormatInserts never trusts the
// template: an insert without an argument, or with a format that does not fit its argument, is
// rendered as readable text and reported, never passed to a printf-style function.

#include "modbus/CMessageArgument.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

class CMessageFormatter {
public:
    // Result codes of the XML document access, which has no system error texts of its own.
    enum class XmlResult {
        NoDocument = 1,     // no document was created or loaded
        NoMatch,            // a selection found no node
        InvalidExpression,  // an XPath expression could not be compiled
        NotText,            // a node's value cannot be read as text
        WriteFailed,        // serialising the document failed
    };

    // The system's text for an errno code; empty when the system has none.
    explicit CMessageFormatter(int systemError);
    explicit CMessageFormatter(XmlResult code);
    virtual ~CMessageFormatter();

    const QString& GetText() const { return m_text; }

    // Expands %1..%99 (optionally with a printf-style format between exclamation marks, such as
    // %2!d! or %1!s!), %% to a percent sign, %n to a line break, %t to a tab, %r to a carriage
    // return, %. and %! to themselves and %0 to the end of the text. Every problem found is
    // appended to `problems` when given.
    static QString FormatInserts(QStringView pattern, std::span<const CMessageArgument> args,
                                 QStringList* problems = nullptr);

private:
    QString m_text;
};
