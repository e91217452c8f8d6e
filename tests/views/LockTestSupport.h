#pragma once
// Helpers of the lock tests: the lock requests the simulator saw, a window
// that records the messages posted to it, and the lock files of the rig.

#include "ShowOneFixture.h"
#include "support/Files.h"
#include "views/ButState.h"
#include "views/CtrlFile.h"
#include "views/FloorB.h"
#include "views/FloorDlgB.h"
#include "views/LockMessages.h"
#include "views/ShowFloorDlg.h"

namespace lock_test {

using showone_test::Frame;

// A rig without the simulator: the lock tests that need no line.
inline const showone_test::strRigOptions kNoLine = [] { showone_test::strRigOptions o; o.withSim = false; return o; }();

// Lock requests (function 0x30) to the lift, oldest first.
inline std::vector<Frame> LockRequests(CLiftSim& sim, int liftNum = showone_test::kLiftNum)
{
    std::vector<Frame> out;
    for (const Frame& f : sim.requests())
        if (f.size() == 13 && f[0] == liftNum && f[1] == 0x30)
            out.push_back(f);
    return out;
}

// The "lock=HH" field of the simulator's dump: the lock byte in force.
inline QString LockInForce(CLiftSim& sim, int liftNum = showone_test::kLiftNum)
{
    const QString line = sim.dump(liftNum);
    const int at = line.indexOf(QStringLiteral("lock="));
    return at < 0 ? QString() : line.mid(at + 5, 2);
}

// Floor bits of a lock request: floor f (1..40) is bit (f-1)%8 of byte 3+(f-1)/8.
inline std::vector<int> LockedFloors(const Frame& f)
{
    std::vector<int> floors;
    for (int i = 0; i < 40; ++i)
        if (f[std::size_t(3 + i / 8)] & (1 << (i % 8)))
            floors.push_back(i + 1);
    return floors;
}

// Stands in for a window: keeps every window message posted to it.
using view_test::MessageSink;

inline QString CtrlFilePath() { return CShowOneDlg::GetSoftResourcePath(QStringLiteral("CtrlFile.txt")); }
inline QString LockTimePath() { return CShowOneDlg::GetSoftResourcePath(QStringLiteral("LockTime.txt")); }

// The record of lift index i in the file, as 43 characters (fewer if short).
inline QByteArray RecordOf(const QByteArray& file, int index)
{
    return file.mid(CCtrlFile::kRecordLen * index, CCtrlFile::kRecordLen);
}

// A record with the given whole-lift byte, mode byte and locked floors.
inline QByteArray MakeRecord(char whole, char mode, std::initializer_list<int> floors)
{
    QByteArray rec = CCtrlFile::NoLockRecord();
    rec[0] = whole;
    rec[1] = mode;
    for (int f : floors)
        rec[1 + f] = '1';
    return rec;
}

} // namespace lock_test
