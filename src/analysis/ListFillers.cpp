#include "analysis/ListFillers.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

#include "analysis/FaultEntry.h"
#include "controls/HeadCtrlX.h"
#include "controls/ListCtrlX.h"
#include "database/ErrInfTab.h"
#include "database/LiftFaultStat.h"
#include "link/GroupInf.h"
#include "link/LiftInf.h"
#include "platform/UiText.h"

namespace {

constexpr int kLiftRecords = 64;
constexpr int kEnhancedModel = 2;  // fault names always come from the enhanced model's table

// One column: UI text of its header and its width in pixels.
using Column = std::pair<int, int>;

std::span<const Column> ColumnsOfKind(int nKind)
{
    static constexpr Column kLifts[] = {{21, 90}, {22, 260}, {23, 80}, {241, 80}, {46, 80}};
    static constexpr Column kGroups[] = {{25, 70}, {24, 210}};
    static constexpr Column kFloors[] = {{89, 80}, {90, 70}};
    static constexpr Column kFloorOfMode[] = {{101, 70}};
    static constexpr Column kFaultsOfLift[] = {{128, 150}, {129, 240}, {130, 120}};
    static constexpr Column kLiftsOfFault[] = {{128, 150}, {126, 200}, {130, 120}};
    static constexpr Column kStatsOfLift[] = {{129, 240}, {132, 100}, {157, 120}};
    static constexpr Column kStatsOfFault[] = {{126, 200}, {132, 100}, {158, 135}};
    static constexpr Column kUsers[] = {{168, 90}, {167, 150}};
    auto all = [](const auto& columns) { return std::span<const Column>(columns); };
    switch (nKind) {
    case kListLifts: return all(kLifts);
    case kListGroups: return all(kGroups);
    case kListFloors: return all(kFloors);
    case 5:
    case 6:
    case 7:
    case 8: return all(kFloorOfMode);
    case kListFaultsOfLift: return all(kFaultsOfLift);
    case kListLiftsOfFault: return all(kLiftsOfFault);
    case kListStatsOfLift: return all(kStatsOfLift);
    case kListStatsOfFault: return all(kStatsOfFault);
    case kListUsers: return all(kUsers);
    default: return {};
    }
}

// Fault code texts and names of the enhanced model, found by the code's number.
QString FaultName(const strErrInfTab* pTabs, int nCode)
{
    return pTabs ? FaultNameOfCode(&pTabs[kEnhancedModel], nCode) : QString();
}

QString FaultText(const strErrInfTab* pTabs, int nCode)
{
    return FaultCodeText(pTabs ? &pTabs[kEnhancedModel] : nullptr, nCode);
}

int CodeCount(const strLiftFaultStat& stat, int nCode)
{
    return nCode >= 0 && nCode < kFaultCodeCounts ? stat.nCodeCount[std::size_t(nCode)] : 0;
}

// The rows of one lift's records that the parallel lists all have.
int RecordCount(const strLiftFaultStat& stat)
{
    return int(std::min({stat.arrErrTime.size(), stat.lstLiftState.size(), stat.lstErrCode.size()}));
}

int AppendRow(ClistCtrlX* pList, const QStringList& cells)
{
    const int row = pList->InsertItem(pList->GetItemCount(), cells.value(0));
    for (int c = 1; c < cells.size(); ++c)
        pList->SetItemText(row, c, cells.at(c));
    return row;
}

} // namespace

QString ShareText(int nCount, int nTotal)
{
    // The share is taken as a 32-bit float like the charts do; nothing to share is 0 %.
    const float fShare = nTotal != 0 ? float(nCount) / float(nTotal) : 0.0f;
    return QString::asprintf("%.2f", double(fShare) * 100.0) + QLatin1Char('%');
}

int SetupListColumns(ClistCtrlX* pList, int nKind)
{
    if (!pList)
        return 0;
    while (pList->DeleteColumn(0)) {
    }
    CHeadCtrlX* header = pList->GetHeaderCtrl();
    header->m_strCaptions.clear();
    int index = 0;
    for (const Column& column : ColumnsOfKind(nKind)) {
        const QString caption = UiText(pList->m_pLanText, column.first);
        header->m_strCaptions.append(caption);
        header->m_strAlign += QLatin1Char('1');
        pList->InsertColumn(index++, caption, ClistCtrlX::LVCFMT_CENTER, column.second);
    }
    header->viewport()->update();
    return nKind >= kListLifts && nKind <= kListFloors ? 2 : 0;
}

