#include "mainwnd/KALORApp.h"

#include "mainwnd/KALORDlg.h"

const char* const CKALORApp::kRegistryKey = "Local AppWizard-Generated Applications";

CKALORApp::CKALORApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool CKALORApp::InitInstance()
{
    setOrganizationName(QString::fromLatin1(kRegistryKey));
    {
        // The window lives on this frame only: its destructor stops the
        // workers and releases everything before the process ends.
        CKALORDlg dlg;
        dlg.DoModal();
    }
    return false;
}

int CKALORApp::ExitInstance()
{
    return 0;
}
