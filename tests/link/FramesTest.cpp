// Request frames byte for byte, and every reply check and parse: what each
// parse writes, and that a refused reply writes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "LinkTestUtil.h"
#include "link/LiftFrames.h"

namespace {

Bytes Built(const std::function<int(std::uint8_t*)>& build)
{
    FrameBuf tx{};
    const int len = build(tx.data());
    return Bytes(tx.begin(), tx.begin() + len);
}

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

Bytes Damaged(Bytes b, std::size_t at)
{
    b[at] ^= 0x01;
    return b;
}

} // namespace

TEST(Frames, CrcAndPageCount)
{
    EXPECT_EQ(CalcCrc16(nullptr, 0), 0xFFFF);
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(CalcCrc16(digits, sizeof digits), 0x4B37);
    // Page counts stay within the pages the command block covers.
    const std::pair<int, int> pages[] = {{0, 0}, {-3, 0}, {1, 1}, {8, 1}, {9, 2}, {56, 7}, {57, 7}, {255, 7}};
    for (auto [floors, count] : pages)
        EXPECT_EQ(PageCountOf(floors), count) << floors;
}

TEST(Frames, RequestsByteForByte)
{
    std::array<std::int32_t, 40> floors{};
    floors[0] = 1;   // floor 1: byte 3 bit 0
    floors[8] = 1;   // floor 9: byte 4 bit 0
    floors[39] = 1;  // floor 40: byte 7 bit 7
    floors[20] = 2;  // only 1 counts
    const auto floorCall = [](int floor) { return Built([=](std::uint8_t* tx) { return BuildFloorCallRequest(tx, 7, floor); }); };
    const auto lock = [&](int mode, int whole, bool withFloors, int on) {
        return Built([&](std::uint8_t* tx) { return BuildLockRequest(tx, 5, mode, whole, withFloors ? floors.data() : nullptr, on); });
    };
    const auto page = [](int page, int mode, bool oneShot, bool bit0, bool bit1) {
        const strPageRequest req{.nLiftNum = 12, .nPage = page, .nMode = mode, .bOneShot = oneShot, .bCmdBit0 = bit0, .bCmdBit1 = bit1};
        return Built([&](std::uint8_t* tx) { return BuildPageRequestFrame(tx, req); });
    };
    const strPageRequest calls{.nLiftNum = 64, .nPage = 2, .byCarCall = 0x81, .byHallCallLo = 0x24, .byHallCallHi = 0x09, .bCallFlag = false};
    const std::pair<Bytes, Bytes> cases[] = {
        {Built([](std::uint8_t* tx) { return BuildStatusRequest(tx, 1); }), {0x01, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0x02}},
        {Built([](std::uint8_t* tx) { return BuildStatusRequest(tx, 16); }), WithCrc({16, 0x10, 0, 0, 0, 0, 0, 0, 0, 0})},
        {Built([](std::uint8_t* tx) { return BuildConfigRequest(tx, 1); }), {0x01, 0x1F, 1, 2, 1, 2, 1, 2, 1, 2, 0x17, 0x82}},
        {Built([](std::uint8_t* tx) { return BuildParamRequest(tx, 1); }), {0x01, 0x00, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0xA4, 0x01}},
        // The floor call carries the down call of its floor; none for floor 0
        // or a floor no page byte can address.
        {floorCall(8), WithCrc({7, 0, 0x00, 0, 0, 0x00, 0x80, 1, 0, 0, 0, 0})},
        {floorCall(9), WithCrc({7, 0, 0x20, 0, 0, 0x02, 0x00, 1, 0, 0, 0, 0})},
        {floorCall(1), WithCrc({7, 0, 0x00, 0, 0, 0x02, 0x00, 1, 0, 0, 0, 0})},
        {floorCall(5), WithCrc({7, 0, 0x00, 0, 0, 0x00, 0x02, 1, 0, 0, 0, 0})},
        {floorCall(64), WithCrc({7, 0, 0xE0, 0, 0, 0x00, 0x80, 1, 0, 0, 0, 0})},
        {floorCall(0), WithCrc({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
        {floorCall(65), WithCrc({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
        // Page and mode base and one-shot in byte 2 (a page no byte can address
        // adds nothing); the mode bits in byte 3, suppressed by command bit 1.
        {page(7, 0, false, false, false), WithCrc({12, 0, 0xE0, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(7, 2, true, false, false), WithCrc({12, 0, 0xE5, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(7, 3, true, false, false), WithCrc({12, 0, 0xE6, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(9, 3, true, false, false), WithCrc({12, 0, 0x06, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(1, 4, false, false, false), WithCrc({12, 0, 0x20, 0x04, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(1, 8, false, false, false), WithCrc({12, 0, 0x20, 0x40, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(1, 9, false, false, false), WithCrc({12, 0, 0x20, 0x00, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(1, 6, false, false, true), WithCrc({12, 0, 0x20, 0x02, 0, 0, 0, 1, 0, 0, 0, 0})},
        {page(1, 6, false, true, true), WithCrc({12, 0, 0x20, 0x03, 0, 0, 0, 1, 0, 0, 0, 0})},
        {Built([&](std::uint8_t* tx) { return BuildPageRequestFrame(tx, calls); }), WithCrc({64, 0, 0x40, 0, 0x81, 0x24, 0x09, 0, 0, 0, 0, 0})},
        // Lock byte: whole lift 0x02, floor-lock modes 2..4 only with the on flag.
        {lock(3, 1, true, 1), WithCrc({5, 0x30, 0x0A, 0x01, 0x01, 0x00, 0x00, 0x80, 0, 0, 0})},
        {lock(4, 0, false, 0), WithCrc({5, 0x30, 0x00, 0, 0, 0, 0, 0, 0, 0, 0})},
        {lock(2, 0, false, 1), WithCrc({5, 0x30, 0x04, 0, 0, 0, 0, 0, 0, 0, 0})},
        {lock(7, 0, false, 1), WithCrc({5, 0x30, 0x00, 0, 0, 0, 0, 0, 0, 0, 0})},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(Frames, ReplyChecks)
{
    strLiftInf lift;
    strLiftPage pages;
    const Bytes status = StatusReply(2, {});
    const Bytes config = WithCrc({3, 0x05, 17, 0, 0x10, 0x27, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const Bytes page = PageReply(9, 20, 1, 13, 0, 0, 0, 0, 0, 0, 0, 0);
    using Check = std::function<int(const Bytes&, int n)>;
    const Check poll = [](const Bytes& b, int n) { return CheckStatusReply(b.data(), n, 2, true); };
    const Check scan = [](const Bytes& b, int n) { return CheckStatusReply(b.data(), n, 2, false); };
    const Check conf = [](const Bytes& b, int n) { return CheckConfigReply(b.data(), n, 3); };
    const Check pg = [](const Bytes& b, int n) { return CheckPageReply(b.data(), n, 9); };
    const Check param = [&](const Bytes& b, int n) { return ParseParamReply(b.data(), n, 9, lift, pages); };
    const Check call = [&](const Bytes& b, int n) { return ParseFloorCallReply(b.data(), n, 9, lift); };
    struct Case {
        const char* what;
        Check check;
        Bytes reply;
        int n, code;
    };
    const Case cases[] = {
        {"status", poll, status, 20, COMM_OK},
        {"status, bad CRC", poll, Damaged(status, 19), 20, COMM_BAD_FRAME},
        // A late reply of another station, in the poll and in the scan.
        {"status of station 1", poll, StatusReply(1, {}), 20, COMM_BAD_REPLY},
        {"scan, status of station 1", scan, StatusReply(1, {}), 20, COMM_BAD_REPLY},
        {"status, other function", poll, StatusReply(2, {}, 0x1F), 20, COMM_BAD_REPLY},
        {"scan, other function", scan, StatusReply(2, {}, 0x1F), 20, COMM_OK},  // the scan does not look
        {"config", conf, config, 20, COMM_OK},
        {"config, status echo", conf, WithCrc({3, 0x10, 17, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 20, COMM_NO_REPLY},
        {"config, bad CRC", conf, Damaged(config, 5), 20, COMM_BAD_FRAME},
        {"config of station 2", conf, WithCrc({2, 0x0D, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 20, COMM_BAD_REPLY},
        {"config of station 2, status echo", conf, WithCrc({2, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 20, COMM_NO_REPLY},
        {"page", pg, page, 18, COMM_OK},
        {"page, bad CRC", pg, Damaged(page, 16), 18, COMM_BAD_FRAME},
        {"page, no floors", pg, PageReply(9, 0, 1, 13, 0, 0, 0, 0, 0, 0, 0, 0), 18, COMM_BAD_REPLY},
        {"page, other echo", pg, WithCrc({9, 0x30, 5, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 18, COMM_OK},  // not examined
        {"page of lift 77", pg, PageReply(77, 5, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0), 18, COMM_BAD_REPLY},
        {"parameters, nothing", param, page, 0, COMM_NO_REPLY},
        {"parameters of lift 5", param, PageReply(5, 30, 2, 11, 0, 0, 0, 0, 0, 0, 0, 0), 18, COMM_BAD_REPLY},
        {"floor call of lift 5", call, PageReply(5, 30, 2, 11, 0, 0, 0, 0, 0, 0, 0, 0), 18, COMM_BAD_REPLY},
    };
    for (const Case& c : cases) {
        FillDistinct(lift);
        FillDistinct(pages);
        const FieldMap before = Fields(lift), beforePages = Fields(pages);
        EXPECT_EQ(c.check(c.reply, c.n), c.code) << c.what;
        if (c.code != COMM_OK) {  // a refused reply stores nothing
            EXPECT_TRUE(Changed(before, Fields(lift)).empty()) << c.what;
            EXPECT_TRUE(Changed(beforePages, Fields(pages)).empty()) << c.what;
        }
    }
}

TEST(Frames, StatusParses)
{
    std::array<strLiftInf, 4> lifts;
    std::array<strLiftFault, 4> faults;
    for (int i = 0; i < 4; ++i) {
        FillDistinct(lifts[i], 100 * (i + 1));
        lifts[i].bOffline = 0;
    }
    faults[1] = {0, 9, 0, 33, 0, 0, 0};
    faults[2] = {0, 0, 0, 44, 0, 0, 0};
    faults[3] = {0, 5, 0, 55, 0, 0, 0};
    const FieldMap before0 = Fields(lifts[0]), beforeFault0 = Fields(faults[0]), before1 = Fields(lifts[1]);
    const Bytes rx = StatusReply(1, {{
        {0x85, 0xFF, 0xFF, 0xFF},               // lift absent: only offline
        {0x7F, 0b1010'1011, 0b1011'0110, 0x21},  // floor 127, run 1, flag A, door 0xA, bits 0x16, model 5
        {0x03, 0b0000'0101, 0x00, 0x00},        // run 2, flag B, no fault
        {0x00, 0b0000'0010, 0xFF, 0x05},        // bit 1 alone is standing; same fault as before
    }});
    ParseStationStatus(rx.data(), lifts.data(), faults.data());
    EXPECT_EQ(Changed(before0, Fields(lifts[0])), std::set<std::string>{"bOffline"});
    EXPECT_TRUE(Changed(beforeFault0, Fields(faults[0])).empty());
    FieldMap expected1 = before1;
    for (const auto& [name, value] : std::map<std::string, long>{
             {"nCurFloor", 127}, {"nRunState", 1}, {"bFlagA", 1}, {"bFlagB", 0}, {"nDoorFlags", 0xA},
             {"nDoorFlagsPrev", before1.at("nDoorFlags")}, {"nStatusBits", 0x16},
             {"nStatusBitsPrev", before1.at("nStatusBits")}, {"nModel", 5}, {"nFaultCode", 0x21},
             {"nFaultCodePrev", before1.at("nFaultCode")}})
        expected1[name] = value;
    EXPECT_EQ(Fields(lifts[1]), expected1);  // the whole floor byte: the background poll
    EXPECT_EQ(Fields(faults[1]), (FieldMap{{"bNewFault", 1}, {"nFaultCode", 0x21}, {"nFaultCodePrev", 9}, {"nFaultCount", 0},
                                           {"nReserved1", 0}, {"nReserved2", 0}, {"nReserved3", 0}}));
    EXPECT_EQ(std::tuple(int(lifts[2].nRunState), int(lifts[2].bFlagB), int(lifts[2].bFlagA)), std::tuple(2, 1, 0));
    EXPECT_EQ(std::tuple(int(faults[2].bNewFault), int(faults[2].nFaultCount)), std::tuple(0, 44));  // fault 0 is never new
    EXPECT_EQ(std::tuple(int(lifts[3].nRunState), int(lifts[3].nStatusBits), int(lifts[3].nModel)), std::tuple(0, 0x1F, 7));
    EXPECT_EQ(std::tuple(int(faults[3].bNewFault), int(faults[3].nFaultCount)), std::tuple(0, 55));  // unchanged code
    std::array<strLiftInf, 4> noFaults;
    ParseStationStatus(rx.data(), noFaults.data(), nullptr);  // no fault table: nothing else breaks
    EXPECT_EQ(noFaults[1].nFaultCode, 0x21);

    // The scan: floor bits 0-5, the whole status byte, no model, byte 1 unread.
    for (int i = 0; i < 4; ++i)
        FillDistinct(lifts[i], 100 * (i + 1));
    lifts[3].bOffline = 0;
    const FieldMap scan1 = Fields(lifts[1]), scan3 = Fields(lifts[3]);
    const Bytes scan = StatusReply(1, {{{0x41, 0x03, 0xE7, 0x08}, {0x7F, 0x01, 0xE7, 0x00}, {0, 0, 0, 0}, {0x80, 0, 0, 0}}}, 0x55);
    ParseScanStatus(scan.data(), lifts.data());
    EXPECT_EQ(std::tuple(int(lifts[0].nCurFloor), int(lifts[0].nRunState), int(lifts[0].nStatusBits), int(lifts[0].nFaultCode)),
              std::tuple(1, 1, 0xE7, 8));
    EXPECT_EQ(std::tuple(long(lifts[1].nCurFloor), long(lifts[1].nModel), long(lifts[1].nStatusBitsPrev)),
              std::tuple(0x3FL, scan1.at("nModel"), scan1.at("nStatusBitsPrev")));
    EXPECT_EQ(Changed(scan3, Fields(lifts[3])), std::set<std::string>{"bOffline"});
}

TEST(Frames, ConfigParse)
{
    std::array<strLiftInf, 4> lifts;
    std::array<strLiftPage, 4> pages;
    for (int i = 0; i < 4; ++i) {
        FillDistinct(lifts[i], 100 * (i + 1));
        lifts[i].bHeightKnown = 0;
        FillDistinct(pages[i]);
    }
    const auto reply = [](std::uint8_t mask) {
        return WithCrc({3, mask, 17, 0, 0x10, 0x27,  // 17 floors, 10000
                        0, 0, 0, 0,                   // absent
                        80, 0, 0x34, 0x12,            // 80 floors: more than the command block
                        0x2C, 0x01, 0xFF, 0xFF});     // 300 floors
    };
    const FieldMap before0 = Fields(lifts[0]), before1 = Fields(lifts[1]), before3 = Fields(lifts[3]), page1 = Fields(pages[1]);
    ParseConfigReply(reply(0x00).data(), lifts.data(), pages.data());  // a mask of 0 changes nothing
    EXPECT_TRUE(Changed(before0, Fields(lifts[0])).empty());
    ParseConfigReply(reply(0x0D).data(), lifts.data(), pages.data());  // lifts 0, 2, 3
    EXPECT_EQ(std::tuple(int(lifts[0].nMaxFloor), int(pages[0].nPageCount), int(lifts[0].nHeight), int(lifts[0].bHeightKnown)),
              std::tuple(17, 3, 10000, 1));
    EXPECT_TRUE(Changed(before1, Fields(lifts[1])).empty());
    EXPECT_TRUE(Changed(page1, Fields(pages[1])).empty());
    // 80 floors: pages capped to the command block.
    EXPECT_EQ(std::tuple(int(lifts[2].nMaxFloor), int(pages[2].nPageCount), int(lifts[2].nHeight)), std::tuple(80, 7, 0x1234));
    EXPECT_EQ(lifts[3].nMaxFloor, 300);
    EXPECT_EQ(Changed(before3, Fields(lifts[3])), (std::set<std::string>{"nMaxFloor", "nHeight", "bHeightKnown"}));
}

TEST(Frames, PageParameterAndFloorCallParses)
{
    const Bytes rx = PageReply(9, 20, 1, 13, 0xBEEF, 0xFD, 0b1001'0111, 0x42, 0xA5, 0x5A, 0x0F, 0xFA);
    strLiftInf lift;
    strLiftPage page;
    FillDistinct(lift);
    FillDistinct(page);
    lift.bFlagA = 0;
    FieldMap expected = Fields(lift);
    for (const auto& [name, value] : std::map<std::string, long>{
             {"nMaxFloor", 20}, {"nMinFloor", 1}, {"nCurFloor", 13}, {"nCarPos", 0xBEEF}, {"nDoorState", 5},
             {"nCtrlMode", 7}, {"nCtrlModePrev", lift.nCtrlMode}, {"bFlagA", 1}, {"bFlagB", 0}, {"nRunState", 2},
             {"nFaultCode", 0x42}, {"nFaultCodePrev", lift.nFaultCode}, {"nModel", 2}})
        expected[name] = value;
    FieldMap expectedPage = Fields(page);
    expectedPage["nCarLamp3"] = 0xA5;
    expectedPage["nHallLampLo3"] = 0x5A;
    expectedPage["nHallLampHi3"] = 0x0F;
    ParsePageFields(rx.data(), 3, lift, page);
    EXPECT_EQ(Fields(lift), expected);
    EXPECT_EQ(Fields(page), expectedPage);

    // Before the first baseline the old lamps and mode are copied; a page
    // outside the lamp arrays writes no lamp at all.
    lift.bRecInit = 0;
    ParsePageFields(rx.data(), 7, lift, page);
    EXPECT_EQ(lift.nCtrlModePrev, 7);
    EXPECT_EQ(page.nCarLampOld[7] + page.nHallLampLoOld[7] + page.nHallLampHiOld[7], 0xA5 + 0x5A + 0x0F);
    const FieldMap lamps = Fields(page);
    for (int outside : {8, -1, 200})
        ParsePageFields(rx.data(), outside, lift, page);
    EXPECT_EQ(Fields(page), lamps);

    // Parameter read: floor and position fields, and the page count.
    FillDistinct(lift);
    FillDistinct(page);
    const FieldMap beforeLift = Fields(lift);
    ASSERT_EQ(ParseParamReply(PageReply(4, 30, 2, 11, 0x0102, 7, 0xFF, 9, 1, 2, 3, 3).data(), 18, 4, lift, page), COMM_OK);
    EXPECT_EQ(Changed(beforeLift, Fields(lift)), (std::set<std::string>{"nMaxFloor", "nMinFloor", "nCurFloor", "nCarPos"}));
    EXPECT_EQ(std::tuple(int(lift.nMaxFloor), int(lift.nMinFloor), int(lift.nCurFloor), int(lift.nCarPos), int(page.nPageCount)),
              std::tuple(30, 2, 11, 0x0102, 4));
    // Zero floors: the floor and position are kept, the reply reports nothing.
    EXPECT_EQ(ParseParamReply(PageReply(4, 0, 1, 6, 0x0304, 0, 0, 0, 0, 0, 0, 0).data(), 18, 4, lift, page), COMM_NO_REPLY);
    EXPECT_EQ(std::tuple(int(lift.nMaxFloor), int(lift.nCurFloor), int(lift.nCarPos), int(page.nPageCount)),
              std::tuple(30, 6, 0x0304, 4));
    // One floor is not a top floor, but still one page; 200 floors are 7 pages.
    EXPECT_EQ(ParseParamReply(PageReply(4, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0).data(), 18, 4, lift, page), COMM_OK);
    EXPECT_EQ(std::tuple(int(lift.nMaxFloor), int(page.nPageCount)), std::tuple(30, 1));
    EXPECT_EQ(ParseParamReply(PageReply(4, 200, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0).data(), 18, 4, lift, page), COMM_OK);
    EXPECT_EQ(std::tuple(int(lift.nMaxFloor), int(page.nPageCount)), std::tuple(200, 7));

    // Floor call: top floor, floor, position, run state and controller mode only.
    FillDistinct(lift);
    const FieldMap beforeCall = Fields(lift);
    ASSERT_EQ(ParseFloorCallReply(PageReply(4, 12, 3, 12, 36000, 6, 0b1100'0111, 4, 1, 1, 1, 1).data(), 18, 4, lift), COMM_OK);
    EXPECT_EQ(Changed(beforeCall, Fields(lift)), (std::set<std::string>{"nMaxFloor", "nCurFloor", "nCarPos", "nRunState", "nCtrlMode"}));
    EXPECT_EQ(std::tuple(int(lift.nMaxFloor), int(lift.nCurFloor), int(lift.nCarPos), int(lift.nRunState), int(lift.nCtrlMode)),
              std::tuple(12, 12, 36000, 3, 7));
}

TEST(Frames, LockReplyJudgement)
{
    const Bytes locked = WithCrc({5, 0x30, 0x02 | 0x08});
    const Bytes unlocked = WithCrc({5, 0x30, 0x00, 0x00});
    const Bytes refused = WithCrc({5, 0x00, 0x02});
    struct Case {
        const Bytes* reply;
        int n, kind, whole, on, result;
    };
    const Bytes bad = Damaged(locked, 4);
    const Case cases[] = {
        {&locked, 0, 1, 1, 0, 0},   {&locked, 2, 1, 1, 0, 0},   {&bad, 5, 1, 1, 0, 0},       {&refused, 5, 1, 1, 0, 1},
        {&locked, 5, 1, 1, 0, 2},   // lock wanted, confirmed
        {&locked, 5, 1, 0, 0, 1},   // unlock wanted, still locked
        {&unlocked, 6, 1, 0, 0, 2}, // unlock wanted, none shown
        {&locked, 5, 3, 0, 1, 2},   // floor-lock mode 3 on
        {&locked, 5, 2, 0, 1, 1},   // mode 2 not confirmed
        {&locked, 5, 4, 0, 0, 2},   // mode 4 off, bit clear
        {&unlocked, 6, 0, 1, 1, 2}, {&unlocked, 6, 9, 1, 1, 2},  // unchecked kinds only need a reply
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(JudgeLockReply(c.reply->data(), c.n, c.kind, c.whole, c.on), c.result) << "case " << i;
    }
}
