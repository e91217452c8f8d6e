#pragma once
// A small top-level pop-up with one line of red alarm text, a blinking alarm
// icon and an alarm sound that loops until the pop-up is hidden or confirmed.
// The main window keeps two: one for fault alarms, one for a second alarm.
#include <QBasicTimer>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "mainwnd/AlarmSound.h"

class QLabel;
class QPushButton;

class CShowAlarmDlg : public QDialog {
    Q_OBJECT
public:
    // Without a sound device the pop-up plays through Qt Multimedia.
    // The main window passes itself as parent: the pop-up stays a top-level
    // window of its own, but one the modal main window does not block.
    explicit CShowAlarmDlg(std::unique_ptr<CAlarmSound> sound = nullptr, QWidget* parent = nullptr);
    ~CShowAlarmDlg() override;

    // Show: OK caption and text, start the blink and the sound unless the sound
    // is already playing, show the window (a shown pop-up only takes the new
    // text). Hide: stop blink and sound when playing, hide the window.
    void ShowAlarmPopup(bool bShow, const QString& text);
    // 1 when the sound file opened and loops; 0 otherwise, with the device closed.
    int PlayAlarmSound();
    // 1 when stop, rewind and close all succeeded; the device is closed and the
    // sound marked off whatever happens.
    int StopAlarmSound();

    // "ERROR n: " and the fault's name (nothing after the prefix for a code the
    // map does not know).
    static QString FaultAlarmText(int code, const std::map<int, QString>* names);

    const QStringList* m_pLanText = nullptr;  // given by the main window
    QString m_strSoundFile;                   // SoftResoure/AlarmSound/Error.wav
    int m_bSoundOn = 0;                       // 1 while the sound is open and playing
    int m_bIconHidden = 0;                    // blink phase

    QLabel* m_pText = nullptr;       // text 1031
    QLabel* m_pIcon = nullptr;       // icon 1177
    QPushButton* m_pOk = nullptr;    // OK (1)

    static constexpr int kBlinkMs = 500;  // timer 1

    bool IsBlinking() const { return m_tmBlink.isActive(); }

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void OnInitDialog();
    void FitText();
    void OnOK();
    void OnSoundFailed();

    std::unique_ptr<CAlarmSound> m_pSound;
    QBasicTimer m_tmBlink;
};
