#include "views/CtrlFile.h"

#include <QFile>
#include <QSaveFile>

QByteArray CCtrlFile::NoLockRecord()
{
    QByteArray rec(kRecordLen, '0');
    rec[kRecordLen - 1] = 'A';
    return rec;
}

QByteArray CCtrlFile::ReadRecord(const QString& path, int liftIndex)
{
    if (liftIndex < 0 || liftIndex >= kRecords)
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    if (!file.seek(qint64(kRecordLen) * liftIndex))
        return QByteArray();
    return file.read(kRecordLen);
}

bool CCtrlFile::WriteRecord(const QString& path, int liftIndex, const QByteArray& record)
{
    if (liftIndex < 0 || liftIndex >= kRecords || record.size() != kRecordLen)
        return false;

    // Start from 64 no-lock records and lay over them what the old file has of
    // the 64; anything beyond them belongs to no lift.
    QByteArray image = NoLockRecord().repeated(kRecords);
    QFile old(path);
    if (old.open(QIODevice::ReadOnly)) {
        const QByteArray kept = old.read(kFileLen);
        image.replace(0, kept.size(), kept);
        old.close();
    }
    image.replace(kRecordLen * liftIndex, kRecordLen, record);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(image) != image.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
