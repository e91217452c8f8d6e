#pragma once
// The about box: program name and version, with an OK button that closes it.
#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    int DoModal() { return exec(); }

    static const char* const kCaption;
    static const char* const kVersionText;
    static const char* const kMenuText;
};
