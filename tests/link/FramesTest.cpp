// Request frames byte for byte, and every reply check and parse: what each
// parse writes, and that a refused reply writes nothing.
#include <gtest/gtest.h>

#include "LinkTestUtil.h"
#include "link/LiftFrames.h"

namespace {

Bytes Frame(const std::uint8_t* tx, int len) { return Bytes(tx, tx + len); }

// A page reply: floors, bottom, floor, position, door, mode byte, fault, three lamps, model.
Bytes PageReply(int lift, int floors, int bottom, int floor, int pos, int door, int modeByte, int fault, int car,
                int lo, int hi, int model)
{
    return WithCrc({std::uint8_t(lift), 0x00, std::uint8_t(floors), std::uint8_t(bottom), std::uint8_t(floor),
                    std::uint8_t(pos & 0xFF), std::uint8_t(pos >> 8), std::uint8_t(door), std::uint8_t(modeByte),
                    std::uint8_t(fault), std::uint8_t(car), std::uint8_t(lo), std::uint8_t(hi), std::uint8_t(model),
                    0, 0});
}

Bytes StatusReply(int station, std::array<std::array<std::uint8_t, 4>, 4> groups, std::uint8_t function = 0x10)
{
    Bytes b{std::uint8_t(station), function};
    for (const auto& g : groups)
        b.insert(b.end(), g.begin(), g.end());
    return WithCrc(b);
}

} // namespace

