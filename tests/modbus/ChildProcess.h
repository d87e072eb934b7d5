#pragma once
// A program that a test runs beside itself (the simulator, a pymodbus server, socat): started
// with its arguments, read line by line until it says what the test waits for, and ended with
// a signal when the test is done (killed if the test ends first).

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <csignal>

namespace modbus_test {

class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& arguments)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
        m_started = m_process.waitForStarted(10000);
    }
    ~ChildProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The first capture of the first output line (from the start) that matches `pattern`,
    // waiting up to 10 s; `skip` matching lines are passed over first. Empty when none came.
    QString WaitForLine(const QRegularExpression& pattern, int skip = 0)
    {
        for (int waited = 0; m_started;) {
            int seen = 0;
            for (const QString& line : m_lines) {
                const auto match = pattern.match(line);
                if (match.hasMatch() && seen++ == skip)
                    return match.captured(1);
            }
            if (m_process.state() == QProcess::NotRunning || waited >= 10000)
                break;
            m_process.waitForReadyRead(100);
            waited += 100;
            while (m_process.canReadLine())
                m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
        }
        return {};
    }

    QString Output() const { return m_lines.join(u'\n'); }

    // Sends `signal`; the exit code, or -1 when it did not exit normally within 10 s.
    int Stop(int signal = SIGTERM)
    {
        ::kill(static_cast<pid_t>(m_process.processId()), signal);
        if (!m_process.waitForFinished(10000) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

private:
    QProcess m_process;
    QStringList m_lines;
    bool m_started = false;
};

} // namespace modbus_test
