#pragma once
// The station's database object: one operation per stored task, all on the
// user-interface thread. Texts always reach the engine as bound parameters;
// table names are built from lift numbers only.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "database/AdoConnection.h"
#include "database/ErrInfTab.h"
#include "database/LanguageSheet.h"
#include "database/LiftFaultStat.h"
#include "link/GroupInf.h"
#include "link/LiftFault.h"
#include "link/LiftInf.h"
#include "link/LiftPage.h"

constexpr int kDbLiftSlots = 64;
constexpr int kMaxDayTables = 365;
constexpr int kFloorNameRows = 56;

class CDBServer {
public:
    using Clock = CAdoConnection::Clock;

    CDBServer();
    ~CDBServer();
    CDBServer(const CDBServer&) = delete;
    CDBServer& operator=(const CDBServer&) = delete;

    // <folder of the executable>/SoftResoure/DB/DBServer.mdb into m_strDBPath.
    void BuildDBPath();

    // Text tables.
    bool LoadLanguageAndFaultTexts(int nKind, strErrInfTab* pTabs /* 3 */, CErrNameMap* pNames);
    int GetLanguageKind();

    // Configuration.
    bool LoadSoftInfo(int* pSoftColor, int* pGroupCount, int* pComPort, int* pBaudRate,
                      QStringList* pFloorShow /* 2 */);
    bool LoadLiftInfo(strLiftInf* pLiftInf /* 64 */, strLiftPage* pLiftPage /* 64 */);
    bool LoadGroupInfo(int nCount, strGroupInf* pGroups);

    // Users: CheckLogin gives 0 accepted, 1 no such user, 2 wrong password;
    // *pUserKey receives the key of the stored row it matched.
    int CheckLogin(const QString& strName, const QString& strPwd, int* pLimit, qint64* pUserKey = nullptr);
    bool LoadUserList(QStringList* pLists /* 2: names, passwords */);
    bool AddUser(const QString& strName, const QString& strPwd);
    // The password of the row a login matched (its key from CheckLogin).
    bool ChangePassword(qint64 nUserKey, const QString& strPwd);
    bool DeleteUser(const QString& strName);

    // Configuration updates.
    // True when every statement ran; otherwise none of them stays applied.
    bool UpdateLiftConfig(int nMode, int nGroupCount, strLiftInf* pLift, strGroupInf* pGroups);
    bool SaveLiftSetup(strLiftInf* pLiftInf /* 64 */);
    bool SaveLiftHeight(strLiftInf* pLift);
    bool DeleteLift(strLiftInf* pLift, strGroupInf* pGroups);
    // The box of a lift that stays, and why.
    static QString LiftNotDeletedText(int nLiftNum, const QString& why, int nLanguageKind);

    // Recording. Rows go to the file at the end of each save, or at the end
    // of the outermost recording batch (one sync for a whole refresh). Rows
    // the file does not take (a full disk, a lock another program holds, a
    // statement the engine refuses) wait in memory, within a bound, and go
    // with a later write; the failure is reported once, without waiting for
    // the operator. Rows are lost only with their lift, or at the close, and
    // the operator is told how many.
    // Both saves decide on a fault by one rule, from the lift record that
    // every page's poll fills, so that the pages together write each fault
    // once; the all-lifts page's tracking record decides nothing.
    void SaveLiftRecords(strLiftInf* pLift, strLiftPage* pPage);
    void SaveLiftFault(strLiftInf* pLift, strLiftFault* pFault);
    // The fault occurrences any poll brought and no save took yet, of every
    // installed lift (64 records): the last save of a run, whichever page was
    // open, for the scan of the configuration page records nothing itself.
    // What the file does not take is counted to the operator at the close.
    void SaveCountedFaults(strLiftInf* pLifts);
    void BeginRecordingBatch() { ++m_nBatchDepth; }
    void EndRecordingBatch();
    // Writes what waits. bRetryNow false is a view's refresh: it keeps a
    // pause after a failure and never waits for another program's lock.
    bool FlushRecords(bool bRetryNow = true);
    int PendingCalls() const { return m_nPendingCalls; }
    int PendingFaults() const { return m_nPendingFaults; }
    int PendingWrites() const { return int(m_pending.size()); }
    // The end of the run, before the window goes: a removed file is written
    // back, what waits is written if the file takes it, what it still refuses
    // is counted to the operator; then the connection closes.
    void CloseDatabase();
    // Day tables opened per write: after midnight every lift opens one, and
    // each costs two passes over the schema of a year's tables; the rest
    // follow with the next refreshes, their lifts' calls held until then.
    static constexpr int kNewDayTablesPerWrite = 4;
    static constexpr int kMaxPendingCalls = 20000;
    static constexpr int kMaxPendingFaults = 5000;

    // Fault rows of every configured lift, all or start <= ErrDate < end.
    // Lifts whose query fails are reported in one box, not one box each.
    void QueryFaultRecords(bool bByDate, const QDate& start, const QDate& end, strLiftFaultStat* pStats /* 64 */);

