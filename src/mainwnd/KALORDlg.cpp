// Construction, start-up, the window's small handlers and the shut-down.
#include "mainwnd/KALORDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include "analysis/AnalysisDlg.h"
#include "analysis/ExcelIO.h"
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "controls/StaX.h"
#include "controls/WaitDlg.h"
#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/AppIcon.h"
#include "mainwnd/KALORApp.h"
#include "mainwnd/LiftPainter.h"
#include "mainwnd/ShowAlarmDlg.h"
#include "platform/AppFolder.h"
#include "platform/FixedText.h"
#include "platform/KeyGuard.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"
#include "views/AnimRunEvent.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/ViewMessages.h"

namespace {
CButX* MakeBarButton(QWidget* parent, int id)
{
    auto* button = new CButX(parent);
    button->setObjectName(QString::number(id));
    button->SetBandHeight(1);
    button->SetGradient(true);
    button->SetStep(10);
    button->SetBaseColor(0x646464);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

CStaX* MakeLabel(QWidget* parent, int id)
{
    auto* label = new CStaX(parent);
    label->setObjectName(QString::number(id));
    return label;
}
} // namespace

CKALORDlg::CKALORDlg(QWidget* parent)
    : QDialog(parent)
    , m_btSetup(MakeBarButton(this, IDC_BUILD))
    , m_btShowAll(MakeBarButton(this, IDC_SHOWALL))
    , m_btShowGroup(MakeBarButton(this, IDC_SHOWGROUP))
    , m_btShowOne(MakeBarButton(this, IDC_SHOWONE))
    , m_btAnalysis(MakeBarButton(this, IDC_ANALYSIS))
    , m_btExit(MakeBarButton(this, IDC_EXIT))
    , m_btConnect(MakeBarButton(this, IDC_CONNECT))
    , m_btFiller(MakeBarButton(this, IDC_FILLER))
    , m_btLogin(MakeBarButton(this, IDC_LOGIN))
    , m_stStatus(MakeLabel(this, IDC_STATUS))
    , m_stUser(MakeLabel(this, IDC_USERLABEL))
    , m_stPwd(MakeLabel(this, IDC_PWDLABEL))
    , m_edUser(new QLineEdit(this))
    , m_edPwd(new QLineEdit(this))
    , m_dlgComSet(this)
{
    setObjectName(QStringLiteral("KALORDlg"));
    m_edUser->setObjectName(QString::number(IDC_USERNAME));
    m_edPwd->setObjectName(QString::number(IDC_PASSWORD));
    m_edPwd->setEchoMode(QLineEdit::Password);
    // Login edits: white text on the black window, with a thin frame so that
    // an empty edit can still be found.
    for (QLineEdit* edit : {m_edUser, m_edPwd})
        edit->setStyleSheet(QStringLiteral("QLineEdit { background: #000000; color: #ffffff; "
                                           "border: 1px solid #a0a0a0; padding: 0px 2px; }"));

    m_hIcon = LiftStationIcon();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_brBack);
    setPalette(pal);
    setAutoFillBackground(true);

    // Pages, made now and created as windows by OnInitDialog.
    m_pShowOneDlg = std::make_unique<CShowOneDlg>();
    m_pShowAllDlg = std::make_unique<CShowAllDlg>();
    m_pAnalysisDlg = std::make_unique<CAnalysisDlg>();
    m_pShowGruDlg = std::make_unique<CShowGruDlg>();
    m_pBuildDlg = std::make_unique<CBuildDlg>();

    // Each context publishes the worker's run event; the one that stays is m_pComm's.
    m_pComm2 = std::make_unique<CLiftComm>();
    m_pComm = std::make_unique<CLiftComm>();
    m_pDB = std::make_unique<CDBServer>();
    m_pPainter = std::make_unique<CLiftPainter>();
    m_pAnimRun = std::make_unique<CAnimRunEvent>();

