// The language page and the workbook flows of the analysis page, on a copy of
// the shipped database, with the file prompts answered by the test.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <deque>

#include "AnalysisFixture.h"
#include "ExcelIOTestSupport.h"
#include "analysis/ButAnaly.h"
#include "analysis/ExcelIO.h"
#include "controls/EditX.h"
#include "controls/StaX.h"
#include "platform/FileDialog.h"

namespace {

// Answers the file prompts in turn and keeps what was asked.
class FileAnswers {
public:
    FileAnswers()
    {
        m_previous = SetFileDialogHook([this](const FileDialogRequest& req) -> std::optional<QString> {
            asked.push_back(req);
            if (answers.empty())
                return std::nullopt;
            std::optional<QString> answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~FileAnswers() { SetFileDialogHook(std::move(m_previous)); }

    std::vector<FileDialogRequest> asked;
    std::deque<std::optional<QString>> answers;

private:
    FileDialogHook m_previous;
};

class WorkbookFlowsTest : public AnalysisPageTest {
protected:
    void Prepare() override
    {
        m_excel.m_pLanText = &m_texts;
        m_page->m_pExcel = &m_excel;
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Chooses a workbook and presses the import button.
    void Import(const QString& path)
    {
        m_files.answers.push_back(path);
        m_page->OnBnClickedImportLanguage();
        m_page->OnBnClickedImportConfirm();
    }

    QString ExportLanguage(const QString& answer)
    {
        m_files.answers.push_back(answer);
        m_page->OnBnClickedExportLanguage();
        return answer.endsWith(QLatin1String(".xlsx")) ? answer : answer + QStringLiteral(".xlsx");
    }

    // The table as a workbook of inline texts, written as they are: "_xHHHH_" stays an escape.
    QString WriteTable(const QString& name, const strLanguageSheet& table)
    {
        QByteArray rows = "<row r=\"1\">" + xltest::InlineCell(QStringLiteral("A1"), QStringLiteral("Sign")) + "</row>";
        auto add = [&rows](int r, const std::array<QString, 4>& cells) {
            rows += "<row r=\"" + QByteArray::number(r) + "\">";
            for (int c = 0; c < 4; ++c) {
                if (!cells[std::size_t(c)].isEmpty())
                    rows += xltest::InlineCell(QChar(u'A' + c) + QString::number(r), cells[std::size_t(c)]);
            }
            rows += "</row>";
        };
        int r = 2;
        for (const auto& cells : table.rows)
            add(r++, cells);
        add(r, {QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End")});
        return xltest::WriteSheet(Path(name), QStringLiteral("SoftLanguageTab"), rows);
    }

    CExcelIO m_excel;
    FileAnswers m_files;
};

TEST_F(WorkbookFlowsTest, LanguagePageShowsTheLanguagesAndARadioStoresTheKindOnly)
{
    m_page->OnBnClickedLanguageSetting();
    EXPECT_FALSE(m_page->m_rbLanguage[1]->isVisible());  // never offered here
    EXPECT_TRUE(m_page->m_rbLanguage[std::size_t(m_db.GetLanguageKind() - 1)]->isChecked());

    // A language radio stores the kind and changes nothing else.
    m_page->m_rbModel0->setChecked(true);
    const QStringList texts = m_texts;
    m_page->m_rbLanguage[2]->click();
    EXPECT_EQ(m_db.GetLanguageKind(), 3);
    EXPECT_EQ(m_texts, texts);
    EXPECT_TRUE(m_page->m_rbModel0->isChecked());  // the fault model radios keep their own choice
}

TEST_F(WorkbookFlowsTest, ExportThenImportLeavesTheTablesAsTheyWere)
{
    const strLanguageSheet before = Stored();
    const QString path = ExportLanguage(Path(QStringLiteral("lan")));
    ASSERT_EQ(m_files.asked.size(), 1u);
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(91)}));
    const CXlsxReader::Sheet info = xltest::ReadBack(path, QStringLiteral("Infor"));
    EXPECT_EQ(info.Text(2, 2) + QStringLiteral("-Language"), m_files.asked[0].defaultName);

    m_boxes.clear();
    m_page->OnBnClickedLanguageSetting();
    Import(path);
    EXPECT_TRUE(m_page->m_rbLanguage[1]->isHidden());  // an import never brings the second language back
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(Stored().rows, before.rows);
}

TEST_F(WorkbookFlowsTest, BadWorkbooksAreRefusedAndTheTablesStay)
{
    const strLanguageSheet before = Stored();
    const QByteArray good = FileBytes(ExportLanguage(Path(QStringLiteral("good.xlsx"))));
    ASSERT_TRUE(!good.isEmpty() && WriteFile(Path(QStringLiteral("truncated.xlsx")), good.left(good.size() * 2 / 3)));
    auto sheet = [this](const QString& name, const QString& sheetName, const QByteArray& rows) {
        return xltest::WriteSheet(Path(name), sheetName, rows);
    };
    const QByteArray signsOnly = QByteArray("<row><c t=\"inlineStr\"><is><t>1</t></is></c></row>").repeated(30);
    QByteArray noEnd = "<row r=\"1\">" + xltest::InlineCell("A1", "Sign") + "</row><row r=\"2\">"
                       + xltest::InlineCell("A2", "0") + xltest::InlineCell("B2", "x") + xltest::InlineCell("C2", "y")
                       + xltest::InlineCell("D2", "z") + "</row>";

    // Small versions of workbooks made to hurt: each meets a limit of the
    // parser or of the import long before it costs memory or time.
    const QString tab = QStringLiteral("SoftLanguageTab");
    auto package = [this](const QString& name, const QByteArray& rows, const QByteArray& shared = {}) {
        const QString path = Path(name);
        EXPECT_TRUE(xltest::WriteZip(path, xltest::Package({{QStringLiteral("SoftLanguageTab"), rows}}, shared)));
        return path;
    };
    auto withSheetPart = [this](const QString& name, const QByteArray& part) {
        xltest::Parts parts = xltest::Package({{QStringLiteral("SoftLanguageTab"), {}}});
        parts[2].second = part;
        EXPECT_TRUE(xltest::WriteZip(Path(name), parts));
        return Path(name);
    };
    const QString utf16 = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE worksheet [<!ENTITY e \"")
                          + QString(1000, QLatin1Char('e')) + QStringLiteral("\">]><worksheet><sheetData/></worksheet>");
    strLanguageSheet tooLong = before;
    for (int sign = kUiTextsUsed; sign <= kMaxLanguageRows; ++sign)
        tooLong.rows.insert(tooLong.rows.begin() + sign, {QString::number(sign), "a", "b", "c"});
    const QString tooLongPath = Path(QStringLiteral("rows.xlsx"));
    ASSERT_TRUE(m_excel.ExportLanguageTable(tooLongPath, QStringLiteral("stamp"), tooLong));
    // Namespaces declared level by level, some behind end tags that a comment,
    // a CDATA section or an instruction only seems to hold.
    QByteArray declared;
    for (int p = 0; p < 30; ++p)
        declared += " xmlns:p" + QByteArray::number(p) + "=\"urn:" + QByteArray::number(p) + "\"";
    const QByteArray levels = ("<e" + declared + ">").repeated(3) + "<p0:z/>" + QByteArray("</e>").repeated(3);
    const QByteArray hidden = "<e" + declared + "><!-- </e> --><e" + declared + "><![CDATA[</e>]]><e" + declared + "><?p </e>?>"
                              + "<p0:z/>" + QByteArray("</e>").repeated(3);
    const QByteArray large(600 * 1024, 'v');  // three make a tag of more than 1 MB
    const QByteArray shared = "<c t=\"s\"><v>0</v></c>";
    const QByteArray sharedRows = "<row>" + xltest::InlineCell("A1", "Sign") + "</row>"
                                  + QByteArray("<row><c><v>0</v></c>" + shared.repeated(3) + "</row>").repeated(300);
    const QString tooLarge = QStringLiteral("它超出了本站工作簿的大小限制");
    const QString malformed = QStringLiteral("“\u2068SoftLanguageTab\u2069”的格式有误");

    const std::vector<std::pair<QString, QString>> cases = {
        {Path(QStringLiteral("truncated.xlsx")), QStringLiteral("truncated")},
        {sheet(QStringLiteral("wrongname.xlsx"), QStringLiteral("Sheet1"), noEnd), Text(147)},
        {sheet(QStringLiteral("noend.xlsx"), tab, noEnd), QStringLiteral("第 3 行第 A 列")},
        {sheet(QStringLiteral("nolanguage.xlsx"), tab, signsOnly), Text(231)},
        {package(QStringLiteral("nested-cell.xlsx"), "<row><c r=\"A1\">" + QByteArray("<a>").repeated(100000) + "</c></row>"), tooLarge},
        {package(QStringLiteral("nested-shared.xlsx"), {}, "<si>" + QByteArray("<a>").repeated(100000) + "</si>"), tooLarge},
        {package(QStringLiteral("instruction.xlsx"), "<?bomb " + (QByteArray(99, 'x') + '<').repeated(105000) + "?>"), tooLarge},
        {withSheetPart(QStringLiteral("utf16.xlsx"), QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2)), malformed},
        {package(QStringLiteral("attributes.xlsx"), "<row><c r=\"A1\"" + QByteArray(" a=''").repeated(1000) + "/></row>"), tooLarge},
        {package(QStringLiteral("true-cells.xlsx"), QByteArray("<row><c t=\"b\"><v>1</v></c></row>").repeated(8 * kMaxLanguageRows + 1)), tooLarge},
        {package(QStringLiteral("empty-elements.xlsx"), "<row><c r=\"A1\">" + QByteArray("<a/>").repeated(2'000'001) + "</c></row>"), tooLarge},
        {tooLongPath, QStringLiteral("它超过 %1 行，不是语言表").arg(kMaxLanguageRows)},
        {package(QStringLiteral("namespaces.xlsx"), levels), QStringLiteral("同时声明的命名空间超过 64 个")},
        {package(QStringLiteral("hidden-namespaces.xlsx"), hidden), QStringLiteral("同时声明的命名空间超过 64 个")},
        {package(QStringLiteral("large-attributes.xlsx"), "<row><c r=\"A1\" a=\"" + large + "\" b=\"" + large + "\" d=\"" + large + "\"/></row>"), tooLarge},
        {package(QStringLiteral("shared-long-text.xlsx"), sharedRows, "<si><t>" + QByteArray("lift ").repeated(6553) + "x </t></si>"),
         QStringLiteral("第 2 行第 B 列：文字超过 1024 个字符")},
    };
    for (const auto& [path, message] : cases) {
        m_boxes.clear();
        Import(path);
        EXPECT_EQ(m_boxes.count(), 1) << path.toStdString();
        EXPECT_TRUE(m_boxes.texts().value(0).contains(message)) << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(Stored().rows, before.rows) << path.toStdString();
        EXPECT_EQ(m_page->m_ImportSheet.rows.capacity(), 0u) << path.toStdString();  // the page keeps no rows
    }
}

// Each text is what a caption can be, and the table what a start can load:
// longer texts are refused where they stand, and a table that fits changes
// the size shown on the page.
TEST_F(WorkbookFlowsTest, LongTextsAreRefusedAndTheNewSizeIsShown)
{
    m_page->OnBnClickedLanguageSetting();
    const QString sizeBefore = m_page->m_stDBSize->text();
    const strLanguageSheet before = Stored();
    ASSERT_GT(before.rows.size(), std::size_t(kMaxLanguageTableChars / 3 / kMaxLanguageText));
    const QString longest = QStringLiteral("电梯文字").repeated(kMaxLanguageText / 4);
    auto filled = [&](std::size_t rows) {
        strLanguageSheet table = before;
        for (std::size_t r = 0; r < rows && r < table.rows.size(); ++r) {
            for (std::size_t c = 1; c < 4; ++c) {
                if (!table.rows[r][c].isEmpty())
                    table.rows[r][c] = longest;
            }
        }
        return table;
    };
    strLanguageSheet oneTooLong = before;
    oneTooLong.rows[3][2] = longest + QLatin1Char('x');
    const std::vector<std::pair<strLanguageSheet, QString>> refused = {
        {oneTooLong, QStringLiteral("第 5 行第 C 列：文字超过 1024 个字符")},
        {filled(before.rows.size()), QStringLiteral("语言表的文字合计超过 1048576 个字符")},
    };
    for (const auto& [table, message] : refused) {
        m_boxes.clear();
        Import(WriteTable(QStringLiteral("long.xlsx"), table));
        EXPECT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts().value(0).contains(message)) << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(Stored().rows, before.rows);
    }
    EXPECT_EQ(m_page->m_stDBSize->text(), sizeBefore);

    m_boxes.clear();
    const strLanguageSheet large = filled(100);
    Import(WriteTable(QStringLiteral("large.xlsx"), large));
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(Stored().rows, large.rows);
    EXPECT_EQ(m_page->m_stDBSize->text(), Text(217) + QStringLiteral(" : ") + m_db.GetDBSizeText());
    EXPECT_NE(m_page->m_stDBSize->text(), sizeBefore);
}

// A text that would not come back as it was written is refused where it
// stands: the escapes of NUL, of other control characters and of half a
// surrogate pair. Tabs and line breaks are a text's own.
TEST_F(WorkbookFlowsTest, TextsThatCannotBeStoredAsTheyAreAreRefusedWithTheirCell)
{
    const strLanguageSheet before = Stored();
    const std::vector<std::tuple<std::size_t, std::size_t, QString, QString>> bad = {
        {5, 1, QStringLiteral("Con_x0000_fig"), QStringLiteral("第 7 行第 B 列：文字含有字符 U+0000")},
        {6, 2, QStringLiteral("a_xD800_b"), QStringLiteral("第 8 行第 C 列：文字含有字符 U+D800")},
        {7, 3, QStringLiteral("_xDC00_"), QStringLiteral("第 9 行第 D 列：文字含有字符 U+DC00")},
        {8, 1, QStringLiteral("bell_x0007_"), QStringLiteral("第 10 行第 B 列：文字含有字符 U+0007")},
        {9, 2, QStringLiteral("next_x0085_line"), QStringLiteral("第 11 行第 C 列：文字含有字符 U+0085")},
    };
    for (const auto& [row, col, text, message] : bad) {
        strLanguageSheet table = before;
        table.rows[row][col] = text;
        m_boxes.clear();
        Import(WriteTable(QStringLiteral("bad.xlsx"), table));
        EXPECT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts().value(0).contains(message)) << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(Stored().rows, before.rows);
    }
    // Half a pair is told as what it is, not as a control character.
    strLanguageSheet half = before;
    half.rows[6][2] = QStringLiteral("a_xD800_b");
    m_boxes.clear();
    Import(WriteTable(QStringLiteral("half.xlsx"), half));
    EXPECT_TRUE(m_boxes.texts().value(0).contains(QStringLiteral("一对代理码的一半"))) << m_boxes.texts().value(0).toStdString();
    EXPECT_FALSE(m_boxes.texts().value(0).contains(QStringLiteral("控制字符")));

