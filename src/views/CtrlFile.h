#pragma once
// SoftResoure/CtrlFile.txt: the lock state of every lift as one fixed 43-byte
// ASCII record per lift index (0..63) at offset 43 x index, no line breaks.
// Byte 0 whole-lift lock '0'/'1', byte 1 the floor-lock mode in force ('4'
// mode 2, '9' mode 4, '8' mode 3, '0' none), bytes 2..41 floors 1..40
// '0'/'1', byte 42 'A'. This class moves records; what the bytes mean is the
// page's.
#include <QByteArray>
#include <QString>

class CCtrlFile {
public:
    static constexpr int kRecordLen = 43;
    static constexpr int kRecords = 64;
    static constexpr int kFileLen = kRecordLen * kRecords;

    // Up to 43 bytes of the lift's record: fewer, or none, when the file is
    // missing or ends inside it, and none for an index outside 0..63.
    static QByteArray ReadRecord(const QString& path, int liftIndex);

    // Puts the lift's record into the file. The whole file is written anew
    // through a temporary file that replaces the old one, so a crash leaves
    // either the old file or the new one. Records that a missing or short file
    // lacks are written as no-lock records; the others keep their bytes.
    // False (nothing changed) for a bad index or record, or when the file
    // cannot be written.
    static bool WriteRecord(const QString& path, int liftIndex, const QByteArray& record);

    // "0" x 42 followed by "A": no lock at all.
    static QByteArray NoLockRecord();
};