    m_pExcel = new CExcelIO;  // the window owns it; Cleanup deletes it
    m_pLanText = std::make_unique<QStringList>();
    m_pExcel->m_pLanText = m_pLanText.get();
    m_mapErrName.clear();
    m_pAlarmDlg[0] = std::make_unique<CShowAlarmDlg>(nullptr, this);
    m_pAlarmDlg[1] = std::make_unique<CShowAlarmDlg>(nullptr, this);

    for (CButX* button : {m_btSetup, m_btShowAll, m_btShowGroup, m_btShowOne, m_btAnalysis, m_btExit,
                          m_btConnect, m_btFiller, m_btLogin})
        button->SetCaptionColor(kCaptionGrey);

    connect(m_btExit, &QAbstractButton::clicked, this, &CKALORDlg::OnBnClickedExit);
    connect(m_btLogin, &QAbstractButton::clicked, this, &CKALORDlg::OnLogin);
    connect(m_btConnect, &QAbstractButton::clicked, this, &CKALORDlg::OnConnect);
    connect(m_btSetup, &QAbstractButton::clicked, this, &CKALORDlg::OnBnClickedGroupSetup);
    connect(m_btShowAll, &QAbstractButton::clicked, this, &CKALORDlg::OnBnClickedShowAll);
    connect(m_btShowGroup, &QAbstractButton::clicked, this, &CKALORDlg::OnBnClickedShowGroup);
    connect(m_btShowOne, &QAbstractButton::clicked, this, &CKALORDlg::OnBnClickedShowOne);
    connect(m_btAnalysis, &QAbstractButton::clicked, this, &CKALORDlg::OnBnClickedAnalysis);
    // The bar filler has an empty handler: a click on it does nothing.

    m_msgMap.On(WM_OPEN_LIFT, [this](WPARAM w, LPARAM l) { return OnOpenLiftMsg(w, l); });
    m_msgMap.On(WM_SHOW_GROUP, [this](WPARAM w, LPARAM l) { return OnShowGroupMsg(w, l); });
    m_msgMap.On(WM_FAULT_ALARM, [this](WPARAM w, LPARAM l) { return OnFaultAlarmMsg(w, l); });
    m_msgMap.On(WM_ALARM2, [this](WPARAM w, LPARAM l) { return OnAlarm2Msg(w, l); });

    // Enter must never press a default button, Escape never close the station
    // and Space never press a focused button; the pages keep their own choice.
    CKeyGuard::Install(this, CKeyGuard::Keys::ReturnEscapeSpace);
    setWindowTitle(StationCaption());
}

CKALORDlg::~CKALORDlg()
{
    m_bThreadsMayRun = 1;
    Cleanup();
}

QString CKALORDlg::Text(int n) const
{
    return UiText(m_pLanText.get(), n);
}

int CKALORDlg::DoModal()
{
    OnInitDialog();
    if (m_bEnded)
        return m_nEndResult;
    return exec();
}

void CKALORDlg::EndDialog(int result)
{
    m_bEnded = true;
    m_nEndResult = result;
    done(result);
}

