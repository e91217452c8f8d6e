#pragma once
// A lift store and a communication context on COM1, pointed at a bus
// simulator of the test's own, plus a window that collects the messages the
// workers post or send.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "LinkTestUtil.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "support/LiftSim.h"
#include "support/MessageSink.h"

// Stands in for the window in g_hPollTarget.
using LoggedMessage = view_test::RecordedMessage;
using MessageLog = view_test::MessageSink;

// A message as one comparable value.
inline std::tuple<int, WPARAM, LPARAM> Msg(const LoggedMessage& m) { return {m.msg, m.wParam, m.lParam}; }

// Delivers posted messages until pred holds; false after timeoutMs.
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Page of a page request frame; whether it carries the car call of a floor.
inline int PageOf(const Bytes& f) { return f[2] >> 5; }
inline bool CarBit(const Bytes& f, int floor) { return f[4] & (1 << ((floor - 1) % 8)); }

inline void PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

inline int CountEntries(const char* dir)
{
    return int(QDir(QString::fromLatin1(dir)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

class SimLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.ResetLiftRecords();
        store.ResetLiftPages();
        store.ResetLiftCmds();
    }

    void TearDown() override
    {
        StopPollThread();
        PumpMessages();
        g_hPollTarget = nullptr;
        CSerialPort closer;  // leaves the port closed for the next test
        qunsetenv("LIFT_COM1");
    }

    // Starts the simulator (replies written at once) and opens COM1 on it.
    // Tests that count exchanges exactly keep the longest reply wait (index 0,
    // 80 ms), so that a slow simulator on a loaded machine cannot turn a good
    // reply into a retry; the others pass kFastLine.
    static constexpr int kFastLine = 4;
    void Start(QStringList args, int baudIndex = 0)
    {
        sim = std::make_unique<CLiftSim>(args);
        ASSERT_FALSE(sim->port().isEmpty());
        qputenv("LIFT_COM1", sim->port().toLocal8Bit());
        ASSERT_TRUE(comm.OpenComm(1, baudIndex));
    }

    // Marks lifts as installed in the store, as the loader would.
    void Install(std::initializer_list<int> liftNums, int floors)
    {
        for (int n : liftNums) {
            store.m_pLiftInf[n - 1].nKind = 1;
            store.m_pLiftInf[n - 1].nMaxFloor = floors;
            store.m_pLiftPage[n - 1].nPageCount = PageCountOf(floors);
        }
    }

    void StartAllLifts()
    {
        StartPollThread(PollAllThreadProc, &comm, &window, [this](CLiftComm& c) { c.UseWholeTables(store); });
    }
    void StartGroup(strGroupInf& group)
    {
        StartPollThread(PollGroupThreadProc, &comm, &window, [this, &group](CLiftComm& c) {
            c.UseWholeTables(store);
            c.m_pGroup = &group;
        });
    }
    void StartOneLift(int index)
    {
        StartPollThread(PollOneThreadProc, &comm, &window, [this, index](CLiftComm& c) {
            c.m_pLiftInf = &store.m_pLiftInf[index];
            c.m_pLiftPage = &store.m_pLiftPage[index];
            c.m_pLiftCmd = &store.m_pLiftCmd[index];
        });
    }
    // Height run: mode 2 of lift `index`, or mode 3 of all lifts.
    void StartHeightRun(int mode, int index = 0)
    {
        StartPollThread(BatchThreadProc, &comm, &window, [this, mode, index](CLiftComm& c) {
            c.m_nBatchMode = mode;
            c.m_nLiftIndex = index;
            c.m_pLiftInf = mode == 2 ? &store.m_pLiftInf[index] : store.m_pLiftInf;
        });
    }

    using Keep = std::function<bool(const Bytes&)>;
    static Keep PageTo(int liftNum)
    {
        return [liftNum](const Bytes& f) { return f.size() == 14 && f[0] == liftNum && f[1] == 0x00; };
    }
    static Keep StatusTo(int station)
    {
        return [station](const Bytes& f) { return f.size() == 12 && f[1] == 0x10 && (station == 0 || f[0] == station); };
    }
    static Keep ConfigTo(int station)
    {
        return [station](const Bytes& f) { return f.size() == 12 && f[0] == station && f[1] == 0x1F; };
    }
    static Keep LockTo(int liftNum)
    {
        return [liftNum](const Bytes& f) { return f.size() == 13 && f[0] == liftNum && f[1] == 0x30; };
    }
    // Request frames the simulator saw, filtered.
    std::vector<Bytes> Frames(const Keep& keep) const
    {
        std::vector<Bytes> out;
        for (auto& f : sim->requests())
            if (keep(f))
                out.push_back(f);
        return out;
    }
    std::size_t Seen(const Keep& keep) const { return Frames(keep).size(); }
    // The kept frames once at least n of them are there (the simulator may
    // lag behind the station on a loaded machine); fewer after 5 s.
    std::size_t SeenAtLeast(std::size_t n, const Keep& keep) const
    {
        std::size_t seen = 0;
        WaitUntil([&] { return (seen = Seen(keep)) >= n; }, 5000);
        return seen;
    }

    // Median gap in ms between successive kept requests as the simulator read
    // them: robust against one late reading, which shortens one gap and
    // lengthens the next.
    double MedianGapMs(const Keep& keep) const
    {
        std::vector<double> times, gaps;
        for (const auto& r : sim->timedRequests())
            if (keep(r.frame))
                times.push_back(r.tMs);
        for (std::size_t i = 1; i < times.size(); ++i)
            gaps.push_back(times[i] - times[i - 1]);
        if (gaps.empty())
            return 0;
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        return gaps[gaps.size() / 2];
    }

    LPARAM Context() const { return reinterpret_cast<LPARAM>(&comm); }

    CLiftDataStore store;
    CLiftComm comm;
    std::unique_ptr<CLiftSim> sim;
    MessageLog window;
};
