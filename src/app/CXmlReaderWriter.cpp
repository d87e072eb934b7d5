#include "app/CXmlReaderWriter.h"

#include "modbus/CFileDescriptor.h"
#include "modbus/CMessageFormatter.h"
#include "modbus/CPrivateException.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

struct CXmlReaderWriter::Document {
    pugi::xml_document dom;
    pugi::xml_node root;
};

namespace {

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

[[noreturn]] void ThrowXml(CMessageFormatter::XmlResult code)
{
    throw CPrivateException(CMessageFormatter(code));
}

// The XPath string value of a node: an attribute's value, or the text of all descendants.
QString StringValue(const pugi::xpath_node& found)
{
    static const pugi::xpath_query stringValue("string(.)");
    return QString::fromUtf8(stringValue.evaluate_string(found).c_str());
}

QString ParseReport(std::size_t line, const QString& source, const QString& reason)
{
    return QStringLiteral("line: %1\nsrc text: %2\nreason: %3").arg(line).arg(source, reason);
}

// Writes `bytes` to a new file beside `path`, flushes it to disk and renames it over `path`.
// The old file stays as it was when anything fails.
void WriteFileAtomically(const QString& path, const std::string& bytes)
{
    const QFileInfo target(path);
    const QByteArray directory = QFile::encodeName(target.absolutePath());
    QByteArray tempName = QFile::encodeName(target.absoluteFilePath()) + ".XXXXXX";
    auto fail = [&path](int error) {
        throw CPrivateException(QStringLiteral("%1: %2").arg(path, CMessageFormatter(error).GetText()));
    };

    CFileDescriptor file(::mkstemp(tempName.data()));
    if (!file)
        fail(errno);
    auto removeTemp = [&tempName] { ::unlink(tempName.constData()); };

    // A new file gets the usual permissions; a replaced file keeps its own.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(file.Get(), mode);

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            removeTemp();
            fail(error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(file.Get()) != 0) {
        const int error = errno;
        removeTemp();
        fail(error);
    }
    file.Reset();
    if (::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        removeTemp();
        fail(error);
    }
    // Make the rename itself durable.
    CFileDescriptor dir(::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.Get());
}

} // namespace

CXmlReaderWriter::CXmlReaderWriter() = default;
CXmlReaderWriter::~CXmlReaderWriter() = default;

void CXmlReaderWriter::CreateDocument(const QString& rootName)
{
    auto document = std::make_shared<Document>();
    pugi::xml_node declaration = document->dom.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    document->root = document->dom.append_child(Utf8(rootName).c_str());
    if (!document->root)
        ThrowXml(CMessageFormatter::XmlResult::WriteFailed);
    std::lock_guard lock(m_swap);
    m_document = std::move(document);
}

void CXmlReaderWriter::LoadDocument(const QString& path)
{
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    if (!in) {
        const int error = errno;
        throw CPrivateException(ParseReport(0, QString(), CMessageFormatter(error).GetText()));
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    auto document = std::make_shared<Document>();
    const pugi::xml_parse_result result = document->dom.load_buffer(
        bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration, pugi::encoding_auto);
    if (!result) {
        const auto offset = std::min<std::size_t>(static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0)), bytes.size());
        const std::size_t line = 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
        const std::size_t lineStart = bytes.rfind('\n', offset == 0 ? 0 : offset - 1);
        const std::size_t begin = (lineStart == std::string::npos || offset == 0) ? 0 : lineStart + 1;
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string::npos)
            end = bytes.size();
        QString source = QString::fromUtf8(bytes.data() + begin, static_cast<qsizetype>(end - begin));
        if (source.endsWith(u'\r'))
            source.chop(1);
        throw CPrivateException(ParseReport(line, source, QString::fromUtf8(result.description())));
    }
    document->root = document->dom.document_element();
    if (!document->root)
        throw CPrivateException(ParseReport(1, QString(), QStringLiteral("The document has no root element.")));
    std::lock_guard lock(m_swap);
    m_document = std::move(document);
}

void CXmlReaderWriter::SaveDocument(const QString& path) const
{
    const auto document = Snapshot();
    std::ostringstream text;
    document->dom.save(text, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    if (!text)
        ThrowXml(CMessageFormatter::XmlResult::WriteFailed);
    WriteFileAtomically(path, text.str());
}

std::shared_ptr<const CXmlReaderWriter::Document> CXmlReaderWriter::Snapshot() const
{
    std::lock_guard lock(m_swap);
    if (!m_document)
        ThrowXml(CMessageFormatter::XmlResult::NoDocument);
    return m_document;
}

pugi::xml_node CXmlReaderWriter::SelectNode(const Document& document, const QString& expression) const
{
    try {
        const pugi::xpath_node found = document.root.select_node(Utf8(expression).c_str());
        if (!found)
            ThrowXml(CMessageFormatter::XmlResult::NoMatch);
        if (!found.node())
            ThrowXml(CMessageFormatter::XmlResult::NoMatch); // an attribute cannot take children
        return found.node();
    } catch (const pugi::xpath_exception&) {
        ThrowXml(CMessageFormatter::XmlResult::InvalidExpression);
    }
}

QString CXmlReaderWriter::GetNodeText(const QString& expression) const
{
    const auto document = Snapshot();
    try {
        const pugi::xpath_node found = document->root.select_node(Utf8(expression).c_str());
        if (!found)
            ThrowXml(CMessageFormatter::XmlResult::NoMatch);
        return StringValue(found);
    } catch (const pugi::xpath_exception&) {
        ThrowXml(CMessageFormatter::XmlResult::InvalidExpression);
    }
}

pugi::xml_node CXmlReaderWriter::AppendElement(const QString& parentExpression, const QString& name)
{
    auto document = std::const_pointer_cast<Document>(Snapshot());
    pugi::xml_node parent = SelectNode(*document, parentExpression);
    pugi::xml_node element = parent.append_child(Utf8(name).c_str());
    if (!element)
        ThrowXml(CMessageFormatter::XmlResult::WriteFailed);
    return element;
}

void CXmlReaderWriter::AppendTextElement(const QString& parentExpression, const QString& name,
                                         const QString& text)
{
    pugi::xml_node element = AppendElement(parentExpression, name);
    element.text().set(Utf8(text).c_str());
}

void CXmlReaderWriter::AppendAttributedElement(const QString& parentExpression, const QString& name,
                                               const QString& text, const QString& attributeName,
                                               const QString& attributeValue)
{
    pugi::xml_node element = AppendElement(parentExpression, name);
    element.text().set(Utf8(text).c_str());
    element.append_attribute(Utf8(attributeName).c_str()) = Utf8(attributeValue).c_str();
}
