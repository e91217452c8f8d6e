// The language table as a workbook: its layout, the import's reading rules
// and flags, the refusals that leave the caller's rows alone, and the way
// out of the shipped database and back in.
#include <QTemporaryDir>
#include <functional>
#include <tuple>
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "ExcelIOTestSupport.h"
#include "analysis/ExcelIO.h"
#include "database/DBServer.h"
#include "platform/MessageBox.h"
#include "platform/QuoteText.h"

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
        m_excel.m_nLanguageKind = 2;
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A workbook whose first sheet holds the given rows from A1 on.
    QString WriteSheet(const QString& name, const QString& sheetName, const std::vector<Row>& rows, int top = 1,
                       int left = 1)
    {
        QByteArray xml;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            xml += "<row>";
            for (int c = 0; c < 4; ++c)
                xml += rows[r][std::size_t(c)].isEmpty() ? QByteArray() : xltest::InlineCell(QString(QChar(u'A' + left - 1 + c)) + QString::number(top + r), rows[r][std::size_t(c)]);
            xml += "</row>";
        }
        return xltest::WriteSheet(Path(name), sheetName, xml);
    }

    QTemporaryDir m_dir;
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CExcelIO m_excel;
};

TEST_F(ExcelIOLanguageTest, ExportLaysOutTheTableAndTheInfoSheet)
{
    strLanguageSheet table;
    table.rows = {{"0", "一0", "two 0", "三0"}, {"1", "一1", "two 1", "三1"}};
    table.rows.push_back({});  // the separator between UI and fault texts
    table.rows.push_back({QStringLiteral("ERR01_3"), QStringLiteral("名"), QStringLiteral("name"), QStringLiteral("名")});
    const QString path = Path(QStringLiteral("lan.xlsx"));
    ASSERT_TRUE(m_excel.ExportLanguageTable(path, QStringLiteral("2021-3-3--9-5"), table));
    EXPECT_EQ(xltest::SheetNames(path), QStringList({QStringLiteral("SoftLanguageTab"), QStringLiteral("Infor")}));
    const CXlsxReader::Sheet lan = xltest::ReadBack(path, QStringLiteral("SoftLanguageTab"));
    EXPECT_EQ(xltest::RowOf(lan, 1, 4), QStringList({"Sign", "Lan1", "Lan2", "Lan3"}));
    EXPECT_EQ(xltest::RowOf(lan, 5, 4), QStringList({"ERR01_3", "名", "name", "名"}));
    EXPECT_EQ(xltest::RowOf(lan, 6, 4), QStringList({"End", "End", "End", "End"}));
    const CXlsxReader::Sheet info = xltest::ReadBack(path, QStringLiteral("Infor"));
    EXPECT_EQ(info.cells.size(), 4u);
    EXPECT_EQ(info.Text(2, 2), QStringLiteral("2021-3-3--9-5"));
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
    // Appended after what was there.
    EXPECT_EQ(got.rows, (std::vector<Row>{{"kept"}, {"1", "a  ", "b", "c  "}, {"2", "", "", ""}, {"End", "End", "End", "End"}}));

    // Rows are taken from the top-left cell in use, wherever that is.
    const QString moved = WriteSheet(QStringLiteral("moved.xlsx"), QStringLiteral("SoftLanguageTab"), rows, 4, 3);
    strLanguageSheet again;
    ASSERT_TRUE(m_excel.ImportLanguageTable(&flags, moved, &again));
    EXPECT_EQ(again.rows.size(), 3u);
    EXPECT_EQ(again.nFirstRow, 5);

    // Only the header row: nothing is read, and no "End" is made up.
    const QString header = WriteSheet(QStringLiteral("header.xlsx"), QStringLiteral("SoftLanguageTab"), {rows[0]});
    strLanguageSheet none;
    ASSERT_TRUE(m_excel.ImportLanguageTable(&flags, header, &none));
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(ExcelIOLanguageTest, FlagsMarkLargelyEmptyColumns)
{
    auto flagsOf = [this](int emptyB, int emptyC, int emptyD) {
        std::vector<Row> rows = {{"Sign", "Lan1", "Lan2", "Lan3"}};
        for (int i = 0; i < 35; ++i)
            rows.push_back({QString::number(i), i < emptyB ? "" : "b", i < emptyC ? "" : "c", i < emptyD ? "" : "d"});
        const QString path = WriteSheet(QStringLiteral("flags.xlsx"), QStringLiteral("SoftLanguageTab"), rows);
        strLanguageSheet got;
        int flags = -1;
        EXPECT_TRUE(m_excel.ImportLanguageTable(&flags, path, &got));
        return flags;
    };
    EXPECT_EQ(flagsOf(21, 0, 30), 5);
    EXPECT_EQ(flagsOf(21, 22, 23), CExcelIO::kNoLanguageFilled);
    // A few gaps flag nothing: 7 can only mean that no language is filled.
    EXPECT_EQ(flagsOf(20, 7, 20), 0);
}

TEST_F(ExcelIOLanguageTest, RefusalsSayWhyAndAppendNothing)
{
    const QString tab = QStringLiteral("SoftLanguageTab");
    // An error value, and two cells far apart that must never become a million rows.
    const std::vector<std::pair<QString, QString>> cases = {
        {xltest::WriteSheet(Path(QStringLiteral("error.xlsx")), tab,
                            "<row><c r=\"A1\"><v>1</v></c></row><row><c r=\"A2\"><v>1</v></c><c r=\"B2\" t=\"e\"><v>#REF!</v></c></row>"),
         QStringLiteral("cell B2 of the sheet \"SoftLanguageTab\" holds the error value ") + QuoteText(QStringLiteral("#REF!"))},
        {xltest::WriteSheet(Path(QStringLiteral("sparse.xlsx")), tab,
                            "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"1048576\"><c r=\"A1048576\"><v>2</v></c></row>"),
         QStringLiteral("more empty rows than cells before row 4")},
    };
    for (const auto& [path, message] : cases) {
        m_boxes.clear();
        strLanguageSheet got;
        int flags = 99;
        EXPECT_FALSE(m_excel.ImportLanguageTable(&flags, path, &got)) << path.toStdString();
        EXPECT_EQ(m_boxes.count(), 1) << path.toStdString();
        EXPECT_TRUE(m_boxes.texts().value(0).contains(message)) << m_boxes.texts().value(0).toStdString();
        EXPECT_TRUE(got.rows.empty());
    }

    // Another first sheet: the warning is kept on top of every window.
    bool topmost = false;
    MessageBoxHook previous = SetMessageBoxHook([&](const MsgBoxRequest& req) {
        topmost = req.text == m_texts[147] && req.bTopmost;
        return MsgBoxResult::Ok;
    });
    strLanguageSheet got;
    int flags = 0;
    EXPECT_FALSE(m_excel.ImportLanguageTable(&flags, WriteSheet(QStringLiteral("other.xlsx"), QStringLiteral("Sheet1"), {}), &got));
    SetMessageBoxHook(std::move(previous));
    EXPECT_TRUE(topmost);

    // The reader's reasons follow the station's language and name what is wrong.
    m_excel.m_nLanguageKind = 1;
    const QString badRef = xltest::WriteSheet(Path(QStringLiteral("ref.xlsx")), tab, "<row><c r=\"A0\"><v>1</v></c></row>");
    m_boxes.clear();
    EXPECT_FALSE(m_excel.ImportLanguageTable(&flags, badRef, &got));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("工作簿“%1”无法读取：“%2”的格式有误。").arg(IsolateText(badRef), QuoteText(QStringLiteral("SoftLanguageTab")))});
}