void FillFaultStatList(ClistCtrlX* pList, int nMode, int nSel, const strLiftFaultStat* pStats,
                       const strErrInfTab* pTabs)
{
    if (!pList)
        return;
    pList->DeleteAllItems();
    if (!pStats)
        return;
    const QStringList* texts = pList->m_pLanText;
    const bool bLiftSel = nSel >= 0 && nSel < kLiftRecords;

    switch (nMode) {
    case kFaultsOfLift: {
        if (!bLiftSel)
            return;
        const strLiftFaultStat& stat = pStats[nSel];
        for (int i = 0, n = RecordCount(stat); i < n; ++i) {
            const int code = stat.lstErrCode.at(i);
            AppendRow(pList, {stat.arrErrTime.at(i), QString::asprintf("Err%02d:", code) + FaultName(pTabs, code),
                              UiText(texts, 28 + stat.lstLiftState.at(i))});
        }
        break;
    }
    case kLiftsOfFault:
        for (int k = 0; k < kLiftRecords; ++k) {
            const strLiftFaultStat& stat = pStats[k];
            if (stat.nRealAddr <= 0)
                continue;
            for (int i = 0, n = RecordCount(stat); i < n; ++i) {
                if (stat.lstErrCode.at(i) == nSel)
                    AppendRow(pList, {stat.arrErrTime.at(i), stat.strName, UiText(texts, 28 + stat.lstLiftState.at(i))});
            }
        }
        break;
    case kStatsOfLift: {
        if (!bLiftSel)
            return;
        const strLiftFaultStat& stat = pStats[nSel];
        if (stat.nErrTotal <= 0)
            return;
        for (int c = 1; c < kFaultCodeCounts; ++c) {
            const int count = stat.nCodeCount[std::size_t(c)];
            if (count <= 0)
                continue;
            AppendRow(pList, {FaultText(pTabs, c) + QStringLiteral(": ") + FaultName(pTabs, c),
                              QString::number(count), ShareText(count, stat.nErrTotal)});
        }
        break;
    }
    case kStatsOfFault: {
        int total = 0;
        for (int k = 0; k < kLiftRecords; ++k) {
            if (pStats[k].nRealAddr > 0)
                total += CodeCount(pStats[k], nSel);
        }
        for (int k = 0; k < kLiftRecords; ++k) {
            const strLiftFaultStat& stat = pStats[k];
            if (stat.nRealAddr <= 0)
                continue;
            const int count = CodeCount(stat, nSel);
            AppendRow(pList, {stat.strName, QString::number(count), ShareText(count, total)});
        }
        break;
    }
    default:
        break;
    }
}

void FillLiftList(ClistCtrlX* pList, const strLiftInf* pLiftInf, const strGroupInf* pGroups, int nGroupCount)
{
    if (!pList || !pLiftInf)
        return;
    const QStringList* texts = pList->m_pLanText;
    int row = 0;
    for (int k = 0; k < kLiftRecords; ++k) {
        const strLiftInf& lift = pLiftInf[k];
        if (lift.nKind == 0)
            continue;
        const int group = lift.nGroupNum;
        const QString groupName = pGroups && group >= 0 && group < nGroupCount ? pGroups[group].strGroupName : QString();
        const int top = lift.nMaxFloor;
        const int item = pList->InsertItem(row++, QString::number(lift.nLiftNum));
        pList->SetItemText(item, 1, lift.strName);
        pList->SetItemText(item, 2, QString::number(group) + QLatin1Char(':') + groupName);
        pList->SetItemText(item, 3, top > 0 ? QString::number(top) : UiText(texts, 257));
        pList->SetItemText(item, 4, UiText(texts, lift.bOffline == 0 ? 18 : 19));
    }
}

void FillGroupList(ClistCtrlX* pList, const strGroupInf* pGroups, int nGroupCount)
{
    if (!pList || !pGroups)
        return;
    for (int g = 0; g < nGroupCount; ++g) {
        const int item = pList->InsertItem(g, QString::number(pGroups[g].nGroupNum));
        pList->SetItemText(item, 1, pGroups[g].strGroupName);
    }
}

void FillUserList(ClistCtrlX* pList, const QStringList& names)
{
    if (!pList)
        return;
    pList->DeleteAllItems();
    for (int i = 0; i < names.size(); ++i)
        AppendRow(pList, {QString::number(i + 1), names.at(i)});
}