    strLanguageSheet table = before;
    table.rows[5][1] = QStringLiteral("a_x0009_b_x000D__x000A_c_xD83D__xDE00_");
    m_boxes.clear();
    Import(WriteTable(QStringLiteral("good.xlsx"), table));
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(Stored().rows[5][1], QStringLiteral("a\tb\r\nc\U0001F600"));
}

// What the station exports it reads back: a noncharacter, which a workbook
// cannot hold, is refused as the control characters are; and the bound on
// the table's characters holds for the table as it will be stored, with the
// texts that empty cells keep.
TEST_F(WorkbookFlowsTest, TheStationsOwnExportAlwaysImportsBack)
{
    const strLanguageSheet before = Stored();
    const std::vector<std::pair<QString, QString>> nonCharacters = {
        {QStringLiteral("a_xFFFF_b"), QStringLiteral("U+FFFF")},
        {QStringLiteral("_xFFFE_"), QStringLiteral("U+FFFE")},
        {QStringLiteral("x_xFDD0_"), QStringLiteral("U+FDD0")},
        {QStringLiteral("_xD83F__xDFFF_"), QStringLiteral("U+1FFFF")},
    };
    for (const auto& [text, code] : nonCharacters) {
        strLanguageSheet table = before;
        table.rows[4][3] = text;
        m_boxes.clear();
        Import(WriteTable(QStringLiteral("nonchar.xlsx"), table));
        EXPECT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts().value(0).contains(QStringLiteral("第 6 行第 D 列：文字含有字符 ") + code))
            << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(Stored().rows, before.rows);
    }

