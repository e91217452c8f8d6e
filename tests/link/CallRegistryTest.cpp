// Call registration and ageing in the command block: the countdown rule, the
// one-shot rule, and that neither loses or shortens a call when the
// user-interface thread registers while the worker is between building a
// request and ageing its reply (proved under ThreadSanitizer by the stress test).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <tuple>

#include "LinkTestUtil.h"
#include "link/CallRegistry.h"

namespace {

// One answered page request of `page`: what it carried.
strSentCalls Answered(strLiftCmd& cmd, int page)
{
    const strSentCalls sent = TakePageCalls(cmd, page);
    AgeSentCalls(cmd, sent);
    return sent;
}

// Whether a request carried the call of `floor` (1-based) and kind.
bool Carries(const strSentCalls& s, int floor, CallKind kind)
{
    const int j = (floor - 1) % 8;
    const std::uint8_t hall = j < 4 ? s.byHallCallLo : s.byHallCallHi;
    return kind == CallKind::Car ? (s.byCarCall >> j) & 1 : (hall >> (2 * (j % 4) + (kind == CallKind::Down))) & 1;
}

// Answered requests of the call's page that carry it until it clears (20 at most).
int CarriedUntilClear(strLiftCmd& cmd, int floor, CallKind kind, int carried = 0)
{
    for (int i = 0; i < 20 && Carries(Answered(cmd, (floor - 1) / 8), floor, kind); ++i)
        ++carried;
    return carried;
}

} // namespace

TEST(CallRegistry, RegistrationSetsTheBitOfItsFloorAndKind)
{
    strLiftCmd cmd{};
    const std::tuple<int, CallKind, const Relaxed<int>*, int> calls[] = {
        {5, CallKind::Car, &cmd.nCarCall[0], 0x10},      {3, CallKind::Down, &cmd.nHallCallLo[0], 0x20},
        {14, CallKind::Up, &cmd.nHallCallHi[1], 0x04},   {56, CallKind::Car, &cmd.nCarCall[6], 0x80},
        {8, CallKind::Down, &cmd.nHallCallHi[0], 0x80},
    };
    for (const auto& [floor, kind, byte, bit] : calls) {
        ASSERT_TRUE(RegisterCall(cmd, floor, kind, 4));
        EXPECT_EQ(*byte, bit) << floor;
    }
    const FieldMap before = Fields(cmd);
    EXPECT_FALSE(RegisterCall(cmd, 0, CallKind::Car, 4));
    EXPECT_FALSE(RegisterCall(cmd, 57, CallKind::Up, 4));
    EXPECT_FALSE(RegisterCall(cmd, 3, CallKind(7), 4));
    EXPECT_TRUE(Changed(before, Fields(cmd)).empty());
}

TEST(CallRegistry, CountdownCountsOnlyAnsweredRequestsOfItsPageSentAfterIt)
{
    strLiftCmd cmd{};
    // Countdown 4: five answered requests; 0: one. Other pages, requests
    // never answered and pages outside the command block do not count.
    RegisterCall(cmd, 10, CallKind::Car, 4);
    RegisterCall(cmd, 11, CallKind::Up, 0);
    RegisterCall(cmd, 2, CallKind::Car, 4);
    for (int i = 0; i < 10; ++i) {
        TakePageCalls(cmd, 0);
        Answered(cmd, 2);
    }
    Answered(cmd, 7);
    Answered(cmd, -1);
    EXPECT_EQ(CarriedUntilClear(cmd, 11, CallKind::Up), 1);  // two requests: the second without it
    EXPECT_EQ(cmd.nCarCallCnt[9], 2);
    EXPECT_EQ(CarriedUntilClear(cmd, 10, CallKind::Car, 2), 5);
    EXPECT_EQ(CarriedUntilClear(cmd, 2, CallKind::Car), 5);
}

