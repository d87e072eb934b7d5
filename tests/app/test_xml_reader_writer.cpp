// ctest-label: integration
// The XML door: create, load, save and select with real files, every failure an error, and a
// save that never leaves a truncated or half-written file behind.

#include "app/CXmlReaderWriter.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class XmlReaderWriter : public ::testing::Test {
protected:
    QString PathOf(const char* name) const { return QDir(m_dir.path()).filePath(QString::fromUtf8(name)); }
    QTemporaryDir m_dir;
    CXmlReaderWriter m_xml;
};

TEST_F(XmlReaderWriter, SavesANewDocumentWithDeclarationAndEmptyRoot)
{
    m_xml.CreateDocument(QStringLiteral("root"));
    m_xml.SaveDocument(PathOf("new.xml"));
    EXPECT_EQ(ReadAll(PathOf("new.xml")), QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><root/>"));
}

TEST_F(XmlReaderWriter, BuildsAndReadsBackElementsTextsAndAttributes)
{
    m_xml.CreateDocument(QStringLiteral("root"));
    m_xml.AppendElement(QStringLiteral("/root"), QStringLiteral("group"));
    m_xml.AppendTextElement(QStringLiteral("/root/group"), QStringLiteral("name"), QStringLiteral("Wärme & <Licht> 日本"));
    m_xml.AppendAttributedElement(QStringLiteral("/root/group"), QStringLiteral("value"), QStringLiteral("12"),
                                  QStringLiteral("name"), QStringLiteral("a'b\"c"));
    m_xml.AppendTextElement(QStringLiteral("/root"), QStringLiteral("empty"), QString());
    m_xml.SaveDocument(PathOf("built.xml"));

    CXmlReaderWriter loaded;
    loaded.LoadDocument(PathOf("built.xml"));
    EXPECT_EQ(loaded.GetNodeText(QStringLiteral("/root/group/name")), QStringLiteral("Wärme & <Licht> 日本"));
    EXPECT_EQ(loaded.GetNodeText(QStringLiteral("/root/group/value[@name]")), QStringLiteral("12"));
    EXPECT_EQ(loaded.GetNodeText(QStringLiteral("/root/group")), QStringLiteral("Wärme & <Licht> 日本12"))
        << "an element's text is the text of all its descendants";
    EXPECT_EQ(loaded.GetNodeText(QStringLiteral("/root/empty")), QString());
    EXPECT_EQ(loaded.GetNodeText(QStringLiteral("/root/group/value/@name")), QStringLiteral("a'b\"c"));
}

TEST_F(XmlReaderWriter, ASelectionThatFindsNothingIsAnError)
{
    m_xml.CreateDocument(QStringLiteral("root"));
    EXPECT_THROW(m_xml.GetNodeText(QStringLiteral("/root/missing")), CPrivateException);
    EXPECT_THROW(m_xml.GetNodeText(QStringLiteral("/root[")), CPrivateException) << "a broken expression";
    EXPECT_THROW(m_xml.AppendTextElement(QStringLiteral("/root/missing"), QStringLiteral("x"), QStringLiteral("y")),
                 CPrivateException);
    m_xml.SaveDocument(PathOf("unchanged.xml"));
    EXPECT_EQ(ReadAll(PathOf("unchanged.xml")), QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><root/>"));

    CXmlReaderWriter nothing;
    EXPECT_THROW(nothing.GetNodeText(QStringLiteral("/root")), CPrivateException) << "no document yet";
}

TEST_F(XmlReaderWriter, ReportsTheLineTheSourceAndTheReasonOfAParseError)
{
    WriteAll(PathOf("broken.xml"), "<?xml version=\"1.0\"?>\n<root>\n  <a>text</b>\n</root>\n");
    m_xml.CreateDocument(QStringLiteral("previous"));
    m_xml.AppendTextElement(QStringLiteral("/previous"), QStringLiteral("kept"), QStringLiteral("yes"));
    try {
        m_xml.LoadDocument(PathOf("broken.xml"));
        FAIL() << "a broken file loaded";
    } catch (const CPrivateException& error) {
        const QStringList lines = error.ErrorText().split(u'\n');
        ASSERT_EQ(lines.size(), 3) << error.ErrorText().toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("line: 3"));
        EXPECT_EQ(lines[1], QStringLiteral("src text:   <a>text</b>"));
        EXPECT_TRUE(lines[2].startsWith(QStringLiteral("reason: ")));
        EXPECT_GT(lines[2].size(), 8);
    }
    EXPECT_EQ(m_xml.GetNodeText(QStringLiteral("/previous/kept")), QStringLiteral("yes"))
        << "a failed load keeps the previous document";

    try {
        m_xml.LoadDocument(PathOf("absent.xml"));
        FAIL() << "a missing file loaded";
    } catch (const CPrivateException& error) {
        EXPECT_TRUE(error.ErrorText().startsWith(QStringLiteral("line: ")));
        EXPECT_TRUE(error.ErrorText().contains(QStringLiteral("No such file or directory")));
    }
}

// Runs `body` in a child process without root's right to ignore permissions (as root, the
// child drops to an unprivileged user first). The child's exit code is `body`'s result.
bool RunUnprivileged(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(XmlReaderWriter, ASaveIntoAReadOnlyDirectoryFailsAndKeepsTheOldFile)
{
    const QString sub = PathOf("locked");
    ASSERT_TRUE(QDir().mkpath(sub));
    const QString target = QDir(sub).filePath(QStringLiteral("config.cfg"));
    WriteAll(target, "old contents");
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(sub).constData(), 0555), 0);
    m_xml.CreateDocument(QStringLiteral("root"));

    const bool refused = RunUnprivileged([&] {
        try {
            m_xml.SaveDocument(target);
            return false;
        } catch (const CPrivateException& error) {
            return error.ErrorText().contains(QStringLiteral("Permission denied"))
                && error.ErrorText().contains(target);
        }
    });
    ::chmod(QFile::encodeName(sub).constData(), 0755);
    EXPECT_TRUE(refused);
    EXPECT_EQ(ReadAll(target), QByteArray("old contents"));
    EXPECT_EQ(QDir(sub).entryList(QDir::Files).size(), 1) << "no temporary file is left behind";
}

