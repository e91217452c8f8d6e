// Start-up, keys, the about box, the two small dialogs and the login row's
// place of the main window.
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSettings>

#include "config/SetShowNumDlg.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "link/PollThread.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/KALORApp.h"
#include "mainwnd/ShowAlarmDlg.h"
#include "support/PixelProbes.h"
#include "support/StationFixture.h"

using namespace station_test;

namespace {
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { PrivateSettings(); }
    MessageBoxRecorder boxes;
};

// A message in the station's first language has no Latin letters.
bool Chinese(const QString& text)
{
    return !text.isEmpty() && !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}
} // namespace

TEST_F(MainWindowTest, MissingOrDamagedDatabaseEndsStartUpWithItsMessage)
{
    for (bool damaged : {false, true}) {
        StationData data;
        ASSERT_TRUE(data.ok());
        if (damaged)
            ASSERT_TRUE(WriteFile(data.dbPath(), "this is not a database file at all, just text"));
        else
            QDir(data.folder() + QStringLiteral("SoftResoure/DB")).removeRecursively();
        CKALORDlg dlg;
        // Returns at once: no modal loop runs after the failed open, and
        // nothing after the database step ran.
        EXPECT_EQ(dlg.DoModal(), 0);
        EXPECT_TRUE(dlg.IsEnded());
        EXPECT_EQ(boxes.texts().last(), QStringLiteral("初始化数据库失败"));
        EXPECT_TRUE(dlg.m_btSetup->text().isEmpty());
    }
}

TEST_F(MainWindowTest, StartUpLoadsTextsAndPreparesTheWindow)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    CKALORDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(dlg.m_mapErrName.empty());
    QSettings settings(QString::fromLatin1(CKALORApp::kRegistryKey), QCoreApplication::applicationName());
    EXPECT_EQ(settings.value(QStringLiteral("SOFTWARE/Microsoft/Jet/4.0/Engines/Excel/TypeGuessRows")).toInt(), 300);
    // The pop-ups play the sound beside the program; nothing runs before login.
    EXPECT_EQ(dlg.m_pAlarmDlg[1]->m_strSoundFile, data.folder() + QStringLiteral("SoftResoure/AlarmSound/Error.wav"));
    EXPECT_TRUE(QFile::exists(dlg.m_pAlarmDlg[1]->m_strSoundFile));
    EXPECT_TRUE(dlg.m_pShowAllDlg->isHidden());
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(MainWindowTest, MissingTextTableIsReportedInTheStationsLanguage)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_SoftLan")));
    CKALORDlg dlg;
    dlg.OnInitDialog();
    EXPECT_FALSE(dlg.IsEnded());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(Chinese(boxes.texts()[0])) << boxes.texts()[0].toStdString();
    // Captions are empty rather than read beyond the table.
    EXPECT_TRUE(dlg.m_btSetup->text().isEmpty());
}

