#pragma once
// The alarm sound through Qt Multimedia: a looping QSoundEffect on the WAV file.
#include <memory>

#include "mainwnd/AlarmSound.h"

class QSoundEffect;

class CSoundEffectAlarm : public CAlarmSound {
public:
    CSoundEffectAlarm();
    ~CSoundEffectAlarm() override;

    bool Open(const QString& file) override;
    bool PlayRepeat() override;
    bool Stop() override;
    bool SeekToStart() override;
    bool Close() override;

private:
    // Made on Open and let go on Close, so that a pop-up that never sounds
    // never starts the audio back end.
    QSoundEffect* m_pEffect = nullptr;
};
