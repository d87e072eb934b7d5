#include "CommandSupport.h"

#include "CCommandFailure.h"

#include "app/CAppSettings.h"
#include "app/ConfigurationFile.h"
#include "app/DisplayLanguage.h"
#include "model/CDevInterface.h"
#include "modbus/CException.h"

void LoadLanguageOf(const CCommandLine& line)
{
    QString file = line.Value(QString::fromLatin1(kLanguageOption.name));
    if (file.isEmpty()) {
        CAppSettings settings;
        settings.LoadSettings();
        file = settings.GetLanguageFile();
    }
    try {
        LoadDisplayLanguage(file);
    } catch (const CException& error) {
        throw CCommandFailure(ExitFile, error.ErrorText());
    }
}

std::shared_ptr<CDevInterface> LoadSet(const QString& path)
{
    try {
        return LoadConfigurationFile(path);
    } catch (const CException& error) {
        throw CCommandFailure(ExitFile, error.ErrorText());
    }
}

void SaveSet(const CDevInterface& set, const QString& path)
{
    try {
        SaveConfigurationFile(set, path);
    } catch (const CException& error) {
        throw CCommandFailure(ExitFile, error.ErrorText());
    }
}

void CheckSet(const CDevInterface& set)
{
    try {
        set.CheckConsistency();
    } catch (const CException& error) {
        throw CCommandFailure(ExitRejected, error.ErrorText());
    }
}

QString RequiredValue(const CCommandLine& line, const QString& option, const QString& what)
{
    const QString value = line.Value(option);
    if (value.isEmpty())
        throw CUsageError(QStringLiteral("%1 needs %2 %3").arg(line.Command(), option, what));
    return value;
}
