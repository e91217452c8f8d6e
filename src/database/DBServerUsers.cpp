// Operators and the login check of the database object.
#include "database/DBServer.h"

#include <optional>

namespace {
// Stored names and passwords are compared without blanks and line feeds.
QString Cleaned(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\n'));
    return text;
}

// The first stored name that, cleaned, is the typed one: the row the login matched.
std::optional<QString> MatchedName(CAdoRecordset* pNames, const QString& strName)
{
    for (pNames->MoveFirst(); !pNames->IsEOF(); pNames->MoveNext()) {
        const QString raw = pNames->GetText(QStringLiteral("UserName"));
        if (Cleaned(raw) == strName)
            return raw;
    }
    return std::nullopt;
}
} // namespace

int CDBServer::CheckLogin(const QString& strName, const QString& strPwd, int* pLimit, qint64* pUserKey)
{
    // The password is read from the row that matched: a name stored with
    // stray blanks or line feeds still finds its own password, and another
    // row whose name differs only in blanks is never read. Its key names
    // that row for a password change.
    auto rs = Query(QStringLiteral("Select rowid As UserKey, UserName, UserPwd, UserLimit From KALOR_UserInf"));
    if (!rs || !MatchedName(rs.get(), strName))
        return 1;
    const qint64 key = rs->GetText(QStringLiteral("UserKey")).toLongLong();
    if (Cleaned(rs->GetText(QStringLiteral("UserPwd"))) != strPwd)
        return 2;
    if (pLimit)
        *pLimit = rs->GetInt(QStringLiteral("UserLimit"));
    if (pUserKey)
        *pUserKey = key;
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

bool CDBServer::ExecChangingRows(const QString& sql, const QVariantList& params)
{
    // Only a changed row is a success.
    if (!Exec(sql, params))
        return false;
    auto rs = Query(QStringLiteral("Select changes() As n"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    rs->MoveFirst();
    return rs->GetInt(QStringLiteral("n")) > 0;
}

bool CDBServer::ChangePassword(qint64 nUserKey, const QString& strPwd)
{
    // Exactly the row the login matched, by its key.
    return ExecChangingRows(QStringLiteral("Update KALOR_UserInf Set UserPwd = ? where rowid  = ?"), {strPwd, nUserKey});
}

bool CDBServer::DeleteUser(const QString& strName)
{
    // The name exactly as stored, or else the row the list shows without its
    // blanks.
    const QString sql = QStringLiteral("Delete From KALOR_UserInf where UserName = ?");
    if (ExecChangingRows(sql, {strName}))
        return true;
    auto rs = Query(QStringLiteral("Select UserName From KALOR_UserInf"));
    const std::optional<QString> stored = rs ? MatchedName(rs.get(), strName) : std::nullopt;
    return stored && ExecChangingRows(sql, {*stored});
}
