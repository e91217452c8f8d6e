// User management on the analysis page, against the user table of a copy of
// the shipped database: listing, adding, changing the own password and
// deleting, with every refusal the operator can meet.
#include <QLineEdit>

#include "AnalysisFixture.h"
#include "analysis/ButAnaly.h"
#include "controls/StaX.h"

namespace {

class UserMgmtTest : public AnalysisPageTest {
protected:
    void Prepare() override { m_page->OnBnClickedUserManage(); }

    QStringList StoredNames()
    {
        std::array<QStringList, 2> lists;
        m_db.LoadUserList(lists.data());
        return lists[0];
    }
    // The names exactly as the table holds them.
    QStringList RawStoredNames()
    {
        QStringList names;
        auto rs = m_db.m_pAdo->GetRecordSet(QStringLiteral("Select UserName From KALOR_UserInf"));
        if (!rs)
            return names;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
            names << rs->GetText(QStringLiteral("UserName"));
        return names;
    }
    QStringList ListedNames() const
    {
        QStringList names;
        for (const QStringList& row : Rows())
            names << row.value(1);
        return names;
    }
    void NewUser(const QString& name, const QString& pwd, const QString& confirm)
    {
        m_page->OnBnClickedNewUser();
        m_page->m_edUserName->setText(name);
        m_page->m_edPassword->setText(pwd);
        m_page->m_edConfirm->setText(confirm);
        m_boxes.clear();
        m_page->OnBnClickedUserOk();
    }
    void SelectRows(std::initializer_list<int> rows) const
    {
        m_page->m_lstFault->clearSelection();
        for (int r : rows)
            m_page->m_lstFault->SetItemState(r, ClistCtrlX::LVIS_SELECTED, ClistCtrlX::LVIS_SELECTED);
    }
    int Login(const QString& name, const QString& pwd) { return m_db.CheckLogin(name, pwd, nullptr); }
};

} // namespace

TEST_F(UserMgmtTest, NewUserIsValidatedStoredAndListed)
{
    CAnalysisDlg& page = *m_page;
    EXPECT_EQ(Rows(), QList<QStringList>({{"1", "admin"}}));
    const std::vector<std::tuple<const char*, const char*, int>> refused = {
        {" ", "x", 181}, {"op_1", "x", 191}, {"张三", "x", 191}, {"O'Neil", "x", 191}, {"op1", " \n ", 182}, {"op1", "ab'c", 191}};
    for (const auto& [name, pwd, text] : refused) {
        NewUser(QString::fromUtf8(name), QString::fromUtf8(pwd), QString::fromUtf8(pwd));
        EXPECT_EQ(m_boxes.texts(), QStringList({Text(text)})) << name << " " << pwd;
    }
    NewUser("op1", "abc", "abd");
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(180)}));
    EXPECT_EQ(StoredNames(), QStringList({"admin"}));
    // A duplicate empties the form.
    NewUser("ad min", "1", "1");
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(179)}));
    EXPECT_TRUE(page.m_edUserName->text().isEmpty());

    // Name and password both lose their blanks: stored, listed at once and
    // listed after a reload as the operator will type it at the login.
    NewUser("op 1", "ab 12", "ab12");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(RawStoredNames(), QStringList({"admin", "op1"}));
    EXPECT_EQ(Login("op1", "ab12"), 0);
    EXPECT_EQ(Rows(), QList<QStringList>({{"1", "admin"}, {"2", "op1"}}));
    EXPECT_EQ(page.m_strUserPwds.last(), QStringLiteral("ab12"));
    page.OnBnClickedUserManage();
    EXPECT_EQ(Rows(), QList<QStringList>({{"1", "admin"}, {"2", "op1"}}));
    // The same name typed with its blank again is the stored one.
    NewUser("o p1", "1", "1");
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(179)}));
    EXPECT_EQ(RawStoredNames(), QStringList({"admin", "op1"}));
}

