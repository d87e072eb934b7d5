#pragma once
// A program that a test runs beside itself (the simulator, a pymodbus server, socat, mbpoll):
// started with its arguments, its output (standard output and error together) read line by
// line until it says what the test waits for, and ended with a signal when the test is done
// (killed if the test ends first).
//
// Started with posix_spawn rather than QProcess: QProcess's way of starting a child confuses
// ThreadSanitizer, which then reports races in unrelated code of the test.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace modbus_test {

class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& arguments)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
        std::vector<std::string> words{program.toStdString()};
        for (const QString& argument : arguments)
            words.push_back(argument.toStdString());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, words[0].c_str(), &actions, nullptr, argv.data(), environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_output = out[0];
    }
    ~ChildProcess()
    {
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, SIGKILL);
            Reap(std::chrono::seconds(5));
        }
        if (m_output >= 0)
            ::close(m_output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool IsStarted() const { return m_pid > 0; }

    // The first capture of the `skip`-th output line (from the start) that matches `pattern`,
    // waiting up to 10 s for it. Empty when none came.
    QString WaitForLine(const QRegularExpression& pattern, int skip = 0)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (std::size_t checked = 0;;) {
            for (; checked < static_cast<std::size_t>(m_lines.size()); ++checked) {
                const auto match = pattern.match(m_lines[static_cast<qsizetype>(checked)]);
                if (match.hasMatch() && skip-- == 0)
                    return match.captured(1);
            }
            if (!ReadSome(end))
                return {};
        }
    }

    // Waits up to `limit` for the program to end by itself; its exit code, or -1.
    int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (ReadSome(end)) {
        }
        return Reap(end - std::chrono::steady_clock::now());
    }

    // Sends `signal`; the exit code, or -1 when it did not exit normally within 10 s.
    int Stop(int signal = SIGTERM)
    {
        if (m_pid <= 0)
            return -1;
        ::kill(m_pid, signal);
        return WaitForExit(std::chrono::seconds(10));
    }

    // Everything the program has written so far.
    QString Output()
    {
        ReadSome(std::chrono::steady_clock::now());
        return m_lines.join(u'\n') + m_partial;
    }

private:
    // Reads what has come, waiting until `end` for more; false at the end of the output or
    // when the time is up.
    bool ReadSome(std::chrono::steady_clock::time_point end)
    {
        if (m_output < 0)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd fd{m_output, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0))) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(m_output);
            m_output = -1;
            return false;
        }
        m_partial += QString::fromUtf8(buffer, n);
        qsizetype newline = 0;
        while ((newline = m_partial.indexOf(u'\n')) >= 0) {
            m_lines << m_partial.left(newline).trimmed();
            m_partial.remove(0, newline + 1);
        }
        return true;
    }

    int Reap(std::chrono::steady_clock::duration limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (done < 0 || std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    pid_t m_pid = 0;
    bool m_exited = false;
    int m_output = -1;
    QStringList m_lines;
    QString m_partial;
};

} // namespace modbus_test
