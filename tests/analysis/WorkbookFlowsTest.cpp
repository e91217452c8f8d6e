// The language page and the workbook flows of the analysis page, on a copy of
// the shipped database, with the file prompts answered by the test.
#include <QRadioButton>
#include <QRegularExpression>
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
    void SetUp() override
    {
        AnalysisPageTest::SetUp();
        if (HasFatalFailure())
            return;
        m_excel.m_pLanText = &m_texts;
        m_page->m_pExcel = &m_excel;
        m_boxes.clear();
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    strLanguageSheet Stored()
    {
        strLanguageSheet sheet;
        m_db.LoadLanguageTableForExport(&sheet);
        return sheet;
    }

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

    CExcelIO m_excel;
    FileAnswers m_files;
};

TEST_F(WorkbookFlowsTest, LanguagePageShowsTheLanguagesAndARadioStoresTheKindOnly)
{
    m_page->OnBnClickedLanguageSetting();
    EXPECT_EQ(m_page->m_nViewMode, CAnalysisDlg::kModeLanguage);
    EXPECT_TRUE(m_page->m_strTitle.startsWith(Text(135)));
    EXPECT_EQ(m_page->m_strTitle.size(), Text(135).size() + 48);

    QStringList names;
    m_db.LoadLanguageNames(&names);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(m_page->m_rbLanguage[0]->text(), names[0]);
    EXPECT_EQ(m_page->m_rbLanguage[2]->text(), names[2]);
    EXPECT_TRUE(m_page->m_rbLanguage[0]->isVisible());
    EXPECT_FALSE(m_page->m_rbLanguage[1]->isVisible());  // never offered here
    EXPECT_TRUE(m_page->m_rbLanguage[2]->isVisible());
    const int kind = m_db.GetLanguageKind();
    ASSERT_GE(kind, 1);
    EXPECT_TRUE(m_page->m_rbLanguage[std::size_t(kind - 1)]->isChecked());

    const QString size = m_page->m_stDBSize->text();
    EXPECT_TRUE(size.startsWith(Text(217) + QStringLiteral(" : "))) << size.toStdString();
    EXPECT_TRUE(size.endsWith(QStringLiteral("MB"))) << size.toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{m_page->m_btExportLan, m_page->m_btChooseFile,
                                                      m_page->m_btImportLan, m_page->m_btCompact, m_page->m_edPath})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(m_page->m_tree->isVisible());

    // A language radio stores the kind and changes nothing else.
    m_page->m_rbModel0->setChecked(true);
    const QStringList texts = m_texts;
    m_page->m_rbLanguage[2]->click();
    EXPECT_EQ(m_db.GetLanguageKind(), 3);
    m_page->m_rbLanguage[0]->click();
    EXPECT_EQ(m_db.GetLanguageKind(), 1);
    EXPECT_EQ(m_texts, texts);
    EXPECT_TRUE(m_page->m_rbModel0->isChecked());  // the fault model radios keep their own choice
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(WorkbookFlowsTest, ExportThenImportLeavesTheTablesAsTheyWere)
{
    const strLanguageSheet before = Stored();
    ASSERT_GT(before.rows.size(), 200u);
    const QString path = ExportLanguage(Path(QStringLiteral("lan")));

    ASSERT_EQ(m_files.asked.size(), 1u);
    const FileDialogRequest& save = m_files.asked[0];
    EXPECT_EQ(save.mode, FileDialogMode::Save);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d{1,2}-\\d{1,2}--\\d{1,2}-\\d{1,2}-Language$"))
                    .match(save.defaultName)
                    .hasMatch())
        << save.defaultName.toStdString();
    EXPECT_TRUE(save.bOverwritePrompt);
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(91)}));
    const CXlsxReader::Sheet info = xltest::ReadBack(path, QStringLiteral("Infor"));
    EXPECT_EQ(info.Text(2, 2) + QStringLiteral("-Language"), save.defaultName);

    m_boxes.clear();
    m_page->OnBnClickedLanguageSetting();
    Import(path);
    EXPECT_TRUE(m_page->m_rbLanguage[1]->isHidden());  // an import never brings the second language back
    ASSERT_EQ(m_files.asked.size(), 2u);
    EXPECT_EQ(m_files.asked[1].mode, FileDialogMode::Open);
    EXPECT_EQ(m_page->m_edPath->text(), path);
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(m_page->m_bImportAccepted, 0);
    EXPECT_EQ(Stored().rows, before.rows);
}

