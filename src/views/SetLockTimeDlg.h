#pragma once
// The lock-period editor of the single-lift page: start and end of the daily
// period (hours, minutes, seconds, 24-hour clock) with enable, disable and
// close. Enable and disable post WM_LOCKTIME_SET to the page, which applies
// the period. A modeless window owned by the page.
#include <QDialog>
#include <QPointer>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class CSetLockTimeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetLockTimeDlg(QWidget* parent = nullptr);

    // Stores the values and the flag, shows the values "%2d" in the edits and
    // puts the focus on the enable button when enabled, else on disable.
    void SetLockTime(int startH, int startM, int startS, int endH, int endM, int endS, int enabled);

    void OnBnClickedEnable();   // 1160
    void OnBnClickedDisable();  // 1174
    void OnBnClickedClose();    // 1175

    // Edits to texts (true) or texts to edits (false).
    void UpdateData(bool bSaveAndValidate);

    // A time field as a number: blanks skipped, then its leading digits; 0
    // when there are none.
    static int ParseTimeField(const QString& text);

    QPointer<QObject> m_hTarget;  // the page
    int m_nLanguageKind = 0;      // of the refusal, which no UI text fits; set by the page
    std::uint8_t m_bEnabled = 0;
    // Start hour, minute, second, end hour, minute, second.
    std::array<QString, 6> m_strTime;
    std::array<int, 6> m_nTime{};

    std::array<QLineEdit*, 6> m_edTime{};  // 1167..1172
    QLabel* m_stHeading = nullptr;
    QPushButton* m_btEnable = nullptr;   // 1160
    QPushButton* m_btDisable = nullptr;  // 1174
    QPushButton* m_btClose = nullptr;    // 1175

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyFonts();
};
