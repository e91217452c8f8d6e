// Loading and storing the lift configuration.
#include "database/DBServer.h"

#include <QRegularExpression>
#include <algorithm>

#include "database/DbTransaction.h"

namespace {
int PageCount(int nMaxFloor)
{
    nMaxFloor = std::max(nMaxFloor, 0);
    return nMaxFloor / 8 + (nMaxFloor % 8 ? 1 : 0);
}
} // namespace

bool CDBServer::LoadSoftInfo(int* pSoftColor, int* pGroupCount, int* pComPort, int* pBaudRate, QStringList* pFloorShow)
{
    auto rs = Query(QStringLiteral("Select * From KALOR_SoftInf"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    rs->MoveFirst();
    const int groups = std::max(0, rs->GetInt(QStringLiteral("GroupNum")));
    if (pSoftColor)
        *pSoftColor = rs->GetInt(QStringLiteral("SoftColor"));
    if (pGroupCount)
        *pGroupCount = groups;
    if (pComPort)
        *pComPort = rs->GetInt(QStringLiteral("ComPort"));
    if (pBaudRate)
        *pBaudRate = rs->GetInt(QStringLiteral("BaudRate"));
    m_nGroupCount = groups;

    const char* const tables[2] = {"KALOR_VELAS_FloorShow", "KALOR_VELAM_FloorShow"};
    for (int t = 0; t < 2; ++t) {
        rs = Query(QStringLiteral("Select * From ") + QLatin1String(tables[t]) + QLatin1String(" Order by nSign"));
        if (!rs || !pFloorShow)
            continue;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
            pFloorShow[t] << rs->GetText(QStringLiteral("FloorShow"));
    }
    return true;
}

bool CDBServer::LoadLiftInfo(strLiftInf* pLiftInf, strLiftPage* pLiftPage)
{
    if (!pLiftInf || !pLiftPage)
        return false;
    auto rs = Query(QStringLiteral("Select * From KALOR_LiftInf Order by RealAddr"));
    if (!rs)
        return false;
    int i = 0;
    for (rs->MoveFirst(); !rs->IsEOF() && i < kDbLiftSlots; rs->MoveNext(), ++i) {
        strLiftInf& inf = pLiftInf[i];
        inf.nKind = rs->GetInt(QStringLiteral("Kind"));
        if (inf.nKind == 0)
            continue;
        const int height = rs->GetInt(QStringLiteral("LiftHight"));
        inf.bHeightKnown = height > 0 ? 1 : 0;
        inf.nLiftNum = rs->GetInt(QStringLiteral("RealAddr"));
        inf.nRealAddr = inf.nLiftNum.load();
        inf.nGroupNum = rs->GetInt(QStringLiteral("GroupNum"));
        inf.nMaxFloor = rs->GetInt(QStringLiteral("MaxFloor"));
        inf.nMinFloor = rs->GetInt(QStringLiteral("MinFloor"));
        inf.nHeight = height;
        pLiftPage[i].nPageCount = PageCount(inf.nMaxFloor);
        inf.strName = rs->GetText(QStringLiteral("strName_1"));
    }
    bool any = false;
    for (int k = 0; k < kDbLiftSlots; ++k)
        any = any || pLiftInf[k].nKind != 0;
    if (!any)
        return false;

    for (int k = 0; k < kDbLiftSlots; ++k) {
        strLiftInf& inf = pLiftInf[k];
        if (inf.nKind == 0)
            continue;
        // A second login loads again: start from empty lists, not doubled ones.
        inf.arrFloorNameHi.clear();
        inf.arrFloorNameLo.clear();
        rs = Query(QStringLiteral("Select * From ") + LiftTable(inf.nLiftNum) + QLatin1String("_FloorName")
                   + QLatin1String(" Order by FloorNum"));
        if (!rs)
            continue;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
            inf.arrFloorNameHi << rs->GetText(QStringLiteral("FloorNameHi"));
            inf.arrFloorNameLo << rs->GetText(QStringLiteral("FloorNameLo"));
        }
    }
    return true;
}

bool CDBServer::LoadGroupInfo(int nCount, strGroupInf* pGroups)
{
    auto rs = Query(QStringLiteral("Select * From KALOR_GroupInf Order by GroupNum"));
    if (rs && pGroups) {
        int k = 0;
        for (rs->MoveFirst(); !rs->IsEOF() && k < nCount; rs->MoveNext(), ++k) {
            pGroups[k].nGroupNum = rs->GetInt(QStringLiteral("GroupNum"));
            pGroups[k].nLiftCount = rs->GetInt(QStringLiteral("GroupCount"));
            pGroups[k].strGroupName = rs->GetText(QStringLiteral("strGroupName"));
        }
    }
    m_pRecordset.reset();
    return true;
}

bool CDBServer::UpdateLiftConfig(int nMode, int nGroupCount, strLiftInf* pLift, strGroupInf* pGroups)
{
    // All or nothing: a refused statement undoes the others, so the caller can
    // keep its records as they were and the file still agrees with them.
    CDbTransaction trans(*m_pAdo);
    bool ok = true;
    switch (nMode) {
    case 1:
        if (pLift && pLift->nKind != 0) {
            const int n = pLift->nLiftNum;
            ok = Exec(QStringLiteral("Update KALOR_LiftInf Set strName_1 = ? Where RealAddr = %1").arg(n), {pLift->strName}) && ok;
            ok = Exec(QStringLiteral("Update KALOR_LiftInf Set GroupNum = %1 Where RealAddr = %2").arg(pLift->nGroupNum).arg(n)) && ok;
            ok = Exec(QStringLiteral("Update KALOR_LiftInf Set Kind = %1 Where RealAddr = %2").arg(pLift->nKind).arg(n)) && ok;
        }
        ok = StoreGroupCounts(m_nGroupCount, pGroups) && ok;
        break;
    case 2: {
        if (!pLift)
            break;
        const QString table = LiftTable(pLift->nLiftNum) + QLatin1String("_FloorName");
        for (int f = 1; f <= pLift->nMaxFloor; ++f) {
            // Floors without an entry have nothing to store.
            if (f - 1 < pLift->arrFloorNameHi.size())
                ok = Exec(QStringLiteral("Update ") + table + QStringLiteral(" Set FloorNameHi = ? Where FloorNum = %1").arg(f),
                          {pLift->arrFloorNameHi[f - 1]}) && ok;
            if (f - 1 < pLift->arrFloorNameLo.size())
                ok = Exec(QStringLiteral("Update ") + table + QStringLiteral(" Set FloorNameLo = ? Where FloorNum = %1").arg(f),
                          {pLift->arrFloorNameLo[f - 1]}) && ok;
        }
        break;
    }
    case 3:
        for (int g = 0; pGroups && g < nGroupCount; ++g)
            ok = Exec(QStringLiteral("Update KALOR_GroupInf Set strGroupName = ? Where GroupNum = %1").arg(pGroups[g].nGroupNum),
                      {pGroups[g].strGroupName}) && ok;
        break;
    case 4:
        ok = StoreGroupCounts(nGroupCount, pGroups);
        break;
    default:
        break;
    }
    if (!ok)
        trans.Rollback();
    return ok;
}

bool CDBServer::SaveLiftSetup(strLiftInf* pLiftInf)
{
    if (!pLiftInf)
        return true;
    // Without the stored kinds a new lift cannot be told from an old one, and
    // creating tables twice would double its floor rows: store nothing.
    auto rs = Query(QStringLiteral("Select Kind From KALOR_LiftInf Order by RealAddr"));
    if (!rs)
        return true;
    std::array<int, kDbLiftSlots> stored;
    stored.fill(-1);  // a slot without a row is not taken for a new lift
    int row = 0;
    for (rs->MoveFirst(); !rs->IsEOF() && row < kDbLiftSlots; rs->MoveNext(), ++row)
        stored[std::size_t(row)] = rs->GetInt(QStringLiteral("Kind"));

    CDbTransaction trans(*m_pAdo);
    for (int i = 0; i < kDbLiftSlots; ++i) {
        strLiftInf& rec = pLiftInf[i];
        if (rec.nKind != 1)
            continue;
        const int n = i + 1;
        Exec(QStringLiteral("Update KALOR_LiftInf Set Kind = %1 Where RealAddr = %2").arg(rec.nKind).arg(n));
        Exec(QStringLiteral("Update KALOR_LiftInf Set MaxFloor = %1 Where RealAddr = %2").arg(rec.nMaxFloor).arg(n));
        Exec(QStringLiteral("Update KALOR_LiftInf Set MinFloor = %1 Where RealAddr = %2").arg(rec.nMinFloor).arg(n));
        Exec(QStringLiteral("Update KALOR_LiftInf Set strName_1 = ? Where RealAddr = %1").arg(n), {rec.strName});
        if (stored[std::size_t(i)] != 0)
            continue;

        const QString index = LiftTable(n);
        Exec(QStringLiteral("Create Table ") + index + QLatin1String(" (CountNum int, RecDate datetime,TabName nvarchar(50))"));
        Exec(QStringLiteral("Create Table ") + index + QLatin1String("_1") + QLatin1String(" ( RecDateTm datetime, CallSign byte,CallNum byte )"));
        Exec(QStringLiteral("Insert Into ") + index + QLatin1String(" Values (1,Now(),?)"), {index + QLatin1String("_1")});
        Exec(QStringLiteral("Create Table ") + index + QLatin1String("_Err")
             + QLatin1String(" (ErrCount byte,ErrDate datetime,LiftState byte,ID1 float,ID2 float,ID3 float,ID4 float,"
                             "ID5 float,ID6 float,ID7 float,ID8 float)"));
        const QString floorTable = index + QLatin1String("_FloorName");
        Exec(QStringLiteral("Create Table ") + floorTable
             + QLatin1String(" (FloorNum byte,FloorNameHi nvarchar(10),FloorNameLo nvarchar(10))"));
        for (int f = 1; f <= kFloorNameRows; ++f) {
            const QString tens = f >= 10 ? QString::number(f / 10) : QString();
            const QString units = QString::number(f % 10);
            rec.arrFloorNameHi << tens;
            rec.arrFloorNameLo << units;
            Exec(QStringLiteral("Insert Into ") + floorTable + QStringLiteral(" Values (%1,?,?)").arg(f), {tens, units});
        }
        rec.nHeight = rec.nHeight + 25 * std::max(0, int(rec.nMaxFloor));
        Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight = %1 Where RealAddr = %2").arg(rec.nHeight).arg(rec.nLiftNum));
        // The recorder starts the new lift's history from its fresh index.
        rec.bRecInit = 0;
        m_tmLastSave[std::size_t(i)] = QDateTime();
        m_bIndexLost[std::size_t(i)] = false;
    }
    return true;
}

bool CDBServer::SaveLiftHeight(strLiftInf* pLift)
{
    if (!pLift)
        return true;
    const int n = pLift->nLiftNum;
    CDbTransaction trans(*m_pAdo);
    Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight = %1 Where RealAddr = %2").arg(pLift->nHeight).arg(n));
    Exec(QStringLiteral("Update KALOR_LiftInf Set bLiftHight = 1 Where RealAddr = %1").arg(n));
    return true;
}

bool CDBServer::DeleteLift(strLiftInf* pLift, strGroupInf* pGroups)
{
    if (!pLift || !ValidLiftNum(pLift->nLiftNum))
        return false;
    const int n = pLift->nLiftNum;
    const QString index = LiftTable(n);
    CDbTransaction trans(*m_pAdo);
    for (const char* column : {"Kind", "MaxFloor", "MinFloor", "LiftHight", "bLiftHight", "GroupNum"})
        Exec(QStringLiteral("Update KALOR_LiftInf Set %1 = 0 Where RealAddr = %2").arg(QLatin1String(column)).arg(n));
    Exec(QStringLiteral("Update KALOR_LiftInf Set strName_1 = ? Where RealAddr = %1").arg(n), {QString()});

    // Only day tables of this lift are dropped, whatever else an index row names.
    const QRegularExpression dayTable(QStringLiteral("^KALOR_LiftData_%1_\\d+$").arg(n));
    if (auto rs = Query(QStringLiteral("Select * From ") + index)) {
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
            const QString name = rs->GetText(QStringLiteral("TabName"));
            if (dayTable.match(name).hasMatch())
                Exec(QStringLiteral("Drop Table ") + name);
        }
    }
    Exec(QStringLiteral("Drop Table ") + index + QLatin1String("_Err"));
    Exec(QStringLiteral("Drop Table ") + index + QLatin1String("_FloorName"));
    Exec(QStringLiteral("Drop Table ") + index);
    StoreGroupCounts(m_nGroupCount, pGroups);

    pLift->bRecInit = 0;
    m_tmLastSave[std::size_t(n - 1)] = QDateTime();
    m_bIndexLost[std::size_t(n - 1)] = false;
    return true;
}
