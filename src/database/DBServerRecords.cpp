// Day tables and the recording of calls and faults.
#include "database/DBServer.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "platform/FixedText.h"
#include "platform/MessageBox.h"

namespace {

// Date part of a stored date text ('YYYY-MM-DD HH:MM:SS'); invalid if unreadable.
QDate StoredDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,4})[-/](\d{1,2})[-/](\d{1,2}))"));
    const auto m = re.match(text);
    return m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QDate();
}

bool Rises(int now, int old, int bit) { return ((now >> bit) & 1) && !((old >> bit) & 1); }

// Rows carry the time they were seen, not the time they reach the file.
QString TimeText(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

// A statement the engine refuses as such (a trigger, a table renamed or
// dropped) fails again at once: the others go on without it. A full disk, a
// read-only or locked file refuses every statement alike.
bool RefusedAsStatement(int code)
{
    switch (code & 0xff) {
    case SQLITE_ERROR:
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG: return true;
    default: return false;
    }
}

constexpr qint64 kRetryPauseMs = 500;

} // namespace

void CDBServer::QueueWrite(RowKind kind, int nLift, const QString& sql, QVariantList params)
{
    // Over the bound the oldest row of the kind goes; table upkeep is never
    // dropped, the rows after it depend on it.
    const bool row = kind == RowKind::Call || kind == RowKind::Fault;
    const int limit = kind == RowKind::Call ? kMaxPendingCalls : kMaxPendingFaults;
    int& count = kind == RowKind::Call ? m_nPendingCalls : m_nPendingFaults;
    if (row && count >= limit) {
        const auto oldest = std::find_if(m_pending.begin(), m_pending.end(), [kind](const strPendingWrite& w) { return w.kind == kind; });
        if (oldest != m_pending.end()) {
            m_pending.erase(oldest);
            --count;
            ++(kind == RowKind::Call ? m_nOverflowCalls : m_nOverflowFaults);
        }
    }
    if (row)
        ++count;
    m_pending.push_back({kind, nLift, sql, std::move(params)});
}

void CDBServer::ReportRecordingFailure(const QString& why)
{
    if (m_bRecordingReported)
        return;
    m_bRecordingReported = true;
    AfxMessageBoxModeless(FixedText{QStringLiteral("故障和呼梯记录无法写入数据库：%1\n记录已保留，数据库恢复写入后立即写入。"),
                                    QStringLiteral("Faults and calls cannot be written to the database: %1\n"
                                                   "They are kept and written as soon as the database takes them again."),
                                    QStringLiteral("故障和呼梯記錄無法寫入資料庫：%1\n記錄已保留，資料庫恢復寫入後立即寫入。")}
                              .In(m_nLanguageKind)
                              .arg(why));
}

void CDBServer::EndRecordingBatch()
{
    if (m_nBatchDepth > 0 && --m_nBatchDepth == 0)
        FlushRecords(false);
}

