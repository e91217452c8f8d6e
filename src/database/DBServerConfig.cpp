// Loading and storing the lift configuration.
#include "database/DBServer.h"
#include "database/StoredText.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "database/DbTransaction.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "link/LiftFrames.h"

bool CDBServer::LoadSoftInfo(int* pSoftColor, int* pGroupCount, int* pComPort, int* pBaudRate, QStringList* pFloorShow)
{
    auto rs = Query(QStringLiteral("Select * From KALOR_SoftInf"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    rs->MoveFirst();
    // Clamped, not refused: a group per lift slot at most, so a damaged count
    // cannot size the group table beyond reason.
    const int groups = std::clamp(rs->GetInt(QStringLiteral("GroupNum")), 0, kDbLiftSlots);
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
        // Capped as the link caps it, so no worker or recorder runs past the pages.
        pLiftPage[i].nPageCount = PageCountOf(inf.nMaxFloor);
        inf.strName = StoredName(rs->GetText(QStringLiteral("strName_1")));
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
            pGroups[k].strGroupName = StoredName(rs->GetText(QStringLiteral("strGroupName")));
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
        return false;
    std::array<int, kDbLiftSlots> stored;
    stored.fill(-1);  // a slot without a row is not taken for a new lift
    int row = 0;
    for (rs->MoveFirst(); !rs->IsEOF() && row < kDbLiftSlots; rs->MoveNext(), ++row)
        stored[std::size_t(row)] = rs->GetInt(QStringLiteral("Kind"));

    // All or nothing, and the records change only once every statement went
    // through: the new lifts' floor texts and heights are kept aside till then.
    CDbTransaction trans(*m_pAdo);
    bool ok = true;
    struct Fresh {
        int slot;
        QStringList hi, lo;
        int height;
    };
    std::vector<Fresh> fresh;
    for (int i = 0; i < kDbLiftSlots; ++i) {
        const strLiftInf& rec = pLiftInf[i];
        if (rec.nKind != 1)
            continue;
        const int n = i + 1;
        ok = Exec(QStringLiteral("Update KALOR_LiftInf Set Kind = %1 Where RealAddr = %2").arg(rec.nKind).arg(n)) && ok;
        ok = Exec(QStringLiteral("Update KALOR_LiftInf Set MaxFloor = %1 Where RealAddr = %2").arg(rec.nMaxFloor).arg(n)) && ok;
        ok = Exec(QStringLiteral("Update KALOR_LiftInf Set MinFloor = %1 Where RealAddr = %2").arg(rec.nMinFloor).arg(n)) && ok;
        ok = Exec(QStringLiteral("Update KALOR_LiftInf Set strName_1 = ? Where RealAddr = %1").arg(n), {rec.strName}) && ok;
        if (stored[std::size_t(i)] != 0)
            continue;

        const QString index = LiftTable(n);
        ok = Exec(QStringLiteral("Create Table ") + index + QLatin1String(" (CountNum int, RecDate datetime,TabName nvarchar(50))")) && ok;
        ok = Exec(QStringLiteral("Create Table ") + index + QLatin1String("_1") + QLatin1String(" ( RecDateTm datetime, CallSign byte,CallNum byte )")) && ok;
        ok = Exec(QStringLiteral("Insert Into ") + index + QLatin1String(" Values (1,Now(),?)"), {index + QLatin1String("_1")}) && ok;
        ok = Exec(QStringLiteral("Create Table ") + index + QLatin1String("_Err")
                  + QLatin1String(" (ErrCount byte,ErrDate datetime,LiftState byte,ID1 float,ID2 float,ID3 float,ID4 float,"
                                  "ID5 float,ID6 float,ID7 float,ID8 float)")) && ok;
        const QString floorTable = index + QLatin1String("_FloorName");
        ok = Exec(QStringLiteral("Create Table ") + floorTable
                  + QLatin1String(" (FloorNum byte,FloorNameHi nvarchar(10),FloorNameLo nvarchar(10))")) && ok;
        Fresh added{i, rec.arrFloorNameHi, rec.arrFloorNameLo, rec.nHeight + 25 * std::max(0, int(rec.nMaxFloor))};
        for (int f = 1; f <= kFloorNameRows; ++f) {
            const QString tens = f >= 10 ? QString::number(f / 10) : QString();
            const QString units = QString::number(f % 10);
            added.hi << tens;
            added.lo << units;
            ok = Exec(QStringLiteral("Insert Into ") + floorTable + QStringLiteral(" Values (%1,?,?)").arg(f), {tens, units}) && ok;
        }
        ok = Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight = %1 Where RealAddr = %2").arg(added.height).arg(rec.nLiftNum)) && ok;
        fresh.push_back(std::move(added));
    }
    if (!ok) {
        trans.Rollback();
        return false;
    }
    for (Fresh& added : fresh) {
        strLiftInf& rec = pLiftInf[added.slot];
        rec.arrFloorNameHi = std::move(added.hi);
        rec.arrFloorNameLo = std::move(added.lo);
        rec.nHeight = added.height;
        // The recorder starts the new lift's history from its fresh index.
        rec.bRecInit = 0;
        m_tmLastSave[std::size_t(added.slot)] = QDateTime();
        m_bIndexLost[std::size_t(added.slot)] = false;
    }
    return true;
}

bool CDBServer::SaveLiftHeight(strLiftInf* pLift)
{
    if (!pLift)
        return true;
    const int n = pLift->nLiftNum;
    CDbTransaction trans(*m_pAdo);
    bool ok = Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight = %1 Where RealAddr = %2").arg(pLift->nHeight).arg(n));
    ok = Exec(QStringLiteral("Update KALOR_LiftInf Set bLiftHight = 1 Where RealAddr = %1").arg(n)) && ok;
    if (!ok)
        trans.Rollback();
    return ok;
}

QString CDBServer::LiftNotDeletedText(int nLiftNum, const QString& why, int nLanguageKind)
{
    return FixedText{QStringLiteral("电梯 %1 没有删除：%2"), QStringLiteral("Lift %1 is not deleted: %2"),
                     QStringLiteral("電梯 %1 沒有刪除：%2")}
        .In(nLanguageKind)
        .arg(nLiftNum)
        .arg(why);
}

bool CDBServer::DeleteLift(strLiftInf* pLift, strGroupInf* pGroups)
{
    if (!pLift || !ValidLiftNum(pLift->nLiftNum))
        return false;
    const int n = pLift->nLiftNum;
    const QString index = LiftTable(n);
    // All or nothing: a refused statement leaves the lift as it was, in the
    // file and, since the caller keeps its records then, in memory. The
    // operator hears once that the lift stays, and why: not once a statement,
    // each after its own wait for a lock another program holds.
    const bool quiet = m_pAdo->IsQuiet();
    m_pAdo->SetQuiet(true);
    auto refused = [&] {
        m_pAdo->SetQuiet(quiet);
        AfxMessageBox(LiftNotDeletedText(n, m_pAdo->LastReason(), m_nLanguageKind));
        return false;
    };
    CDbTransaction trans(*m_pAdo);
    if (!trans.IsActive() && !m_pAdo->InTransaction())
        return refused();
    bool ok = true;
    for (const char* column : {"Kind", "MaxFloor", "MinFloor", "LiftHight", "bLiftHight", "GroupNum"})
        ok = Exec(QStringLiteral("Update KALOR_LiftInf Set %1 = 0 Where RealAddr = %2").arg(QLatin1String(column)).arg(n)) && ok;
    ok = Exec(QStringLiteral("Update KALOR_LiftInf Set strName_1 = ? Where RealAddr = %1").arg(n), {QString()}) && ok;

    // Only day tables of this lift are dropped, whatever else an index row names.
    const QRegularExpression dayTable(QStringLiteral("^KALOR_LiftData_%1_\\d+$").arg(n));
    if (auto rs = Query(QStringLiteral("Select * From ") + index)) {
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
            const QString name = rs->GetText(QStringLiteral("TabName"));
            if (dayTable.match(name).hasMatch())
                ok = Exec(QStringLiteral("Drop Table If Exists ") + name) && ok;
        }
    }
    // A table already gone is no reason to keep the lift: only a refused drop is.
    ok = Exec(QStringLiteral("Drop Table If Exists ") + index + QLatin1String("_Err")) && ok;
    ok = Exec(QStringLiteral("Drop Table If Exists ") + index + QLatin1String("_FloorName")) && ok;
    ok = Exec(QStringLiteral("Drop Table If Exists ") + index) && ok;
    ok = StoreGroupCounts(m_nGroupCount, pGroups) && ok;
    if (!ok) {
        trans.Rollback();
        return refused();
    }
    // Committed before any box below waits for the operator.
    if (trans.IsActive() && !trans.Commit())
        return refused();
    m_pAdo->SetQuiet(quiet);

    pLift->bRecInit = 0;
    m_tmLastSave[std::size_t(n - 1)] = QDateTime();
    m_bIndexLost[std::size_t(n - 1)] = false;
    // Its rows still waiting have no table left to go to, nor have the
    // faults its replies brought and no save took yet.
    const std::uint32_t untaken = pLift->faultRing.Discard();
    pLift->faultRing.TakeDropped();
    DropPendingOfLift(n, int(untaken));
    return true;
}
