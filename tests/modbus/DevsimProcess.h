#pragma once
// Runs korva-devsim for a test: starts it with the given options, waits for the lines in which
// it names its endpoints ("tcp: HOST:PORT", "pty: PATH"), and stops it with SIGTERM.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <map>

namespace modbus_test {

class DevsimProcess {
public:
    explicit DevsimProcess(const QStringList& arguments)
    {
        m_process.setProgram(QStringLiteral(KORVA_PROGRAM_DIR "/korva-devsim"));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        m_started = m_process.waitForStarted(10000);
    }

    ~DevsimProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The value printed after "NAME: ", waiting up to 10 s for it; empty when it never came.
    QString Endpoint(const QString& name)
    {
        const QString prefix = name + QStringLiteral(": ");
        for (int waited = 0; m_started; ) {
            for (const QString& line : m_lines)
                if (line.startsWith(prefix))
                    return line.mid(prefix.size());
            if (m_process.state() == QProcess::NotRunning || waited >= 10000)
                break;
            m_process.waitForReadyRead(100);
            waited += 100;
            while (m_process.canReadLine())
                m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
        }
        return {};
    }

    QString TcpPort()
    {
        const QString address = Endpoint(QStringLiteral("tcp"));
        return address.section(u':', -1);
    }

    // Sends `signal` and returns the exit code (-1 when it did not exit normally in time).
    int Stop(int signal = SIGTERM)
    {
        ::kill(static_cast<pid_t>(m_process.processId()), signal);
        if (!m_process.waitForFinished(10000) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

    QString StandardError() { return QString::fromUtf8(m_process.readAllStandardError()); }

private:
    QProcess m_process;
    QStringList m_lines;
    bool m_started = false;
};

} // namespace modbus_test