// Out of a copy of the shipped database into a workbook and back, through the
// database object's own operations.
class ExcelIOLanguageDbTest : public AnalysisPageTest {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // The sheet as the station's workbook carries it: written, then read back.
    bool ThroughWorkbook(const strLanguageSheet& sheet, strLanguageSheet* pRead)
    {
        const QString path = Path(QStringLiteral("through.xlsx"));
        int flags = -1;
        return m_excel.ExportLanguageTable(path, QStringLiteral("stamp"), sheet)
               && m_excel.ImportLanguageTable(&flags, path, pRead);
    }
    CExcelIO m_excel;
};

// Through the station's own workbook and import: a damaged sheet changes
// neither table and the next start still loads every text in every language;
// the intact sheet, quotes and line breaks included, comes back unchanged.
TEST_F(ExcelIOLanguageDbTest, DamagedSheetsChangeNothingAndTheIntactOneComesBack)
{
    auto loadsEveryText = [this](std::size_t* pFaults) {
        for (int kind : {1, 3, 2}) {  // the messages stay in English
            QStringList texts;
            strErrInfTab tabs[3];
            CErrNameMap names;
            m_db.m_pLanText = &texts;
            EXPECT_TRUE(m_db.LoadLanguageAndFaultTexts(kind, tabs, &names));
            EXPECT_EQ(texts.size(), kUiTextsUsed) << kind;
            EXPECT_FALSE(texts.contains(QString())) << kind;
            if (*pFaults == 0)
                *pFaults = names.size();
            EXPECT_EQ(names.size(), *pFaults) << kind;
        }
        m_db.m_pLanText = &m_texts;
    };
    std::size_t faults = 0;
    loadsEveryText(&faults);
    const auto ui = std::ptrdiff_t(kUiTextsUsed);
    using Spoil = std::function<void(std::vector<Row>&)>;
    const std::vector<std::tuple<const char*, Spoil, QString>> cases = {
        {"blank sign", [](auto& r) { r[98][0].clear(); }, "row 100, column A: the sign 98 is expected"},
        {"row deleted", [](auto& r) { r.erase(r.begin() + 10); }, "row 12, column A: the sign 10 is expected"},
        {"row repeated", [](auto& r) { r.insert(r.begin() + 10, r[10]); }, "row 13, column A: the sign 11 is expected"},
        {"sign nan", [](auto& r) { r[5][0] = QStringLiteral("nan"); }, "row 7, column A: the sign 5 is expected"},
        {"no fault rows", [ui](auto& r) { r.resize(std::size_t(ui) + 1); },
         QStringLiteral("row %1, column A: a fault key is expected").arg(ui + 3)},
        {"no UI rows", [ui](auto& r) { r.erase(r.begin(), r.begin() + ui); }, "row 2, column A: the sign 0 is expected"},
        {"key changes within a fault", [ui](auto& r) { r[std::size_t(ui) + 2][0] = r[std::size_t(ui) + 4][0]; },
         QStringLiteral("row %1, column A: each fault takes three rows").arg(ui + 4)},
        {"faults out of order", [ui](auto& r) { std::swap_ranges(r.begin() + ui + 1, r.begin() + ui + 4, r.begin() + ui + 4); },
         "must come after"},
        {"separator filled", [ui](auto& r) { r[std::size_t(ui)][2] = QStringLiteral("x"); },
         QStringLiteral("row %1, column C").arg(ui + 2)},
        // A level above 3 would be shown as an unrelated UI text.
        {"level 4", [ui](auto& r) { for (std::size_t k = 1; k <= 3; ++k) r[std::size_t(ui) + k][0] = QStringLiteral("ERR01_4"); },
         "the fault key \"\u2068ERR01_4\u2069\" is not of the form"},
        {"level 10", [ui](auto& r) { for (std::size_t k = 1; k <= 3; ++k) r[std::size_t(ui) + k][0] = QStringLiteral("ERR01_10"); },
         "the fault key \"\u2068ERR01_10\u2069\" is not of the form"},
        // As text ERR9 sorts after ERR60; as a number it is a second fault 9.
        {"code 9 after 60", [](auto& r) { for (const char* part : {"n", "c", "d"}) r.push_back({"ERR9_1", part, part, part}); },
         "the fault key \"\u2068ERR9_1\u2069\" must come after \"\u2068ERR60_3\u2069\""},

        {"Lan1 emptied", [](auto& r) { for (Row& row : r) row[1].clear(); }, QString()},
        {"intact, with quotes and line breaks", [](auto& r) {
             r[5][1] = QStringLiteral("他说\"好\"，it's 'fine'; DROP TABLE x; --");
             r[5][3] = QStringLiteral("第一行\r\n第二行\n'end'");
         }, QString()},
    };
    for (const auto& [what, spoil, refusal] : cases) {
        SCOPED_TRACE(what);
        strLanguageSheet sheet = Stored();
        strLanguageSheet expected = sheet;
        spoil(sheet.rows);
        if (QLatin1String(what).startsWith(QLatin1String("intact")))
            expected = sheet;
        strLanguageSheet imported;
        ASSERT_TRUE(ThroughWorkbook(sheet, &imported));
        m_boxes.clear();
        m_db.m_nLanguageKind = 2;
        EXPECT_EQ(m_db.ImportLanguageTable(imported), refusal.isEmpty());
        EXPECT_EQ(m_boxes.texts(), refusal.isEmpty() ? QStringList() : QStringList({m_boxes.texts().value(0)}));
        EXPECT_TRUE(m_boxes.texts().value(0).contains(refusal)) << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(Stored().rows, expected.rows);
        loadsEveryText(&faults);
    }
}

// A level-0 row is a fault without texts: it goes out to the workbook and
// comes back unchanged.
TEST_F(ExcelIOLanguageDbTest, TextlessFaultRowGoesOutAndComesBackUnchanged)
{
    strLanguageSheet sheet = Stored();
    const std::size_t first = std::size_t(kUiTextsUsed) + 1;
    ASSERT_EQ(sheet.rows[first][0], QStringLiteral("ERR01_3"));
    for (std::size_t k = 0; k < 3; ++k)
        sheet.rows[first + k][0] = QStringLiteral("ERR01_0");
    strLanguageSheet imported;
    ASSERT_TRUE(ThroughWorkbook(sheet, &imported));
    m_boxes.clear();
    EXPECT_TRUE(m_db.ImportLanguageTable(imported));
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().value(0).toStdString();
    EXPECT_EQ(Stored().rows, sheet.rows);

}

} // namespace
