// The database the build makes from res/seed.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "link/LiftDataStore.h"

namespace {

class ShippedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(QStringLiteral(LIFT_SOURCE_DIR "/res/seed")))
            GTEST_SKIP() << "res/seed is not there yet";
        const QString product = QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb");
        ASSERT_TRUE(QFileInfo::exists(product)) << "the build did not make the shipped database";
        // Work on a copy: opening a file switches on its log beside it.
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/SoftResoure/DB")));
        ASSERT_TRUE(QFile::copy(product, m_dir.path() + QStringLiteral("/SoftResoure/DB/DBServer.mdb")));
        m_db.m_strAppFolder = m_dir.path();
        m_db.m_pLanText = &m_texts;
        m_db.m_pAdo->m_pLanText = &m_texts;
        m_db.m_pAdo->InitConnection();
        m_db.BuildDBPath();
        ASSERT_TRUE(m_db.m_pAdo->OpenDatabase(false, m_db.m_strDBPath)) << m_boxes.texts().join('\n').toStdString();
    }
    QStringList Columns(const QString& table)
    {
        QStringList names;
        auto rs = m_db.m_pAdo->GetRecordSet(QStringLiteral("PRAGMA table_info(%1)").arg(table));
        for (rs->MoveFirst(); rs && !rs->IsEOF(); rs->MoveNext())
            names << rs->GetText(QStringLiteral("name"));
        return names;
    }
    std::shared_ptr<CAdoRecordset> Rows(const QString& sql) { return m_db.m_pAdo->GetRecordSet(sql); }

    QTemporaryDir m_dir;
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CDBServer m_db;
};

} // namespace

TEST_F(ShippedTest, HasEveryTableWithItsColumnsInOrder)
{
    QStringList err{"ErrCount", "ErrLevel"};
    for (int k = 1; k <= 3; ++k)
        err << QStringLiteral("ErrName%1").arg(k) << QStringLiteral("ErrCause%1").arg(k) << QStringLiteral("ErrDeal%1").arg(k);
    const std::vector<std::pair<QString, QStringList>> tables = {
        {"KALOR_SoftInf", {"SoftColor", "GroupNum", "ComPort", "BaudRate", "LanguageKind"}},
        {"KALOR_SoftLan", {"nSign", "Lan1", "Lan2", "Lan3"}},
        {"KALOR_LiftInf", {"RealAddr", "Kind", "LiftHight", "bLiftHight", "GroupNum", "MaxFloor", "MinFloor", "strName_1"}},
        {"KALOR_GroupInf", {"GroupNum", "GroupCount", "strGroupName"}},
        {"KALOR_UserInf", {"UserName", "UserPwd", "UserLimit"}},
        {"KALOR_VELAS_ErrInf", err},
        {"KALOR_VELAM_ErrInf", err},
        {"KALOR_VELAMPlus_ErrInf", err},
        {"KALOR_VELAS_FloorShow", {"nSign", "FloorShow"}},
        {"KALOR_VELAM_FloorShow", {"nSign", "FloorShow"}},
    };
    for (const auto& [table, columns] : tables)
        EXPECT_EQ(Columns(table), columns) << table.toStdString();
    // No lift is installed, so no per-lift table exists.
    auto rs = Rows(QStringLiteral("SELECT count(*) AS n FROM sqlite_master WHERE name LIKE 'KALOR_LiftData%'"));
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("n")), 0);
}

TEST_F(ShippedTest, HoldsSettingsFreeLiftSlotsGroupsAnOperatorAndEveryUiText)
{
    int color = 0, groups = 0, port = 0, baud = 0;
    QStringList show[2];
    ASSERT_TRUE(m_db.LoadSoftInfo(&color, &groups, &port, &baud, show));
    EXPECT_GE(groups, 1);
    EXPECT_FALSE(show[0].isEmpty());
    EXPECT_FALSE(show[1].isEmpty());
    const int kind = m_db.GetLanguageKind();
    EXPECT_TRUE(kind >= 1 && kind <= 3) << kind;

    auto rs = Rows(QStringLiteral("SELECT count(*) AS n, min(RealAddr) AS lo, max(RealAddr) AS hi,"
                                  " count(DISTINCT RealAddr) AS d, max(Kind) AS k FROM KALOR_LiftInf"));
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("n")), 64);
    EXPECT_EQ(rs->GetInt(QStringLiteral("d")), 64);
    EXPECT_EQ(rs->GetInt(QStringLiteral("lo")), 1);
    EXPECT_EQ(rs->GetInt(QStringLiteral("hi")), 64);
    EXPECT_EQ(rs->GetInt(QStringLiteral("k")), 0);
    CLiftDataStore store;
    store.ResetLiftRecords();
    EXPECT_FALSE(m_db.LoadLiftInfo(store.m_pLiftInf, store.m_pLiftPage));

    std::vector<strGroupInf> groupTable(static_cast<std::size_t>(groups));
    ASSERT_TRUE(m_db.LoadGroupInfo(groups, groupTable.data()));
    for (const strGroupInf& g : groupTable)
        EXPECT_FALSE(g.strGroupName.trimmed().isEmpty());

    QStringList users[2];
    ASSERT_TRUE(m_db.LoadUserList(users));
    int limit = -1;
    EXPECT_EQ(m_db.CheckLogin(users[0].value(0), users[1].value(0), &limit), 0);

    // UI texts 0..276 at least, contiguous, none empty in any language.
    rs = Rows(QStringLiteral("SELECT nSign, Lan1, Lan2, Lan3 FROM KALOR_SoftLan ORDER BY nSign"));
    ASSERT_TRUE(rs);
    ASSERT_GE(rs->GetRecordCount(), 277);
    int expected = 0;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext(), ++expected) {
        EXPECT_EQ(rs->GetInt(QStringLiteral("nSign")), expected);
        for (const char* lan : {"Lan1", "Lan2", "Lan3"})
            EXPECT_FALSE(rs->GetText(QLatin1String(lan)).trimmed().isEmpty()) << "text " << expected << " " << lan;
    }
    QStringList names;
    m_db.LoadLanguageNames(&names);
    EXPECT_EQ(names.size(), 3);
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();
}

TEST_F(ShippedTest, LoadsInEveryLanguageWithFaultTextsForAllThreeModels)
{
    for (int kind = 1; kind <= 3; ++kind) {
        SCOPED_TRACE(kind);
        m_texts.clear();
        strErrInfTab tabs[3];
        CErrNameMap names;
        ASSERT_TRUE(m_db.LoadLanguageAndFaultTexts(kind, tabs, &names));
        EXPECT_GE(m_texts.size(), 277);
        for (int t = 0; t < 3; ++t) {
            EXPECT_FALSE(tabs[t].strErrCount.isEmpty()) << t;
            EXPECT_LE(tabs[t].strErrCount.size(), t < 2 ? kErrLevelRows : 1000);
        }
        EXPECT_FALSE(names.empty());
        for (const auto& [code, name] : names)
            EXPECT_FALSE(name.isEmpty()) << code;
    }
    // The language sheet goes out and comes back unchanged.
    strLanguageSheet sheet;
    ASSERT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
    sheet.rows.push_back({"End", "End", "End", "End"});
    ASSERT_TRUE(m_db.ImportLanguageTable(sheet));
    strLanguageSheet again;
    ASSERT_TRUE(m_db.LoadLanguageTableForExport(&again));
    sheet.rows.pop_back();
    EXPECT_EQ(again.rows, sheet.rows);
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();
}

TEST_F(ShippedTest, LaidOutBesideTheStation)
{
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure/DB/DBServer.mdb")));
}
