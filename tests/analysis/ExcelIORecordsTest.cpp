// The record export: the fault count sheet, the per-lift fault sheets and the
// call sheet, read back cell by cell.
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <memory>

#include "ExcelIOTestSupport.h"
#include "analysis/ExcelIO.h"
#include "analysis/XlsxWriter.h"
#include "platform/MessageBox.h"
#include "platform/QuoteText.h"

namespace {

class ExcelIORecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (int i = 0; i < 300; ++i)
            m_texts << QStringLiteral("T%1").arg(i);
        m_excel.m_pLanText = &m_texts;
        m_excel.m_nLanguageKind = 2;
        // Code 4 has no text: a row's position is not its code.
        for (int c = 1; c <= 150; ++c) {
            if (c == 4)
                continue;
            const QString code = QStringLiteral("ERR%1").arg(c, 2, 10, QLatin1Char('0'));
            m_tabs[1].strErrCount << code;
            m_tabs[2].strErrCount << code;
            m_tabs[2].strErrName << QStringLiteral("name%1").arg(c);
        }
    }

    // A present lift's faults, newest first.
    strLiftFaultStat& Lift(int i, int nAddr, const QString& name, const std::vector<int>& codes)
    {
        strLiftFaultStat& lift = (*m_lifts)[std::size_t(i)];
        lift.nRealAddr = nAddr;
        lift.nKind = 1;
        lift.strName = name;
        for (std::size_t k = 0; k < codes.size(); ++k) {
            lift.arrErrTime << QStringLiteral("2024-03-%1 10:00:00").arg(20 - int(k), 2, 10, QLatin1Char('0'));
            lift.lstErrCode << codes[k];
            lift.lstLiftState << int(k % 3);
            lift.lstErrID << strErrIDInf{};
            if (codes[k] >= 0 && codes[k] < kFaultCodeCounts)
                ++lift.nCodeCount[std::size_t(codes[k])];
            ++lift.nErrTotal;
        }
        return lift;
    }

    bool Export(int nMode, const QString& path)
    {
        return m_excel.ExportRecords(nMode, path, m_blocks->data(), m_lifts->data(), m_tabs.data());
    }

    QTemporaryDir m_dir;
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CExcelIO m_excel;
    std::array<strErrInfTab, 3> m_tabs;
    std::unique_ptr<std::array<strLiftFaultStat, 64>> m_lifts = std::make_unique<std::array<strLiftFaultStat, 64>>();
    std::unique_ptr<std::array<strCallStatBlock, 4>> m_blocks = std::make_unique<std::array<strCallStatBlock, 4>>();
};

TEST_F(ExcelIORecordsTest, FaultCountSheetHasABlockPerLiftAndTheTotals)
{
    Lift(0, 3, QStringLiteral("一号梯"), {12, 3, 12, 12});
    Lift(1, 0, QStringLiteral("gone"), {});  // not used by the last query
    Lift(2, 9, QStringLiteral("B"), {12, 40, 150});
    const QString path = m_dir.filePath(QStringLiteral("err.xlsx"));
    ASSERT_TRUE(Export(7, path));
    EXPECT_EQ(xltest::SheetNames(path), QStringList({QStringLiteral("RecInf_Err")}));
    const CXlsxReader::Sheet s = xltest::ReadBack(path, QStringLiteral("RecInf_Err"));

    // Codes that occur, in code order, then the lift total column.
    EXPECT_EQ(xltest::RowOf(s, 1, 6), QStringList({"", "ERR03", "ERR12", "ERR40", "ERR150", "T153"}));
    EXPECT_EQ(xltest::RowOf(s, 2, 1), QStringList({"一号梯"}));
    EXPECT_EQ(xltest::RowOf(s, 3, 6), QStringList({"T132", "1", "3", "", "", "4"}));
    EXPECT_EQ(xltest::RowOf(s, 5, 6), QStringList({"T152", "100.00%", "75.00%", "", "", ""}));
    // Code 150 has a column and a total but no per-lift cells.
    EXPECT_EQ(xltest::RowOf(s, 8, 6), QStringList({"T132", "", "1", "1", "", "3"}));
    EXPECT_EQ(xltest::RowOf(s, 12, 6), QStringList({"T154", "1", "4", "1", "1", ""}));
    EXPECT_EQ(s.nLastRow, 12);
    EXPECT_EQ(m_boxes.count(), 0);

    // Without lifts the totals row comes right under the header.
    m_lifts = std::make_unique<std::array<strLiftFaultStat, 64>>();
    ASSERT_TRUE(Export(9, path));
    const CXlsxReader::Sheet none = xltest::ReadBack(path, QStringLiteral("RecInf_Err"));
    EXPECT_EQ(xltest::RowOf(none, 2, 2), QStringList({"T154", ""}));
}