    // Three imports, each filling one language column of every row with a
    // text that makes a table of 2/5 of the bound; the other cells are empty
    // and keep what is stored.
    const std::size_t rows = before.rows.size() - 1;  // less the separator
    const QString text = QStringLiteral("电").repeated(qsizetype(std::min<std::size_t>(kMaxLanguageText, kMaxLanguageTableChars * 2 / 5 / rows)));
    ASSERT_GT(3 * rows * std::size_t(text.size()), std::size_t(kMaxLanguageTableChars));
    auto oneColumn = [&](std::size_t column) {
        strLanguageSheet table = before;
        for (auto& row : table.rows) {
            for (std::size_t c = 1; c < 4; ++c)
                row[c] = c == column && !row[0].isEmpty() ? text : QString();
        }
        return table;
    };
    for (std::size_t column = 1; column <= 3; ++column) {
        m_boxes.clear();
        Import(WriteTable(QStringLiteral("column.xlsx"), oneColumn(column)));
        EXPECT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts().value(0).contains(column < 3 ? QStringLiteral("OK")
                                                                  : QStringLiteral("空单元格保留原有文字后，语言表的文字合计超过 1048576 个字符")))
            << column << ": " << m_boxes.texts().value(0).toStdString();
    }
    const strLanguageSheet stored = Stored();
    EXPECT_EQ(stored.rows[0][1], text);
    EXPECT_EQ(stored.rows.back()[2], text);
    EXPECT_EQ(stored.rows[0][3], before.rows[0][3]);

    // What is stored exports and comes back unchanged.
    m_boxes.clear();
    m_page->OnBnClickedLanguageSetting();
    Import(ExportLanguage(Path(QStringLiteral("stored"))));
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(91), QStringLiteral("OK")}));
    EXPECT_EQ(Stored().rows, stored.rows);
}

