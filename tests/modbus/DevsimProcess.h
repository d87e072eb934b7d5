#pragma once
// Runs korva-devsim for a test and reads the endpoints it prints ("tcp: HOST:PORT",
// "pty: PATH").

#include "ChildProcess.h"

namespace modbus_test {

class DevsimProcess : public ChildProcess {
public:
    explicit DevsimProcess(const QStringList& arguments)
        : ChildProcess(QStringLiteral(KORVA_PROGRAM_DIR "/korva-devsim"), arguments)
    {
    }

    // What the simulator printed after "NAME: "; empty when it never did.
    QString Endpoint(const QString& name)
    {
        return WaitForLine(QRegularExpression(QStringLiteral("^%1: (.+)$").arg(name)));
    }

    QString TcpPort() { return Endpoint(QStringLiteral("tcp")).section(u':', -1); }
};

} // namespace modbus_test