bool CDBServer::FlushRecords(bool bRetryNow)
{
    if (m_pending.empty())
        return true;
    if (!bRetryNow && CAdoConnection::MonotonicMs() < m_nRetryAtMs)
        return false;
    // A file not open again yet, or another operation's transaction open (a
    // timer ran inside its wait): the rows go with a later save.
    if (!m_pAdo->TryReopen(bRetryNow) || m_pAdo->InTransaction())
        return false;
    // Inside a view's timer: failures are kept, not shown in a modal box.
    m_pAdo->SetQuiet(true);
    // Calls and faults the engine refused stay queued for a later write; the
    // rest of their lift's calls (or faults) wait behind them, in order.
    std::vector<bool> held(m_pending.size(), false);
    QString why;
    bool written = false;
    for (;;) {
        if (!m_pAdo->BeginTrans(bRetryNow)) {
            why = m_pAdo->LastReason();
            break;
        }
        std::array<bool, kDbLiftSlots + 1> dayWaits{}, faultWaits{};
        int newTables = 0;
        std::vector<bool> done(m_pending.size(), false);
        std::size_t failed = m_pending.size();
        for (std::size_t k = 0; k < m_pending.size(); ++k) {
            const strPendingWrite& w = m_pending[k];
            const std::size_t lift = std::size_t(std::clamp(w.nLift, 0, kDbLiftSlots));
            bool& waits = (w.kind == RowKind::Fault ? faultWaits : dayWaits)[lift];
            if (waits)
                continue;
            // Beyond the day tables this write opens, a lift's statements wait.
            if (held[k] || (w.kind == RowKind::NewDayTable && newTables++ >= kNewDayTablesPerWrite)) {
                waits = true;
                continue;
            }
            if (!m_pAdo->ExecuteSql(w.sql, w.params)) {
                failed = k;
                break;
            }
            done[k] = true;
        }
        if (failed < m_pending.size()) {
            const int code = m_pAdo->LastErrorCode();
            why = m_pAdo->LastReason();
            m_pAdo->RollbackTrans();
            if (!RefusedAsStatement(code))
                break;
            if (m_pending[failed].kind == RowKind::Call || m_pending[failed].kind == RowKind::Fault) {
                held[failed] = true;
            } else {
                // Upkeep of a day table that is there already, or gone
                // already, has nothing left to do; no row of data goes so.
                m_pending.erase(m_pending.begin() + std::ptrdiff_t(failed));
                held.erase(held.begin() + std::ptrdiff_t(failed));
            }
            continue;
        }
        if (!m_pAdo->CommitTrans()) {
            why = m_pAdo->LastReason();
            break;
        }
        written = true;
        std::deque<strPendingWrite> left;
        for (std::size_t k = 0; k < m_pending.size(); ++k) {
            if (!done[k])
                left.push_back(std::move(m_pending[k]));
            else if (m_pending[k].kind == RowKind::Call)
                --m_nPendingCalls;
            else if (m_pending[k].kind == RowKind::Fault)
                --m_nPendingFaults;
        }
        m_pending.swap(left);
        break;
    }
    m_pAdo->SetQuiet(false);
    if (!written || std::find(held.begin(), held.end(), true) != held.end()) {
        ReportRecordingFailure(why);
        m_nRetryAtMs = CAdoConnection::MonotonicMs() + kRetryPauseMs;
        return false;
    }
    m_bRecordingReported = false;
    m_nRetryAtMs = 0;
    return true;
}

void CDBServer::CloseDatabase()
{
    // A removed file first: what waits then goes into the file written back.
    const bool bSavedEarlier = (m_pAdo->IsOpen() || m_pAdo->ReopenPending()) && m_pAdo->DataFile() != m_pAdo->m_strDBPath;
    m_pAdo->KeepFileInPlace(true);
    // Every write makes progress or fails.
    while (!m_pending.empty()) {
        const std::size_t before = m_pending.size();
        if (!FlushRecords() || m_pending.size() >= before)
            break;
    }
    // Where the data of this run is, when another file took its place: the
    // next start opens the path.
    if (bSavedEarlier && m_pAdo->DataFile() != m_pAdo->m_strDBPath)
        AfxMessageBox(FixedText{QStringLiteral("本次运行的数据库保存在 %2，而不在 %1（运行中 %1 被另一个文件替换）。"
                                               "下次启动将打开 %1；如需继续使用本站的数据，请在退出后用 %2 替换 %1。"),
                                QStringLiteral("The station's database of this run is in %2, not at %1, where another file "
                                               "was put while the station was running. The next start opens %1: to go on "
                                               "with the station's data, put %2 in its place after the station has ended."),
                                QStringLiteral("本次執行的資料庫儲存在 %2，而不在 %1（執行中 %1 被另一個檔案替換）。"
                                               "下次啟動將開啟 %1；如需繼續使用本站的資料，請在結束後用 %2 替換 %1。")}
                          .In(m_nLanguageKind)
                          .arg(QDir::toNativeSeparators(m_pAdo->m_strDBPath), QDir::toNativeSeparators(m_pAdo->DataFile())));
    const int calls = m_nPendingCalls + m_nOverflowCalls;
    const int faults = m_nPendingFaults + m_nOverflowFaults;
    if (m_nUnkeptFaults > 0)
        AfxMessageBox(FixedText{QStringLiteral("有 %1 次故障发生时工作站正忙，超出了暂存容量，未能记录。"),
                                QStringLiteral("%1 fault occurrences came while the station was busy, beyond the room "
                                               "to keep them, and were not recorded."),
                                QStringLiteral("有 %1 次故障發生時工作站正忙，超出了暫存容量，未能記錄。")}
                          .In(m_nLanguageKind)
                          .arg(m_nUnkeptFaults));
    if (calls > 0 || faults > 0) {
        const QString why = m_pAdo->LastReason();
        AfxMessageBox(FixedText{QStringLiteral("有 %1 条呼梯记录和 %2 条故障记录无法写入数据库，已丢失。%3"),
                                QStringLiteral("%1 calls and %2 faults could not be written to the database and are lost. %3"),
                                QStringLiteral("有 %1 條呼梯記錄和 %2 條故障記錄無法寫入資料庫，已遺失。%3")}
                          .In(m_nLanguageKind)
                          .arg(calls)
                          .arg(faults)
                          .arg(why)
                          .trimmed());
    }
    m_pending.clear();
    m_nPendingCalls = m_nPendingFaults = m_nOverflowCalls = m_nOverflowFaults = m_nUnkeptFaults = 0;
    m_pAdo->CloseConnection(false);  // looked at before the flush
}

