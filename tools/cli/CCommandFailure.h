#pragma once
// Ends a korva-cli command: the message for standard error (composed from the language file
// where the program has one) and the exit code that says what kind of failure it was. An empty
// message ends the command quietly (the user interrupted it).

#include "ExitCode.h"

#include <QString>

#include <exception>

class CCommandFailure : public std::exception {
public:
    CCommandFailure(ExitCode code, const QString& message) : m_code(code), m_message(message) {}

    ExitCode Code() const { return m_code; }
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return "korva-cli command failure"; }

private:
    ExitCode m_code;
    QString m_message;
};

// The command line is wrong; the message says how.
class CUsageError : public CCommandFailure {
public:
    explicit CUsageError(const QString& message) : CCommandFailure(ExitUsage, message) {}
};
