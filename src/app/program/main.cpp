// The configuration program. For now it loads the settings and the language file and shows
// the main window's frame; the window's contents arrive with the main window itself.

#include "app/CAppSettings.h"
#include "app/CResourceDatabase.h"
#include "app/widgets/DialogTexts.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CPrivateException.h"

#include "KorvaVersion.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    CAppSettings settings;
    settings.LoadSettings();
    CResourceDatabase& database = CResourceDatabase::Instance();
    database.ResetDatabase();
    try {
        database.LoadLanguageFile(settings.GetLanguageFile());
        CDebugTrace::Write(QStringLiteral("Language file loaded: %1 (%2)\n")
                               .arg(settings.GetLanguageFile(), database.GetLanguageName()));
    } catch (const CException& error) {
        CDebugTrace::Write(QStringLiteral("Language file not loaded: %1\n").arg(error.ErrorText()));
        QMessageBox::critical(nullptr, QApplication::applicationName(), error.ErrorText());
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral(KORVA_PRODUCT_NAME " Version " KORVA_PRODUCT_VERSION));
    ApplyDialogTexts(102, window);
    ApplyDialogFont(window);
    window.resize(640, 720);
    window.show();
    return app.exec();
}
