// Operators and the login check.
#include <gtest/gtest.h>

#include "DbTestSupport.h"

TEST_F(DbTest, LoginCleansStoredTextsButNotTheTypedOnes)
{
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_UserInf VALUES ('op 1' || char(10), ' pw' || char(10) || '9 ', 3)")));
    int limit = -1;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("op1"), QStringLiteral("pw9"), &limit), 0);
    EXPECT_EQ(limit, 3);
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 0);
    EXPECT_EQ(limit, 9);

    limit = -1;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("op1 "), QStringLiteral("pw9"), &limit), 1);  // typed text is not cleaned
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("OP1"), QStringLiteral("pw9"), &limit), 1);
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("op1"), QStringLiteral("pw 9"), &limit), 2);
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("x' OR '1'='1"), &limit), 2);
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("x' OR '1'='1"), QStringLiteral("1234"), &limit), 1);
    EXPECT_EQ(limit, -1);

    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_UserInf")));
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 1);
    QStringList lists[2];
    EXPECT_FALSE(m_db.LoadUserList(lists));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(DbTest, UsersWithQuotesAreAddedChangedListedAndDeleted)
{
    const QString name = QStringLiteral("O'Brien");
    EXPECT_TRUE(m_db.AddUser(name, QStringLiteral("p'w")));
    EXPECT_TRUE(m_db.AddUser(QStringLiteral("x' OR '1'='1"), QStringLiteral("q")));
    int limit = 0;
    EXPECT_EQ(m_db.CheckLogin(name, QStringLiteral("p'w"), &limit), 0);
    EXPECT_EQ(limit, 1);  // new users get rights value 1

    EXPECT_TRUE(m_db.ChangePassword(name, QStringLiteral("new'one")));
    EXPECT_FALSE(m_db.ChangePassword(QStringLiteral("nobody"), QStringLiteral("zzz")));  // no row changed: a failure
    EXPECT_EQ(m_db.CheckLogin(name, QStringLiteral("new'one"), &limit), 0);

    QStringList lists[2];
    ASSERT_TRUE(m_db.LoadUserList(lists));
    EXPECT_EQ(lists[0], QStringList({QStringLiteral("admin"), name, QStringLiteral("x'OR'1'='1")}));
    EXPECT_EQ(lists[1], QStringList({QStringLiteral("1234"), QStringLiteral("new'one"), QStringLiteral("q")}));

    // Deleting the name that looks like SQL deletes that one row only.
    EXPECT_TRUE(m_db.DeleteUser(QStringLiteral("x' OR '1'='1")));
    EXPECT_EQ(Count(QStringLiteral("KALOR_UserInf")), 2);
    EXPECT_TRUE(m_db.DeleteUser(name));
    EXPECT_EQ(m_db.CheckLogin(name, QStringLiteral("new'one"), &limit), 1);
    EXPECT_EQ(Count(QStringLiteral("KALOR_UserInf")), 1);
    EXPECT_EQ(m_boxes.count(), 0);

    // A refused statement (the table is gone) reports FALSE with the wrapper's messages.
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE KALOR_UserInf")));
    EXPECT_FALSE(m_db.AddUser(name, name));
    EXPECT_EQ(m_boxes.count(), 2);
}
