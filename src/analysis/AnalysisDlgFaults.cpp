// The analysis page's fault views: modes, date-range query, tree, detail
// list, fault help and the column chart's scale.
#include <QDateTimeEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <algorithm>

#include "analysis/AnalysisDlg.h"
#include "analysis/ButAnaly.h"
#include "analysis/ExcelIO.h"
#include "analysis/FaultEntry.h"
#include "analysis/ListFillers.h"
#include "analysis/PieChartWnd.h"
#include "analysis/StaCol.h"
#include "analysis/StaInfX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "database/ErrInfTab.h"

namespace {

constexpr int kContentTop = 95;      // tree, list and swatches
constexpr int kRowIndex = Qt::UserRole;       // tree item: lift record index or fault code
constexpr int kRowNumber = Qt::UserRole + 1;  // tree item of the help page: running number
constexpr int kHighestCode = 149;
constexpr int kEnhancedModel = 2;

// A record's time text as the database writes it; a text that does not parse
// counts as day 0 of the date scale (1899-12-30).
QDateTime ParseRecordTime(const QString& text)
{
    QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid())
        t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid())
        t = QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    return t;
}

QString At(const QStringList& list, int i)
{
    return i >= 0 && i < list.size() ? list.at(i) : QString();
}

QString Blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

} // namespace

const strErrInfTab* CAnalysisDlg::FaultTab(int nModel) const
{
    if (!m_pErrInfTab || nModel < 0 || nModel > 2)
        return nullptr;
    return &(*m_pErrInfTab)[std::size_t(nModel)];
}

void CAnalysisDlg::SetRangeLabel(const QString& label)
{
    // Travels with the records of the next record export.
    m_strRangeLabel = label;
    if (m_pExcel)
        m_pExcel->m_strPeriod = label;
}

// ---- modes ---------------------------------------------------------------

void CAnalysisDlg::SetModeTitle(int nMode)
{
    QString second;
    switch (nMode) {
    case kModeFaultsByLift: second = Text(133) + Blanks(7); break;
    case kModeLiftsByFault: second = Text(134) + Blanks(7); break;
    case kModeStatsByLift: second = Text(122) + Blanks(21); break;
    case kModeStatsByFault: second = Text(123) + Blanks(7); break;
    case kModeFaultHelp: second = Text(124) + Blanks(31); break;
    default: break;
    }
    m_strTitle = Text(79) + QStringLiteral(" -> ") + second;
}

void CAnalysisDlg::OnModeButton(int nMode)
{
    SetModeTitle(nMode);
    m_nCurMode = nMode;
    HighlightModeButton();
    m_nPrevMode = m_nViewMode = nMode;
    m_nDisplayKind = kDisplayList;
    m_tmDefaultStart = GetRecordDateBound(kBoundStart);
    m_tmDefaultEnd = GetRecordDateBound(kBoundEnd);
    m_dtStart->setDateTime(m_tmDefaultStart);
    m_dtEnd->setDateTime(m_tmDefaultEnd);
    HideAllControls();
    ShowQueryControls();
    FillList();
    FillTree();
    update();
}

void CAnalysisDlg::OnBnClickedFaultsByLift()
{
    // The default view starts from every record there is.
    if (m_pDB)
        m_pDB->QueryFaultRecords(false, QDate(), QDate(), m_pFaultStat->data());
    SetRangeLabel(QStringLiteral("Default"));
    OnModeButton(kModeFaultsByLift);
}

void CAnalysisDlg::OnBnClickedLiftsByFault()
{
    OnModeButton(kModeLiftsByFault);
}

void CAnalysisDlg::OnBnClickedStatsByLift()
{
    OnModeButton(kModeStatsByLift);
}

void CAnalysisDlg::OnBnClickedStatsByFault()
{
    OnModeButton(kModeStatsByFault);
}

void CAnalysisDlg::OnBnClickedFaultHelp()
{
    SetModeTitle(kModeFaultHelp);
    m_nCurMode = kModeFaultHelp;
    HighlightModeButton();
    m_nPrevMode = m_nViewMode = kModeFaultHelp;
    ShowHelpPage();
    update();
}