void CDBServer::DropPendingOfLift(int n, int nUntaken)
{
    int calls = 0, faults = 0;
    std::erase_if(m_pending, [&](const strPendingWrite& w) {
        if (w.nLift != n)
            return false;
        calls += w.kind == RowKind::Call;
        faults += w.kind == RowKind::Fault;
        return true;
    });
    m_nPendingCalls -= calls;
    m_nPendingFaults -= faults;
    faults += nUntaken;
    if (calls > 0 || faults > 0)
        AfxMessageBox(FixedText{QStringLiteral("电梯 %1 已删除，其尚未写入数据库的 %2 条呼梯记录和 %3 条故障记录已一并丢弃。"),
                                QStringLiteral("Lift %1 was deleted: its %2 calls and %3 faults not yet written to the "
                                               "database were dropped with it."),
                                QStringLiteral("電梯 %1 已刪除，其尚未寫入資料庫的 %2 條呼梯記錄和 %3 條故障記錄已一併捨棄。")}
                          .In(m_nLanguageKind)
                          .arg(n)
                          .arg(calls)
                          .arg(faults));
}

bool CDBServer::OpenNewDayTable(int i, const QString& strIndex, const std::shared_ptr<CAdoRecordset>& pIndex)
{
    const bool full = m_nDayTables[std::size_t(i)] >= kMaxDayTables;
    if (full) {
        // Exactly one table goes: the oldest.
        if (!pIndex || pIndex->GetRecordCount() == 0)
            return false;
        pIndex->MoveFirst();
        const QString oldName = pIndex->GetText(QStringLiteral("TabName"));
        const QString oldNum = pIndex->GetText(QStringLiteral("CountNum"));
        pIndex->MoveLast();
        // A new day table still queued is not in the index yet: its number stays taken.
        m_nLastCountNum[std::size_t(i)] = std::max(m_nLastCountNum[std::size_t(i)], pIndex->GetInt(QStringLiteral("CountNum")));
        QueueWrite(RowKind::NewDayTable, i + 1, QStringLiteral("Delete From ") + strIndex + QLatin1String(" Where CountNum = ?"), {oldNum});
        // Only one of this lift's day tables is ever dropped, whatever the row names.
        static const QRegularExpression dayTable(QStringLiteral(R"(^KALOR_LiftData_\d+_\d+$)"));
        if (dayTable.match(oldName).hasMatch() && oldName.startsWith(strIndex + QLatin1Char('_')))
            QueueWrite(RowKind::Upkeep, i + 1, QStringLiteral("Drop Table ") + oldName, {});
        --m_nDayTables[std::size_t(i)];
    }
    const int c = ++m_nLastCountNum[std::size_t(i)];
    const QString table = strIndex + QLatin1Char('_') + QString::number(c);
    QueueWrite(full ? RowKind::Upkeep : RowKind::NewDayTable, i + 1,
               QStringLiteral("Insert Into ") + strIndex + QStringLiteral(" Values (%1,?,?)").arg(c),
               {TimeText(m_tmToday), table});
    QueueWrite(RowKind::Upkeep, i + 1, QStringLiteral("Create Table ") + table + QLatin1String(" ( RecDateTm datetime, CallSign byte,CallNum byte)"), {});
    ++m_nDayTables[std::size_t(i)];
    return true;
}

