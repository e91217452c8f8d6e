// The analysis page: its controls, layout, painting and messages.
#include "analysis/AnalysisDlg.h"

#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QTreeWidget>

#include "analysis/ButAnaly.h"
#include "analysis/PieChartWnd.h"
#include "analysis/StaCol.h"
#include "analysis/StaInfX.h"
#include "analysis/SwatchMessages.h"
#include "controls/EditX.h"
#include "controls/HeadCtrlX.h"
#include "controls/ListCtrlX.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "database/ErrInfTab.h"
#include "platform/KeyGuard.h"
#include "platform/UiText.h"

namespace {

// Buttons of the template that no mode uses; they stay hidden.
constexpr int kUnusedButtons[] = {1060, 1061, 1062, 1064, 1065, 1127, 1146};

// The left button column: a group header, then its mode buttons indented under it.
constexpr int kLeftTop = 20;
constexpr int kHeadHeight = 32;
constexpr int kModeHeight = 28;
constexpr int kModeStep = 34;
constexpr int kModeIndent = 20;
constexpr int kGroupGap = 22;
constexpr int kListRowHeight = 20;

template <typename T>
T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

CStaX* MakeLabel(QWidget* parent, int id)
{
    return Named(new CStaX(parent), id);
}

} // namespace

CAnalysisDlg::CAnalysisDlg(QWidget* parent)
    : QWidget(parent)
    , m_pFaultStat(std::make_unique<std::array<strLiftFaultStat, kLiftRecords>>())
    , m_pCallStat(std::make_unique<std::array<strCallStatBlock, 4>>())
    , m_penTitle(FromColorRef(kOrange), 1)
    , m_fontTitle(QStringLiteral("宋体"))
{
    setObjectName(QStringLiteral("AnalysisDlg"));
    CKeyGuard::Install(this, CKeyGuard::Keys::ReturnEscape);
    // Labels, swatches, chart and buttons all stand on white.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    m_fontTitle.setPointSize(11);

    m_stStart = MakeLabel(this, IDC_ST_START);
    m_stEnd = MakeLabel(this, IDC_ST_END);
    // The pickers are 80 pixels wide: a small face and a narrow drop-down
    // button leave the whole date readable.
    QFont pickerFont(QStringLiteral("Microsoft Sans Serif"));
    pickerFont.setPixelSize(11);
    for (QDateTimeEdit** picker : {&m_dtStart, &m_dtEnd}) {
        *picker = new QDateTimeEdit(this);
        (*picker)->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        (*picker)->setCalendarPopup(true);
        // The query ends the day after the last day picked, and that day must
        // still be a date to the database.
        (*picker)->setMaximumDate(CDBServer::LastQueryEnd().addDays(-1));
        (*picker)->setFont(pickerFont);
        (*picker)->setStyleSheet(QStringLiteral("QDateTimeEdit { padding: 0px 0px 0px 1px; }"
                                                " QDateTimeEdit::drop-down { width: 13px; }"));
    }
    Named(m_dtStart, IDC_DT_START);
    Named(m_dtEnd, IDC_DT_END);

    m_btFaultHead = MakeButton(IDC_FAULTHEAD, CButAnaly::kGroupHeader);
    m_btSysHead = MakeButton(IDC_SYSHEAD, CButAnaly::kGroupHeader);
    for (int id : kUnusedButtons)
        MakeButton(id, CButAnaly::kPlain);
    for (int id : {IDC_FAULTSBYLIFT, IDC_LIFTSBYFAULT, IDC_STATSBYLIFT, IDC_STATSBYFAULT, IDC_FAULTHELP,
                   IDC_USERMANAGE, IDC_LANGUAGE})
        MakeButton(id, CButAnaly::kModeButton);
    m_btQuery = MakeButton(IDC_QUERY, CButAnaly::kActionButton);
    m_btListShow = MakeButton(IDC_LISTSHOW, CButAnaly::kActionButton);
    m_btImageShow = MakeButton(IDC_IMAGESHOW, CButAnaly::kActionButton);
    m_btExportRec = MakeButton(IDC_EXPORTREC, CButAnaly::kActionButton);
    m_btPieShow = MakeButton(IDC_PIESHOW, CButAnaly::kActionButton);
    m_btExportLan = MakeButton(IDC_EXPORTLAN, CButAnaly::kActionButton);
    m_btChooseFile = MakeButton(IDC_CHOOSEFILE, CButAnaly::kActionButton);
    m_btImportLan = MakeButton(IDC_IMPORTLAN, CButAnaly::kActionButton);
    m_btNewUser = MakeButton(IDC_NEWUSER, CButAnaly::kActionButton);
    m_btChangePwd = MakeButton(IDC_CHANGEPWD, CButAnaly::kActionButton);
    m_btDeleteUser = MakeButton(IDC_DELETEUSER, CButAnaly::kActionButton);
    m_btUserOk = MakeButton(IDC_USEROK, CButAnaly::kActionButton);
    m_btCompact = MakeButton(IDC_COMPACT, CButAnaly::kActionButton);
    // The button of each mode 1..13; modes 1 to 5 and 13 are never entered here.
    constexpr std::array<int, 14> kModeIds = {0, 1065, 1127, 1061, 1062, 1064, 1079, 1124, 1076, 1077, 1078, 1074, 1139, 1146};
    for (std::size_t mode = 1; mode < kModeIds.size(); ++mode)
        m_pModeButtons[mode] = m_buttons.at(kModeIds[mode]);

    m_lstFault = Named(new ClistCtrlX(this), IDC_LIST);
    m_lstSecond = Named(new ClistCtrlX(this), IDC_LIST2);
    for (ClistCtrlX* list : {m_lstFault, m_lstSecond}) {
        list->SetBkColor(kWhite);
        list->SetExtendedStyle(ClistCtrlX::LVS_EX_FULLROWSELECT);
        list->SetRowHeight(kListRowHeight);
        // Captions as tall as the cells, so that Chinese captions stay readable.
        list->GetHeaderCtrl()->m_nFontHeight = list->m_nFontHeight;
    }
    m_tree = Named(new QTreeWidget(this), IDC_TREE);
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_slScale = Named(new QSlider(Qt::Horizontal, this), IDC_SCALE);
    m_slScale->setRange(0, 100);
    m_stCol = Named(new CStaCol(this), IDC_COLCHART);
    m_stCol->m_pBlocks = m_pCallStat->data();
    m_edHelpTitle = Named(new CEditX(this), IDC_HELPTITLE);
    m_edHelp = Named(new CEditX(this, true), IDC_HELPTEXT);
    m_rbModel0 = Named(new QRadioButton(QStringLiteral("VELA-S"), this), IDC_MODEL0);
    m_rbModel1 = Named(new QRadioButton(QStringLiteral("VELA-M"), this), IDC_MODEL1);

    m_stUserFrame = MakeLabel(this, IDC_USERFRAME);
    m_stUserFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_stUserFrame->setMargin(4);
    for (std::size_t i = 0; i < m_stUser.size(); ++i)
        m_stUser[i] = MakeLabel(this, IDC_ST_USERNAME + int(i));
    m_edUserName = Named(new QLineEdit(this), IDC_USERNAME);
    m_edPassword = Named(new QLineEdit(this), IDC_PASSWORD);
    m_edConfirm = Named(new QLineEdit(this), IDC_CONFIRM);
    m_edPassword->setEchoMode(QLineEdit::Password);
    m_edConfirm->setEchoMode(QLineEdit::Password);

    m_edPath = Named(new CEditX(this), IDC_PATH);
    for (std::size_t i = 0; i < m_rbLanguage.size(); ++i)
        m_rbLanguage[i] = Named(new QRadioButton(this), IDC_LAN1 + int(i));
    for (std::size_t i = 0; i < m_stLanguagePage.size(); ++i)
        m_stLanguagePage[i] = MakeLabel(this, IDC_ST_EXPORTLAN + int(i));
    m_stDBSize = MakeLabel(this, IDC_ST_DBSIZE);
    m_stChart = MakeLabel(this, IDC_ST_CHART);
    m_stScale = MakeLabel(this, IDC_ST_SCALE);
    const std::array<int, 4> spare = {1123, 1151, 1152, 1154};
    for (std::size_t i = 0; i < spare.size(); ++i)
        m_stSpare[i] = MakeLabel(this, spare[i]);

    // Message map and control notifications.
    m_msgMap.On(WM_COLOR_PICKED, [this](WPARAM w, LPARAM l) { return OnColorPicked(w, l); });
    m_msgMap.On(WM_SWATCH_HOVER, [this](WPARAM w, LPARAM l) { return OnSwatchHover(w, l); });
    connect(m_slScale, &QSlider::valueChanged, this, &CAnalysisDlg::OnScaleCustomDraw);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnTreeSelChanged(current); });
    const std::pair<int, void (CAnalysisDlg::*)()> clicks[] = {
        {IDC_QUERY, &CAnalysisDlg::OnBnClickedQueryRange},
        {IDC_LISTSHOW, &CAnalysisDlg::OnBnClickedListDisplay},
        {IDC_PIESHOW, &CAnalysisDlg::OnBnClickedPieDisplay},
        {IDC_FAULTSBYLIFT, &CAnalysisDlg::OnBnClickedFaultsByLift},
        {IDC_LIFTSBYFAULT, &CAnalysisDlg::OnBnClickedLiftsByFault},
        {IDC_STATSBYLIFT, &CAnalysisDlg::OnBnClickedStatsByLift},
        {IDC_STATSBYFAULT, &CAnalysisDlg::OnBnClickedStatsByFault},
        {IDC_FAULTHELP, &CAnalysisDlg::OnBnClickedFaultHelp},
        {IDC_USERMANAGE, &CAnalysisDlg::OnBnClickedUserManage},
        {IDC_NEWUSER, &CAnalysisDlg::OnBnClickedNewUser},
        {IDC_CHANGEPWD, &CAnalysisDlg::OnBnClickedChangePassword},
        {IDC_DELETEUSER, &CAnalysisDlg::OnBnClickedDeleteUser},
        {IDC_USEROK, &CAnalysisDlg::OnBnClickedUserOk},
        {IDC_LANGUAGE, &CAnalysisDlg::OnBnClickedLanguageSetting},
        {IDC_CHOOSEFILE, &CAnalysisDlg::OnBnClickedImportLanguage},
        {IDC_IMPORTLAN, &CAnalysisDlg::OnBnClickedImportConfirm},
        {IDC_EXPORTLAN, &CAnalysisDlg::OnBnClickedExportLanguage},
        {IDC_EXPORTREC, &CAnalysisDlg::OnBnClickedExportRecords},
        {IDC_COMPACT, &CAnalysisDlg::OnBnClickedCompactDb},
    };
    for (const auto& [id, handler] : clicks)
        connect(m_buttons.at(id), &QAbstractButton::clicked, this, handler);
    // 1063 and the template's spare buttons have empty handlers: a click does nothing.
    connect(m_rbModel0, &QRadioButton::clicked, this, &CAnalysisDlg::OnBnClickedModel0);
    connect(m_rbModel1, &QRadioButton::clicked, this, &CAnalysisDlg::OnBnClickedModel1);
    connect(m_rbLanguage[0], &QRadioButton::clicked, this, &CAnalysisDlg::OnBnClickedLanguage1);
    connect(m_rbLanguage[1], &QRadioButton::clicked, this, &CAnalysisDlg::OnBnClickedLanguage2);
    connect(m_rbLanguage[2], &QRadioButton::clicked, this, &CAnalysisDlg::OnBnClickedLanguage3);
}