QDateTime CAnalysisDlg::GetRecordDateBound(int nWhich) const
{
    const bool start = nWhich == kBoundStart;
    QDateTime bound = start ? QDateTime(QDate(2030, 1, 1), QTime(0, 0)) : QDateTime(QDate(2010, 1, 1), QTime(0, 0));
    for (const strLiftFaultStat& stat : *m_pFaultStat) {
        if (stat.nRealAddr <= 0 || stat.arrErrTime.isEmpty())
            continue;
        // Newest first: the oldest record is the last.
        const QDateTime t = ParseRecordTime(start ? stat.arrErrTime.last() : stat.arrErrTime.first());
        if (start ? t < bound : t > bound)
            bound = t;
    }
    return bound;
}

void CAnalysisDlg::ShowQueryControls()
{
    HideAllControls();
    const int x0 = m_nX0;
    m_stStart->setGeometry(x0 + 10, 63, 100, 17);
    m_dtStart->setGeometry(x0 + 70, 60, 80, 23);
    m_stEnd->setGeometry(x0 + 180, 63, 100, 17);
    m_dtEnd->setGeometry(x0 + 240, 60, 80, 23);
    m_btQuery->setGeometry(x0 + 330, 60, 50, m_nButHeight - 4);
    m_stStart->setText(Text(110) + QStringLiteral(": "));
    m_stEnd->setText(Text(111) + QStringLiteral(": "));
    for (QWidget* w : std::initializer_list<QWidget*>{m_stStart, m_stEnd, m_dtStart, m_dtEnd, m_btQuery})
        w->show();
    // The pickers overlap the ends of their labels and stay on top of them.
    m_dtStart->raise();
    m_dtEnd->raise();

    const int x = m_nX1 + 95;
    m_btListShow->setGeometry(x, 58, m_nButWidth, m_nButHeight);
    m_btPieShow->setGeometry(x + m_nButWidth + 10, 58, m_nButWidth, m_nButHeight);
    m_btExportRec->setGeometry(x + 2 * m_nButWidth + 40, 58, m_nButWidth, m_nButHeight);
    m_btListShow->show();
    m_btExportRec->show();
    m_btPieShow->setVisible(m_nViewMode != kModeFaultsByLift && m_nViewMode != kModeLiftsByFault);
}

void CAnalysisDlg::ReadPickerRange(QDateTime* pStart, QDateTime* pEnd)
{
    QDateTime start = m_dtStart->dateTime();
    QDateTime end = m_dtEnd->dateTime();
    if (start > end) {
        m_dtStart->setDateTime(end);
        m_dtEnd->setDateTime(start);
        start = m_dtStart->dateTime();
        end = m_dtEnd->dateTime();
    }
    m_strQueryDate = QString::asprintf("%d-%d-%d", end.date().year(), end.date().month(), end.date().day());
    // The whole last day belongs to the range: the query ends before the next one.
    end = end.addDays(1);
    if (pStart)
        *pStart = start;
    if (pEnd)
        *pEnd = end;
}

void CAnalysisDlg::OnBnClickedQueryRange()
{
    if (m_nViewMode < kModeFaultsByLift || m_nViewMode > kModeLast)
        return;
    ReadPickerRange(&m_tmDefaultStart, &m_tmDefaultEnd);
    ReadPickerRange(&m_tmQueryStart, &m_tmQueryEnd);
    if (m_pDB)
        m_pDB->QueryFaultRecords(true, m_tmQueryStart.date(), m_tmQueryEnd.date(), m_pFaultStat->data());
    // The label names the days the operator picked; the query's end is the day after.
    const QDate s = m_tmQueryStart.date();
    const QDate e = m_tmQueryEnd.date().addDays(-1);
    SetRangeLabel(QString::asprintf("%04d-%02d-%02d~%04d-%02d-%02d", s.year(), s.month(), s.day(), e.year(),
                                    e.month(), e.day()));
    if (m_nViewMode >= kModeFaultsByLift && m_nViewMode <= kModeStatsByFault) {
        FillList();
        FillTree();
        update();
    }
}

// ---- tree and list --------------------------------------------------------

void CAnalysisDlg::FillList()
{
    if (m_nViewMode != kModeFaultHelp) {
        const bool narrowTree = m_nViewMode == kModeFaultsByLift || m_nViewMode == kModeStatsByLift;
        const int treeW = narrowTree ? m_nNarrowTreeWidth : m_nWideTreeWidth;
        const int listW = narrowTree ? m_nWideListWidth : m_nNarrowListWidth;
        const int treeX = m_bLargeLayout ? m_nX0 : m_nX0 - 8;
        const int listX = m_bLargeLayout ? m_nX0 + treeW + 4 : m_nX0 + treeW - 4;
        m_tree->setGeometry(treeX, kContentTop, treeW, m_nTreeHeight);
        m_lstFault->setGeometry(listX, kContentTop, listW, m_nTreeHeight);
    }
    m_lstFault->DeleteAllItems();
    SetupListColumns(m_lstFault, m_nViewMode + 4);
    m_tree->show();
    // With the pie shown the list stays hidden: it would lie under the chart.
    m_lstFault->setVisible(m_nDisplayKind == kDisplayList);
}