TEST_F(XmlReaderWriter, AFailedRenameLeavesNoTemporaryFile)
{
    const QString sub = PathOf("target-is-a-directory");
    ASSERT_TRUE(QDir().mkpath(sub));
    m_xml.CreateDocument(QStringLiteral("root"));
    EXPECT_THROW(m_xml.SaveDocument(sub), CPrivateException);
    EXPECT_TRUE(QFileInfo(sub).isDir());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 0);
}

TEST_F(XmlReaderWriter, ASaveReplacesTheFileWholeAndKeepsItsPermissions)
{
    const QString target = PathOf("config.cfg");
    WriteAll(target, QByteArray(10000, 'x'));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    m_xml.CreateDocument(QStringLiteral("root"));
    m_xml.SaveDocument(target);
    EXPECT_EQ(ReadAll(target), QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><root/>"));
    EXPECT_EQ(QFileInfo(target).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteGroup), 0);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(XmlReaderWriter, ReadsSafelyWhileAnotherThreadReplacesTheDocument)
{
    WriteAll(PathOf("a.xml"), "<root><v>a</v></root>");
    WriteAll(PathOf("b.xml"), "<root><v>b</v></root>");
    m_xml.LoadDocument(PathOf("a.xml"));
    std::atomic<bool> stop = false;
    std::atomic<int> bad = 0;
    std::thread reader([&] {
        while (!stop) {
            const QString v = m_xml.GetNodeText(QStringLiteral("/root/v"));
            if (v != u"a" && v != u"b")
                ++bad;
        }
    });
    for (int i = 0; i < 200; ++i)
        m_xml.LoadDocument(PathOf(i % 2 ? "a.xml" : "b.xml"));
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
}

} // namespace
