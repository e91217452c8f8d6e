// The language table as a workbook: its layout, the import's reading rules
// and flags, the refusals that leave the caller's rows alone, and the way
// out of the shipped database and back in.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ExcelIOTestSupport.h"
#include "analysis/ExcelIO.h"
#include "database/DBServer.h"
#include "platform/MessageBox.h"

namespace {

using Row = std::array<QString, 4>;

class ExcelIOLanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (int i = 0; i < 300; ++i)
            m_texts << QStringLiteral("text %1").arg(i);
        m_excel.m_pLanText = &m_texts;
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A workbook whose first sheet holds the given rows from A1 on.
    QString WriteSheet(const QString& name, const QString& sheetName, const std::vector<Row>& rows, int top = 1,
                       int left = 1)
    {
        QByteArray xml;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            xml += "<row r=\"" + QByteArray::number(qulonglong(top + r)) + "\">";
            for (int c = 0; c < 4; ++c) {
                if (!rows[r][std::size_t(c)].isEmpty())
                    xml += xltest::InlineCell(QString(QChar(u'A' + left - 1 + c)) + QString::number(top + r),
                                              rows[r][std::size_t(c)]);
            }
            xml += "</row>";
        }
        const QString path = Path(name);
        EXPECT_TRUE(xltest::WriteZip(path, xltest::Package({{sheetName, xml}})));
        return path;
    }

    static std::vector<Row> Numbered(int n)
    {
        std::vector<Row> rows;
        for (int i = 0; i < n; ++i)
            rows.push_back({QString::number(i), QStringLiteral("一%1").arg(i), QStringLiteral("two %1").arg(i),
                            QStringLiteral("三%1").arg(i)});
        return rows;
    }

    QTemporaryDir m_dir;
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CExcelIO m_excel;
};

TEST_F(ExcelIOLanguageTest, ExportLaysOutTheTableAndTheInfoSheet)
{
    strLanguageSheet table;
    table.rows = Numbered(3);
    table.rows.push_back({});  // the separator between UI and fault texts
    table.rows.push_back({QStringLiteral("ERR01_3"), QStringLiteral("名"), QStringLiteral("name"), QStringLiteral("名")});
    const QString path = Path(QStringLiteral("lan.xlsx"));
    ASSERT_TRUE(m_excel.ExportLanguageTable(path, QStringLiteral("2021-3-3--9-5"), table));
    EXPECT_EQ(m_boxes.count(), 0);

    EXPECT_EQ(xltest::SheetNames(path), QStringList({QStringLiteral("SoftLanguageTab"), QStringLiteral("Infor")}));
    const CXlsxReader::Sheet lan = xltest::ReadBack(path, QStringLiteral("SoftLanguageTab"));
    EXPECT_EQ(xltest::RowOf(lan, 1, 4), QStringList({"Sign", "Lan1", "Lan2", "Lan3"}));
    EXPECT_EQ(xltest::RowOf(lan, 3, 4), QStringList({"1", "一1", "two 1", "三1"}));
    EXPECT_EQ(xltest::RowOf(lan, 5, 4), QStringList({"", "", "", ""}));
    EXPECT_EQ(xltest::RowOf(lan, 6, 4), QStringList({"ERR01_3", "名", "name", "名"}));
    EXPECT_EQ(xltest::RowOf(lan, 7, 4), QStringList({"End", "End", "End", "End"}));
    EXPECT_EQ(lan.nLastRow, 7);
    EXPECT_EQ(lan.nLastCol, 4);

    const CXlsxReader::Sheet info = xltest::ReadBack(path, QStringLiteral("Infor"));
    EXPECT_EQ(info.cells.size(), 4u);
    EXPECT_EQ(xltest::RowOf(info, 1, 2), QStringList({"Sign", "SaveTime"}));
    EXPECT_EQ(xltest::RowOf(info, 2, 2), QStringList({"Language Inf Table of Halvern KLAOR", "2021-3-3--9-5"}));
}

