// The configuration program KORVA: one main window for the life of the process.

#include "app/widgets/CKORVAApp.h"

int main(int argc, char** argv)
{
    CKORVAApp app(argc, argv);
    return app.Run();
}