// The real dialog: "x.xls" is written as "x.xlsx", so the station's box asks before
// replacing that file, and keeps it when told no.
TEST_F(WorkbookFlowsTest, SaveDialogAsksAboutTheWorkbookItWillReplace)
{
    const FileDialogHook answers = SetFileDialogHook({});
    const QString existing = Path(QStringLiteral("x.xlsx"));
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replace" : "keep");
        ASSERT_TRUE(WriteFile(existing, "an earlier file"));
        bool typed = false;
        QDeadlineTimer deadline(60000);
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                if (typed || deadline.hasExpired()) {
                    dialog->reject();  // told no (or nothing came): the dialog is left
                    return;
                }
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Path(QStringLiteral("x.xls")));
                typed = true;
                // As the Save button does, from the event loop: the question it asks runs a loop of its own.
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            } else if (modal) {
                modal->close();  // a question that is not the station's own box
            }
        });
        driver.start(20);
        m_boxes.clear();
        m_boxes.setAnswer(replace ? MsgBoxResult::Yes : MsgBoxResult::No);
        m_page->OnBnClickedExportLanguage();
        driver.stop();
        const QString asked = m_boxes.texts().value(0);
        EXPECT_TRUE(asked.contains(QStringLiteral("x.xlsx"))) << asked.toStdString();
        EXPECT_FALSE(QFile::exists(Path(QStringLiteral("x.xls"))));
        EXPECT_EQ(FileBytes(existing) == "an earlier file", !replace);
        EXPECT_EQ(m_boxes.texts(), replace ? QStringList({asked, Text(91)}) : QStringList({asked}));
    }
    SetFileDialogHook(answers);
}