TEST(CallRegistry, PressingAgainNeverShortensOrLosesACall)
{
    strLiftCmd cmd{};
    // Pressed again while a request is out: its reply does not age the new press.
    RegisterCall(cmd, 4, CallKind::Car, 4);
    for (int i = 0; i < 3; ++i)
        Answered(cmd, 0);
    const strSentCalls inFlight = TakePageCalls(cmd, 0);
    ASSERT_TRUE(Carries(inFlight, 4, CallKind::Car));
    RegisterCall(cmd, 4, CallKind::Car, 4);
    AgeSentCalls(cmd, inFlight);
    EXPECT_EQ(CarriedUntilClear(cmd, 4, CallKind::Car), 5);
    // Pressed again just before the reply that clears it: kept.
    RegisterCall(cmd, 4, CallKind::Up, 0);
    const strSentCalls last = TakePageCalls(cmd, 0);
    RegisterCall(cmd, 4, CallKind::Up, 2);
    AgeSentCalls(cmd, last);
    EXPECT_EQ(cmd.nHallCallLo[0], 0x40);
    EXPECT_EQ(CarriedUntilClear(cmd, 4, CallKind::Up), 3);
    // A shorter count does not cut the first press short.
    RegisterCall(cmd, 6, CallKind::Car, 4);
    ASSERT_TRUE(Carries(Answered(cmd, 0), 6, CallKind::Car));
    RegisterCall(cmd, 6, CallKind::Car, 0);
    EXPECT_EQ(CarriedUntilClear(cmd, 6, CallKind::Car, 1), 5);
}

TEST(CallRegistry, OneShotGoesOutInExactlyTheAskedRequests)
{
    strLiftCmd cmd{};
    EXPECT_FALSE(TakeOneShot(cmd));
    RequestOneShot(cmd, 4);
    int carried = 0;
    for (int i = 0; i < 10; ++i)
        carried += TakeOneShot(cmd);
    EXPECT_EQ(carried, 4);
    EXPECT_EQ(cmd.bOneShot + cmd.nOneShotCnt, 0);
    // A flag without a count goes out once and clears.
    cmd.bOneShot = 1;
    EXPECT_TRUE(TakeOneShot(cmd));
    EXPECT_FALSE(TakeOneShot(cmd));
}