TEST(Frames, RequestExamplesByteForByte)
{
    FrameBuf tx{};
    EXPECT_EQ(Frame(tx.data(), BuildStatusRequest(tx.data(), 1)),
              (Bytes{0x01, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0x02}));
    EXPECT_EQ(Frame(tx.data(), BuildConfigRequest(tx.data(), 1)),
              (Bytes{0x01, 0x1F, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x17, 0x82}));
    EXPECT_EQ(Frame(tx.data(), BuildParamRequest(tx.data(), 1)),
              (Bytes{0x01, 0x00, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0xA4, 0x01}));
    // Another address changes only the address and the CRC.
    const Bytes st16 = Frame(tx.data(), BuildStatusRequest(tx.data(), 16));
    EXPECT_EQ(st16, WithCrc({16, 0x10, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(Frames, FloorCallCarriesTheDownCallOfItsFloor)
{
    FrameBuf tx{};
    auto call = [&](int floor) { return Frame(tx.data(), BuildFloorCallRequest(tx.data(), 7, floor)); };
    EXPECT_EQ(call(8), WithCrc({7, 0, 0x00, 0, 0, 0x00, 0x80, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(9), WithCrc({7, 0, 0x20, 0, 0, 0x02, 0x00, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(1), WithCrc({7, 0, 0x00, 0, 0, 0x02, 0x00, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(4), WithCrc({7, 0, 0x00, 0, 0, 0x80, 0x00, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(5), WithCrc({7, 0, 0x00, 0, 0, 0x00, 0x02, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(64), WithCrc({7, 0, 0xE0, 0, 0, 0x00, 0x80, 1, 0, 0, 0, 0}));
    // No call bit for floor 0, nor for a floor no page byte can address.
    EXPECT_EQ(call(0), WithCrc({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(65), WithCrc({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(call(255), WithCrc({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST(Frames, PageRequestBytes)
{
    FrameBuf tx{};
    strPageRequest req;
    req.nLiftNum = 12;
    auto build = [&] { return Frame(tx.data(), BuildPageRequestFrame(tx.data(), req)); };

    req.nPage = 7;
    EXPECT_EQ(build(), WithCrc({12, 0, 0xE0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
    req.nMode = 2;
    req.bOneShot = true;
    EXPECT_EQ(build()[2], 0xE0 + 1 + 4);
    req.nMode = 3;
    EXPECT_EQ(build()[2], 0xE0 + 2 + 4);
    req.nPage = 8;  // a page no byte can address contributes nothing
    EXPECT_EQ(build()[2], 2 + 4);
    req.nPage = 32;
    EXPECT_EQ(build()[2], 2 + 4);

    req = strPageRequest{};
    req.nLiftNum = 3;
    req.nPage = 1;
    const std::pair<int, std::uint8_t> modes[] = {{4, 0x04}, {5, 0x08}, {6, 0x10}, {7, 0x20}, {8, 0x40}, {9, 0}, {1, 0}};
    for (auto [mode, bits] : modes) {
        req.nMode = mode;
        const Bytes f = build();
        EXPECT_EQ(f[3], bits) << "mode " << mode;
        EXPECT_EQ(f[2], 0x20) << "mode " << mode;
    }
    req.nMode = 6;
    req.bCmdBit1 = true;  // command bit 1 suppresses the mode bits
    EXPECT_EQ(build()[3], 0x02);
    req.bCmdBit0 = true;
    EXPECT_EQ(build()[3], 0x03);

    req = strPageRequest{};
    req.nLiftNum = 64;
    req.nPage = 2;
    req.byCarCall = 0x81;
    req.byHallCallLo = 0x24;
    req.byHallCallHi = 0x09;
    req.bCallFlag = false;
    EXPECT_EQ(build(), WithCrc({64, 0, 0x40, 0, 0x81, 0x24, 0x09, 0, 0, 0, 0, 0}));
}

TEST(Frames, LockRequest)
{
    FrameBuf tx{};
    std::array<std::int32_t, 40> floors{};
    floors[0] = 1;   // floor 1: byte 3 bit 0
    floors[8] = 1;   // floor 9: byte 4 bit 0
    floors[39] = 1;  // floor 40: byte 7 bit 7
    floors[20] = 2;  // only 1 counts
    EXPECT_EQ(Frame(tx.data(), BuildLockRequest(tx.data(), 5, 3, 1, floors.data(), 1)),
              WithCrc({5, 0x30, 0x02 | 0x08, 0x01, 0x01, 0x00, 0x00, 0x80, 0, 0, 0}));
    // Floor-lock mode without the on flag, and no whole-lift lock.
    EXPECT_EQ(Frame(tx.data(), BuildLockRequest(tx.data(), 5, 4, 0, nullptr, 0)),
              WithCrc({5, 0x30, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(BuildLockRequest(tx.data(), 5, 2, 0, nullptr, 1), 13);
    EXPECT_EQ(tx[2], 0x04);
    BuildLockRequest(tx.data(), 5, 4, 0, nullptr, 1);
    EXPECT_EQ(tx[2], 0x10);
    BuildLockRequest(tx.data(), 5, 7, 0, nullptr, 1);
    EXPECT_EQ(tx[2], 0x00);
}

TEST(Frames, PageCountStaysWithinTheCommandBlock)
{
    EXPECT_EQ(PageCountOf(0), 0);
    EXPECT_EQ(PageCountOf(-3), 0);
    EXPECT_EQ(PageCountOf(1), 1);
    EXPECT_EQ(PageCountOf(8), 1);
    EXPECT_EQ(PageCountOf(9), 2);
    EXPECT_EQ(PageCountOf(56), 7);
    EXPECT_EQ(PageCountOf(57), 7);
    EXPECT_EQ(PageCountOf(255), 7);
}

TEST(Frames, StatusReplyChecks)
{
    const Bytes good = StatusReply(2, {});
    EXPECT_EQ(CheckStatusReply(good.data(), 20, 2, true), COMM_OK);
    // A late reply of station 1 landing in station 2's exchange, in the poll and in the scan.
    const Bytes otherStation = StatusReply(1, {});
    EXPECT_EQ(CheckStatusReply(otherStation.data(), 20, 2, true), COMM_BAD_REPLY);
    EXPECT_EQ(CheckStatusReply(otherStation.data(), 20, 2, false), COMM_BAD_REPLY);

    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(CheckStatusReply(longer.data(), 21, 2, true), COMM_BAD_FRAME);
    EXPECT_EQ(CheckStatusReply(good.data(), 19, 2, true), COMM_BAD_FRAME);
    Bytes badCrc = good;
    badCrc[19] ^= 0x01;
    EXPECT_EQ(CheckStatusReply(badCrc.data(), 20, 2, true), COMM_BAD_FRAME);
    Bytes badPayload = good;
    badPayload[7] ^= 0x40;
    EXPECT_EQ(CheckStatusReply(badPayload.data(), 20, 2, true), COMM_BAD_FRAME);

    const Bytes otherFunction = StatusReply(2, {}, 0x1F);
    EXPECT_EQ(CheckStatusReply(otherFunction.data(), 20, 2, true), COMM_BAD_REPLY);
    EXPECT_EQ(CheckStatusReply(otherFunction.data(), 20, 2, false), COMM_OK);  // the scan does not look
}

TEST(Frames, StationStatusParse)
{
    std::array<strLiftInf, 4> lifts;
    std::array<strLiftFault, 4> faults;
    for (int i = 0; i < 4; ++i)
        FillDistinct(lifts[i], 100 * (i + 1));
    faults[1].nFaultCode = 9;
    faults[1].nFaultCount = 33;
    faults[2].nFaultCode = 0;
    faults[2].nFaultCount = 44;
    faults[3].nFaultCode = 5;
    faults[3].nFaultCount = 55;
    for (auto& l : lifts)
        l.bOffline = 0;
    const FieldMap before0 = Fields(lifts[0]);
    const FieldMap beforeFault0 = Fields(faults[0]);
    const int door1 = lifts[1].nDoorFlags, bits1 = lifts[1].nStatusBits, fault1 = lifts[1].nFaultCode;

    const Bytes rx = StatusReply(1, {{
        {0x85, 0xFF, 0xFF, 0xFF},               // lift absent: only offline
        {0x7F, 0b1010'1011, 0b1011'0110, 0x21},  // floor 127, run 1, flag A, door 0xA, bits 0x16, model 5
        {0x03, 0b0000'0101, 0x00, 0x00},        // run 2, flag B, no fault
        {0x00, 0b0000'0010, 0xFF, 0x05},        // bit 1 alone is standing; same fault as before
    }});
    ParseStationStatus(rx.data(), lifts.data(), faults.data());

    EXPECT_EQ(Changed(before0, Fields(lifts[0])), std::set<std::string>{"bOffline"});
    EXPECT_EQ(lifts[0].bOffline, 1);
    EXPECT_TRUE(Changed(beforeFault0, Fields(faults[0])).empty());

    const strLiftInf& l1 = lifts[1];
    EXPECT_EQ(l1.bOffline, 0);
    EXPECT_EQ(l1.nCurFloor, 127);  // the background poll takes the whole byte
    EXPECT_EQ(l1.nRunState, 1);
    EXPECT_EQ(l1.bFlagA, 1);
    EXPECT_EQ(l1.bFlagB, 0);
    EXPECT_EQ(l1.nDoorFlags, 0xA);
    EXPECT_EQ(l1.nDoorFlagsPrev, door1);
    EXPECT_EQ(l1.nStatusBits, 0x16);
    EXPECT_EQ(l1.nStatusBitsPrev, bits1);
    EXPECT_EQ(l1.nModel, 5);
    EXPECT_EQ(l1.nFaultCode, 0x21);
    EXPECT_EQ(l1.nFaultCodePrev, fault1);
    EXPECT_EQ(faults[1].nFaultCodePrev, 9);
    EXPECT_EQ(faults[1].nFaultCode, 0x21);
    EXPECT_EQ(faults[1].bNewFault, 1);
    EXPECT_EQ(faults[1].nFaultCount, 0);

    EXPECT_EQ(lifts[2].nRunState, 2);
    EXPECT_EQ(lifts[2].bFlagB, 1);
    EXPECT_EQ(lifts[2].bFlagA, 0);
    EXPECT_EQ(faults[2].bNewFault, 0);  // fault 0 is never new
    EXPECT_EQ(faults[2].nFaultCount, 44);

    EXPECT_EQ(lifts[3].nRunState, 0);
    EXPECT_EQ(lifts[3].nStatusBits, 0x1F);
    EXPECT_EQ(lifts[3].nModel, 7);
    EXPECT_EQ(faults[3].bNewFault, 0);  // unchanged code
    EXPECT_EQ(faults[3].nFaultCount, 55);

    // The fields a status group may write, and no other.
    const std::set<std::string> allowed{"bOffline", "nCurFloor", "nRunState", "bFlagA", "bFlagB", "nDoorFlags",
                                        "nDoorFlagsPrev", "nStatusBits", "nStatusBitsPrev", "nModel", "nFaultCode",
                                        "nFaultCodePrev"};
    strLiftInf fresh;
    FillDistinct(fresh);
    const FieldMap b = Fields(fresh);
    std::array<strLiftInf, 4> one;
    FillDistinct(one[2]);
    ParseStationStatus(rx.data(), one.data(), nullptr);  // no fault table: nothing else breaks
    for (const auto& name : Changed(b, Fields(one[2])))
        EXPECT_TRUE(allowed.count(name)) << name;
}

TEST(Frames, ScanStatusParse)
{
    std::array<strLiftInf, 4> lifts;
    for (int i = 0; i < 4; ++i)
        FillDistinct(lifts[i], 100 * (i + 1));
    const int model = lifts[1].nModel;
    const int bitsPrev = lifts[1].nStatusBitsPrev;
    lifts[3].bOffline = 0;
    const FieldMap before3 = Fields(lifts[3]);
    const Bytes rx = StatusReply(1, {{{0x41, 0x03, 0xE7, 0x08}, {0x7F, 0x01, 0xE7, 0x00}, {0, 0, 0, 0}, {0x80, 0, 0, 0}}},
                                 0x55);  // the scan does not look at byte 1
    ASSERT_EQ(CheckStatusReply(rx.data(), 20, 1, false), COMM_OK);
    ParseScanStatus(rx.data(), lifts.data());
    EXPECT_EQ(lifts[0].nCurFloor, 1);  // bits 0-5 only
    EXPECT_EQ(lifts[0].nRunState, 1);
    EXPECT_EQ(lifts[0].nStatusBits, 0xE7);  // the whole byte
    EXPECT_EQ(lifts[0].nFaultCode, 8);
    EXPECT_EQ(lifts[1].nCurFloor, 0x3F);
    EXPECT_EQ(lifts[1].nModel, model);
    EXPECT_EQ(lifts[1].nStatusBitsPrev, bitsPrev);
    EXPECT_EQ(Changed(before3, Fields(lifts[3])), std::set<std::string>{"bOffline"});
}

TEST(Frames, ConfigReplyChecksAndParse)
{
    std::array<strLiftInf, 4> lifts;
    std::array<strLiftPage, 4> pages;
    for (int i = 0; i < 4; ++i) {
        FillDistinct(lifts[i], 100 * (i + 1));
        lifts[i].bHeightKnown = 0;
        FillDistinct(pages[i]);
    }
    auto reply = [](std::uint8_t mask) {
        return WithCrc({3, mask, 17, 0, 0x10, 0x27,  // 17 floors, 10000
                        0, 0, 0, 0,                   // absent
                        80, 0, 0x34, 0x12,            // 80 floors: more than the command block
                        0x2C, 0x01, 0xFF, 0xFF});     // 300 floors
    };
    const FieldMap before1 = Fields(lifts[1]);
    const FieldMap before3 = Fields(lifts[3]);
    const FieldMap page1 = Fields(pages[1]);

    Bytes statusEcho = reply(0x10);
    EXPECT_EQ(CheckConfigReply(statusEcho.data(), 20, 3), COMM_NO_REPLY);
    Bytes bad = reply(0x05);
    bad[5] ^= 1;
    EXPECT_EQ(CheckConfigReply(bad.data(), 20, 3), COMM_BAD_FRAME);
    EXPECT_EQ(CheckConfigReply(bad.data(), 18, 3), COMM_BAD_FRAME);

    // Another station's reply: refused, after the status echo rule.
    Bytes otherStation = reply(0x0D);
    otherStation[0] = 2;
    otherStation = WithCrc(Bytes(otherStation.begin(), otherStation.end() - 2));
    EXPECT_EQ(CheckConfigReply(otherStation.data(), 20, 3), COMM_BAD_REPLY);
    otherStation[1] = 0x10;
    otherStation = WithCrc(Bytes(otherStation.begin(), otherStation.end() - 2));
    EXPECT_EQ(CheckConfigReply(otherStation.data(), 20, 3), COMM_NO_REPLY);

    const Bytes none = reply(0x00);
    ASSERT_EQ(CheckConfigReply(none.data(), 20, 3), COMM_OK);
    const FieldMap before0 = Fields(lifts[0]);
    ParseConfigReply(none.data(), lifts.data(), pages.data());
    EXPECT_TRUE(Changed(before0, Fields(lifts[0])).empty());

    const Bytes rx = reply(0x0D);  // lifts 0, 2, 3
    ASSERT_EQ(CheckConfigReply(rx.data(), 20, 3), COMM_OK);
    ParseConfigReply(rx.data(), lifts.data(), pages.data());
    EXPECT_EQ(lifts[0].nMaxFloor, 17);
    EXPECT_EQ(pages[0].nPageCount, 3);
    EXPECT_EQ(lifts[0].nHeight, 10000);
    EXPECT_EQ(lifts[0].bHeightKnown, 1);
    EXPECT_TRUE(Changed(before1, Fields(lifts[1])).empty());
    EXPECT_TRUE(Changed(page1, Fields(pages[1])).empty());
    EXPECT_EQ(lifts[2].nMaxFloor, 80);
    EXPECT_EQ(pages[2].nPageCount, 7);  // capped to the command block
    EXPECT_EQ(lifts[2].nHeight, 0x1234);
    EXPECT_EQ(lifts[3].nMaxFloor, 300);
    EXPECT_EQ(Changed(before3, Fields(lifts[3])), (std::set<std::string>{"nMaxFloor", "nHeight", "bHeightKnown"}));
}

TEST(Frames, PageReplyChecksAndParse)
{
    const Bytes rx = PageReply(9, 20, 1, 13, 0xBEEF, 0xFD, 0b1001'0111, 0x42, 0xA5, 0x5A, 0x0F, 0xFA);
    EXPECT_EQ(CheckPageReply(rx.data(), 18, 9), COMM_OK);
    EXPECT_EQ(CheckPageReply(rx.data(), 17, 9), COMM_BAD_FRAME);
    Bytes bad = rx;
    bad[16] ^= 0xFF;
    EXPECT_EQ(CheckPageReply(bad.data(), 18, 9), COMM_BAD_FRAME);
    const Bytes noFloors = PageReply(9, 0, 1, 13, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(CheckPageReply(noFloors.data(), 18, 9), COMM_BAD_REPLY);
    // The function echo is not examined; the address is.
    const Bytes otherEcho = WithCrc({9, 0x30, 5, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(CheckPageReply(otherEcho.data(), 18, 9), COMM_OK);
    const Bytes otherLift = WithCrc({77, 0x00, 5, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(CheckPageReply(otherLift.data(), 18, 9), COMM_BAD_REPLY);
    EXPECT_EQ(CheckPageReply(otherLift.data(), 18, 77), COMM_OK);

    strLiftInf lift;
    strLiftPage page;
    FillDistinct(lift);
    FillDistinct(page);
    lift.bRecInit = 1;
    lift.bFlagA = 0;
    const int mode = lift.nCtrlMode, fault = lift.nFaultCode;
    const FieldMap beforeLift = Fields(lift);
    const FieldMap beforePage = Fields(page);
    ParsePageFields(rx.data(), 3, lift, page);
    EXPECT_EQ(lift.nMaxFloor, 20);
    EXPECT_EQ(lift.nMinFloor, 1);
    EXPECT_EQ(lift.nCurFloor, 13);
    EXPECT_EQ(lift.nCarPos, 0xBEEF);
    EXPECT_EQ(lift.nDoorState, 5);
    EXPECT_EQ(lift.nCtrlMode, 7);
    EXPECT_EQ(lift.nCtrlModePrev, mode);
    EXPECT_EQ(lift.bFlagA, 1);
    EXPECT_EQ(lift.bFlagB, 0);
    EXPECT_EQ(lift.nRunState, 2);
    EXPECT_EQ(lift.nFaultCode, 0x42);
    EXPECT_EQ(lift.nFaultCodePrev, fault);
    EXPECT_EQ(lift.nModel, 2);
    EXPECT_EQ(page.nCarLamp[3], 0xA5);
    EXPECT_EQ(page.nHallLampLo[3], 0x5A);
    EXPECT_EQ(page.nHallLampHi[3], 0x0F);
    EXPECT_EQ(Changed(beforeLift, Fields(lift)),
              (std::set<std::string>{"nMaxFloor", "nMinFloor", "nCurFloor", "nCarPos", "nDoorState", "nCtrlMode",
                                     "nCtrlModePrev", "bFlagA", "bFlagB", "nRunState", "nFaultCode", "nFaultCodePrev",
                                     "nModel"}));
    EXPECT_EQ(Changed(beforePage, Fields(page)), (std::set<std::string>{"nCarLamp3", "nHallLampLo3", "nHallLampHi3"}));
}

TEST(Frames, PageReplyBeforeTheFirstBaselineCopiesTheLamps)
{
    const Bytes rx = PageReply(9, 20, 1, 13, 0, 0, 0x05, 0, 0x11, 0x22, 0x33, 1);
    strLiftInf lift;
    strLiftPage page;
    FillDistinct(lift);
    FillDistinct(page);
    lift.bRecInit = 0;
    ParsePageFields(rx.data(), 7, lift, page);
    EXPECT_EQ(lift.nCtrlModePrev, 5);
    EXPECT_EQ(page.nCarLampOld[7], 0x11);
    EXPECT_EQ(page.nHallLampLoOld[7], 0x22);
    EXPECT_EQ(page.nHallLampHiOld[7], 0x33);

    // A page outside the lamp arrays writes no lamp at all.
    FillDistinct(page);
    const FieldMap before = Fields(page);
    ParsePageFields(rx.data(), 8, lift, page);
    ParsePageFields(rx.data(), -1, lift, page);
    ParsePageFields(rx.data(), 200, lift, page);
    EXPECT_TRUE(Changed(before, Fields(page)).empty());
}

TEST(Frames, ParameterReply)
{
    strLiftInf lift;
    strLiftPage page;
    FillDistinct(lift);
    FillDistinct(page);
    const FieldMap beforeLift = Fields(lift);
    const FieldMap beforePage = Fields(page);

    EXPECT_EQ(ParseParamReply(nullptr, 0, 4, lift, page), COMM_NO_REPLY);
    const Bytes good = PageReply(4, 30, 2, 11, 0x0102, 7, 0xFF, 9, 1, 2, 3, 3);
    EXPECT_EQ(ParseParamReply(good.data(), 17, 4, lift, page), COMM_BAD_FRAME);
    Bytes bad = good;
    bad[4] ^= 1;
    EXPECT_EQ(ParseParamReply(bad.data(), 18, 4, lift, page), COMM_BAD_FRAME);
    // Lift 5's reply in lift 4's exchange stores nothing, not even the floor.
    const Bytes otherLift = PageReply(5, 30, 2, 11, 0x0102, 7, 0xFF, 9, 1, 2, 3, 3);
    EXPECT_EQ(ParseParamReply(otherLift.data(), 18, 4, lift, page), COMM_BAD_REPLY);
    EXPECT_TRUE(Changed(beforeLift, Fields(lift)).empty());
    EXPECT_TRUE(Changed(beforePage, Fields(page)).empty());

    ASSERT_EQ(ParseParamReply(good.data(), 18, 4, lift, page), COMM_OK);
    EXPECT_EQ(Changed(beforeLift, Fields(lift)),
              (std::set<std::string>{"nMaxFloor", "nMinFloor", "nCurFloor", "nCarPos"}));
    EXPECT_EQ(lift.nMaxFloor, 30);
    EXPECT_EQ(lift.nMinFloor, 2);
    EXPECT_EQ(lift.nCurFloor, 11);
    EXPECT_EQ(lift.nCarPos, 0x0102);
    EXPECT_EQ(Changed(beforePage, Fields(page)), std::set<std::string>{"nPageCount"});
    EXPECT_EQ(page.nPageCount, 4);

    // Zero floors: the floor and position are kept, the reply reports nothing.
    const Bytes zero = PageReply(4, 0, 1, 6, 0x0304, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(ParseParamReply(zero.data(), 18, 4, lift, page), COMM_NO_REPLY);
    EXPECT_EQ(lift.nMaxFloor, 30);
    EXPECT_EQ(lift.nCurFloor, 6);
    EXPECT_EQ(lift.nCarPos, 0x0304);
    EXPECT_EQ(page.nPageCount, 4);

    // One floor is not taken as a top floor, but still makes one page.
    const Bytes one = PageReply(4, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(ParseParamReply(one.data(), 18, 4, lift, page), COMM_OK);
    EXPECT_EQ(lift.nMaxFloor, 30);
    EXPECT_EQ(page.nPageCount, 1);

    const Bytes many = PageReply(4, 200, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(ParseParamReply(many.data(), 18, 4, lift, page), COMM_OK);
    EXPECT_EQ(lift.nMaxFloor, 200);
    EXPECT_EQ(page.nPageCount, 7);
}

TEST(Frames, FloorCallReply)
{
    strLiftInf lift;
    FillDistinct(lift);
    const FieldMap before = Fields(lift);
    EXPECT_EQ(ParseFloorCallReply(nullptr, 0, 4, lift), COMM_BAD_FRAME);
    const Bytes rx = PageReply(4, 12, 3, 12, 36000, 6, 0b1100'0111, 4, 1, 1, 1, 1);
    Bytes bad = rx;
    bad[17] ^= 1;
    EXPECT_EQ(ParseFloorCallReply(bad.data(), 18, 4, lift), COMM_BAD_FRAME);
    EXPECT_EQ(ParseFloorCallReply(rx.data(), 18, 3, lift), COMM_BAD_REPLY);
    EXPECT_TRUE(Changed(before, Fields(lift)).empty());
    ASSERT_EQ(ParseFloorCallReply(rx.data(), 18, 4, lift), COMM_OK);
    EXPECT_EQ(Changed(before, Fields(lift)),
              (std::set<std::string>{"nMaxFloor", "nCurFloor", "nCarPos", "nRunState", "nCtrlMode"}));
    EXPECT_EQ(lift.nMaxFloor, 12);
    EXPECT_EQ(lift.nCurFloor, 12);
    EXPECT_EQ(lift.nCarPos, 36000);
    EXPECT_EQ(lift.nRunState, 3);
    EXPECT_EQ(lift.nCtrlMode, 7);
}

TEST(Frames, LockReplyJudgement)
{
    const Bytes locked = WithCrc({5, 0x30, 0x02 | 0x08});
    const Bytes unlocked = WithCrc({5, 0x30, 0x00, 0x00});
    const Bytes refused = WithCrc({5, 0x00, 0x02});
    EXPECT_EQ(JudgeLockReply(locked.data(), 0, 1, 1, 0), 0);
    EXPECT_EQ(JudgeLockReply(locked.data(), 2, 1, 1, 0), 0);
    Bytes bad = locked;
    bad[4] ^= 1;
    EXPECT_EQ(JudgeLockReply(bad.data(), 5, 1, 1, 0), 0);
    EXPECT_EQ(JudgeLockReply(refused.data(), 5, 1, 1, 0), 1);

    EXPECT_EQ(JudgeLockReply(locked.data(), 5, 1, 1, 0), 2);    // lock wanted, confirmed
    EXPECT_EQ(JudgeLockReply(locked.data(), 5, 1, 0, 0), 1);    // unlock wanted, still locked
    EXPECT_EQ(JudgeLockReply(unlocked.data(), 6, 1, 0, 0), 2);  // unlock wanted, none shown
    EXPECT_EQ(JudgeLockReply(locked.data(), 5, 3, 0, 1), 2);    // floor-lock mode 3 on
    EXPECT_EQ(JudgeLockReply(locked.data(), 5, 2, 0, 1), 1);    // mode 2 not confirmed
    EXPECT_EQ(JudgeLockReply(locked.data(), 5, 4, 0, 0), 2);    // mode 4 off, bit clear
    EXPECT_EQ(JudgeLockReply(unlocked.data(), 6, 0, 1, 1), 2);  // unchecked kinds only need a reply
    EXPECT_EQ(JudgeLockReply(unlocked.data(), 6, 9, 1, 1), 2);
}
