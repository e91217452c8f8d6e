#pragma once
// Frames of the lift bus: building each request byte for byte, and checking
// and parsing each reply into the lift records. Pure functions: no port, no
// waiting. A check runs before any field is written, so a refused reply
// leaves the records as they were.
#include <array>
#include <cstdint>

#include "link/LiftCmd.h"
#include "link/LiftFault.h"
#include "link/LiftInf.h"
#include "link/LiftPage.h"

// Result codes of one exchange.
constexpr int COMM_OK = 0;          // a valid reply arrived and was parsed
constexpr int COMM_BAD_FRAME = 1;   // wrong length or bad CRC
constexpr int COMM_NO_REPLY = 2;    // nothing arrived, or the reply reports nothing
constexpr int COMM_PORT_ERROR = 3;  // port closed, or a short write
constexpr int COMM_BAD_REPLY = 4;   // refused by content

constexpr int kFrameMax = 25;  // request and reply buffers
using FrameBuf = std::array<std::uint8_t, kFrameMax>;

constexpr int kStatusRequestLen = 12;
constexpr int kStatusReplyLen = 20;
constexpr int kConfigRequestLen = 12;
constexpr int kConfigReplyLen = 20;
constexpr int kPageRequestLen = 14;
constexpr int kPageReplyLen = 18;
constexpr int kLockRequestLen = 13;
constexpr int kLockFloors = 40;  // the lock command covers floors 1..40

constexpr std::uint8_t FN_PAGE = 0x00;
constexpr std::uint8_t FN_STATUS = 0x10;
constexpr std::uint8_t FN_CONFIG = 0x1F;
constexpr std::uint8_t FN_LOCK = 0x30;

// Takes the fault code of a reply (one byte) into the lift record; a code not
// 0 and not the one before is an occurrence for the recorder.
void TakeFaultCode(strLiftInf& lift, int code);

// Writes the CRC of bytes 0..len-1 at len (low byte first).
void AppendCrc(std::uint8_t* frame, int len);
// True when the last two of n bytes are the CRC of the ones before.
bool FrameCrcOk(const std::uint8_t* frame, int n);

// Number of 8-floor pages for a floor count, capped at the pages that the
// command block covers, so that a count read from the line never sends a
// worker past the records.
int PageCountOf(int floors);

// --- requests; each returns the frame length ---

int BuildStatusRequest(std::uint8_t* tx, int station);
int BuildConfigRequest(std::uint8_t* tx, int station);
int BuildParamRequest(std::uint8_t* tx, int liftNum);
// Floor call to the top floor of the height run: the down hall call of floor.
int BuildFloorCallRequest(std::uint8_t* tx, int liftNum, int floor);
// floors: 40 flags, floor i+1 counts when floors[i] == 1.
int BuildLockRequest(std::uint8_t* tx, int liftNum, int floorLockMode, int wholeLock,
                     const std::int32_t* floors, int onFlag);

// Content of one page request, taken from the command block.
struct strPageRequest {
    int nLiftNum = 0;
    int nPage = 0;            // 0..7; 8 or more contributes nothing to byte 2
    int nMode = 0;            // special mode 2..8
    bool bOneShot = false;    // adds 4 to byte 2
    bool bCmdBit0 = false;
    bool bCmdBit1 = false;
    std::uint8_t byCarCall = 0;
    std::uint8_t byHallCallLo = 0;
    std::uint8_t byHallCallHi = 0;
    bool bCallFlag = true;    // byte 7: 1 from the single-lift view, 0 from the group view
};
int BuildPageRequestFrame(std::uint8_t* tx, const strPageRequest& req);

// --- replies ---

// Every reply check also refuses (COMM_BAD_REPLY) a reply whose byte 0 is not
// the address asked: a late reply to an earlier exchange.

// Status reply: length, CRC, station; with checkFunction also byte 1 = 0x10.
int CheckStatusReply(const std::uint8_t* rx, int n, int station, bool checkFunction);
// Background poll parse into the station's four records (from its first lift on).
void ParseStationStatus(const std::uint8_t* rx, strLiftInf* lifts, strLiftFault* faults);
// Synchronous scan parse: floor bits 0-5, the whole status byte, no model, no fault record.
void ParseScanStatus(const std::uint8_t* rx, strLiftInf* lifts);

// Configuration reply: COMM_OK, COMM_BAD_FRAME, COMM_NO_REPLY for a status
// echo, COMM_BAD_REPLY for another station.
int CheckConfigReply(const std::uint8_t* rx, int n, int station);
void ParseConfigReply(const std::uint8_t* rx, strLiftInf* lifts, strLiftPage* pages);

// Page reply of a page exchange: length, CRC, lift, and byte 2 (floors) not 0.
int CheckPageReply(const std::uint8_t* rx, int n, int liftNum);
// Steps 1-5 of the page reply parse (everything but the call ageing); lamps
// go to page `page` when it lies within the lamp arrays.
void ParsePageFields(const std::uint8_t* rx, int page, strLiftInf& lift, strLiftPage& pages);

// Parameter read: checks and parses in one, since the floor and position
// fields are stored before a floor count of 0 is refused.
int ParseParamReply(const std::uint8_t* rx, int n, int liftNum, strLiftInf& lift, strLiftPage& pages);
// Floor call of the height run: checks and parses in one.
int ParseFloorCallReply(const std::uint8_t* rx, int n, int liftNum, strLiftInf& lift);

// Lock reply judgement: 0 no valid reply, 1 refused or not confirmed, 2 confirmed.
int JudgeLockReply(const std::uint8_t* rx, int n, int checkKind, int wholeLock, int onFlag);