TEST_F(WorkbookFlowsTest, OnlyWorkbookNamesAreAccepted)
{
    m_page->OnBnClickedLanguageSetting();
    m_files.answers.push_back(ExportLanguage(Path(QStringLiteral("good.xlsx"))));
    m_page->OnBnClickedImportLanguage();
    // Cancelling keeps the choice; another kind of file withdraws it.
    m_page->OnBnClickedImportLanguage();
    EXPECT_EQ(m_page->m_bImportAccepted, 1);
    m_boxes.clear();
    m_files.answers.push_back(Path(QStringLiteral("notes.txt")));
    m_page->OnBnClickedImportLanguage();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(231)}));
    EXPECT_TRUE(m_page->m_edPath->text().isEmpty());

    m_boxes.clear();
    m_page->OnBnClickedImportConfirm();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(231)}));
}

TEST_F(WorkbookFlowsTest, RecordExportWritesTheLoadedRecords)
{
    SetUpLift(1, QStringLiteral("A/B"));
    SetUpLift(2, QStringLiteral("二号梯"));
    for (auto [lift, code, day] : {std::array{1, 5, 1}, {1, 7, 2}, {2, 5, 3}})
        RecordFault(lift, code, At(2024, 3, day, 10));
    m_page->OnBnClickedFaultsByLift();
    m_boxes.clear();
    // An earlier file of the chosen name is replaced.
    const QString path = Path(QStringLiteral("records.xlsx"));
    QFile(path).open(QIODevice::WriteOnly);
    m_files.answers.push_back(path);
    m_page->OnBnClickedExportRecords();
    EXPECT_EQ(m_boxes.count(), 0);

    const auto& stats = *m_page->m_pFaultStat;
    EXPECT_EQ(xltest::SheetNames(path), QStringList({"RecInf_Err_A_B", "RecInf_Err_二号梯"}));
    const CXlsxReader::Sheet first = xltest::ReadBack(path, QStringLiteral("RecInf_Err_A_B"));
    EXPECT_EQ(xltest::RowOf(first, 2, 3), QStringList({"", "A/B", "Default"}));
    EXPECT_EQ(xltest::RowOf(first, 5, 4), QStringList({"0", stats[0].arrErrTime[0], QStringLiteral("Err07:") + m_names.at(7),
                                                       Text(28 + stats[0].lstLiftState[0])}));
    EXPECT_EQ(first.nLastRow, 6);

    // Mode 7 writes the one count sheet of the same records.
    m_page->OnBnClickedLiftsByFault();
    const QString counts = Path(QStringLiteral("counts.xlsx"));
    m_files.answers.push_back(counts);
    m_page->OnBnClickedExportRecords();
    EXPECT_EQ(xltest::ReadBack(counts, QStringLiteral("RecInf_Err")).Text(12, 2), QStringLiteral("2"));
}

