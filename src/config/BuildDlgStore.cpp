// The configuration page's stores: lift name and group, group names, floor
// display texts, deleting a lift, and the lifts per column of the all-lifts page.
// Every store goes to the file first; the records and lists change only
// when it went through.
#include <QComboBox>
#include <algorithm>

#include "config/BuildDlg.h"
#include "config/SetShowNumDlg.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "database/DBServer.h"
#include "link/LiftDataStore.h"
#include "mainwnd/KALORDlg.h"
#include "platform/AtoI.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "views/ShowAllDlg.h"

namespace {

const FixedText kNoGroupName{QStringLiteral("请输入组名!"), QStringLiteral("Enter a group name."),
                             QStringLiteral("請輸入組名!")};
const FixedText kDuplicateGroupName{QStringLiteral("名称重复,请重新输入"),
                                    QStringLiteral("Another group already has this name."),
                                    QStringLiteral("名稱重複,請重新輸入")};

// Lift names become sheet names of the exported workbooks, which cannot hold these.
const QString kSheetForbidden = QStringLiteral("[]:*?/\\");
const FixedText kSheetChars{QStringLiteral("电梯名称不能包含以下字符：[ ] : * ? / \\"),
                            QStringLiteral("A lift name cannot contain any of these characters: [ ] : * ? / \\"),
                            QStringLiteral("電梯名稱不能包含以下字元：[ ] : * ? / \\")};

} // namespace

std::vector<strGroupInf> CBuildDlg::RebuildGroupMembers(int nLiftNum, int nGroupNum, bool bInstalled) const
{
    std::vector<strGroupInf> groups;
    if (!m_pGroupTable || m_nGroupCount <= 0)
        return groups;
    groups.assign(m_pGroupTable, m_pGroupTable + m_nGroupCount);
    for (strGroupInf& group : groups) {
        group.byLiftNum.fill(0);
        int count = 0;
        for (int k = 0; m_pLiftInf && k < kLiftSlots; ++k) {
            const strLiftInf& lift = m_pLiftInf[k];
            const bool bThis = nLiftNum != 0 && lift.nLiftNum == nLiftNum;
            const int groupOfLift = bThis ? nGroupNum : int(lift.nGroupNum);
            const bool installed = bThis ? bInstalled : lift.nKind != 0;
            if (installed && groupOfLift == group.nGroupNum && count < kMaxGroupMembers)
                group.byLiftNum[std::size_t(count++)] = std::uint8_t(lift.nLiftNum);
        }
        group.nLiftCount = count;
    }
    return groups;
}

void CBuildDlg::ApplyGroupTable(const std::vector<strGroupInf>& groups)
{
    for (int g = 0; m_pGroupTable && g < m_nGroupCount && g < int(groups.size()); ++g)
        m_pGroupTable[g] = groups[std::size_t(g)];
}

int CBuildDlg::NameWidth(const QString& name)
{
    int width = 0;
    for (const char32_t c : name.toUcs4())
        width += c > 0xFF ? 2 : 1;
    return width;
}

QString CBuildDlg::CheckLiftName(const QString& name, int nLiftNum) const
{
    if (name.trimmed().isEmpty())
        return Text(162);
    for (int k = 0; m_pLiftInf && k < kLiftSlots; ++k) {
        const strLiftInf& lift = m_pLiftInf[k];
        if (lift.nKind != 0 && lift.nLiftNum != nLiftNum && lift.strName == name)
            return Text(161);
    }
    if (NameWidth(name) > kMaxNameWidth)
        return Text(120);
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return kSheetForbidden.contains(c); }))
        return kSheetChars.In(m_nLanguageKind);
    return QString();
}

