#pragma once
// Columns and rows of the coloured lists on the configuration and analysis
// pages. Captions and state texts come from the UI text table the list
// carries (ClistCtrlX::m_pLanText); the functions keep no state.
#include <QStringList>

class ClistCtrlX;
struct strErrInfTab;
struct strGroupInf;
struct strLiftFaultStat;
struct strLiftInf;

// List kinds of SetupListColumns.
enum : int {
    kListLifts = 0,        // configuration page: lifts
    kListGroups = 1,       // configuration page: groups
    kListFloors = 2,       // configuration page: floors of one lift
    kListFaultsOfLift = 10,
    kListLiftsOfFault = 11,
    kListStatsOfLift = 12,
    kListStatsOfFault = 13,
    kListUsers = 20,
};

// Modes of FillFaultStatList (the analysis page's view modes).
enum : int {
    kFaultsOfLift = 6,   // selection: lift record index
    kLiftsOfFault = 7,   // selection: fault code
    kStatsOfLift = 8,    // selection: lift record index
    kStatsOfFault = 9,   // selection: fault code
};

// Replaces every column of the list by the columns of the kind. Returns 2 for
// the configuration page's kinds 0..2, else 0.
int SetupListColumns(ClistCtrlX* pList, int nKind);

// Deletes all rows and fills them from the fault statistics of the 64 lift
// records, naming faults from the enhanced model's table (pTabs[2]).
void FillFaultStatList(ClistCtrlX* pList, int nMode, int nSel, const strLiftFaultStat* pStats /* 64 */,
                       const strErrInfTab* pTabs /* 3 */);

// Adds a row for every installed lift: number, name, "group:name", top floor, state.
void FillLiftList(ClistCtrlX* pList, const strLiftInf* pLiftInf /* 64 */, const strGroupInf* pGroups,
                  int nGroupCount);

// Adds a row for every group: number, name.
void FillGroupList(ClistCtrlX* pList, const strGroupInf* pGroups, int nGroupCount);

// Deletes all rows; one row per user: running number from 1, name.
void FillUserList(ClistCtrlX* pList, const QStringList& names);

// "12.50%": count / total as a float, two decimals; a total of 0 gives "0.00%".
QString ShareText(int nCount, int nTotal);