TEST_F(UserMgmtTest, NewUserThatTheDatabaseRefusesIsNotListed)
{
    ASSERT_TRUE(m_db.m_pAdo->ExecuteSql(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON KALOR_UserInf BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    NewUser("op2", "pw", "pw");
    EXPECT_GT(m_boxes.count(), 0);  // the database object's own report
    EXPECT_EQ(ListedNames(), QStringList({"admin"}));
}

TEST_F(UserMgmtTest, OwnPasswordIsChanged)
{
    CAnalysisDlg& page = *m_page;
    page.OnBnClickedChangePassword();
    EXPECT_FALSE(page.m_edUserName->isVisible());
    for (const auto& [pwd, confirm, text] : {std::tuple{"777", "778", 180}, {"bad-pw", "bad-pw", 191}, {"777", "777", 187}}) {
        page.m_edPassword->setText(pwd);
        page.m_edConfirm->setText(confirm);
        m_boxes.clear();
        page.OnBnClickedUserOk();
        EXPECT_EQ(m_boxes.texts(), QStringList({Text(text)})) << pwd;
    }
    EXPECT_EQ(Login("admin", "777"), 0);

    // A change that reaches no stored row is a failure.
    m_user.nUserKey = 999;
    m_boxes.clear();
    page.OnBnClickedUserOk();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(203)}));
}

TEST_F(UserMgmtTest, PasswordChangeReachesExactlyTheRowTheLoginMatched)
{
    // Both names read "AnnLee" without blanks; the login matches the first
    // stored, and only that row gets the new password.
    ASSERT_TRUE(m_db.AddUser(QStringLiteral("Ann Lee"), QStringLiteral("111")));
    ASSERT_TRUE(m_db.AddUser(QStringLiteral("AnnLee"), QStringLiteral("222")));
    m_user.strName = QStringLiteral("AnnLee");
    ASSERT_EQ(m_db.CheckLogin(m_user.strName, QStringLiteral("111"), nullptr, &m_user.nUserKey), 0);
    m_page->OnBnClickedChangePassword();
    m_page->m_edPassword->setText(QStringLiteral("333"));
    m_page->m_edConfirm->setText(QStringLiteral("333"));
    m_boxes.clear();
    m_page->OnBnClickedUserOk();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(187)}));
    EXPECT_EQ(Login("AnnLee", "333"), 0);
    std::array<QStringList, 2> lists;
    ASSERT_TRUE(m_db.LoadUserList(lists.data()));
    EXPECT_EQ(lists[1], QStringList({"123456", "333", "222"}));
}

TEST_F(UserMgmtTest, DeletionSparesTheLoggedInUserAndKeepsTheListTrue)
{
    CAnalysisDlg& page = *m_page;
    // A name stored with a quote by an older station is deleted like any other.
    ASSERT_TRUE(m_db.m_pAdo->ExecuteSql(QStringLiteral("INSERT INTO KALOR_UserInf VALUES (?, 'x', 1)"), {"O'Neil"}));
    for (const char* name : {"op1", "op2", "op3"})
        ASSERT_TRUE(m_db.AddUser(QLatin1String(name), QStringLiteral("1")));
    page.OnBnClickedUserManage();
    ASSERT_EQ(ListedNames(), QStringList({"admin", "O'Neil", "op1", "op2", "op3"}));

    page.m_lstFault->clearSelection();
    page.OnBnClickedDeleteUser();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(186)}));
    m_boxes.clear();
    SelectRows({1, 3});
    page.OnBnClickedDeleteUser();
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(Rows(), QList<QStringList>({{"1", "admin"}, {"2", "op1"}, {"3", "op3"}}));

    // The rows before the logged-in user's go; the walk stops at it, and the
    // list shows what is left.
    m_user.strName = QStringLiteral("op3");
    SelectRows({0, 1, 2});
    page.OnBnClickedDeleteUser();
    EXPECT_EQ(m_boxes.texts(), QStringList({Text(184)}));
    EXPECT_EQ(StoredNames(), QStringList({"op3"}));
    EXPECT_EQ(ListedNames(), QStringList({"op3"}));
}

