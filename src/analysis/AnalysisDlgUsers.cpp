// The analysis page's user management: the user list, a new user, the
// logged-in user's password, and deleting other users.
#include <QLineEdit>
#include <array>

#include "analysis/AnalysisDlg.h"
#include "analysis/ButAnaly.h"
#include "analysis/ListFillers.h"
#include "controls/ListCtrlX.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "mainwnd/UserInf.h"
#include "platform/MessageBox.h"

namespace {

// What follows the page's title on the administration pages.
QString AdminTitleFiller()
{
    return QString(5, QLatin1Char('\t')) + QString(15, QLatin1Char(' ')) + QLatin1Char('\t')
           + QString(25, QLatin1Char(' ')) + QLatin1Char('\t') + QLatin1Char(' ');
}

bool IsAccountChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

// The frame of the user form and what stands in it.
constexpr int kFrameWidth = 300;
constexpr int kFrameHeight = 200;

} // namespace

void CAnalysisDlg::ReloadUsers()
{
    m_strUserNames.clear();
    m_strUserPwds.clear();
    if (m_pDB) {
        std::array<QStringList, 2> lists;
        m_pDB->LoadUserList(lists.data());
        m_strUserNames = lists[0];
        m_strUserPwds = lists[1];
    }
    FillUserList(m_lstFault, m_strUserNames);
}

void CAnalysisDlg::OnBnClickedUserManage()
{
    HideAllControls();
    m_strTitle = Text(163) + AdminTitleFiller();
    m_nCurMode = kModeUsers;
    HighlightModeButton();
    m_nPrevMode = m_nViewMode = kModeUsers;
    SetupListColumns(m_lstFault, kListUsers);
    m_lstFault->setGeometry(m_nX0 + 30, 109, 310, 200);
    m_lstFault->show();
    const int xs[] = {m_nX0 + 30, m_nX0 + 137, m_nX0 + 245};
    const std::array<CButAnaly*, 3> buttons = {m_btNewUser, m_btChangePwd, m_btDeleteUser};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setGeometry(xs[i], 320, 95, 25);
        buttons[i]->show();
    }
    m_nUserMode = kUserList;
    ReloadUsers();
    update();
}

void CAnalysisDlg::OnBnClickedNewUser()
{
    const int fx = m_nX0 + 370;
    const int fy = 100;
    m_stUserFrame->setGeometry(fx, fy, kFrameWidth, kFrameHeight);
    m_stUserFrame->SetColors(kOrange, kWhite);
    m_stUserFrame->setText(Text(164));
    m_stUserFrame->show();
    m_stUserFrame->lower();
    const std::array<int, 3> texts = {169, 170, 171};
    const std::array<QLineEdit*, 3> edits = {m_edUserName, m_edPassword, m_edConfirm};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const int y = fy + 40 + int(i) * 38;
        m_stUser[i]->setText(Text(texts[i]));
        m_stUser[i]->setGeometry(fx + 15, y + 3, 95, 20);
        edits[i]->setGeometry(fx + 115, y, 165, 25);
        m_stUser[i]->show();
        edits[i]->show();
    }
    m_btUserOk->setGeometry(fx + 115, fy + 160, 95, 25);
    m_btUserOk->show();
    m_nUserMode = kUserNew;
}

void CAnalysisDlg::OnBnClickedChangePassword()
{
    // The form of a new user without its name row.
    OnBnClickedNewUser();
    m_edUserName->hide();
    m_stUserFrame->setText(Text(165));
    m_stUser[0]->setText(Text(183));
    m_stUser[1]->setText(Text(170));
    m_stUser[2]->setText(Text(171));
    m_edPassword->clear();
    m_edConfirm->clear();
    m_nUserMode = kUserPassword;
}

void CAnalysisDlg::OnBnClickedDeleteUser()
{
    m_nUserMode = kUserDelete;
    const QString self = m_pUser ? m_pUser->strName : QString();
    int selected = 0;
    int deleted = 0;
    bool stopped = false;
    for (int row = 0; row < m_lstFault->GetItemCount() && !stopped; ++row) {
        if (!(m_lstFault->GetItemState(row, ClistCtrlX::LVIS_SELECTED) & ClistCtrlX::LVIS_SELECTED))
            continue;
        ++selected;
        const QString name = m_lstFault->GetItemText(row, 1);
        if (name == self) {
            AfxMessageBox(Text(184));
            stopped = true;
        } else if (!m_pDB || !m_pDB->DeleteUser(name)) {
            AfxMessageBox(Text(185));
            stopped = true;
        } else {
            ++deleted;
        }
    }
    if (selected == 0)
        AfxMessageBox(Text(186));
    // Users deleted before a refusal are gone: the list must not show them.
    if (deleted > 0)
        ReloadUsers();
}

bool CAnalysisDlg::ValidateAccountText(QString& text, int nKind)
{
    // Names and passwords alike lose every blank and line feed: "op 1" is
    // stored, listed and logged in as "op1".
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char(' '));
    if (text.isEmpty()) {
        if (nKind == 1)
            AfxMessageBox(Text(181));
        else if (nKind == 2)
            AfxMessageBox(Text(182));
        return false;
    }
    for (const QChar c : text) {
        if (!IsAccountChar(c)) {
            AfxMessageBox(Text(191));
            return false;
        }
    }
    return true;
}

void CAnalysisDlg::OnBnClickedUserOk()
{
    if (m_nUserMode == kUserNew) {
        QString name = m_edUserName->text();
        if (!ValidateAccountText(name, 1))
            return;
        // The loaded names come without their blanks, as the login compares them.
        if (m_strUserNames.contains(name)) {
            AfxMessageBox(Text(179));
            m_edUserName->clear();
            m_edPassword->clear();
            m_edConfirm->clear();
            return;
        }
        QString pwd = m_edPassword->text();
        if (!ValidateAccountText(pwd, 2))
            return;
        QString confirm = m_edConfirm->text();
        if (!ValidateAccountText(confirm, 2))
            return;
        if (pwd != confirm) {
            AfxMessageBox(Text(180));
            m_edPassword->clear();
            m_edConfirm->clear();
            return;
        }
        // A refused statement was reported by the database object; the list
        // then shows only users that are stored.
        if (!m_pDB || !m_pDB->AddUser(name, pwd))
            return;
        m_strUserNames << name;
        m_strUserPwds << pwd;
        FillUserList(m_lstFault, m_strUserNames);
    } else if (m_nUserMode == kUserPassword) {
        QString pwd = m_edPassword->text();
        QString confirm = m_edConfirm->text();
        if (!ValidateAccountText(pwd, 2))
            return;
        if (pwd != confirm) {
            AfxMessageBox(Text(180));
            return;
        }
        // A change that reached no stored row is a failure, not a success.
        if (!m_pUser || !m_pDB || !m_pDB->ChangePassword(m_pUser->nUserKey, pwd)) {
            AfxMessageBox(Text(203));
            return;
        }
        AfxMessageBox(Text(187));
    }
}
