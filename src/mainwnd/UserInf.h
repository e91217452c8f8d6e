#pragma once
// The logged-in operator: name and password as typed at login.
#include <QString>

struct strUserInf {
    QString strName;
    QString strPwd;
};
