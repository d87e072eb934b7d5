// ctest-label: integration
// The launcher starts "msiexec /i App_x86 SETUPVAR1=0" from PATH in the caller's directory,
// passes none of its own arguments, never waits, and exits 0 whether or not msiexec exists.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString kLauncher = QStringLiteral(KORVA_PROGRAM_DIR "/setup");

// Runs the launcher with `path` as PATH from `directory`; returns its exit code.
int RunLauncher(const QString& path, const QString& directory)
{
    QProcess launcher;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), path);
    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(directory);
    launcher.start(kLauncher, {QStringLiteral("--own"), QStringLiteral("argument")});
    EXPECT_TRUE(launcher.waitForFinished(10000));
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    return launcher.exitCode();
}

TEST(SetupLauncher, StartsTheInstallerFromPathWithExactlyItsCommandLine)
{
    QTemporaryDir bin;
    QTemporaryDir packageDir;
    const QString record = QDir(bin.path()).filePath(QStringLiteral("record"));
    const QString standIn = QDir(bin.path()).filePath(QStringLiteral("msiexec"));
    {
        QFile script(standIn);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        // Written to a temporary name and renamed, so the test never reads half a record.
        script.write(QStringLiteral("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                         .arg(record).toUtf8());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    EXPECT_EQ(RunLauncher(bin.path() + QStringLiteral(":/usr/bin:/bin"), packageDir.path()), 0);

    // The launcher does not wait for the installer: wait for the record here.
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(record) && !deadline.hasExpired())
        QThread::msleep(10);
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "msiexec was not started";
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{QDir(packageDir.path()).canonicalPath(), QStringLiteral("/i"),
                                  QStringLiteral("App_x86"), QStringLiteral("SETUPVAR1=0")}));
}

TEST(SetupLauncher, ExitsZeroWhenNoInstallerCanBeStarted)
{
    QTemporaryDir empty;
    EXPECT_EQ(RunLauncher(empty.path(), empty.path()), 0);
}

} // namespace
