#pragma once
// SoftResoure/LockTime.txt: the lock period, its enabled flag and the manual
// mode latch, one file for all lifts. Eight lines in a fixed order, each
// "key" + value + '\n':
//   AllLock=%d  PartLock=%d  StartTimeH=%2d  StartTimeM=%2d  StartTimeS=%2d
//   EndTimeH=%2d  EndTimeM=%2d  EndTimeS=%2d
#include <QByteArray>
#include <QString>
#include <cstdint>

struct strLockTime {
    std::uint8_t bModeLatch = 0;
    std::uint8_t bPeriodOn = 0;
    int nStartH = 0;
    int nStartM = 0;
    int nStartS = 0;
    int nEndH = 0;
    int nEndM = 0;
    int nEndS = 0;
};

class CLockTimeFile {
public:
    static constexpr int kLines = 8;

    // Reads the lines in their order into lt and returns how many were taken
    // before an empty line or the end of the file. Every line must carry its
    // expected key and a plain decimal value in range (hours 0..23, minutes and
    // seconds 0..59, the flags any number, above 0 meaning set), and no more
    // than the eight lines may come: otherwise the file is not ours and nothing
    // is taken (0, lt unchanged), as when it cannot be opened.
    static int Read(const QString& path, strLockTime& lt);

    // Writes the eight lines through a temporary file that replaces the old
    // one. False (nothing written) when the file cannot be made.
    static bool Write(const QString& path, const strLockTime& lt);

    static QByteArray Format(const strLockTime& lt);

    // A plain decimal number: optional leading blanks, then 1..9 digits and
    // nothing else; -1 for anything else.
    static int ParseValue(const QByteArray& text);
};
