// The fault views of the analysis page on a copy of the shipped database:
// the default view, the date-range query, trees and lists per lift and per
// fault code, and the fault help texts.
#include <QDateTimeEdit>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "AnalysisFixture.h"
#include "analysis/ButAnaly.h"
#include "analysis/ExcelIO.h"
#include "controls/EditX.h"

namespace {

class AnalysisFaultsTest : public AnalysisPageTest {
protected:
    void Prepare() override
    {
        for (int n : {1, 2, 5})
            SetUpLift(n, QString::number(n) + QStringLiteral("号梯"));
        RecordFault(1, 12, At(2024, 3, 1, 8, 0), 2);     // state 225
        RecordFault(1, 3, At(2024, 3, 2, 9, 30));        // state 7
        RecordFault(1, 12, At(2024, 3, 4, 23, 59), 8);   // state 227
        RecordFault(2, 3, At(2024, 2, 28, 10, 0), 4);    // state 226
    }

    QString Name(int code) const { return m_tabs[2].strErrName[code - 1]; }

    CExcelIO m_excel;

    void SetRange(const QDate& start, const QDate& end) const
    {
        m_page->m_dtStart->setDate(start);
        m_page->m_dtEnd->setDate(end);
    }
};

} // namespace

TEST_F(AnalysisFaultsTest, DefaultViewListsEachLiftsFaultsNewestFirst)
{
    CAnalysisDlg& page = *m_page;
    page.OnBnClickedFaultsByLift();

    EXPECT_EQ(TreeChildren(), QStringList({"1号梯", "2号梯", "5号梯"}));
    // The first lift is shown at once.
    EXPECT_EQ(Rows(), QList<QStringList>({
                          {"2024-03-04 23:59:00", "Err12:" + Name(12), Text(255)},
                          {"2024-03-02 09:30:00", "Err03:" + Name(3), Text(35)},
                          {"2024-03-01 08:00:00", "Err12:" + Name(12), Text(253)},
                      }));
    SelectChild(1);
    EXPECT_EQ(Rows(), QList<QStringList>({{"2024-02-28 10:00:00", "Err03:" + Name(3), Text(254)}}));

    // The pickers span the records; the pie is not offered.
    EXPECT_EQ(page.m_dtStart->date(), QDate(2024, 2, 28));
    EXPECT_EQ(page.m_dtEnd->date(), QDate(2024, 3, 4));
    EXPECT_FALSE(page.m_btPieShow->isVisible());
}

TEST_F(AnalysisFaultsTest, LiftsOfOneFaultFollowLiftOrderThenRecordOrder)
{
    RecordFault(5, 3, At(2024, 3, 3, 7, 15));
    RecordFault(1, 3, At(2024, 3, 3, 6, 0));
    m_page->OnBnClickedFaultsByLift();
    m_page->OnBnClickedLiftsByFault();

    EXPECT_EQ(TreeChildren(), QStringList({FaultItem(3), FaultItem(12)}));
    EXPECT_EQ(Rows(), QList<QStringList>({
                          {"2024-03-03 06:00:00", "1号梯", Text(35)},
                          {"2024-03-02 09:30:00", "1号梯", Text(35)},
                          {"2024-02-28 10:00:00", "2号梯", Text(254)},
                          {"2024-03-03 07:15:00", "5号梯", Text(35)},
                      }));
    SelectChild(1);
    EXPECT_EQ(Rows().size(), 2);
}

