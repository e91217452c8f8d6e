// The lock period: the editor's checks, the page taking the period on and
// off, and timer 5 putting the lift into mode 3 at the start time and taking
// it out after the end time, on a clock the test sets.

#include <QLineEdit>
#include <QPushButton>
#include "LockTestSupport.h"

using namespace showone_test;
using namespace lock_test;

namespace {

QDateTime Today(int h, int m, int s)
{
    return QDateTime(QDate::currentDate(), QTime(h, m, s));
}

void TypeTimes(CSetLockTimeDlg& dlg, const QStringList& texts)
{
    for (int i = 0; i < 6; ++i)
        dlg.m_edTime[std::size_t(i)]->setText(texts.value(i));
}

} // namespace

class LockPeriod : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.ok());
        page().m_fnNow = [this] { return m_now; };
    }
    CShowOneDlg& page() { return m_rig.page(); }
    CSetLockTimeDlg& dlg() { return *page().m_pLockTimeDlg; }
    // A mode commanded by the operator's mode buttons.
    void SetMode(int mode)
    {
        m_rig.cmd().nMode = mode;
        m_rig.lift().nCmdMode = mode;
    }
    void Open()
    {
        SendMessage(&page(), WM_BUTSTATE_CLICK, 0, 4);
        ASSERT_TRUE(dlg().isVisible());
    }
    // Types the period into the editor and presses enable; the page takes it.
    void Enable(const QStringList& texts)
    {
        TypeTimes(dlg(), texts);
        dlg().m_btEnable->click();
        QTest::qWait(30);
    }
    void Enable(const char* times) { Enable(QString::fromLatin1(times).split(QLatin1Char(' '))); }

    BoxLog m_boxes;
    ShowOneRig m_rig{kNoLine};
    QDateTime m_now = Today(12, 0, 0);
};

TEST_F(LockPeriod, EditorRefusesTimesOutOfRangeOrNotNumbers)
{
    page().m_nLockStartH = 8;
    page().m_nLockEndM = 30;
    Open();
    MessageSink sink;
    dlg().m_hTarget = &sink;

    // Leading digits count, an empty field is 0; a huge number stays huge
    // (4294967297 would wrap to 1 if not held at the int bound).
    const QStringList good{QStringLiteral("008"), QStringLiteral(""), QStringLiteral("7x"),
                           QStringLiteral("23"), QStringLiteral("59"), QStringLiteral("59")};
    for (const auto& [field, text] : {std::pair{0, "24"}, std::pair{1, "60"}, std::pair{5, "60"}, std::pair{0, "123"},
                                      std::pair{3, "99999999999"}, std::pair{2, "4294967297"}}) {
        QStringList texts = good;
        texts[field] = QString::fromLatin1(text);
        TypeTimes(dlg(), texts);
        dlg().m_btEnable->click();
        QTest::qWait(10);
        EXPECT_EQ(m_boxes.texts().value(0), QStringLiteral("输入时间有误")) << field << " " << text;
        m_boxes.clear();
        EXPECT_TRUE(sink.messages.empty()) << text;
        EXPECT_EQ(dlg().m_nTime[0], 8) << "refused input does not replace the period";
    }
    // A refused enable followed by disable hands on the period in force.
    dlg().m_btDisable->click();
    QTest::qWait(10);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].lParam, 0);
    EXPECT_EQ(dlg().m_nTime, (std::array<int, 6>{8, 0, 0, 0, 30, 0}));

    Enable(good);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1].msg, WM_LOCKTIME_SET);
    EXPECT_EQ(sink.messages[1].lParam, 1);
    EXPECT_EQ(dlg().m_nTime, (std::array<int, 6>{8, 0, 7, 23, 59, 59}));
    EXPECT_TRUE(m_boxes.texts().isEmpty());

    // The refusal is in the station's language.
    page().m_nLanguageKind = 2;
    Open();
    TypeTimes(dlg(), {QStringLiteral("24")});
    dlg().m_btEnable->click();
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("The time entered is wrong.")});
}

TEST_F(LockPeriod, EnabledOutsideThePeriodEndsAtOnceAndAReversedPeriodNeverMatches)
{
    m_now = Today(7, 0, 0);
    SetMode(3);
    Open();
    Enable("8 0 0 18 0 0");
    EXPECT_EQ(page().m_pLockBtn[2]->m_nOnValue, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !page().IsLockPeriodTimerActive(); }, 2000));
    EXPECT_EQ(int(m_rig.cmd().nMode), 0);
    EXPECT_EQ(page().m_bPeriodOn, 1) << "the period stays enabled for the next showing";

    m_now = Today(23, 0, 0);
    Enable("22 0 0 6 0 0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !page().IsLockPeriodTimerActive(); }, 2000));
    EXPECT_EQ(int(m_rig.cmd().nMode), 0);
}

