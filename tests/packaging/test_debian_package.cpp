// ctest-label: integration
// Builds the Debian package from this build, unpacks it into a scratch root and starts the
// installed program offscreen from there: it must find its language files beside itself.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString RunTool(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
            const QString& directory = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!directory.isEmpty())
        process.setWorkingDirectory(directory);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(240000)) << program.toStdString();
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAll());
}

TEST(DebianPackage, InstallsAProgramThatFindsItsLanguageFiles)
{
    QTemporaryDir work;
    int code = -1;
    const QString log = RunTool(QStringLiteral("cpack"),
                            {QStringLiteral("--config"), QStringLiteral(KORVA_BINARY_DIR "/CPackConfig.cmake"),
                             QStringLiteral("-B"), work.path()}, &code);
    ASSERT_EQ(code, 0) << log.toStdString();
    const QStringList packages = QDir(work.path()).entryList({QStringLiteral("korva_*.deb")});
    ASSERT_EQ(packages.size(), 1) << log.toStdString();
    const QString package = QDir(work.path()).filePath(packages.first());

    const QString fields = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), package, QStringLiteral("Depends")});
    for (const char* dependency : {"libqt6widgets6", "libpugixml1v5", "qt6-qpa-plugins", "fonts-noto-cjk"})
        EXPECT_TRUE(fields.contains(QString::fromUtf8(dependency))) << dependency << " missing from: " << fields.toStdString();

    const QString root = QDir(work.path()).filePath(QStringLiteral("root"));
    RunTool(QStringLiteral("dpkg"), {QStringLiteral("-x"), package, root}, &code);
    ASSERT_EQ(code, 0);
    for (const char* file : {"usr/lib/korva/KORVA", "usr/lib/korva/English.lng", "usr/lib/korva/Japanese.lng",
                             "usr/bin/korva", "usr/share/applications/korva.desktop",
                             "usr/share/icons/hicolor/scalable/apps/korva.svg",
                             "usr/share/metainfo/org.korva.KORVA.metainfo.xml"})
        EXPECT_TRUE(QFileInfo::exists(QDir(root).filePath(QString::fromUtf8(file)))) << file;

    // Start the installed program through its command link, in a profile of its own.
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KORVA_TRACE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    program.setProcessEnvironment(environment);
    program.start(QDir(root).filePath(QStringLiteral("usr/bin/korva")), {});
    ASSERT_TRUE(program.waitForStarted());
    QString trace;
    QDeadlineTimer deadline(60000);
    while (!trace.contains(u'\n') && !deadline.hasExpired() && program.state() == QProcess::Running) {
        program.waitForReadyRead(200);
        trace += QString::fromUtf8(program.readAllStandardError());
    }
    program.kill();
    program.waitForFinished();
    EXPECT_TRUE(trace.contains(QStringLiteral("Language file loaded: English.lng (English)"))) << trace.toStdString();
}

} // namespace
