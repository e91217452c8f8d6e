#include "config/BuildDlg.h"

#include "platform/AtoI.h"

#include <QComboBox>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "analysis/ListFillers.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "controls/StaX.h"
#include "controls/WaitDlg.h"
#include "link/GroupInf.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "platform/KeyGuard.h"
#include "platform/UiText.h"

namespace {

constexpr int kRowHeight = 20;
constexpr int kFieldHeight = 24;
constexpr int kButtonHeight = 28;
constexpr int kLabelWidth = 90;
constexpr int kFieldWidth = 180;
constexpr int kGroupColumns = 70 + 210;
constexpr int kFloorColumns = 80 + 70;
// The floor list shows no more floors than a page reply can count.
constexpr int kMaxListedFloors = 255;

CButX* MakeButton(QWidget* parent, int id)
{
    auto* button = new CButX(parent);
    button->setObjectName(QString::number(id));
    button->SetBaseColor(0x646464);
    button->SetStep(10);
    button->SetCaptionColor(0xFFFFFF);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

ClistCtrlX* MakeList(QWidget* parent, int id)
{
    auto* list = new ClistCtrlX(parent);
    list->setObjectName(QString::number(id));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QComboBox* MakeCombo(QWidget* parent, int id)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    combo->setMaxVisibleItems(20);
    return combo;
}

void SetWhite(QWidget* widget)
{
    QPalette pal = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        pal.setColor(role, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::ButtonText, Qt::black);
    widget->setPalette(pal);
}

} // namespace

CBuildDlg::CBuildDlg(QWidget* parent)
    : QWidget(parent)
    , m_penFrame(FromColorRef(kFrameColor), 1)
    , m_lstLift(MakeList(this, IDC_LIFTLIST))
    , m_lstGroup(MakeList(this, IDC_GROUPLIST))
    , m_lstFloor(MakeList(this, IDC_FLOORLIST))
    , m_edLiftName(new CEditX(this))
    , m_edGroupName(new CEditX(this))
    , m_cbGroup(MakeCombo(this, IDC_GROUPCOMBO))
    , m_cbFloorHi(MakeCombo(this, IDC_FLOORHI))
    , m_cbFloorLo(MakeCombo(this, IDC_FLOORLO))
    , m_btSaveLift(MakeButton(this, IDC_SAVELIFT))
    , m_btSaveGroup(MakeButton(this, IDC_SAVEGROUP))
    , m_btSaveFloor(MakeButton(this, IDC_SAVEFLOOR))
    , m_btGetLiftData(MakeButton(this, IDC_GETLIFTDATA))
    , m_btDeleteLift(MakeButton(this, IDC_DELETELIFT))
    , m_btGetHeight(MakeButton(this, IDC_GETHEIGHT))
    , m_btGetAllHeights(MakeButton(this, IDC_GETALLHEIGHTS))
    , m_btShowNum(MakeButton(this, IDC_SHOWNUM))
{
    setObjectName(QStringLiteral("BuildDlg"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    m_edLiftName->setObjectName(QString::number(IDC_LIFTNAME));
    m_edGroupName->setObjectName(QString::number(IDC_GROUPNAME));
    static constexpr int kLabelIds[] = {IDC_ST_LIFTNAME, IDC_ST_GROUPNAME, IDC_ST_GROUP,
                                        IDC_ST_FLOORSHOW, IDC_ST_FLOORHI, IDC_ST_FLOORLO};
    for (std::size_t i = 0; i < m_stLabels.size(); ++i) {
        m_stLabels[i] = new CStaX(this);
        m_stLabels[i]->setObjectName(QString::number(kLabelIds[i]));
        m_stLabels[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    connect(m_btGetLiftData, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedGetLiftData);
    connect(m_btSaveLift, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedSaveLift);
    connect(m_btSaveGroup, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedSaveGroup);
    connect(m_btSaveFloor, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedModifyFloorShow);
    connect(m_btDeleteLift, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedDeleteLift);
    connect(m_btGetHeight, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedGetLiftHeight);
    connect(m_btGetAllHeights, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedGetAllHeights);
    connect(m_btShowNum, &QAbstractButton::clicked, this, &CBuildDlg::OnBnClickedShowNum);
    // A click and a change of the selected row both select.
    connect(m_lstLift, &QTableWidget::cellClicked, this, [this] { OnLiftListClick(); });
    connect(m_lstLift, &QTableWidget::itemSelectionChanged, this, &CBuildDlg::OnLiftListClick);
    connect(m_lstGroup, &QTableWidget::cellClicked, this, [this] { OnGroupListClick(); });
    connect(m_lstGroup, &QTableWidget::itemSelectionChanged, this, &CBuildDlg::OnGroupListClick);
    connect(m_lstFloor, &QTableWidget::cellClicked, this, [this] { OnFloorListClick(); });
    connect(m_lstFloor, &QTableWidget::itemSelectionChanged, this, &CBuildDlg::OnFloorListClick);

    m_msgMap.On(WM_READ_PROGRESS, [this](WPARAM w, LPARAM l) { return OnReadProgress(w, l); });
    m_msgMap.On(WM_READ_FAILED, [this](WPARAM w, LPARAM l) { return OnReadFailed(w, l); });
    m_msgMap.On(WM_READ_FINISHED, [this](WPARAM w, LPARAM l) { return OnReadFinished(w, l); });

    // Enter and Escape are kept from every control of the page; Space is typed.
    CKeyGuard::Install(this, CKeyGuard::Keys::ReturnEscape);
}

CBuildDlg::~CBuildDlg()
{
    StopWorkerAndFlush();
    delete m_pWaitDlg;
}

QString CBuildDlg::Text(int n) const
{
    return UiText(m_pTexts, n);
}

bool CBuildDlg::OnInitDialog()
{
    OnCtlColor();
    if (!m_pWaitDlg) {
        m_pWaitDlg = new CWaitDlg;  // top-level, like a box on the desktop; deleted with the page
        m_pWaitDlg->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    return true;
}

void CBuildDlg::OnCtlColor()
{
    for (CStaX* label : m_stLabels)
        label->SetColors(kLabelText, 0);
    SetWhite(m_cbGroup);
    m_edLiftName->SetBkColor(0xFFFFFF);
    m_edGroupName->SetBkColor(0xFFFFFF);
    // The floor-text combos keep a light face too: black on black would hide their texts.
    SetWhite(m_cbFloorHi);
    SetWhite(m_cbFloorLo);
}

// ---- showing the page -------------------------------------------------------

void CBuildDlg::RefreshPage()
{
    m_nLiftRow = -1;
    m_nGroupRow = -1;
    m_nFloorRow = -1;
    m_nPageWidth = width();
    m_nPageHeight = height();

    static constexpr int kLabelTexts[] = {22, 24, 23, 85, 239, 240};
    for (std::size_t i = 0; i < m_stLabels.size(); ++i)
        m_stLabels[i]->setText(Text(kLabelTexts[i]));
    m_btSaveLift->setText(Text(80));
    m_btSaveGroup->setText(Text(80));
    m_btSaveFloor->setText(Text(80));
    m_btGetLiftData->setText(Text(86));
    m_btDeleteLift->setText(Text(87));
    m_btGetHeight->setText(Text(88));
    m_btGetAllHeights->setText(Text(118));
    m_btShowNum->setText(Text(275));
    m_btGetHeight->hide();
    m_btGetAllHeights->hide();

    for (ClistCtrlX* list : {m_lstLift, m_lstGroup, m_lstFloor})
        list->m_pLanText = m_pTexts;
    if (!m_bListsReady) {
        SetupLists();
        m_bListsReady = 1;
    }
    LayoutControls();

    QStringList names;
    for (int g = 0; m_pGroupTable && g < m_nGroupCount; ++g)
        names << m_pGroupTable[g].strGroupName;
    FillGroupCombo(names);

    RefillLiftList();
    RefillGroupList();
    m_lstFloor->DeleteAllItems();

    m_cbFloorHi->clear();
    m_cbFloorLo->clear();
    if (m_pFloorShow) {
        m_cbFloorHi->addItems((*m_pFloorShow)[0]);
        m_cbFloorLo->addItems((*m_pFloorShow)[0]);
    }
    m_cbFloorHi->setCurrentIndex(m_cbFloorHi->count() > 0 ? 0 : -1);
    m_cbFloorLo->setCurrentIndex(m_cbFloorLo->count() > 1 ? 1 : m_cbFloorLo->count() - 1);

    repaint();
    // The page receives the scan's and height runs' messages from now on. A
    // running worker reads the target: a refresh during a height run (every
    // resize) leaves it alone, as the run's start has set it already.
    if (!g_pPollThread)
        g_hPollTarget = this;
}

void CBuildDlg::SetupLists()
{
    const std::pair<ClistCtrlX*, int> lists[] = {{m_lstLift, kListLifts}, {m_lstGroup, kListGroups},
                                                 {m_lstFloor, kListFloors}};
    for (const auto& [list, kind] : lists) {
        list->SetBkColor(0xFFFFFF);
        SetupListColumns(list, kind);
        list->SetExtendedStyle(ClistCtrlX::LVS_EX_GRIDLINES | ClistCtrlX::LVS_EX_FULLROWSELECT);
        list->SetRowHeight(kRowHeight);
    }
}

void CBuildDlg::LayoutControls()
{
    const int w = m_nPageWidth;
    const int h = m_nPageHeight;
    const bool bWide = w > 1050;
    m_nGapX = bWide ? 30 : 20;
    m_nGapY = bWide ? 30 : 25;
    m_nLowerBlock = bWide ? 230 : 190;
    m_nMarginLeft = m_nGapX;
    m_nMarginRight = m_nGapX;
    m_nMarginTop = 20;
    m_nMarginBottom = 20;

    // Inside the frame: the lift list on the left, the editing column to its right.
    const int left = m_nMarginLeft + 10;
    const int top = m_nMarginTop + 10;
    const int right = w - m_nMarginRight - 10;
    const int bottom = h - m_nMarginBottom - 10;
    m_lstLift->setGeometry(left, top, kLiftListWidth, std::max(bottom - top, 60));

    // The two small lists are as wide as their columns and a vertical scroll bar.
    const int listExtra = 2 * m_lstFloor->frameWidth() + m_lstFloor->verticalScrollBar()->sizeHint().width();
    const int groupListWidth = kGroupColumns + listExtra;
    const int floorListWidth = kFloorColumns + listExtra;

    const int x0 = left + kLiftListWidth + m_nGapX;
    const int columnWidth = std::max(right - x0, 0);
    const int xField = x0 + kLabelWidth + 6;

    // Lift name and group.
    int y = top;
    m_stLabels[0]->setGeometry(x0, y, kLabelWidth, kFieldHeight);
    m_edLiftName->setGeometry(xField, y, kFieldWidth, kFieldHeight);
    y += kFieldHeight + 10;
    m_stLabels[2]->setGeometry(x0, y, kLabelWidth, kFieldHeight);
    m_cbGroup->setGeometry(xField, y, kFieldWidth, kFieldHeight);
    if (kLabelWidth + 6 + kFieldWidth + m_nGapX + 100 <= columnWidth) {
        m_btSaveLift->setGeometry(xField + kFieldWidth + m_nGapX, y - (kButtonHeight - kFieldHeight) / 2, 100,
                                  kButtonHeight);
        y += kFieldHeight;
    } else {
        y += kFieldHeight + 10;
        m_btSaveLift->setGeometry(xField, y, 100, kButtonHeight);
        y += kButtonHeight;
    }

    // The buttons along the bottom, then the floor block above them.
    const int yButtons = bottom - 35;
    const int buttonWidth = std::clamp((columnWidth - 2 * 10) / 3, 60, 150);
    m_btGetLiftData->setGeometry(x0, yButtons, buttonWidth, 35);
    m_btDeleteLift->setGeometry(x0 + (buttonWidth + 10), yButtons, buttonWidth, 35);
    m_btShowNum->setGeometry(x0 + 2 * (buttonWidth + 10), yButtons, buttonWidth, 35);
    m_btGetHeight->setGeometry(x0, yButtons - 45, buttonWidth, 35);
    m_btGetAllHeights->setGeometry(x0 + (buttonWidth + 10), yButtons - 45, buttonWidth, 35);

    const int yFloor = yButtons - m_nGapY - m_nLowerBlock;
    m_lstFloor->setGeometry(x0, yFloor, floorListWidth, m_nLowerBlock);
    const int xf = x0 + floorListWidth + m_nGapX;
    m_stLabels[3]->setGeometry(xf, yFloor, std::clamp(right - xf, kLabelWidth, 160), kFieldHeight);
    m_stLabels[4]->setGeometry(xf, yFloor + 30, kLabelWidth, kFieldHeight);
    m_cbFloorHi->setGeometry(xf, yFloor + 54, 90, kFieldHeight);
    m_stLabels[5]->setGeometry(xf, yFloor + 88, kLabelWidth, kFieldHeight);
    m_cbFloorLo->setGeometry(xf, yFloor + 112, 90, kFieldHeight);
    m_btSaveFloor->setGeometry(xf, yFloor + 150, 90, kButtonHeight);

    // The group list and the group name between the two.
    const int yGroup = y + m_nGapY;
    const int groupBottom = yFloor - m_nGapY;
    const bool bBeside = groupListWidth + m_nGapX + kFieldWidth <= columnWidth;
    const int editBlock = bBeside ? 0 : kFieldHeight + 10 + kButtonHeight + 10;
    const int groupHeight = std::max(groupBottom - yGroup - editBlock, 60);
    m_lstGroup->setGeometry(x0, yGroup, std::min(groupListWidth, std::max(columnWidth, 120)), groupHeight);
    if (bBeside) {
        const int xg = x0 + groupListWidth + m_nGapX;
        m_stLabels[1]->setGeometry(xg, yGroup, kLabelWidth, kFieldHeight);
        m_edGroupName->setGeometry(xg, yGroup + 30, kFieldWidth, kFieldHeight);
        m_btSaveGroup->setGeometry(xg, yGroup + 64, 100, kButtonHeight);
    } else {
        const int yg = yGroup + groupHeight + 10;
        m_stLabels[1]->setGeometry(x0, yg, kLabelWidth, kFieldHeight);
        m_edGroupName->setGeometry(xField, yg, kFieldWidth, kFieldHeight);
        m_btSaveGroup->setGeometry(xField, yg + kFieldHeight + 10, 100, kButtonHeight);
    }
}

void CBuildDlg::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    PaintBackground(painter);
}

void CBuildDlg::PaintBackground(QPainter& painter)
{
    painter.setPen(m_penFrame);
    const int l = m_nMarginLeft;
    const int t = m_nMarginTop;
    const int r = m_nPageWidth - m_nMarginRight;
    const int b = m_nPageHeight - m_nMarginBottom;
    painter.drawLine(l, t, r, t);
    painter.drawLine(r, t, r, b);
    painter.drawLine(r, b, l, b);
    painter.drawLine(l, b, l, t);
}

void CBuildDlg::FillGroupCombo(const QStringList& names)
{
    m_cbGroup->clear();
    for (int g = 0; g < names.size(); ++g)
        m_cbGroup->addItem(QString::number(g) + QLatin1Char(':') + names.at(g));
    m_cbGroup->setCurrentIndex(m_cbGroup->count() > 0 ? 0 : -1);
}

void CBuildDlg::RefillLiftList()
{
    m_lstLift->DeleteAllItems();
    FillLiftList(m_lstLift, m_pLiftInf, m_pGroupTable, m_nGroupCount);
}

void CBuildDlg::RefillGroupList()
{
    m_lstGroup->DeleteAllItems();
    FillGroupList(m_lstGroup, m_pGroupTable, m_nGroupCount);
}

// ---- records ----------------------------------------------------------------

strLiftInf* CBuildDlg::LiftOfNumber(int nLiftNum) const
{
    if (!m_pLiftInf || nLiftNum < 1 || nLiftNum > kLiftSlots)
        return nullptr;
    return &m_pLiftInf[nLiftNum - 1];
}

int CBuildDlg::LiftNumOfRow(int nRow) const
{
    if (nRow < 0 || nRow >= kLiftSlots || nRow >= m_lstLift->GetItemCount())
        return 0;
    const QString text = m_lstLift->GetItemText(nRow, 0);
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 1 && n <= kLiftSlots ? n : 0;
}

QString CBuildDlg::DefaultTens(int nFloor)
{
    return nFloor >= 10 ? QString::number(nFloor / 10) : QString();
}

QString CBuildDlg::DefaultUnits(int nFloor)
{
    return QString::number(nFloor % 10);
}

QString CBuildDlg::FloorText(const strLiftInf& lift, int nFloor)
{
    const int i = nFloor - 1;
    if (i < lift.arrFloorNameHi.size() && i < lift.arrFloorNameLo.size())
        return lift.arrFloorNameHi.at(i) + QLatin1Char(' ') + lift.arrFloorNameLo.at(i);
    return DefaultTens(nFloor) + QLatin1Char(' ') + DefaultUnits(nFloor);
}

// ---- lists --------------------------------------------------------------------

void CBuildDlg::OnLiftListClick()
{
    if (m_bBusy)
        return;
    m_nLiftRow = m_lstLift->GetSelectionMark();
    if (m_nLiftRow >= 0 && !(m_lstLift->GetItemState(m_nLiftRow, ClistCtrlX::LVIS_SELECTED) & ClistCtrlX::LVIS_SELECTED))
        m_nLiftRow = -1;
    if (m_nLiftRow < 0 || m_nLiftRow >= kLiftSlots || m_nLiftRow >= m_lstLift->GetItemCount())
        return;

    m_edLiftName->setText(m_lstLift->GetItemText(m_nLiftRow, 1));
    const int entry = AtoI(m_lstLift->GetItemText(m_nLiftRow, 2));
    if (entry < m_cbGroup->count())
        m_cbGroup->setCurrentIndex(entry);
    m_nSelLiftNum = LiftNumOfRow(m_nLiftRow);

    m_lstFloor->DeleteAllItems();
    m_nFloorRow = -1;
    const strLiftInf* lift = LiftOfNumber(m_nSelLiftNum);
    if (!lift)
        return;
    const int floors = std::min(int(lift->nMaxFloor), kMaxListedFloors);
    for (int f = 1; f <= floors; ++f) {
        const int row = m_lstFloor->InsertItem(f - 1, QString::number(f) + Text(92));
        m_lstFloor->SetItemText(row, 1, FloorText(*lift, f));
    }
}

void CBuildDlg::OnGroupListClick()
{
    if (m_bBusy)
        return;
    m_nGroupRow = m_lstGroup->GetSelectionMark();
    if (m_nGroupRow >= 0 && m_nGroupRow < m_lstGroup->GetItemCount())
        m_edGroupName->setText(m_lstGroup->GetItemText(m_nGroupRow, 1));
}

void CBuildDlg::OnFloorListClick()
{
    if (m_bBusy)
        return;
    if (m_nLiftRow < 0 || m_nLiftRow >= kLiftSlots)
        return;
    m_nFloorRow = m_lstFloor->GetSelectionMark();
    if (m_nFloorRow < 0 || m_nFloorRow >= m_lstFloor->GetItemCount())
        return;
    const QString text = m_lstFloor->GetItemText(m_nFloorRow, 1);
    const int blank = text.indexOf(QLatin1Char(' '));
    const QString tens = blank < 0 ? QString() : text.left(blank);
    const QString units = blank < 0 ? text : text.mid(blank + 1);
    if (!m_pFloorShow)
        return;
    const QStringList& show = (*m_pFloorShow)[0];
    if (const int i = int(show.indexOf(tens)); i >= 0)
        m_cbFloorHi->setCurrentIndex(i);
    if (const int i = int(show.indexOf(units)); i >= 0)
        m_cbFloorLo->setCurrentIndex(i);
}

// ---- events ---------------------------------------------------------------------

bool CBuildDlg::event(QEvent* event)
{
    if (m_msgMap.Dispatch(event))
        return true;
    return QWidget::event(event);
}
