// Start-up, keys, the about box and the shut-down of the main window.
#include <QKeyEvent>
#include <QRegularExpression>
#include <QLabel>
#include <QMenu>
#include <QContextMenuEvent>
#include <QSettings>

#include "config/SetShowNumDlg.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "link/PollThread.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/KALORApp.h"
#include "mainwnd/ShowAlarmDlg.h"
#include "mainwnd/StationFixture.h"
#include "views/ShowAllDlg.h"

using namespace station_test;

namespace {
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { PrivateSettings(); }
    MessageBoxRecorder boxes;
};
} // namespace

TEST_F(MainWindowTest, MissingDatabaseEndsStartUpWithItsMessage)
{
    QTemporaryDir empty;
    SetAppFolder(empty.path());
    {
        CKALORDlg dlg;
        // Returns at once: no modal loop runs after the failed open.
        EXPECT_EQ(dlg.DoModal(), 0);
        EXPECT_TRUE(dlg.IsEnded());
        EXPECT_FALSE(dlg.isVisible());
        ASSERT_FALSE(boxes.texts().isEmpty());
        EXPECT_EQ(boxes.texts().last(), QStringLiteral("初始化数据库失败"));
        // Nothing after the database step ran: no texts, no captions.
        EXPECT_TRUE(dlg.m_pLanText->isEmpty());
        EXPECT_TRUE(dlg.m_btSetup->text().isEmpty());
    }
    SetAppFolder(QString());
}

TEST_F(MainWindowTest, CorruptDatabaseFileAlsoEndsStartUp)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    QFile file(data.dbPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("this is not a database file at all, just text");
    file.close();
    CKALORDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 0);
    EXPECT_TRUE(boxes.texts().contains(QStringLiteral("初始化数据库失败")));
}

TEST_F(MainWindowTest, StartUpLoadsTextsAndPreparesTheWindow)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    CKALORDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    // Captions come from the text table of the chosen language.
    ASSERT_GT(dlg.m_pLanText->size(), 115);
    EXPECT_FALSE(dlg.Text(0).isEmpty());
    EXPECT_EQ(dlg.m_btSetup->text(), dlg.Text(0));
    EXPECT_EQ(dlg.m_btShowAll->text(), dlg.Text(1));
    EXPECT_EQ(dlg.m_btAnalysis->text(), dlg.Text(4));
    EXPECT_EQ(dlg.m_btExit->text(), dlg.Text(5));
    EXPECT_EQ(dlg.m_btConnect->text(), dlg.Text(115));
    EXPECT_EQ(dlg.m_btLogin->text(), dlg.Text(80));
    EXPECT_EQ(dlg.m_stStatus->text(), dlg.Text(9));
    EXPECT_GE(dlg.m_nLanguageKind, 1);
    EXPECT_FALSE(dlg.m_mapErrName.empty());

    // The bar by view mode.
    EXPECT_EQ(dlg.m_pNavButtons[0], nullptr);
    EXPECT_EQ(dlg.m_pNavButtons[1], dlg.m_btSetup);
    EXPECT_EQ(dlg.m_pNavButtons[2], dlg.m_btShowAll);
    EXPECT_EQ(dlg.m_pNavButtons[6], dlg.m_btConnect);
    EXPECT_EQ(dlg.m_pNavButtons[7], dlg.m_btExit);

    // The settings store keeps the workbook engine's value.
    QSettings settings(QString::fromLatin1(CKALORApp::kRegistryKey), QCoreApplication::applicationName());
    EXPECT_EQ(settings.value(QStringLiteral("SOFTWARE/Microsoft/Jet/4.0/Engines/Excel/TypeGuessRows")).toInt(), 300);

    // Both pop-ups play the sound beside the program.
    for (const auto& popup : dlg.m_pAlarmDlg)
        EXPECT_EQ(popup->m_strSoundFile, data.folder() + QStringLiteral("SoftResoure/AlarmSound/Error.wav"));
    EXPECT_TRUE(QFile::exists(dlg.m_pAlarmDlg[1]->m_strSoundFile));

    EXPECT_TRUE(dlg.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dlg.windowState() & Qt::WindowMaximized);

    // Pages are hidden children; nothing runs before login.
    for (QWidget* page : {static_cast<QWidget*>(dlg.m_pBuildDlg.get()), static_cast<QWidget*>(dlg.m_pShowAllDlg.get()),
                          static_cast<QWidget*>(dlg.m_pShowGruDlg.get()), static_cast<QWidget*>(dlg.m_pShowOneDlg.get()),
                          static_cast<QWidget*>(dlg.m_pAnalysisDlg.get())}) {
        EXPECT_EQ(page->parentWidget(), &dlg);
        EXPECT_TRUE(page->isHidden());
    }
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(dlg.m_bPortOpen, 0);
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeNone);
}