TEST_F(WorkbookFlowsTest, BadWorkbooksAreRefusedAndTheTablesStay)
{
    const strLanguageSheet before = Stored();
    const QString good = ExportLanguage(Path(QStringLiteral("good.xlsx")));
    QFile whole(good);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    auto raw = [this](const QString& name, const QByteArray& data) {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return Path(name);
    };
    auto sheet = [this](const QString& name, const QString& sheetName, const QByteArray& rows) {
        EXPECT_TRUE(xltest::WriteZip(Path(name), xltest::Package({{sheetName, rows}})));
        return Path(name);
    };
    QByteArray signsOnly = "<row r=\"1\">" + xltest::InlineCell("A1", "Sign") + "</row>";
    for (int r = 2; r <= 30; ++r)
        signsOnly += "<row r=\"" + QByteArray::number(r) + "\">" + xltest::InlineCell(QStringLiteral("A%1").arg(r), QString::number(r)) + "</row>";
    QByteArray noEnd = "<row r=\"1\">" + xltest::InlineCell("A1", "Sign") + "</row><row r=\"2\">"
                       + xltest::InlineCell("A2", "0") + xltest::InlineCell("B2", "x") + xltest::InlineCell("C2", "y")
                       + xltest::InlineCell("D2", "z") + "</row>";

    const std::vector<std::pair<QString, QString>> cases = {
        {raw(QStringLiteral("truncated.xlsx"), bytes.left(bytes.size() * 2 / 3)), QStringLiteral("truncated")},
        {raw(QStringLiteral("foreign.xlsx"), "<html><body>not a workbook</body></html>"), QStringLiteral("not an .xlsx")},
        {raw(QStringLiteral("old.xls"), QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(2048, '\0')),
         QStringLiteral("not an .xlsx")},
        {Path(QStringLiteral("missing.xlsx")), QStringLiteral("does not exist")},
        {sheet(QStringLiteral("wrongname.xlsx"), QStringLiteral("Sheet1"), noEnd), Text(147)},
        {sheet(QStringLiteral("noend.xlsx"), QStringLiteral("SoftLanguageTab"), noEnd), QStringLiteral("第 3 行第 A 列")},
        {sheet(QStringLiteral("nolanguage.xlsx"), QStringLiteral("SoftLanguageTab"), signsOnly), Text(231)},
    };
    for (const auto& [path, message] : cases) {
        m_boxes.clear();
        Import(path);
        ASSERT_EQ(m_boxes.count(), 1) << path.toStdString() << ": " << m_boxes.texts().join('|').toStdString();
        EXPECT_TRUE(m_boxes.texts().first().contains(message))
            << path.toStdString() << ": " << m_boxes.texts().first().toStdString();
        EXPECT_EQ(Stored().rows, before.rows) << path.toStdString();
    }
}

TEST_F(WorkbookFlowsTest, OnlyWorkbookNamesAreAccepted)
{
    m_page->OnBnClickedLanguageSetting();
    const QString good = ExportLanguage(Path(QStringLiteral("good.xlsx")));
    m_files.answers.push_back(good);
    m_page->OnBnClickedImportLanguage();
    EXPECT_EQ(m_page->m_bImportAccepted, 1);

    // Cancelling keeps the choice; another kind of file withdraws it.
    m_page->OnBnClickedImportLanguage();
    EXPECT_EQ(m_page->m_bImportAccepted, 1);
    m_boxes.clear();
    m_files.answers.push_back(Path(QStringLiteral("notes.txt")));
    m_page->OnBnClickedImportLanguage();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(231)}));
    EXPECT_EQ(m_page->m_bImportAccepted, 0);
    EXPECT_TRUE(m_page->m_strImportPath.isEmpty());
    EXPECT_TRUE(m_page->m_edPath->text().isEmpty());

    m_boxes.clear();
    m_page->OnBnClickedImportConfirm();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(231)}));
}