CAnalysisDlg::~CAnalysisDlg() = default;

CButAnaly* CAnalysisDlg::MakeButton(int id, int nState)
{
    auto* button = Named(new CButAnaly(this), id);
    button->m_nState = nState;
    m_buttons[id] = button;
    return button;
}

QString CAnalysisDlg::Text(int n) const
{
    return UiText(m_pLanText, n);
}

bool CAnalysisDlg::OnInitDialog()
{
    for (CStaX* label : {m_stStart, m_stEnd, m_stLanguagePage[0], m_stLanguagePage[1], m_stLanguagePage[2],
                         m_stLanguagePage[3], m_stUser[0], m_stUser[1], m_stUser[2], m_stDBSize})
        label->SetColors(kOrange, kWhite);
    m_stSpare[1]->SetColors(0xFF0000, kWhite);
    m_stSpare[2]->SetColors(0xFF0000, kWhite);
    for (CStaX* label : {m_stStart, m_stEnd, m_stLanguagePage[3], m_stDBSize})
        label->SetFontSize(90);
    m_edHelpTitle->ResetTextColor();
    m_edHelp->ResetTextColor();
    m_edHelpTitle->setReadOnly(true);
    m_edHelp->setReadOnly(true);

    m_wndPie = new CPieChartWnd(this);
    m_wndPie->Create(QString(), QRect(1, 1, 1, 1), this, 1);
    m_wndPie->m_crBackground = 0xFFFFFF;

    for (int i = 0; i < kSwatchCount; ++i) {
        auto* swatch = Named(new CStaInfX(this), IDC_SWATCH0 + i);
        swatch->Create(i + 1, this);
        swatch->hide();
        m_pSwatches[std::size_t(i)] = swatch;
    }

    // Enter and Escape never reach a control of the page.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    HideAllControls();
    return true;
}

