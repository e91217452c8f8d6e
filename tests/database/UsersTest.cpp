// Operators and the login check.

#include "DbTestSupport.h"

TEST_F(DbTest, LoginCleansStoredTextsButNotTheTypedOnesAndUsersKeepTheirQuotes)
{
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_UserInf VALUES ('op 1' || char(10), ' pw' || char(10) || '9 ', 3)")));
    int limit = -1;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("op1"), QStringLiteral("pw9"), &limit), 0);
    EXPECT_EQ(limit, 3);
    limit = -1;
    const std::tuple<const char*, const char*, int> refused[] = {
        {"op1 ", "pw9", 1}, {"OP1", "pw9", 1}, {"op1", "pw 9", 2}, {"admin", "x' OR '1'='1", 2}, {"x' OR '1'='1", "1234", 1}};
    for (const auto& [name, pwd, result] : refused)
        EXPECT_EQ(m_db.CheckLogin(QLatin1String(name), QLatin1String(pwd), &limit), result) << name;
    EXPECT_EQ(limit, -1);
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_UserInf WHERE UserLimit = 3")));

    // Users with quotes are added, changed, listed and deleted as typed.
    const QString name = QStringLiteral("O'Brien"), sqlish = QStringLiteral("x' OR '1'='1");
    EXPECT_TRUE(m_db.AddUser(name, QStringLiteral("p'w")));
    EXPECT_TRUE(m_db.AddUser(sqlish, QStringLiteral("q")));
    qint64 key = 0;
    ASSERT_EQ(m_db.CheckLogin(name, QStringLiteral("p'w"), &limit, &key), 0);
    EXPECT_TRUE(m_db.ChangePassword(key, QStringLiteral("new'one")));
    EXPECT_FALSE(m_db.ChangePassword(key + 100, QStringLiteral("zzz")));  // no row changed: a failure
    EXPECT_EQ(m_db.CheckLogin(name, QStringLiteral("new'one"), &limit), 0);
    EXPECT_EQ(limit, 1);  // new users get rights value 1
    QStringList lists[2];
    ASSERT_TRUE(m_db.LoadUserList(lists));
    EXPECT_EQ(lists[0], QStringList({QStringLiteral("admin"), name, QStringLiteral("x'OR'1'='1")}));
    EXPECT_EQ(lists[1], QStringList({QStringLiteral("1234"), QStringLiteral("new'one"), QStringLiteral("q")}));
    // Deleting the name that looks like SQL deletes that one row only.
    EXPECT_TRUE(m_db.DeleteUser(sqlish));
    EXPECT_EQ(Column(QStringLiteral("SELECT UserName FROM KALOR_UserInf ORDER BY rowid")), QStringList({"admin", "O'Brien"}));
    // A name stored with a blank goes by the name the list shows; no row deleted is a failure.
    ASSERT_TRUE(m_db.AddUser(QStringLiteral("John Smith"), QStringLiteral("j")));
    EXPECT_TRUE(m_db.DeleteUser(QStringLiteral("JohnSmith")));
    EXPECT_FALSE(m_db.DeleteUser(QStringLiteral("JohnSmith")));
    EXPECT_EQ(Count(QStringLiteral("KALOR_UserInf")), 2);
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_UserInf")));
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 1);
    EXPECT_FALSE(m_db.LoadUserList(lists));
    // A refused statement (the table is gone) reports FALSE with the wrapper's messages.
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE KALOR_UserInf")));
    EXPECT_FALSE(m_db.AddUser(name, name));
    ExpectBoxes(2);
}