TEST_F(MainWindowTest, MissingTextTableIsReportedAndStartUpGoesOn)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_SoftLan")));
    CKALORDlg dlg;
    dlg.OnInitDialog();
    EXPECT_FALSE(dlg.IsEnded());
    // Said in the station's language, though its texts are missing.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_FALSE(boxes.texts()[0].contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
    // Captions are empty rather than read beyond the table.
    EXPECT_TRUE(dlg.m_btSetup->text().isEmpty());
    EXPECT_TRUE(dlg.Text(115).isEmpty());
}

TEST_F(MainWindowTest, EnterEscapeAndSpaceAreKeptPerWindow)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    data.AddOperator();
    data.InstallLifts({{1, 10, 1, QStringLiteral("L1")}});
    CKALORDlg dlg;
    ASSERT_TRUE(ShowMainWindow(dlg, 800));
    dlg.m_edUser->setText(QStringLiteral("op"));
    dlg.m_edPwd->setText(QStringLiteral("pw"));
    dlg.m_edPwd->setFocus();
    boxes.clear();

    for (QWidget* target : {static_cast<QWidget*>(&dlg), static_cast<QWidget*>(dlg.m_edPwd),
                            static_cast<QWidget*>(dlg.m_btLogin), static_cast<QWidget*>(dlg.m_btExit)}) {
        for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
            QTest::keyClick(target, Qt::Key(key));
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.m_bLoggedIn, 0);  // Enter in the password edit did not log in
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(dlg.m_edPwd->text(), QStringLiteral("pw"));  // nor Space

    // The configuration and analysis pages let Space through: a lift name and
    // a new user are stored with their blank; Return still presses nothing.
    AnswerComSet(-1);
    dlg.OnLogin();
    dlg.m_btSetup->click();
    CBuildDlg& build = *dlg.m_pBuildDlg;
    build.m_lstLift->selectRow(0);
    ASSERT_EQ(build.m_nLiftRow, 0);
    build.m_edLiftName->clear();
    QTest::keyClicks(build.m_edLiftName, QStringLiteral("Block A"));
    QTest::keyClick(build.m_edLiftName, Qt::Key_Return);
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].strName, QStringLiteral("L1"));
    build.m_btSaveLift->click();
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].strName, QStringLiteral("Block A"));

    dlg.m_btAnalysis->click();
    CAnalysisDlg& ana = *dlg.m_pAnalysisDlg;
    ana.OnBnClickedUserManage();
    ana.OnBnClickedNewUser();
    QTest::keyClicks(ana.m_edUserName, QStringLiteral("John Smith"));
    QTest::keyClicks(ana.m_edPassword, QStringLiteral("pw2"));
    QTest::keyClicks(ana.m_edConfirm, QStringLiteral("pw2"));
    ana.OnBnClickedUserOk();
    EXPECT_TRUE(ana.m_strUserNames.contains(QStringLiteral("John Smith")));

    // The exit button still ends the window.
    dlg.m_btExit->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(MainWindowTest, AboutBoxCarriesTheProgramTexts)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About KALOR"));
    auto* version = about.findChild<QLabel*>(QStringLiteral("version"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("KALOR V1.3.5 beta (T)"));
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("1"));
    ASSERT_NE(ok, nullptr);
    about.show();
    ok->click();
    EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowTest, SerialDialogAlwaysOpensOnCom1And9600)
{
    QStringList texts;
    for (int i = 0; i < 280; ++i)
        texts << QStringLiteral("t%1").arg(i);
    CComSetDlg dlg;
    dlg.m_pTexts = &texts;
    WhenModal<CComSetDlg>([](CComSetDlg* d) {
        EXPECT_EQ(d->windowTitle(), StationCaption());
        EXPECT_EQ(d->m_cbPort->count(), 8);
        EXPECT_EQ(d->m_cbPort->itemText(7), QStringLiteral("COM8"));
        EXPECT_EQ(d->m_cbBaud->count(), 3);
        EXPECT_EQ(d->m_cbBaud->itemText(2), QStringLiteral("38400"));
        EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("1"))->text(), QStringLiteral("t80"));
        EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("2"))->text(), QStringLiteral("t268"));
        d->m_cbPort->setCurrentIndex(7);
        d->m_cbBaud->setCurrentIndex(2);
        d->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    ASSERT_EQ(dlg.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_nPortIndex, 7);
    EXPECT_EQ(dlg.m_nBaudIndex, 2);

    // The next showing forgets the previous choice; Cancel keeps the old result.
    WhenModal<CComSetDlg>([](CComSetDlg* d) {
        EXPECT_EQ(d->m_cbPort->currentIndex(), 0);
        EXPECT_EQ(d->m_cbBaud->currentIndex(), 0);
        d->m_cbPort->setCurrentIndex(3);
        d->findChild<QPushButton*>(QStringLiteral("2"))->click();
    });
    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    EXPECT_EQ(dlg.m_nPortIndex, 7);
}

