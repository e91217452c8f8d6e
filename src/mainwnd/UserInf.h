#pragma once
// The logged-in operator: name and password as typed at login, and the key
// of the stored row the login matched.
#include <QString>

struct strUserInf {
    QString strName;
    QString strPwd;
    qint64 nUserKey = 0;
};
