#include "mainwnd/SoundEffectAlarm.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

CSoundEffectAlarm::CSoundEffectAlarm() = default;

CSoundEffectAlarm::~CSoundEffectAlarm()
{
    Close();
}

bool CSoundEffectAlarm::Open(const QString& file)
{
    Close();
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        return false;
    m_pEffect = new QSoundEffect;
    m_pEffect->setLoopCount(QSoundEffect::Infinite);
    // The effect loads on its own; a file it cannot decode turns up later as
    // an error status, which the pop-up hears through the failure handler.
    QObject::connect(m_pEffect, &QSoundEffect::statusChanged, m_pEffect, [this] {
        if (m_pEffect && m_pEffect->status() == QSoundEffect::Error)
            ReportFailure();
    });
    m_pEffect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    // The failure handler may have closed the device during setSource.
    return m_pEffect && m_pEffect->status() != QSoundEffect::Error;
}

bool CSoundEffectAlarm::PlayRepeat()
{
    if (!m_pEffect || m_pEffect->status() == QSoundEffect::Error)
        return false;
    m_pEffect->play();
    return true;
}

bool CSoundEffectAlarm::Stop()
{
    if (!m_pEffect)
        return false;
    m_pEffect->stop();
    return true;
}

bool CSoundEffectAlarm::SeekToStart()
{
    // A sound effect always starts from its beginning.
    return m_pEffect != nullptr;
}

bool CSoundEffectAlarm::Close()
{
    if (!m_pEffect)
        return false;
    QSoundEffect* effect = m_pEffect;
    m_pEffect = nullptr;
    effect->disconnect();
    effect->stop();
    // Close may run inside the effect's own signal: let it go afterwards.
    effect->deleteLater();
    return true;
}