TEST_F(AnalysisFaultsTest, QueryCountsPerLiftWithinTheRangeIncludingTheWholeLastDay)
{
    CAnalysisDlg& page = *m_page;
    page.m_pExcel = &m_excel;
    page.OnBnClickedFaultsByLift();
    EXPECT_EQ(m_excel.m_strPeriod, QStringLiteral("Default"));
    page.OnBnClickedStatsByLift();

    SetRange(QDate(2024, 3, 1), QDate(2024, 3, 2));
    page.OnBnClickedQueryRange();
    // The exported period names the days picked.
    EXPECT_EQ(m_excel.m_strPeriod, QStringLiteral("2024-03-01~2024-03-02"));
    EXPECT_EQ(Rows(), QList<QStringList>({{FaultItem(3), "1", "50.00%"}, {FaultItem(12), "1", "50.00%"}}));
    // Lift 2's only fault lies before the range.
    SelectChild(1);
    EXPECT_TRUE(Rows().isEmpty());

    // 23:59 on the last picked day belongs to the range.
    SetRange(QDate(2024, 3, 1), QDate(2024, 3, 4));
    page.OnBnClickedQueryRange();
    EXPECT_EQ(Rows(), QList<QStringList>({{FaultItem(3), "1", "33.33%"}, {FaultItem(12), "2", "66.67%"}}));

    // A range that ends the day before the last fault leaves it out.
    SetRange(QDate(2024, 3, 1), QDate(2024, 3, 3));
    page.OnBnClickedQueryRange();
    EXPECT_EQ(Rows(), QList<QStringList>({{FaultItem(3), "1", "50.00%"}, {FaultItem(12), "1", "50.00%"}}));

    // The farthest end the picker offers still has a next day the query can
    // name: every fault from the first day on.
    SetRange(QDate(2024, 3, 1), QDate(9999, 12, 31));
    page.OnBnClickedQueryRange();
    EXPECT_EQ(Rows(), QList<QStringList>({{FaultItem(3), "1", "33.33%"}, {FaultItem(12), "2", "66.67%"}}));
    EXPECT_EQ(m_excel.m_strPeriod, QStringLiteral("2024-03-01~9999-12-30"));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(AnalysisFaultsTest, LiftsOfOneNameEachShowTheirOwnRecords)
{
    for (int n : {7, 8}) {
        SetUpLift(n, QStringLiteral("东梯"));
        RecordFault(n, n - 2, At(2024, 3, n - 2, 10, 0));
    }
    m_page->OnBnClickedFaultsByLift();
    ASSERT_EQ(TreeChildren(), QStringList({"1号梯", "2号梯", "5号梯", "东梯", "东梯"}));
    SelectChild(3);
    EXPECT_EQ(Rows().value(0).value(1), "Err05:" + Name(5));
    SelectChild(4);
    EXPECT_EQ(Rows().value(0).value(1), "Err06:" + Name(6));
}

TEST_F(AnalysisFaultsTest, CodeWithoutFaultTextStillListsItsLifts)
{
    // The shipped tables name codes 1..60; a controller may report others.
    RecordFault(2, 75, At(2024, 3, 5, 11, 0));
    m_page->OnBnClickedFaultsByLift();
    m_page->OnBnClickedLiftsByFault();
    ASSERT_EQ(TreeChildren(), QStringList({FaultItem(3), FaultItem(12), "ERR75: "}));
    SelectChild(2);
    EXPECT_EQ(m_page->m_nSelCode, 75);
    EXPECT_EQ(Rows(), QList<QStringList>({{"2024-03-05 11:00:00", "2号梯", Text(35)}}));
}

TEST_F(AnalysisFaultsTest, HelpPageShowsLevelCauseAndRemedyOfTheChosenModel)
{
    CAnalysisDlg& page = *m_page;
    page.OnBnClickedFaultHelp();
    const strErrInfTab& plus = m_tabs[2];
    ASSERT_EQ(TreeChildren().size(), plus.strErrCount.size() - plus.strLevel.count(QStringLiteral("0")));
    EXPECT_EQ(TreeChildren().first(), plus.strErrCount[0] + ": " + plus.strErrName[0]);

    // The first code is explained at once.
    const QString shown = page.m_edHelp->text().remove('\r');
    EXPECT_TRUE(shown.startsWith(Text(138) + " : " + plus.strLevel[0] + "\n")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(Text(140) + "\n" + plus.strErrDeal[0])) << shown.toStdString();
    EXPECT_EQ(page.m_edHelpTitle->text(), plus.strErrName[0]);

    // Model 0 leaves out its level-0 codes and shows levels as numbers.
    page.m_rbModel0->click();
    const strErrInfTab& s = m_tabs[0];
    EXPECT_FALSE(TreeChildren().contains(s.strErrCount[32] + ": " + s.strErrName[32]));
    SelectChild(1);
    EXPECT_TRUE(page.m_edHelp->text().startsWith(Text(138) + " : " + QString::number(s.nLevel[1])));
    EXPECT_EQ(page.m_edHelpTitle->text(), s.strErrName[1]);
}

TEST_F(AnalysisFaultsTest, EnterAndEscapeNeverReachThePagesControls)
{
    QDialog dlg;
    m_page->setParent(&dlg);
    dlg.show();
    m_page->OnBnClickedUserManage();
    m_page->OnBnClickedNewUser();
    m_page->m_edUserName->setFocus();
    QTest::keyClick(m_page->m_edUserName, Qt::Key_Escape);
    QTest::keyClick(m_page->m_edUserName, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    m_page->setParent(nullptr);
}