// Qt's own dialogs (here the file dialog of the workbook flows) speak the
// language the station starts in, and English again once the window is gone.
TEST_F(MainWindowTest, QtsOwnDialogsSpeakTheStationsLanguage)
{
    auto lookIn = [] {
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QLabel* label = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        return label ? label->text() : QStringLiteral("<no label>");
    };
    const QString english = lookIn();
    QStringList shown;
    for (int kind : {1, 3, 2}) {
        StationData data;
        ASSERT_TRUE(data.ok());
        ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set LanguageKind = %1").arg(kind)));
        CKALORDlg dlg;
        ASSERT_TRUE(dlg.OnInitDialog());
        shown << lookIn();
    }
    EXPECT_TRUE(shown[0].contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")))) << shown[0].toStdString();
    EXPECT_TRUE(shown[1].contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")))) << shown[1].toStdString();
    EXPECT_NE(shown[0], shown[1]);  // Simplified and Traditional
    EXPECT_EQ(shown[2], english);
    EXPECT_EQ(lookIn(), english);
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
    EXPECT_EQ(dlg.m_edPwd->text(), QStringLiteral("pw"));  // nor did Space type

    // The configuration and analysis pages let Space through: a lift name and
    // a new user are stored with their blank; Return still presses nothing.
    AnswerComSet(-1);
    dlg.OnLogin();
    dlg.m_btSetup->click();
    CBuildDlg& build = *dlg.m_pBuildDlg;
    ClickRow(build.m_lstLift, 0);
    build.m_edLiftName->clear();
    QTest::keyClicks(build.m_edLiftName, QStringLiteral("Block A"));
    QTest::keyClick(build.m_edLiftName, Qt::Key_Return);
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].strName, QStringLiteral("L1"));
    build.m_btSaveLift->click();
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].strName, QStringLiteral("Block A"));
    // The lifts per column reach the all-lifts page through the window.
    WhenModal<CSetShowNumDlg>([](CSetShowNumDlg* box) {
        box->findChild<QLineEdit*>(QStringLiteral("1176"))->setText(QStringLiteral("32"));
        box->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    build.m_btShowNum->click();
    EXPECT_EQ(dlg.m_pShowAllDlg->m_nLiftsPerColumn, 32);

    dlg.m_btAnalysis->click();
    CAnalysisDlg& ana = *dlg.m_pAnalysisDlg;
    ana.OnBnClickedUserManage();
    ana.OnBnClickedNewUser();
    QTest::keyClicks(ana.m_edUserName, QStringLiteral("John Smith"));
    QTest::keyClicks(ana.m_edPassword, QStringLiteral("pw2"));
    QTest::keyClicks(ana.m_edConfirm, QStringLiteral("pw2"));
    // Space reaches the edit; the name is stored without it.
    EXPECT_EQ(ana.m_edUserName->text(), QStringLiteral("John Smith"));
    ana.OnBnClickedUserOk();
    EXPECT_TRUE(ana.m_strUserNames.contains(QStringLiteral("JohnSmith")));

    // The exit button still ends the window. The database removed meanwhile
    // is written back on the way out, and the operator told while the window
    // still stands.
    ASSERT_TRUE(QFile::remove(data.dbPath()));
    QStringList told;
    bool windowStood = false;
    const MessageBoxHook recorder = SetMessageBoxHook([&](const MsgBoxRequest& req) {
        told << req.text;
        windowStood = dlg.isVisible() && !req.bModeless;
        return MsgBoxResult::Ok;
    });
    dlg.m_btExit->click();
    SetMessageBoxHook(recorder);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(told.size(), 1) << told.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(Chinese(told[0].remove(data.dbPath()))) << told[0].toStdString();
    EXPECT_TRUE(windowStood);
    // Written back with what this run stored.
    auto rs = data.OpenDb()->m_pAdo->GetRecordSet(QStringLiteral("Select strName_1 From KALOR_LiftInf Where RealAddr = 1"));
    ASSERT_TRUE(rs && rs->GetRecordCount() == 1);
    EXPECT_EQ(rs->GetText(0), QStringLiteral("Block A"));
}

TEST_F(MainWindowTest, RightClickOffersTheAboutBox)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    CKALORDlg dlg;
    ASSERT_TRUE(ShowMainWindow(dlg, 800));
    QString entry, version;
    WhenModal<CAboutDlg>([&](CAboutDlg* about) {
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return !version.isEmpty(); }, 5000));
    EXPECT_EQ(entry, QStringLiteral("&About KALOR..."));
    EXPECT_EQ(version, QStringLiteral("KALOR V1.3.5 beta (T)"));
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(MainWindowTest, SerialDialogAlwaysOpensOnCom1And9600UnderTheStationsCaption)
{
    const QStringList texts = view_test::MakeTexts();
    CComSetDlg dlg;
    dlg.m_pTexts = &texts;
    for (int port : {7, -1}) {
        WhenModal<CComSetDlg>([port](CComSetDlg* d) {
            EXPECT_EQ(d->windowTitle(), StationCaption());
            EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("2"))->text(), QStringLiteral("T268"));
            // The previous choice is forgotten.
            EXPECT_EQ(d->m_cbPort->currentIndex(), 0);
            EXPECT_EQ(d->m_cbBaud->currentIndex(), 0);
            d->m_cbPort->setCurrentIndex(port < 0 ? 3 : port);
            d->m_cbBaud->setCurrentIndex(2);
            d->findChild<QPushButton*>(QString::fromLatin1(port < 0 ? "2" : "1"))->click();
        });
        EXPECT_EQ(dlg.DoModal(), port < 0 ? QDialog::Rejected : QDialog::Accepted);
        // Cancel keeps the old result.
        EXPECT_EQ(dlg.m_nPortIndex, 7);
        EXPECT_EQ(dlg.m_nBaudIndex, 2);
    }
}

TEST_F(MainWindowTest, DisplayCountDialogRefusesNumbersOutsideOneTo32InTheStationsLanguage)
{
    const QStringList texts = view_test::MakeTexts();
    CSetShowNumDlg dlg;
    dlg.m_pTexts = &texts;
    dlg.m_nLanguageKind = 1;
    int refused = 0;
    WhenModal<CSetShowNumDlg>([&](CSetShowNumDlg* d) {
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("1176"));
        EXPECT_EQ(edit->text(), QStringLiteral("0"));
        EXPECT_EQ(d->windowTitle(), QStringLiteral("T273"));
        for (const char* bad : {"0", "33", "-1", "abc", ""}) {
            edit->setText(QString::fromLatin1(bad));
            d->findChild<QPushButton*>(QStringLiteral("1"))->click();
            refused += d->isVisible();
        }
        edit->setText(QStringLiteral("32"));
        d->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    ASSERT_EQ(dlg.DoModal(), QDialog::Accepted);
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(dlg.m_nShowNum, 32);
    ASSERT_EQ(boxes.count(), 5);
    EXPECT_TRUE(Chinese(boxes.texts()[0])) << boxes.texts()[0].toStdString();
}

TEST_F(MainWindowTest, LoginRowStaysInsideTheWindowAtEverySize)
{
    StationData data;
    ASSERT_TRUE(data.ok());
    CKALORDlg dlg;
    // First shown at the largest size, then resized: the row follows.
    ASSERT_TRUE(ShowMainWindow(dlg, 1080, 1920));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.m_bFirstPaintDone != 0; }, 5000));
    for (QSize size : {QSize(1920, 1080), QSize(1280, 800), QSize(1600, 1000)}) {
        dlg.resize(size);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.m_nClientHeight == size.height(); }, 5000));
        for (QWidget* w : {static_cast<QWidget*>(dlg.m_stUser), static_cast<QWidget*>(dlg.m_edUser),
                           static_cast<QWidget*>(dlg.m_stPwd), static_cast<QWidget*>(dlg.m_edPwd),
                           static_cast<QWidget*>(dlg.m_btLogin)})
            EXPECT_TRUE(dlg.rect().contains(w->geometry())) << size.width() << "x" << size.height();
    }
}
