#pragma once
// The configuration program's application object: names the settings profile and runs the main
// window modally for the whole life of the program.

#include <QApplication>

class CKORVAApp : public QApplication {
    Q_OBJECT
public:
    CKORVAApp(int& argc, char** argv);
    ~CKORVAApp() override;

    // Returns when the main window has closed; the program then ends.
    int Run();
};
