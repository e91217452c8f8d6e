#pragma once
// The alarm pop-up's sound device: open a file, play it in a loop, stop,
// rewind and close, each step reporting success. The station plays through
// Qt Multimedia (CSoundEffectAlarm); tests put a counting fake in its place.
#include <QString>
#include <functional>

class CAlarmSound {
public:
    virtual ~CAlarmSound() = default;

    virtual bool Open(const QString& file) = 0;
    virtual bool PlayRepeat() = 0;
    virtual bool Stop() = 0;
    virtual bool SeekToStart() = 0;
    virtual bool Close() = 0;

    // Called when the device fails on its own after a successful play (the
    // file turns out unreadable, the output goes away).
    void SetFailureHandler(std::function<void()> handler) { m_onFailure = std::move(handler); }

protected:
    void ReportFailure()
    {
        if (m_onFailure)
            m_onFailure();
    }

private:
    std::function<void()> m_onFailure;
};