void CAnalysisDlg::LayoutControls()
{
    m_bLargeLayout = height() >= kLargeLayoutHeight ? 1 : 0;
    const bool large = m_bLargeLayout != 0;
    m_nX0 = large ? 290 : 230;
    m_nTitleTop = 20;
    m_nTitleWidth = m_nLanguageKind == 2 ? 500 : large ? 151 : 131;
    m_nLeftX = large ? 30 : 15;
    m_nLeftWidth = large ? 210 : 175;
    m_nButWidth = large ? 100 : 90;
    m_nButHeight = 27;
    m_nX1 = large ? 650 : 570;
    m_nNarrowListWidth = large ? 720 : 547;
    m_nWideListWidth = large ? 790 : 607;
    m_nTreeHeight = large ? 710 : 510;
    m_nWideTreeWidth = large ? 230 : 220;
    m_nNarrowTreeWidth = 160;
    m_nButFontSize = large ? 90 : 80;

    // The left column: fault analysis with its five views, then administration.
    int y = kLeftTop;
    const int subX = m_nLeftX + kModeIndent;
    const int subW = m_nLeftWidth - kModeIndent;
    m_btFaultHead->setGeometry(m_nLeftX, y, m_nLeftWidth, kHeadHeight);
    y += kHeadHeight + (kModeStep - kModeHeight);
    for (int id : {IDC_FAULTSBYLIFT, IDC_LIFTSBYFAULT, IDC_STATSBYLIFT, IDC_STATSBYFAULT, IDC_FAULTHELP}) {
        m_buttons.at(id)->setGeometry(subX, y, subW, kModeHeight);
        y += kModeStep;
    }
    y += kGroupGap;
    m_btSysHead->setGeometry(m_nLeftX, y, m_nLeftWidth, kHeadHeight);
    y += kHeadHeight + (kModeStep - kModeHeight);
    for (int id : {IDC_USERMANAGE, IDC_LANGUAGE}) {
        m_buttons.at(id)->setGeometry(subX, y, subW, kModeHeight);
        y += kModeStep;
    }
    for (int id : {IDC_FAULTHEAD, IDC_FAULTSBYLIFT, IDC_LIFTSBYFAULT, IDC_STATSBYLIFT, IDC_STATSBYFAULT,
                   IDC_FAULTHELP, IDC_SYSHEAD, IDC_USERMANAGE, IDC_LANGUAGE})
        m_buttons.at(id)->show();
    for (int id : kUnusedButtons)
        m_buttons.at(id)->hide();
    m_slScale->hide();

    for (auto& [id, button] : m_buttons) {
        button->m_nFontSize = m_nButFontSize;
        button->ApplyFont();
    }
    const std::pair<int, int> captions[] = {
        {IDC_FAULTHEAD, 79}, {IDC_FAULTSBYLIFT, 133}, {IDC_LIFTSBYFAULT, 134}, {IDC_STATSBYLIFT, 122},
        {IDC_STATSBYFAULT, 123}, {IDC_FAULTHELP, 124}, {IDC_SYSHEAD, 212}, {IDC_USERMANAGE, 163},
        {IDC_LANGUAGE, 121}, {IDC_QUERY, 109}, {IDC_LISTSHOW, 112}, {IDC_PIESHOW, 125}, {IDC_IMAGESHOW, 113},
        {IDC_EXPORTREC, 114}, {IDC_NEWUSER, 164}, {IDC_CHANGEPWD, 165}, {IDC_DELETEUSER, 166},
        {IDC_USEROK, 80}, {IDC_COMPACT, 216},
    };
    for (const auto& [id, text] : captions)
        m_buttons.at(id)->SetCaption(Text(text));
    m_stChart->setText(Text(136));
    m_stScale->setText(Text(137));
    m_lstFault->m_pLanText = m_pLanText;
    m_lstSecond->m_pLanText = m_pLanText;
    update();
}

