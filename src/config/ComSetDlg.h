#pragma once
// The serial-settings dialog: which port and which speed the link opens with.
// Shown at every login and Connect; it always opens on COM1 and 9600.
#include <QColor>
#include <QDialog>
#include <QStringList>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class CComSetDlg : public QDialog {
    Q_OBJECT
public:
    explicit CComSetDlg(QWidget* parent = nullptr);

    // Fills the combos and captions, then runs the dialog; QDialog::Accepted on OK.
    int DoModal();

    QColor m_brBack;
    QComboBox* m_cbPort;  // 1054
    QComboBox* m_cbBaud;  // 1055
    std::int32_t m_nPortIndex = 0;  // 0..7, set on OK
    std::int32_t m_nBaudIndex = 0;  // 0..2, set on OK
    const QStringList* m_pTexts = nullptr;

protected:
    void OnInitDialog();
    void OnOK();

private:
    QString Text(int n) const;

    QGroupBox* m_frame;
    QLabel* m_stPort;   // 1056
    QLabel* m_stBaud;   // 1057
    QPushButton* m_btOk;      // 1
    QPushButton* m_btCancel;  // 2
};
