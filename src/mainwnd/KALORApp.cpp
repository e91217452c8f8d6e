#include "mainwnd/KALORApp.h"

#include <QPointer>

#include "mainwnd/KALORDlg.h"
#include "platform/QuitSignals.h"

const char* const CKALORApp::kRegistryKey = "Local AppWizard-Generated Applications";

CKALORApp::CKALORApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool CKALORApp::InitInstance()
{
    setOrganizationName(QString::fromLatin1(kRegistryKey));
    // A shutdown, Ctrl-C or a closed terminal closes the window as Exit does;
    // still handled while the window goes, so that nothing cuts its close short.
    QPointer<CKALORDlg> window;
    CQuitSignals quit([&window](int signal) {
        if (window)
            window->OnQuitSignal(signal);
    });
    {
        // The window lives on this frame only: its destructor stops the
        // workers and releases everything before the process ends.
        CKALORDlg dlg;
        window = &dlg;
        dlg.DoModal();
    }
    return false;
}

int CKALORApp::ExitInstance()
{
    return 0;
}