TEST_F(WorkbookFlowsTest, DefaultNamesExtensionAndCompaction)
{
    QString stamp;
    QString name;
    m_page->MakeExportFileName(QStringLiteral("-Language"), &stamp, &name, At(2021, 3, 3, 9, 5));
    EXPECT_EQ(stamp + QLatin1Char('|') + name, QStringLiteral("2021-3-3--9-5|2021-3-3--9-5-Language"));
    m_page->OnBnClickedLanguageSetting();
    m_page->OnBnClickedCompactDb();
    EXPECT_TRUE(m_page->m_stDBSize->text().startsWith(Text(218) + QStringLiteral(" ")));
    EXPECT_FALSE(Stored().rows.empty());  // the database is open again after compaction
}

TEST_F(WorkbookFlowsTest, WrittenWorkbooksOpenInTheSpreadsheetProgram)
{
    const QString office = xltest::OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "no soffice or libreoffice on PATH: the workbooks are checked by the station's reader only";
    SetUpLift(1, QStringLiteral("一号梯 \"A\""));
    RecordFault(1, 5, At(2024, 3, 1, 10));
    m_page->OnBnClickedFaultsByLift();
    const QString language = ExportLanguage(Path(QStringLiteral("language.xlsx")));
    const QString perLift = Path(QStringLiteral("perlift.xlsx"));
    m_files.answers.push_back(perLift);
    m_page->OnBnClickedExportRecords();
    m_page->OnBnClickedLiftsByFault();
    const QString counts = Path(QStringLiteral("counts.xlsx"));
    m_files.answers.push_back(counts);
    m_page->OnBnClickedExportRecords();
    // The program reads every cell the station wrote, and saves it again.
    for (const QString& path : {language, perLift, counts}) {
        QString log;
        const QString copy = xltest::OfficeResave(office, path, Path(QFileInfo(path).completeBaseName()), &log);
        ASSERT_FALSE(copy.isEmpty()) << path.toStdString() << ": " << log.toStdString();
        xltest::ExpectSameCells(copy, path);
    }
    // The language sheet it saved imports unchanged.
    const strLanguageSheet before = Stored();
    m_boxes.clear();
    Import(Path(QStringLiteral("language/language.xlsx")));
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(Stored().rows, before.rows);
}

} // namespace