TEST_F(MainWindowTest, DisplayCountDialogRefusesNumbersOutsideOneTo32)
{
    QStringList texts;
    for (int i = 0; i < 280; ++i)
        texts << QStringLiteral("t%1").arg(i);
    CSetShowNumDlg dlg;
    dlg.m_pTexts = &texts;
    dlg.m_nLanguageKind = 1;
    dlg.m_nShowNum = 0;
    int refused = 0;
    WhenModal<CSetShowNumDlg>([&](CSetShowNumDlg* d) {
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("1176"));
        auto* ok = d->findChild<QPushButton*>(QStringLiteral("1"));
        EXPECT_EQ(edit->text(), QStringLiteral("0"));
        EXPECT_EQ(d->windowTitle(), QStringLiteral("t273"));
        for (const char* bad : {"0", "33", "-1", "abc", ""}) {
            edit->setText(QString::fromLatin1(bad));
            ok->click();
            if (d->isVisible())
                ++refused;
        }
        edit->setText(QStringLiteral("32"));
        ok->click();
    });
    ASSERT_EQ(dlg.DoModal(), QDialog::Accepted);
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(dlg.m_nShowNum, 32);
    EXPECT_EQ(boxes.count(), 5);
    // The refusal speaks the station's language.
    EXPECT_FALSE(boxes.texts().join(QString()).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
}

TEST_F(MainWindowTest, RightClickOnTheBannerOffersTheAboutBox)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    CKALORDlg dlg;
    ASSERT_TRUE(ShowMainWindow(dlg, 800));

    QString entry, version;
    bool aboutShown = false;
    WhenModal<CAboutDlg>([&](CAboutDlg* about) {
        aboutShown = true;
        version = about->findChild<QLabel*>(QStringLiteral("version"))->text();
        about->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                entry = action->text();
                menu->close();
                action->trigger();
                return;
            }
        }
    });
    const QPoint banner(300, 30);
    QContextMenuEvent click(QContextMenuEvent::Mouse, banner, dlg.mapToGlobal(banner));
    QApplication::sendEvent(&dlg, &click);
    QTest::qWait(50);
    EXPECT_EQ(entry, QStringLiteral("&About KALOR..."));
    EXPECT_TRUE(aboutShown);
    EXPECT_EQ(version, QStringLiteral("KALOR V1.3.5 beta (T)"));
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(MainWindowTest, LoginRowStaysInsideTheWindowAtEverySize)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    CKALORDlg dlg;
    // First shown at the largest size, then resized: the row follows.
    ASSERT_TRUE(ShowMainWindow(dlg, 1080, 1920));
    QTRY_VERIFY_WITH_TIMEOUT(dlg.m_bFirstPaintDone, 5000);
    for (QSize size : {QSize(1920, 1080), QSize(1280, 800), QSize(1600, 1000)}) {
        dlg.resize(size);
        QTRY_COMPARE_WITH_TIMEOUT(dlg.m_nClientHeight, size.height(), 5000);
        for (QWidget* w : {static_cast<QWidget*>(dlg.m_stUser), static_cast<QWidget*>(dlg.m_edUser),
                           static_cast<QWidget*>(dlg.m_stPwd), static_cast<QWidget*>(dlg.m_edPwd),
                           static_cast<QWidget*>(dlg.m_btLogin)})
            EXPECT_TRUE(dlg.rect().contains(w->geometry())) << size.width() << "x" << size.height();
    }
}
