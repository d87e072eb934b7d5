#pragma once
// The program's only door to XML: one document, read with XPath and built by appending
// elements. Every failure is thrown as a CPrivateException.
//
// A selection that finds nothing is an error; callers decide what it means. A failed create or
// load leaves the previous document in place. Reading (GetNodeText) is safe from several
// threads, also while another thread replaces the document with a create or a load.

#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <mutex>

class CXmlReaderWriter {
public:
    CXmlReaderWriter();
    virtual ~CXmlReaderWriter();
    CXmlReaderWriter(const CXmlReaderWriter&) = delete;
    CXmlReaderWriter& operator=(const CXmlReaderWriter&) = delete;

    // A new document with the utf-8 declaration and one empty root element.
    void CreateDocument(const QString& rootName);
    // Throws the parse report "line: %d\nsrc text: %s\nreason: %s" when the file cannot be read
    // or parsed.
    void LoadDocument(const QString& path);
    // Written next to the target and renamed over it once it is safely on disk, so the old
    // file survives any failure.
    void SaveDocument(const QString& path) const;

    // Text of the first node matching `expression`, evaluated with the root as context.
    QString GetNodeText(const QString& expression) const;

    pugi::xml_node AppendElement(const QString& parentExpression, const QString& name);
    void AppendTextElement(const QString& parentExpression, const QString& name, const QString& text);
    void AppendAttributedElement(const QString& parentExpression, const QString& name,
                                 const QString& text, const QString& attributeName,
                                 const QString& attributeValue);

private:
    struct Document;
    std::shared_ptr<const Document> Snapshot() const;
    pugi::xml_node SelectNode(const Document& document, const QString& expression) const;

    mutable std::mutex m_swap; // guards the pointer only, never a whole query
    std::shared_ptr<Document> m_document;
};