bool CKALORDlg::OnInitDialog()
{
    setWindowIcon(m_hIcon);

    // The database first: without it the station cannot work at all.
    m_pDB->m_pAdo->InitConnection();
    // Tests point the data folder at a temporary copy; in production this is
    // the executable's folder either way.
    if (m_pDB->m_strAppFolder.isEmpty())
        m_pDB->m_strAppFolder = GetAppFolder();
    m_pDB->BuildDBPath();
    if (!m_pDB->m_pAdo->OpenDatabase(false, m_pDB->m_strDBPath)) {
        AfxMessageBox(QStringLiteral("初始化数据库失败"));
        EndDialog(0);
        return true;
    }
    // The texts early: every message of the start-up is in the station's language.
    m_pDB->m_pLanText = m_pLanText.get();
    m_pDB->m_pAdo->m_pLanText = m_pLanText.get();
    m_nLanguageKind = m_pDB->GetLanguageKind();
    LoadLanguage();
    SetExcelTypeGuessRows();
    m_pPainter->m_pLanText = m_pLanText.get();
    m_pPainter->m_nLanguageKind = m_nLanguageKind;
    m_pPainter->LoadPictures();
    InitAlarmSoundPath();

    // Pages are children of this window; the alarm pop-ups stay top-level.
    for (QWidget* page : std::initializer_list<QWidget*>{m_pBuildDlg.get(), m_pShowGruDlg.get(),
                                                        m_pShowAllDlg.get(), m_pShowOneDlg.get(),
                                                        m_pAnalysisDlg.get()}) {
        page->setParent(this);
        page->hide();
    }
    m_pBuildDlg->OnInitDialog();
    m_pShowGruDlg->OnInitDialog();
    m_pShowAllDlg->OnInitDialog();
    m_pShowOneDlg->OnInitDialog();
    m_pAnalysisDlg->OnInitDialog();

    for (auto& popup : m_pAlarmDlg)
        popup->m_pLanText = m_pLanText.get();

    m_btSetup->setText(Text(0));
    m_btShowAll->setText(Text(1));
    m_btShowGroup->setText(Text(2));
    m_btShowOne->setText(Text(3));
    m_btAnalysis->setText(Text(4));
    m_btExit->setText(Text(5));
    m_btConnect->setText(Text(115));
    m_btLogin->setText(Text(80));

    m_pNavButtons = {nullptr, m_btSetup, m_btShowAll, m_btShowGroup, m_btShowOne, m_btAnalysis,
                     m_btConnect, m_btExit};

    // No caption bar, and the whole screen.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    if (QScreen* scr = screen())
        setGeometry(scr->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    m_stUser->SetFontSize(100);
    m_stPwd->SetFontSize(100);
    return true;
}

void CKALORDlg::SetExcelTypeGuessRows()
{
    QSettings settings(QString::fromLatin1(CKALORApp::kRegistryKey), QCoreApplication::applicationName());
    settings.setValue(QStringLiteral("SOFTWARE/Microsoft/Jet/4.0/Engines/Excel/TypeGuessRows"), 300);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        AfxMessageBox(FixedText{QStringLiteral("无法写入表格引擎的设置。"),
                                QStringLiteral("The spreadsheet engine setting could not be written."),
                                QStringLiteral("無法寫入表格引擎的設定。")}
                          .In(m_nLanguageKind));
}

void CKALORDlg::InitAlarmSoundPath()
{
    const QString path = GetAppFolder() + QStringLiteral("SoftResoure/AlarmSound/") + QStringLiteral("Error.wav");
    for (auto& popup : m_pAlarmDlg)
        popup->m_strSoundFile = path;
}

void CKALORDlg::LoadLanguage()
{
    // The language is chosen once per start (a language radio takes effect at the next).
    m_qtTexts.Apply(m_nLanguageKind);
    if (!m_pDB->LoadLanguageAndFaultTexts(m_nLanguageKind, m_pErrInfTab.data(), &m_mapErrName)) {
        AfxMessageBox(FixedText{QStringLiteral("读取界面语言失败。"),
                                QStringLiteral("The display language could not be read."),
                                QStringLiteral("讀取介面語言失敗。")}
                          .In(m_nLanguageKind));
        return;
    }
    m_stStatus->setText(Text(9));
    SetMessageBoxButtonTexts(Text(80), Text(268));
}

void CKALORDlg::OnBnClickedExit()
{
    accept();
}

void CKALORDlg::done(int result)
{
    if (!m_bDbClosed) {
        // Nothing records any more: the refresh timers end at their next tick.
        // The stopped worker's page still records its last replies.
        m_nViewMode = kModeNone;
        StopAllThreads();
        m_bDbClosed = true;
        // Faults only a poll saw that no page took in (the configuration
        // page's scan, a page left before its refresh) are written last.
        if (m_pDB) {
            m_pDB->SaveCountedFaults(m_Store.m_pLiftInf);
            m_pDB->CloseDatabase();
        }
    }
    QDialog::done(result);
}

void CKALORDlg::OnQuitSignal(int signal)
{
    if (!m_bQuitSignalled) {
        m_bQuitSignalled = true;
        SetMessageBoxesUnattended(true);
        AfxMessageBoxModeless(FixedText{QStringLiteral("收到信号 %1，工作站按退出关闭。"),
                                        QStringLiteral("Signal %1 received: the station closes as on Exit."),
                                        QStringLiteral("收到訊號 %1，工作站按退出關閉。")}
                                  .In(m_nLanguageKind)
                                  .arg(signal));
    }
    // A menu, dialog or box open over the window ends first, as if cancelled;
    // the close runs once the window's own loop is back (not yet running at
    // start-up: then it runs as soon as it is).
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != this) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else if (modal)
            modal->close();
        QTimer::singleShot(10, this, [this, signal] { OnQuitSignal(signal); });
        return;
    }
    OnBnClickedExit();
}

