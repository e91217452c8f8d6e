#include "link/CallRegistry.h"

#include <algorithm>
#include <limits>

namespace {

// Where one call lives in the command block.
struct CallSlot {
    Relaxed<std::int32_t>* word;
    std::int32_t bit;
    Relaxed<std::int16_t>* count;
};

// f: 0-based floor within the command block; kind as CallKind.
CallSlot SlotOf(strLiftCmd& cmd, int f, CallKind kind)
{
    const int page = f / 8;
    const int b = f % 8;
    switch (kind) {
    case CallKind::Car:
        return {&cmd.nCarCall[page], 1 << b, &cmd.nCarCallCnt[f]};
    case CallKind::Up:
        return {b < 4 ? &cmd.nHallCallLo[page] : &cmd.nHallCallHi[page], 1 << (2 * (b % 4)),
                &cmd.nUpCallCnt[f]};
    case CallKind::Down:
        break;
    }
    return {b < 4 ? &cmd.nHallCallLo[page] : &cmd.nHallCallHi[page], 1 << (2 * (b % 4) + 1),
            &cmd.nDownCallCnt[f]};
}

constexpr CallKind kKinds[] = {CallKind::Car, CallKind::Up, CallKind::Down};

std::int16_t& SentCount(strSentCalls& sent, int b, CallKind kind)
{
    switch (kind) {
    case CallKind::Car: return sent.nCarCnt[b];
    case CallKind::Up: return sent.nUpCnt[b];
    case CallKind::Down: break;
    }
    return sent.nDownCnt[b];
}

bool Carried(const strSentCalls& sent, const CallSlot& slot, const strLiftCmd& cmd)
{
    std::uint8_t byte = sent.byCarCall;
    if (slot.word != &cmd.nCarCall[sent.nPage])
        byte = slot.word == &cmd.nHallCallLo[sent.nPage] ? sent.byHallCallLo : sent.byHallCallHi;
    return (byte & slot.bit) != 0;
}

} // namespace

bool RegisterCall(strLiftCmd& cmd, int floor, CallKind kind, int countdown)
{
    if (floor < 1 || floor > kCmdFloors)
        return false;
    if (kind != CallKind::Car && kind != CallKind::Up && kind != CallKind::Down)
        return false;
    countdown = std::clamp(countdown, 0, int(std::numeric_limits<std::int16_t>::max()) - 1);
    const CallSlot slot = SlotOf(cmd, floor - 1, kind);
    // A call still pending keeps what it has left when that is more: pressing
    // again never shortens a call.
    std::int16_t current = slot.count->load();
    std::int16_t wanted;
    do {
        const int left = current < 0 ? -current - 1 : current;
        wanted = std::int16_t(-(std::max(countdown, left) + 1));
    } while (!slot.count->compare_exchange(current, wanted));
    // Countdown first, then the bit with release: whoever sees the bit sees the countdown.
    slot.word->fetch_or(slot.bit, std::memory_order_release);
    return true;
}

void RequestOneShot(strLiftCmd& cmd, int count)
{
    cmd.nOneShotCnt = std::int16_t(std::clamp(count, 0, int(std::numeric_limits<std::int16_t>::max())));
    cmd.bOneShot.store(1, std::memory_order_release);
}

strSentCalls TakePageCalls(strLiftCmd& cmd, int page)
{
    strSentCalls sent;
    if (page < 0 || page >= kCmdPages)
        return sent;
    sent.nPage = page;

    // Take every registration made so far: from here on the replies count.
    for (int b = 0; b < 8; ++b) {
        for (CallKind kind : kKinds) {
            Relaxed<std::int16_t>& count = *SlotOf(cmd, 8 * page + b, kind).count;
            std::int16_t c = count.load();
            while (c < 0 && !count.compare_exchange(c, std::int16_t(-c - 1))) {
            }
        }
    }

    sent.byCarCall = std::uint8_t(cmd.nCarCall[page].load(std::memory_order_acquire));
    sent.byHallCallLo = std::uint8_t(cmd.nHallCallLo[page].load(std::memory_order_acquire));
    sent.byHallCallHi = std::uint8_t(cmd.nHallCallHi[page].load(std::memory_order_acquire));

    // The countdown each carried call goes out with. A registration that came
    // in after the taking above is still negative: its reply will not age it.
    for (int b = 0; b < 8; ++b) {
        for (CallKind kind : kKinds) {
            const CallSlot slot = SlotOf(cmd, 8 * page + b, kind);
            std::int16_t& out = SentCount(sent, b, kind);
            out = -1;
            if (Carried(sent, slot, cmd)) {
                const std::int16_t c = slot.count->load();
                out = c < 0 ? std::int16_t(-1) : c;
            }
        }
    }
    return sent;
}

void AgeSentCalls(strLiftCmd& cmd, const strSentCalls& sent)
{
    if (sent.nPage < 0 || sent.nPage >= kCmdPages)
        return;
    for (int b = 0; b < 8; ++b) {
        for (CallKind kind : kKinds) {
            const CallSlot slot = SlotOf(cmd, 8 * sent.nPage + b, kind);
            if (!Carried(sent, slot, cmd))
                continue;
            std::int16_t taken = kind == CallKind::Car  ? sent.nCarCnt[b]
                                 : kind == CallKind::Up ? sent.nUpCnt[b]
                                                        : sent.nDownCnt[b];
            if (taken < 0)
                continue;
            if (taken > 0) {
                // Fails only when a registration came in meanwhile; it wins.
                slot.count->compare_exchange_strong(taken, std::int16_t(taken - 1));
                continue;
            }
            if (slot.count->load() != 0)
                continue;
            slot.word->fetch_and(~slot.bit, std::memory_order_acq_rel);
            // A registration whose bit we have just cleared has its countdown
            // visible now (release/acquire on the word): put the bit back.
            if (slot.count->load() != 0)
                slot.word->fetch_or(slot.bit, std::memory_order_release);
        }
    }
}

bool TakeOneShot(strLiftCmd& cmd)
{
    if (!cmd.bOneShot.load(std::memory_order_acquire))
        return false;
    std::int16_t c = cmd.nOneShotCnt.load();
    while (c > 0 && !cmd.nOneShotCnt.compare_exchange(c, std::int16_t(c - 1))) {
    }
    const int left = c > 0 ? c - 1 : 0;
    if (left <= 0) {
        cmd.bOneShot.exchange(0, std::memory_order_acq_rel);
        // A new request that came in meanwhile keeps the flag.
        if (cmd.nOneShotCnt.load() > 0)
            cmd.bOneShot.fetch_or(1, std::memory_order_release);
    }
    return true;
}