void CAnalysisDlg::FillTree()
{
    m_tree->setUpdatesEnabled(false);
    m_hTreeRoot = nullptr;
    m_tree->clear();
    m_tree->setIndentation(12);
    QTreeWidgetItem* root = nullptr;
    auto child = [&root](const QString& text, int role, int value) {
        auto* item = new QTreeWidgetItem(root, QStringList{text});
        item->setData(0, role, value);
    };

    switch (m_nViewMode) {
    case kModeFaultsByLift:
    case kModeStatsByLift:
        root = new QTreeWidgetItem(m_tree, QStringList{Text(22)});
        for (int k = 0; k < kLiftRecords; ++k) {
            const strLiftFaultStat& stat = (*m_pFaultStat)[std::size_t(k)];
            if (stat.nRealAddr > 0 && stat.nKind == 1)
                child(stat.strName, kRowIndex, k);
        }
        break;
    case kModeLiftsByFault:
    case kModeStatsByFault: {
        root = new QTreeWidgetItem(m_tree, QStringList{Text(210)});
        const strErrInfTab* tab = FaultTab(m_nFaultModel);
        for (int c = 1; c <= kHighestCode; ++c) {
            const bool occurs = std::any_of(m_pFaultStat->begin(), m_pFaultStat->end(), [c](const strLiftFaultStat& s) {
                return s.nRealAddr > 0 && s.nCodeCount[std::size_t(c)] > 0;
            });
            if (!occurs)
                continue;
            child(FaultCodeText(tab, c) + QStringLiteral(": ") + FaultNameOfCode(tab, c), kRowIndex, c);
        }
        break;
    }
    case kModeFaultHelp: {
        root = new QTreeWidgetItem(m_tree, QStringList{Text(129)});
        const strErrInfTab* tab = FaultTab(m_nFaultModel);
        int shown = 0;
        for (int i = 0; tab && i < tab->strErrCount.size(); ++i) {
            const bool hidden = m_nFaultModel == kEnhancedModel
                                    ? At(tab->strLevel, i) == QStringLiteral("0")
                                    : (i < kErrLevelRows && tab->nLevel[std::size_t(i)] == 0);
            if (hidden)
                continue;
            child(tab->strErrCount.at(i) + QStringLiteral(": ") + At(tab->strErrName, i), kRowNumber, shown++);
        }
        break;
    }
    default:
        break;
    }

    m_hTreeRoot = root;
    if (root)
        root->setExpanded(true);
    m_tree->setUpdatesEnabled(true);
    if (QTreeWidgetItem* first = m_tree->topLevelItem(0))
        m_tree->setCurrentItem(first->childCount() > 0 ? first->child(0) : first);
}

void CAnalysisDlg::OnTreeSelChanged(QTreeWidgetItem* pItem)
{
    if (!pItem || pItem == m_hTreeRoot || !pItem->parent())
        return;
    switch (m_nViewMode) {
    case kModeFaultsByLift:
    case kModeStatsByLift: {
        // Each item names its own record, so two lifts of one name stay apart.
        const int k = pItem->data(0, kRowIndex).toInt();
        if (k < 0 || k >= kLiftRecords)
            return;
        m_nSelLift = k;
        if (m_nDisplayKind == kDisplayList)
            FillFaultStatList(m_lstFault, m_nViewMode, k, m_pFaultStat->data(), m_pErrInfTab ? m_pErrInfTab->data() : nullptr);
        else
            ShowPieForSelection(k);
        break;
    }
    case kModeLiftsByFault:
    case kModeStatsByFault:
        m_nSelCode = pItem->data(0, kRowIndex).toInt();
        if (m_nDisplayKind == kDisplayList)
            FillFaultStatList(m_lstFault, m_nViewMode, m_nSelCode, m_pFaultStat->data(),
                              m_pErrInfTab ? m_pErrInfTab->data() : nullptr);
        else
            ShowPieForSelection(m_nSelCode);
        break;
    case kModeFaultHelp:
        ShowFaultHelp(pItem->text(0));
        break;
    default:
        break;
    }
}