void CKALORDlg::OnAbout()
{
    CAboutDlg dlg(this);
    dlg.DoModal();
}

void CKALORDlg::reject()
{
    // Escape ends here: the station is left only through its exit button.
}

void CKALORDlg::closeEvent(QCloseEvent* event)
{
    // A close asked for by the desktop (session end, window manager) is honoured.
    event->accept();
    done(QDialog::Rejected);
}

void CKALORDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addSeparator();
    menu.addAction(QString::fromLatin1(CAboutDlg::kMenuText), this, &CKALORDlg::OnAbout);
    menu.exec(event->globalPos());
}

bool CKALORDlg::event(QEvent* event)
{
    LRESULT result = 0;
    if (m_msgMap.Dispatch(event, &result))
        return true;
    return QDialog::event(event);
}

void CKALORDlg::Cleanup()
{
    if (m_pBuildDlg && m_pBuildDlg->m_pWaitDlg)
        m_pBuildDlg->m_pWaitDlg->hide();
    StopAllThreads();
    m_pGroupTable.clear();

    // Pages first: they hold pointers into everything below.
    m_pShowOneDlg.reset();
    m_pShowAllDlg.reset();
    m_pBuildDlg.reset();
    m_pShowGruDlg.reset();
    m_pAnalysisDlg.reset();

    m_pPainter.reset();
    m_mapErrName.clear();
    if (m_pLanText)
        m_pLanText->clear();
    m_pDB.reset();
    m_pFloorShow = {};
    m_pAnimRun.reset();
    delete m_pExcel;
    m_pExcel = nullptr;
    m_pUser = {};

    // The port is closed here (the original left the handle open at exit).
    if (m_pComm)
        m_pComm->m_Port.ClosePort();
    m_pComm2.reset();
    m_pComm.reset();
    m_pAlarmDlg[0].reset();
    m_pAlarmDlg[1].reset();
    m_pLanText.reset();
}

LRESULT CKALORDlg::OnFaultAlarmMsg(WPARAM wParam, LPARAM lParam)
{
    if (wParam != 0 || lParam < 0)
        return 0;
    if (lParam == 0) {
        ShowAlarmPopup(0, false, QString());
        return 0;
    }
    ShowAlarmPopup(0, true, CShowAlarmDlg::FaultAlarmText(int(lParam), &m_mapErrName));
    return 0;
}

LRESULT CKALORDlg::OnAlarm2Msg(WPARAM wParam, LPARAM)
{
    ShowAlarmPopup(1, wParam == 2, Text(58));
    return 0;
}

void CKALORDlg::ShowAlarmPopup(int popup, bool show, const QString& text)
{
    if (popup < 0 || popup > 1 || !m_pAlarmDlg[std::size_t(popup)])
        return;
    m_pAlarmDlg[std::size_t(popup)]->ShowAlarmPopup(show, text);
}
