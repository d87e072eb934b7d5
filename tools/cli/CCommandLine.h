#pragma once
// The words of a korva-cli command line, sorted into the command, its operands and its options.
// Each command states which options it takes and which of them carry a value; anything else is
// a usage error. Options may come anywhere after the command, as "--name VALUE" or
// "--name=VALUE"; "--" ends the options.

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

class CCommandLine {
public:
    struct KnownOption {
        const char* name; // "--tcp", "-o"
        bool takesValue;
    };

    // `arguments` without the program name. Throws CUsageError for an empty line.
    explicit CCommandLine(const QStringList& arguments);

    const QString& Command() const { return m_command; }
    // Whether help was asked for anywhere on the line ("--help", "-h").
    bool WantsHelp() const { return m_wantsHelp; }

    // Sorts the words after the command. Throws CUsageError for an option that the command
    // does not take, a missing value, or an option given twice.
    void Parse(const std::vector<KnownOption>& options);

    const QStringList& Operands() const { return m_operands; }
    bool Has(const QString& option) const { return m_values.contains(option); }
    // The option's value; empty when it was not given.
    QString Value(const QString& option) const { return m_values.value(option); }

    // Throws CUsageError unless there are between `least` and `most` operands; `what` names them
    // for the message ("FILE").
    void ExpectOperands(qsizetype least, qsizetype most, const QString& what) const;

private:
    QString m_command;
    QStringList m_rest;
    bool m_wantsHelp = false;
    QStringList m_operands;
    QMap<QString, QString> m_values;
};
