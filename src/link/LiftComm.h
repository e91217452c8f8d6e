#pragma once
// One communication context: the port, the request/reply buffers of each kind
// of exchange, the station table, the reply wait, and pointers to the part of
// the lift data store that the current worker serves (not owned). Used by one
// thread at a time: its worker, or the user-interface thread while no worker
// runs or while the single-lift worker is paused.
#include <array>
#include <chrono>
#include <cstdint>

#include "link/CallRegistry.h"
#include "link/GroupInf.h"
#include "link/LiftFrames.h"
#include "link/SerialPort.h"
#include "link/StationInf.h"

class CLiftDataStore;

constexpr int kStationCount = 16;
constexpr int kStatusReplyWaitMs = 100;  // the status poll's fixed wait
constexpr int kLockMaxSends = 50;
// The lateness of a page reply (from the end of its request to its first
// byte) that is still kept off another page. After a miss it is what the next
// request to that lift for another page waits, less the time already gone.
constexpr int kLateReplyToleranceMs = 350;

class CLiftComm {
public:
    CLiftComm();
    CLiftComm(const CLiftComm&) = delete;
    CLiftComm& operator=(const CLiftComm&) = delete;

    // Port 1..8, baud index 0..4; sets the reply wait from the index first.
    bool OpenComm(int port, int baudIndex);

    // Status poll of station index 0..15; parses nothing.
    int PollStation(int station);
    // Status poll for the synchronous scan; parses into the station's four records.
    int PollStationForScan(strLiftInf* firstLift);
    // True for a good status reply of station 1.
    bool ProbeStation();
    int ReadStationConfig(strLiftInf* firstLift, strLiftPage* firstPage);
    // Page exchange of the page record's nCurPage; groupPoll 1 from the group view.
    int ExchangePage(strLiftInf& lift, strLiftPage& page, strLiftCmd& cmd, int groupPoll);
    int ReadLiftParams(strLiftInf& lift, strLiftPage& page);
    int SendFloorCall(strLiftInf& lift, int floor);

    // 0 success, 1 no valid reply, 2 port error. A stop of the worker ends
    // the retries, and the pause before each, leaving the lift as it was.
    int ExchangePageRetry(int groupPoll, strLiftInf& lift, strLiftPage& page, strLiftCmd& cmd);
    // Calls the lift to its top floor: 0 success, 1 failed, 3 port error.
    int SendFloorCallRetry(strLiftInf& lift);

    // When the line is clear for a page request to this lift (a past time
    // when it is clear now). A page reply carries no page number: after an
    // exchange with the lift that was not a clean first-try success, a reply
    // to an earlier request may still come. A request for another page waits
    // until such a reply has surely arrived, and the send purges it; a retry
    // of the same page waits one reply wait and may take a late reply of its
    // own page. Page exchanges and parameter reads keep this wait themselves;
    // a worker waits first, where a stop can cut the wait short.
    std::chrono::steady_clock::time_point LineClearAt(int liftNum, int page) const;

    void BuildStationTable(strLiftInf* lifts);
    // Points the context at every lift of the store, as the all-lifts and group workers use it.
    void UseWholeTables(const CLiftDataStore& store);
    // floors: 40 flags (floor i+1 locked when floors[i] == 1), may be null.
    // 2 confirmed, 1 not confirmed or refused, 0 no valid reply, 3 port closed.
    int SendLockCommand(int floorLockMode, int wholeLock, const std::int32_t* floors, int onFlag,
                        int liftNum, int checkKind);
    // The configuration page's re-acquire, on the user-interface thread;
    // reports by sending messages to g_hPollTarget.
    void ScanAllStations(strLiftInf* lifts, strLiftPage* pages);

    // Builds the page request of the page record's nCurPage into m_PollTx.
    int BuildPageRequest(const strLiftInf& lift, const strLiftPage& page, strLiftCmd& cmd, int groupPoll);
    // Parses m_PollRx (already checked) and ages the calls the request carried.
    void ParsePageReply(strLiftInf& lift, strLiftPage& page, strLiftCmd& cmd);

    CSerialPort m_Port;
    FrameBuf m_PollTx{};
    FrameBuf m_PollRx{};
    FrameBuf m_CallTx{};
    FrameBuf m_CallRx{};
    int m_nBatchMode = 0;   // height run: 2 one lift, 3 all lifts
    int m_nReplyWait = 0;   // ms between the last request byte on the wire and the read
    int m_nLiftIndex = 0;   // height run of one lift: its 0-based index
    strGroupInf* m_pGroup = nullptr;
    strLiftInf* m_pLiftInf = nullptr;
    strLiftPage* m_pLiftPage = nullptr;
    strLiftCmd* m_pLiftCmd = nullptr;
    std::array<strStationInf, kStationCount> m_Station{};
    strLiftFault* m_pLiftFault = nullptr;
    FrameBuf m_LockTx{};
    FrameBuf m_LockRx{};

private:
    using Clock = std::chrono::steady_clock;

    // Purges both queues, writes the request and sleeps until waitMs after its
    // last byte left: the later of the drain and its wire time from the start
    // of the write (an adapter may report drained while it still sends).
    // Returns the bytes written; m_tRequestEnd is when its last byte left.
    int SendAndWait(const std::uint8_t* tx, int txLen, int waitMs);
    // The shared sequence: port check, purge, write, wait, one read.
    // COMM_OK with *received > 0, or the failure code.
    int Transact(const std::uint8_t* tx, int txLen, FrameBuf& rx, int waitMs, int* received);
    // Transact of the page-type request in m_PollTx for `page` once the line
    // is clear for it; check(n) judges (and parses) the n bytes received.
    template <typename Check>
    int PageTransact(int page, int txLen, Check check);

    // What an earlier page request to one lift may still bring.
    struct strLateReply {
        int nPage = -1;            // the page of the last request that may still be answered
        Clock::time_point tSure;   // by then such a reply has surely arrived
        Clock::time_point tRetry;  // after a miss: a retry goes out no earlier
    };

    strSentCalls m_PageSent;  // the calls the last page request carried
    int m_nPageSent = 0;      // the page it addressed
    Clock::time_point m_tRequestEnd;
    std::array<strLateReply, 256> m_LateReply{};  // per lift number
};

// Milliseconds of reply wait for a baud index; -1 for an index outside 0..4.
int ReplyWaitOfIndex(int baudIndex);