bool CDBServer::DayTableUpkeep(strLiftInf* pLift, QString* pDayTable)
{
    const int n = pLift->nLiftNum;
    const auto i = std::size_t(n - 1);
    const QString index = LiftTable(n);
    m_tmToday = m_clock();

    if (pLift->bRecInit == 0) {
        // A file not open again yet: the lift starts with a later save, which
        // sees its lamps and fault as new still.
        if (!m_pAdo->TryReopen())
            return false;
        pLift->bRecInit = 1;
        m_bIndexLost[i] = false;
        m_nLastFaultCode[i] = pLift->nFaultCodePrev;
        m_pAdo->SetQuiet(true);
        auto rs = Query(QStringLiteral("Select * From ") + index + QLatin1String(" Order by CountNum"));
        m_pAdo->SetQuiet(false);
        if (!rs) {
            // Record nothing for this lift until its records are reset,
            // rather than guess at a table name.
            ReportRecordingFailure(m_pAdo->LastReason());
            m_bRecordingReported = false;
            m_bIndexLost[i] = true;
            return false;
        }
        m_nDayTables[i] = m_nLastCountNum[i] = rs->GetRecordCount();
        if (rs->GetRecordCount() == 0) {
            QueueWrite(RowKind::NewDayTable, n, QStringLiteral("Insert Into ") + index + QLatin1String(" Values ('1',?,?)"),
                       {TimeText(m_tmToday), index + QLatin1String("_1")});
            QueueWrite(RowKind::Upkeep, n, QStringLiteral("Create Table ") + index + QLatin1String("_1")
                                           + QLatin1String(" ( RecDateTm datetime, CallSign byte,CallNum byte)"), {});
            ++m_nDayTables[i];
            ++m_nLastCountNum[i];
        } else {
            rs->MoveLast();
            const QString recDate = rs->GetText(QStringLiteral("RecDate"));
            if (recDate.isEmpty())
                return false;
            m_nLastCountNum[i] = std::max(m_nLastCountNum[i], rs->GetInt(QStringLiteral("CountNum")));
            if (StoredDate(recDate) != m_tmToday.date() && !OpenNewDayTable(int(i), index, rs))
                return false;
        }
    } else {
        if (m_bIndexLost[i])
            return false;
        if (!m_tmLastSave[i].isValid() || m_tmLastSave[i].date() != m_tmToday.date()) {
            std::shared_ptr<CAdoRecordset> rs;
            if (m_nDayTables[i] >= kMaxDayTables) {
                // No box from inside a refresh: a failure is reported once, as any recording failure.
                m_pAdo->SetQuiet(true);
                rs = Query(QStringLiteral("Select * From ") + index + QLatin1String(" Order by CountNum"));
                m_pAdo->SetQuiet(false);
                if (!rs) {
                    ReportRecordingFailure(m_pAdo->LastReason());
                    return false;
                }
            }
            if (!OpenNewDayTable(int(i), index, rs))
                return false;
        }
    }
    *pDayTable = index + QLatin1Char('_') + QString::number(m_nLastCountNum[i]);
    m_tmLastSave[i] = m_tmToday;
    return true;
}

std::vector<int> CDBServer::TakeNewFaults(strLiftInf* pLift)
{
    const auto i = std::size_t(pLift->nLiftNum - 1);
    // The code before the occurrences: the worker puts an occurrence in
    // before it stores its code, so a new code read here has its occurrence.
    const int code = pLift->nFaultCode.load(std::memory_order_acquire);
    CFaultRing& ring = pLift->faultRing;
    const bool counted = ring.Waiting() > 0;
    // While the file takes rows, no more than the queue has room for: the
    // rest wait in the ring for the next save rather than push out rows a
    // burst after a long hold queued before their write. While it refuses,
    // all, and the queue's bound counts what goes for that reason.
    const std::uint32_t room = m_bRecordingReported ? CFaultRing::kCapacity
                                                    : std::uint32_t(std::max(kMaxPendingFaults - m_nPendingFaults, 0));
    std::vector<int> faults;
    ring.Take(room, &faults);
    const std::uint32_t dropped = ring.TakeDropped();
    m_nUnkeptFaults += int(dropped);
    if (!counted && dropped == 0 && code != 0 && code != m_nLastFaultCode[i])
        faults.push_back(code);
    if (!faults.empty() || !counted)
        m_nLastFaultCode[i] = faults.empty() ? code : faults.back();
    pLift->nFaultCodePrev = code;
    return faults;
}

void CDBServer::QueueNewFaults(strLiftInf* pLift, int nState, QLatin1String zeros)
{
    const int n = pLift->nLiftNum;
    for (const int fault : TakeNewFaults(pLift))
        QueueWrite(RowKind::Fault, n,
                   QStringLiteral("Insert Into ") + LiftTable(n) + QLatin1String("_Err")
                       + QStringLiteral(" Values (%1,?,%2,%3)").arg(fault).arg(nState).arg(zeros),
                   {TimeText(m_tmToday)});
}