TEST_F(ExcelIOLanguageTest, ImportReadsUpToEndAndTrimsOnlyTheSecondLanguage)
{
    std::vector<Row> rows = {{"Sign", "Lan1", "Lan2", "Lan3"},
                             {"1", "a  ", "b  ", "c  "},
                             {"2", "", "", ""},
                             {"End", "x", "y", "z"},
                             {"3", "after", "the", "end"}};
    const QString path = WriteSheet(QStringLiteral("in.xlsx"), QStringLiteral("SoftLanguageTab"), rows);
    strLanguageSheet got;
    got.rows.push_back({QStringLiteral("kept")});
    int flags = -1;
    ASSERT_TRUE(m_excel.ImportLanguageTable(&flags, path, &got));
    EXPECT_EQ(flags, 0);
    ASSERT_EQ(got.rows.size(), 4u);
    EXPECT_EQ(got.rows[0][0], QStringLiteral("kept"));  // appended after what was there
    EXPECT_EQ(got.rows[1], (Row{"1", "a  ", "b", "c  "}));
    EXPECT_EQ(got.rows[2], (Row{"2", "", "", ""}));
    EXPECT_EQ(got.rows[3], (Row{"End", "End", "End", "End"}));

    // Rows are taken from the top-left cell in use, wherever that is.
    const QString moved = WriteSheet(QStringLiteral("moved.xlsx"), QStringLiteral("SoftLanguageTab"), rows, 4, 3);
    strLanguageSheet again;
    ASSERT_TRUE(m_excel.ImportLanguageTable(&flags, moved, &again));
    ASSERT_EQ(again.rows.size(), 3u);
    EXPECT_EQ(again.rows[0], (Row{"1", "a  ", "b", "c  "}));

    // Only the header row: nothing is read, and no "End" is made up.
    const QString header = WriteSheet(QStringLiteral("header.xlsx"), QStringLiteral("SoftLanguageTab"), {rows[0]});
    strLanguageSheet none;
    flags = -1;
    ASSERT_TRUE(m_excel.ImportLanguageTable(&flags, header, &none));
    EXPECT_EQ(flags, 0);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(ExcelIOLanguageTest, FlagsMarkLargelyEmptyColumns)
{
    auto flagsOf = [this](int emptyB, int emptyC, int emptyD) {
        std::vector<Row> rows = {{"Sign", "Lan1", "Lan2", "Lan3"}};
        const int n = std::max({emptyB, emptyC, emptyD}) + 5;
        for (int i = 0; i < n; ++i)
            rows.push_back({QString::number(i), i < emptyB ? QString() : QStringLiteral("b"),
                            i < emptyC ? QString() : QStringLiteral("c"), i < emptyD ? QString() : QStringLiteral("d")});
        rows.push_back({"End", "End", "End", "End"});
        const QString path = WriteSheet(QStringLiteral("flags.xlsx"), QStringLiteral("SoftLanguageTab"), rows);
        strLanguageSheet got;
        int flags = -1;
        EXPECT_TRUE(m_excel.ImportLanguageTable(&flags, path, &got));
        return flags;
    };
    EXPECT_EQ(flagsOf(21, 0, 0), 4);
    EXPECT_EQ(flagsOf(0, 21, 0), 2);
    EXPECT_EQ(flagsOf(0, 0, 30), 1);
    EXPECT_EQ(flagsOf(21, 22, 23), CExcelIO::kNoLanguageFilled);
    // A few gaps flag nothing: 7 can only mean that no language is filled.
    EXPECT_EQ(flagsOf(7, 0, 0), 0);
    EXPECT_EQ(flagsOf(20, 20, 20), 0);
}

TEST_F(ExcelIOLanguageTest, RefusalsSayWhyAndAppendNothing)
{
    QByteArray errorRow = "<row r=\"1\">" + xltest::InlineCell("A1", "Sign") + "</row><row r=\"2\">"
                          + xltest::InlineCell("A2", "1") + "<c r=\"B2\" t=\"e\"><v>#REF!</v></c></row>";
    const QString errorCell = Path(QStringLiteral("error.xlsx"));
    ASSERT_TRUE(xltest::WriteZip(errorCell, xltest::Package({{QStringLiteral("SoftLanguageTab"), errorRow}})));

    // A wrong sheet name and unreadable files are refused the same way (the
    // page's tests go through them).
    const std::vector<std::pair<QString, QString>> cases = {
        {errorCell, QStringLiteral("cell B2 of the sheet \"SoftLanguageTab\" holds the error value #REF!")},
    };
    for (const auto& [path, message] : cases) {
        m_boxes.clear();
        strLanguageSheet got;
        got.rows.push_back({QStringLiteral("before")});
        int flags = 99;
        EXPECT_FALSE(m_excel.ImportLanguageTable(&flags, path, &got)) << path.toStdString();
        ASSERT_EQ(m_boxes.count(), 1) << path.toStdString();
        EXPECT_TRUE(m_boxes.texts().first().contains(message)) << m_boxes.texts().first().toStdString();
        ASSERT_EQ(got.rows.size(), 1u);
        EXPECT_EQ(got.rows[0][0], QStringLiteral("before"));
    }
}

// Out of a copy of the shipped database into a workbook and back, through the
// database object's own operations.
class ExcelIOLanguageDbTest : public ExcelIOLanguageTest {
protected:
    void SetUp() override
    {
        ExcelIOLanguageTest::SetUp();
        const QString shipped = QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure/DB/DBServer.mdb");
        ASSERT_TRUE(QFileInfo::exists(shipped)) << "build the lift_db target first";
        ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/SoftResoure/DB")));
        ASSERT_TRUE(QFile::copy(shipped, m_dir.path() + QStringLiteral("/SoftResoure/DB/DBServer.mdb")));
        m_db.m_strAppFolder = m_dir.path();
        m_db.m_pLanText = &m_dbTexts;
        m_db.m_pAdo->m_pLanText = &m_dbTexts;
        m_db.m_pAdo->InitConnection();
        m_db.BuildDBPath();
        ASSERT_TRUE(m_db.m_pAdo->OpenDatabase(false, m_db.m_strDBPath));
    }

    strLanguageSheet Stored()
    {
        strLanguageSheet sheet;
        EXPECT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
        return sheet;
    }

    QStringList m_dbTexts;
    CDBServer m_db;
};

TEST_F(ExcelIOLanguageDbTest, QuotesChineseAndLineBreaksSurviveTheRoundTrip)
{
    strLanguageSheet table = Stored();
    ASSERT_GT(table.rows.size(), 10u);
    const QString quoted = QStringLiteral("他说\"好\"，it's 'fine'; DROP TABLE x; --");
    const QString lines = QStringLiteral("第一行\r\n第二行\n'end'");
    table.rows[5][1] = quoted;
    table.rows[5][3] = lines;
    table.rows.back()[2] = QStringLiteral("ends with 'a quote'");

    const QString path = Path(QStringLiteral("edited.xlsx"));
    ASSERT_TRUE(m_excel.ExportLanguageTable(path, QStringLiteral("stamp"), table));
    strLanguageSheet imported;
    int flags = -1;
    ASSERT_TRUE(m_excel.ImportLanguageTable(&flags, path, &imported));
    ASSERT_TRUE(m_db.ImportLanguageTable(imported)) << m_boxes.texts().join('\n').toStdString();
    const strLanguageSheet after = Stored();
    EXPECT_EQ(after.rows, table.rows);
    EXPECT_EQ(after.rows[5][1], quoted);
    EXPECT_EQ(after.rows[5][3], lines);
}

} // namespace
