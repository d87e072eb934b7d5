#pragma once
// Runs korva-cli from the build's program directory to its end, with standard output and
// standard error kept apart, in an environment of the test's own: a settings profile in a
// temporary directory and a plain locale, so that nothing depends on who runs the tests.

#include <QByteArray>
#include <QtGlobal>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace cli_test {

struct CliResult {
    int exitCode = -1; // -1: did not end by itself within the time
    QString out;
    QString err;
};

inline QString CliProgram()
{
    return QStringLiteral(KORVA_PROGRAM_DIR "/korva-cli");
}

// Points the programs this test starts at the profile in `configHome` (its TORVEN/KORVA.conf)
// and at the C locale, for as long as the object lives.
class CliEnvironment {
public:
    explicit CliEnvironment(const QString& configHome)
        : m_savedHome(qgetenv("XDG_CONFIG_HOME")), m_savedLang(qgetenv("LANG")), m_savedAll(qgetenv("LC_ALL"))
    {
        qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        qputenv("LANG", "C.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
    }
    ~CliEnvironment()
    {
        qputenv("XDG_CONFIG_HOME", m_savedHome);
        qputenv("LANG", m_savedLang);
        if (!m_savedAll.isEmpty())
            qputenv("LC_ALL", m_savedAll);
    }
    CliEnvironment(const CliEnvironment&) = delete;
    CliEnvironment& operator=(const CliEnvironment&) = delete;

    // The profile file the programs read: what the program would have stored.
    QString ProfileFile() const
    {
        return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/TORVEN/KORVA.conf");
    }

private:
    QByteArray m_savedHome;
    QByteArray m_savedLang;
    QByteArray m_savedAll;
};

// Runs the program with the test process's environment (see CliEnvironment).
inline CliResult RunCli(const QStringList& arguments, std::chrono::seconds limit = std::chrono::seconds(60))
{
    CliResult result;
    std::array<int, 2> out{};
    std::array<int, 2> err{};
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> words{CliProgram().toStdString()};
    for (const QString& argument : arguments)
        words.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const bool started = ::posix_spawn(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);

    QByteArray outBytes;
    QByteArray errBytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    std::array<pollfd, 2> fds{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    while (started && (fds[0].fd >= 0 || fds[1].fd >= 0) && std::chrono::steady_clock::now() < end) {
        if (::poll(fds.data(), fds.size(), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0)
                fds[i].fd = -1;
            else
                (i == 0 ? outBytes : errBytes).append(buffer, n);
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (started) {
        int status = 0;
        if (fds[0].fd >= 0 || fds[1].fd >= 0)
            ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) && fds[0].fd < 0 && fds[1].fd < 0)
            result.exitCode = WEXITSTATUS(status);
    }
    result.out = QString::fromUtf8(outBytes);
    result.err = QString::fromUtf8(errBytes);
    return result;
}

} // namespace cli_test
