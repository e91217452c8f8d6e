// Day tables and the recording of calls and faults.
#include "database/DBServer.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <vector>

#include "database/DbTransaction.h"

namespace {

// Date part of a stored date text ('YYYY-MM-DD HH:MM:SS'); invalid if unreadable.
QDate StoredDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,4})[-/](\d{1,2})[-/](\d{1,2}))"));
    const auto m = re.match(text);
    return m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QDate();
}

bool Rises(int now, int old, int bit) { return ((now >> bit) & 1) && !((old >> bit) & 1); }

} // namespace

bool CDBServer::OpenNewDayTable(int i, const QString& strIndex, const std::shared_ptr<CAdoRecordset>& pIndex)
{
    CDbTransaction trans(*m_pAdo);
    if (m_nDayTables[std::size_t(i)] >= kMaxDayTables) {
        // Exactly one table goes: the oldest.
        if (!pIndex || pIndex->GetRecordCount() == 0)
            return false;
        pIndex->MoveFirst();
        const QString oldName = pIndex->GetText(QStringLiteral("TabName"));
        const QString oldNum = pIndex->GetText(QStringLiteral("CountNum"));
        pIndex->MoveLast();
        m_nLastCountNum[std::size_t(i)] = pIndex->GetInt(QStringLiteral("CountNum"));
        Exec(QStringLiteral("Delete From ") + strIndex + QLatin1String(" Where CountNum = ?"), {oldNum});
        // Only one of this lift's day tables is ever dropped, whatever the row names.
        static const QRegularExpression dayTable(QStringLiteral(R"(^KALOR_LiftData_\d+_\d+$)"));
        if (dayTable.match(oldName).hasMatch() && oldName.startsWith(strIndex + QLatin1Char('_')))
            Exec(QStringLiteral("Drop Table ") + oldName);
        --m_nDayTables[std::size_t(i)];
    }
    const int c = ++m_nLastCountNum[std::size_t(i)];
    const QString table = strIndex + QLatin1Char('_') + QString::number(c);
    Exec(QStringLiteral("Insert Into ") + strIndex + QStringLiteral(" Values (%1,Now(),?)").arg(c), {table});
    Exec(QStringLiteral("Create Table ") + table + QLatin1String(" ( RecDateTm datetime, CallSign byte,CallNum byte)"));
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
        pLift->bRecInit = 1;
        m_bIndexLost[i] = false;
        m_nLastFaultCode[i] = pLift->nFaultCodePrev;
        auto rs = Query(QStringLiteral("Select * From ") + index + QLatin1String(" Order by CountNum"));
        if (!rs) {
            // The wrapper has reported it; record nothing for this lift until
            // its records are reset, rather than guess at a table name.
            m_bIndexLost[i] = true;
            return false;
        }
        m_nDayTables[i] = m_nLastCountNum[i] = rs->GetRecordCount();
        if (rs->GetRecordCount() == 0) {
            CDbTransaction trans(*m_pAdo);
            Exec(QStringLiteral("Insert Into ") + index + QLatin1String(" Values ('1',Now(),?)"), {index + QLatin1String("_1")});
            Exec(QStringLiteral("Create Table ") + index + QLatin1String("_1")
                 + QLatin1String(" ( RecDateTm datetime, CallSign byte,CallNum byte)"));
            ++m_nDayTables[i];
            ++m_nLastCountNum[i];
        } else {
            rs->MoveLast();
            const QString recDate = rs->GetText(QStringLiteral("RecDate"));
            if (recDate.isEmpty())
                return false;
            m_nLastCountNum[i] = rs->GetInt(QStringLiteral("CountNum"));
            if (StoredDate(recDate) != m_tmToday.date() && !OpenNewDayTable(int(i), index, rs))
                return false;
        }
    } else {
        if (m_bIndexLost[i])
            return false;
        if (!m_tmLastSave[i].isValid() || m_tmLastSave[i].date() != m_tmToday.date()) {
            std::shared_ptr<CAdoRecordset> rs;
            if (m_nDayTables[i] >= kMaxDayTables) {
                rs = Query(QStringLiteral("Select * From ") + index + QLatin1String(" Order by CountNum"));
                if (!rs)
                    return false;
            }
            if (!OpenNewDayTable(int(i), index, rs))
                return false;
        }
    }
    *pDayTable = index + QLatin1Char('_') + QString::number(m_nLastCountNum[i]);
    m_tmLastSave[i] = m_tmToday;
    return true;
}

void CDBServer::SaveLiftRecords(strLiftInf* pLift, strLiftPage* pPage)
{
    if (!pLift || !pPage || !ValidLiftNum(pLift->nLiftNum))
        return;
    const int n = pLift->nLiftNum;
    const auto i = std::size_t(n - 1);
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
    // A new fault is one the recorder has not seen last, not one that differs
    // from the previous reply: page replies overwrite that one.
    const int code = pLift->nFaultCode;
    const bool newFault = code != 0 && code != m_nLastFaultCode[i];

    if (!calls.empty() || newFault) {
        CDbTransaction trans(*m_pAdo);
        for (const auto& [sign, floor] : calls)
            Exec(QStringLiteral("Insert Into ") + day + QStringLiteral(" Values (Now(),%1,?)").arg(sign),
                 {QString::number(floor)});
        if (newFault)
            Exec(QStringLiteral("Insert Into ") + LiftTable(n) + QLatin1String("_Err")
                 + QStringLiteral(" Values (%1,Now(),%2,'0','0','0','0','0','0','0','0')").arg(code).arg(pLift->nCtrlModePrev));
    }
    m_nLastFaultCode[i] = code;
    pLift->nFaultCodePrev = code;
    pLift->nCtrlModePrev = pLift->nCtrlMode.load();
    pLift->nStatusBitsPrev = pLift->nStatusBits.load();
}

void CDBServer::SaveLiftFault(strLiftInf* pLift, strLiftFault* pFault)
{
    if (!pLift || !pFault || !ValidLiftNum(pLift->nLiftNum))
        return;
    const int n = pLift->nLiftNum;
    const auto i = std::size_t(n - 1);
    QString day;
    if (!DayTableUpkeep(pLift, &day))
        return;
    // Not gated on the new-fault flag: it lasts one status reply, and a refresh
    // that comes late would miss it for good. The recorder's own last code
    // already keeps a standing fault from being written twice.
    const int code = pFault->nFaultCode;
    if (code != 0 && code != m_nLastFaultCode[i]) {
        const int prev = pLift->nStatusBitsPrev;
        const int state = prev == 2 ? 225 : prev == 4 ? 226 : prev == 8 ? 227 : 7;
        CDbTransaction trans(*m_pAdo);
        Exec(QStringLiteral("Insert Into ") + LiftTable(n) + QLatin1String("_Err")
             + QStringLiteral(" Values (%1,Now(),%2,0,0,0,0,0,0,0,0)").arg(pLift->nFaultCode).arg(state));
    }
    m_nLastFaultCode[i] = code;
    pLift->nFaultCodePrev = pLift->nFaultCode.load();
    pLift->nStatusBitsPrev = pLift->nStatusBits.load();
}
