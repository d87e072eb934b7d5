#include "app/DisplayLanguage.h"

#include "app/CResourceDatabase.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CException.h"

namespace {

const QString kJapaneseFile = QStringLiteral("Japanese.lng");
const QString kEnglishFile = QStringLiteral("English.lng");

} // namespace

QString NextLanguageFile(const QString& current)
{
    return current == kJapaneseFile ? kEnglishFile : kJapaneseFile;
}

void LoadDisplayLanguage(const QString& fileName)
{
    CResourceDatabase& database = CResourceDatabase::Instance();
    try {
        database.LoadLanguageFile(fileName);
    } catch (const CException& error) {
        CDebugTrace::Write(QStringLiteral("Language file not loaded: %1\n").arg(error.ErrorText()));
        throw;
    }
    CDebugTrace::Write(QStringLiteral("Language file loaded: %1 (%2)\n").arg(fileName, database.GetLanguageName()));
}
