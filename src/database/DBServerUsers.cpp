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
    auto rs = Query(QStringLiteral("Select rowid As UserKey, UserName From KALOR_UserInf"));
    if (!rs)
        return 1;
    if (!MatchedName(rs.get(), strName))
        return 1;
    // The password is read from the row that matched, by its key: a name
    // stored with stray blanks or line feeds still finds its own password,
    // and another row whose name differs only in blanks is never read.
    const qint64 key = rs->GetText(QStringLiteral("UserKey")).toLongLong();
    rs = Query(QStringLiteral("Select * From KALOR_UserInf Where rowid = ? "), {key});
    if (!rs || rs->GetRecordCount() == 0)
        return 2;
    rs->MoveFirst();
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

bool CDBServer::ExecOnMatchedUser(const QString& sql, QVariantList params, const QString& strName)
{
    // The row the list shows (a stored name may hold blanks the list shows without).
    auto rs = Query(QStringLiteral("Select UserName From KALOR_UserInf"));
    if (!rs)
        return false;
    std::optional<QString> stored;
    for (rs->MoveFirst(); !rs->IsEOF() && !stored; rs->MoveNext()) {
        if (rs->GetText(QStringLiteral("UserName")) == strName)
            stored = strName;  // the name exactly as stored
    }
    if (!stored)
        stored = MatchedName(rs.get(), strName);
    if (!stored)
        return false;
    params << *stored;
    return ExecChangingRows(sql, params);
}

bool CDBServer::ChangePassword(qint64 nUserKey, const QString& strPwd)
{
    // Exactly the row the login matched, by its key.
    return ExecChangingRows(QStringLiteral("Update KALOR_UserInf Set UserPwd = ? where rowid  = ?"), {strPwd, nUserKey});
}

bool CDBServer::DeleteUser(const QString& strName)
{
    return ExecOnMatchedUser(QStringLiteral("Delete From KALOR_UserInf where UserName = ?"), {}, strName);
}
