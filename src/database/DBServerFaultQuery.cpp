// Reading the fault rows back for the analysis page.
#include "database/DBServer.h"
#include "database/StoredText.h"

#include "platform/MessageBox.h"

namespace {
QString DayText(const QDate& d)
{
    // An invalid date gives -1 for year, month and day, which DateValue refuses.
    return d.isValid() ? QString::asprintf("%04d-%02d-%02d", d.year(), d.month(), d.day())
                       : QString::asprintf("%04d-%02d-%02d", -1, -1, -1);
}
} // namespace

void CDBServer::QueryFaultRecords(bool bByDate, const QDate& start, const QDate& end, strLiftFaultStat* pStats)
{
    if (!pStats)
        return;
    for (int k = 0; k < kDbLiftSlots; ++k)
        pStats[k].Clear();
    auto rs = Query(QStringLiteral("Select * From ") + QLatin1String("KALOR_LiftInf") + QLatin1String(" Where Kind <> 0"));
    if (!rs)
        return;
    int used = 0;
    for (rs->MoveFirst(); !rs->IsEOF() && used < kDbLiftSlots; rs->MoveNext(), ++used) {
        pStats[used].nRealAddr = rs->GetInt(QStringLiteral("RealAddr"));
        pStats[used].strName = StoredName(rs->GetText(QStringLiteral("strName_1")));
        pStats[used].nKind = rs->GetInt(QStringLiteral("Kind"));
    }

    const QVariantList range = bByDate ? QVariantList{DayText(start), DayText(end)} : QVariantList{};
    // A range the engine refuses fails alike for every lift: one box says so.
    QString failure;
    m_pAdo->SetQuiet(true);
    for (int k = 0; k < used; ++k) {
        strLiftFaultStat& s = pStats[k];
        const QString table = LiftTable(s.nRealAddr) + QLatin1String("_Err");
        // The start bound is inclusive: a fault stamped at midnight of the first day belongs to it.
        const QString sql = bByDate ? QStringLiteral("Select * From ") + table
                                          + QLatin1String(" Where ErrDate >= DateValue(?) and ErrDate < DateValue(?)")
                                          + QLatin1String(" ORDER BY ErrDate DESC")
                                    : QStringLiteral("Select * From ") + table + QLatin1String(" ORDER BY ErrDate DESC");
        rs = Query(sql, range);
        if (!rs) {
            // The other lifts still count.
            if (failure.isEmpty())
                failure = m_pAdo->LastError();
            continue;
        }
        const int rows = rs->GetRecordCount();
        s.arrErrTime.reserve(rows);
        s.lstLiftState.reserve(rows);
        s.lstErrCode.reserve(rows);
        s.lstErrID.reserve(rows);
        // A year of faults is many rows: the columns are looked up once.
        const int colCode = rs->ColumnIndex(QStringLiteral("ErrCount"));
        const int colState = rs->ColumnIndex(QStringLiteral("LiftState"));
        const int colDate = rs->ColumnIndex(QStringLiteral("ErrDate"));
        std::array<int, 8> colId;
        for (int p = 0; p < 8; ++p)
            colId[std::size_t(p)] = rs->ColumnIndex(QStringLiteral("ID") + QString::number(p + 1));
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
            ++s.nErrTotal;
            const int code = rs->GetInt(colCode);
            if (code >= 0 && code < kFaultCodeCounts)
                ++s.nCodeCount[std::size_t(code)];
            s.lstErrCode << code;
            s.lstLiftState << rs->GetInt(colState);
            strErrIDInf id;
            for (std::size_t p = 0; p < 8; ++p)
                id.nID[p] = rs->GetInt(colId[p]);
            id.nErrCount = code;
            s.lstErrID << id;
            s.arrErrTime << rs->GetText(colDate);
        }
    }
    m_pAdo->SetQuiet(false);
    m_pRecordset.reset();
    if (!failure.isEmpty())
        AfxMessageBox(failure);
}
