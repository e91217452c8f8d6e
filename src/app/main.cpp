#include "mainwnd/KALORApp.h"
#include "platform/FontSetup.h"

int main(int argc, char** argv)
{
    // fontconfig reads its configuration once: point it at ours first.
    SetupFonts();
    CKALORApp theApp(argc, argv);
    theApp.InitInstance();
    return theApp.ExitInstance();
}
