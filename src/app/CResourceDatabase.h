#pragma once
// The one language database of the process: every text the program shows is looked up here.
// A missing text is never an error: lookups return the empty text and each caller decides.

#include "app/CResourceManager.h"
#include "app/CXmlReaderWriter.h"

#include <QString>
#include <QStringView>

class CResourceDatabase : public CResourceManager {
public:
    static CResourceDatabase& Instance();

    CResourceDatabase();
    ~CResourceDatabase() override;

    // An empty document (root "root").
    void ResetDatabase();
    // `fileName` is taken relative to the program's directory (an absolute path is used as it
    // stands). Throws "Can't read resource file ..." when the file cannot be loaded or is not a
    // language file.
    void LoadLanguageFile(const QString& fileName);

    QString QueryText(const QString& expression) const;
    QString GetGuiText(int dialogId, int controlId) const;
    QString GetMessageText(QStringView key) const;
    QString GetParameterText(const QString& section, const QString& textName) const;
    QString GetListItemText(const QString& section, const QString& listName, int value) const;
    // The value of the list entry at `index`, or -1 when the list has no such entry.
    int GetListItemValue(const QString& section, const QString& listName, int index) const;
    QString GetLanguageName() const;

private:
    CXmlReaderWriter m_xml;
};