    // The latest end the query takes: the engine's dates have four-digit years.
    static QDate LastQueryEnd() { return QDate(9999, 12, 31); }

    // Language table.
    bool LoadLanguageTableForExport(strLanguageSheet* pSheet);
    bool ImportLanguageTable(const strLanguageSheet& sheet);
    void LoadLanguageNames(QStringList* pNames);
    void SetLanguageKind(int nKind);

    // The file itself.
    QString GetDBSizeText();
    // The new size text, or an empty text with the reason in *pWhy.
    QString CompactDatabase(QString* pWhy = nullptr);
    // Why no compaction may run now; empty when it may.
    QString CompactionRefusal() const;
    // Why no lift may be deleted now (its deletion ends in a compaction), in
    // words of its own; empty when it may.
    QString FileAwayReason() const;

    // The time of day the recorder works with; tests move it across days.
    void SetClock(Clock clock);

    int m_nGroupCount = 0;
    int m_nLanguageKind = 0;
    QStringList* m_pLanText = nullptr;  // UI text table; not owned
    QString m_bstrSql;                  // the statement or query being run
    QString m_strDBPath;
    std::unique_ptr<CAdoConnection> m_pAdo;
    std::shared_ptr<CAdoRecordset> m_pRecordset;
    // Per lift slot: date of the lift's previous recording save (invalid until
    // its first save), so every lift opens its new day table after midnight.
    std::array<QDateTime, kDbLiftSlots> m_tmLastSave;
    QDateTime m_tmToday;
    std::array<int, kDbLiftSlots> m_nLastCountNum{};
    std::array<int, kDbLiftSlots> m_nDayTables{};
    // Per lift slot: the fault code the recorder last saw, whichever page's
    // save saw it; it decides only for a record no reply filled.
    std::array<int, kDbLiftSlots> m_nLastFaultCode{};
    // Folder that holds SoftResoure/; empty means the running executable's folder.
    QString m_strAppFolder;

private:
    std::shared_ptr<CAdoRecordset> Query(const QString& sql, const QVariantList& params = {});
    bool Exec(const QString& sql, const QVariantList& params = {});
    // Runs sql; true only when it changed a row.
    bool ExecChangingRows(const QString& sql, const QVariantList& params);
    static QString LiftTable(int nLiftNum);
    static bool ValidLiftNum(int nLiftNum) { return nLiftNum >= 1 && nLiftNum <= kDbLiftSlots; }
    bool StoreGroupCounts(int nCount, const strGroupInf* pGroups);
    // The one rule of both saves: the codes of the fault occurrences the
    // replies counted since the last save, oldest first, each to be a row. A
    // record no reply filled (its code set by hand) has a new fault when its
    // code is not 0 and not the code this lift last saw.
    std::vector<int> TakeNewFaults(strLiftInf* pLift);
    // Queues a row for each of those, in the lift's state nState; the eight
    // trailing columns are zeros, written as the caller's table expects them.
    void QueueNewFaults(strLiftInf* pLift, int nState, QLatin1String zeros);
    bool DayTableUpkeep(strLiftInf* pLift, QString* pDayTable);
    bool OpenNewDayTable(int i, const QString& strIndex, const std::shared_ptr<CAdoRecordset>& pIndex);
    // NewDayTable starts the statements that open a day table (Upkeep).
    // Faults go to a table of their own and never wait for a day table.
    enum class RowKind { NewDayTable, Upkeep, Call, Fault };
    void QueueWrite(RowKind kind, int nLift, const QString& sql, QVariantList params);
    void ReportRecordingFailure(const QString& why);
    // Takes lift n's waiting statements out of the queue; tells how many
    // calls and faults went, nUntaken faults no save took among them.
    void DropPendingOfLift(int n, int nUntaken);
    bool ValidateLanguageSheet(const strLanguageSheet& sheet, QString* pWhy) const;

    struct strPendingWrite {
        RowKind kind;
        int nLift;  // the lift the statement belongs to
        QString sql;
        QVariantList params;
    };
    std::deque<strPendingWrite> m_pending;  // in the order they must be written
    int m_nPendingCalls = 0;
    int m_nPendingFaults = 0;
    // Rows that went for want of room while the file refused them; told at the close.
    int m_nOverflowCalls = 0;
    int m_nOverflowFaults = 0;
    // Fault occurrences the lifts' rings had no room for; told at the close.
    int m_nUnkeptFaults = 0;
    int m_nBatchDepth = 0;
    bool m_bRecordingReported = false;  // the current outage was reported
    qint64 m_nRetryAtMs = 0;            // monotonic time of the next try after a failure

    Clock m_clock;
    // Per lift slot: its day-table index could not be read this run, so
    // nothing is recorded for it until its records are reset.
    std::array<bool, kDbLiftSlots> m_bIndexLost{};
};
