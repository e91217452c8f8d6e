#include "views/LockTimeFile.h"

#include <QFile>
#include <QSaveFile>
#include <array>

namespace {

struct strLine {
    const char* key;
    int maxValue;  // -1: a flag, any number
};

constexpr std::array<strLine, CLockTimeFile::kLines> kLineDefs = {{
    {"AllLock=", -1},
    {"PartLock=", -1},
    {"StartTimeH=", 23},
    {"StartTimeM=", 59},
    {"StartTimeS=", 59},
    {"EndTimeH=", 23},
    {"EndTimeM=", 59},
    {"EndTimeS=", 59},
}};

// A file longer than this is not one of ours.
constexpr qint64 kMaxFile = 1024;

} // namespace

int CLockTimeFile::ParseValue(const QByteArray& text)
{
    int i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const int digits = int(text.size()) - i;
    if (digits < 1 || digits > 9)
        return -1;
    int value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int CLockTimeFile::Read(const QString& path, strLockTime& lt)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // The whole file at once: a line is never cut at a buffer's end and its
    // tail taken for the next line. Ours is about a hundred bytes.
    const QByteArray text = file.read(kMaxFile + 1);
    if (text.size() > kMaxFile)
        return 0;
    strLockTime read = lt;
    std::array<int*, kLines> times = {nullptr, nullptr, &read.nStartH, &read.nStartM, &read.nStartS,
                                      &read.nEndH, &read.nEndM, &read.nEndS};
    const QList<QByteArray> lines = text.split('\n');
    int taken = 0;
    for (QByteArray line : lines) {
        // A file edited elsewhere may end its lines in CR LF.
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break;
        if (taken == kLines)
            return 0;
        const strLine& def = kLineDefs[std::size_t(taken)];
        if (!line.startsWith(def.key))
            return 0;
        const int value = ParseValue(line.mid(int(qstrlen(def.key))));
        if (value < 0 || (def.maxValue >= 0 && value > def.maxValue))
            return 0;
        if (taken == 0)
            read.bModeLatch = value > 0 ? 1 : 0;
        else if (taken == 1)
            read.bPeriodOn = value > 0 ? 1 : 0;
        else
            *times[std::size_t(taken)] = value;
        ++taken;
    }
    lt = read;
    return taken;
}

QByteArray CLockTimeFile::Format(const strLockTime& lt)
{
    const std::array<int, kLines> values = {lt.bModeLatch, lt.bPeriodOn, lt.nStartH, lt.nStartM,
                                            lt.nStartS, lt.nEndH, lt.nEndM, lt.nEndS};
    QByteArray out;
    for (int n = 0; n < kLines; ++n) {
        const int v = values[std::size_t(n)];
        // The flags as "%d", the times as "%2d" (a blank before one digit).
        const QByteArray text = QByteArray::number(v);
        out += kLineDefs[std::size_t(n)].key;
        if (n >= 2 && text.size() < 2)
            out += ' ';
        out += text;
        out += '\n';
    }
    return out;
}

bool CLockTimeFile::Write(const QString& path, const strLockTime& lt)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = Format(lt);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
