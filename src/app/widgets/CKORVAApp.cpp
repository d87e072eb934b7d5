#include "app/widgets/CKORVAApp.h"

#include "app/widgets/CKORVADlg.h"

CKORVAApp::CKORVAApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // The profile is TORVEN/<program file name>; the application name is the program file's
    // base name already.
    setOrganizationName(QStringLiteral("TORVEN"));
    setDesktopFileName(QStringLiteral("korva"));
}

CKORVAApp::~CKORVAApp() = default;

int CKORVAApp::Run()
{
    CKORVADlg mainWindow;
    mainWindow.exec();
    return 0;
}
