// Texts put into the database by other means than the station's own, far
// longer than anything it writes: the help, the lists and the exports take
// them cut short, and nothing waits on them.
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "ExcelIOTestSupport.h"
#include "analysis/ExcelIO.h"
#include "controls/EditX.h"
#include "database/LanguageSheet.h"
#include "database/StoredText.h"

namespace {

class StoredTextsTest : public AnalysisPageTest {
protected:
    void Store(const QString& sql, const QVariantList& params)
    {
        ASSERT_TRUE(m_db.m_pAdo->ExecuteSql(sql, params)) << sql.toStdString();
    }
    // The texts loaded again, as at the next start.
    void ReloadTexts()
    {
        m_texts.clear();
        m_tabs = {};
        m_names.clear();
        ASSERT_TRUE(m_db.LoadLanguageAndFaultTexts(m_db.GetLanguageKind(), m_tabs.data(), &m_names));
    }
    static QString Cut(const QString& text, qsizetype n) { return text.left(n - 1) + QChar(0x2026); }
};

TEST_F(StoredTextsTest, AFaultCauseOfAMillionCharactersIsShownCutInTheHelp)
{
    const QString code = m_tabs[2].strErrCount.value(0);
    const int kind = m_db.GetLanguageKind();
    const QString cause = QStringLiteral("原因").repeated(500'000);
    const QString name = QStringLiteral("名").repeated(100'000);
    Store(QStringLiteral("Update KALOR_VELAMPlus_ErrInf Set ErrCause%1 = ?, ErrName%1 = ? Where ErrCount = ?").arg(kind),
          {cause, name, code});
    ReloadTexts();
    ASSERT_EQ(m_tabs[2].strErrCount.value(0), code);

    m_page->OnBnClickedFaultHelp();
    SelectChild(0);
    const QString shown = m_page->m_edHelp->text();
    EXPECT_TRUE(shown.contains(Cut(cause, kMaxLanguageText))) << shown.left(200).toStdString();
    EXPECT_LT(shown.size(), 3 * kMaxLanguageText);
    EXPECT_EQ(m_page->m_edHelpTitle->text(), Cut(name, kMaxLanguageText));
    EXPECT_EQ(TreeChildren().value(0), code + QStringLiteral(": ") + Cut(name, kMaxLanguageText));
}

TEST_F(StoredTextsTest, LongNamesAreLoadedCutAndTheLanguageExportImportsBack)
{
    SetUpLift(1, QStringLiteral("东1"));
    const QString name = QStringLiteral("梯").repeated(1'000'000);
    Store(QStringLiteral("Update KALOR_LiftInf Set strName_1 = ? Where RealAddr = 1"), {name});
    Store(QStringLiteral("Update KALOR_GroupInf Set strGroupName = ? Where GroupNum = 0"), {name});
    CLiftDataStore loaded;
    loaded.ResetLiftRecords();
    ASSERT_TRUE(m_db.LoadLiftInfo(loaded.m_pLiftInf, loaded.m_pLiftPage));
    EXPECT_EQ(loaded.m_pLiftInf[0].strName, Cut(name, kMaxStoredName));
    strGroupInf groups[2];
    ASSERT_TRUE(m_db.LoadGroupInfo(2, groups));
    EXPECT_EQ(groups[0].strGroupName, Cut(name, kMaxStoredName));
    auto stats = std::make_unique<std::array<strLiftFaultStat, 64>>();
    m_db.QueryFaultRecords(false, QDate(), QDate(), stats->data());
    EXPECT_EQ((*stats)[0].strName, Cut(name, kMaxStoredName));

    // A UI text over a cell's length goes out cut to what an import takes, and comes back so.
    const QString text = QStringLiteral("文").repeated(40'000);
    Store(QStringLiteral("Update KALOR_SoftLan Set Lan3 = ? Where nSign = 5"), {text});
    strLanguageSheet sheet;
    ASSERT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
    EXPECT_EQ(sheet.rows[5][3], Cut(text, kMaxLanguageText));
    CExcelIO excel;
    excel.m_pLanText = &m_texts;
    const QString path = m_dir.filePath(QStringLiteral("lan.xlsx"));
    ASSERT_TRUE(excel.ExportLanguageTable(path, QStringLiteral("stamp"), sheet));
    strLanguageSheet back;
    int flags = 0;
    ASSERT_TRUE(excel.ImportLanguageTable(&flags, path, &back));
    EXPECT_TRUE(m_db.ImportLanguageTable(back)) << m_boxes.texts().join('\n').toStdString();
    strLanguageSheet stored;
    ASSERT_TRUE(m_db.LoadLanguageTableForExport(&stored));
    EXPECT_EQ(stored.rows, sheet.rows);
}

} // namespace
