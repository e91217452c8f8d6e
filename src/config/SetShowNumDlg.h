#pragma once
// The display-count dialog: how many lifts the all-lifts view puts in one
// column. OK keeps the dialog open until the number lies in 1..32.
#include <QDialog>
#include <QStringList>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class CSetShowNumDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetShowNumDlg(QWidget* parent = nullptr);

    int DoModal();

    std::int32_t m_nShowNum = 0;
    const QStringList* m_pTexts = nullptr;
    int m_nLanguageKind = 0;  // of the refusals, which no UI text fits

    static constexpr int kMinShowNum = 1;
    static constexpr int kMaxShowNum = 32;

protected:
    void OnInitDialog();
    void OnOK();
    // Moves m_nShowNum into the edit, or takes it back with the range check.
    bool UpdateData(bool bSaveAndValidate);

private:
    QString Text(int n) const;

    QLineEdit* m_edNum;       // 1176
    QLabel* m_stNum;          // 1178
    QPushButton* m_btOk;      // 1
    QPushButton* m_btCancel;  // 2
};