// The user-interface thread registers random calls while a worker thread
// builds and ages page requests. Each build logs two sequence numbers: one
// drawn before it takes the calls, one after. Each registration logs the
// second counter before it starts and the first after it returns. Afterwards:
// at the first build that begins after a registration has returned and does
// not carry its call, the call must have gone out in at least countdown+1
// answered requests whose taking ended after the registration began; with a
// request built before the registration counted against it, there would be
// one too few.
//
// Half the registrations aim at a request in flight (taken, not yet aged), the
// case that matters. The run is bounded by time as well as by count, and goes
// on until registrations have landed in enough requests' flights, so a slow or
// busy machine neither stretches it nor starves it of collisions.
namespace {

// A few hundred nanoseconds of busy waiting, without giving up the processor
// (a yield on a busy machine can take milliseconds).
void Spin(int rounds)
{
    static std::atomic<int> sink{0};
    for (int i = 0; i < rounds; ++i)
        sink.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

TEST(CallRegistryStress, NoCallIsLostOrShortenedWhileTheWorkerRuns)
{
    constexpr int kPages = 2;  // few pages: many collisions
    constexpr int kMaxRegistrations = 50000;
    constexpr int kWantedFlightsMet = 2000;  // requests that a registration landed in
    constexpr auto kTimeLimit = std::chrono::milliseconds(1500);
    constexpr std::size_t kLogSize = 3'000'000;
    constexpr std::size_t kTail = 1000;  // room for the builds after the operator stops
    strLiftCmd cmd{};

    struct Build {
        std::uint64_t start, end;
        int page;
        std::uint32_t carried;  // bit 3*b + kind-1
        bool answered;
    };
    struct Registration {
        std::uint64_t before;  // end counter before the registration began
        std::uint64_t after;   // start counter after it returned
        int countdown;
    };
    std::atomic<std::uint64_t> startSeq{0};
    std::atomic<std::uint64_t> endSeq{0};
    std::atomic<bool> uiDone{false};
    std::atomic<bool> logNearlyFull{false};
    // The request between its taking and its ageing: (start+1)*kPages + page, 0 for none.
    std::atomic<std::uint64_t> inFlight{0};
    std::vector<Build> builds;
    builds.reserve(kLogSize);

    std::thread worker([&] {
        std::mt19937 rng(7);
        int extra = 0;
        while (extra < 200) {
            if (uiDone.load())
                ++extra;
            const int page = int(rng() % kPages);
            const std::uint64_t start = startSeq.fetch_add(1);
            const strSentCalls sent = TakePageCalls(cmd, page);
            const std::uint64_t end = endSeq.fetch_add(1);
            std::uint32_t carried = 0;
            for (int call = 0; call < 24; ++call)
                carried |= std::uint32_t(Carries(sent, 8 * page + call / 3 + 1, CallKind(call % 3 + 1))) << call;
            // The request is on the line: leave the registering thread a window.
            inFlight = (start + 1) * kPages + std::uint64_t(page);
            // Mostly a short spin, which a second processor uses; now and then
            // the processor itself, so that sharing one still interleaves (the
            // run's time bound caps what a yield may cost on a busy machine).
            if (rng() % 8 == 0)
                std::this_thread::yield();
            else
                Spin(int(rng() % 400));
            const bool answered = rng() % 8 != 0;  // some requests get no reply
            if (answered)
                AgeSentCalls(cmd, sent);
            inFlight = 0;
            builds.push_back({start, end, page, carried, answered});
            if (builds.size() + kTail >= kLogSize)
                logNearlyFull = true;
        }
    });

    std::vector<std::vector<std::vector<Registration>>> regs(kPages, std::vector<std::vector<Registration>>(24));
    std::mt19937 rng(11);
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    int registrations = 0;
    int flightsMet = 0;  // requests in flight that a registration of their page landed in
    std::uint64_t lastFlightMet = 0;
    // Enough: many flights met, or the full count with a fair number of them
    // (one processor meets a flight only when the worker is preempted in it).
    const auto enough = [&] {
        return (flightsMet >= kWantedFlightsMet && registrations >= kMaxRegistrations / 5)
               || (flightsMet >= kWantedFlightsMet / 10 && registrations >= kMaxRegistrations);
    };
    while (!enough() && !logNearlyFull.load() && std::chrono::steady_clock::now() < deadline) {
        int page = int(rng() % kPages);
        if (rng() % 2 == 0) {
            // Aim at a request in flight: its page, while the worker holds it.
            for (int wait = 0; wait < 2000 && inFlight.load() == 0; ++wait)
                Spin(1);
            if (const std::uint64_t f = inFlight.load())
                page = int(f % kPages);
        }
        const int b = int(rng() % 4);  // half the floors of a page: more re-registrations
        const int kind = 1 + int(rng() % 3);
        const int countdown = int(rng() % 5);
        const std::uint64_t flightBefore = inFlight.load();
        const std::uint64_t before = endSeq.load();
        RegisterCall(cmd, 8 * page + b + 1, CallKind(kind), countdown);
        const std::uint64_t after = startSeq.load();
        if (flightBefore != 0 && flightBefore != lastFlightMet && int(flightBefore % kPages) == page
            && inFlight.load() == flightBefore) {
            lastFlightMet = flightBefore;
            ++flightsMet;
        }
        regs[page][3 * b + kind - 1].push_back({before, after, countdown});
        ++registrations;
        Spin(int(rng() % 400));
    }
    uiDone = true;
    worker.join();
    ASSERT_LE(builds.size(), kLogSize) << "log overflow";
    // A handful is enough to make the check below mean something; a quiet
    // machine sees thousands.
    EXPECT_GE(flightsMet, 50) << "the registrations never met a request in flight";

    int checked = 0;
    for (int page = 0; page < kPages; ++page) {
        std::vector<const Build*> pb;
        for (const Build& b : builds)
            if (b.page == page)
                pb.push_back(&b);
        for (int call = 0; call < 24; ++call) {
            const auto& callRegs = regs[page][call];
            // prefix[i]: answered builds among pb[0..i) that carried the call
            std::vector<int> prefix(pb.size() + 1, 0);
            for (std::size_t i = 0; i < pb.size(); ++i)
                prefix[i + 1] = prefix[i] + ((pb[i]->answered && ((pb[i]->carried >> call) & 1)) ? 1 : 0);
            std::size_t next = 0;  // registrations returned before the current build began
            std::ptrdiff_t lastChecked = -1;
            for (std::size_t j = 0; j < pb.size(); ++j) {
                while (next < callRegs.size() && callRegs[next].after <= pb[j]->start)
                    ++next;
                const std::ptrdiff_t latest = std::ptrdiff_t(next) - 1;
                if (latest < 0 || latest == lastChecked || ((pb[j]->carried >> call) & 1))
                    continue;
                lastChecked = latest;
                const Registration& r = callRegs[std::size_t(latest)];
                const auto first = std::partition_point(pb.begin(), pb.end(),
                                                        [&r](const Build* b) { return b->end < r.before; });
                const int carries = prefix[j] - prefix[std::size_t(first - pb.begin())];
                ASSERT_GE(carries, r.countdown + 1) << "page " << page << " call " << call << " dropped at build "
                                                    << pb[j]->start << ", registered after " << r.before;
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 50);
    std::printf("[          ] %d registrations, %d requests met in flight, %d checks\n", registrations,
                flightsMet, checked);
    // Once the operator stops, every call runs out and the block is clean.
    for (const auto& [name, value] : Fields(cmd))
        EXPECT_EQ(value, 0) << name;
}