void CDBServer::SaveLiftRecords(strLiftInf* pLift, strLiftPage* pPage)
{
    if (!pLift || !pPage || !ValidLiftNum(pLift->nLiftNum))
        return;
    const int n = pLift->nLiftNum;
    QString day;
    if (!DayTableUpkeep(pLift, &day))
        return;
    // A count beyond the lamp arrays reads only the pages they hold; the fault
    // part below is never skipped for it.
    const int pages = std::clamp<int>(pPage->nPageCount, 0, kLampPages);

    std::vector<std::pair<int, int>> calls;  // (CallSign, CallNum)
    for (int w = 0; w < pages; ++w) {
        // Each word is read once: a lamp that lights while this runs is caught next time.
        const int car = pPage->nCarLamp[w], carOld = pPage->nCarLampOld[w];
        const int lo = pPage->nHallLampLo[w], loOld = pPage->nHallLampLoOld[w];
        const int hi = pPage->nHallLampHi[w], hiOld = pPage->nHallLampHiOld[w];
        for (int j = 0; j < 4; ++j) {
            if (Rises(car, carOld, 2 * j)) calls.emplace_back(1, 8 * w + 2 * j + 1);
            if (Rises(car, carOld, 2 * j + 1)) calls.emplace_back(1, 8 * w + 2 * j + 2);
            if (Rises(lo, loOld, 2 * j)) calls.emplace_back(2, 8 * w + j + 1);
            if (Rises(lo, loOld, 2 * j + 1)) calls.emplace_back(3, 8 * w + j + 1);
            if (Rises(hi, hiOld, 2 * j)) calls.emplace_back(2, 8 * w + j + 5);
            if (Rises(hi, hiOld, 2 * j + 1)) calls.emplace_back(3, 8 * w + j + 5);
        }
        pPage->nCarLampOld[w] = car;
        pPage->nHallLampLoOld[w] = lo;
        pPage->nHallLampHiOld[w] = hi;
    }

    const QString when = TimeText(m_tmToday);
    for (const auto& [sign, floor] : calls)
        QueueWrite(RowKind::Call, n, QStringLiteral("Insert Into ") + day + QStringLiteral(" Values (?,%1,?)").arg(sign),
                   {when, QString::number(floor)});
    QueueNewFaults(pLift, pLift->nCtrlModePrev, QLatin1String("'0','0','0','0','0','0','0','0'"));
    pLift->nCtrlModePrev = pLift->nCtrlMode.load();
    pLift->nStatusBitsPrev = pLift->nStatusBits.load();
    if (m_nBatchDepth == 0)
        FlushRecords(false);
}

void CDBServer::SaveLiftFault(strLiftInf* pLift, strLiftFault*)
{
    if (!pLift || !ValidLiftNum(pLift->nLiftNum))
        return;
    QString day;
    if (!DayTableUpkeep(pLift, &day))
        return;
    // Not from the tracking record: only the all-lifts poll fills it, so after
    // another page it holds a code from before, and its new-fault flag lasts
    // one status reply.
    const int prev = pLift->nStatusBitsPrev;
    const int state = prev == 2 ? 225 : prev == 4 ? 226 : prev == 8 ? 227 : 7;
    QueueNewFaults(pLift, state, QLatin1String("0,0,0,0,0,0,0,0"));
    pLift->nStatusBitsPrev = pLift->nStatusBits.load();
    if (m_nBatchDepth == 0)
        FlushRecords(false);
}

void CDBServer::SaveCountedFaults(strLiftInf* pLifts)
{
    if (!pLifts)
        return;
    for (int k = 0; k < kDbLiftSlots; ++k) {
        strLiftInf& lift = pLifts[k];
        if (lift.nKind == 0) {
            // Nothing records a free slot: what a reply brought for it would
            // come up as the faults of the next lift installed there.
            lift.faultRing.Discard();
            lift.faultRing.TakeDropped();
            continue;
        }
        // Each save takes what the queue has room for; one that takes
        // nothing (the file refuses) leaves the rest to be counted.
        for (std::uint32_t waiting = lift.faultRing.Waiting(); waiting > 0;) {
            SaveLiftFault(&lift, nullptr);
            const std::uint32_t left = lift.faultRing.Waiting();
            if (left >= waiting)
                break;
            waiting = left;
        }
        // What the file would not take is told at the close with the rest.
        m_nOverflowFaults += int(lift.faultRing.Discard());
    }
}