TEST_F(ExcelIORecordsTest, FaultSheetsGiveEachLiftItsRecords)
{
    Lift(0, 1, QStringLiteral("A/B"), {5, 200, 4});
    Lift(1, 2, QStringLiteral("a/b"), {});
    strLiftFaultStat& third = Lift(5, 7, QStringLiteral("第三台电梯的名字真的非常非常非常长"), {1, 2, 3});
    third.lstLiftState[2] = 1000000;  // beyond every text
    // A record whose lists disagree in length: only the rows all lists have are written.
    third.nErrTotal = 9;
    m_excel.m_strPeriod = QStringLiteral("2024-03-01~2024-03-21");
    const QString path = m_dir.filePath(QStringLiteral("lifts.xlsx"));
    ASSERT_TRUE(Export(6, path));

    const QStringList names = xltest::SheetNames(path);
    EXPECT_EQ(names, QStringList({"RecInf_Err_A_B", "RecInf_Err_a_b~2", QStringLiteral("RecInf_Err_第三台电梯的名字真的非常非常非常长").left(31)}));

    const CXlsxReader::Sheet first = xltest::ReadBack(path, names[0]);
    EXPECT_EQ(xltest::RowOf(first, 2, 3), QStringList({"", "A/B", "2024-03-01~2024-03-21"}));
    EXPECT_EQ(xltest::RowOf(first, 5, 4), QStringList({"0", "2024-03-20 10:00:00", "Err05:name5", "T28"}));
    EXPECT_EQ(xltest::RowOf(first, 7, 4), QStringList({"2", "2024-03-18 10:00:00", "Err04:", "T30"}));  // no text: code only
    EXPECT_EQ(xltest::ReadBack(path, names[1]).nLastRow, 4);

    const CXlsxReader::Sheet last = xltest::ReadBack(path, names[2]);
    EXPECT_EQ(last.Text(2, 2), QStringLiteral("第三台电梯的名字真的非常非常非常长"));
    EXPECT_EQ(xltest::RowOf(last, 7, 4), QStringList({"2", "2024-03-18 10:00:00", "Err03:name3", ""}));
    EXPECT_EQ(last.nLastRow, 7);
}

TEST_F(ExcelIORecordsTest, CallSheetPutsUsedBlocksSideBySide)
{
    strCallStatBlock& a = (*m_blocks)[1];
    a = {1, 3, 8, 2, 0, {{2, 0, 6}}, {{1, 1, 0}}, {}, QStringLiteral("一号梯")};
    strCallStatBlock& b = (*m_blocks)[3];
    b = {1, 500, 4, 0, 0, {}, {}, {}, QStringLiteral("B")};  // more floors than a block holds
    b.nCarCalls[55] = 4;
    (*m_blocks)[0].nFloorCount = 9;  // unused blocks do not count
    const QString path = m_dir.filePath(QStringLiteral("call.xlsx"));
    ASSERT_TRUE(Export(5, path));
    EXPECT_EQ(xltest::SheetNames(path), QStringList({QStringLiteral("RecInf_Call")}));
    const CXlsxReader::Sheet s = xltest::ReadBack(path, QStringLiteral("RecInf_Call"));

    EXPECT_EQ(xltest::RowOf(s, 1, 13), QStringList({"", "一号梯", "", "", "", "", "", "B", "", "", "", "", ""}));
    EXPECT_EQ(xltest::RowOf(s, 3, 8), QStringList({"1 Floor", "2", "25.00%", "1", "50.00%", "0", "0%", "0"}));
    // The first block has 3 floors: its cells stay empty below them.
    EXPECT_EQ(xltest::RowOf(s, 6, 9), QStringList({"4 Floor", "", "", "", "", "", "", "0", "0%"}));
    EXPECT_EQ(xltest::RowOf(s, 58, 9), QStringList({"56 Floor", "", "", "", "", "", "", "4", "100.00%"}));
    EXPECT_EQ(xltest::RowOf(s, 59, 13), QStringList({"Total number", "8", "100%", "2", "100%", "0", "100%", "4",
                                                     "100%", "0", "100%", "0", "100%"}));
    EXPECT_EQ(s.nLastRow, 59);
}

// A text longer than a cell holds (put in the database by other means) goes
// out cut to what a cell holds; the rest of the workbook is written as ever.
TEST_F(ExcelIORecordsTest, TextsLongerThanACellAreCutNotFailed)
{
    const QString name = QStringLiteral("梯").repeated(1'000'000);
    Lift(0, 3, name, {5});
    m_excel.m_strPeriod = QString(40'000, u'p');
    for (const int mode : {6, 7}) {
        m_boxes.clear();
        const QString path = m_dir.filePath(QStringLiteral("long%1.xlsx").arg(mode));
        ASSERT_TRUE(Export(mode, path)) << m_boxes.texts().join('\n').toStdString();
        EXPECT_TRUE(m_boxes.texts().isEmpty());
        const QString sheetName = xltest::SheetNames(path).value(0);
        const CXlsxReader::Sheet sheet = xltest::ReadBack(path, sheetName);
        const QString cell = mode == 6 ? sheet.Text(2, 2) : sheet.Text(2, 1);
        EXPECT_EQ(cell.size(), CXlsxWriter::kMaxTextLength);
        EXPECT_TRUE(cell.startsWith(name.left(100)) && cell.endsWith(QChar(0x2026)));
        if (mode == 6) {
            EXPECT_EQ(sheet.Text(2, 3).size(), CXlsxWriter::kMaxTextLength);
            EXPECT_EQ(sheet.Text(5, 3), QStringLiteral("Err05:name5"));
        }
    }
}

TEST_F(ExcelIORecordsTest, ASaveThatFailsSaysSo)
{
    Lift(0, 1, QStringLiteral("L"), {1});
    // A folder that is a file: nothing can be written there.
    ASSERT_TRUE(WriteFile(m_dir.filePath(QStringLiteral("plain")), "not a folder"));
    const QString path = m_dir.filePath(QStringLiteral("plain/old.xlsx"));
    for (const int mode : {6, 7}) {
        m_boxes.clear();
        EXPECT_FALSE(Export(mode, path));
        EXPECT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts().value(0).startsWith(QStringLiteral("The workbook \"%1\" could not be saved").arg(IsolateText(path))));
    }
}

} // namespace