TEST_F(WorkbookFlowsTest, RecordExportWritesTheLoadedRecords)
{
    SetUpLift(1, QStringLiteral("A/B"));
    SetUpLift(2, QStringLiteral("二号梯"));
    RecordFault(1, 5, At(2024, 3, 1, 10));
    RecordFault(1, 7, At(2024, 3, 2, 11));
    RecordFault(2, 5, At(2024, 3, 3, 12));
    m_page->OnBnClickedFaultsByLift();
    m_boxes.clear();

    // An earlier file of the chosen name is replaced.
    const QString path = Path(QStringLiteral("records.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    m_files.answers.push_back(path);
    m_page->OnBnClickedExportRecords();
    ASSERT_EQ(m_files.asked.size(), 1u);
    EXPECT_TRUE(m_files.asked[0].defaultName.endsWith(QStringLiteral("-ErrInf")));
    EXPECT_EQ(m_boxes.count(), 0);

    const auto& stats = *m_page->m_pFaultStat;
    EXPECT_EQ(xltest::SheetNames(path),
              QStringList({QStringLiteral("RecInf_Err_A_B"), QStringLiteral("RecInf_Err_二号梯")}));
    const CXlsxReader::Sheet first = xltest::ReadBack(path, QStringLiteral("RecInf_Err_A_B"));
    EXPECT_EQ(xltest::RowOf(first, 2, 3), QStringList({"", "A/B", "Default"}));
    EXPECT_EQ(xltest::RowOf(first, 4, 4), QStringList({"", Text(128), Text(129), Text(130)}));
    ASSERT_EQ(stats[0].nErrTotal, 2);
    for (int k = 0; k < 2; ++k) {
        const int code = stats[0].lstErrCode[k];
        EXPECT_EQ(xltest::RowOf(first, 5 + k, 4),
                  QStringList({QString::number(k), stats[0].arrErrTime[k],
                               QString::asprintf("Err%02d:", code) + m_tabs[2].strErrName.value(code - 1),
                               Text(28 + stats[0].lstLiftState[k])}));
    }
    EXPECT_EQ(stats[0].lstErrCode[0], 7);  // newest first
    EXPECT_EQ(first.nLastRow, 6);

    // Mode 7 writes the one count sheet of the same records.
    m_page->OnBnClickedLiftsByFault();
    const QString counts = Path(QStringLiteral("counts.xlsx"));
    m_files.answers.push_back(counts);
    m_page->OnBnClickedExportRecords();
    EXPECT_EQ(xltest::SheetNames(counts), QStringList({QStringLiteral("RecInf_Err")}));
    const CXlsxReader::Sheet s = xltest::ReadBack(counts, QStringLiteral("RecInf_Err"));
    EXPECT_EQ(xltest::RowOf(s, 1, 4), QStringList({"", m_tabs[1].strErrCount.value(4), m_tabs[1].strErrCount.value(6), Text(153)}));
    EXPECT_EQ(xltest::RowOf(s, 3, 4), QStringList({Text(132), "1", "1", "2"}));
    EXPECT_EQ(xltest::RowOf(s, 8, 4), QStringList({Text(132), "1", "", "1"}));
    EXPECT_EQ(xltest::RowOf(s, 12, 3), QStringList({Text(154), "2", "1"}));

    // A cancelled prompt writes nothing.
    m_page->OnBnClickedExportRecords();
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(WorkbookFlowsTest, DefaultNamesExtensionAndCompaction)
{
    QString stamp;
    QString name;
    m_page->MakeExportFileName(QStringLiteral("-Language"), &stamp, &name, At(2021, 3, 3, 9, 5));
    EXPECT_EQ(stamp, QStringLiteral("2021-3-3--9-5"));
    EXPECT_EQ(name, QStringLiteral("2021-3-3--9-5-Language"));
    m_page->MakeExportFileName(QStringLiteral("-ErrInf"), nullptr, &name, At(2021, 12, 31, 23, 59));
    EXPECT_EQ(name, QStringLiteral("2021-12-31--23-59-ErrInf"));
    EXPECT_EQ(m_page->GetExcelFileExt(), QStringLiteral("xlsx"));

    m_page->OnBnClickedLanguageSetting();
    m_page->OnBnClickedCompactDb();
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('|').toStdString();
    const QString size = m_page->m_stDBSize->text();
    EXPECT_TRUE(size.startsWith(Text(218) + QStringLiteral(" "))) << size.toStdString();
    EXPECT_TRUE(size.endsWith(QStringLiteral("MB")));
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
    CExcelIO excel;
    strCallStatBlock blocks[4];
    blocks[0].nUsed = 1;
    blocks[0].nFloorCount = 2;
    blocks[0].strCaption = QStringLiteral("呼梯");
    blocks[0].nCarCalls[1] = 3;
    blocks[0].nCarCallTotal = 3;
    const QString calls = Path(QStringLiteral("calls.xlsx"));
    ASSERT_TRUE(excel.ExportRecords(5, calls, blocks, m_page->m_pFaultStat->data(), m_tabs.data()));

    for (const QString& path : {language, perLift, counts, calls}) {
        const QString out = Path(QFileInfo(path).completeBaseName() + QStringLiteral("-csv"));
        ASSERT_TRUE(QDir().mkpath(out));
        xltest::ExpectOfficeReadsSame(office, path, out);
    }

    // The language sheet saved again by the spreadsheet program imports unchanged.
    const strLanguageSheet before = Stored();
    const QString out = Path(QStringLiteral("converted"));
    QProcess convert;
    convert.start(office, {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(out + QStringLiteral("/profile")).toString(),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                           QStringLiteral("--outdir"), out, language});
    ASSERT_TRUE(convert.waitForFinished(120000));
    m_boxes.clear();
    Import(out + QStringLiteral("/language.xlsx"));
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(Stored().rows, before.rows);
}

} // namespace
