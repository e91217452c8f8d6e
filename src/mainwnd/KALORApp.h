#pragma once
// The application object: runs the main window modally; the process ends when
// that window closes. There is no other user-interface loop.
#include <QApplication>

class CKALORApp : public QApplication {
    Q_OBJECT
public:
    CKALORApp(int& argc, char** argv);

    // Runs the station; returns false so that no loop of the application's own follows.
    bool InitInstance();
    int ExitInstance();

    // The settings store's organisation (the application's profile key).
    static const char* const kRegistryKey;
};
