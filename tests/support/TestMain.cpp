// Test entry point: a Qt application object (widgets for gui tests, core otherwise) around
// GoogleTest, with the language database loaded from the English file beside the programs.

#include "app/CResourceDatabase.h"

#include <gtest/gtest.h>

#ifdef KORVA_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <QDir>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("KORVA"));
    ::testing::InitGoogleTest(&argc, argv);
    CResourceDatabase::Instance().LoadLanguageFile(
        QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng")));
    return RUN_ALL_TESTS();
}