void CBuildDlg::OnBnClickedSaveLift()
{
    if (m_bBusy)
        return;
    const int liftNum = LiftNumOfRow(m_nLiftRow);
    strLiftInf* lift = LiftOfNumber(liftNum);
    const int entry = m_cbGroup->currentIndex();
    if (!lift || !m_pDB || entry < 0 || !m_pGroupTable || entry >= m_nGroupCount)
        return;
    const QString entryText = m_cbGroup->currentText();
    const int groupNum = AtoI(entryText);
    const int colon = entryText.indexOf(QLatin1Char(':'));
    const QString groupName = colon < 0 ? entryText : entryText.mid(colon + 1);

    // Only a lift that joins the group counts against its limit.
    if (groupNum != lift->nGroupNum && m_pGroupTable[entry].nLiftCount >= kMaxGroupMembers) {
        AfxMessageBox(Text(251));
        return;
    }
    const QString name = m_edLiftName->text();
    if (const QString why = CheckLiftName(name, liftNum); !why.isEmpty()) {
        AfxMessageBox(why);
        return;
    }

    // Stored first: the records change only once the file has taken the change.
    strLiftInf stored;
    stored.nLiftNum = liftNum;
    stored.nKind = lift->nKind.load();
    stored.strName = name;
    stored.nGroupNum = groupNum;
    std::vector<strGroupInf> groups = RebuildGroupMembers(liftNum, groupNum, lift->nKind != 0);
    if (!m_pDB->UpdateLiftConfig(1, m_nGroupCount, &stored, groups.empty() ? nullptr : groups.data()))
        return;

    m_lstLift->SetItemText(m_nLiftRow, 1, name);
    m_lstLift->SetItemText(m_nLiftRow, 2, entryText);
    lift->strName = name;
    lift->nGroupNum = groupNum;
    lift->strGroupName = groupName;
    ApplyGroupTable(groups);
}

void CBuildDlg::OnBnClickedSaveGroup()
{
    if (m_bBusy)
        return;
    if (m_nGroupRow < 0 || m_nGroupRow >= m_lstGroup->GetItemCount() || m_nGroupRow >= m_nGroupCount
        || !m_pGroupTable || !m_pDB)
        return;
    const QString name = m_edGroupName->text();
    if (name.isEmpty()) {
        AfxMessageBox(kNoGroupName.In(m_nLanguageKind));
        return;
    }
    // Bounded as lift names are: a group name shows in the lists, the combo and on the group pages.
    if (NameWidth(name) > kMaxNameWidth) {
        AfxMessageBox(Text(120));
        return;
    }
    for (int g = 0; g < m_nGroupCount; ++g) {
        if (m_pGroupTable[g].strGroupName == name) {
            AfxMessageBox(kDuplicateGroupName.In(m_nLanguageKind));
            return;
        }
    }

    std::vector<strGroupInf> groups(m_pGroupTable, m_pGroupTable + m_nGroupCount);
    QStringList names;
    for (int g = 0; g < m_nGroupCount; ++g) {
        const QString listed = g < m_lstGroup->GetItemCount() ? m_lstGroup->GetItemText(g, 1) : groups[std::size_t(g)].strGroupName;
        names << (g == m_nGroupRow ? name : listed);
        groups[std::size_t(g)].strGroupName = names.back();
    }
    if (!m_pDB->UpdateLiftConfig(3, m_nGroupCount, nullptr, groups.data()))
        return;

    m_lstGroup->SetItemText(m_nGroupRow, 1, name);
    FillGroupCombo(names);
    for (int row = 0; row < m_lstLift->GetItemCount(); ++row) {
        if (AtoI(m_lstLift->GetItemText(row, 2)) != m_nGroupRow)
            continue;
        m_lstLift->SetItemText(row, 2, QString::number(m_nGroupRow) + QLatin1Char(':') + name);
        if (strLiftInf* lift = LiftOfNumber(LiftNumOfRow(row)))
            lift->strGroupName = name;
    }
    for (int g = 0; g < m_nGroupCount; ++g)
        m_pGroupTable[g].strGroupName = names.at(g);
}