void CAnalysisDlg::HideAllControls()
{
    m_stCol->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_stStart, m_stEnd, m_stSpare[0], m_stSpare[1], m_stSpare[2], m_stSpare[3], m_stChart, m_stScale,
             m_dtStart, m_dtEnd, m_lstFault, m_lstSecond, m_tree, m_edHelpTitle, m_edHelp, m_edPath,
             m_rbModel0, m_rbModel1, m_rbLanguage[0], m_rbLanguage[1], m_rbLanguage[2], m_stUserFrame,
             m_stLanguagePage[0], m_stLanguagePage[1], m_stLanguagePage[2], m_stLanguagePage[3], m_stDBSize,
             m_stUser[0], m_stUser[1], m_stUser[2], m_edUserName, m_edPassword, m_edConfirm})
        w->hide();
    for (int id : {IDC_QUERY, IDC_LISTSHOW, IDC_IMAGESHOW, IDC_EXPORTREC, IDC_PIESHOW, IDC_EXPORTLAN,
                   IDC_CHOOSEFILE, IDC_IMPORTLAN, IDC_NEWUSER, IDC_CHANGEPWD, IDC_DELETEUSER, IDC_USEROK,
                   IDC_COMPACT})
        m_buttons.at(id)->hide();
    HidePie();
}