void CAnalysisDlg::OnBnClickedListDisplay()
{
    m_nDisplayKind = kDisplayList;
    HidePie();
    m_lstSecond->hide();
    m_lstFault->show();
    m_tree->show();
    FillList();
    FillTree();
}

void CAnalysisDlg::OnBnClickedPieDisplay()
{
    m_nDisplayKind = kDisplayPie;
    m_stCol->hide();
    m_lstFault->hide();
    m_lstSecond->hide();
    m_tree->show();
    FillTree();
}

void CAnalysisDlg::ShowPieForSelection(int nArg)
{
    if (!m_wndPie)
        return;
    m_tree->setGeometry(m_nX0, kContentTop, m_nNarrowTreeWidth, m_nTreeHeight);
    m_wndPie->setGeometry(m_nX0 + m_nNarrowTreeWidth + 10, 320, m_nWideListWidth - 50, m_nTreeHeight);
    m_wndPie->m_fTiltAngle = 60.0f;
    m_wndPie->SetPieSize(40.0f);
    const QRect client = m_wndPie->rect();
    m_wndPie->m_rcPie3D = QRect(QPoint(client.left() + 65, client.top() - 140),
                                QPoint(client.right() - 65, client.bottom()));
    m_wndPie->update();
    RefreshPie(nArg);
}

// ---- fault help ---------------------------------------------------------

void CAnalysisDlg::OnBnClickedModel0()
{
    m_nFaultModel = 0;
    FillTree();
}

void CAnalysisDlg::OnBnClickedModel1()
{
    m_nFaultModel = 1;
    FillTree();
}

void CAnalysisDlg::ShowHelpPage()
{
    HideAllControls();
    const int x0 = m_nX0;
    const int right = x0 + m_nWideTreeWidth + 10;
    m_rbModel0->setGeometry(x0, 62, 100, 20);
    m_rbModel1->setGeometry(x0 + 110, 62, 100, 20);
    m_tree->setGeometry(x0, kContentTop, m_nWideTreeWidth, m_nTreeHeight);
    m_edHelpTitle->setGeometry(right, kContentTop, m_nNarrowListWidth, 25);
    m_edHelp->setGeometry(right, kContentTop + 35, m_nNarrowListWidth, m_nTreeHeight - 35);
    // Neither model radio stands for the enhanced model the page starts with.
    for (QRadioButton* radio : {m_rbModel0, m_rbModel1}) {
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
    m_edHelpTitle->setText(QString());
    m_edHelp->setText(QString());
    for (QWidget* w : std::initializer_list<QWidget*>{m_rbModel0, m_rbModel1, m_tree, m_edHelpTitle, m_edHelp})
        w->show();
    m_nFaultModel = kEnhancedModel;
    FillTree();
}

void CAnalysisDlg::ShowFaultHelp(const QString& text)
{
    const strErrInfTab* tab = FaultTab(m_nFaultModel);
    if (!tab)
        return;
    const int colon = text.indexOf(QLatin1Char(':'));
    const QString code = colon < 0 ? text : text.left(colon);
    int entry = -1;
    for (int i = 0; i < tab->strErrCount.size() && entry < 0; ++i) {
        if (!tab->strErrCount.at(i).isEmpty() && tab->strErrCount.at(i) == code)
            entry = i;
    }
    if (entry < 0)
        return;
    const QString crlf = QStringLiteral("\r\n");
    auto lines = [&crlf](QString t) {
        t.replace(crlf, QStringLiteral("\n"));
        return t.replace(QStringLiteral("\n"), crlf);
    };
    const QString level = m_nFaultModel == kEnhancedModel
                              ? At(tab->strLevel, entry)
                              : QString::number(entry < kErrLevelRows ? tab->nLevel[std::size_t(entry)] : 0);
    const QString help = Text(138) + QStringLiteral(" : ") + level + crlf + crlf + crlf + Text(139)
                         + QStringLiteral(" : ") + crlf + lines(At(tab->strErrCause, entry)) + crlf + crlf + crlf
                         + Text(140) + crlf + lines(At(tab->strErrDeal, entry));
    m_edHelp->setText(help);
    m_edHelpTitle->setText(At(tab->strErrName, entry));
}

// ---- column chart scale ---------------------------------------------------

void CAnalysisDlg::OnScaleCustomDraw(int nPos)
{
    m_fColRatio = float(nPos) / 100.0f;
    m_stCol->m_nScrollOffset = int(m_fColRatio * float(m_nColRange));
    m_stCol->update();
}
