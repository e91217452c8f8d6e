// The database the build makes from res/seed.
#include <QFile>

#include "DbTestSupport.h"

namespace {

class ShippedTest : public DbTest {
protected:
    // A copy: opening a file switches on its log beside it.
    bool MakeFile() override { return QFile::copy(QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb"), m_path); }
};

} // namespace

TEST_F(ShippedTest, HoldsSettingsFreeLiftSlotsGroupsTheFirstOperatorAndEveryUiText)
{
    int groups = 0;
    QStringList show[2];
    ASSERT_TRUE(m_db.LoadSoftInfo(nullptr, &groups, nullptr, nullptr, show));
    EXPECT_GE(groups, 1);
    EXPECT_FALSE(show[0].isEmpty() || show[1].isEmpty());
    EXPECT_EQ(Column(QStringLiteral("SELECT count(DISTINCT RealAddr) || '/' || min(RealAddr) || '/' || max(RealAddr)"
                                    " || '/' || max(Kind) FROM KALOR_LiftInf")),
              QStringList{QStringLiteral("64/1/64/0")});
    std::vector<strGroupInf> table(static_cast<std::size_t>(groups));
    ASSERT_TRUE(m_db.LoadGroupInfo(groups, table.data()));
    for (const strGroupInf& g : table)
        EXPECT_FALSE(g.strGroupName.trimmed().isEmpty());
    int limit = -1;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("123456"), &limit), 0);
    // The schema script's tables, and no lift's tables yet.
    EXPECT_EQ(Count(QStringLiteral("sqlite_master"), QStringLiteral("type = 'table'")), 10);
    // UI texts 0..276 at least, numbered without gaps, none empty in any language.
    EXPECT_EQ(Column(QStringLiteral("SELECT count(*) >= 277 AND min(nSign) = 0 AND max(nSign) = count(DISTINCT nSign) - 1"
                                    " AND count(DISTINCT nSign) = count(*) AND min(length(trim(coalesce(Lan1, '')))"
                                    " * length(trim(coalesce(Lan2, ''))) * length(trim(coalesce(Lan3, '')))) > 0"
                                    " FROM KALOR_SoftLan")),
              QStringList{QStringLiteral("1")});
}