TEST_F(LockPeriod, FireServiceAndTheManualLatchKeepTheTimerWithoutTouchingTheMode)
{
    Open();
    m_now = Today(9, 0, 0);
    m_rig.page().m_pModeBtn[1]->m_bOn = 1;  // the controller reports fire service
    SetMode(2);
    Enable("8 0 0 18 0 0");
    m_now = Today(19, 0, 0);
    QTest::qWait(100);
    EXPECT_EQ(int(m_rig.cmd().nMode), 2);
    EXPECT_TRUE(page().IsLockPeriodTimerActive());

    m_rig.page().m_pModeBtn[1]->m_bOn = 0;
    page().m_bModeLatch = 1;
    SetMode(3);
    QTest::qWait(100);
    EXPECT_EQ(int(m_rig.cmd().nMode), 3);
    EXPECT_TRUE(page().IsLockPeriodTimerActive());
    page().m_bModeLatch = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !page().IsLockPeriodTimerActive(); }, 2000));
    EXPECT_EQ(int(m_rig.cmd().nMode), 0);
}

TEST_F(LockPeriod, DisableStopsTheTimerAndRefusalsKeepTheValues)
{
    m_now = Today(10, 0, 0);
    Open();
    Enable("8 0 0 18 0 0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return int(m_rig.cmd().nMode) == 3; }, 2000));
    EXPECT_TRUE(FileBytes(LockTimePath()).startsWith("AllLock=0\nPartLock=1\nStartTimeH= 8\n"));

    // Port closed: refused, the timer runs on, the new values wait in the page.
    page().m_bPortOpen = 0;
    Enable("9 0 0 18 0 0");
    EXPECT_EQ(m_boxes.texts(), QStringList{m_rig.Text(99)});
    EXPECT_EQ(page().m_nLockStartH, 9);
    EXPECT_TRUE(page().IsLockPeriodTimerActive());
    EXPECT_TRUE(FileBytes(LockTimePath()).contains("StartTimeH= 8\n"));

    page().m_bPortOpen = 1;
    dlg().m_btDisable->click();
    QTest::qWait(30);
    EXPECT_FALSE(page().IsLockPeriodTimerActive());
    EXPECT_EQ(int(m_rig.cmd().nMode), 0);
    EXPECT_EQ(int(m_rig.lift().nCmdMode), 0);
    EXPECT_EQ(page().m_pLockBtn[2]->m_nOnValue, 0);
    EXPECT_EQ(FileBytes(LockTimePath()), QByteArray("AllLock=0\nPartLock=0\nStartTimeH= 9\nStartTimeM= 0\n"
                                                  "StartTimeS= 0\nEndTimeH=18\nEndTimeM= 0\nEndTimeS= 0\n"));
}

TEST_F(LockPeriod, AnEnabledPeriodInTheFileArmsTheTimerWhenTheLiftIsShown)
{
    ASSERT_TRUE(WriteFile(LockTimePath(), "AllLock=0\nPartLock=1\nStartTimeH= 8\nStartTimeM= 0\nStartTimeS= 0\n"
                                         "EndTimeH=18\nEndTimeM=30\nEndTimeS= 0\n"));
    m_now = Today(18, 30, 0);
    page().LoadLockTime();
    page().ArmLockPeriod();
    EXPECT_EQ(page().m_pLockBtn[2]->m_nOnValue, 1);
    EXPECT_EQ(dlg().m_edTime[0]->text(), QStringLiteral(" 8"));
    EXPECT_EQ(dlg().m_edTime[4]->text(), QStringLiteral("30"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return int(m_rig.cmd().nMode) == 3; }, 2000));
}

TEST(LockPeriodLive, TheLiftTurnsToMode3AtTheStartAndBackAfterTheEnd)
{
    BoxLog boxes;
    ShowOneRig rig;
    ASSERT_TRUE(rig.ok());
    rig.Start();
    ASSERT_TRUE(rig.WaitOnline());
    CShowOneDlg& page = rig.page();
    QDateTime now = Today(8, 0, 0);
    page.m_fnNow = [&] { return now; };
    auto reportedMode = [&] { return rig.sim().dump(kLiftNum).section(QStringLiteral("mode="), 1).section(QLatin1Char(' '), 0, 0); };

    QTest::mouseClick(page.m_pLockBtn[2], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pLockTimeDlg->isVisible(); }, 2000));
    TypeTimes(*page.m_pLockTimeDlg, QStringLiteral("08 00 00 18 00 00").split(QLatin1Char(' ')));
    page.m_pLockTimeDlg->m_btEnable->click();

    // At 08:00:00 the requests ask for mode 3 and the controller reports 8.
    ASSERT_TRUE(QTest::qWaitFor([&] { return int(rig.cmd().nMode) == 3 && int(rig.lift().nCmdMode) == 3; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reportedMode() == QStringLiteral("8"); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.m_pModeBtn[2]->m_bOn == 1; }, 3000));

    // 18:00:00 still belongs to the period. The lift shown again meanwhile
    // has its parking button on but not pressed, so nothing latches the mode.
    now = Today(18, 0, 0);
    page.LayoutLiftView();
    ASSERT_TRUE(rig.WaitOnline());
    EXPECT_EQ(int(rig.cmd().nMode), 3);
    EXPECT_TRUE(page.IsLockPeriodTimerActive());

    // 18:00:01 ends it: mode 0 on the line, the controller back in its own mode.
    now = Today(18, 0, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.IsLockPeriodTimerActive(); }, 2000));
    EXPECT_EQ(int(rig.cmd().nMode), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reportedMode() == QStringLiteral("7"); }, 5000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}
