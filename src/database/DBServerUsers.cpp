// Operators and the login check of the database object.
#include "database/DBServer.h"

namespace {
// Stored names and passwords are compared without blanks and line feeds.
QString Cleaned(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\n'));
    return text;
}
} // namespace

int CDBServer::CheckLogin(const QString& strName, const QString& strPwd, int* pLimit)
{
    auto rs = Query(QStringLiteral("Select UserName From KALOR_UserInf"));
    if (!rs)
        return 1;
    QString stored;
    bool found = false;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        const QString raw = rs->GetText(QStringLiteral("UserName"));
        if (Cleaned(raw) == strName) {
            stored = raw;
            found = true;
            break;
        }
    }
    if (!found)
        return 1;
    // The row is looked up by the stored name that matched, so a name stored
    // with stray blanks or line feeds still finds its password.
    rs = Query(QStringLiteral("Select * From KALOR_UserInf Where UserName = ? "), {stored});
    if (!rs || rs->GetRecordCount() == 0)
        return 2;
    rs->MoveFirst();
    if (Cleaned(rs->GetText(QStringLiteral("UserPwd"))) != strPwd)
        return 2;
    if (pLimit)
        *pLimit = rs->GetInt(QStringLiteral("UserLimit"));
    return 0;
}

bool CDBServer::LoadUserList(QStringList* pLists)
{
    auto rs = Query(QStringLiteral("Select * From KALOR_UserInf"));
    if (!rs || rs->GetRecordCount() == 0 || !pLists)
        return false;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        pLists[0] << Cleaned(rs->GetText(QStringLiteral("UserName")));
        pLists[1] << Cleaned(rs->GetText(QStringLiteral("UserPwd")));
    }
    return true;
}

bool CDBServer::AddUser(const QString& strName, const QString& strPwd)
{
    return Exec(QStringLiteral("Insert into KALOR_UserInf Values (?,?,'1')"), {strName, strPwd});
}

bool CDBServer::ChangePassword(const QString& strName, const QString& strPwd)
{
    return Exec(QStringLiteral("Update KALOR_UserInf Set UserPwd = ? where UserName  = ?"), {strPwd, strName});
}

bool CDBServer::DeleteUser(const QString& strName)
{
    return Exec(QStringLiteral("Delete From KALOR_UserInf where UserName = ?"), {strName});
}