void CBuildDlg::OnBnClickedModifyFloorShow()
{
    if (m_bBusy)
        return;
    if (m_nFloorRow < 0 || m_nFloorRow >= kFloorRows || m_nFloorRow >= m_lstFloor->GetItemCount() || !m_pDB)
        return;
    strLiftInf* lift = LiftOfNumber(m_nSelLiftNum);
    if (!lift)
        return;
    const QString tens = m_cbFloorHi->currentText();
    const QString units = m_cbFloorLo->currentText();

    strLiftInf stored;
    stored.nLiftNum = lift->nLiftNum.load();
    stored.nMaxFloor = lift->nMaxFloor.load();
    stored.arrFloorNameHi = lift->arrFloorNameHi;
    stored.arrFloorNameLo = lift->arrFloorNameLo;
    // Floors before this one that have no texts yet keep what the list shows for them.
    while (stored.arrFloorNameHi.size() <= m_nFloorRow)
        stored.arrFloorNameHi << DefaultTens(int(stored.arrFloorNameHi.size()) + 1);
    while (stored.arrFloorNameLo.size() <= m_nFloorRow)
        stored.arrFloorNameLo << DefaultUnits(int(stored.arrFloorNameLo.size()) + 1);
    stored.arrFloorNameHi[m_nFloorRow] = tens;
    stored.arrFloorNameLo[m_nFloorRow] = units;
    if (!m_pDB->UpdateLiftConfig(2, m_nGroupCount, &stored, m_pGroupTable))
        return;

    m_lstFloor->SetItemText(m_nFloorRow, 1, tens + QLatin1Char(' ') + units);
    lift->arrFloorNameHi = stored.arrFloorNameHi;
    lift->arrFloorNameLo = stored.arrFloorNameLo;
}

void CBuildDlg::OnBnClickedDeleteLift()
{
    if (m_bBusy)
        return;
    if (m_nLiftRow < 0 || m_nLiftRow >= kLiftSlots || m_nLiftRow >= m_lstLift->GetItemCount() || !m_pDB)
        return;
    if (AfxMessageBox(Text(47), QString(), MsgBoxKind::OkCancel, true) != MsgBoxResult::Ok)
        return;
    strLiftInf* lift = LiftOfNumber(LiftNumOfRow(m_nLiftRow));
    if (!lift)
        return;
    // The deletion ends in a compaction: when none may run, the lift stays.
    if (const QString refusal = m_pDB->FileAwayReason(); !refusal.isEmpty()) {
        AfxMessageBox(CDBServer::LiftNotDeletedText(lift->nLiftNum, refusal, m_nLanguageKind));
        return;
    }

    std::vector<strGroupInf> groups = RebuildGroupMembers(lift->nLiftNum, 0, false);
    if (!m_pDB->DeleteLift(lift, groups.empty() ? nullptr : groups.data()))
        return;
    lift->nKind = 0;
    lift->arrFloorNameHi.clear();
    lift->arrFloorNameLo.clear();
    lift->nFaultCodePrev = 0;
    lift->nGroupNum = 0;
    lift->nHeight = 0;
    lift->nCtrlModePrev = 0;
    lift->nMaxFloor = 0;
    lift->nCarPos = 0;
    lift->bHeightKnown = 0;
    lift->strName.clear();
    lift->strGroupName.clear();
    ApplyGroupTable(groups);

    RefillLiftList();
    m_lstFloor->DeleteAllItems();
    m_nLiftRow = -1;
    m_nFloorRow = -1;
    QString why;
    if (m_pDB->CompactDatabase(&why).isEmpty())
        AfxMessageBox((Text(219) + QLatin1Char('\n') + why).trimmed());
}

void CBuildDlg::OnBnClickedShowNum()
{
    if (m_bBusy)
        return;
    CSetShowNumDlg dlg;
    dlg.m_nShowNum = 0;
    dlg.m_pTexts = m_pTexts;
    dlg.m_nLanguageKind = m_nLanguageKind;
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    auto* main = qobject_cast<CKALORDlg*>(parentWidget() ? parentWidget() : m_hMainWnd);
    if (!main)
        main = qobject_cast<CKALORDlg*>(m_hMainWnd);
    if (main && main->m_pShowAllDlg)
        main->m_pShowAllDlg->m_nLiftsPerColumn = dlg.m_nShowNum;
}