void CAnalysisDlg::HidePie()
{
    for (CStaInfX* swatch : m_pSwatches) {
        if (swatch)
            swatch->hide();
    }
    if (m_wndPie)
        m_wndPie->setGeometry(1, 1, 1, 1);
}

void CAnalysisDlg::HighlightModeButton()
{
    if (m_nCurMode == m_nPrevMode)
        return;
    auto button = [this](int mode) -> CButAnaly* {
        return mode >= 1 && mode < int(m_pModeButtons.size()) ? m_pModeButtons[std::size_t(mode)] : nullptr;
    };
    if (CButAnaly* current = button(m_nCurMode)) {
        current->m_bSelected = 1;
        current->update();
    }
    if (CButAnaly* previous = button(m_nPrevMode)) {
        previous->m_bSelected = 0;
        previous->update();
    }
}

bool CAnalysisDlg::PreTranslateMessage(QEvent* event) const
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool CAnalysisDlg::event(QEvent* event)
{
    if (m_msgMap.Dispatch(event))
        return true;
    if (PreTranslateMessage(event)) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool CAnalysisDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (PreTranslateMessage(event)) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CAnalysisDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(m_fontTitle);
    painter.setPen(m_penTitle);
    DrawTitle(painter);
}

void CAnalysisDlg::DrawTitle(QPainter& painter)
{
    const QFontMetrics fm(m_fontTitle);
    const QRect box(m_nX0, m_nTitleTop, fm.horizontalAdvance(m_strTitle), fm.height());
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_strTitle);
    painter.setPen(m_penTitle);
    for (int dy : {20, 21}) {
        const int y = m_nTitleTop + dy;
        painter.drawLine(m_nX0 + m_nTitleWidth, y, m_nX0 - 10, y);
    }
}
