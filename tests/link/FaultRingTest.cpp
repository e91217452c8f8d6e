// The fault occurrences between a reply and the save that writes them: each
// reply's code goes into the lift's ring by the one rule, the recorder takes
// them oldest first, and a ring that is full counts what found no room instead
// of writing over codes not taken yet.
#include <thread>
#include <vector>
#include <gtest/gtest.h>

#include "link/FaultRing.h"
#include "link/LiftDataStore.h"
#include "link/LiftFrames.h"

namespace {

std::vector<int> TakeAll(CFaultRing& ring)
{
    std::vector<int> codes;
    ring.Take(CFaultRing::kCapacity, &codes);
    return codes;
}

} // namespace

TEST(FaultRing, AFullRingKeepsTheOldestAndCountsWhatFoundNoRoom)
{
    CLiftDataStore store;
    strLiftInf& lift = store.m_pLiftInf[3];
    CFaultRing& ring = lift.faultRing;
    // A fault that flaps on every reply while nothing takes the codes: four
    // more than there is room for.
    const auto codeOf = [](std::uint32_t k) { return k % 2 == 0 ? 21 : 22; };
    for (std::uint32_t k = 0; k < CFaultRing::kCapacity + 4; ++k)
        TakeFaultCode(lift, codeOf(k));
    EXPECT_EQ(ring.Waiting(), CFaultRing::kCapacity);

    std::vector<int> first;
    EXPECT_EQ(ring.Take(5, &first), 5u);
    EXPECT_EQ(first, (std::vector<int>{21, 22, 21, 22, 21}));
    const std::vector<int> rest = TakeAll(ring);
    ASSERT_EQ(rest.size(), CFaultRing::kCapacity - 5);
    for (std::uint32_t k = 0; k < rest.size(); ++k)
        ASSERT_EQ(rest[k], codeOf(k + 5)) << "occurrence " << k + 5;
    EXPECT_EQ(ring.TakeDropped(), 4u);
    EXPECT_EQ(ring.TakeDropped(), 0u);

    // Room again once taken; a discarded lift's codes are gone for good.
    TakeFaultCode(lift, 30);
    TakeFaultCode(lift, 31);
    EXPECT_EQ(ring.Discard(), 2u);
    TakeFaultCode(lift, 32);
    EXPECT_EQ(TakeAll(ring), std::vector<int>{32});
}

TEST(FaultRing, AWorkerPuttingInWhileTheRecorderTakesLosesAndRepeatsNothing)
{
    CFaultRing ring;
    constexpr int kPushed = 300000;
    const auto codeOf = [](int k) { return k % 250 + 1; };
    std::thread worker([&] {
        for (int k = 0; k < kPushed; ++k)
            ring.Push(std::uint8_t(codeOf(k)));
    });
    std::vector<int> taken;
    taken.reserve(kPushed);
    std::uint32_t dropped = 0;
    while (taken.size() + dropped < std::size_t(kPushed)) {
        ring.Take(1000, &taken);
        dropped += ring.TakeDropped();
        if (taken.size() + dropped >= std::size_t(kPushed))
            break;
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(taken.size() + dropped, std::size_t(kPushed));
    // Only the newest find no room: what was taken is the pushed order with
    // at most a gap at a full ring, never a code twice or out of turn.
    std::size_t gaps = 0;
    for (std::size_t k = 1; k < taken.size(); ++k)
        gaps += taken[k] != taken[k - 1] % 250 + 1 ? 1 : 0;
    EXPECT_EQ(taken.front(), codeOf(0));
    if (dropped == 0)
        EXPECT_EQ(gaps, 0u);
    else
        EXPECT_LE(gaps, dropped);
}
